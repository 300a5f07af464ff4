// SPDX-License-Identifier: GPL-3.0-or-later
// Outbound command bytes and the exchange codes.

#include "protocol/commands.h"
#include "protocol/codes.h"

#include <QtTest>

namespace {

// The two switching-output commands as btn_set_DA_port builds them.
QByteArray firstSwitchingCommand(int modeIndex, const QByteArray &start, const QByteArray &stop)
{
    QByteArray cmd = protocol::kSwitchingFirstTemplate;
    protocol::fillSwitchingCommand(cmd, protocol::switchingModeLetter(modeIndex),
                                   protocol::numberField(start), protocol::numberField(stop));
    return cmd;
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void fixedCommands_data();
    void fixedCommands();

    void lineSpeedCommand_data();
    void lineSpeedCommand();
    void autoMeasureCommand_data();
    void autoMeasureCommand();
    void analogCurrentCommand_data();
    void analogCurrentCommand();

    void numberField_data();
    void numberField();
    void numberFieldShortTextsAreRightJustified();
    void fitsField_data();
    void fitsField();

    void analogRangeWrites_data();
    void analogRangeWrites();

    void switchingModeLetter_data();
    void switchingModeLetter();
    void switchingCommands_data();
    void switchingCommands();
    void switchingSecondKeepsLetterOfLastUse();
    void fillSwitchingCommandEdgeCases_data();
    void fillSwitchingCommandEdgeCases();

    void isBusy_data();
    void isBusy();
    void showsDistance_data();
    void showsDistance();
    void exchangeCodes();
};

// ------------------------------------------------------- fixed commands

void TestCommands::fixedCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("laser on") << protocol::kLaserOn << QByteArray("sl\r\n");
    QTest::newRow("laser off") << protocol::kLaserOff << QByteArray("so\r\n");
    QTest::newRow("single measurement") << protocol::kSingleMeasurement << QByteArray("td\r\n");
    QTest::newRow("continuous measurement")
        << protocol::kContinuousMeasurement << QByteArray("tk\r\n");
    QTest::newRow("stop") << protocol::kStop << QByteArray("c\r\n");
    QTest::newRow("identity query") << protocol::kIdentityQuery << QByteArray("IDR+F\r\n");
    QTest::newRow("analog output query") << protocol::kAnalogQuery << QByteArray("RD+v\r\n");
    QTest::newRow("switching output query")
        << protocol::kSwitchingQuery << QByteArray("PARAMETER\r\n");
    QTest::newRow("line end") << protocol::kLineEnd << QByteArray("\r\n");
    QTest::newRow("first switching template (23 bytes)")
        << protocol::kSwitchingFirstTemplate << QByteArray("op1+xxxxxxxx+yyyyyyyy\r\n");
    QTest::newRow("second switching template (21 bytes)")
        << protocol::kSwitchingSecondTemplate << QByteArray("op2+xxxxxxxx+yyyyyyyy");
}

void TestCommands::fixedCommands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, bytes);

    QCOMPARE(command, bytes);
}

// -------------------------------------------------------- combo indexes

void TestCommands::lineSpeedCommand_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no item (-1)") << -1 << QByteArray();
    QTest::newRow("0: 9600, 8, None") << 0 << QByteArray("ut+0\r\n");
    QTest::newRow("1: 9600, 7, Even") << 1 << QByteArray("ut+1\r\n");
    QTest::newRow("2: 19200, 8, None") << 2 << QByteArray("ut+2\r\n");
    QTest::newRow("3: 19200, 7, Even") << 3 << QByteArray("ut+3\r\n");
    QTest::newRow("4: 38400, 8, None") << 4 << QByteArray("ut+4\r\n");
    QTest::newRow("5: 38400, 7, Even") << 5 << QByteArray("ut+5\r\n");
    QTest::newRow("6: 115200, 8, None") << 6 << QByteArray("ut+6\r\n");
    QTest::newRow("7: 115200, 7, Even") << 7 << QByteArray("ut+7\r\n");
    QTest::newRow("8: out of range") << 8 << QByteArray();
}

void TestCommands::lineSpeedCommand()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);

    QCOMPARE(protocol::lineSpeedCommand(index), bytes);
}

void TestCommands::autoMeasureCommand_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no item (-1)") << -1 << QByteArray();
    QTest::newRow("0: on") << 0 << QByteArray("sa+1\r\n");
    QTest::newRow("1: off") << 1 << QByteArray("sa+0\r\n");
    QTest::newRow("2: out of range") << 2 << QByteArray();
}

