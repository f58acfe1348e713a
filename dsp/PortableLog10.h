// Base-10 logarithm with the same result on every platform and every kernel path: the level detectors
// take one per sample, and the C library's log10 is both slow and different from one library to the next.
// Accurate to within one unit in the last place.
#pragma once

namespace vivera::dsp
{

// log10(x); -inf for zero, NaN for negative numbers and NaN, +inf for +inf.
double portableLog10(double x) noexcept;

// out[i] = portableLog10(in[i]) for n values, with the widest kernel the processor runs; in and out may
// be the same array.
void portableLog10Block(const double* in, double* out, int n) noexcept;

} // namespace vivera::dsp
