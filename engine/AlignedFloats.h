#pragma once
// A zeroed float array on a 64-byte boundary, so that vector loads of whole
// cache lines never straddle two.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace engine {

class AlignedFloats {
public:
    static constexpr std::size_t kAlignment = 64;

    AlignedFloats() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit AlignedFloats(std::size_t count) : data_(allocate(count)), size_(count) {}
    ~AlignedFloats() { release(data_); }
    AlignedFloats(AlignedFloats&& other) noexcept : data_(other.data_), size_(other.size_)
    {
        other.data_ = nullptr;
        other.size_ = 0;
    }
    AlignedFloats& operator=(AlignedFloats&& other) noexcept
    {
        if (this != &other) {
            release(data_);
            data_ = other.data_;
            size_ = other.size_;
            other.data_ = nullptr;
            other.size_ = 0;
        }
        return *this;
    }
    AlignedFloats(const AlignedFloats&) = delete;
    AlignedFloats& operator=(const AlignedFloats&) = delete;

    float* data() { return data_; }
    const float* data() const { return data_; }
    std::size_t size() const { return size_; }
    float& operator[](std::size_t i) { return data_[i]; }
    float operator[](std::size_t i) const { return data_[i]; }
    void clear() { std::memset(data_, 0, size_ * sizeof(float)); }

private:
    static float* allocate(std::size_t count)
    {
        if (count == 0)
            return nullptr;
        // The size must be a multiple of the alignment.
        const std::size_t bytes = (count * sizeof(float) + kAlignment - 1) / kAlignment * kAlignment;
        void* p = nullptr;
#ifdef _WIN32
        p = _aligned_malloc(bytes, kAlignment);
#else
        if (posix_memalign(&p, kAlignment, bytes) != 0)
            p = nullptr;
#endif
        if (p == nullptr)
            throw std::bad_alloc();
        std::memset(p, 0, bytes);
        return static_cast<float*>(p);
    }
    static void release(float* p)
    {
#ifdef _WIN32
        _aligned_free(p);
#else
        std::free(p);
#endif
    }

    float* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace engine
