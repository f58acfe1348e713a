// 256-bit body of portableLog10Block: four logarithms at once, the scalar function's operations in its
// order. Built with AVX2 enabled for this file alone and only called when the processor has it; besides
// intrinsics and raw pointers it compiles only the AVX2 lanes header, which no other kind of file includes.
#include "dsp/PortableLog10.h"
#include "dsp/PortableLog10Avx2Lanes.h"
#include "dsp/PortableLog10Kernels.h"

#include <immintrin.h>

namespace vivera::dsp::kernels
{

void portableLog10Avx2(const double* in, double* out, int n) noexcept
{
    int i = 0;
    for (; i + 4 <= n; i += 4)
    {
        const __m256d x = _mm256_loadu_pd(in + i);
        const int special = avx2::log10SpecialLanes(x);
        const __m256d result = avx2::log10NormalLanes(x);
        if (special == 0)
            _mm256_storeu_pd(out + i, result);
        else
        {
            double lanes[4];
            _mm256_storeu_pd(lanes, result);
            for (int lane = 0; lane < 4; ++lane)
                out[i + lane] = (special >> lane) & 1 ? portableLog10(in[i + lane]) : lanes[lane];
        }
    }
    for (; i < n; ++i)
        out[i] = portableLog10(in[i]);
}

} // namespace vivera::dsp::kernels
