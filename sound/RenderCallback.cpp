#include "sound/OrnPlayer.h"

int RenderCallback(void* context, int frames, float* left, float* right) {
    auto* player = static_cast<OrnPlayer*>(context);
    for (int i = 0; i < frames; ++i) {
        float l = 0.0f;
        float r = 0.0f;
        player->toneLeft(&l, &r);
        left[i] = l;
        right[i] = r;
    }
    player->blockRendered();
    return 0;
}
