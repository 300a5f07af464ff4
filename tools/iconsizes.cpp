// SPDX-License-Identifier: GPL-3.0-or-later
// Scales the program's icon to the sizes of an icon theme:
//
//   orv-iconsizes SOURCE.png OUTDIR NAME SIZE...
//
// writes OUTDIR/<SIZE>x<SIZE>/apps/NAME.png for each SIZE. Sizes above the
// source's are refused: an enlarged icon is only a blurred one.

#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SOURCE.png OUTDIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QImage source(sourcePath);
    if (source.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > source.width() || size > source.height()) {
            std::fprintf(stderr, "bad size %s for a %dx%d source\n", argv[i], source.width(),
                         source.height());
            return 1;
        }
        // A square icon whatever the source's shape: scaled to fit, centred.
        QImage icon(size, size, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        const QImage scaled =
            source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter(&icon).drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2,
                                  scaled);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
