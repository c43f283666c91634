#pragma once

#include <QIcon>
#include <QImage>

// An icon from a piece of pixel art, enlarged `scale` times for a device
// pixel ratio of 1 and with sharp pixels at every other ratio up to 4: each
// size is a whole multiple of the art, scaled without smoothing.
QIcon pixelIcon(const QImage& art, int scale);
