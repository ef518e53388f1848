#include "link/diagnosis.h"

#include <cstdio>

namespace varnok {
namespace {

const char* const kCheckPower = "请检查电池电量和写频线插头。";
const char* const kCheckComputerPlug = "请检查 USB 写频线是否仍插在电脑上。";

/// "第 6 块（偏移 0x028，信道 2 的数据）": counted from 1 as the user
/// counts, with the offset to find it in the file.
std::string blockPlace(int block) {
    const int offset = block * wire::kBlockSize;
    const int row = offset / static_cast<int>(layout::kRowSize);
    char text[96];
    std::snprintf(text, sizeof text, "第 %d 块（偏移 0x%03X", block + 1, static_cast<unsigned>(offset));
    std::string place = text;
    if (row >= layout::kFirstChannelRow && row < layout::kFirstChannelRow + layout::kChannelCount)
        place += "，信道 " + std::to_string(row - layout::kFirstChannelRow + 1) + " 的数据";
    return place + "）";
}

} // namespace

std::string diagnoseLink(const LinkObservation& seen) {
    if (seen.phase == LinkPhase::Blocks) {
        const std::string place = blockPlace(seen.block);
        if (seen.lineFailed)
            return "传输到" + place + "时串口无法再读写：" + kCheckComputerPlug;
        if (seen.receivedInStep == 0)
            return "对讲机在" + place + "处停止回应：" + kCheckPower;
        return "对讲机在" + place + "处的回应不完整或有误：请检查写频线插头是否松动。";
    }
    if (seen.lineFailed)
        return std::string("串口无法读写：") + kCheckComputerPlug;
    if (seen.receivedInStep == 0 && seen.phase == LinkPhase::Handshake)
        return "未收到对讲机的任何回应：请检查写频线是否插紧、对讲机是否已开机、所选端口是否正确。";
    if (seen.unexpected)
        return "收到的回应不是本程序支持的对讲机应有的回应：请确认对讲机型号为 QX-100、QX-200 或 QX-300，"
               "且写频线适用于该型号。";
    return std::string("对讲机应答握手后停止回应：") + kCheckPower;
}

std::string diagnoseOpen(const std::string& portName, const OpenedPort& opened, const std::vector<PortInfo>& present) {
    // "COM1" means a device of another name here; both are shown.
    const std::string device = systemDeviceFor(portName);
    const std::string port = device == portName ? portName : portName + "（" + device + "）";
    switch (opened.failure) {
    case OpenFailure::Missing: {
        std::string text = "串口 " + port + " 不存在。现有端口：";
        for (std::size_t i = 0; i < present.size(); ++i)
            text += (i ? "、" : "") + present[i].name;
        return text;
    }
    case OpenFailure::NoPermission: {
        const std::string group = opened.group.empty() ? "dialout" : opened.group;
        return "没有权限打开 " + port + "：请将当前用户加入 " + group + " 组（sudo usermod -aG " + group +
               " $USER），然后重新登录。";
    }
    case OpenFailure::Busy:
        if (opened.holder.empty())
            return "串口 " + port + " 正被其他程序占用：请关闭该程序后重试。";
        return "串口 " + port + " 正被其他程序（" + opened.holder + "）占用：请关闭该程序后重试。";
    case OpenFailure::None:
    case OpenFailure::Other:
        break;
    }
    return opened.error;
}

} // namespace varnok
