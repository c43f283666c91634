#include "document/MyDocument.h"

void MyDocument::startPlaying() {
    // The mixer belongs to the audio thread while sound runs: the reset is a
    // request it serves at its next frame. The position is cleared here too,
    // so that the display never shows the previous playback's end.
    _syncData->clearCounter();
    _restartRequested.store(true, std::memory_order_release);
    _playing.store(true, std::memory_order_release);
}

void MyDocument::stopPlaying() {
    _playing.store(false, std::memory_order_release);
}
