// SPDX-License-Identifier: GPL-3.0-or-later
// orvante-ctl's command line, read directly: every command the program's help
// lists has a help of its own, under the same usage line, and that line names
// exactly the options the command takes, with their value names.

#include "ctl/options.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

ctl::CommandLine parsed(const QStringList &arguments)
{
    return ctl::parseCommandLine(QStringList{"orvante-ctl"} + arguments);
}

// "--name VALUE" (or "--name" for a switch) of every option `pattern` finds.
QStringList options(const QString &text, const QString &pattern)
{
    QStringList found;
    QRegularExpressionMatchIterator it =
        QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1) != "--help")
            found << (match.captured(1) + " " + match.captured(2)).trimmed();
    }
    found.sort();
    return found;
}

} // namespace

class TestCtlOptions : public QObject
{
    Q_OBJECT

private slots:
    void commandHelp_data();
    void commandHelp();
};

void TestCtlOptions::commandHelp_data()
{
    QTest::addColumn<QString>("usage");
    const ctl::CommandLine help = parsed({"--help"});
    QCOMPARE(help.outcome, ctl::CommandLine::Print);
    // Under "Commands:", a usage line and a summary line each.
    const QStringList lines =
        help.text.section("\nCommands:\n", 1).section("\n\n", 0, 0).split('\n');
    QVERIFY(lines.size() > 2);
    for (int i = 0; i < lines.size(); i += 2) {
        // publish's help is the gateway's own.
        if (!lines.at(i).trimmed().startsWith("publish "))
            QTest::newRow(qPrintable(lines.at(i).trimmed())) << lines.at(i).trimmed();
    }
}

void TestCtlOptions::commandHelp()
{
    QFETCH(QString, usage);
    const QString name =
        QRegularExpression("^[a-z][a-z-]*( [a-z][a-z-]*(?= |$))?").match(usage).captured();
    const ctl::CommandLine help = parsed(name.split(' ') << "--help");
    QCOMPARE(help.outcome, ctl::CommandLine::Print);
    const QString usageLine = help.text.section('\n', 0, 0);
    QVERIFY2(usageLine.endsWith(" " + usage), qPrintable(usageLine));
    const QString listed = help.text.section("\nOptions:\n", 1).section("\n\n", 0, 0);
    const QStringList named = options(usageLine, "(--[a-z0-9-]+)(?: ([A-Za-z0-9|-]+))?");
    const QStringList taken = options(listed, "^  (?:-\\w, )?(--[a-z0-9-]+)(?: <([^>]+)>)?");
    QCOMPARE(named, taken);
}

QTEST_GUILESS_MAIN(TestCtlOptions)
#include "tst_ctloptions.moc"
