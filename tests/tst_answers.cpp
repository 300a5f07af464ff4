// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing of the sensor's answers: distance frames, the three query answers,
// the setting confirmations and the text of a received chunk.

#include "protocol/answers.h"
#include "protocol/codes.h"
#include "protocol/presentedvalues.h"

#include <QtTest>

using protocol::Ack;

Q_DECLARE_METATYPE(protocol::Ack)

namespace {

const char *ackName(Ack ack)
{
    switch (ack) {
    case Ack::None:
        return "None";
    case Ack::Ok:
        return "Ok";
    case Ack::Rejected:
        return "Rejected";
    }
    return "?";
}

// An identity answer: 11 bytes not examined, then the given bytes from position 11.
QByteArray identityAnswer(const QByteArray &fromPosition11)
{
    return QByteArrayLiteral("IDR+F:ABCDE") + fromPosition11;
}

} // namespace

class TestAnswers : public QObject
{
    Q_OBJECT

private slots:
    void frameDistance_data();
    void frameDistance();
    void frameDistanceWithoutOutput();

    void identity_data();
    void identity();

    void analog_data();
    void analog();

    void switching_data();
    void switching();

    void ack_data();
    void ack();

    void lineSpeed_data();
    void lineSpeed();

    void settingAnswers_data();
    void settingAnswers();

    void chunkText_data();
    void chunkText();

    void presentedValues_data();
    void presentedValues();
};

// ---------------------------------------------------------------- frames

void TestAnswers::frameDistance_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("isFrame");
    QTest::addColumn<QByteArray>("distance");

    QTest::newRow("13 bytes, three leading zeros")
        << QByteArray("D: 00012345\r\n") << true << QByteArray("12345");
    QTest::newRow("13 bytes, no leading zero")
        << QByteArray("D: 12345678\r\n") << true << QByteArray("12345678");
    QTest::newRow("inner zeros kept")
        << QByteArray("D: 00102030\r\n") << true << QByteArray("102030");
    QTest::newRow("all zeros: empty") << QByteArray("D: 00000000\r\n") << true << QByteArray();
    QTest::newRow("CR right at byte 3: empty")
        << QByteArray("D: \r12345678\n") << true << QByteArray();
    QTest::newRow("prefix not examined")
        << QByteArray("00000000012\r\n") << true << QByteArray("12");
    QTest::newRow("digits not checked")
        << QByteArray("abcXYZ\r\n12345") << true << QByteArray("XYZ");
    QTest::newRow("bytes after the CR not examined")
        << QByteArray("D: 0042\r99999") << true << QByteArray("42");
    QTest::newRow("no CR after byte 3: up to the end")
        << QByteArray("D: 0001234567") << true << QByteArray("1234567");
    QTest::newRow("no CR, all zeros: empty") << QByteArray("D: 0000000000") << true << QByteArray();
    QTest::newRow("26 bytes: first of two frames")
        << QByteArray("D: 00012345\r\nD: 00054321\r\n") << true << QByteArray("12345");
    QTest::newRow("26 bytes, first frame all zeros")
        << QByteArray("D: 00000000\r\nD: 00054321\r\n") << true << QByteArray();
    QTest::newRow("26 bytes, no CR: up to the end")
        << QByteArray("D: 0001234567890123456789X") << true << QByteArray("1234567890123456789X");
    QTest::newRow("empty chunk") << QByteArray() << false << QByteArray();
    QTest::newRow("12 bytes") << QByteArray("D: 0001234\r\n") << false << QByteArray();
    QTest::newRow("14 bytes") << QByteArray("D: 000123456\r\n") << false << QByteArray();
    QTest::newRow("first 8 bytes of a split frame")
        << QByteArray("D: 00012") << false << QByteArray();
    QTest::newRow("last 5 bytes of a split frame")
        << QByteArray("345\r\n") << false << QByteArray();
    QTest::newRow("39 bytes: three frames")
        << QByteArray("D: 00012345\r\nD: 00054321\r\nD: 00011111\r\n") << false << QByteArray();
}

