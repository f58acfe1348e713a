// Band detector: sidechain filter, envelope, gain computer with knee and slope, attack/release ballistics.
// A sub-block runs in phases over whole arrays (channel combination, sidechain filters, envelopes, their
// logarithms, gain computer); every sample still sees the same operations in the same order, so the phases
// change nothing but which work can share a vector register.
#include "dsp/BandDetector.h"

#include "dsp/GainComputerLanes.h"
#include "dsp/LevelDetectorLanes.h"
#include "dsp/PortableLog10.h"
#include "dsp/SimdBuild.h"
#include "dsp/SimdLevel.h"
#include "dsp/SvfLanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if VIVERA_SIMD_SSE2
#include <emmintrin.h>
#endif

namespace vivera::dsp
{

namespace
{
constexpr double kAmplitudeFloor = 1e-9;
constexpr double kEnergyFloor = 1e-12;
constexpr int kChunk = kSubBlockSize;
constexpr int kJobsAtOnce = 8; // 16 sidechain filters: four 256-bit registers

SvfCoefficients designSidechainFilter(const DetectorSettings& s, double frequencyHz, double sampleRate)
{
    switch (s.scShape)
    {
    case kSidechainHigh:
        return designSvfSection(kSvfHighPass, frequencyHz, kButterworthQ, 0.0, sampleRate);
    case kSidechainLow:
        return designSvfSection(kSvfLowPass, frequencyHz, kButterworthQ, 0.0, sampleRate);
    default:
        return designSvfSection(kSvfBandPass, frequencyHz, s.scQ, 0.0, sampleRate);
    }
}

// Soft knee of width w around the threshold; a knee under 0.01 dB is hard.
double kneeExcess(double over, double w) noexcept
{
    if (w < 0.01)
        return std::max(over, 0.0);
    if (over < -0.5 * w)
        return 0.0;
    if (over > 0.5 * w)
        return over;
    const double x = over + 0.5 * w;
    return x * x / (2.0 * w);
}

bool isFinite(const BandDetector& d) noexcept
{
    return std::isfinite(d.ic1L + d.ic1R + d.ic2L + d.ic2R + d.envelope + d.meanSquare + d.reductionDb +
                         d.fastMeanSquare + d.slowMeanSquare + d.fullBandMeanSquare);
}

bool sameBits(double a, double b) noexcept
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameSettings(const DetectorSettings& a, const DetectorSettings& b) noexcept
{
    return sameBits(a.thresholdDb, b.thresholdDb) && sameBits(a.ratio, b.ratio) &&
           sameBits(a.attackMs, b.attackMs) && sameBits(a.releaseMs, b.releaseMs) &&
           sameBits(a.kneeDb, b.kneeDb) && sameBits(a.rangeDb, b.rangeDb) && sameBits(a.scQ, b.scQ) &&
           a.above == b.above && a.rms == b.rms && a.transientDetector == b.transientDetector &&
           a.sibilance == b.sibilance && a.channelMode == b.channelMode && a.scShape == b.scShape;
}

bool isStereo(const DetectorSettings& s) noexcept
{
    return s.channelMode != kChannelMid && s.channelMode != kChannelSide;
}

// One job's arrays for a chunk: the two analysed signals, then their filtered versions in place, then the
// arguments of the logarithms and the logarithms themselves.
struct JobChunk
{
    double a[kChunk], b[kChunk];
    double ya[kChunk], yb[kChunk];
    double levelArgument[kChunk], fullBandArgument[kChunk];
};

void takeInputs(const DetectorJob& job, int offset, int m, JobChunk& c) noexcept
{
    const DetectorSettings& s = *job.settings;
    const float* ch0 = job.ch0 + offset;
    const float* ch1 = job.ch1 + offset;
    if (isStereo(s))
        for (int i = 0; i < m; ++i)
        {
            c.a[i] = ch0[i];
            c.b[i] = ch1[i];
        }
    else if (s.channelMode == kChannelMid)
        for (int i = 0; i < m; ++i)
            c.a[i] = 0.5 * (static_cast<double>(ch0[i]) + ch1[i]);
    else
        for (int i = 0; i < m; ++i)
            c.a[i] = 0.5 * (static_cast<double>(ch0[i]) - ch1[i]);
}

// One sample of a job's sibilance reference, energy and envelope; leaves the logarithms' arguments.
inline void followEnvelope(const DetectorJob& job, const DetectorCoefficients& k, int i, JobChunk& c) noexcept
{
    const DetectorSettings& s = *job.settings;
    BandDetector& d = *job.detector;
    const bool stereo = isStereo(s);
    const double a = c.a[i];
    const double b = stereo ? c.b[i] : 0.0;
    if (s.sibilance)
    {
        const double q = stereo ? 0.5 * (a * a + b * b) : a * a;
        d.fullBandMeanSquare += (q - d.fullBandMeanSquare) * k.follow10ms;
        c.fullBandArgument[i] = d.fullBandMeanSquare + kEnergyFloor;
    }
    const double ya = c.ya[i];
    const double yb = stereo ? c.yb[i] : 0.0;
    const double energy = stereo ? 0.5 * (ya * ya + yb * yb) : ya * ya;
    if (s.transientDetector)
    {
        // The envelope, the square root of the fast energy, is set once at the end of the chunk.
        d.fastMeanSquare += (energy - d.fastMeanSquare) * k.followFast;
        d.slowMeanSquare += (energy - d.slowMeanSquare) * k.followSlow;
        // How far the 3 ms energy rises above the 40 ms energy.
        c.levelArgument[i] = (d.fastMeanSquare + kEnergyFloor) / (d.slowMeanSquare + kEnergyFloor);
    }
    else
    {
        if (s.rms)
        {
            // The square roots are taken for the whole chunk at once (finishEnvelope).
            d.meanSquare += (energy - d.meanSquare) * k.follow10ms;
            c.levelArgument[i] = d.meanSquare;
        }
        else
        {
            const double peak = stereo ? std::max(std::abs(ya), std::abs(yb)) : std::abs(ya);
            d.envelope = std::max(k.peakDecay * d.envelope, peak);
            c.levelArgument[i] = d.envelope + kAmplitudeFloor;
        }
    }
}

// x[i] = sqrt(x[i]) + kAmplitudeFloor, two at a time where the build has SSE2 (the same correctly rounded
// square root as the scalar instruction).
void squareRootPlusFloor(double* x, int m) noexcept
{
    int i = 0;
#if VIVERA_SIMD_SSE2
    const __m128d floor = _mm_set1_pd(kAmplitudeFloor);
    for (; i + 2 <= m; i += 2)
        _mm_storeu_pd(x + i, _mm_add_pd(_mm_sqrt_pd(_mm_loadu_pd(x + i)), floor));
#endif
    for (; i < m; ++i)
        x[i] = std::sqrt(x[i]) + kAmplitudeFloor;
}

// The envelopes whose square roots were left for the end of the chunk: RMS level arguments and the final
// envelope state.
void finishEnvelope(const DetectorJob& job, int m, JobChunk& c) noexcept
{
    const DetectorSettings& s = *job.settings;
    BandDetector& d = *job.detector;
    if (s.transientDetector)
        d.envelope = std::sqrt(d.fastMeanSquare);
    else if (s.rms)
    {
        squareRootPlusFloor(c.levelArgument, m);
        d.envelope = std::sqrt(d.meanSquare);
    }
}

// The logarithms of a job's chunk, in place.
void takeLogarithms(const DetectorJob& job, int m, JobChunk& c) noexcept
{
    const DetectorSettings& s = *job.settings;
    portableLog10Block(c.levelArgument, c.levelArgument, m);
    if (s.sibilance && !s.transientDetector)
        portableLog10Block(c.fullBandArgument, c.fullBandArgument, m);
}

// One sample of a job's level, knee, slope and ballistics, from the logarithms.
inline void computeGain(const DetectorJob& job, const DetectorCoefficients& k, int i,
                        const JobChunk& c) noexcept
{
    const DetectorSettings& s = *job.settings;
    BandDetector& d = *job.detector;
    double over;
    if (s.transientDetector)
    {
        d.levelDb = 10.0 * c.levelArgument[i];
        over = s.above ? d.levelDb - k.transientThresholdDb : k.transientThresholdDb - d.levelDb;
    }
    else
    {
        d.levelDb = 20.0 * c.levelArgument[i];
        if (s.sibilance)
            d.levelDb -= 10.0 * c.fullBandArgument[i];
        over = s.above ? d.levelDb - s.thresholdDb : s.thresholdDb - d.levelDb;
    }
    const double wantedDb = kneeExcess(over, k.kneeWidth) * k.slope;
    const double coeff = wantedDb > d.reductionDb ? k.attack : k.release;
    d.reductionDb = (1.0 - coeff) * wantedDb + coeff * d.reductionDb;
}

// A job's gain computer for the vector kernel: the same inputs computeGain reads.
kernels::GainLane gainLane(const DetectorJob& job, const DetectorCoefficients& k, JobChunk& c) noexcept
{
    const DetectorSettings& s = *job.settings;
    kernels::GainLane lane;
    lane.level = c.levelArgument;
    lane.fullBand = s.sibilance && !s.transientDetector ? c.fullBandArgument : nullptr;
    lane.transient = s.transientDetector;
    lane.above = s.above;
    lane.thresholdDb = s.transientDetector ? k.transientThresholdDb : s.thresholdDb;
    lane.kneeWidth = k.kneeWidth;
    lane.slope = k.slope;
    lane.attack = k.attack;
    lane.release = k.release;
    lane.levelDb = &job.detector->levelDb;
    lane.reductionDb = &job.detector->reductionDb;
    return lane;
}

#if VIVERA_SIMD_AVX2
// A detector the whole-detector kernel runs: a peak or RMS envelope, no transient or sibilance measure.
bool isLevelDetector(const DetectorSettings& s) noexcept
{
    return !s.transientDetector && !s.sibilance;
}

// A job's lane for the whole-detector kernel: the same inputs and states the phases use.
kernels::LevelDetectorLane levelLane(const DetectorJob& job, const DetectorCoefficients& k,
                                     const JobChunk& c) noexcept
{
    const DetectorSettings& s = *job.settings;
    BandDetector& d = *job.detector;
    kernels::LevelDetectorLane lane;
    lane.filter = &k.filter;
    lane.a = c.a;
    lane.b = isStereo(s) ? c.b : nullptr;
    lane.rms = s.rms;
    lane.above = s.above;
    lane.follow10ms = k.follow10ms;
    lane.peakDecay = k.peakDecay;
    lane.thresholdDb = s.thresholdDb;
    lane.kneeWidth = k.kneeWidth;
    lane.slope = k.slope;
    lane.attack = k.attack;
    lane.release = k.release;
    lane.ic1L = &d.ic1L;
    lane.ic2L = &d.ic2L;
    lane.ic1R = &d.ic1R;
    lane.ic2R = &d.ic2R;
    lane.meanSquare = &d.meanSquare;
    lane.envelope = &d.envelope;
    lane.levelDb = &d.levelDb;
    lane.reductionDb = &d.reductionDb;
    return lane;
}

#endif

// A few level detectors by the whole-detector AVX2 kernel: their filter and envelope recursions overlap,
// and so do their gain computers, where the phases would each wait on one short recursion. False when the
// jobs need the phases.
bool runLevelDetectorsAtOnce(DetectorJob* jobs, const DetectorCoefficients* const* coefficients, int count,
                             int offset, int m, JobChunk* chunks) noexcept
{
#if VIVERA_SIMD_AVX2
    if (count > kernels::kLevelDetectorLanes || activeSimdLevel() != SimdLevel::avx2)
        return false;
    for (int j = 0; j < count; ++j)
        if (!isLevelDetector(*jobs[j].settings))
            return false;
    kernels::LevelDetectorLane lanes[kernels::kLevelDetectorLanes];
    for (int j = 0; j < count; ++j)
    {
        takeInputs(jobs[j], offset, m, chunks[j]);
        lanes[j] = levelLane(jobs[j], *coefficients[j], chunks[j]);
    }
    kernels::runLevelDetectorsAvx2(lanes, count, m);
    return true;
#else
    (void)jobs, (void)coefficients, (void)count, (void)offset, (void)m, (void)chunks;
    return false;
#endif
}

double finishRun(const DetectorJob& job) noexcept
{
    BandDetector& d = *job.detector;
    // A non-finite input or setting would otherwise stick in the states until the band is reset.
    if (!isFinite(d))
    {
        resetDetector(d);
        return 0.0;
    }
    const double amount = d.reductionDb / std::max(job.settings->rangeDb, 0.1);
    return amount > 0.0 ? std::min(amount, 1.0) : 0.0;
}

// Up to kJobsAtOnce jobs over one chunk: all their sidechain filters run side by side.
void runChunk(DetectorJob* jobs, const DetectorCoefficients* const* coefficients, int count, int offset,
              int m, JobChunk* chunks) noexcept
{
    if (runLevelDetectorsAtOnce(jobs, coefficients, count, offset, m, chunks))
        return;
    SvfLane lanes[2 * kJobsAtOnce];
    int laneCount = 0;
    for (int j = 0; j < count; ++j)
    {
        takeInputs(jobs[j], offset, m, chunks[j]);
        BandDetector& d = *jobs[j].detector;
        const SvfCoefficients* filter = &coefficients[j]->filter;
        lanes[laneCount++] = {filter, &d.ic1L, &d.ic2L, chunks[j].a, chunks[j].ya};
        if (isStereo(*jobs[j].settings))
            lanes[laneCount++] = {filter, &d.ic1R, &d.ic2R, chunks[j].b, chunks[j].yb};
    }
    runSvfLanes(lanes, laneCount, m);
    // Sample by sample across the jobs: each job's envelope and ballistics are a recursion that waits on
    // its previous sample, and the other jobs' independent steps fill that wait.
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < count; ++j)
            followEnvelope(jobs[j], *coefficients[j], i, chunks[j]);
    for (int j = 0; j < count; ++j)
    {
        finishEnvelope(jobs[j], m, chunks[j]);
        takeLogarithms(jobs[j], m, chunks[j]);
    }
#if VIVERA_SIMD_AVX2
    if (count > 1 && activeSimdLevel() == SimdLevel::avx2)
    {
        kernels::GainLane gains[kJobsAtOnce];
        for (int j = 0; j < count; ++j)
            gains[j] = gainLane(jobs[j], *coefficients[j], chunks[j]);
        kernels::runGainLanesAvx2(gains, count, m);
        return;
    }
#endif
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < count; ++j)
            computeGain(jobs[j], *coefficients[j], i, chunks[j]);
}
} // namespace