void TestCommands::autoMeasureCommand()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);

    QCOMPARE(protocol::autoMeasureCommand(index), bytes);
}

void TestCommands::analogCurrentCommand_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no item (-1)") << -1 << QByteArray();
    QTest::newRow("0: 0~20mA") << 0 << QByteArray("dt+0\r\n");
    QTest::newRow("1: 4~20mA") << 1 << QByteArray("dt+1\r\n");
    QTest::newRow("2: out of range") << 2 << QByteArray();
}

void TestCommands::analogCurrentCommand()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);

    QCOMPARE(protocol::analogCurrentCommand(index), bytes);
}

// ------------------------------------------------------- number field

void TestCommands::numberField_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("single digit 7") << QByteArray("7") << QByteArray("00000007");
    QTest::newRow("empty") << QByteArray() << QByteArray("00000000");
    QTest::newRow("0") << QByteArray("0") << QByteArray("00000000");
    QTest::newRow("2005") << QByteArray("2005") << QByteArray("00002005");
    QTest::newRow("1995") << QByteArray("1995") << QByteArray("00001995");
    QTest::newRow("100000") << QByteArray("100000") << QByteArray("00100000");
    QTest::newRow("7 characters") << QByteArray("1234567") << QByteArray("01234567");
    QTest::newRow("8 characters unchanged") << QByteArray("12345678") << QByteArray("12345678");
    QTest::newRow("8 letters unchanged") << QByteArray("ABCDEFGH") << QByteArray("ABCDEFGH");
    QTest::newRow("not converted: letters and signs")
        << QByteArray("-1.5e") << QByteArray("000-1.5e");
    QTest::newRow("not converted: spaces") << QByteArray(" 12 ") << QByteArray("0000 12 ");
    // Longer texts: the in-place walk (see numberField in commands.h).
    QTest::newRow("9 characters") << QByteArray("123456789") << QByteArray("999999999");
    QTest::newRow("10 characters") << QByteArray("1234567890") << QByteArray("9090909090");
    QTest::newRow("11 characters") << QByteArray("ABCDEFGHIJK") << QByteArray("JKIJKIJKIJK");
    QTest::newRow("16 characters")
        << QByteArray("0123456789ABCDEF") << QByteArray("89ABCDEF89ABCDEF");
    QTest::newRow("20 characters")
        << QByteArray("ABCDEFGHIJKLMNOPQRST") << QByteArray("MNOPQRSTIJKLMNOPQRST");
}

void TestCommands::numberField()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, field);

    QCOMPARE(protocol::numberField(text), field);
}

void TestCommands::numberFieldShortTextsAreRightJustified()
{
    const QByteArray digits("98765432");
    for (int n = 0; n <= protocol::kFieldWidth; ++n) {
        const QByteArray text = digits.right(n);
        QCOMPARE(protocol::numberField(text), text.rightJustified(8, '0'));
    }
}

void TestCommands::fitsField_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<bool>("distance"); // what the Setting buttons accept

    QTest::newRow("empty") << QByteArray() << true << true;
    QTest::newRow("1 character") << QByteArray("7") << true << true;
    QTest::newRow("8 characters") << QByteArray("12345678") << true << true;
    QTest::newRow("9 characters") << QByteArray("123456789") << false << false;
    QTest::newRow("20 characters") << QByteArray("12345678901234567890") << false << false;
    QTest::newRow("digits around a blank") << QByteArray("12 4") << true << false;
    QTest::newRow("digit after /") << QByteArray("/0") << true << false;
    QTest::newRow("digit before :") << QByteArray("9:") << true << false;
    QTest::newRow("non-Latin-1 digit, as sent") << QString("\u0663").toLatin1() << true << false;
}

void TestCommands::fitsField()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, fits);
    QFETCH(bool, distance);

    QCOMPARE(protocol::fitsField(text), fits);
    QCOMPARE(protocol::isDistanceText(text), distance);
    QCOMPARE(protocol::kFieldWidth, 8);
}

// ---------------------------------------------------------- analog range

void TestCommands::analogRangeWrites_data()
{
    QTest::addColumn<QByteArray>("minText");
    QTest::addColumn<QByteArray>("maxText");
    QTest::addColumn<QByteArray>("minField");
    QTest::addColumn<QByteArray>("maxField");

    QTest::newRow("initial texts 0 and 100000") << QByteArray("0") << QByteArray("100000")
                                                << QByteArray("00000000") << QByteArray("00100000");
    QTest::newRow("empty texts") << QByteArray() << QByteArray() << QByteArray("00000000")
                                 << QByteArray("00000000");
    QTest::newRow("8-character texts") << QByteArray("12345678") << QByteArray("87654321")
                                       << QByteArray("12345678") << QByteArray("87654321");
}

