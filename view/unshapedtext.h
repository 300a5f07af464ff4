// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace view {

// Text that changes with every chunk is laid out hundreds of times a second.
// Shaping it (kerning and ligatures, through HarfBuzz) is a fifth of that
// cost, for digits and ASCII that look the same without it. Qt still shapes
// the scripts it counts as unreadable without (the Indic scripts, Khmer);
// Arabic, which no sensor sends, would show its letters unjoined.
void drawTextUnshaped(QWidget *widget);

} // namespace view
