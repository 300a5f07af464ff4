// SPDX-License-Identifier: GPL-3.0-or-later
// data_analysis: the value after a 3- or 4-byte key, one separator
// byte skipped, up to the next CR; start positions below `len` only.

#include "protocol/answers.h"

#include <QtTest>

class TestDataAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void dataAnalysis_data();
    void dataAnalysis();
};

void TestDataAnalysis::dataAnalysis_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("len");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray set42 = QByteArrayLiteral("Set 42\r\n");
    const QByteArray answer =
        QByteArrayLiteral("on1:2005\r\noff1:1995\r\non2:3005\r\noff2:2995\r\n");

    // The ordinary cases: a 3- and a 4-byte key, one separator byte skipped,
    // the value up to CR.
    QTest::newRow("Set example, len 1") << set42 << QByteArray("Set") << 1 << QByteArray("42");
    QTest::newRow("Set example, len = size")
        << set42 << QByteArray("Set") << set42.size() << QByteArray("42");
    QTest::newRow("Set example, len beyond size")
        << set42 << QByteArray("Set") << 1000 << QByteArray("42");
    QTest::newRow("4-byte key: value 5 bytes after key start")
        << QByteArray("off1=1995\r\n") << QByteArray("off1") << 11 << QByteArray("1995");
    QTest::newRow("key, separator, then CR: empty")
        << QByteArray("on1 \r\n") << QByteArray("on1") << 6 << QByteArray();

    // Edge cases.
    QTest::newRow("len 0") << set42 << QByteArray("Set") << 0 << QByteArray();
    QTest::newRow("len negative") << set42 << QByteArray("Set") << -5 << QByteArray();
    QTest::newRow("key of 2 bytes")
        << QByteArray("ok 42\r\n") << QByteArray("ok") << 7 << QByteArray();
    QTest::newRow("key of 5 bytes")
        << QByteArray("Sets: 42\r\n") << QByteArray("Sets:") << 10 << QByteArray();
    QTest::newRow("key of 1 byte")
        << QByteArray("S 42\r\n") << QByteArray("S") << 6 << QByteArray();
    QTest::newRow("empty key") << set42 << QByteArray() << 8 << QByteArray();
    QTest::newRow("key absent") << set42 << QByteArray("on1") << 8 << QByteArray();
    QTest::newRow("key at the very end")
        << QByteArray("abcSet") << QByteArray("Set") << 6 << QByteArray();
    QTest::newRow("key and separator at the very end")
        << QByteArray("abcSet ") << QByteArray("Set") << 7 << QByteArray();
    QTest::newRow("value without CR runs to the end")
        << QByteArray("on1=2005") << QByteArray("on1") << 8 << QByteArray("2005");
    QTest::newRow("first of two occurrences")
        << QByteArray("on1=1\r\non1=2\r\n") << QByteArray("on1") << 14 << QByteArray("1");
    QTest::newRow("key starting at len is not found")
        << QByteArray("abcSet 42\r\n") << QByteArray("Set") << 3 << QByteArray();
    QTest::newRow("key starting at len-1 is found")
        << QByteArray("abcSet 42\r\n") << QByteArray("Set") << 4 << QByteArray("42");
    QTest::newRow("value may extend past len")
        << QByteArray("Set 123456\r\n") << QByteArray("Set") << 1 << QByteArray("123456");
    QTest::newRow("case-sensitive")
        << QByteArray("set 42\r\n") << QByteArray("Set") << 8 << QByteArray();
    QTest::newRow("key inside other text")
        << QByteArray("xxon1y5\r\n") << QByteArray("on1") << 9 << QByteArray("5");
    QTest::newRow("any separator byte, CR included")
        << QByteArray("on1\r7\r\n") << QByteArray("on1") << 7 << QByteArray("7");
    QTest::newRow("LF does not end the value")
        << QByteArray("on1=12\n34\r\n") << QByteArray("on1") << 11 << QByteArray("12\n34");
    QTest::newRow("zero byte is copied like any byte")
        << QByteArray("on1=1\0002\r", 8) << QByteArray("on1") << 8 << QByteArray("1\0002", 3);
    QTest::newRow("key cut by the end does not match")
        << QByteArray("xxof") << QByteArray("off1") << 100 << QByteArray();
    QTest::newRow("empty text") << QByteArray() << QByteArray("Set") << 10 << QByteArray();
    QTest::newRow("text shorter than key")
        << QByteArray("Se") << QByteArray("Set") << 10 << QByteArray();
    QTest::newRow("only the separator follows, no value")
        << QByteArray("Set=") << QByteArray("Set") << 4 << QByteArray();
    QTest::newRow("single byte value at the end")
        << QByteArray("Set=9") << QByteArray("Set") << 5 << QByteArray("9");
    QTest::newRow("empty value then later value: first match decides")
        << QByteArray("on1:\r\non1:5\r\n") << QByteArray("on1") << 13 << QByteArray();
    QTest::newRow("switching answer, on1")
        << answer << QByteArray("on1") << answer.size() << QByteArray("2005");
    QTest::newRow("switching answer, off1")
        << answer << QByteArray("off1") << answer.size() << QByteArray("1995");
    QTest::newRow("switching answer, on2")
        << answer << QByteArray("on2") << answer.size() << QByteArray("3005");
    QTest::newRow("switching answer, off2")
        << answer << QByteArray("off2") << answer.size() << QByteArray("2995");
    QTest::newRow("switching answer, off2 beyond len")
        << answer << QByteArray("off2") << 30 << QByteArray();
}

void TestDataAnalysis::dataAnalysis()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, key);
    QFETCH(int, len);
    QFETCH(QByteArray, expected);

    QCOMPARE(protocol::dataAnalysis(text, key, len), expected);
}

QTEST_GUILESS_MAIN(TestDataAnalysis)
#include "tst_dataanalysis.moc"