void TestAnswers::frameDistance()
{
    QFETCH(QByteArray, chunk);
    QFETCH(bool, isFrame);
    QFETCH(QByteArray, distance);

    if (isFrame)
        QVERIFY2(chunk.size() == 13 || chunk.size() == 26, "frame row of wrong length");
    QByteArray actual("untouched");
    QCOMPARE(protocol::frameDistance(chunk, &actual), isFrame);
    if (isFrame)
        QCOMPARE(actual, distance);
    else
        QCOMPARE(actual, QByteArray("untouched"));
}

void TestAnswers::frameDistanceWithoutOutput()
{
    QVERIFY(protocol::frameDistance(QByteArray("D: 00012345\r\n"), nullptr));
    QVERIFY(!protocol::frameDistance(QByteArray("D: 0001234\r\n"), nullptr));
}

// -------------------------------------------------------------- identity

void TestAnswers::identity_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("serialNumber");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("date");

    const QByteArray full = identityAnswer("5031211789\r\n");
    QTest::newRow("full answer") << full << QByteArray("789") << QByteArray("11")
                                 << QByteArray("2025-03-12");
    QTest::newRow("exactly 21 bytes")
        << full.left(21) << QByteArray("789") << QByteArray("11") << QByteArray("2025-03-12");
    QTest::newRow("bytes after 20 not examined")
        << identityAnswer("5031211789XYZ+123\r\n") << QByteArray("789") << QByteArray("11")
        << QByteArray("2025-03-12");
    QTest::newRow("20 bytes: serial empty")
        << full.left(20) << QByteArray() << QByteArray("11") << QByteArray("2025-03-12");
    QTest::newRow("19 bytes: serial empty")
        << full.left(19) << QByteArray() << QByteArray("11") << QByteArray("2025-03-12");
    QTest::newRow("18 bytes: serial empty")
        << full.left(18) << QByteArray() << QByteArray("11") << QByteArray("2025-03-12");
    QTest::newRow("17 bytes: version empty too")
        << full.left(17) << QByteArray() << QByteArray() << QByteArray("2025-03-12");
    QTest::newRow("16 bytes: date only")
        << full.left(16) << QByteArray() << QByteArray() << QByteArray("2025-03-12");
    QTest::newRow("15 bytes: all empty")
        << full.left(15) << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("empty answer") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("bytes as sent, no conversion")
        << identityAnswer("9AB CDEFGHI") << QByteArray("FGH") << QByteArray("DE")
        << QByteArray("2029-AB- C");
}

void TestAnswers::identity()
{
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, serialNumber);
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, date);

    const protocol::Identity id = protocol::parseIdentity(answer);
    QCOMPARE(id.serialNumber, serialNumber);
    QCOMPARE(id.version, version);
    QCOMPARE(id.date, date);
}

// ---------------------------------------------------------------- analog

