// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Outbound command bytes. Every command ends in CR LF; the ones that carry
// distances use 8-character number fields.

#include <QByteArray>
#include <QList>

namespace protocol {

inline const QByteArray kLaserOn = QByteArrayLiteral("sl\r\n");
inline const QByteArray kLaserOff = QByteArrayLiteral("so\r\n");
inline const QByteArray kSingleMeasurement = QByteArrayLiteral("td\r\n");
inline const QByteArray kContinuousMeasurement = QByteArrayLiteral("tk\r\n");
inline const QByteArray kStop = QByteArrayLiteral("c\r\n");
inline const QByteArray kIdentityQuery = QByteArrayLiteral("IDR+F\r\n");
inline const QByteArray kAnalogQuery = QByteArrayLiteral("RD+v\r\n");
inline const QByteArray kSwitchingQuery = QByteArrayLiteral("PARAMETER\r\n");
inline const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// Width of a distance field in a command.
constexpr int kFieldWidth = 8;

// The 8-character number field of a distance in a command: a text of
// at most 8 bytes comes back right-aligned in exactly 8 bytes, padded on the
// left with '0' ("7" -> "00000007", "" -> "00000000", 8 bytes unchanged).
//
// A longer text (n > 8 bytes) gives what the in-place walk gives:
// the result keeps all n bytes, bytes 8..n-1 are the text's own, and each of
// bytes 0..7 is copied from n - 8 positions to its right after that position
// was itself rewritten, so byte j becomes text[8 + ((j - 8) mod (n - 8))]:
//   "123456789"        -> "999999999"
//   "1234567890"       -> "9090909090"
//   "0123456789ABCDEF" -> "89ABCDEF89ABCDEF" (n >= 16: the last 8 bytes, twice)
// Such a result is neither the text nor 8 bytes long; callers should refuse
// texts for which fitsField() is false.
QByteArray numberField(const QByteArray &text);

// "ut+N\r\n" for preset index 0..7; empty for any other index.
QByteArray lineSpeedCommand(int presetIndex);

// "sa+1\r\n" for index 0 (on), "sa+0\r\n" for index 1 (off); empty otherwise.
QByteArray autoMeasureCommand(int index);

// "dt+0\r\n" for index 0 (0~20 mA), "dt+1\r\n" for index 1 (4~20 mA); empty otherwise.
QByteArray analogCurrentCommand(int index);

// The analog distance range command as the five writes the sensor expects:
// "ds+", min field, "+", max field, "\r\n".
QList<QByteArray> analogRangeWrites(const QByteArray &minText, const QByteArray &maxText);

// Initial first and second switching-output commands.
inline const QByteArray kSwitchingFirstTemplate = QByteArrayLiteral("op1+xxxxxxxx+yyyyyyyy\r\n");
inline const QByteArray kSwitchingSecondTemplate = QByteArrayLiteral("op2+xxxxxxxx+yyyyyyyy");

// Mode letter for the switching-mode combo index: 'p' (Mode 1), 'q' (Mode 2),
// 0 for any other index (the command keeps its letter).
char switchingModeLetter(int modeIndex);

// Writes the mode letter (unless 0) into byte 1 and the first 8 bytes of each
// field into bytes 4..11 and 13..20 of a switching-output command. The fields
// are meant to be numberField() results; a field shorter than 8 bytes fills
// only as many bytes as it has. A command shorter than 21 bytes is left
// unchanged.
void fillSwitchingCommand(QByteArray &command, char modeLetter, const QByteArray &startField,
                          const QByteArray &stopField);

// The switching-output setting for mode index `modeIndex` and the four
// distance fields (numberField results): returns the first command, ready to
// send, and fills `second` in place (the second command without its line end,
// sent once the first is accepted). An index other than 0 or 1 leaves the
// mode letters as they were: 'p' in the first, the last one used in `second`.
QByteArray switchingCommands(int modeIndex, const QByteArray &on1Field, const QByteArray &off1Field,
                             const QByteArray &on2Field, const QByteArray &off2Field,
                             QByteArray &second);

// Distances longer than a field cannot be sent without breaking the layout.
bool fitsField(const QByteArray &text);

// A distance a setting command can carry: 0 to 8 characters, each 0-9
// (an empty text goes out as eight '0'). The sensor refuses signs, points and
// blanks, so such texts are not sent at all.
bool isDistanceText(const QByteArray &text);

} // namespace protocol
