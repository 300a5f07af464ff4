// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/unshapedtext.h"

#include <QFont>
#include <QWidget>

namespace view {

void drawTextUnshaped(QWidget *widget)
{
    // Only the strategy is set: family and size still follow the parent.
    QFont font = widget->font();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    widget->setFont(font);
}

} // namespace view