void TestAnswers::analog_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<QByteArray>("minDistance");
    QTest::addColumn<QByteArray>("maxDistance");
    QTest::addColumn<int>("maxStart");

    // Positions 0..4 "RD+v:", 5 the range code, 6 ",", distances from 7.
    QTest::newRow("4~20, 0 and 100000") << QByteArray("RD+v:1,0+100000+\r\n") << QByteArray("4~20")
                                        << QByteArray("0") << QByteArray("100000") << 9;
    QTest::newRow("4~20, 150 and 100000")
        << QByteArray("RD+v:1,150+100000+\r\n") << QByteArray("4~20") << QByteArray("150")
        << QByteArray("100000") << 11;
    QTest::newRow("0~20") << QByteArray("RD+v:0,0+100000+\r\n") << QByteArray("0~20")
                          << QByteArray("0") << QByteArray("100000") << 9;
    QTest::newRow("other range code: empty range")
        << QByteArray("RD+v:2,0+100000+\r\n") << QByteArray() << QByteArray("0")
        << QByteArray("100000") << 9;
    QTest::newRow("'+' at position 7: lower empty, upper from 8")
        << QByteArray("RD+v:0,+100000+\r\n") << QByteArray("0~20") << QByteArray()
        << QByteArray("100000") << 8;
    QTest::newRow("'+' right after the first '+': upper empty")
        << QByteArray("RD+v:1,150++\r\n") << QByteArray("4~20") << QByteArray("150") << QByteArray()
        << 11;
    QTest::newRow("'+' before position 7 not used")
        << QByteArray("RD+v+1+150+99+") << QByteArray("4~20") << QByteArray("150")
        << QByteArray("99") << 11;
    QTest::newRow("after the second '+' not examined")
        << QByteArray("RD+v:1,150+100000+777+\r\n") << QByteArray("4~20") << QByteArray("150")
        << QByteArray("100000") << 11;
    QTest::newRow("no first '+': min and max empty")
        << QByteArray("RD+v:1,150\r\n") << QByteArray("4~20") << QByteArray() << QByteArray() << -1;
    QTest::newRow("no second '+': max empty")
        << QByteArray("RD+v:1,150+100000\r\n") << QByteArray("4~20") << QByteArray("150")
        << QByteArray() << 11;
    QTest::newRow("first '+' is the last byte") << QByteArray("RD+v:1,150+") << QByteArray("4~20")
                                                << QByteArray("150") << QByteArray() << 11;
    QTest::newRow("7 bytes: nothing after the code")
        << QByteArray("RD+v:1,") << QByteArray("4~20") << QByteArray() << QByteArray() << -1;
    QTest::newRow("6 bytes: code only")
        << QByteArray("RD+v:0") << QByteArray("0~20") << QByteArray() << QByteArray() << -1;
    QTest::newRow("5 bytes: position 5 missing")
        << QByteArray("RD+v:") << QByteArray() << QByteArray() << QByteArray() << -1;
    QTest::newRow("empty answer") << QByteArray() << QByteArray() << QByteArray() << QByteArray()
                                  << -1;
}

void TestAnswers::analog()
{
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, range);
    QFETCH(QByteArray, minDistance);
    QFETCH(QByteArray, maxDistance);
    QFETCH(int, maxStart);

    const protocol::AnalogOutput out = protocol::parseAnalog(answer);
    QCOMPARE(out.range, range);
    QCOMPARE(out.minDistance, minDistance);
    QCOMPARE(out.maxDistance, maxDistance);
    QCOMPARE(out.maxStart, maxStart);
}

// ------------------------------------------------------------- switching

void TestAnswers::switching_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("len");
    QTest::addColumn<QByteArray>("on1");
    QTest::addColumn<QByteArray>("off1");
    QTest::addColumn<QByteArray>("on2");
    QTest::addColumn<QByteArray>("off2");

    const QByteArray inOrder("on1:2005\r\noff1:1995\r\non2:3005\r\noff2:2995\r\n");
    const QByteArray shuffled("off2:2995\r\non1:2005\r\non2:3005\r\noff1:1995\r\n");
    const QByteArray noOn2("on1:2005\r\noff1:1995\r\noff2:2995\r\n");

    QTest::newRow("keys in order")
        << inOrder << inOrder.size() << QByteArray("2005") << QByteArray("1995")
        << QByteArray("3005") << QByteArray("2995");
    QTest::newRow("keys off2, on1, on2, off1")
        << shuffled << shuffled.size() << QByteArray("2005") << QByteArray("1995")
        << QByteArray("3005") << QByteArray("2995");
    QTest::newRow("on2 missing") << noOn2 << noOn2.size() << QByteArray("2005")
                                 << QByteArray("1995") << QByteArray() << QByteArray("2995");
    QTest::newRow("len larger than the answer")
        << inOrder << inOrder.size() + 500 << QByteArray("2005") << QByteArray("1995")
        << QByteArray("3005") << QByteArray("2995");
    QTest::newRow("len covers the first two keys only")
        << inOrder << 20 << QByteArray("2005") << QByteArray("1995") << QByteArray()
        << QByteArray();
    QTest::newRow("len 0") << inOrder << 0 << QByteArray() << QByteArray() << QByteArray()
                           << QByteArray();
    QTest::newRow("first occurrence of a repeated key")
        << QByteArray("on1:1\r\non1:2\r\n") << 14 << QByteArray("1") << QByteArray() << QByteArray()
        << QByteArray();
    QTest::newRow("last value without CR") << QByteArray("on1 7\r\noff2 8") << 13 << QByteArray("7")
                                           << QByteArray() << QByteArray() << QByteArray("8");
    QTest::newRow("empty answer") << QByteArray() << 10 << QByteArray() << QByteArray()
                                  << QByteArray() << QByteArray();
}

