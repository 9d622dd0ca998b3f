#pragma once
// A stream in memory: where the host has a component or controller write its
// state, and from where it gives a state back.
#include "host/Vst3Object.h"
#include "vst3/Stream.h"

#include <vector>

class Vst3MemoryStream final : public Vst3Object<Vst3MemoryStream, vst3::IBStream> {
public:
    Vst3MemoryStream() = default;
    explicit Vst3MemoryStream(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

    vst3::tresult RVB_VST3_CALL read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override;
    vst3::tresult RVB_VST3_CALL write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten) override;
    vst3::tresult RVB_VST3_CALL seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
    vst3::tresult RVB_VST3_CALL tell(vst3::int64* pos) override;

    const std::vector<char>& bytes() const { return bytes_; }
    void rewind() { position_ = 0; }

private:
    std::vector<char> bytes_;
    vst3::int64 position_ = 0;
};
