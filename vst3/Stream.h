#pragma once
// A stream of bytes the host lends a plug-in: where component and controller
// states are written to and read from.
#include "vst3/Unknown.h"

namespace vst3 {

class IBStream : public FUnknown {
public:
    enum SeekMode : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

    // Each reports how many bytes it moved through the optional last argument.
    virtual tresult RVB_VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    virtual tresult RVB_VST3_CALL write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    virtual tresult RVB_VST3_CALL seek(int64 pos, int32 mode, int64* result) = 0;
    virtual tresult RVB_VST3_CALL tell(int64* pos) = 0;

    static constexpr Uid iid = makeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

protected:
    ~IBStream() = default;
};

} // namespace vst3