void TestAnswers::switching()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, len);
    QFETCH(QByteArray, on1);
    QFETCH(QByteArray, off1);
    QFETCH(QByteArray, on2);
    QFETCH(QByteArray, off2);

    const protocol::SwitchingOutputs s = protocol::parseSwitching(answer, len);
    QCOMPARE(s.on1, on1);
    QCOMPARE(s.off1, off1);
    QCOMPARE(s.on2, on2);
    QCOMPARE(s.off2, off2);
}

// ------------------------------------------------------------------ acks

void TestAnswers::ack_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("len");
    QTest::addColumn<Ack>("expected");

    QTest::newRow("ok") << QByteArray("ok\r\n") << 4 << Ack::Ok;
    QTest::newRow("Ezz") << QByteArray("Ezz\r\n") << 5 << Ack::Rejected;
    QTest::newRow("ok then Ezz") << QByteArray("op1 ok\r\nEzz\r\n") << 13 << Ack::Ok;
    QTest::newRow("Ezz before ok") << QByteArray("Ezz\r\nok\r\n") << 9 << Ack::Rejected;
    QTest::newRow("Ezz directly followed by ok") << QByteArray("Ezzok") << 5 << Ack::Rejected;
    QTest::newRow("ok directly followed by Ezz") << QByteArray("okEzz") << 5 << Ack::Ok;
    QTest::newRow("ok twice") << QByteArray("ok\r\nok\r\n") << 8 << Ack::Ok;
    QTest::newRow("neither") << QByteArray("op1+00002005\r\n") << 14 << Ack::None;
    QTest::newRow("case-sensitive") << QByteArray("OK ezz EZZ Ok") << 13 << Ack::None;
    QTest::newRow("Ez then ok") << QByteArray("Ezok") << 4 << Ack::Ok;
    QTest::newRow("len 0") << QByteArray("ok") << 0 << Ack::None;
    QTest::newRow("len negative") << QByteArray("ok") << -3 << Ack::None;
    QTest::newRow("ok starts at len: not seen") << QByteArray("xxok") << 2 << Ack::None;
    QTest::newRow("ok starts at len-1: seen, may end past len")
        << QByteArray("xxok") << 3 << Ack::Ok;
    QTest::newRow("Ezz starts at len-1: seen") << QByteArray("xxEzz") << 3 << Ack::Rejected;
    QTest::newRow("len beyond the answer") << QByteArray("ok") << 100 << Ack::Ok;
    QTest::newRow("Ezz cut by the end") << QByteArray("abcEz") << 100 << Ack::None;
    QTest::newRow("ok cut by the end") << QByteArray("abco") << 100 << Ack::None;
    QTest::newRow("Ezz cut, ok earlier wins") << QByteArray("okEz") << 100 << Ack::Ok;
    QTest::newRow("empty answer, len positive") << QByteArray() << 5 << Ack::None;
}

void TestAnswers::ack()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, len);
    QFETCH(Ack, expected);

    QCOMPARE(ackName(protocol::scanAck(answer, len)), ackName(expected));
}

// ------------------------------------------------------------ line speed

void TestAnswers::lineSpeed_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("len");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("Set value begins with a digit") << QByteArray("Set 3\r\n") << 7 << true;
    QTest::newRow("digit 0") << QByteArray("Set:0 baud\r\n") << 12 << true;
    QTest::newRow("digit 9") << QByteArray("Set=9") << 5 << true;
    QTest::newRow("value begins with a letter") << QByteArray("Set A\r\n") << 7 << false;
    QTest::newRow("value begins with a space") << QByteArray("Set  3\r\n") << 8 << false;
    QTest::newRow("empty value") << QByteArray("Set \r\n") << 6 << false;
    QTest::newRow("no Set") << QByteArray("ok\r\n") << 4 << false;
    QTest::newRow("lower-case set") << QByteArray("set 3\r\n") << 7 << false;
    QTest::newRow("empty answer") << QByteArray() << 0 << false;
    QTest::newRow("len 0") << QByteArray("Set 3\r\n") << 0 << false;
    QTest::newRow("Set starts at len: not seen") << QByteArray("xxSet 3\r\n") << 2 << false;
    QTest::newRow("Set starts at len-1: seen") << QByteArray("xxSet 3\r\n") << 3 << true;
}

