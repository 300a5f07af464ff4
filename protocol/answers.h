// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Parsing of what the sensor sends back. Everything reads only inside the
// buffers it is given: answers can be cut short or garbled on the line.

#include <QByteArray>
#include <QList>
#include <QString>

namespace protocol {

// The bytes up to the first zero byte, decoded as UTF-8: how received bytes
// become text on screen.
QString chunkText(const QByteArray &bytes);

// The value after key `key` (3 or 4 bytes) in `text`: one separator byte is
// skipped, then bytes up to the next CR or the end. Start positions are tried
// below `len` only; the first match wins. Empty for any other key size.
QByteArray dataAnalysis(const QByteArray &text, const QByteArray &key, int len);
// Where that value starts (after the key and its separator byte), which may
// be at or past the end of `text`; -1 when the key does not occur as above.
int valueStart(const QByteArray &text, const QByteArray &key, int len);

// The sizes of a distance frame, CR LF included: one frame, or two that came
// in one read.
constexpr int kFrameSize = 13;
constexpr int kLongFrameSize = 2 * kFrameSize;

// A chunk of exactly kFrameSize or kLongFrameSize bytes is a distance frame.
// Returns true and the distance text (leading '0's dropped, up to the first
// CR after byte 3 or the chunk's end) in `distance`; false for any other
// length.
bool frameDistance(const QByteArray &chunk, QByteArray *distance);

// Where the identity and analog output answers hold their values, counted
// from the first byte received after the query; the parses, their checks and
// the tests of a complete answer all read them from here. Identity: the last
// digit of the year, month, day, version, serial number, each value ending
// where the next begins.
constexpr int kIdentityYear = 11;
constexpr int kIdentityMonth = 12;
constexpr int kIdentityDay = 14;
constexpr int kIdentityVersion = 16;
constexpr int kIdentitySerial = 18;
constexpr int kIdentityEnd = 21;
// Analog output: the range code, then the lower distance up to its '+'.
constexpr int kAnalogRange = 5;
constexpr int kAnalogMin = 7;

struct Identity
{
    QByteArray serialNumber; // positions 18..20
    QByteArray version;      // positions 16..17
    QByteArray date;         // "202Y-MM-DD" from positions 11..15
};
// A field any of whose positions lie beyond the received text stays empty: the
// date needs 16 bytes, the version 18, the serial number 21.
Identity parseIdentity(const QByteArray &answer);

struct AnalogOutput
{
    QByteArray range; // "0~20", "4~20" or empty
    QByteArray minDistance;
    QByteArray maxDistance;
    int maxStart = -1; // position of the upper distance's first byte, -1 if none
};
// Range code at position 5 ('0' -> "0~20", '1' -> "4~20", anything else or a
// missing position 5 -> empty), then "+"-terminated distances: the lower one
// from position 7 up to the first '+' at or after 7, the upper one from after
// that '+' up to the next '+'. A distance without its closing '+' is
// incomplete and stays empty; with no first '+' both stay empty. maxStart is
// set whenever the first '+' exists (it may equal the answer's size).
AnalogOutput parseAnalog(const QByteArray &answer);

struct SwitchingOutputs
{
    QByteArray on1, off1, on2, off2;
};
SwitchingOutputs parseSwitching(const QByteArray &answer, int len);

// Outcome of a switching-output setting: the first of 'Ezz' or 'ok' found at
// positions below `len` (and inside `answer`); 'Ezz' wins where both start at
// the same position.
enum class Ack { None, Ok, Rejected };
Ack scanAck(const QByteArray &answer, int len);

// A line-speed answer is accepted when the value after "Set" starts with a digit.
bool lineSpeedAccepted(const QByteArray &answer, int len);

// Answers that confirm the analog range and automatic-measurement settings.
bool isAnalogRangeRequest(const QByteArray &chunk); // begins with "DAC"
bool isAutoMeasureAck(const QByteArray &chunk);     // begins with "Aut"

// Takes the complete lines, each ending in CR LF (which it keeps), from the
// front of `stream` and leaves an unfinished last line there. The sensor ends
// every answer and frame so, which lets a reader of the byte stream find them
// whatever pieces the line delivered them in.
QList<QByteArray> takeLines(QByteArray &stream);

} // namespace protocol
