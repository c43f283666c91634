#include "sound/ScoreRender.h"

#include "sound/OrnPlayer.h"

#include <algorithm>
#include <vector>

long long renderScore(OrnPlayer& player, const OrnScore& score, RenderPasses passes,
                      const RenderSink& sink, int blockFrames) {
    const MyDocumentSyncData& sync = *player.syncData();
    player.restart(std::max(passes.loops, 1), passes.from);

    std::vector<float> block(static_cast<std::size_t>(blockFrames) * 2);
    std::vector<float> left(static_cast<std::size_t>(blockFrames));
    std::vector<float> right(static_cast<std::size_t>(blockFrames));
    long long delivered = 0;
    bool finished = false;
    while (!finished) {
        int used = 0;
        while (used < blockFrames && !finished) {
            int room = blockFrames - used;
            // Past the end of the last pass, the render ends when the mixer
            // falls silent: no further than that in one go.
            const bool lastPass = !player.loopsAgain(score);
            if (lastPass && sync.playingIndex() >= player.passEnd(score)) {
                room = std::min(room, std::max(1, player.mixerDuration()));
            }
            used += player.renderFrames(&left[static_cast<std::size_t>(used)],
                                        &right[static_cast<std::size_t>(used)], room);
            finished = !player.loopsAgain(score) && sync.playingIndex() >= player.passEnd(score) &&
                       player.mixerDuration() <= 0;
        }
        for (int i = 0; i < used; ++i) {
            block[2 * static_cast<std::size_t>(i)] = left[static_cast<std::size_t>(i)];
            block[2 * static_cast<std::size_t>(i) + 1] = right[static_cast<std::size_t>(i)];
        }
        delivered += used;
        if (!sink(std::span<const float>(block.data(), 2 * static_cast<std::size_t>(used)))) {
            break;
        }
    }
    player.halt();
    return delivered;
}