void TestCommands::analogRangeWrites()
{
    QFETCH(QByteArray, minText);
    QFETCH(QByteArray, maxText);
    QFETCH(QByteArray, minField);
    QFETCH(QByteArray, maxField);

    const QList<QByteArray> writes = protocol::analogRangeWrites(minText, maxText);
    const QList<QByteArray> expected{"ds+", minField, "+", maxField, "\r\n"};
    QCOMPARE(writes, expected);
    QCOMPARE(writes.join().size(), 22);
}

// ------------------------------------------------------ switching output

void TestCommands::switchingModeLetter_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<char>("letter");

    QTest::newRow("no item (-1)") << -1 << char(0);
    QTest::newRow("0: Mode 1") << 0 << 'p';
    QTest::newRow("1: Mode 2") << 1 << 'q';
    QTest::newRow("2: out of range") << 2 << char(0);
}

void TestCommands::switchingModeLetter()
{
    QFETCH(int, index);
    QFETCH(char, letter);

    QCOMPARE(protocol::switchingModeLetter(index), letter);
}

void TestCommands::switchingCommands_data()
{
    QTest::addColumn<int>("modeIndex");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("stop");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");

    QTest::newRow("Mode 1, initial texts")
        << 0 << QByteArray("2005") << QByteArray("1995") << QByteArray("op1+00002005+00001995\r\n")
        << QByteArray("op2+00002005+00001995");
    QTest::newRow("Mode 2, initial texts")
        << 1 << QByteArray("2005") << QByteArray("1995") << QByteArray("oq1+00002005+00001995\r\n")
        << QByteArray("oq2+00002005+00001995");
    QTest::newRow("no mode selected: templates keep their letter")
        << -1 << QByteArray("2005") << QByteArray("1995") << QByteArray("op1+00002005+00001995\r\n")
        << QByteArray("op2+00002005+00001995");
    QTest::newRow("single digit and empty text")
        << 0 << QByteArray("7") << QByteArray() << QByteArray("op1+00000007+00000000\r\n")
        << QByteArray("op2+00000007+00000000");
    QTest::newRow("8-character texts")
        << 0 << QByteArray("12345678") << QByteArray("87654321")
        << QByteArray("op1+12345678+87654321\r\n") << QByteArray("op2+12345678+87654321");
    QTest::newRow("9-character texts: first 8 bytes of the field")
        << 0 << QByteArray("123456789") << QByteArray("ABCDEFGHIJ")
        << QByteArray("op1+99999999+IJIJIJIJ\r\n") << QByteArray("op2+99999999+IJIJIJIJ");
}

void TestCommands::switchingCommands()
{
    QFETCH(int, modeIndex);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, stop);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);

    QCOMPARE(firstSwitchingCommand(modeIndex, start, stop), first);
    QCOMPARE(first.size(), 23);

    QByteArray template2 = protocol::kSwitchingSecondTemplate;
    protocol::fillSwitchingCommand(template2, protocol::switchingModeLetter(modeIndex),
                                   protocol::numberField(start), protocol::numberField(stop));
    QCOMPARE(template2, second);
    QCOMPARE(template2.size(), 21);
    QCOMPARE(template2 + protocol::kLineEnd, second + "\r\n");
}

void TestCommands::switchingSecondKeepsLetterOfLastUse()
{
    QByteArray template2 = protocol::kSwitchingSecondTemplate;
    protocol::fillSwitchingCommand(template2, protocol::switchingModeLetter(1),
                                   protocol::numberField("2005"), protocol::numberField("1995"));
    QCOMPARE(template2, QByteArray("oq2+00002005+00001995"));

    // A later click with no mode selected keeps 'q' in the second command,
    // while the first command (a fresh copy of its template) keeps 'p'.
    protocol::fillSwitchingCommand(template2, protocol::switchingModeLetter(-1),
                                   protocol::numberField("1"), protocol::numberField("2"));
    QCOMPARE(template2, QByteArray("oq2+00000001+00000002"));
    QCOMPARE(firstSwitchingCommand(-1, "1", "2"), QByteArray("op1+00000001+00000002\r\n"));
}

