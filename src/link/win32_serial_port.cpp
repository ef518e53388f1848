// Serial line on Windows: the communications API whose time-outs the transfer
// protocol was written against, so the line's timing is the driver's own.
#include "link/serial_port.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cctype>

namespace varnok {
namespace {

// On Windows a synchronous write completes once the driver has passed its
// bytes on, so PURGE_TXCLEAR right after it finds none of them, and the
// transfer's "clear" after each request is harmless. Wine runs the port on a
// Linux terminal, where a write returns as soon as its bytes are queued and
// PURGE_TXCLEAR becomes tcflush(TCOFLUSH): there a clear would drop the part
// of a request that the radio has not read yet (the POSIX port leaves output
// alone for the same reason).
bool writesReturnBeforeTheBytesLeave() {
    static const bool wine = [] {
        const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;
    ~Win32SerialPort() override { CloseHandle(handle_); }

    bool purge(PurgeKind kind) override {
        DWORD flags = PURGE_RXCLEAR;
        if (!writesReturnBeforeTheBytesLeave())
            flags |= PURGE_TXCLEAR;
        if (kind == PurgeKind::AbortAndClear)
            flags |= PURGE_TXABORT | PURGE_RXABORT;
        return PurgeComm(handle_, flags) != FALSE;
    }

    bool write(const std::uint8_t* data, std::size_t count) override {
        // A write that runs into its time-out still succeeds, with fewer bytes
        // written; for the caller that is bytes not handed to the line.
        DWORD written = 0;
        const BOOL ok = WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr);
        return ok != FALSE && written == count;
    }

    bool read(std::uint8_t* buffer, std::size_t count, std::size_t& received) override {
        DWORD got = 0;
        const BOOL ok = ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr);
        received = got;
        return ok != FALSE;
    }

private:
    HANDLE handle_;
};

// COM1 to COM9 are also known under their bare names; from COM10 on a port
// exists only in the device namespace.
std::string devicePath(const std::string& name) {
    if (name.size() < 5)
        return name;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return name;
    for (std::size_t i = 3; i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return name;
    return "\\\\.\\" + name;
}

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : "error " + std::to_string(error);
    if (text)
        LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string openFailure(const std::string& name, DWORD error) {
    const std::string prefix = "cannot open " + name + ": ";
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return prefix + "no such port (is the cable plugged in?)";
    // Opening a port without sharing that someone holds reports access denied.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return prefix + "it is in use by another program";
    default:
        return prefix + systemMessage(error);
    }
}

OpenFailure failureKind(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return OpenFailure::Missing;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return OpenFailure::Busy;
    default:
        return OpenFailure::Other;
    }
}

} // namespace

OpenedPort openSystemSerialPort(const std::string& device) {
    OpenedPort opened;
    const HANDLE handle = CreateFileA(devicePath(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        opened.error = openFailure(device, error);
        opened.failure = failureKind(error);
        return opened;
    }
    // Owned from here on, so that every return closes it.
    opened.port = std::make_unique<Win32SerialPort>(handle);

    // Like the original tool, a port that refuses one of these settings is
    // still used: only the open itself decides.
    SetupComm(handle, 1024, 512);

    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = portTiming::kReadIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = portTiming::kReadTotalMultiplierMs;
    timeouts.ReadTotalTimeoutConstant = portTiming::kReadTotalConstantMs;
    timeouts.WriteTotalTimeoutMultiplier = portTiming::kWriteTotalMultiplierMs;
    timeouts.WriteTotalTimeoutConstant = portTiming::kWriteTotalConstantMs;
    SetCommTimeouts(handle, &timeouts);

    // Every field not set here (flow control, DTR and RTS) stays as the
    // driver reports it; a state that could not be read is not written back.
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (GetCommState(handle, &dcb)) {
        dcb.BaudRate = CBR_9600;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        SetCommState(handle, &dcb);
    }
    return opened;
}

} // namespace varnok
