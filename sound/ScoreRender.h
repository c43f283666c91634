#pragma once

#include <functional>
#include <span>

class OrnPlayer;
class OrnScore;

// The passes a render plays: a looping score plays `loops` passes, the
// first from step `from` (as playback started there does).
struct RenderPasses {
    // Implicit, so that a number of loops alone renders from step 0.
    RenderPasses(int passes, int start = 0) : loops(passes), from(start) {}
    int loops;
    int from;
};

// Renders `score`, the score `player` plays, from `passes.from` through the
// player's own per-frame operation, block by block, so that a render of any
// length needs only one block of memory.
//
// A score that does not loop renders until the first frame after which the
// published step is at or beyond the end mark and the mixer has fallen
// silent; that frame is the last one delivered. A looping score plays
// `passes.loops` passes and then rings out the same way: the last pass's voices are
// not cut.
//
// `sink` receives each block as interleaved stereo frames (left, right, ...)
// and returns false to stop. Returns the number of frames delivered.
using RenderSink = std::function<bool(std::span<const float> interleaved)>;
long long renderScore(OrnPlayer& player, const OrnScore& score, RenderPasses passes,
                      const RenderSink& sink, int blockFrames = 4096);
