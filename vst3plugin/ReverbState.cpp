#include "vst3plugin/ReverbState.h"

#include <cstring>

using namespace vst3;

namespace vst3plugin {

namespace {

constexpr char kMagic[4] = {'K', 'R', 'V', '3'};
// Far beyond any real state: a damaged count is refused before it allocates.
constexpr uint32 kMostValues = 4096;
constexpr uint32 kLongestPath = 1u << 16;

class Writer {
public:
    explicit Writer(IBStream& stream) : stream_(stream) {}
    void bytes(const void* data, int32 size)
    {
        int32 written = 0;
        if (ok_ && (stream_.write(const_cast<void*>(data), size, &written) != kResultOk || written != size))
            ok_ = false;
    }
    void word(uint32 value)
    {
        const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
        bytes(b, 4);
    }
    bool ok() const { return ok_; }

private:
    IBStream& stream_;
    bool ok_ = true;
};

class Reader {
public:
    explicit Reader(IBStream& stream) : stream_(stream) {}
    bool bytes(void* data, int32 size)
    {
        int32 read = 0;
        // A stream may hand out less than asked at a time.
        auto* to = static_cast<char*>(data);
        while (size > 0) {
            if (stream_.read(to, size, &read) != kResultOk || read <= 0 || read > size)
                return false;
            to += read;
            size -= read;
        }
        return true;
    }
    bool word(uint32& value)
    {
        unsigned char b[4];
        if (!bytes(b, 4))
            return false;
        value = static_cast<uint32>(b[0]) | static_cast<uint32>(b[1]) << 8 | static_cast<uint32>(b[2]) << 16 |
                static_cast<uint32>(b[3]) << 24;
        return true;
    }

private:
    IBStream& stream_;
};

uint32 floatBits(float value)
{
    uint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsFloat(uint32 bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

bool writeState(const ReverbState& state, IBStream& stream)
{
    Writer out(stream);
    out.bytes(kMagic, sizeof kMagic);
    out.word(ReverbState::kVersion);
    out.word(static_cast<uint32>(state.program));
    out.word(static_cast<uint32>(state.values.size()));
    for (const ReverbState::Value& v : state.values) {
        out.word(static_cast<uint32>(v.id));
        out.word(floatBits(v.value));
    }
    out.word(static_cast<uint32>(state.irPath.size()));
    if (!state.irPath.empty())
        out.bytes(state.irPath.data(), static_cast<int32>(state.irPath.size()));
    return out.ok();
}

bool readState(IBStream& stream, ReverbState& state)
{
    Reader in(stream);
    char magic[sizeof kMagic];
    uint32 version = 0, program = 0, count = 0, pathLength = 0;
    if (!in.bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0 || !in.word(version) ||
        version == 0 || version > ReverbState::kVersion || !in.word(program) || !in.word(count) ||
        count > kMostValues)
        return false;
    ReverbState read;
    read.program = static_cast<int32>(program);
    read.values.reserve(count);
    for (uint32 i = 0; i < count; ++i) {
        uint32 id = 0, bits = 0;
        if (!in.word(id) || !in.word(bits))
            return false;
        read.values.push_back({static_cast<int>(id), bitsFloat(bits)});
    }
    if (!in.word(pathLength) || pathLength > kLongestPath)
        return false;
    read.irPath.resize(pathLength);
    if (pathLength > 0 && !in.bytes(&read.irPath[0], static_cast<int32>(pathLength)))
        return false;
    state = std::move(read);
    return true;
}

} // namespace vst3plugin
