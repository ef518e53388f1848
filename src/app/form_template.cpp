#include "app/form_template.h"

#include <utility>

namespace varnok::app {
namespace {

constexpr std::pair<Setting, int> kComboIds[] = {
    {Setting::Model, 1017},     {Setting::Band, 1011},      {Setting::TxTimeLimit, 1013}, {Setting::KeyBeep, 1014},
    {Setting::Squelch, 1016},   {Setting::Monitor, 1012},   {Setting::Scan, 1075},        {Setting::Voice, 1076},
    {Setting::Emergency, 1077}, {Setting::PowerSave, 1078}, {Setting::RejectAlarm, 1015},
};

} // namespace

int comboId(Setting setting) {
    for (const auto& [s, id] : kComboIds)
        if (s == setting)
            return id;
    return 0;
}

bool settingOfCombo(int id, Setting& setting) {
    for (const auto& [s, comboId] : kComboIds) {
        if (comboId == id) {
            setting = s;
            return true;
        }
    }
    return false;
}

std::array<long, column::kCount> columnWidths(long w) {
    const auto wide = static_cast<long>(w * 1.25);
    const auto flag = static_cast<long>(w / 1.4);
    return {static_cast<long>(w * 0.5), wide, wide, wide, wide, static_cast<long>(w / 1.2), flag, flag, flag};
}

} // namespace varnok::app
