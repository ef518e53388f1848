// The core speaks UTF-8, Windows UTF-16: every text crosses here.
#pragma once

#include <string>

namespace varnok::win32 {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

} // namespace varnok::win32
