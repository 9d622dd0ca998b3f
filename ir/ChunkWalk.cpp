#include "ir/ChunkWalk.h"

#include "ir/EndianBytes.h"

#include <cstring>

namespace ir {

namespace {

bool readChunkHeader(ByteSource& source, unsigned char* header, bool maybePadded)
{
    if (!maybePadded)
        return source.read(header, 8) == 8;
    if (source.read(header, 1) != 1)
        return false;
    if (header[0] == 0)
        return source.read(header, 8) == 8;
    return source.read(header + 1, 7) == 7;
}

} // namespace

bool findChunk(ByteSource& source, const char* id, ChunkEndian endian, bool afterOddChunk, std::uint32_t& size)
{
    bool maybePadded = afterOddChunk;
    for (;;) {
        unsigned char header[8];
        if (!readChunkHeader(source, header, maybePadded))
            return false;
        size = endian == ChunkEndian::Little ? loadLE32(header + 4) : loadBE32(header + 4);
        if (std::memcmp(header, id, 4) == 0)
            return true;
        if (!source.skip(size))
            return false;
        maybePadded = (size & 1u) != 0;
    }
}

} // namespace ir
