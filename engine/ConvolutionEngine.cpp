#include "engine/ConvolutionEngine.h"

#include <algorithm>

namespace engine {

ConvolutionEngine::ConvolutionEngine(ProcessEpoch& epoch) : convolver_(epoch)
{
    for (int c = 0; c < 2; ++c) {
        history_[c].assign(kLatencyFrames, 0.0f);
        delayed_[c].assign(kChunkFrames, 0.0f);
    }
}

void ConvolutionEngine::exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL,
                                 float* wetR, int frames)
{
    float* historyL = history_[0].data();
    float* historyR = history_[1].data();
    float* delayedL = delayed_[0].data();
    float* delayedR = delayed_[1].data();
    for (int done = 0; done < frames;) {
        const int n = std::min(kChunkFrames, frames - done);
        int at = position_;
        int delayedAt = (position_ + kLatencyFrames - kInputDelay) % kLatencyFrames;
        for (int i = done; i < done + n; ++i) {
            // The whole chunk of input is read before the convolver writes any wet frame.
            const float left = inL[i];
            const float right = inR[i];
            dryL[i] = historyL[at];
            dryR[i] = historyR[at];
            historyL[at] = left;
            historyR[at] = right;
            delayedL[i - done] = historyL[delayedAt];
            delayedR[i - done] = historyR[delayedAt];
            if (++at == kLatencyFrames)
                at = 0;
            if (++delayedAt == kLatencyFrames)
                delayedAt = 0;
        }
        position_ = at;
        convolver_.process(delayedL, delayedR, wetL + done, wetR + done, n);
        done += n;
    }
}

void ConvolutionEngine::reset()
{
    for (int c = 0; c < 2; ++c)
        std::fill(history_[c].begin(), history_[c].end(), 0.0f);
    position_ = 0;
    convolver_.reset();
}

} // namespace engine
