// Scores the pitch tracker on the rendered evaluation set (see generate.py and README.md): the tracker's
// reading, the causal glide and the band pitch lined up with the delayed audio, all on the bands' timeline
// (the audio delayed by the lookahead), against exact ground truth, per instrument group and condition, with
// aubio's YIN as a reference when it is available.
#include "dsp/PitchFollower.h"
#include "dsp/PitchTracker.h"

#if VIVERA_EVAL_WITH_AUBIO
#include <aubio/aubio.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace
{
constexpr int kSubBlock = 32;             // the pipeline's control-rate step
constexpr double kLookahead = 0.1;        // seconds the bands' audio is late with lookahead on
constexpr double kGrossCents = 50.0;      // a reading further off is a gross error
constexpr double kReleaseAllowance = 0.1; // after a note-off, rests are scored from this many seconds on
constexpr double kStaySeconds = 0.02;     // a note change counts as reached once within 50 cents this long
// Steady frames: at least this long after a note's start and before its end, so that timing (a reading that
// leads or lags the bands' audio) does not count as a wrong pitch.
constexpr double kSteadyAfterStart = 0.1;
constexpr double kSteadyBeforeEnd = 0.1;

struct Note
{
    double start, end;
    int midi;
};

struct Truth
{
    std::string group, condition;
    std::vector<Note> notes;
    std::vector<std::pair<double, double>> bends; // time, cents

    const Note* noteAt(double t) const
    {
        for (const auto& n : notes)
            if (t >= n.start && t < n.end)
                return &n;
        return nullptr;
    }
    double lastEndBefore(double t) const
    {
        double last = -1e9;
        for (const auto& n : notes)
            if (n.end <= t)
                last = std::max(last, n.end);
        return last;
    }
    double bendAt(double t) const
    {
        double cents = 0.0;
        for (const auto& [time, value] : bends)
        {
            if (time > t)
                break;
            cents = value;
        }
        return cents;
    }
    // Whether the note carries pitch-bend vibrato.
    bool hasVibrato(const Note& n) const
    {
        for (const auto& [time, cents] : bends)
            if (time >= n.start && time < n.end && cents != 0.0)
                return true;
        return false;
    }
    double frequency(const Note& n, double t) const
    {
        return 440.0 * std::pow(2.0, (n.midi - 69) / 12.0 + bendAt(t) / 1200.0);
    }
};

bool readTruth(const std::string& path, Truth& truth)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream s(line);
        std::string kind;
        s >> kind;
        if (kind == "#")
        {
            std::string key;
            s >> key;
            std::string rest;
            std::getline(s, rest);
            rest.erase(0, rest.find_first_not_of(' '));
            (key == "group" ? truth.group : truth.condition) = rest;
        }
        else if (kind == "note")
        {
            Note n{};
            s >> n.start >> n.end >> n.midi;
            truth.notes.push_back(n);
        }
        else if (kind == "bend")
        {
            double t = 0.0, c = 0.0;
            s >> t >> c;
            truth.bends.emplace_back(t, c);
        }
    }
    std::sort(truth.bends.begin(), truth.bends.end());
    return !truth.notes.empty();
}

