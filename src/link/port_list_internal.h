// Port discovery details shared by the platforms' port lists, and kept apart
// so that tests can hand the Linux scan a made-up sysfs tree.
#pragma once

#include "link/port_list.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace varnok::detail {

/// The serial ports that sysRoot/class/tty shows as real hardware and whose
/// device node exists under devRoot, in natural name order.
std::vector<PortInfo> scanSysfsPorts(const std::string& sysRoot, const std::string& devRoot);

/// Name order in which "COM2" comes before "COM10" and ttyUSB2 before ttyUSB10.
inline bool naturalLess(const std::string& a, const std::string& b) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    // A run of digits, without leading zeros, ending at the returned index.
    const auto number = [&digit](const std::string& s, std::size_t& i) {
        const std::size_t start = i;
        while (i < s.size() && digit(s[i]))
            ++i;
        std::string run = s.substr(start, i - start);
        run.erase(0, std::min(run.find_first_not_of('0'), run.size()));
        return run;
    };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            const std::string x = number(a, i), y = number(b, j);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (x != y)
                return x < y;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

inline void sortByName(std::vector<PortInfo>& ports) {
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return naturalLess(a.name, b.name); });
}

} // namespace varnok::detail
