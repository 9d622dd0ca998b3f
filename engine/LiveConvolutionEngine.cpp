#include "engine/LiveConvolutionEngine.h"

#include "engine/KernelNormalisation.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace engine {

namespace {

int longestBlock(const LivePartitionPlan& plan)
{
    int b = 1;
    for (int l = 0; l < plan.levelCount; ++l)
        b = std::max(b, plan.levels[l].blockFrames);
    return b;
}

} // namespace

LiveConvolutionEngine::LiveConvolutionEngine(ProcessEpoch& epoch, VectorPath path, const LivePartitionPlan& plan)
    : plan_(plan),
      path_(vectorPathAvailable(path) ? path : VectorPath::Sse2),
      blockFrames_(plan.levelCount > 0 ? plan.levels[0].blockFrames : LivePartitionPlan::kHeadQuantum),
      // A level reads the two blocks before the one being written.
      ringFrames_(3 * longestBlock(plan)),
      ringStride_(static_cast<std::size_t>(ringFrames_) + 16),
      ring_(2 * ringStride_),
      head_(epoch, plan.headFrames, blockFrames_, kLog2FadeFrames, vectorKernels(path_)),
      levels_(new std::unique_ptr<PartitionLevel>[static_cast<std::size_t>(plan.levelCount)]),
      routed_(new float[2 * static_cast<std::size_t>(blockFrames_)])
{
    assert(plan.valid(kCapacityFrames));
    for (int l = 0; l < plan_.levelCount; ++l) {
        assert(plan_.levels[l].blockFrames % blockFrames_ == 0);
        levels_[l] = std::make_unique<PartitionLevel>(epoch, plan_.levels[l], path_, LiveCostModel::measured(),
                                                      kLog2FadeFrames, ring_.data(), ringStride_, ringFrames_);
    }
}

void LiveConvolutionEngine::exchange(const float* inL, const float* inR, float* dryL, float* dryR, float* wetL,
                                     float* wetR, int frames)
{
    const double r = routing_.load(std::memory_order_relaxed);
    const float e = static_cast<float>((r + 1.0) * 0.5);
    const float f = static_cast<float>(1.0 - (r + 1.0) * 0.5);
    float* routedL = routed_.get();
    float* routedR = routedL + blockFrames_;
    for (int done = 0; done < frames;) {
        const int phase = static_cast<int>(frame_ % blockFrames_);
        const int n = std::min(frames - done, blockFrames_ - phase);
        if (phase == 0) {
            head_.begin();
            for (int l = 0; l < plan_.levelCount; ++l) {
                const int b = plan_.levels[l].blockFrames;
                if (frame_ % b == 0)
                    levels_[l]->beginPeriod(frame_ / b);
            }
        }
        // Every input frame is read before any output frame is written: the
        // host may pass the same arrays.
        const int at = static_cast<int>(frame_ % ringFrames_);
        float* ringL = ring_.data() + at;
        float* ringR = ringL + ringStride_;
        for (int i = 0; i < n; ++i) {
            const float left = inL[done + i], right = inR[done + i];
            routedL[i] = e * left + f * right;
            routedR[i] = e * right + f * left;
            ringL[i] = routedL[i];
            ringR[i] = routedR[i];
        }
        if (dryL != inL)
            std::memmove(dryL + done, inL + done, sizeof(float) * static_cast<std::size_t>(n));
        if (dryR != inR)
            std::memmove(dryR + done, inR + done, sizeof(float) * static_cast<std::size_t>(n));

        // The levels' work due by the end of these frames: what they play
        // here was finished in earlier periods.
        for (int l = 0; l < plan_.levelCount; ++l)
            levels_[l]->advance(static_cast<int>(frame_ % plan_.levels[l].blockFrames) + n);

        float* outL = wetL + done;
        float* outR = wetR + done;
        head_.run(routedL, routedR, outL, outR, n);
        for (int l = 0; l < plan_.levelCount; ++l) {
            const float* levelL = levels_[l]->output(0, frame_);
            if (levelL == nullptr)
                continue;
            const float* levelR = levels_[l]->output(1, frame_);
            for (int i = 0; i < n; ++i) {
                outL[i] += levelL[i];
                outR[i] += levelR[i];
            }
        }

        frame_ += n;
        done += n;
        for (int l = 0; l < plan_.levelCount; ++l)
            if (frame_ % plan_.levels[l].blockFrames == 0)
                levels_[l]->endPeriod();
    }
}

bool LiveConvolutionEngine::prepareKernel(const float* left, const float* right, int frames)
{
    const NormalisedExtent extent = KernelNormalisation::of(left, right, frames);
    std::unique_ptr<HeadKernel> head = head_.prepare(left, right, extent);
    if (!head)
        return false;
    std::unique_ptr<std::unique_ptr<LevelKernel>[]> levels;
    try {
        levels.reset(new std::unique_ptr<LevelKernel>[static_cast<std::size_t>(plan_.levelCount)]);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int l = 0; l < plan_.levelCount; ++l) {
        levels[l] = levels_[l]->prepare(left, right, extent);
        if (!levels[l])
            return false;
    }
    std::lock_guard<std::mutex> lock(publishMutex_);
    head_.publish(std::move(head));
    for (int l = 0; l < plan_.levelCount; ++l)
        levels_[l]->publish(std::move(levels[l]));
    return true;
}

void LiveConvolutionEngine::reset()
{
    ring_.clear();
    head_.reset();
    for (int l = 0; l < plan_.levelCount; ++l)
        levels_[l]->reset();
    frame_ = 0;
}

void LiveConvolutionEngine::releaseUnused()
{
    std::lock_guard<std::mutex> lock(publishMutex_);
    head_.collect();
    for (int l = 0; l < plan_.levelCount; ++l)
        levels_[l]->collect();
}

} // namespace engine
