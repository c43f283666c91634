#pragma once

#include "display/OrnStaffRows.h"
#include "export/ExportResult.h"

#include <QImage>
#include <QSize>
#include <string>
#include <vector>

class OrnScore;

namespace zubo {

// The height of a score picture: the notation band and the running strip.
constexpr int kPictureHeight = 132;
// A picture is never narrower than the composer's standard view.
constexpr int kPictureMinWidth = 768;

// The composer writes its pictures at two device pixels per display unit.
constexpr int kComposerPictureScale = 2;

// The width in display units of the whole strip: to 16 past the centre of
// its last step. No picture is wider.
int pictureMaxWidth();
// The width in display units of the picture of a score: the strip from its
// left edge to 64 units past the end mark (never past the strip's end), at
// least kPictureMinWidth.
int pictureWidth(const OrnScore& score);

// A picture export holds one band of at most this many bytes.
constexpr long long kPictureBandBytes = 8 << 20;

// Paints the whole score as the staff shows it, at `scale` device pixels per
// display unit. Needs a QGuiApplication and the icon atlas.
QImage paintScorePicture(const OrnScore& score, int scale);
// The rows of that picture from display unit `top` down, `height` units high.
// `top` is even: one-pixel dashed lines start their pattern of one unit on,
// one off where they enter the image, so only an even top keeps its phase.
QImage paintScorePictureBand(const OrnScore& score, int scale, int top, int height);
// The height in display units (even) of the bands a picture `width` units
// wide is written in at `scale`.
int pictureBandHeight(int width, int scale);

// A wrapped picture: the rows of layoutStaffRows stacked top down with
// kStaffRowGap between them. Its size in display units: the widest row by
// the rows and their gaps.
QSize wrappedPictureSize(const std::vector<OrnStaffRow>& rows);
// The rows of a wrapped picture of pixels from display unit `top` (even) down, `height` units high.
QImage paintWrappedPictureBand(const OrnScore& score, const std::vector<OrnStaffRow>& rows,
                               int scale, int top, int height);

// Writes the picture of `score` as PNG to `output`, atomically and band by
// band: one strip, or with `wrapWidth` above 0 rows no wider than that.
// Creates a QGuiApplication (offscreen when there is no display) and the
// icon atlas when none exist.
ExportResult exportScorePicture(const OrnScore& score, const std::string& output, int scale,
                                int wrapWidth);

} // namespace zubo
