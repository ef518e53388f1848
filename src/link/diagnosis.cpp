#include "link/diagnosis.h"

#include <cstdio>

namespace varnok {
namespace {

using text::arg;

/// "第 6 块（偏移 0x028，信道 2 的数据）": counted from 1 as the user
/// counts, with the offset to find it in the file.
std::string blockPlace(int block) {
    const int offset = block * wire::kBlockSize;
    const int row = offset / static_cast<int>(layout::kRowSize);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%03X", static_cast<unsigned>(offset));
    const bool inChannel = row >= layout::kFirstChannelRow && row < layout::kFirstChannelRow + layout::kChannelCount;
    std::string place = arg(
        arg(inChannel ? text::kLinkBlockChannelPlace : text::kLinkBlockPlace, std::to_string(block + 1)), hex, "%2");
    return inChannel ? arg(place, std::to_string(row - layout::kFirstChannelRow + 1), "%3") : place;
}

} // namespace

std::string diagnoseLink(const LinkObservation& seen) {
    if (seen.phase == LinkPhase::Blocks) {
        const std::string place = blockPlace(seen.block);
        if (seen.lineFailed)
            return arg(text::kLinkLostAt, place);
        if (seen.receivedInStep == 0)
            return arg(text::kLinkSilentAt, place);
        return arg(text::kLinkGarbledAt, place);
    }
    if (seen.lineFailed)
        return text::tr(text::kLinkLost);
    if (seen.receivedInStep == 0 && seen.phase == LinkPhase::Handshake)
        return text::tr(text::kLinkSilent);
    if (seen.unexpected)
        return text::tr(text::kLinkWrongRadio);
    return text::tr(text::kLinkSilentAfterHandshake);
}

std::string diagnoseOpen(const std::string& portName, const OpenedPort& opened, const std::vector<PortInfo>& present) {
    // "COM1" means a device of another name here; both are shown.
    const std::string device = systemDeviceFor(portName);
    const std::string port = device == portName ? portName : arg(arg(text::kPortBothNames, portName), device, "%2");
    switch (opened.failure) {
    case OpenFailure::Missing: {
        std::string names;
        for (std::size_t i = 0; i < present.size(); ++i)
            names += (i ? text::tr(text::kListSeparator) : "") + present[i].name;
        return arg(arg(text::kPortMissing, port), names, "%2");
    }
    case OpenFailure::NoPermission:
        return arg(arg(text::kPortNoPermission, port), opened.group.empty() ? "dialout" : opened.group, "%2");
    case OpenFailure::Busy:
        if (opened.holder.empty())
            return arg(text::kPortBusy, port);
        return arg(arg(text::kPortBusyBy, port), opened.holder, "%2");
    case OpenFailure::None:
    case OpenFailure::Other:
        break;
    }
    return opened.error;
}

} // namespace varnok
