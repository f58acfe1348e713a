#include "dsp/TrackerBiquad.h"
#include "dsp/Constants.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{

void designTrackerBiquad(TrackerBiquad& filter, TrackerBiquadKind kind, double frequencyHz, double q,
                         double sampleRate, double fallbackHz) noexcept
{
    const double f =
        std::clamp(std::isfinite(frequencyHz) ? frequencyHz : fallbackHz, 1.0, 0.49 * sampleRate);
    const double w = 2.0 * kPi * f / sampleRate;
    const double cosW = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    if (kind == TrackerBiquadKind::highPass)
    {
        filter.b0 = (1.0 + cosW) / (2.0 * a0);
        filter.b1 = -(1.0 + cosW) / a0;
    }
    else
    {
        filter.b0 = (1.0 - cosW) / (2.0 * a0);
        filter.b1 = (1.0 - cosW) / a0;
    }
    filter.b2 = filter.b0;
    filter.a1 = -2.0 * cosW / a0;
    filter.a2 = (1.0 - alpha) / a0;
}

} // namespace vivera::dsp
