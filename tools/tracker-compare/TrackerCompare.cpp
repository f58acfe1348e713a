// Measures our pitch tracker and aubio's YIN on the same generated signals (harmonic tones with random
// harmonic amplitudes, vibrato, added noise, note changes) and prints gross error rate, median error and the
// delay from a note change to a correct estimate for both.
#include "dsp/PitchTracker.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr double kTwoPi = 6.283185307179586476925;
constexpr double kGrossCents = 50.0;
constexpr double kClean = HUGE_VAL; // no added noise

// Both estimators see the signal in hops of 128 decimated samples and report once per hop.
class Estimator
{
public:
    virtual ~Estimator() = default;
    virtual const char* name() const = 0;
    virtual void reset() = 0;
    virtual float processHop(const float* x, int n) = 0; // Hz, 0 = no pitch
};

// Our tracker at default settings, or with a lower detector low-pass, or reading the raw estimate of each
// analysis (before the median of three and the one-miss hold) to separate the core from the smoothing.
class ViveraEstimator : public Estimator
{
public:
    ViveraEstimator(double fs, const char* label, float lowPassHz = 5000.0f, bool raw = false)
        : sampleRate(fs), lowPass(lowPassHz), rawEstimates(raw), label(label),
          tracker(std::make_unique<vivera::dsp::PitchTracker>())
    {
    }
    const char* name() const override { return label; }
    void reset() override
    {
        *tracker = vivera::dsp::PitchTracker{};
        tracker->prepare(sampleRate);
        tracker->applySettings(15.0f, -80.0f, 20.0f, lowPass);
    }
    float processHop(const float* x, int n) override
    {
        for (int i = 0; i < n; ++i)
            tracker->pushSample(x[i]);
        if (!rawEstimates)
            return tracker->pitchHz;
        // The hop ends on an analysis, so a zero miss count means this analysis was accepted.
        if (tracker->missCount != 0 || tracker->historyCount == 0)
            return 0.0f;
        return static_cast<float>(tracker->history[(tracker->historyIndex + 2) % 3]);
    }

private:
    double sampleRate;
    float lowPass;
    bool rawEstimates;
    const char* label;
    std::unique_ptr<vivera::dsp::PitchTracker> tracker;
};

// aubio "yin" over the same span (1024 decimated samples = 1024·D host samples) and hop, tolerance 0.15
// like our default sensitivity. aubio always returns its best lag, so a frame whose best normalised
// difference is not under the tolerance (confidence < 0.85) counts as no pitch, as in our tracker.
class AubioEstimator : public Estimator
{
public:
    AubioEstimator(double fs, int bufferSize, int hopSize) : sampleRate(fs), buffer(bufferSize), hop(hopSize)
    {
    }
    ~AubioEstimator() override { release(); }
    const char* name() const override { return "aubio-yin"; }
    void reset() override
    {
        release();
        pitch = new_aubio_pitch("yin", static_cast<uint_t>(buffer), static_cast<uint_t>(hop),
                                static_cast<uint_t>(sampleRate));
        aubio_pitch_set_tolerance(pitch, 0.15f);
        aubio_pitch_set_silence(pitch, -80.0f);
        aubio_pitch_set_unit(pitch, "Hz");
        input = new_fvec(static_cast<uint_t>(hop));
        output = new_fvec(1);
    }
    float processHop(const float* x, int n) override
    {
        for (int i = 0; i < n; ++i)
            input->data[i] = x[i];
        aubio_pitch_do(pitch, input, output);
        const float f = output->data[0];
        if (aubio_pitch_get_confidence(pitch) < 0.85f || !(f > 0.0f))
            return 0.0f;
        return f;
    }

private:
    void release()
    {
        if (pitch)
            del_aubio_pitch(pitch);
        if (input)
            del_fvec(input);
        if (output)
            del_fvec(output);
        pitch = nullptr;
        input = output = nullptr;
    }
    double sampleRate;
    int buffer, hop;
    aubio_pitch_t* pitch = nullptr;
    fvec_t* input = nullptr;
    fvec_t* output = nullptr;
};

// A generated test signal with its true instantaneous frequency.
struct Signal
{
    std::vector<float> samples;
    std::function<double(double)> frequencyAt;
    std::vector<double> changeTimes; // note starts (excluding t = 0)
};

struct Harmonics
{
    std::vector<double> amplitude, phase;
};

Harmonics randomHarmonics(std::mt19937& rng)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Harmonics h;
    for (int k = 1; k <= 20; ++k)
    {
        h.amplitude.push_back(k == 1 ? 0.3 + 0.7 * unit(rng) : unit(rng));
        h.phase.push_back(kTwoPi * unit(rng));
    }
    return h;
}