DetectorCoefficients detectorCoefficients(const DetectorSettings& settings, double scFrequencyHz,
                                          double sampleRate) noexcept
{
    DetectorCoefficients k;
    k.filter = designSidechainFilter(settings, scFrequencyHz, sampleRate);
    k.attack = std::exp(-1.0 / (std::max(settings.attackMs, 0.05) * 0.001 * sampleRate));
    k.release = std::exp(-1.0 / (std::max(settings.releaseMs, 1.0) * 0.001 * sampleRate));
    k.follow10ms = 1.0 - std::exp(-1.0 / (0.01 * sampleRate));
    k.peakDecay = std::exp(-1.0 / (0.005 * sampleRate));
    k.followFast = 1.0 - std::exp(-1.0 / (0.003 * sampleRate));
    k.followSlow = 1.0 - std::exp(-1.0 / (0.04 * sampleRate));
    k.slope = 1.0 - 1.0 / std::max(settings.ratio, 1.0);
    k.kneeWidth = std::max(settings.kneeDb, 0.0);
    k.transientThresholdDb = 0.2 * settings.thresholdDb + 12.0;
    return k;
}

const DetectorCoefficients& cachedDetectorCoefficients(DetectorCoefficientCache& cache,
                                                       const DetectorSettings& settings, double scFrequencyHz,
                                                       double sampleRate) noexcept
{
    if (!cache.valid || !sameSettings(cache.settings, settings) ||
        !sameBits(cache.scFrequencyHz, scFrequencyHz) || !sameBits(cache.sampleRate, sampleRate))
    {
        cache.coefficients = detectorCoefficients(settings, scFrequencyHz, sampleRate);
        cache.settings = settings;
        cache.scFrequencyHz = scFrequencyHz;
        cache.sampleRate = sampleRate;
        cache.valid = true;
    }
    return cache.coefficients;
}

