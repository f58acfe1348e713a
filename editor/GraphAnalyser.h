// The analyser's arithmetic: turning one frame's FFT magnitudes into smoothed levels, and reading the level
// a pixel column shows. Plain functions over plain arrays, so tests can feed them known spectra.
#pragma once

namespace graph_analyser
{
// Levels below this are shown as silence; the smoothed spectra start here.
constexpr float kSilenceDb = -120.0f;
// A spectrum holds bins 0..kLastBin of a 4096-point transform.
constexpr int kTransformSize = 4096;
constexpr int kLastBin = kTransformSize / 2;

// Level in dB of one bin's magnitude |X[k]| of a frame windowed by a Hann window whose sum is 4096:
// 20·log10(|X| / 2048), so a sine reads its own level in dBFS, never below kSilenceDb.
float magnitudeToLevel(float magnitude) noexcept;

// Moves each of the kLastBin + 1 smoothed levels towards the frame's level: quickly when it rises (60 % of
// the difference per frame) and slowly when it falls (12 %), so peaks show at once and decay calmly.
void smoothSpectrum(const float* magnitudes, float* spectrum) noexcept;

// The level a pixel column spanning lowHz..highHz shows. Columns narrower than a bin interpolate between the
// two bins around the column's centre; wider ones take the loudest bin they cover. A sample rate of zero or
// less counts as 44100.
float analyserLevel(const float* spectrum, double lowHz, double highHz, double sampleRate) noexcept;
} // namespace graph_analyser
