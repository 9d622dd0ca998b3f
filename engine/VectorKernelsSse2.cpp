// The engine's inner loops for the x86-64 baseline instruction set.
#define RVB_KERNELS_NAMESPACE sse2
#define RVB_KERNELS_TABLE kSse2Kernels
#define RVB_KERNELS_WIDTH 4
#include "engine/VectorKernels.inc"
