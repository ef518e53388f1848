// The program's texts as Qt strings, in the language now chosen.
#pragma once

#include "text/texts.h"

#include <QString>

inline QString qtr(const varnok::text::Text& words) { return QString::fromUtf8(varnok::text::tr(words)); }
/// Nothing for a control without words.
inline QString qtr(const varnok::text::Text* words) { return words ? qtr(*words) : QString(); }