// Minimal RIFF/WAVE reader for 16-bit PCM and 32-bit float, any channel count; returns the channel mean.
bool readWav(const std::string& path, std::vector<float>& mono, double& sampleRate)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    char id[4];
    uint32_t size = 0;
    in.read(id, 4);
    in.read(reinterpret_cast<char*>(&size), 4);
    in.read(id, 4);
    if (std::memcmp(id, "WAVE", 4) != 0)
        return false;
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    while (in.read(id, 4) && in.read(reinterpret_cast<char*>(&size), 4))
    {
        if (std::memcmp(id, "fmt ", 4) == 0)
        {
            std::vector<char> chunk(size);
            in.read(chunk.data(), size);
            std::memcpy(&format, chunk.data(), 2);
            std::memcpy(&channels, chunk.data() + 2, 2);
            std::memcpy(&rate, chunk.data() + 4, 4);
            std::memcpy(&bits, chunk.data() + 14, 2);
        }
        else if (std::memcmp(id, "data", 4) == 0)
        {
            if (channels == 0 || !((format == 3 && bits == 32) || (format == 1 && bits == 16)))
                return false;
            const size_t frames = size / (channels * bits / 8);
            std::vector<char> data(size);
            in.read(data.data(), size);
            mono.assign(frames, 0.0f);
            for (size_t i = 0; i < frames; ++i)
            {
                float sum = 0.0f;
                for (int c = 0; c < channels; ++c)
                {
                    const size_t k = i * channels + c;
                    if (format == 3)
                    {
                        float v;
                        std::memcpy(&v, data.data() + 4 * k, 4);
                        sum += v;
                    }
                    else
                    {
                        int16_t v;
                        std::memcpy(&v, data.data() + 2 * k, 2);
                        sum += v / 32768.0f;
                    }
                }
                mono[i] = sum / channels;
            }
            sampleRate = rate;
            return true;
        }
        else
            in.seekg(size + (size & 1), std::ios::cur);
    }
    return false;
}

// An estimator gives a reading (Hz, 0 = none) after each sub-block.
class Estimator
{
public:
    virtual ~Estimator() = default;
    virtual void reset(double sampleRate) = 0;
    virtual float process(const float* x, int n) = 0;
};

class ViveraEstimator : public Estimator
{
public:
    void reset(double sampleRate) override
    {
        *tracker = vivera::dsp::PitchTracker{};
        tracker->prepare(sampleRate);
        tracker->applySettings(15.0f, -80.0f, 20.0f, 5000.0f);
    }
    float process(const float* x, int n) override
    {
        tracker->pushBlock(x, n);
        return tracker->pitchHz;
    }

private:
    std::unique_ptr<vivera::dsp::PitchTracker> tracker = std::make_unique<vivera::dsp::PitchTracker>();
};

#if VIVERA_EVAL_WITH_AUBIO
// aubio's YIN (the FFT form, "yinfast": the same difference function) over the same span and hop as the
// tracker, tolerance 0.15 like the default sensitivity; a frame with confidence under 0.85 is no pitch.
class AubioEstimator : public Estimator
{
public:
    ~AubioEstimator() override { release(); }
    void reset(double sampleRate) override
    {
        release();
        const int decimation = std::max(1, static_cast<int>(std::lround(sampleRate / 12000.0)));
        hop = 128 * decimation;
        pitch = new_aubio_pitch("yinfast", static_cast<uint_t>(1024 * decimation), static_cast<uint_t>(hop),
                                static_cast<uint_t>(sampleRate));
        aubio_pitch_set_tolerance(pitch, 0.15f);
        aubio_pitch_set_silence(pitch, -80.0f);
        aubio_pitch_set_unit(pitch, "Hz");
        input = new_fvec(static_cast<uint_t>(hop));
        output = new_fvec(1);
        filled = 0;
        reading = 0.0f;
    }
    float process(const float* x, int n) override
    {
        for (int i = 0; i < n; ++i)
        {
            input->data[filled++] = x[i];
            if (filled == hop)
            {
                filled = 0;
                aubio_pitch_do(pitch, input, output);
                const float f = output->data[0];
                reading = aubio_pitch_get_confidence(pitch) < 0.85f || !(f > 0.0f) ? 0.0f : f;
            }
        }
        return reading;
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
    aubio_pitch_t* pitch = nullptr;
    fvec_t* input = nullptr;
    fvec_t* output = nullptr;
    int hop = 512, filled = 0;
    float reading = 0.0f;
};
#endif

struct Stats
{
    long voicedFrames = 0, voicedWithPitch = 0, gross = 0, octave = 0;
    long steadyWithPitch = 0, steadyGross = 0;
    long plainWithPitch = 0, plainGross = 0; // steady frames of notes without vibrato
    long restFrames = 0, restWithPitch = 0;
    std::vector<double> absCents, latencies;
    std::vector<double> vibratoCents; // |error| on steady frames of vibrato notes: how well a track follows
    double largestStepCents = 0.0;    // the largest move between successive sub-blocks
    long notes = 0, neverReached = 0;

