// Vector bodies of portableLog10Block, one per instruction set. Lanes whose input is not a positive
// normal number are finished by the scalar function.
#pragma once

namespace vivera::dsp::kernels
{

// The terms of the logarithm shared by every path, so the vector files compute exactly what the scalar
// function does.
namespace log10_constants
{
constexpr double ivln10hi = 4.34294481878168880939e-01;
constexpr double ivln10lo = 2.50829467116452752298e-11;
constexpr double log10_2hi = 3.01029995663611771306e-01;
constexpr double log10_2lo = 3.69423907715893078616e-13;
constexpr double Lg1 = 6.666666666666735130e-01;
constexpr double Lg2 = 3.999999999940941908e-01;
constexpr double Lg3 = 2.857142874366239149e-01;
constexpr double Lg4 = 2.222219843214978396e-01;
constexpr double Lg5 = 1.818357216161805012e-01;
constexpr double Lg6 = 1.531383769920937332e-01;
constexpr double Lg7 = 1.479819860511658591e-01;
} // namespace log10_constants

void portableLog10Sse2(const double* in, double* out, int n) noexcept;
void portableLog10Avx2(const double* in, double* out, int n) noexcept;

} // namespace vivera::dsp::kernels
