// The serial ports of a Windows machine, as the serial drivers register them.
#include "link/port_list_internal.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace varnok {
namespace {

class RegistryKey {
public:
    RegistryKey(HKEY parent, const char* path) {
        if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_)
            RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

std::vector<PortInfo> listSerialPorts() {
    std::vector<PortInfo> ports;
    // Each value maps a driver's device path (\Device\Serial0, \Device\VCP0)
    // to the port name it is reached by; the key exists only while at least
    // one port does.
    const RegistryKey key(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
    if (!key.get())
        return ports;
    for (DWORD index = 0;; ++index) {
        char valueName[256];
        DWORD nameLength = sizeof(valueName);
        BYTE data[256];
        DWORD dataLength = sizeof(data);
        DWORD type = 0;
        const LONG result = RegEnumValueA(key.get(), index, valueName, &nameLength, nullptr, &type, data, &dataLength);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        std::string name(reinterpret_cast<const char*>(data), dataLength);
        while (!name.empty() && name.back() == '\0')
            name.pop_back();
        if (!name.empty())
            ports.push_back({name, std::string(valueName, nameLength)});
    }
    detail::sortByName(ports);
    return ports;
}

} // namespace varnok