void TestAnswers::lineSpeed()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, len);
    QFETCH(bool, accepted);

    QCOMPARE(protocol::lineSpeedAccepted(answer, len), accepted);
}

// ---------------------------------------------------- DAC and Aut chunks

void TestAnswers::settingAnswers_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("dac");
    QTest::addColumn<bool>("aut");

    QTest::newRow("DAC") << QByteArray("DAC\r\n") << true << false;
    QTest::newRow("DAC only") << QByteArray("DAC") << true << false;
    QTest::newRow("DAC with more text") << QByteArray("DAC?+range\r\n") << true << false;
    QTest::newRow("split after D") << QByteArray("D") << false << false;
    QTest::newRow("split after DA") << QByteArray("DA") << false << false;
    QTest::newRow("DAC not at the start") << QByteArray("xDAC\r\n") << false << false;
    QTest::newRow("dac lower-case") << QByteArray("dac\r\n") << false << false;
    QTest::newRow("Aut") << QByteArray("Aut\r\n") << false << true;
    QTest::newRow("Auto measure on") << QByteArray("Auto measure on\r\n") << false << true;
    QTest::newRow("Au only") << QByteArray("Au") << false << false;
    QTest::newRow("Aut not at the start") << QByteArray(" Aut") << false << false;
    QTest::newRow("distance frame") << QByteArray("D: 00012345\r\n") << false << false;
    QTest::newRow("empty chunk") << QByteArray() << false << false;
    QTest::newRow("zero byte inside the marker") << QByteArray("DA\0C", 4) << false << false;
}

void TestAnswers::settingAnswers()
{
    QFETCH(QByteArray, chunk);
    QFETCH(bool, dac);
    QFETCH(bool, aut);

    QCOMPARE(protocol::isAnalogRangeRequest(chunk), dac);
    QCOMPARE(protocol::isAutoMeasureAck(chunk), aut);
}

// ------------------------------------------------------------ chunk text

void TestAnswers::chunkText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ASCII with CR LF") << QByteArray("AB\r\n") << QStringLiteral("AB\r\n");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("zero byte in the middle") << QByteArray("A\0B", 3) << QStringLiteral("A");
    QTest::newRow("zero byte first") << QByteArray("\0AB", 3) << QString();
    QTest::newRow("zero byte last") << QByteArray("AB\0", 3) << QStringLiteral("AB");
    QTest::newRow("two zero bytes") << QByteArray("x\0y\0z", 5) << QStringLiteral("x");
    QTest::newRow("UTF-8 decoded")
        << QByteArray("\xe5\xbc\x80\xe5\x90\xaf") << QString::fromUtf8("开启");
    QTest::newRow("distance frame")
        << QByteArray("D: 00012345\r\n") << QStringLiteral("D: 00012345\r\n");
}

void TestAnswers::chunkText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    QCOMPARE(protocol::chunkText(bytes), text);
}

QTEST_GUILESS_MAIN(TestAnswers)
#include "tst_answers.moc"

