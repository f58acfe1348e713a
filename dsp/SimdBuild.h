// Which vector kernels this build compiles. VIVERA_NO_SIMD builds the portable scalar kernels only (as on
// targets without SSE2); VIVERA_SIMD_AVX2 is set by the build for x86 targets whose compiler can emit the
// 256-bit kernels in their own files.
#pragma once

#if !defined(VIVERA_NO_SIMD) &&                                                                              \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#define VIVERA_SIMD_SSE2 1
#else
#define VIVERA_SIMD_SSE2 0
#endif

#if !defined(VIVERA_SIMD_AVX2) || !VIVERA_SIMD_SSE2
#undef VIVERA_SIMD_AVX2
#define VIVERA_SIMD_AVX2 0
#endif