void resetDetector(BandDetector& detector) noexcept
{
    // The state only: the coefficient cache is derived from settings and stays valid, and static bands
    // reset their detector every sub-block.
    detector.levelDb = -120.0;
    detector.ic1L = detector.ic1R = detector.ic2L = detector.ic2R = 0.0;
    detector.envelope = detector.meanSquare = detector.reductionDb = 0.0;
    detector.fastMeanSquare = detector.slowMeanSquare = detector.fullBandMeanSquare = 0.0;
}

void runDetectors(DetectorJob* jobs, int count, int n, double sampleRate) noexcept
{
    for (int first = 0; first < count; first += kJobsAtOnce)
    {
        const int batch = std::min(kJobsAtOnce, count - first);
        DetectorJob* group = jobs + first;
        const DetectorCoefficients* coefficients[kJobsAtOnce];
        for (int j = 0; j < batch; ++j)
            coefficients[j] = &cachedDetectorCoefficients(group[j].detector->cache, *group[j].settings,
                                                          group[j].scFrequencyHz, sampleRate);
        JobChunk chunks[kJobsAtOnce];
        for (int offset = 0; offset < n; offset += kChunk)
            runChunk(group, coefficients, batch, offset, std::min(kChunk, n - offset), chunks);
        for (int j = 0; j < batch; ++j)
            group[j].amount = finishRun(group[j]);
    }
}

double runDetector(BandDetector& detector, const DetectorSettings& settings, const float* ch0,
                   const float* ch1, int n, double scFrequencyHz, double sampleRate) noexcept
{
    DetectorJob job;
    job.detector = &detector;
    job.settings = &settings;
    job.ch0 = ch0;
    job.ch1 = ch1;
    job.scFrequencyHz = scFrequencyHz;
    runDetectors(&job, 1, n, sampleRate);
    return job.amount;
}

} // namespace vivera::dsp
