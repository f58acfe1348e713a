// What dragging, double-clicking and turning the wheel on the frequency graph write: plain arithmetic from
// the mouse's frequency or level to a parameter's plain value, so tests can check every limit directly.
#pragma once

#include <optional>

namespace GraphDragRules
{
// The detector's high-pass handle: 20 Hz below the axis' start, otherwise at most 90 % of the low-pass
// and never above 500 Hz.
float detectorHighPass(double mouseHz, float lowPassHz) noexcept;

// The detector's low-pass handle: at least 10 % above the high-pass and never below 200 Hz; at most 5 kHz.
float detectorLowPass(double mouseHz, float highPassHz) noexcept;

// The sidechain filter's multiple of the band frequency for a handle dragged to mouseHz: free in 0.01
// steps, or snapped to the fixed steps; clamped to 0.25..4. Nothing while the band has no frequency.
std::optional<float> sidechainRatio(double mouseHz, double bandHz, bool freeRatio) noexcept;

// Which band parameter a node's vertical drag writes.
enum class VerticalTarget
{
    none,
    gain,
    q,
};
VerticalTarget verticalTarget(int type, int slope) noexcept;

// Gain from the mouse level on the displayed (scaled) gain axis, in 0.1 dB steps, -36..36 dB.
float gainFromDisplayDb(double displayDb, float scalePercent) noexcept;

// Q from the mouse level, the node sitting on the resonance peak: 10^(dB/20) within 0.7..18.
float qFromDisplayDb(double displayDb) noexcept;

// Free move: the pitch a band follows is its frequency over its multiplier; nothing without a frequency.
std::optional<double> followedPitch(double bandHz, float multiplier) noexcept;

// The multiplier that puts a band following pitchHz at mouseHz: 0.01 steps within 0.25..256.
float multiplierForFrequency(double mouseHz, double pitchHz) noexcept;

// One wheel movement scales Q by e^(1.2 deltaY): the same turn is the same ratio at any Q.
float wheelQ(float q, float deltaY) noexcept;
float wheelSidechainQ(float detq, float deltaY) noexcept;
} // namespace GraphDragRules