// Additive synthesis below 0.45 fs, normalised to -20 dBFS RMS, then white noise at the given SNR.
Signal synthesise(const std::function<double(double)>& f, const Harmonics& h, double seconds, double fs,
                  double snrDb, std::mt19937& rng)
{
    Signal s;
    s.frequencyAt = f;
    const auto n = static_cast<size_t>(seconds * fs);
    std::vector<double> x(n);
    double phase = 0.0, energy = 0.0;
    for (size_t i = 0; i < n; ++i)
    {
        const double fi = f(i / fs);
        double sum = 0.0;
        for (size_t k = 0; k < h.amplitude.size() && (k + 1) * fi < 0.45 * fs; ++k)
            sum += h.amplitude[k] * std::sin(kTwoPi * (k + 1) * phase + h.phase[k]);
        x[i] = sum;
        energy += sum * sum;
        phase += fi / fs;
        phase -= std::floor(phase);
    }
    const double gain = std::pow(10.0, -20.0 / 20.0) / std::sqrt(energy / n);
    const double noiseRms = std::isfinite(snrDb) ? std::pow(10.0, (-20.0 - snrDb) / 20.0) : 0.0;
    // Its own generator, always seeded, so clean and noisy runs draw the same tones and timbres.
    std::mt19937 noiseRng(rng());
    std::normal_distribution<double> noise(0.0, 1.0);
    s.samples.resize(n);
    for (size_t i = 0; i < n; ++i)
        s.samples[i] = static_cast<float>(gain * x[i] + noiseRms * noise(noiseRng));
    return s;
}

struct Stats
{
    long frames = 0, voiced = 0, gross = 0;
    std::vector<double> absCents; // voiced frames that are not gross errors
    std::vector<double> delays;   // note change -> first correct estimate, seconds
    long changes = 0, neverCorrect = 0;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

// Runs one signal through an estimator. Frames are scored from settleSeconds after the start (and after each
// note change); the reference is the true frequency at the centre of the analysis window.
void score(Estimator& e, const Signal& s, double fs, int hop, double windowSeconds, double settleSeconds,
           Stats& stats)
{
    e.reset();
    std::vector<double> pendingChanges = s.changeTimes;
    size_t nextChange = 0;
    bool waitingForCorrect = false;
    double changeTime = 0.0;
    for (size_t o = 0; o + hop <= s.samples.size(); o += hop)
    {
        const float estimate = e.processHop(s.samples.data() + o, hop);
        const double t = (o + hop) / fs;
        const double reference = s.frequencyAt(std::max(0.0, t - 0.5 * windowSeconds));
        const double cents = estimate > 0.0f ? 1200.0 * std::log2(estimate / reference) : NAN;
        const bool correct = estimate > 0.0f && std::abs(cents) <= kGrossCents;

        while (nextChange < pendingChanges.size() && t >= pendingChanges[nextChange])
        {
            if (waitingForCorrect)
                ++stats.neverCorrect;
            changeTime = pendingChanges[nextChange++];
            waitingForCorrect = true;
            ++stats.changes;
        }
        if (waitingForCorrect && estimate > 0.0f &&
            std::abs(1200.0 * std::log2(estimate / s.frequencyAt(t))) <= kGrossCents)
        {
            stats.delays.push_back(t - changeTime);
            waitingForCorrect = false;
        }

        const double lastStart = nextChange > 0 ? pendingChanges[nextChange - 1] : 0.0;
        if (t - lastStart < settleSeconds)
            continue;
        ++stats.frames;
        if (estimate <= 0.0f)
            continue;
        ++stats.voiced;
        if (!correct)
            ++stats.gross;
        else
            stats.absCents.push_back(std::abs(cents));
    }
    if (waitingForCorrect)
        ++stats.neverCorrect;
}

double logUniform(std::mt19937& rng, double lo, double hi)
{
    std::uniform_real_distribution<double> u(std::log(lo), std::log(hi));
    return std::exp(u(rng));
}

void printRow(const std::string& scenario, const Estimator& e, const Stats& s)
{
    std::printf("| %-28s | %-14s | %6ld | %6.1f %% | %6.2f %% | %7.2f | %7.2f |", scenario.c_str(), e.name(),
                s.frames, 100.0 * s.voiced / std::max(1L, s.frames), 100.0 * s.gross / std::max(1L, s.voiced),
                median(s.absCents), percentile(s.absCents, 0.95));
    if (s.changes > 0)
        std::printf(" %6.1f / %6.1f ms, %ld of %ld never |", 1000.0 * median(s.delays),
                    1000.0 * percentile(s.delays, 0.9), s.neverCorrect, s.changes);
    else
        std::printf(" - |");
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    const double fs = argc > 1 ? std::atof(argv[1]) : 48000.0;
    const int decimation = std::max(1, static_cast<int>(std::lround(fs / 12000.0)));
    const int hop = 128 * decimation;
    const int window = 1024 * decimation;
    const double windowSeconds = window / fs;
    const double settle = 0.15; // > one window plus two hops, for both estimators

    ViveraEstimator ours(fs, "vivera");
    ViveraEstimator oursRaw(fs, "vivera raw", 5000.0f, true);
    ViveraEstimator oursLowPass(fs, "vivera LP 1.5k", 1500.0f);
    AubioEstimator theirs(fs, window, hop);
    Estimator* estimators[] = {&ours, &oursRaw, &oursLowPass, &theirs};
    constexpr int kEstimators = 4;

    std::printf("fs %.0f Hz, hop %d, window %d samples (%.1f ms); gross error: > %.0f cents off\n\n", fs, hop,
                window, 1000.0 * windowSeconds, kGrossCents);
    std::printf("| scenario | estimator | frames | voiced | gross err (of voiced) | median abs cents | p95 "
                "abs cents | "
                "note change to correct: median / p90 |\n|---|---|---|---|---|---|---|---|\n");

    struct Band
    {
        const char* name;
        double lo, hi;
    };
    const Band bands[] = {{"40-1500 Hz", 40.0, 1500.0},
                          {"40-100 Hz", 40.0, 100.0},
                          {"100-500 Hz", 100.0, 500.0},
                          {"500-1500 Hz", 500.0, 1500.0}};

    // Steady harmonic tones with random harmonic amplitudes, clean and with noise.
    for (double snr : {kClean, 20.0, 10.0, 5.0, 0.0})
    {
        for (const auto& band : bands)
        {
            if (std::isfinite(snr) && band.hi != 1500.0) // noisy cases over the full range only
                continue;
            Stats stats[kEstimators];
            std::mt19937 rng(1234);
            for (int k = 0; k < 200; ++k)
            {
                const double f0 = logUniform(rng, band.lo, band.hi);
                const auto h = randomHarmonics(rng);
                const auto s = synthesise([f0](double) { return f0; }, h, 0.6, fs, snr, rng);
                for (int e = 0; e < kEstimators; ++e)
                    score(*estimators[e], s, fs, hop, windowSeconds, settle, stats[e]);
            }
            const std::string name =
                std::string("tones ") + band.name +
                (std::isfinite(snr) ? ", SNR " + std::to_string(static_cast<int>(snr)) + " dB" : ", clean");
            for (int e = 0; e < kEstimators; ++e)
                printRow(name, *estimators[e], stats[e]);
        }
    }

    // Vibrato: 20..60 cents deep at 4.5..6.5 Hz.
    for (double snr : {kClean, 10.0})
    {
        Stats stats[kEstimators];
        std::mt19937 rng(99);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int k = 0; k < 100; ++k)
        {
            const double f0 = logUniform(rng, 60.0, 1200.0);
            const double depth = (20.0 + 40.0 * unit(rng)) / 1200.0, rate = 4.5 + 2.0 * unit(rng);
            const auto h = randomHarmonics(rng);
            const auto s =
                synthesise([=](double t) { return f0 * std::pow(2.0, depth * std::sin(kTwoPi * rate * t)); },
                           h, 1.0, fs, snr, rng);
            for (int e = 0; e < kEstimators; ++e)
                score(*estimators[e], s, fs, hop, windowSeconds, settle, stats[e]);
        }
        for (int e = 0; e < kEstimators; ++e)
            printRow(std::isfinite(snr) ? "vibrato, clean" : "vibrato, SNR 10 dB", *estimators[e], stats[e]);
    }

