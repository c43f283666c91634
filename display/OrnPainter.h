#pragma once

#include "display/OrnImageInfo.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>

class OrnScore;
class QImage;
class QPainter;

// Draws the staff: the layout of the score strip (class operations that map
// playing positions, steps and note numbers to view coordinates and back) and
// the frames of it, painted into whatever the given QPainter is open on.
//
// Every coordinate here is in the staff's own system: display units, origin at
// the bottom-left of the view, y upward. The painter turns them into Qt's
// top-left device coordinates itself, using the record's height.
class OrnPainter {
  public:
    OrnPainter();

    // The strip's layout in display units: step i is centred at
    // kFirstStepX + kStepWidth·i, and the band kStepWidth wide around that
    // centre is the step's own (pointing there picks the step). The notation
    // band stands kNotationHeight high on info.notationBottom, the running
    // strip kRunningHeight high on info.runningBottom.
    static constexpr int kStepWidth = 32;
    static constexpr int kFirstStepX = 82;
    static constexpr int kNotationHeight = 112;
    static constexpr int kRunningHeight = 20;
    // How far right of its x the end mark's thick bar ends.
    static constexpr int kLoopEndRight = 5;
    static constexpr int stepCentreX(int step) { return kStepWidth * step + kFirstStepX; }
    static constexpr int stepLeftX(int step) { return stepCentreX(step) - kStepWidth / 2; }

    // Geometry.
    static float playingPositionToPhisicalX(float playingPosition);
    static float calcLeftX(const OrnImageInfo& info, float playingPosition);
    // The cell under a view point: x = step, y = note number 1..13, both whole
    // numbers; (0, 0) when the point is on no cell.
    static QPointF ptToScoreCursor(const OrnImageInfo& info, float x, float y);
    // The note icon's rectangle of a cell in view coordinates (y upward), or a
    // null rectangle when there is no such cell or it lies out of view.
    static QRectF cursorRect(const OrnImageInfo& info, int step, int note);
    // A rectangle of the staff's system (y upward) in Qt's widget and image
    // coordinates (y downward) for a view of the record's height.
    static QRectF toDeviceRect(const OrnImageInfo& info, const QRectF& rect);

    // Frames. A frame paint writes info.playingPosition.
    void initialPaint(QPainter& painter, OrnImageInfo& info, const OrnScore& score);
    void paint(QPainter& painter, OrnImageInfo& info, const OrnScore& score, float playingPosition);
    // Reuses what prevImage (painted for info.playingPosition) still shows.
    void paint(QPainter& painter, OrnImageInfo& info, const OrnScore& score, float playingPosition,
               const QImage* prevImage);

    void paintBackground(QPainter& painter, const OrnImageInfo& info, float paintFromX,
                         float paintToX);
    void paintClef(QPainter& painter, const OrnImageInfo& info, float x);
    void paintVLines(QPainter& painter, const OrnImageInfo& info, const OrnScore& score,
                     float paintFromX, float paintToX, float leftX);
    void paintNotes(QPainter& painter, const OrnImageInfo& info, const OrnScore& score,
                    float paintFromX, float paintToX, float leftX);
    void paintNotes(QPainter& painter, const OrnImageInfo& info, const OrnScore& score, int index,
                    float x);
    // The runner figure for info.playingPosition, drawn over a finished frame.
    void paintZuboRunning(QPainter& painter, const OrnImageInfo& info);

    static QColor colorFromRGB(int rgb);
    // Copies the part of prevImage that the frame for playingPosition still
    // shows and narrows [*paintFromX, *paintToX) to what is left to paint.
    static bool scrollIfPossible(QPainter& painter, const OrnImageInfo& info, float playingPosition,
                                 float* paintFromX, float* paintToX, const QImage* prevImage);
    static void paintLoopStart(QPainter& painter, const OrnImageInfo& info, float x);
    static void paintLoopEnd(QPainter& painter, const OrnImageInfo& info, float x, bool loop);
    // The cell highlight icon over a cell; nothing for note 0 or a cell out of view.
    static void paintCursor(QPainter& painter, const OrnImageInfo& info, int step, int note);

  private:
    // The copy of scrollIfPossible as a plain copy of pixel rows, when the
    // destination is an image like prevImage under no transform or clip.
    static bool copyColumns(QPainter& painter, const QImage& prevImage, float src, float dst,
                            float width);
    static void fillStaffRect(QPainter& painter, const OrnImageInfo& info, float x, float y,
                              float width, float height, const QColor& color);
    // Draws the width × height part of image whose bottom-left corner is at
    // (sourceX, sourceY), counted from the image's bottom-left, with its own
    // bottom-left corner at view point (x, y), over what is there. A missing
    // image draws nothing.
    static void drawStaffImage(QPainter& painter, const OrnImageInfo& info, const QImage* image,
                               float sourceX, float sourceY, float width, float height, float x,
                               float y);

    QFont _font;       // the measure numbers' font
    QColor _fontColor; // and their colour
};
