// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace view {

// Text that changes with every chunk is laid out hundreds of times a second.
// Shaping it (kerning and ligatures, through HarfBuzz) was a fifth of that
// cost, for digits and ASCII that look the same without it. Scripts that
// need shaping to be legible (Arabic, the Indic scripts) are still shaped.
void drawTextUnshaped(QWidget *widget);

} // namespace view