    // Note changes: melodies of 300 ms notes, continuous phase, random intervals of 1..12 semitones.
    for (double snr : {kClean, 10.0})
    {
        Stats stats[kEstimators];
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> interval(1, 12), sign(0, 1);
        for (int k = 0; k < 40; ++k)
        {
            std::vector<double> notes{logUniform(rng, 60.0, 700.0)};
            for (int i = 1; i < 10; ++i)
            {
                double next = notes.back() * std::pow(2.0, (sign(rng) ? 1 : -1) * interval(rng) / 12.0);
                if (next < 45.0 || next > 1400.0)
                    next = notes.back() * std::pow(2.0, (next < 45.0 ? 1 : -1) * interval(rng) / 12.0);
                notes.push_back(next);
            }
            const double noteSeconds = 0.3;
            const auto h = randomHarmonics(rng);
            auto s = synthesise(
                [=](double t)
                { return notes[std::min<size_t>(static_cast<size_t>(t / noteSeconds), notes.size() - 1)]; },
                h, noteSeconds * notes.size(), fs, snr, rng);
            for (size_t i = 1; i < notes.size(); ++i)
                s.changeTimes.push_back(i * noteSeconds);
            for (int e = 0; e < kEstimators; ++e)
                score(*estimators[e], s, fs, hop, windowSeconds, settle, stats[e]);
        }
        for (int e = 0; e < kEstimators; ++e)
            printRow(std::isfinite(snr) ? "note changes, clean" : "note changes, SNR 10 dB", *estimators[e],
                     stats[e]);
    }
    return 0;
}
