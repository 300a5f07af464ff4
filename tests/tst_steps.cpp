// SPDX-License-Identifier: GPL-3.0-or-later
// When an answer is final, and what the setting steps make of it. A front end
// that ends the response window as soon as the answer is final must show what
// the whole window would: for every prefix that counts as final, no further
// bytes (the rest of the answer, or stray markers and keys) may change the
// outcome. And the answers must count as final as early as that allows, and
// no earlier prefix as final.

#include "protocol/answers.h"
#include "protocol/codes.h"
#include "protocol/steps.h"

#include <QtTest>

using namespace protocol;

namespace {

// Queries: the parsed fields. Settings: the step taken and the pending setting after it.
QByteArray outcome(quint8 code, bool setting, const QByteArray &answer, int len)
{
    if (setting) {
        const bool perChunk = code == AnalogSetting || code == AutoMeasureSetting;
        const SettingStep step =
            perChunk ? chunkSettingStep(Setting(code), answer)
                     : timedSettingStep(Setting(code), answer, len);
        return QByteArray::number(int(step.action)) + " -> " + QByteArray::number(step.next);
    }
    switch (code) {
    case IdentityQuery: {
        const Identity id = parseIdentity(answer);
        return id.serialNumber + '|' + id.version + '|' + id.date;
    }
    case AnalogQuery: {
        const AnalogOutput analog = parseAnalog(answer);
        return analog.range + '|' + analog.minDistance + '|' + analog.maxDistance;
    }
    default: {
        const SwitchingOutputs s = parseSwitching(answer, len);
        return s.on1 + '|' + s.off1 + '|' + s.on2 + '|' + s.off2;
    }
    }
}

bool decided(quint8 code, bool setting, const QByteArray &answer, int len)
{
    return setting ? settingVerdict(Setting(code), answer, len) != Verdict::Undecided
                   : queryAnswerFinal(Command(code), answer, len);
}

} // namespace

class TestSteps : public QObject
{
    Q_OBJECT

private slots:
    void finalAnswers_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("setting");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("finalAt"); // shortest final prefix; -1: never

        const QByteArray switching = "mode:1\r\non1:1500\r\noff1:1400\r\non2:3000\r\noff2:2900\r\n"
                                     "baud:9600\r\n";
        QTest::newRow("identity") << int(IdentityQuery) << false
                                  << QByteArray("DEVICE-ID: 40618127A17\r\n") << 21;
        QTest::newRow("analog") << int(AnalogQuery) << false << QByteArray("AOUT=1,0+100000+\r\n")
                                << 16;
        QTest::newRow("analog, '+' before 7 is no separator")
            << int(AnalogQuery) << false << QByteArray("A+O+T=1,150+200+\r\n") << 16;
        QTest::newRow("switching")
            << int(SwitchingQuery) << false << switching << switching.indexOf("off2:2900\r") + 10;
        QTest::newRow("switching, other order, key inside text")
            << int(SwitchingQuery) << false << QByteArray("xoff2=7\r\non1 5\r\non2:\r\noff1:0\r\n")
            << 29;

        QTest::newRow("line speed accepted")
            << int(LineSpeedSetting) << true << QByteArray("Set:4\r\n") << 5;
        QTest::newRow("line speed refused")
            << int(LineSpeedSetting) << true << QByteArray("Set:E\r\n") << 5;
        QTest::newRow("line speed, no 'Set'")
            << int(LineSpeedSetting) << true << QByteArray("SeT:4\r\n") << -1;
        QTest::newRow("switching 1 accepted")
            << int(SwitchingFirstSetting) << true << QByteArray("ok\r\n") << 2;
        QTest::newRow("switching 2, 'Ez' then 'ok'")
            << int(SwitchingSecondSetting) << true << QByteArray("Ezok\r\n") << 4;
        QTest::newRow("automatic measurement accepted")
            << int(AutoMeasureSetting) << true << QByteArray("Auto:1\r\n") << 4;
        QTest::newRow("automatic measurement refused once it cannot be a frame")
            << int(AutoMeasureSetting) << true << QByteArray("SA:NAK\r\n") << 4;
        QTest::newRow("analog range asked for")
            << int(AnalogSetting) << true << QByteArray("DAC:0\r\n") << 4;
        QTest::newRow("analog range, other answer")
            << int(AnalogSetting) << true << QByteArray("DT:NAK\r\n") << -1;
    }

    void finalAnswers()
    {
        QFETCH(int, code);
        QFETCH(bool, setting);
        QFETCH(QByteArray, answer);
        QFETCH(int, finalAt);

        const QByteArrayList strays = {"ok",  "Ezz",  "Set:9\r\n", "on1:9\r\n", "off2:9\r\n",
                                       "+7+", "\r\n", "DAC",       "Aut",       "x"};
        int first = -1;
        for (int n = 0; n <= answer.size(); ++n) {
            const QByteArray prefix = answer.left(n);
            if (!decided(quint8(code), setting, prefix, n))
                continue;
            if (first < 0)
                first = n;
            const QByteArray shown = outcome(quint8(code), setting, prefix, n);
            for (const QByteArray &more : strays + QByteArrayList{answer.mid(n)}) {
                const QByteArray longer = prefix + more;
                QVERIFY2(outcome(quint8(code), setting, longer, longer.size()) == shown,
                         longer.toHex().constData());
            }
        }
        QCOMPARE(first, finalAt);
    }

    // What a decided step writes, the same for the window and orvante-ctl.
    void writes_data()
    {
        QTest::addColumn<int>("pending");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("action");
        QTest::addColumn<QByteArrayList>("writes");

        const QByteArray second = "op2+00003000+00002900";
        QTest::newRow("switching 1 accepted: the second command, then its line end")
            << int(SwitchingFirstSetting) << QByteArray("ok\r\n") << int(Action::SendSecond)
            << QByteArrayList{second, "\r\n"};
        QTest::newRow("switching 2 accepted: nothing more")
            << int(SwitchingSecondSetting) << QByteArray("ok\r\n") << int(Action::Succeeded)
            << QByteArrayList();
        QTest::newRow("analog asked for: the typed distances in fields")
            << int(AnalogSetting) << QByteArray("DAC\r\n") << int(Action::SendDistances)
            << QByteArrayList{"ds+", "00000150", "+", "99999999", "\r\n"};
        QTest::newRow("analog asked for, a typed text no distance: fails, writes nothing")
            << int(AnalogSetting) << QByteArray("DAC\r\n") << int(Action::Failed)
            << QByteArrayList();
    }

    void writes()
    {
        QFETCH(int, pending);
        QFETCH(QByteArray, answer);
        QFETCH(int, action);
        QFETCH(QByteArrayList, writes);

        const bool badText = action == int(Action::Failed);
        const FollowUp typed{"op2+00003000+00002900", "150", badText ? "1.5" : "99999999"};
        const SettingStep step = pending == AnalogSetting
                              ? chunkSettingStep(Setting(pending), answer, typed)
                              : timedSettingStep(Setting(pending), answer, answer.size(), typed);
        QCOMPARE(int(step.action), action);
        QCOMPARE(step.writes, writes);
        QCOMPARE(int(step.next),
                 action == int(Action::SendSecond) ? int(SwitchingSecondSetting) : int(NoSetting));
    }
};

QTEST_APPLESS_MAIN(TestSteps)
#include "tst_steps.moc"
