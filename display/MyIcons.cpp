#include "display/MyIcons.h"

#include <QImageReader>
#include <QPainter>

namespace {

MyIcons* g_myIcons = nullptr;

constexpr int kIconSize = 16;

// A 16 × 16 button image whose inactive look lies 16 left of its active one.
QImage cutButton(const QImage& source, int inactiveX, int y, bool active) {
    return MyIcons::allocIcon(source, active ? inactiveX + kIconSize : inactiveX, y, kIconSize,
                              kIconSize);
}

} // namespace

MyIcons::MyIcons(const std::filesystem::path& resourceFolder) : _resourceFolder(resourceFolder) {
    _buttonIcons = loadImage(QStringLiteral("buttons"));
    _clefIcon = loadImage(QStringLiteral("clef"));
    _eraserIcons = loadImage(QStringLiteral("eraser_etc"));
    _zuboIcons = loadImage(QStringLiteral("zubo_icons"));
    _zuboRunningIcons = loadImage(QStringLiteral("zubo_running"));

    // Four to a row from the top-left of a sheet 80 high.
    for (int i = 0; i < kIconCount; ++i) {
        _zuboIconsArray[i] = allocIcon(_zuboIcons, (i % 4) * kIconSize, 64 - (i / 4) * kIconSize,
                                       kIconSize, kIconSize);
    }
    _runningIcon0 = allocIcon(_zuboRunningIcons, 0, 44, 16, 22);
    _runningIcon1 = allocIcon(_zuboRunningIcons, 16, 44, 16, 22);

    _playIconActive = allocPlayIcon(true);
    _playIconInactive = allocPlayIcon(false);
    _stopIconActive = allocStopIcon(true);
    _stopIconInactive = allocStopIcon(false);
    _loopIconActive = allocLoopIcon(true);
    _loopIconInactive = allocLoopIcon(false);
    _measure4IconActive = allocMeasure4Icon(true);
    _measure4IconInactive = allocMeasure4Icon(false);
    _measure3IconActive = allocMeasure3Icon(true);
    _measure3IconInactive = allocMeasure3Icon(false);
    _eraseIconActive = allocEraseIcon(true);
    _eraseIconInactive = allocEraseIcon(false);

    g_myIcons = this;
}

MyIcons::~MyIcons() {
    // A later instance may have taken over the registration; it stays.
    if (g_myIcons == this) {
        g_myIcons = nullptr;
    }
}

MyIcons* MyIcons::myIcons() {
    return g_myIcons;
}

const QImage* MyIcons::clefIcon() const {
    return _clefIcon.isNull() ? nullptr : &_clefIcon;
}

const QImage* MyIcons::getZuboIcon(int index) const {
    if (index < 0 || index >= kIconCount) {
        return nullptr;
    }
    return &_zuboIconsArray[static_cast<std::size_t>(index)];
}

const QImage* MyIcons::getPlayIcon(bool active) const {
    return active ? &_playIconActive : &_playIconInactive;
}

const QImage* MyIcons::getStopIcon(bool active) const {
    return active ? &_stopIconActive : &_stopIconInactive;
}

const QImage* MyIcons::getLoopIcon(bool active) const {
    return active ? &_loopIconActive : &_loopIconInactive;
}

const QImage* MyIcons::getMeasure4Icon(bool active) const {
    return active ? &_measure4IconActive : &_measure4IconInactive;
}

const QImage* MyIcons::getMeasure3Icon(bool active) const {
    return active ? &_measure3IconActive : &_measure3IconInactive;
}

const QImage* MyIcons::getEraseIcon(bool active) const {
    return active ? &_eraseIconActive : &_eraseIconInactive;
}

const QImage* MyIcons::runningIcon(bool frame) const {
    return frame ? &_runningIcon1 : &_runningIcon0;
}

int MyIcons::iconIndex(const QImage* image) const {
    for (int i = 0; i < kIconCount; ++i) {
        if (image == &_zuboIconsArray[static_cast<std::size_t>(i)]) {
            return i;
        }
    }
    return -1;
}

std::filesystem::path MyIcons::imageFile(const std::filesystem::path& folder,
                                         const std::string& name) {
    QList<QByteArray> formats{QByteArrayLiteral("xpm")};
    for (const auto& format : QImageReader::supportedImageFormats()) {
        if (!formats.contains(format)) {
            formats.append(format);
        }
    }
    std::error_code ec;
    for (const auto& format : formats) {
        const auto path = folder / (name + "." + format.toStdString());
        if (std::filesystem::is_regular_file(path, ec)) {
            return path;
        }
    }
    return {};
}

QImage MyIcons::loadImage(const QString& name) const {
    const auto path = imageFile(_resourceFolder, name.toStdString());
    return path.empty() ? QImage() : QImage(QString::fromStdString(path.string()));
}

QImage MyIcons::allocIcon(const QImage& source, int x, int y, int width, int height) {
    QImage icon(width, height, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    if (!source.isNull()) {
        QPainter painter(&icon);
        // The source counts y from its bottom edge, Qt from its top.
        painter.drawImage(QPoint(0, 0), source,
                          QRect(x, source.height() - y - height, width, height));
    }
    return icon;
}

QImage MyIcons::allocPlayIcon(bool active) const {
    return cutButton(_buttonIcons, 0, 32, active);
}

QImage MyIcons::allocStopIcon(bool active) const {
    return cutButton(_buttonIcons, 32, 32, active);
}

QImage MyIcons::allocLoopIcon(bool active) const {
    return cutButton(_buttonIcons, 0, 16, active);
}

QImage MyIcons::allocMeasure4Icon(bool active) const {
    return cutButton(_eraserIcons, 0, 48, active);
}

QImage MyIcons::allocMeasure3Icon(bool active) const {
    return cutButton(_eraserIcons, 32, 64, active);
}

QImage MyIcons::allocEraseIcon(bool active) const {
    return cutButton(_eraserIcons, 0, 64, active);
}
