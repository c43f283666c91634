// Makes the application's icons from our pixel art: the first instrument
// icon, enlarged by whole factors without smoothing, as
// OUTDIR/hicolor/NxN/apps/NAME.png for every size given.
#include "display/MyIcons.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: appicon ART.xpm OUTDIR NAME SIZE...\n");
        return 2;
    }
    const QImage art(QString::fromLocal8Bit(argv[1]));
    if (art.isNull()) {
        std::fprintf(stderr, "appicon: cannot read %s\n", argv[1]);
        return 1;
    }
    // Icon 0 of the instrument sheet: the top-left 16 × 16 square.
    const QImage icon = MyIcons::allocIcon(art, 0, art.height() - 16, 16, 16);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size % 16 != 0) {
            std::fprintf(stderr, "appicon: %s is not a multiple of 16\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(outDir).arg(size);
        const QImage big =
            icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!QDir().mkpath(dir) || !big.save(dir + QLatin1Char('/') + name + ".png")) {
            std::fprintf(stderr, "appicon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
