// SPDX-License-Identifier: GPL-3.0-or-later
// The profile file: what it accepts (and writes back the same), what it
// refuses and how it names the fault, the commands a profile goes out as,
// and the comparison of two.

#include "profile/comparison.h"
#include "profile/profilefile.h"

#include <QJsonDocument>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <future>
#endif

using namespace profile;

namespace {

const QByteArray kFull = R"({
  "format": 1,
  "unit": "0.1 mm",
  "analog_output": {"range": "4-20", "min": 150, "max": 90000},
  "switching_outputs": {"on1": 2500, "off1": 2400, "on2": 3500, "off2": 3300},
  "written_not_read_back": {"switching_mode": 2, "line_preset": 4,
                            "automatic_measurement": true},
  "provenance": {"serial_number": "A17", "version": "12", "production_date": "2024-06-18",
                 "saved_at": "2026-12-08T05:00:00Z"}
})";

// A file with `group` in place of the analog output.
QByteArray withAnalog(const QByteArray &group)
{
    return R"({"format": 1, "unit": "0.1 mm", "analog_output": )" + group + "}";
}

#ifdef Q_OS_LINUX
// What a profile's path names, for files().
enum Target { FullDisk, NullDevice, Fifo, Folder, Link, OtherOwner, Content };

struct stat statOf(const QString &path, bool follow = true)
{
    struct stat st = {};
    (follow ? ::stat : ::lstat)(QFile::encodeName(path).constData(), &st);
    return st;
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}
#endif

