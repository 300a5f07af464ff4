// SPDX-License-Identifier: GPL-3.0-or-later
// Faults of the disk and of the device while the program works: the traffic
// log failing under it, and the device vanishing while a box is open.

#include "app/Searial.h"
#include "app/state.h"
#include "support/apphelpers.h"
#include "support/modalboxes.h"
#include "support/ptypeer.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/mount.h>

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void logFails_data();
    void logFails();
    void deviceLostWhileBoxOpen();

private:
    std::unique_ptr<Searial> window;
    std::unique_ptr<ModalBoxes> boxes;
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<QTemporaryDir> dir;
    QString mounted;
};

void TestFaults::init()
{
    resetExchangeState();
    window = std::make_unique<Searial>();
    boxes = std::make_unique<ModalBoxes>();
    peer = std::make_unique<PtyPeer>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(peer->isValid());
    QVERIFY(openPort(*window, *peer));
}

void TestFaults::cleanup()
{
    window.reset();
    if (!mounted.isEmpty())
        ::umount2(QFile::encodeName(mounted).constData(), MNT_DETACH);
    mounted.clear();
    peer.reset();
    boxes.reset();
}

void TestFaults::logFails_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("log's folder removed") << "rmdir"
                                          << "deleted, moved or replaced";
    QTest::newRow("log renamed over") << "rename"
                                      << "deleted, moved or replaced";
    QTest::newRow("log moved, a link to another file put in its place")
        << "symlink"
        << "deleted, moved or replaced";
    QTest::newRow("log replaced by a folder") << "folder"
                                              << "deleted, moved or replaced";
    QTest::newRow("64 KiB tmpfs fills up") << "tmpfs"
                                           << "No space left on device";
    QTest::newRow("/dev/full, empty display") << "devfull"
                                              << "No space left on device";
    // The display text is written at once: Save itself fails.
    QTest::newRow("/dev/full at Save") << "devfull-save"
                                       << "";
}

void TestFaults::logFails()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    QString path = dir->filePath("sub/log.txt");
    QVERIFY(QDir(dir->path()).mkdir("sub"));
    if (fault == "tmpfs") {
        mounted = dir->filePath("sub");
        if (::mount("tmpfs", QFile::encodeName(mounted).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=64k") != 0) {
            mounted.clear();
            QSKIP("mounting a tmpfs needs root (CI runs as root)");
        }
    } else if (fault.startsWith("devfull")) {
        path = "/dev/full";
    }
    QByteArray fed = fault == "devfull" ? "" : "shown before Save\n";
    child<QPlainTextEdit>(window.get(), "plainTextEdit")->setPlainText(QString::fromUtf8(fed));
    boxes->answerFileDialog(path);
    click(window.get(), "btn_save");
    QFile reader(path);
    QVERIFY(fault.startsWith("devfull") || reader.open(QIODevice::ReadOnly));

    int n = 0;
    const auto feed = [&] {
        const QByteArray chunk = QByteArray::number(n++).leftJustified(510, '.') + "\r\n";
        fed += chunk;
        return deliver(*peer, chunk);
    };
    for (int i = 0; i < 3; ++i)
        QVERIFY(feed());
    const int fedBeforeFault = fed.size();
    const QString other = dir->filePath("other.txt");
    if (fault == "rmdir") {
        QVERIFY(QDir(dir->filePath("sub")).removeRecursively());
    } else if (fault == "rename" || fault == "symlink") {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("other") == 5);
        file.close();
        if (fault == "rename") {
            QVERIFY(::rename(QFile::encodeName(other), QFile::encodeName(path)) == 0);
        } else {
            QVERIFY(QFile::rename(path, dir->filePath("moved.txt")));
            QVERIFY(QFile::link(other, path));
        }
    } else if (fault == "folder") {
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
    }
    // More chunks keep arriving until the operator is told, and after.
    QElapsedTimer clock;
    clock.start();
    while (boxes->seen.isEmpty() && clock.elapsed() < 5000)
        QVERIFY(feed());
    QCOMPARE(boxes->seen.size(), 1);
    const qint64 reached = reader.size();
    const int fedUntilBox = fed.size();
    for (int i = 0; i < 20; ++i)
        QVERIFY(feed());

    const SeenBox box = boxes->seen.first();
    QCOMPARE(box.title, QString("Warning"));
    if (reason.isEmpty()) {
        QCOMPARE(box.text, QString("Unable to create file"));
    } else {
        QCOMPARE(box.icon, int(QMessageBox::Warning));
        QVERIFY2(box.text.contains(path) && box.text.contains(reason), qPrintable(box.text));
    }
    QVERIFY(!saveActive);

    // The display and the protocol go on.
    click(window.get(), "btn_td");
    QVERIFY(deliver(*peer, "DT:00004711\r\n"));
    QCOMPARE(child<QLineEdit>(window.get(), "lineEdit_D")->text(), QString("4711"));
    QVERIFY(child<QPlainTextEdit>(window.get(), "plainTextEdit")
                ->toPlainText()
                .endsWith("\nDT:00004711\n"));
    QCOMPARE(boxes->seen.size(), 1);

    // What reached the file is what was fed, up to some byte, and nothing was
    // added after the box: read through the handle that still holds the file.
    if (fault.startsWith("devfull"))
        return;
    const QByteArray got = reader.readAll();
    QCOMPARE(got.size(), reached);
    QCOMPARE(got, fed.left(got.size()));
    QVERIFY(got.size() <= fedUntilBox);
    qInfo("%s: %d of %d bytes fed reached the log, %d before the fault", qPrintable(fault),
          int(got.size()), fedUntilBox, fedBeforeFault);
    if (fault == "tmpfs")
        QVERIFY(got.size() > 32 * 1024 && got.size() < fedUntilBox);
    else
        QVERIFY(got.size() >= fedBeforeFault);
    // Nothing went to what took the log's place.
    if (fault == "rename" || fault == "symlink")
        QCOMPARE(QFile(path).size(), 5);
}

// The device goes away while the automatic-measurement confirmation, opened
// from the receive path, waits for the operator.
void TestFaults::deviceLostWhileBoxOpen()
{
    bool closedMeanwhile = false;
    boxes->onBox = [&] {
        peer->closeMaster();
        closedMeanwhile = QTest::qWaitFor([] { return portClosed; }, 5000);
    };
    click(window.get(), "btn_set_Auto_M");
    QVERIFY(peer->write("Auto ok\r\n"));
    QTRY_COMPARE(boxes->summary(), QStringList{"Message|Your operation was successful"});
    QVERIFY(closedMeanwhile);
    QCOMPARE(child<QLabel>(window.get(), "lab_status")->text(), QString(" Disconnected"));
    QCOMPARE(pendingSetting, quint8(0));

    // The program goes on with another device, and no second box came.
    PtyPeer replacement;
    QVERIFY(openPort(*window, replacement));
    QVERIFY(deliver(replacement, "after\r\n"));
    QCOMPARE(boxes->seen.size(), 1);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