    void add(const Stats& o)
    {
        voicedFrames += o.voicedFrames;
        voicedWithPitch += o.voicedWithPitch;
        gross += o.gross;
        octave += o.octave;
        steadyWithPitch += o.steadyWithPitch;
        steadyGross += o.steadyGross;
        plainWithPitch += o.plainWithPitch;
        plainGross += o.plainGross;
        restFrames += o.restFrames;
        restWithPitch += o.restWithPitch;
        absCents.insert(absCents.end(), o.absCents.begin(), o.absCents.end());
        latencies.insert(latencies.end(), o.latencies.begin(), o.latencies.end());
        vibratoCents.insert(vibratoCents.end(), o.vibratoCents.begin(), o.vibratoCents.end());
        largestStepCents = std::max(largestStepCents, o.largestStepCents);
        notes += o.notes;
        neverReached += o.neverReached;
    }
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

// One pitch track (a value per sub-block, processing time at its end) scored on the bands' timeline.
void score(const std::vector<float>& track, double blockSeconds, const Truth& truth, Stats& stats)
{
    const auto timeOf = [&](size_t b) { return (b + 1) * blockSeconds; };
    for (size_t b = 1; b < track.size(); ++b)
        if (track[b] > 0.0f && track[b - 1] > 0.0f)
            stats.largestStepCents =
                std::max(stats.largestStepCents, std::abs(1200.0 * std::log2(track[b] / track[b - 1])));
    for (size_t b = 0; b < track.size(); ++b)
    {
        const double t = timeOf(b) - kLookahead; // input time of the audio the bands filter now
        const float estimate = track[b];
        if (const Note* note = truth.noteAt(t))
        {
            ++stats.voicedFrames;
            if (estimate <= 0.0f)
                continue;
            ++stats.voicedWithPitch;
            const double cents = 1200.0 * std::log2(estimate / truth.frequency(*note, t));
            if (t - note->start >= kSteadyAfterStart && note->end - t >= kSteadyBeforeEnd)
            {
                ++stats.steadyWithPitch;
                if (std::abs(cents) > kGrossCents)
                    ++stats.steadyGross;
                if (truth.hasVibrato(*note))
                    stats.vibratoCents.push_back(std::abs(cents));
                else
                {
                    ++stats.plainWithPitch;
                    if (std::abs(cents) > kGrossCents)
                        ++stats.plainGross;
                }
            }
            if (std::abs(cents) > kGrossCents)
            {
                ++stats.gross;
                const double octaves = std::round(cents / 1200.0);
                if (octaves != 0.0 && std::abs(cents - 1200.0 * octaves) <= kGrossCents)
                    ++stats.octave;
            }
            else
                stats.absCents.push_back(std::abs(cents));
        }
        else if (t >= 0.0 && t - truth.lastEndBefore(t) >= kReleaseAllowance)
        {
            ++stats.restFrames;
            if (estimate > 0.0f)
                ++stats.restWithPitch;
        }
    }

    // Note changes: from the note's start on the input (the reading may lead the bands' audio), the first
    // time the track is within 50 cents and stays there for kStaySeconds, relative to the note reaching the
    // bands (start + lookahead). Negative: ready before the note arrives.
    const int stayBlocks = static_cast<int>(std::ceil(kStaySeconds / blockSeconds));
    for (const auto& note : truth.notes)
    {
        ++stats.notes;
        const auto within = [&](size_t b)
        {
            const double t = std::max(note.start, std::min(timeOf(b) - kLookahead, note.end - 1e-9));
            return track[b] > 0.0f &&
                   std::abs(1200.0 * std::log2(track[b] / truth.frequency(note, t))) <= kGrossCents;
        };
        bool reached = false;
        for (size_t b = static_cast<size_t>(note.start / blockSeconds);
             b < track.size() && timeOf(b) < note.end + kLookahead; ++b)
        {
            bool stays = true;
            for (int k = 0; k < stayBlocks && b + k < track.size() && timeOf(b + k) < note.end + kLookahead;
                 ++k)
                stays = stays && within(b + k);
            if (stays)
            {
                stats.latencies.push_back(timeOf(b) - (note.start + kLookahead));
                reached = true;
                break;
            }
        }
        if (!reached)
            ++stats.neverReached;
    }
}

// The tracker's readings, the causal glide alone (the follower without lookahead) and the band pitch with
// lookahead on (the glide lined up with the delayed audio), one value per sub-block.
void runEstimator(Estimator& estimator, const std::vector<float>& x, double fs, std::vector<float>& readings,
                  std::vector<float>& causalPitch, std::vector<float>& bandPitch)
{
    estimator.reset(fs);
    vivera::dsp::PitchFollower causal, aligned;
    vivera::dsp::resetFollower(causal);
    vivera::dsp::resetFollower(aligned);
    vivera::dsp::PitchAligner aligner;
    vivera::dsp::prepareAligner(aligner, fs);
    readings.clear();
    causalPitch.clear();
    bandPitch.clear();
    for (size_t o = 0; o + kSubBlock <= x.size(); o += kSubBlock)
    {
        const float reading = estimator.process(x.data() + o, kSubBlock);
        vivera::dsp::PitchFollowerInput input;
        input.trackerPitchHz = reading;
        vivera::dsp::updatePitch(causal, input, kSubBlock, fs);
        vivera::dsp::updatePitch(aligned, input, kSubBlock, fs);
        vivera::dsp::pushAlignerReading(aligner, reading, kSubBlock);
        vivera::dsp::followAlignedPitch(aligned, aligner, true, kSubBlock, fs);
        readings.push_back(reading);
        causalPitch.push_back(vivera::dsp::publishedPitchHz(causal, false));
        bandPitch.push_back(vivera::dsp::publishedPitchHz(aligned, false));
    }
}

std::vector<float> withNoise(const std::vector<float>& x, const Truth& truth, double fs, double snrDb,
                             unsigned seed)
{
    double energy = 0.0;
    long count = 0;
    for (size_t i = 0; i < x.size(); ++i)
        if (truth.noteAt(i / fs))
        {
            energy += static_cast<double>(x[i]) * x[i];
            ++count;
        }
    const double noiseRms = std::sqrt(energy / std::max(1L, count)) * std::pow(10.0, -snrDb / 20.0);
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, noiseRms);
    std::vector<float> out(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        out[i] = static_cast<float>(x[i] + noise(rng));
    return out;
}

void printRow(const std::string& group, const std::string& condition, const Stats& s, bool reading)
{
    const auto pct = [](long a, long b) { return b > 0 ? 100.0 * a / b : NAN; };
    std::printf("| %-16s | %-9s |", group.c_str(), condition.c_str());
    if (reading)
        std::printf(" %5.1f %% |", pct(s.voicedWithPitch, s.voicedFrames));
    std::printf(" %5.1f %% | %5.1f %% | %5.1f %% | %5.1f %% | %5.1f |", pct(s.gross, s.voicedWithPitch),
                pct(s.steadyGross, s.steadyWithPitch), pct(s.plainGross, s.plainWithPitch),
                pct(s.octave, s.voicedWithPitch), percentile(s.absCents, 0.5));
    if (reading)
        std::printf(" %5.1f %% |", pct(s.restWithPitch, s.restFrames));
    std::printf(" %4.0f / %4.0f ms | %ld of %ld |", 1000.0 * percentile(s.latencies, 0.5),
                1000.0 * percentile(s.latencies, 0.9), s.neverReached, s.notes);
    if (!reading)
        std::printf(" %5.1f | %5.0f |", percentile(s.vibratoCents, 0.5), s.largestStepCents);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s SET_DIR (made by generate.py)\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::ifstream listing(dir + "/set.txt");
    std::vector<std::string> names;
    for (std::string line; std::getline(listing, line);)
        if (!line.empty() && line.find("-reverb") == std::string::npos)
            names.push_back(line);
    if (names.empty())
    {
        std::fprintf(stderr, "no files listed in %s/set.txt\n", dir.c_str());
        return 1;
    }

    std::vector<std::pair<std::string, std::unique_ptr<Estimator>>> estimators;
    estimators.emplace_back("vivera", std::make_unique<ViveraEstimator>());
#if VIVERA_EVAL_WITH_AUBIO
    estimators.emplace_back("aubio-yin", std::make_unique<AubioEstimator>());
#endif
    const char* conditions[] = {"clean", "SNR 20 dB", "SNR 10 dB", "reverb"};
    // [stage: reading, causal glide, bands with lookahead][estimator][group][condition]
    std::map<std::string, std::map<std::string, std::map<std::string, Stats>>> results[3];
    const char* stageNames[] = {"reading", "causal glide (the follower without lookahead)",
                                "band pitch with lookahead (the follower lined up with the delayed audio)"};

    unsigned seed = 1;
    for (const auto& name : names)
    {
        for (const char* condition : conditions)
        {
            const bool reverb = std::strcmp(condition, "reverb") == 0;
            const std::string base = dir + "/" + name + (reverb ? "-reverb" : "");
            Truth truth;
            std::vector<float> audio;
            double fs = 0.0;
            if (!readTruth(base + ".truth", truth) || !readWav(base + ".wav", audio, fs))
            {
                std::fprintf(stderr, "cannot read %s(.wav/.truth)\n", base.c_str());
                return 1;
            }
            if (std::strcmp(condition, "SNR 20 dB") == 0)
                audio = withNoise(audio, truth, fs, 20.0, seed++);
            else if (std::strcmp(condition, "SNR 10 dB") == 0)
                audio = withNoise(audio, truth, fs, 10.0, seed++);
            for (auto& [estimatorName, estimator] : estimators)
            {
                std::vector<float> tracks[3];
                runEstimator(*estimator, audio, fs, tracks[0], tracks[1], tracks[2]);
                for (int stage = 0; stage < 3; ++stage)
                    score(tracks[stage], kSubBlock / fs, truth,
                          results[stage][estimatorName][truth.group][condition]);
            }
        }
        std::fprintf(stderr, "%s\n", name.c_str());
    }

    for (int stage = 0; stage < 3; ++stage)
    {
        for (auto& [estimatorName, groups] : results[stage])
        {
            std::printf("\n%s, %s (on the bands' timeline, lookahead %.0f ms)\n\n", estimatorName.c_str(),
                        stageNames[stage], 1000.0 * kLookahead);
            if (stage == 0)
                std::printf(
                    "| group | condition | voiced recall | gross err | gross err, steady | steady, no "
                    "vibrato | "
                    "octave err | median cents | false voicing | note change median / p90 | never reached |\n"
                    "|---|---|---|---|---|---|---|---|---|---|---|\n");
            else
                std::printf(
                    "| group | condition | gross err | gross err, steady | steady, no vibrato | octave err | "
                    "median cents | note change median / p90 | never reached | vibrato median cents | "
                    "largest "
                    "step (cents) |\n"
                    "|---|---|---|---|---|---|---|---|---|---|---|\n");
            std::map<std::string, Stats> all;
            for (auto& [group, byCondition] : groups)
                for (const char* condition : conditions)
                {
                    printRow(group, condition, byCondition[condition], stage == 0);
                    all[condition].add(byCondition[condition]);
                }
            for (const char* condition : conditions)
                printRow("all", condition, all[condition], stage == 0);
        }
    }
    return 0;
}
