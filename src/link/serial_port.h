// The five operations the transfer needs of a serial line to the radio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace varnok {

/// What a purge throws away.
enum class PurgeKind {
    /// Discard what is waiting to be read (and, where the platform's write
    /// does not return before its bytes have left, what is not yet sent).
    Clear,
    /// The same, and end any pending read or write.
    AbortAndClear,
};

/// An open serial line at 9600 baud, 8 data bits, no parity, 1 stop bit.
///
/// Timing contract, which the transfer protocol relies on:
/// - read(n) returns once n bytes have arrived, or when more than 50 ms pass
///   between two received bytes, or at the latest 500 + 50 n ms after the
///   call; a time-out is still a success and reports the count received
///   (possibly 0). Buffer bytes beyond the count are left as they were.
/// - write(n) is given at most 50 + 50 n ms.
/// The port closes when the object is destroyed.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual bool purge(PurgeKind kind) = 0;
    /// False when the bytes could not be handed to the line.
    virtual bool write(const std::uint8_t* data, std::size_t count) = 0;
    /// False only when the read call itself failed (device gone); `received`
    /// still counts what arrived before that.
    virtual bool read(std::uint8_t* buffer, std::size_t count, std::size_t& received) = 0;
};

/// Time-outs of the line, in milliseconds.
namespace portTiming {
constexpr int kReadIntervalMs = 50;
constexpr int kReadTotalMultiplierMs = 50;
constexpr int kReadTotalConstantMs = 500;
constexpr int kWriteTotalMultiplierMs = 50;
constexpr int kWriteTotalConstantMs = 50;
constexpr int readTotalMs(std::size_t n) { return kReadTotalConstantMs + kReadTotalMultiplierMs * static_cast<int>(n); }
constexpr int writeTotalMs(std::size_t n) {
    return kWriteTotalConstantMs + kWriteTotalMultiplierMs * static_cast<int>(n);
}
} // namespace portTiming

/// Why a port did not open, where the system tells it apart.
enum class OpenFailure { None, Missing, NoPermission, Busy, Other };

/// Result of opening a port: the port, or a one-line reason for the user.
struct OpenedPort {
    std::unique_ptr<SerialPort> port;
    std::string error;
    // Initialised here, so that OpenedPort{port, error} names all it needs.
    OpenFailure failure = OpenFailure::None;
    std::string group{};  ///< NoPermission: the group the device is open to, when known
    std::string holder{}; ///< Busy: the program holding the device, when the system tells
};

/// Opens a serial device by the operating system's name for it: a path such
/// as /dev/ttyUSB0 on POSIX, "COM7" on Windows. Opening is exclusive: a port
/// held by any program, this one included, cannot be opened again.
OpenedPort openSystemSerialPort(const std::string& device);

/// The device a user-facing port name stands for: "COM1" to "COM4" are
/// /dev/ttyS0 to /dev/ttyS3 on POSIX; other names are taken as they are.
std::string systemDeviceFor(const std::string& portName);

} // namespace varnok
