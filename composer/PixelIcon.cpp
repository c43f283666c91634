#include "composer/PixelIcon.h"

#include <QPixmap>

QIcon pixelIcon(const QImage& art, int scale) {
    QIcon icon;
    for (int ratio = 1; ratio <= 4; ++ratio) {
        const int factor = scale * ratio;
        icon.addPixmap(QPixmap::fromImage(
            art.scaled(art.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    }
    return icon;
}