QByteArray withSwitching(const QByteArray &group)
{
    return R"({"format": 1, "unit": "0.1 mm", "switching_outputs": )" + group + "}";
}

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    void format_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error"); // a pattern; empty: accepted
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QByteArray>("writes");

        // The line preset last: the sensor changes speed after it.
        QTest::newRow("everything") << kFull << QString()
                                    << "automatic measurement, analog output, switching "
                                       "outputs, line preset"
                                    << QByteArray("sa+1\r\n|dt+1\r\n|ds+|00000150|+|00090000|\r\n|"
                                                  "oq1+00002500+00002400\r\n|oq2+00003500+"
                                                  "00003300|\r\n|ut+4\r\n");
        QTest::newRow("missing keys leave settings alone")
            << QByteArray(R"({"format": 1, "unit": "0.1 mm"})") << QString() << QString()
            << QByteArray();
        QTest::newRow("automatic measurement off alone")
            << QByteArray(R"({"format": 1, "unit": "0.1 mm", "written_not_read_back":
                {"automatic_measurement": false}})")
            << QString() << "automatic measurement" << QByteArray("sa+0\r\n");
        QTest::newRow("largest distance")
            << withAnalog(R"({"range": "0-20", "min": 0, "max": 99999999})") << QString()
            << "analog output" << QByteArray("dt+0\r\n|ds+|00000000|+|99999999|\r\n");

        QTest::newRow("unknown key") << QByteArray(R"({"format": 1, "analog": {}})")
                                     << "analog: unknown key; known here: format, unit, .*"
                                     << QString() << QByteArray();
        QTest::newRow("unknown key in a group")
            << withAnalog(R"({"range": "4-20", "min": 0, "mx": 5})")
            << "analog_output.mx: unknown key; known here: range, min, max" << QString()
            << QByteArray();
        QTest::newRow("distance as text")
            << withSwitching(R"({"on1": "2500", "off1": 1, "on2": 2, "off2": 3})")
            << "switching_outputs.on1: must be a whole number of 0.1 mm, not a text"
            << QString() << QByteArray();
        QTest::newRow("distance of 9 digits")
            << withSwitching(R"({"on1": 1, "off1": 1, "on2": 123456789, "off2": 3})")
            << "switching_outputs.on2: 123456789 has more than 8 digits \\(at most 99999999, "
               "in 0.1 mm\\)"
            << QString() << QByteArray();
        QTest::newRow("negative distance")
            << withAnalog(R"({"range": "4-20", "min": -1, "max": 5})")
            << "analog_output.min: must be a whole number of 0.1 mm from 0 to 99999999, not -1"
            << QString() << QByteArray();
        QTest::newRow("distance with a fraction")
            << withAnalog(R"({"range": "4-20", "min": 1.5, "max": 5})")
            << "analog_output.min: must be a whole number of 0.1 mm, not 1.5" << QString()
            << QByteArray();
        QTest::newRow("a group lacking a value")
            << withSwitching(R"({"on1": 1, "off1": 1, "on2": 2})")
            << "switching_outputs.off2: missing; .*" << QString() << QByteArray();
        QTest::newRow("range not known")
            << withAnalog(R"({"range": "2-20", "min": 0, "max": 5})")
            << "analog_output.range: must be \"0-20\" or \"4-20\" \\(mA\\), not \"2-20\""
            << QString() << QByteArray();
        QTest::newRow("line preset 8")
            << QByteArray(
                   R"({"format": 1, "unit": "0.1 mm", "written_not_read_back": {"line_preset": 8}})")
            << "written_not_read_back.line_preset: must be a line preset from 0 to 7, not 8"
            << QString() << QByteArray();
        QTest::newRow("automatic measurement as a number")
            << QByteArray(
                   R"({"format": 1, "unit": "0.1 mm",
                       "written_not_read_back": {"automatic_measurement": 1}})")
            << "written_not_read_back.automatic_measurement: must be true or false, not a number"
            << QString() << QByteArray();
        QTest::newRow("format 2") << QByteArray(R"({"format": 2})")
                                  << "format: 2 is not known; this program reads format 1"
                                  << QString() << QByteArray();
        QTest::newRow("no format") << QByteArray(R"({"unit": "0.1 mm"})")
                                   << "format: missing; .*" << QString() << QByteArray();
        QTest::newRow("distances in mm") << QByteArray(R"({"format": 1, "unit": "mm"})")
                                         << "unit: must be \"0.1 mm\", the sensor's own unit"
                                         << QString() << QByteArray();
        QTest::newRow("truncated") << kFull.left(kFull.indexOf("\"min\"") + 8)
                                   << "line 4, column 46: .+" << QString() << QByteArray();
        QTest::newRow("not an object") << QByteArray("[1]") << "not a profile: .*" << QString()
                                       << QByteArray();
    }

    void format()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QString, settings);
        QFETCH(QByteArray, writes);

        Profile p;
        QString problem;
        const bool ok = ProfileFile::parse(json, &p, &problem);
        if (!error.isEmpty()) {
            QVERIFY2(!ok, qPrintable(ProfileFile::toJson(p)));
            QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(error))
                         .match(problem)
                         .hasMatch(),
                     qPrintable(problem));
            return;
        }
        QVERIFY2(ok, qPrintable(problem));
        QStringList names;
        QByteArrayList bytes;
        for (const PlannedSetting &s : plan(p)) {
            names << s.name;
            bytes += s.writes;
        }
        QCOMPARE(names.join(", "), settings);
        QCOMPARE(bytes.join('|'), writes);

        // Written back, it says the same (the unit is always written).
        QJsonObject expected = QJsonDocument::fromJson(json).object();
        expected.insert("unit", "0.1 mm");
        QCOMPARE(QJsonDocument::fromJson(ProfileFile::toJson(p)).object(), expected);
    }

    // A profile is written whole or not at all, and read back as written.
    void file()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("line3.json");
        Profile p;
        QString problem;
        QVERIFY(ProfileFile::parse(kFull, &p, &problem));
        QVERIFY2(ProfileFile::write(path, p, &problem), qPrintable(problem));
        Profile back;
        QVERIFY2(ProfileFile::read(path, &back, &problem), qPrintable(problem));
        QVERIFY(Comparison(p, back, Comparison::Scope::Everything).equal());
        QCOMPARE(back.serialNumber, QString("A17"));

        // Nowhere to write: an error, and nothing left behind.
        const QString nowhere = dir.filePath("missing/line3.json");
        QVERIFY(!ProfileFile::write(nowhere, p, &problem));
        QVERIFY(problem.startsWith("cannot write " + nowhere));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"line3.json"});

        QFile cut(path);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(kFull.left(40));
        cut.close();
        QVERIFY(!ProfileFile::read(path, &back, &problem));
        QVERIFY2(problem.startsWith(path + ": line 4, column 4: "), qPrintable(problem));
    }

    // Targets a save must not replace, or must replace keeping owner and
    // mode; sources a read must refuse, without blocking, naming the fault.
    void files_data()
    {
#ifndef Q_OS_LINUX
        QSKIP("devices, FIFOs, owners and tmpfs are tried on Linux");
#else
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("save");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error"); // a pattern; empty: done

        const auto row = [](const char *name, Target target, bool save, const QString &error,
                            const QByteArray &content = QByteArray()) {
            QTest::newRow(name) << int(target) << save << content << ".*/p.json: " + error;
        };
        const QString device = "it is (a device|a FIFO \\(named pipe\\))";
        row("save: full disk", FullDisk, true, "No space left on device; the file is as it was");
        row("save: /dev/null", NullDevice, true, device + "; nothing was written");
        row("read: /dev/null", NullDevice, false, device + ", not a profile file");
        row("save: FIFO", Fifo, true, "it is a FIFO \\(named pipe\\); nothing was written");
        row("read: FIFO", Fifo, false, "it is a FIFO \\(named pipe\\), not a profile file");
        row("save: folder", Folder, true, "it is a folder; nothing was written");
        row("read: folder", Folder, false, "it is a folder, not a profile file");
        QTest::newRow("save: link to a file") << int(Link) << true << QByteArray() << QString();
        QTest::newRow("save: file of another user, through a link")
            << int(OtherOwner) << true << QByteArray() << QString();
        row("read: 2 MiB", Content, false, "larger than 1048576 bytes; .*",
            QByteArray(2 * 1024 * 1024, ' ') + kFull);
        row("read: key given twice", Content, false,
            "analog_output.max: given twice \\(again at line 1, column 93\\); .*",
            withAnalog(R"({"range": "4-20", "min": 0, "max": 100000, "max": 5})"));
        row("read: no unit", Content, false, "unit: missing; .*",
            R"({"format": 1, "switching_outputs": {}})");
        row("read: ESC in a key", Content, false, "\\\\x1b\\[2J\\\\x0dALL OK: unknown key; .*",
            "{\"format\": 1, \"unit\": \"0.1 mm\", \"\\u001b[2J\\rALL OK\": 1}");
#endif
    }

    void files()
    {
#ifdef Q_OS_LINUX
        QFETCH(int, target);
        QFETCH(bool, save);
        QFETCH(QByteArray, content);
        QFETCH(QString, error);

        QTemporaryDir dir;
        QString path = dir.filePath("p.json");
        const QByteArray native = QFile::encodeName(path);
        Profile p;
        QString problem;
        QVERIFY(ProfileFile::parse(kFull, &p, &problem));
        const QByteArray before = ProfileFile::toJson(p);
        const QString full = dir.filePath("full");
        const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(full).constData()); });
        switch (target) {
        case FullDisk:
            QVERIFY(QDir(dir.path()).mkdir("full"));
            if (::mount("tmpfs", QFile::encodeName(full).constData(), "tmpfs", 0, "size=16k") != 0)
                QSKIP("cannot mount a small tmpfs here (it needs root): no full disk to try");
            path = full + "/p.json";
            QVERIFY(put(path, before));
            QVERIFY(!put(full + "/filler", QByteArray(1 << 20, 'x'))); // now it is full
            break;
        case NullDevice: // a FIFO where no device can be made
            if (::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
                break;
            Q_FALLTHROUGH();
        case Fifo:
            QCOMPARE(::mkfifo(native.constData(), 0666), 0);
            break;
        case Folder:
            QVERIFY(QDir(dir.path()).mkdir("p.json"));
            break;
        case OtherOwner:
        case Link:
            QVERIFY(put(dir.filePath("kept.json"), before));
            if (target == OtherOwner &&
                (::chown(QFile::encodeName(dir.filePath("kept.json")).constData(), 65534, 65534) ||
                 ::chmod(QFile::encodeName(dir.filePath("kept.json")).constData(), 0640)))
                QSKIP("the file cannot be given to another user here (it needs root)");
            QVERIFY(QFile::link("kept.json", path));
            break;
        default:
            QVERIFY(put(path, content));
        }
        const struct stat was = statOf(path);
        const struct stat linkWas = statOf(path, false);
        const QDir folder(QFileInfo(path).path());
        const QStringList files = folder.entryList(QDir::AllEntries | QDir::Hidden);

        p.serialNumber = "B42";
        // Where a read would block, opening the other end of the FIFO frees it.
        auto run = std::async(std::launch::async, [&] {
            Profile read;
            return save ? ProfileFile::write(path, p, &problem)
                        : ProfileFile::read(path, &read, &problem);
        });
        const bool ended = run.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        if (!ended)
            ::close(::open(native.constData(), O_WRONLY | O_NONBLOCK));
        QVERIFY2(ended, "reading blocked");
        QCOMPARE(run.get(), error.isEmpty());
        QVERIFY2(error.isEmpty() || QRegularExpression("^" + error + "$").match(problem).hasMatch(),
                 qPrintable(problem));

        // The path names what it named, of the same owner and mode; a
        // regular file holds the new profile only when the save went through.
        const struct stat is = statOf(path);
        QVERIFY(statOf(path, false).st_mode == linkWas.st_mode && is.st_mode == was.st_mode &&
                is.st_uid == was.st_uid && is.st_gid == was.st_gid);
        if (S_ISREG(was.st_mode) && save) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll().contains("B42"), error.isEmpty());
        }
        // Nothing left beside it.
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden), files);
#endif
    }

    // A sensor is compared on what the file holds and it reports; two files
    // on everything either holds.
    void comparison()
    {
        Profile sensor;
        sensor.analog = Analog{1, 0, 100000};
        sensor.switching = Switching{1500, 1400, 3000, 2900};
        Profile file;
        file.switching = Switching{1500, 1400, 3000, 3300};
        file.linePreset = 4;

        const Comparison readBack(sensor, file, Comparison::Scope::ReadBack);
        QCOMPARE(readBack.rows().size(), 4);
        QCOMPARE(readBack.differences().size(), 1);
        QCOMPARE(readBack.differences().at(0).setting, QString("switching_outputs.off2"));
        QCOMPARE(readBack.differences().at(0).left, QString("2900"));
        QCOMPARE(readBack.differences().at(0).right, QString("3300"));

        QStringList differing;
        for (const auto &row : Comparison(sensor, file, Comparison::Scope::Everything)
                                   .differences())
            differing << row.setting + "=" + row.left + "/" + row.right;
        QCOMPARE(differing, QStringList({"analog_output.range=4-20/", "analog_output.min=0/",
                                         "analog_output.max=100000/",
                                         "switching_outputs.off2=2900/3300",
                                         "written_not_read_back.line_preset=/4"}));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
