// Pitch estimator: input band limit and decimation, YIN-style analysis per hop, median-of-three output.
#include "dsp/PitchTracker.h"
#include "dsp/Constants.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace vivera::dsp
{

namespace
{
constexpr double kFourthOrderQ1 = 0.5412;
constexpr double kFourthOrderQ2 = 1.30656;
constexpr double kSilencePeak = 1e-4; // -80 dBFS: never analysed, whatever the gate
constexpr float kGateOffDb = -79.9f;
constexpr double kMinPitchHz = 30.0;
constexpr double kMaxPitchHz = 2000.0;
// A tone right at the top of the range is refined to within a fraction of a cent either side of it; this
// margin (one cent) keeps it from being dropped at random, and the reading is clamped to the range.
constexpr double kMaxPitchMargin = 1.000577789506555; // 2^(1/1200)

double medianOfThree(double a, double b, double c) noexcept
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// Offset in [-1, 1] of the vertex of the parabola through the curve at tau - 1, tau and tau + 1.
// Fitted to the raw difference: the normalised curve carries a running-mean factor that grows across the
// three lags at short periods and would pull the vertex to shorter lags (sharp readings, up to about 25 cents
// near 2 kHz, enough to push tones just under the top of the range out of it).
double refinementOffset(const double* curve, int tau) noexcept
{
    const double left = curve[tau - 1];
    const double centre = curve[tau];
    const double right = curve[tau + 1];
    const double den = 2.0 * (2.0 * centre - right - left);
    // Relative to the values: the raw difference scales with the signal's energy.
    const bool curved = std::abs(den) > 1e-12 * (std::abs(left) + std::abs(centre) + std::abs(right));
    return curved ? std::clamp((right - left) / den, -1.0, 1.0) : 0.0;
}

// Value at the vertex of the parabola through the curve at tau - 1, tau and tau + 1 (tau a local minimum).
double interpolatedMinimum(const double* curve, int tau) noexcept
{
    const double left = curve[tau - 1];
    const double centre = curve[tau];
    const double right = curve[tau + 1];
    const double curvature = left + right - 2.0 * centre;
    if (!(curvature > 1e-12))
        return centre;
    const double slope = right - left;
    return centre - slope * slope / (8.0 * curvature);
}
} // namespace

void PitchTracker::prepare(double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
    decimation = std::max(1, static_cast<int>(std::lround(sampleRate / 12000.0)));
    decimatedRate = sampleRate / decimation;
    minLag = std::max(2, static_cast<int>(std::floor(decimatedRate / 2000.0)));
    maxLag = std::min(kMaxLag, static_cast<int>(std::ceil(decimatedRate / 30.0)) + 1);
    windowLength = kFrameSize - maxLag;

    differenceFunction.prepare();
    highPass = {};
    lowPass1 = {};
    lowPass2 = {};
    pendingCount = 0;
    designFilters();

    std::fill(std::begin(ring), std::end(ring), 0.0f);
    std::fill(std::begin(frame), std::end(frame), 0.0f);
    std::fill(std::begin(cmndf), std::end(cmndf), 0.0);
    writeIndex = 0;
    fillCount = 0;
    hopCounter = 0;
    decimationCounter = 0;
    std::fill(std::begin(history), std::end(history), 0.0);
    historyIndex = 0;
    historyCount = 0;
    missCount = 0;
    pitchHz = 0.0f;
    levelDb = -120.0f;
}

void PitchTracker::applySettings(float sensPercent, float gate, float trackHpHz, float trackLpHz) noexcept
{
    threshold = std::clamp(static_cast<double>(sensPercent) / 100.0, 0.02, 1.0);
    gateDb = gate;
    // Written as negated equality so that a NaN (stored or new) always triggers a redesign.
    if (!(trackHpHz == hpHz) || !(trackLpHz == lpHz))
    {
        hpHz = trackHpHz;
        lpHz = trackLpHz;
        // The samples that arrived before the change are filtered with the coefficients they arrived under.
        filterPending();
        designFilters();
    }
}

void PitchTracker::designFilters() noexcept
{
    designTrackerBiquad(highPass, TrackerBiquadKind::highPass, hpHz, kButterworthQ, sampleRate, kDefaultHpHz);
    const double lp = std::isfinite(lpHz) ? static_cast<double>(lpHz) : static_cast<double>(kDefaultLpHz);
    const double fc = std::min(lp, 0.4 * decimatedRate);
    designTrackerBiquad(lowPass1, TrackerBiquadKind::lowPass, fc, kFourthOrderQ1, sampleRate, kDefaultLpHz);
    designTrackerBiquad(lowPass2, TrackerBiquadKind::lowPass, fc, kFourthOrderQ2, sampleRate, kDefaultLpHz);
    designDecimationStep(decimationStep, highPass, lowPass1, lowPass2, decimation);
}

void PitchTracker::pushSample(float x) noexcept
{
    pushBlock(&x, 1);
}

int PitchTracker::filterPeriods(const float* x, int periods, float* kept) noexcept
{
    double states[DecimationStep::kStates] = {highPass.s1, highPass.s2, lowPass1.s1,
                                              lowPass1.s2, lowPass2.s1, lowPass2.s2};
    const int done = runDecimationSteps(decimationStep, states, x, periods, kept);
    highPass.s1 = states[0];
    highPass.s2 = states[1];
    lowPass1.s1 = states[2];
    lowPass1.s2 = states[3];
    lowPass2.s1 = states[4];
    lowPass2.s2 = states[5];
    return done;
}

void PitchTracker::pushBlock(const float* x, int count) noexcept
{
    if (decimationStep.length != decimation)
    {
        pushBlockSampleBySample(x, count);
        return;
    }
    constexpr int kChunk = 64; // kept samples per kernel call
    float kept[kChunk];
    int i = 0;
    while (i < count)
    {
        if (decimationCounter == 0 && pendingCount == 0 && count - i >= decimation)
        {
            // Whole periods straight from the input.
            const int periods = std::min((count - i) / decimation, kChunk);
            const int done = filterPeriods(x + i, periods, kept);
            for (int k = 0; k < done; ++k)
                keepDecimated(kept[k]);
            i += done * decimation;
            if (done < periods)
            {
                // A period with a non-finite result: sample by sample, which clears the recursions.
                keepDecimated(static_cast<float>(filterSamples(x + i, decimation)));
                i += decimation;
            }
            continue;
        }
        // Part of a period: hold it until the period completes.
        const int take = std::min(count - i, decimation - decimationCounter);
        std::copy(x + i, x + i + take, pending + pendingCount);
        pendingCount += take;
        decimationCounter += take;
        i += take;
        if (decimationCounter < decimation)
            return;
        decimationCounter = 0;
        float out = 0.0f;
        // Fewer pending samples than a period: the filters were redesigned inside it and ran up to there.
        if (pendingCount < decimation || filterPeriods(pending, 1, &out) == 0)
            out = static_cast<float>(filterSamples(pending, pendingCount));
        pendingCount = 0;
        keepDecimated(out);
    }
}

void PitchTracker::filterPending() noexcept
{
    filterSamples(pending, pendingCount);
    pendingCount = 0;
}

double PitchTracker::filterSamples(const float* x, int count) noexcept
{
    double y = 0.0;
    for (int i = 0; i < count; ++i)
    {
        y = processTrackerBiquad(lowPass2,
                                 processTrackerBiquad(lowPass1, processTrackerBiquad(highPass, x[i])));
        if (!std::isfinite(y))
        {
            // A non-finite input would otherwise stay in the recursions for ever and silence the tracker.
            highPass.s1 = highPass.s2 = lowPass1.s1 = lowPass1.s2 = lowPass2.s1 = lowPass2.s2 = 0.0;
            y = 0.0;
        }
    }
    return y;
}

void PitchTracker::pushBlockSampleBySample(const float* x, int count) noexcept
{
    // Local copies: the decimated samples are stored through a float pointer, which would otherwise make
    // the compiler reload the filter states after every store.
    TrackerBiquad hp = highPass, lp1 = lowPass1, lp2 = lowPass2;
    int counter = decimationCounter;
    for (int i = 0; i < count; ++i)
    {
        double y = processTrackerBiquad(lp2, processTrackerBiquad(lp1, processTrackerBiquad(hp, x[i])));
        if (!std::isfinite(y))
        {
            // As in filterSamples: clear the recursions rather than carry the bad value on.
            hp.s1 = hp.s2 = lp1.s1 = lp1.s2 = lp2.s1 = lp2.s2 = 0.0;
            y = 0.0;
        }
        if (++counter < decimation)
            continue;
        counter = 0;
        keepDecimated(static_cast<float>(y));
    }
    highPass = hp;
    lowPass1 = lp1;
    lowPass2 = lp2;
    decimationCounter = counter;
}

void PitchTracker::keepDecimated(float y) noexcept
{
    ring[writeIndex] = y;
    writeIndex = (writeIndex + 1) % kRingSize;
    fillCount = std::min(fillCount + 1, kRingSize);

    if (++hopCounter < kHop)
        return;
    hopCounter = 0;
    if (fillCount >= kFrameSize)
        analyse();
}

void PitchTracker::analyse() noexcept
{
    const int start = (writeIndex - kFrameSize + kRingSize) % kRingSize;
    const int firstPart = std::min(kFrameSize, kRingSize - start);
    std::copy(ring + start, ring + start + firstPart, frame);
    std::copy(ring, ring + (kFrameSize - firstPart), frame + firstPart);

    // Eight running maxima, so the comparisons do not wait on each other and fill one vector register.
    float lanePeaks[8] = {};
    for (int i = 0; i < kFrameSize; i += 8)
        for (int lane = 0; lane < 8; ++lane)
            lanePeaks[lane] = std::max(lanePeaks[lane], std::abs(frame[i + lane]));
    const float peak = *std::max_element(std::begin(lanePeaks), std::end(lanePeaks));
    levelDb = static_cast<float>(20.0 * std::log10(static_cast<double>(peak) + 1e-12));

    if (peak <= kSilencePeak || (gateDb > kGateOffDb && levelDb < gateDb))
    {
        miss();
        return;
    }

    differenceFunction.compute(frame, windowLength, maxLag, difference);

    const int tau = periodLag();
    if (tau == 0)
    {
        miss();
        return;
    }
    const double frequency = decimatedRate / (tau + refinementOffset(difference, tau));
    if (frequency < kMinPitchHz || frequency > kMaxPitchHz * kMaxPitchMargin)
    {
        miss();
        return;
    }
    accept(std::min(frequency, kMaxPitchHz));
}

int PitchTracker::periodLag() noexcept
{
    // The normalised difference is filled in only as far as the search reads it: a tone's period is usually
    // found long before the last lag, and each value costs a division.
    cmndf[0] = 1.0;
    int normalised = 0;
    double runningSum = 0.0;
    const auto normaliseUpTo = [&](int last) noexcept
    {
        while (normalised < last)
        {
            const int lag = ++normalised;
            const double d = difference[lag];
            runningSum += d;
            cmndf[lag] = runningSum > 0.0 ? lag * d / runningSum : 1.0;
        }
    };
    normaliseUpTo(minLag);
    for (int tau = minLag; tau <= maxLag - 1; ++tau)
    {
        normaliseUpTo(tau + 1);
        if (cmndf[tau] < threshold)
        {
            while (tau + 1 <= maxLag - 1 && cmndf[tau] > cmndf[tau + 1])
            {
                ++tau;
                normaliseUpTo(tau + 1);
            }
            return tau;
        }
        // A period that falls between two lags leaves both neighbours above the true minimum, so a perfectly
        // periodic tone could miss the threshold at its own period and be taken at twice the period. The
        // interpolated depth of each local minimum is tested as well.
        const bool localMinimum = cmndf[tau] <= cmndf[tau - 1] && cmndf[tau] <= cmndf[tau + 1];
        if (localMinimum && interpolatedMinimum(cmndf, tau) < threshold)
            return tau;
    }
    return 0;
}

void PitchTracker::miss() noexcept
{
    // Saturates so that months of silence cannot overflow the count.
    if (missCount < std::numeric_limits<int>::max())
        ++missCount;
    if (missCount >= 2)
    {
        pitchHz = 0.0f;
        historyCount = 0;
    }
}

void PitchTracker::accept(double frequencyHz) noexcept
{
    missCount = 0;
    history[historyIndex] = frequencyHz;
    historyIndex = (historyIndex + 1) % kHistorySize;
    historyCount = std::min(historyCount + 1, kHistorySize);
    pitchHz = static_cast<float>(
        historyCount < kHistorySize ? frequencyHz : medianOfThree(history[0], history[1], history[2]));
}

} // namespace vivera::dsp
