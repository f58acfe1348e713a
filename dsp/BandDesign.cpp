// Band design: parameter folding and clamping around designCascade.
#include "dsp/BandDesign.h"
#include "dsp/Constants.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vivera::dsp
{
namespace
{
bool blendsDynamically(int type) noexcept
{
    return type == kSvfNotch || type == kSvfHighPass || type == kSvfLowPass;
}
} // namespace

int bandTypeIndex(float type) noexcept
{
    return choiceIndex(type, kBandTypeCount);
}

int bandSectionKind(int bandType) noexcept
{
    return bandType < 0 || bandType > kSvfLowPass ? kSvfBell : bandType;
}

namespace
{
// What designCascade and the blend are computed from, once the settings are folded and clamped.
struct DesignInputs
{
    int kind;
    int slope;
    double q;
    double gainDb;
    bool blends;
};

DesignInputs foldSettings(const BandFilterSettings& settings, double amount) noexcept
{
    const int type = bandTypeIndex(settings.type);
    DesignInputs in;
    in.kind = bandSectionKind(type);
    in.blends = blendsDynamically(type);
    in.gainDb = 0.0;
    if (!in.blends)
    {
        in.gainDb =
            static_cast<double>(settings.gainDb) * static_cast<double>(settings.scalePercent) * 0.01 * amount;
        in.gainDb = std::min(std::max(in.gainDb, -72.0), 72.0);
    }
    in.slope = choiceIndex(settings.slope, kBandSlopeCount);
    in.q = static_cast<double>(settings.q);
    return in;
}

double clampAmount(double amount) noexcept
{
    return amount > 0.0 ? std::min(amount, 1.0) : 0.0;
}

bool sameBits(double a, double b) noexcept
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

bool designBand(const BandFilterSettings& settings, double sampleRate, double frequencyHz, bool solo,
                double amount, BandCascade& out)
{
    if (!(frequencyHz > 0.0))
        return false;
    amount = clampAmount(amount);
    const DesignInputs in = foldSettings(settings, amount);
    out = designCascade(in.kind, in.slope, frequencyHz, in.q, in.gainDb, sampleRate, solo);
    if (in.blends && !solo)
        out.wet = amount;
    return true;
}

bool designBandCached(BandDesignCache& cache, const BandFilterSettings& settings, double sampleRate,
                      double frequencyHz, bool solo, double amount, BandCascade& out)
{
    if (!(frequencyHz > 0.0))
        return false;
    amount = clampAmount(amount);
    const DesignInputs in = foldSettings(settings, amount);
    const bool same = cache.valid && cache.kind == in.kind && cache.slope == in.slope &&
                      sameBits(cache.frequencyHz, frequencyHz) && sameBits(cache.q, in.q) &&
                      sameBits(cache.gainDb, in.gainDb) && sameBits(cache.sampleRate, sampleRate) &&
                      cache.solo == solo;
    if (!same)
    {
        out = designCascade(in.kind, in.slope, frequencyHz, in.q, in.gainDb, sampleRate, solo);
        cache = {true, in.kind, in.slope, frequencyHz, in.q, in.gainDb, sampleRate, solo};
    }
    out.wet = in.blends && !solo ? amount : 1.0;
    return true;
}

} // namespace vivera::dsp