void TestCommands::fillSwitchingCommandEdgeCases_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<char>("letter");
    QTest::addColumn<QByteArray>("startField");
    QTest::addColumn<QByteArray>("stopField");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("command shorter than 21 bytes: unchanged")
        << QByteArray("op1+xxxxxxxx+yyyyyyy") << 'q' << QByteArray("00002005")
        << QByteArray("00001995") << QByteArray("op1+xxxxxxxx+yyyyyyy");
    QTest::newRow("empty command: unchanged")
        << QByteArray() << 'q' << QByteArray("00002005") << QByteArray("00001995") << QByteArray();
    QTest::newRow("short fields fill only their bytes")
        << QByteArray("op1+xxxxxxxx+yyyyyyyy\r\n") << 'p' << QByteArray("12") << QByteArray()
        << QByteArray("op1+12xxxxxx+yyyyyyyy\r\n");
    QTest::newRow("long fields: first 8 bytes only")
        << QByteArray("op2+xxxxxxxx+yyyyyyyy") << 'q' << QByteArray("ABCDEFGHIJ")
        << QByteArray("0123456789") << QByteArray("oq2+ABCDEFGH+01234567");
}

void TestCommands::fillSwitchingCommandEdgeCases()
{
    QFETCH(QByteArray, command);
    QFETCH(char, letter);
    QFETCH(QByteArray, startField);
    QFETCH(QByteArray, stopField);
    QFETCH(QByteArray, expected);

    protocol::fillSwitchingCommand(command, letter, startField, stopField);
    QCOMPARE(command, expected);
}

// -------------------------------------------------------- exchange codes

void TestCommands::isBusy_data()
{
    QTest::addColumn<int>("activeCommand");
    QTest::addColumn<bool>("busy");

    QTest::newRow("0 idle") << 0 << false;
    QTest::newRow("1 identity query") << 1 << true;
    QTest::newRow("2 analog query") << 2 << true;
    QTest::newRow("3 single measurement") << 3 << true;
    QTest::newRow("4 continuous measurement") << 4 << true;
    QTest::newRow("7 switching query") << 7 << true;
    QTest::newRow("255 any other non-zero") << 255 << true;
}

void TestCommands::isBusy()
{
    QFETCH(int, activeCommand);
    QFETCH(bool, busy);

    QCOMPARE(protocol::isBusy(protocol::Command(activeCommand)), busy);
}

void TestCommands::showsDistance_data()
{
    QTest::addColumn<int>("activeCommand");
    QTest::addColumn<bool>("distanceDisplay");
    QTest::addColumn<bool>("shows");

    QTest::newRow("program start: idle, display on") << 0 << true << true;
    QTest::newRow("after laser/stop: idle, display off") << 0 << false << false;
    QTest::newRow("single measurement, display off") << 3 << false << true;
    QTest::newRow("continuous measurement, display off") << 4 << false << true;
    QTest::newRow("single measurement, display on") << 3 << true << true;
    QTest::newRow("identity query, display off") << 1 << false << false;
    QTest::newRow("analog query, display off") << 2 << false << false;
    QTest::newRow("switching query, display off") << 7 << false << false;
    QTest::newRow("query, display still on") << 1 << true << true;
}

void TestCommands::showsDistance()
{
    QFETCH(int, activeCommand);
    QFETCH(bool, distanceDisplay);
    QFETCH(bool, shows);

    QCOMPARE(protocol::showsDistance(protocol::Command(activeCommand), distanceDisplay), shows);
}

void TestCommands::exchangeCodes()
{
    QCOMPARE(int(protocol::Idle), 0);
    QCOMPARE(int(protocol::IdentityQuery), 1);
    QCOMPARE(int(protocol::AnalogQuery), 2);
    QCOMPARE(int(protocol::SingleMeasurement), 3);
    QCOMPARE(int(protocol::ContinuousMeasurement), 4);
    QCOMPARE(int(protocol::SwitchingQuery), 7);
    QCOMPARE(int(protocol::NoSetting), 0);
    QCOMPARE(int(protocol::LineSpeedSetting), 1);
    QCOMPARE(int(protocol::AnalogSetting), 2);
    QCOMPARE(int(protocol::SwitchingFirstSetting), 3);
    QCOMPARE(int(protocol::SwitchingSecondSetting), 4);
    QCOMPARE(int(protocol::AutoMeasureSetting), 5);
    QCOMPARE(protocol::kResponseWindowMs, 1000);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