// Each value of a query's answer as every front end presents it: its field's
// text and its verdict, one letter a value (G good, I not come in full, M not
// in the sensor's form or shown otherwise than it came). The answer comes in
// the reads given, through the receive path's text.
void TestAnswers::presentedValues_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QByteArray>("verdicts");

    const int id = protocol::IdentityQuery, an = protocol::AnalogQuery,
              sw = protocol::SwitchingQuery;
    const QByteArray keyed = "on1:1500\r\noff1:1400\r\non2:3000\r\noff2:2900\r\n";
    const QStringList date = {"789", "11", "2025-03-12"};
    const QStringList outputs = {"1500", "1400", "3000", "2900"};
    const auto row = [](const char *name, int command, const QByteArrayList &reads,
                        const QStringList &texts, const char *verdicts) {
        QTest::newRow(name) << command << reads << texts << QByteArray(verdicts);
    };

    row("identity, well formed", id, {identityAnswer("5031211789\r\n")}, date, "GGG");
    row("identity, letter in the year", id, {identityAnswer("V031211789\r\n")},
        {"789", "11", "202V-03-12"}, "GGM");
    row("identity, month 13", id, {identityAnswer("5131211789\r\n")},
        {"789", "11", "2025-13-12"}, "GGM");
    row("identity, day 0", id, {identityAnswer("5030011789\r\n")}, {"789", "11", "2025-03-00"},
        "GGM");
    row("identity, 29 February of another year", id, {identityAnswer("50229AB x \r\n")},
        {" x ", "AB", "2025-02-29"}, "GGM");
    row("identity, control byte in the serial number", id,
        {identityAnswer("50312117\x01" "9\r\n")}, {"7\x01" "9", "11", "2025-03-12"}, "MGG");
    // The receive path turns a stray high byte into U+FFFD (3 bytes).
    row("identity, noise before it", id, {"\xef\xbf\xbd" + identityAnswer("5031211789\r\n")},
        {"211", "31", "202C-DE-50"}, "MMM");
    row("identity, an earlier answer's tail before it", id,
        {"A17\r\n" + identityAnswer("5031211789\r\n")}, {"312", "50", "202A-BC-DE"}, "MMM");
    row("identity, cut off in the serial number", id, {identityAnswer("50312117")},
        {"", "11", "2025-03-12"}, "IGG");

    row("analog, well formed", an, {"AOUT=1,0+100000+\r\n"}, {"4~20", "0", "100000"}, "GGG");
    row("analog, range code 2", an, {"AOUT=2,0+100000+\r\n"}, {"", "0", "100000"}, "MGG");
    row("analog, 9 digits", an, {"AOUT=0,150+123456789+\r\n"}, {"0~20", "150", "123456789"},
        "GGM");
    row("analog, letters in a distance, an empty one", an, {"AOUT=0,1S0++\r\n"},
        {"0~20", "1S0", ""}, "GMM");
    row("analog, cut off in the max", an, {"AOUT=", "1,150+900"}, {"4~20", "150", ""}, "GGI");

    row("switching, well formed", sw, {keyed}, outputs, "GGGG");
    row("switching, noise before it: keys still hold", sw, {"\xef\xbf\xbd\r\n" + keyed}, outputs,
        "GGGG");
    row("switching, letter and 9 digits", sw,
        {"on1:15O0\r\noff1:1400\r\non2:123456789\r\noff2:2900\r\n"},
        {"15O0", "1400", "123456789", "2900"}, "MGMG");
    // The text of a read ends at its zero byte: the field would lack a value
    // that came whole.
    row("switching, a zero byte hides output 1 open", sw,
        {QByteArrayLiteral("mode:1\x00\r\non1:1500\r\n"), "off1:1400\r\non2:3000\r\noff2:2900\r\n"},
        {"", "1400", "3000", "2900"}, "MGGG");
    row("switching, off2 not ended", sw, {"on1:1500\r\noff1:1400\r\non2:3000\r\noff2:29"},
        {"1500", "1400", "3000", "29"}, "GGGI");
}

void TestAnswers::presentedValues()
{
    QFETCH(int, command);
    QFETCH(QByteArrayList, reads);
    QFETCH(QStringList, texts);
    QFETCH(QByteArray, verdicts);

    protocol::Answer answer;
    for (const QByteArray &read : reads)
        answer.take(read);
    QStringList shown;
    QByteArray judged;
    for (const protocol::PresentedValue &v :
         protocol::presentedValues(protocol::Command(command), answer)) {
        shown << v.text;
        judged += v.verdict == protocol::ValueVerdict::Good         ? 'G'
                  : v.verdict == protocol::ValueVerdict::Incomplete ? 'I'
                                                                    : 'M';
    }
    QCOMPARE(shown, texts);
    QCOMPARE(judged, verdicts);
}
