// What a screen reader says for the form's controls. The desktop faces hand
// these texts to their platform's accessibility layer unchanged, so every
// face names a box or a cell in the same words.
#pragma once

#include "image/form.h"
#include "text/texts.h"

#include <string>
#include <string_view>

namespace varnok::app {

/// A settings box's name: its label's words, without the blanks that place
/// them in the form.
std::string settingName(Setting setting);

/// The control a label of the form template names, by control id: a
/// settings box, or the grid by its title; 0 for the group titles.
/// The label is known by its Chinese words, which name the setting in the
/// table of settings too, whatever the window shows.
int labelledControl(const text::Text& label);

/// A grid cell as it is heard when it becomes current: "channel 2,
/// 接收频率, 462.65000" (the column without its unit). An empty cell says
/// "empty" in the value's place, so the phrase never ends on a bare column
/// name that sounds cut off; the channel number column says "channel N" and
/// the header row its own text.
std::string cellPhrase(const FormState& form, int row, int col);

} // namespace varnok::app
