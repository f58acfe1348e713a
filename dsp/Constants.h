// Facts shared by every layer: the number of band slots, the control rate, and the codes that the
// parameter tree stores for band types and channels. Stored data depends on the codes, so they never change.
#pragma once

namespace vivera::dsp
{

constexpr int kNumBands = 16;

// Control-rate work (pitch follower, band dynamics, band designs) runs once per sub-block of this many
// samples.
constexpr int kSubBlockSize = 32;

constexpr double kPi = 3.14159265358979323846;

// Q of a second-order Butterworth section, as the filters have always used it.
constexpr double kButterworthQ = 0.70710678;

enum BandTypeCode : int
{
    kBandBell = 0,
    kBandLowShelf = 1,
    kBandHighShelf = 2,
    kBandNotch = 3,
    kBandHighPass = 4,
    kBandLowPass = 5,
    kBandTransient = 6,
    kBandSibilance = 7,
    kBandBackground = 8,
    kBandSustain = 9,
};
constexpr int kBandTypeCount = 10;
constexpr int kBandSlopeCount = 6; // 6, 12, 18, 24, 48 and 96 dB/oct

// What a band or its detector works on; also the monitoring channel.
enum ChannelCode : int
{
    kChannelStereo = 0,
    kChannelMid = 1,
    kChannelSide = 2,
};
constexpr int kChannelCount = 3;

// A choice value as an index: truncated and clamped to 0..count-1; NaN and negatives count as 0.
constexpr int choiceIndex(float value, int count) noexcept
{
    if (!(value >= 0.0f))
        return 0;
    if (value >= static_cast<float>(count - 1))
        return count - 1;
    return static_cast<int>(value);
}

} // namespace vivera::dsp
