#include "host/Vst3MemoryStream.h"

#include <algorithm>
#include <cstring>

using namespace vst3;

tresult Vst3MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
    if (numBytesRead)
        *numBytesRead = 0;
    if (numBytes < 0 || (numBytes > 0 && !buffer))
        return kInvalidArgument;
    const int64 available = std::max<int64>(0, static_cast<int64>(bytes_.size()) - position_);
    const int32 count = static_cast<int32>(std::min<int64>(numBytes, available));
    if (count > 0)
        std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(count));
    position_ += count;
    if (numBytesRead)
        *numBytesRead = count;
    return kResultOk;
}

tresult Vst3MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
    if (numBytesWritten)
        *numBytesWritten = 0;
    if (numBytes < 0 || (numBytes > 0 && !buffer))
        return kInvalidArgument;
    const size_t end = static_cast<size_t>(position_) + static_cast<size_t>(numBytes);
    if (bytes_.size() < end)
        bytes_.resize(end);  // a seek past the end leaves zeros in the gap
    if (numBytes > 0)
        std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(numBytes));
    position_ = static_cast<int64>(end);
    if (numBytesWritten)
        *numBytesWritten = numBytes;
    return kResultOk;
}

tresult Vst3MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
    int64 base = 0;
    if (mode == IBStream::kIBSeekCur)
        base = position_;
    else if (mode == IBStream::kIBSeekEnd)
        base = static_cast<int64>(bytes_.size());
    else if (mode != IBStream::kIBSeekSet)
        return kInvalidArgument;
    if (base + pos < 0)
        return kInvalidArgument;
    position_ = base + pos;
    if (result)
        *result = position_;
    return kResultOk;
}

tresult Vst3MemoryStream::tell(int64* pos)
{
    if (!pos)
        return kInvalidArgument;
    *pos = position_;
    return kResultOk;
}
