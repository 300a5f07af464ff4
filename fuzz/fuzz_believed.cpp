// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: what the program believes of the sensor's bytes. The
// input is cut into reads (sizes from its first two bytes) and fed to the
// frame stream with the distance field, to the answer check of each query,
// and to the setting steps, the way the window and orvante-ctl feed them.
// Every shown distance and every believed value must appear, byte for byte,
// in the raw input where its rule reads it; the frames must not depend on
// how the reads were cut; a setting decided on the reads so far must stay
// decided that way whatever comes after.

#include "protocol/answers.h"
#include "protocol/distancefield.h"
#include "protocol/codes.h"
#include "protocol/framestream.h"
#include "protocol/presentedvalues.h"
#include "protocol/steps.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

using namespace protocol;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

bool printable(const QByteArray &value)
{
    for (const char c : value) {
        if (uchar(c) < 0x20 || uchar(c) == 0x7f)
            return false;
    }
    return true;
}

// The frames of the whole input read as one: the reference for any cut.
QList<QByteArray> framesOf(QByteArray raw)
{
    QList<QByteArray> distances;
    for (const QByteArray &line : takeLines(raw)) {
        QByteArray distance;
        if (isFrameLine(line, &distance))
            distances << (distance.isEmpty() ? QByteArrayLiteral("0") : distance);
    }
    return distances;
}

void checkFrames(const QByteArray &raw, const QList<QByteArray> &reads)
{
    FrameStream stream;
    DistanceField field;
    QList<QByteArray> seen;
    for (const QByteArray &read : reads) {
        QByteArray notFrame;
        const QList<QByteArray> distances = stream.take(read, &notFrame);
        seen += distances;
        const DistanceField::Update update =
            field.take(distances, notFrame, ContinuousMeasurement, false, false);
        check(update.show == !distances.isEmpty());
        if (update.show) {
            // The field ends on the newest frame, its digits as they came,
            // up to the CR that ends them.
            check(update.text ==
                  (distances.constLast() == "0" ? QByteArray() : distances.constLast()));
            check(printable(update.text) && raw.contains(update.text + '\r'));
        }
        if (!notFrame.isEmpty())
            check(raw.contains(notFrame.left(kLongFrameSize)));
    }
    check(seen == framesOf(raw));
}

// Believed values: the raw bytes parse to the very bytes the text shows,
// without a control byte, found in the input where their rule reads them.
void checkAnswers(const QByteArray &raw, const QList<QByteArray> &reads)
{
    for (const Command command : {IdentityQuery, AnalogQuery, SwitchingQuery}) {
        Answer answer;
        beginQuery(command, answer.text, answer.count);
        for (const QByteArray &read : reads)
            answer.take(read);
        check(answer.raw == raw);
        const QList<PresentedValue> values = presentedValues(command, answer);
        for (int i = 0; i < values.size(); ++i) {
            if (values.at(i).verdict != ValueVerdict::Good)
                continue;
            const QByteArray &value = values.at(i).shown;
            check(printable(value));
            if (command == IdentityQuery && i == 2)
                check(value == "202" + raw.mid(kIdentityYear, 1) + '-' +
                                   raw.mid(kIdentityMonth, 2) + '-' + raw.mid(kIdentityDay, 2));
            else if (command == IdentityQuery)
                check(value == raw.mid(i == 0 ? kIdentitySerial : kIdentityVersion, value.size()));
            else if (command == AnalogQuery && i == 0)
                check(value == raw.mid(kAnalogRange, 1));
            else if (command == AnalogQuery && i == 1)
                check(raw.mid(kAnalogMin, value.size() + 1) == value + '+');
            else if (command == AnalogQuery)
                check(raw.contains('+' + value + '+'));
            else
                check(raw.contains(value + '\r'));
        }
    }
}

// A setting decided on the reads so far keeps that decision to the end, and
// what decides it is in the input.
void checkSettings(const QByteArray &raw, const QList<QByteArray> &reads)
{
    const FollowUp typed{"op2+00000001+00000002", "150", "90000"};
    for (const Setting pending : {AutoMeasureSetting, AnalogSetting}) {
        const SettingStep last = chunkSettingStep(pending, raw, typed);
        QByteArray sinceWrite;
        for (const QByteArray &read : reads) {
            sinceWrite += read;
            const SettingStep step = chunkSettingStep(pending, sinceWrite, typed);
            if (step.action != Action::None) {
                check(step.action == last.action);
                break;
            }
        }
        if (last.action == Action::Succeeded)
            check(raw.contains("Aut"));
        if (last.action == Action::SendDistances)
            check(raw.contains("DAC"));
        const QByteArray instead = sentInstead(pending, raw);
        check(instead.isEmpty() || (raw.contains(instead) && !instead.contains("\r\n")));
    }
    for (const Setting pending : {LineSpeedSetting, SwitchingFirstSetting}) {
        const Verdict verdict = settingVerdict(pending, raw, raw.size());
        if (verdict == Verdict::Accepted)
            check(raw.contains(pending == LineSpeedSetting ? "Set" : "ok"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > 4096)
        return 0;
    const QByteArray raw(reinterpret_cast<const char *>(data) + 2, int(size) - 2);
    // Read sizes of 1 to 16 bytes, drawn from the first two bytes.
    QList<QByteArray> reads;
    quint32 state = data[0] | (quint32(data[1]) << 8) | 1u;
    for (int at = 0; at < raw.size();) {
        state = state * 1103515245u + 12345u;
        const int n = 1 + int((state >> 16) % 16);
        reads << raw.mid(at, n);
        at += n;
    }
    checkFrames(raw, reads);
    checkAnswers(raw, reads);
    checkSettings(raw, reads);
    return 0;
}
