#pragma once
// Walking the chunk list of a RIFF or IFF file up to a wanted chunk.
#include "ir/ByteSource.h"

#include <cstdint>

namespace ir {

enum class ChunkEndian { Little, Big };

// Reads chunk headers from the current position, skipping every chunk whose ID
// is not `id`, and stops after the wanted chunk's header with its size in
// `size`. False when a header cannot be read whole or a skip passes the end.
//
// Both formats pad odd-sized chunks to an even length, but some writers leave
// the pad byte out. A zero byte where the next header would start is taken as
// padding (an ID never starts with a zero byte); anything else starts the next
// header. afterOddChunk says the walk starts right behind an odd-sized body.
//
// Every step consumes at least 8 bytes, so a zero-sized chunk cannot stall the
// walk; sizes are unsigned, so no size can move it backwards.
bool findChunk(ByteSource& source, const char* id, ChunkEndian endian, bool afterOddChunk, std::uint32_t& size);

} // namespace ir
