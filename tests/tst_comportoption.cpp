// SPDX-License-Identifier: GPL-3.0-or-later
// The client's side of RFC 2217 over bytes alone: what it answers to a
// server's offers, when the line preset is confirmed or refused, and the
// line's data taken out of the stream however the chunks cut it.

#include "serial/comportoption.h"

#include <QtTest>

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

// The five settings of preset 0 (9600 8N1) as sent, and as a server confirms them.
const char kAsk9600[] = "fffa2c0100002580fff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0 "
                        "fffa2c0501fff0";
const char kConfirm9600[] = "fffa2c6500002580fff0 fffa2c6608fff0 fffa2c6701fff0 fffa2c6801fff0 "
                            "fffa2c6901fff0";
// What ser2net 4 offers on connect: WILL SGA, DO SGA, WILL ECHO, DONT ECHO,
// DO BINARY, WILL BINARY, DO COM-PORT-OPTION.
const char kSer2netOffers[] = "fffb03 fffd03 fffb01 fffe01 fffd00 fffb00 fffd2c";

} // namespace

class TestComPortOption : public QObject
{
    Q_OBJECT

private slots:
    void negotiation_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks"); // from the server, in order
        QTest::addColumn<QByteArray>("reply");         // everything the client answers
        QTest::addColumn<QByteArray>("data");          // the line's bytes
        QTest::addColumn<bool>("settled");
        QTest::addColumn<QString>("problem");

        const QByteArray confirm = hex(kConfirm9600);
        QTest::newRow("ser2net's offers, then its confirmations")
            << QList<QByteArray>{hex(kSer2netOffers), confirm}
            << hex("fffd03 fffb03 fffe01") + hex(kAsk9600) << QByteArray() << true << QString();
        QTest::newRow("agreement alone: the values are still unconfirmed")
            << QList<QByteArray>{hex("fffd2c")} << hex(kAsk9600) << QByteArray() << false
            << QString();
        // Every chunk boundary falls inside a command or a doubled 0xFF.
        QByteArray stream =
            hex("fffd2c") + confirm + hex("41ffff42") + hex("fffa2c6b00fff0") + hex("ffff0d0a");
        QList<QByteArray> bytewise;
        for (char c : stream)
            bytewise << QByteArray(1, c);
        QTest::newRow("byte by byte: 0xFF undoubled, a notification skipped")
            << bytewise << hex(kAsk9600) << hex("41ff42ff0d0a") << true << QString();
        QTest::newRow("data before agreement, a confirmation split in two")
            << QList<QByteArray>{hex("30ff"), hex("ff31fffd"), hex("2c") + confirm.left(7),
                                 confirm.mid(7)}
            << hex(kAsk9600) << hex("30ff31") << true << QString();
        QTest::newRow("the server refuses the option")
            << QList<QByteArray>{hex("fffe2c")} << hex("fffc2c") << QByteArray() << false
            << "the server does not offer COM-PORT-OPTION (RFC 2217) on this port; use tcp:// "
               "for a raw port";
        QTest::newRow("the server keeps another speed")
            << QList<QByteArray>{hex("fffd2c"), hex("fffa2c6500004b00fff0") + confirm.mid(10)}
            << hex(kAsk9600) << QByteArray() << false
            << "the server set the speed to 19200, not the 9600 asked for";
        QTest::newRow("options it does not know are declined, once")
            << QList<QByteArray>{hex("fffd18 fffb05 fffb05")} << hex("fffc18 fffe05 fffe05")
            << QByteArray() << false << QString();
    }

    void negotiation()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, data);

        serial::ComPortOption telnet;
        QCOMPARE(telnet.start(), hex("fffb00 fffd00 fffb2c"));
        QCOMPARE(telnet.request(0), QByteArray()); // waits for the server's agreement
        QByteArray gotReply, gotData;
        for (const QByteArray &chunk : chunks)
            telnet.take(chunk, &gotData, &gotReply);
        QCOMPARE(gotReply.toHex(), reply.toHex());
        QCOMPARE(gotData.toHex(), data.toHex());
        QTEST(telnet.settled(), "settled");
        QTEST(telnet.problem(), "problem");
    }
};

QTEST_GUILESS_MAIN(TestComPortOption)
#include "tst_comportoption.moc"
