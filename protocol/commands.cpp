// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/commands.h"

#include "protocol/analogrange.h"
#include "protocol/linepresets.h"

namespace protocol {

QByteArray numberField(const QByteArray &text)
{
    // The field's walk, done in place on a copy of the text: target positions 7..0, each taking the byte just left of the
    // previous source position, '0' once the source is used up.
    QByteArray x = text;
    if (x.size() < kFieldWidth)
        x.resize(kFieldWidth); // the walk creates these positions; all are written below
    int c = text.size();
    for (int j = kFieldWidth - 1; j >= 0; --j) {
        if (c > 0) {
            --c;
            x[j] = x.at(c);
        } else {
            x[j] = '0';
        }
    }
    return x;
}

QByteArray lineSpeedCommand(int presetIndex)
{
    if (!isLinePreset(presetIndex))
        return QByteArray();
    QByteArray cmd = QByteArrayLiteral("ut+");
    cmd += char('0' + presetIndex);
    cmd += kLineEnd;
    return cmd;
}

QByteArray autoMeasureCommand(int index)
{
    switch (index) {
    case 0:
        return QByteArrayLiteral("sa+1\r\n");
    case 1:
        return QByteArrayLiteral("sa+0\r\n");
    default:
        return QByteArray();
    }
}

QByteArray analogCurrentCommand(int index)
{
    const AnalogRange *range = analogRangeByIndex(index);
    return range ? QByteArray("dt+") + range->code + kLineEnd : QByteArray();
}

QList<QByteArray> analogRangeWrites(const QByteArray &minText, const QByteArray &maxText)
{
    return {QByteArrayLiteral("ds+"), numberField(minText), QByteArrayLiteral("+"),
            numberField(maxText), kLineEnd};
}

char switchingModeLetter(int modeIndex)
{
    switch (modeIndex) {
    case 0:
        return 'p';
    case 1:
        return 'q';
    default:
        return 0;
    }
}

void fillSwitchingCommand(QByteArray &command, char modeLetter, const QByteArray &startField,
                          const QByteArray &stopField)
{
    if (command.size() < 21)
        return;
    if (modeLetter != 0)
        command[1] = modeLetter;
    const int startCount = qMin(startField.size(), kFieldWidth);
    for (int i = 0; i < startCount; ++i)
        command[4 + i] = startField.at(i);
    const int stopCount = qMin(stopField.size(), kFieldWidth);
    for (int i = 0; i < stopCount; ++i)
        command[13 + i] = stopField.at(i);
}

QByteArray switchingCommands(int modeIndex, const QByteArray &on1Field, const QByteArray &off1Field,
                             const QByteArray &on2Field, const QByteArray &off2Field,
                             QByteArray &second)
{
    QByteArray first = kSwitchingFirstTemplate;
    const char mode = switchingModeLetter(modeIndex);
    fillSwitchingCommand(first, mode, on1Field, off1Field);
    fillSwitchingCommand(second, mode, on2Field, off2Field);
    return first;
}

bool fitsField(const QByteArray &text)
{
    return text.size() <= kFieldWidth;
}

bool isDistanceText(const QByteArray &text)
{
    if (!fitsField(text))
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace protocol
