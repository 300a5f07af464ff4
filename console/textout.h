// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace console {

// Where --help, --version and a usage mistake are said: stdout (or stderr for
// a mistake). On Windows a window program has no console of its own, and
// what it prints goes nowhere: it prints to the console of the command prompt
// that started it, or to redirected output, and otherwise shows the text in
// a message box, as Windows programs do.
enum class TextKind { Information, Mistake };
void showText(const QString &text, TextKind kind);

} // namespace console
