#include "engine/VectorKernels.h"

namespace engine {
namespace sse2 {
extern const VectorKernels kSse2Kernels;
}
namespace avx2 {
extern const VectorKernels kAvx2Kernels;
}

const VectorKernels& vectorKernels(VectorPath path)
{
    return path == VectorPath::Avx2Fma ? avx2::kAvx2Kernels : sse2::kSse2Kernels;
}

} // namespace engine
