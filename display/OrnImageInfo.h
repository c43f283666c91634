#pragma once

#include <cmath>

// The geometry the score view shares with the painter, in display units with
// the origin at the bottom-left and y upward. The view owns it; the painter
// writes only playingPosition.
struct OrnImageInfo {
    float width = 0.0f;            // the view's width, set at every rebuild of its images
    float height = 0.0f;           // the view's height, likewise
    float notationBottom = 0.0f;   // bottom edge of the notation band
    float runningBottom = 112.0f;  // bottom edge of the running strip
    float zuboDefaultX = 0.0f;     // view x that holds the playing position while scrolling
    float playingPosition = -1.0f; // position of the frame on screen; -1 before the first paint
};

// Sets width, height and zuboDefaultX for a view of that size, as every
// rebuild of the off-screen images does.
inline void setOrnImageInfoSize(OrnImageInfo& info, float width, float height) {
    info.width = width;
    info.height = height;
    info.zuboDefaultX = static_cast<float>(std::floor(static_cast<double>(width) * 155.0 / 384.0));
}
