#include "display/PictureExport.h"

#include "common/AtomicFile.h"
#include "display/MyIcons.h"
#include "display/OrnPainter.h"
#include "export/ExportSignals.h"
#include "export/PngRowWriter.h"
#include "score/OrnScore.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

namespace zubo {
namespace {

// Qt needs a GUI application for fonts and the palette. The headless modes
// run without one, so the export makes its own for as long as it runs, on the
// offscreen platform when no display is there.
std::unique_ptr<QGuiApplication> guiApplicationIfNone() {
    if (QCoreApplication::instance()) {
        return nullptr;
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    static int argc = 1;
    static char name[] = "zubo-sequencer";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int pictureMaxWidth() {
    return static_cast<int>(
               OrnPainter::playingPositionToPhisicalX(static_cast<float>(OrnScore::maxLength()))) +
           16;
}

int pictureWidth(const OrnScore& score) {
    const auto endX =
        static_cast<int>(OrnPainter::playingPositionToPhisicalX(static_cast<float>(score.end())));
    return std::max(kPictureMinWidth, std::min(endX + 64, pictureMaxWidth()));
}

QImage paintScorePicture(const OrnScore& score, int scale) {
    return paintScorePictureBand(score, scale, 0, kPictureHeight);
}

QImage paintScorePictureBand(const OrnScore& score, int scale, int top, int height) {
    const int width = pictureWidth(score);
    // Opaque: the frame covers every pixel, and the PNG needs no alpha.
    QImage image(width * scale, height * scale, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    OrnImageInfo info;
    setOrnImageInfoSize(info, static_cast<float>(width), static_cast<float>(kPictureHeight));
    OrnPainter painter;
    QPainter qpainter(&image);
    // The whole frame is painted, shifted up by whole units so that every
    // pixel falls where it falls in one picture.
    qpainter.translate(0, -top);
    painter.initialPaint(qpainter, info, score);
    return image;
}

QSize wrappedPictureSize(const std::vector<OrnStaffRow>& rows) {
    int width = 0;
    for (const OrnStaffRow& row : rows) {
        width = std::max(width, row.width);
    }
    const auto count = static_cast<int>(rows.size());
    return {width, count > 0 ? staffRowTop(count - 1) + kStaffRowHeight : 0};
}

QImage paintWrappedPictureBand(const OrnScore& score, const std::vector<OrnStaffRow>& rows,
                               int scale, int top, int height) {
    QImage image(wrappedPictureSize(rows).width() * scale, height * scale, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    image.setDevicePixelRatio(scale);
    // Around and between the rows: the colour the running strip's corners take.
    image.fill(QGuiApplication::palette().color(QPalette::Window));
    OrnPainter painter;
    QPainter qpainter(&image);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int rowTop = staffRowTop(static_cast<int>(i));
        if (rowTop >= top + height || rowTop + kStaffRowHeight <= top) {
            continue;
        }
        qpainter.save();
        qpainter.translate(0, rowTop - top);
        paintStaffRow(painter, qpainter, score, rows[i]);
        qpainter.restore();
    }
    return image;
}

int pictureBandHeight(int width, int scale) {
    const long long bytesPerUnitRow = static_cast<long long>(width) * scale * scale * 4;
    const auto units = static_cast<int>(std::clamp(kPictureBandBytes / bytesPerUnitRow, 2LL,
                                                   static_cast<long long>(kPictureHeight)));
    return units & ~1;
}

ExportResult exportScorePicture(const OrnScore& score, const std::string& output, int scale,
                                int wrapWidth) {
    const auto application = guiApplicationIfNone();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return ExportResult::failed(output + ": a picture needs the GUI library");
    }
    std::unique_ptr<MyIcons> icons;
    if (!MyIcons::myIcons()) {
        icons = std::make_unique<MyIcons>();
    }
    const ExportSignalGuard signalGuard;
    AtomicFile file(output);
    if (!file.open()) {
        return ExportResult::failed(output + ": " + file.error());
    }
    const auto staffRows =
        wrapWidth > 0 ? layoutStaffRows(score, wrapWidth) : std::vector<OrnStaffRow>();
    const QSize size =
        wrapWidth > 0 ? wrappedPictureSize(staffRows) : QSize(pictureWidth(score), kPictureHeight);
    const int band = pictureBandHeight(size.width(), scale);
    PngRowWriter png(file, size.width() * scale, size.height() * scale);
    for (int top = 0; top < size.height(); top += band) {
        const int height = std::min(band, size.height() - top);
        const QImage rows =
            wrapWidth > 0 ? paintWrappedPictureBand(score, staffRows, scale, top, height)
                          : paintScorePictureBand(score, scale, top, height);
        if (rows.isNull()) {
            return ExportResult::failed(output + ": not enough memory for the picture");
        }
        // A Format_RGB32 row has no padding: its pixels follow one another.
        const std::span pixels(reinterpret_cast<const std::uint32_t*>(rows.constBits()),
                               static_cast<std::size_t>(rows.width()) *
                                   static_cast<std::size_t>(rows.height()));
        if (!png.writeRows(pixels)) {
            break;
        }
    }
    if (!png.finish() || !file.commit()) {
        const std::string& reason = file.error().empty() ? png.error() : file.error();
        return ExportResult::failed(output + ": " + reason);
    }
    return ExportResult::written();
}

} // namespace zubo
