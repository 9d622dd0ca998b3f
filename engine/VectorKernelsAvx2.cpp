// The engine's inner loops for processors with AVX2 and FMA; the build
// compiles this file alone with those instructions enabled, and nothing here
// runs unless vectorPathAvailable(VectorPath::Avx2Fma) said so.
#define RVB_KERNELS_NAMESPACE avx2
#define RVB_KERNELS_TABLE kAvx2Kernels
#define RVB_KERNELS_WIDTH 8
#include "engine/VectorKernels.inc"
