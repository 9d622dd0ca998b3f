#pragma once
// A left/right pair of float arrays that only ever grows.
//
// Growing and clearing are serialised by the pair's busy lock, so two
// non-audio threads never replace or wipe the arrays at the same moment.
// Whoever reads the arrays on the audio thread must make sure no grow runs
// meanwhile; the processing path only grows its scratch pair from the audio
// thread itself, and its fixed chunk size keeps that from ever happening.
#include <memory>
#include <mutex>

namespace engine {

class GrowableBufferPair {
public:
    static constexpr int kInitialCapacity = 57600;

    // Both arrays allocated and zeroed. A capacity below 1 is taken as 1.
    explicit GrowableBufferPair(int capacity = kInitialCapacity);
    GrowableBufferPair(const GrowableBufferPair&) = delete;
    GrowableBufferPair& operator=(const GrowableBufferPair&) = delete;

    // Grows both arrays to hold at least `frames` values, keeping the old ones
    // and zeroing the new tail. Never shrinks. Returns false when the new arrays
    // cannot be allocated; the old arrays and capacity then stay in force.
    bool ensureCapacity(int frames);

    // Zeroes every value of both arrays.
    void clear();

    int capacity() const { return capacity_; }
    float* left() { return left_.get(); }
    float* right() { return right_.get(); }
    const float* left() const { return left_.get(); }
    const float* right() const { return right_.get(); }

private:
    std::mutex busy_;
    int capacity_ = 0;
    std::unique_ptr<float[]> left_;
    std::unique_ptr<float[]> right_;
};

} // namespace engine
