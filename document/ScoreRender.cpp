#include "document/ScoreRender.h"

#include "document/MyDocument.h"

#include <algorithm>
#include <vector>

long long renderScore(MyDocument& document, int loops, const RenderSink& sink, int blockFrames) {
    OrnScore& score = document.editableScore();
    MyDocumentSyncData& sync = *document.syncData();
    const bool looping = score.loop();
    int passes = 1;
    // In the last pass the loop is switched off, so that the score rings
    // out at its end instead of starting again.
    if (looping && passes >= loops) {
        score.setLoop(false);
    }
    document.restartPlayback();

    std::vector<float> block(static_cast<std::size_t>(blockFrames) * 2);
    std::vector<float> left(static_cast<std::size_t>(blockFrames));
    std::vector<float> right(static_cast<std::size_t>(blockFrames));
    long long delivered = 0;
    bool first = true;
    bool finished = false;
    while (!finished) {
        int used = 0;
        while (used < blockFrames && !finished) {
            int room = blockFrames - used;
            // Past the end of a score that does not loop, the render ends
            // when the mixer falls silent: no further than that in one go.
            if (!score.loop() && sync.playingIndex() >= score.end()) {
                room = std::min(room, std::max(1, document.mixerDuration()));
            }
            const int got = document.renderFrames(&left[static_cast<std::size_t>(used)],
                                                  &right[static_cast<std::size_t>(used)], room);
            used += got;
            const int step = sync.playingIndex();
            // A new step 0 after the first frame is the start of a new pass.
            if (!first && step == 0 && sync.indexInCounter() == 1 && score.loop()) {
                if (++passes >= loops) {
                    score.setLoop(false);
                }
            }
            first = false;
            finished = !score.loop() && step >= score.end() && document.mixerDuration() <= 0;
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
    document.haltPlayback();
    score.setLoop(looping);
    return delivered;
}
