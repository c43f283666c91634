#include "document/ScoreRender.h"

#include "document/MyDocument.h"

#include <vector>

long long renderScore(MyDocument& document, int loops, const RenderSink& sink, int blockFrames) {
    OrnScore& score = *document.score();
    MyDocumentSyncData& sync = *document.syncData();
    const bool looping = score.loop();
    int passes = 1;
    // In the last pass the loop is switched off, so that the score rings
    // out at its end instead of starting again.
    if (looping && passes >= loops) {
        score.setLoop(false);
    }
    document.startPlaying();

    std::vector<float> block(static_cast<std::size_t>(blockFrames) * 2);
    long long delivered = 0;
    bool first = true;
    bool finished = false;
    while (!finished) {
        std::size_t used = 0;
        while (used < block.size() && !finished) {
            document.toneLeft(&block[used], &block[used + 1]);
            used += 2;
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
        delivered += static_cast<long long>(used / 2);
        if (!sink(std::span<const float>(block.data(), used))) {
            break;
        }
    }
    document.stopPlaying();
    score.setLoop(looping);
    return delivered;
}
