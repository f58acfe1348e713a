// Band design: parameter folding and clamping around designCascade.
#include "dsp/BandDesign.h"
#include "dsp/Constants.h"

#include <algorithm>
#include <cmath>

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

bool designBand(const BandFilterSettings& settings, double sampleRate, double frequencyHz, bool solo,
                double amount, BandCascade& out)
{
    if (!(frequencyHz > 0.0))
        return false;
    const int type = bandTypeIndex(settings.type);
    const int kind = bandSectionKind(type);
    amount = amount > 0.0 ? std::min(amount, 1.0) : 0.0;
    double gainDb = 0.0;
    if (!blendsDynamically(type))
    {
        gainDb =
            static_cast<double>(settings.gainDb) * static_cast<double>(settings.scalePercent) * 0.01 * amount;
        gainDb = std::min(std::max(gainDb, -72.0), 72.0);
    }
    const int slope = choiceIndex(settings.slope, kBandSlopeCount);
    out = designCascade(kind, slope, frequencyHz, static_cast<double>(settings.q), gainDb, sampleRate, solo);
    if (blendsDynamically(type) && !solo)
        out.wet = amount;
    return true;
}

} // namespace vivera::dsp
