#include "engine/VectorPath.h"

namespace engine {

bool vectorPathAvailable(VectorPath path)
{
    switch (path) {
    case VectorPath::Sse2:
        return true;
    case VectorPath::Avx2Fma:
#if defined(__x86_64__) || defined(__i386__)
        // The runtime's check covers the operating system's support for the
        // wide registers as well as the processor's.
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
        return false;
#endif
    }
    return false;
}

VectorPath bestVectorPath()
{
    return vectorPathAvailable(VectorPath::Avx2Fma) ? VectorPath::Avx2Fma : VectorPath::Sse2;
}

const char* vectorPathName(VectorPath path)
{
    return path == VectorPath::Avx2Fma ? "AVX2/FMA" : "SSE2";
}

} // namespace engine
