#include "engine/PreDelayLine.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace engine {

namespace {
constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
}

std::unique_ptr<PreDelayLine::Store> PreDelayLine::makeStore(int capacity)
{
    std::unique_ptr<Store> store(new (std::nothrow) Store);
    if (!store)
        return nullptr;
    const size_t count = static_cast<size_t>(std::max(capacity, 1));
    // Value-initialised, so every sample starts at zero.
    store->left.reset(new (std::nothrow) std::atomic<float>[count]());
    store->right.reset(new (std::nothrow) std::atomic<float>[count]());
    if (!store->left || !store->right)
        return nullptr;
    store->capacity = static_cast<int>(count);
    return store;
}

PreDelayLine::PreDelayLine(ProcessEpoch& epoch, int sampleRate, int capacity)
    : store_(epoch, makeStore(capacity)), sampleRate_(sampleRate)
{
    if (!store_.peek())
        throw std::bad_alloc();
}

int PreDelayLine::framesFor(float ms, int sampleRate)
{
    const double frames = static_cast<double>(ms) * sampleRate * 0.001 + 0.5;
    if (!(frames >= 1.0))
        return 0;
    if (frames >= kMaxDelayFrames)
        return kMaxDelayFrames;
    return static_cast<int>(frames);
}

int PreDelayLine::capacity() const
{
    std::lock_guard<std::mutex> lock(busy_);
    return store_.peek()->capacity;
}

bool PreDelayLine::ensureCapacity(int frames)
{
    const Store* old = store_.peek();
    if (frames <= old->capacity)
        return true;
    std::unique_ptr<Store> grown = makeStore(frames);
    if (!grown)
        return false;
    // The audio thread may still be writing the old store; whatever it writes
    // after its slot has been copied is lost, which can only happen while the
    // delay itself changes.
    for (int i = 0; i < old->capacity; ++i) {
        grown->left[i].store(old->left[i].load(kRelaxed), kRelaxed);
        grown->right[i].store(old->right[i].load(kRelaxed), kRelaxed);
    }
    store_.publish(std::move(grown));
    return true;
}

bool PreDelayLine::applyDelay()
{
    const int frames = framesFor(delayMs_.load(kRelaxed), sampleRate_.load(kRelaxed));
    // The store grows before the longer delay is announced; the audio thread
    // also caps the delay at the store it holds, so it never reads past it.
    const bool grown = ensureCapacity(frames);
    delayFrames_.store(frames, std::memory_order_seq_cst);
    return grown;
}

bool PreDelayLine::setDelay(float ms)
{
    std::lock_guard<std::mutex> lock(busy_);
    delayMs_.store(ms, kRelaxed);
    return applyDelay();
}

bool PreDelayLine::setSampleRate(int sampleRate)
{
    std::lock_guard<std::mutex> lock(busy_);
    sampleRate_.store(sampleRate, kRelaxed);
    return applyDelay();
}

void PreDelayLine::clear()
{
    std::lock_guard<std::mutex> lock(busy_);
    const Store* store = store_.peek();
    for (int i = 0; i < store->capacity; ++i) {
        store->left[i].store(0.0f, kRelaxed);
        store->right[i].store(0.0f, kRelaxed);
    }
    clearRequests_.fetch_add(1, std::memory_order_release);
}

void PreDelayLine::process(float* left, float* right, int frames)
{
    const Store* store = store_.get();
    const unsigned clears = clearRequests_.load(std::memory_order_acquire);
    if (clears != clearsSeen_) {
        clearsSeen_ = clears;
        position_ = 0;
    }
    const int delay = std::min(delayFrames_.load(std::memory_order_seq_cst), store->capacity);
    std::atomic<float>* storeLeft = store->left.get();
    std::atomic<float>* storeRight = store->right.get();
    int position = position_;
    for (int i = 0; i < frames; ++i) {
        if (position >= delay)
            position = 0;
        const float delayedLeft = storeLeft[position].load(kRelaxed);
        const float delayedRight = storeRight[position].load(kRelaxed);
        storeLeft[position].store(left[i], kRelaxed);
        storeRight[position].store(right[i], kRelaxed);
        left[i] = delayedLeft;
        right[i] = delayedRight;
        ++position;
    }
    position_ = position;
}

} // namespace engine
