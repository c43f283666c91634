#include "document/MyDocument.h"

int RenderCallback(void* context, int frames, float* left, float* right) {
    auto* document = static_cast<MyDocument*>(context);
    for (int i = 0; i < frames; ++i) {
        float l = 0.0f;
        float r = 0.0f;
        document->toneLeft(&l, &r);
        left[i] = l;
        right[i] = r;
    }
    document->blockRendered();
    return 0;
}
