#pragma once
// Which instruction set the engine's inner loops run on. SSE2 is the x86-64
// baseline every machine has; the AVX2/FMA build of the same loops is taken
// when the processor and the operating system support it.
namespace engine {

enum class VectorPath {
    Sse2,     // 4 floats per instruction, separate multiply and add
    Avx2Fma,  // 8 floats per instruction, fused multiply-add
};

// Whether this machine can run `path`.
bool vectorPathAvailable(VectorPath path);

// The fastest path this machine can run.
VectorPath bestVectorPath();

const char* vectorPathName(VectorPath path);

} // namespace engine
