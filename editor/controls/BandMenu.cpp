#include "editor/controls/BandMenu.h"

#include "editor/controls/Localisation.h"

#include <algorithm>
#include <cmath>

namespace
{
using Kind = BandMenuAction::Kind;
namespace Ids = BandMenuIds;

struct Interval
{
    const char* name;
    double ratio;
};

const Interval kIntervals[] = {
    {"Min 2nd", 16.0 / 15.0}, {"Maj 2nd", 9.0 / 8.0}, {"Min 3rd", 6.0 / 5.0},  {"Maj 3rd", 5.0 / 4.0},
    {"P 4th", 4.0 / 3.0},     {"Tritone", 7.0 / 5.0}, {"P 5th", 3.0 / 2.0},    {"Min 6th", 8.0 / 5.0},
    {"Maj 6th", 5.0 / 3.0},   {"Min 7th", 7.0 / 4.0}, {"Maj 7th", 15.0 / 8.0},
};

// What choosing a level-dependent type sets besides the type; the gain only when the band has none yet.
struct DynamicTypePreset
{
    float gainDb, threshDb, attackMs, releaseMs, dynmode;
};

const DynamicTypePreset& dynamicTypePreset(int type)
{
    static const DynamicTypePreset presets[] = {
        {4.0f, -36.0f, 1.0f, 60.0f, 0.0f},   // Transient: attacks, above the threshold
        {-6.0f, -12.0f, 1.0f, 70.0f, 0.0f},  // Sibilance: too strong, above
        {4.0f, -45.0f, 30.0f, 300.0f, 1.0f}, // Background: low level, below
        {4.0f, -36.0f, 1.0f, 100.0f, 1.0f},  // Sustain: between attacks, below
    };
    return presets[std::clamp(type - vivera::dsp::kBandTransient, 0, 3)];
}

juce::String utf8(const char* text)
{
    return juce::String::fromUTF8(text);
}

class Builder
{
public:
    explicit Builder(const BandParameters& b) : band(b), multiplier(b.mult.get()) {}

    void addMultiplier(juce::PopupMenu& menu, const juce::String& text, float value)
    {
        const int id = Ids::firstMultiplier + multipliers++;
        result.actions[id] = {Kind::multiplier, value};
        menu.addItem(id, text, true, std::abs(multiplier - value) < 0.005f);
    }

    void addHarmonic(juce::PopupMenu& menu, int number)
    {
        addMultiplier(menu, "H" + juce::String(number), static_cast<float>(number));
    }

    void addIntervals(juce::PopupMenu& menu, int octaves)
    {
        for (const auto& interval : kIntervals)
        {
            const float value = roundedMultiplier(std::ldexp(interval.ratio, octaves));
            addMultiplier(
                menu, juce::String(interval.name) + utf8(" (\xc3\x97") + juce::String(value, 2) + ")", value);
        }
    }

    void addAction(juce::PopupMenu& menu, int id, const juce::String& text, BandMenuAction action,
                   bool ticked = false)
    {
        result.actions[id] = action;
        menu.addItem(id, text, true, ticked);
    }

    void addToggle(juce::PopupMenu& menu, int id, const juce::String& text, const char* name,
                   BoolHandle BandParameters::*handle)
    {
        addAction(menu, id, text, {Kind::toggle, 0.0f, name, handle}, (band.*handle).isOn());
    }

    BandMenu build()
    {
        auto& top = result.menu;

        juce::PopupMenu sub;
        addMultiplier(sub,
                      utf8("\xe2\x88\x92"
                           "2 oct (\xc3\x97"
                           "0.25)"),
                      0.25f);
        addMultiplier(sub,
                      utf8("\xe2\x88\x92"
                           "1 oct (\xc3\x97"
                           "0.5)"),
                      0.5f);
        top.addSubMenu(tr(utf8("Subarmónicos"), "Sub-harmonics"), sub);

        addMultiplier(top,
                      utf8("Fundamental (\xc3\x97"
                           "1)"),
                      1.0f);

        juce::PopupMenu harmonics;
        for (int n = 2; n <= 16; ++n)
            addHarmonic(harmonics, n);
        for (int n : {18, 24, 32, 48, 64})
            addHarmonic(harmonics, n);
        top.addSubMenu(tr(utf8("Armónicos"), "Harmonics"), harmonics);

        juce::PopupMenu even;
        for (int n = 2; n <= 64; n += 2)
            addHarmonic(even, n);
        top.addSubMenu(tr("Solo pares", "Even only"), even);

        juce::PopupMenu odd;
        for (int n = 1; n <= 33; n += 2)
            addHarmonic(odd, n);
        top.addSubMenu(tr("Solo impares", "Odd only"), odd);

        juce::PopupMenu intervals;
        addIntervals(intervals, 0);
        for (int k = 1; k <= 3; ++k)
        {
            juce::PopupMenu higher;
            addIntervals(higher, k);
            intervals.addSubMenu(k == 1 ? tr("+ 1 octava", "+ 1 octave")
                                        : "+ " + juce::String(k) + tr(" octavas", " octaves"),
                                 higher);
        }
        top.addSubMenu(tr("Intervalos", "Intervals"), intervals);

        addAction(top, Ids::customMultiplier,
                  tr(utf8("Personalizado...  (o doble clic en el armónico)"),
                     "Custom...  (or double-click the harmonic)"),
                  {Kind::custom});
        top.addSeparator();

        const int type = band.type.index(vivera::dsp::kBandTypeCount);
        juce::PopupMenu types;
        const auto addType = [&](int t, const juce::String& text) {
            addAction(types, Ids::firstType + t, text, {Kind::type, static_cast<float>(t)}, t == type);
        };
        addType(0, "Bell  (B)");
        addType(1, "Low Shelf  (LS)");
        addType(2, "High Shelf  (HS)");
        addType(3, "Notch  (N)");
        addType(4, "High Pass  (HP)");
        addType(5, "Low Pass  (LP)");
        types.addSeparator();
        addType(6, tr("Transient  (TR) - solo en los ataques", "Transient  (TR) - attacks only"));
        addType(9, tr("Sustain  (SU) - solo en el sostenido", "Sustain  (SU) - sustain only"));
        addType(7, tr("Sibilance  (SI) - cuando la banda pesa mucho",
                      "Sibilance  (SI) - when the band is too strong"));
        addType(8,
                tr(utf8("Background  (BG) - actúa con nivel bajo"), "Background  (BG) - acts on low level"));
        top.addSubMenu(tr("Tipo", "Type"), types);

        const int slope = band.slope.index(vivera::dsp::kBandSlopeCount);
        juce::PopupMenu slopes;
        const auto addSlope = [&](int s, const juce::String& text) {
            addAction(slopes, Ids::firstSlope + s, text, {Kind::slope, static_cast<float>(s)}, s == slope);
        };
        addSlope(0, tr("6 dB/oct  (Suave)", "6 dB/oct  (Gentle)"));
        addSlope(1, tr(utf8("12 dB/oct  (Estándar)"), "12 dB/oct  (Standard)"));
        addSlope(2, tr("18 dB/oct  (Marcada)", "18 dB/oct  (Sharp)"));
        addSlope(3, tr("24 dB/oct  (Pronunciada)", "24 dB/oct  (Steep)"));
        addSlope(4, tr(utf8("48 dB/oct  (Máxima)"), "48 dB/oct  (Steepest)"));
        // Only the pass filters are built steep enough for a brickwall slope.
        if (type == vivera::dsp::kBandHighPass || type == vivera::dsp::kBandLowPass)
            addSlope(5, tr("96 dB/oct  (Brickwall, solo HP / LP)", "96 dB/oct  (Brickwall, HP / LP only)"));
        top.addSubMenu(tr("Pendiente", "Slope"), slopes);

        const int channel = band.chan.index(vivera::dsp::kChannelCount);
        juce::PopupMenu channels;
        const auto addChannel = [&](int c, const juce::String& text) {
            addAction(channels, Ids::firstChannel + c, text, {Kind::channel, static_cast<float>(c)},
                      c == channel);
        };
        addChannel(0, tr(utf8("Estéreo  (L y R)"), "Stereo  (L and R)"));
        addChannel(1, tr("Mid  (solo el centro)", "Mid  (center only)"));
        addChannel(2, tr("Side  (solo la diferencia L-R)", "Side  (L-R difference only)"));
        top.addSubMenu(tr("Canal  (ST / MID / SIDE)", "Channel  (ST / MID / SIDE)"), channels);
        top.addSeparator();

        addToggle(top, Ids::enabled, tr("Activada", "Enabled"), BandParam::on, &BandParameters::on);
        addToggle(top, Ids::dynamics, tr(utf8("Dinámica"), "Dynamics"), BandParam::dyn, &BandParameters::dyn);
        addToggle(top, Ids::solo, "Solo", BandParam::solo, &BandParameters::solo);
        addToggle(top, Ids::freeze, tr("Candado (fijar frecuencia)", "Lock (hold frequency)"),
                  BandParam::freeze, &BandParameters::freeze);
        top.addSeparator();

        addAction(top, Ids::nextHarmonic, tr(utf8("Armónico siguiente  (+)"), "Next harmonic  (+)"),
                  {Kind::step, 1.0f});
        addAction(top, Ids::previousHarmonic, tr(utf8("Armónico anterior  (-)"), "Previous harmonic  (-)"),
                  {Kind::step, -1.0f});
        return std::move(result);
    }

private:
    const BandParameters& band;
    const float multiplier;
    int multipliers = 0;
    BandMenu result;
};
} // namespace

float roundedMultiplier(double ratio)
{
    return static_cast<float>(std::round(ratio * 100.0) / 100.0);
}

BandMenu buildBandMenu(const BandParameters& band)
{
    return Builder(band).build();
}

std::vector<std::pair<const char*, float>> bandMenuWrites(const BandMenuAction& action,
                                                          const BandParameters& band)
{
    switch (action.kind)
    {
    case Kind::multiplier:
        return {{BandParam::mult, action.value}};
    case Kind::slope:
        return {{BandParam::slope, action.value}};
    case Kind::channel:
        return {{BandParam::chan, action.value}};
    case Kind::toggle:
        if (action.parameter == nullptr || action.toggled == nullptr)
            return {};
        return {{action.parameter, (band.*action.toggled).isOn() ? 0.0f : 1.0f}};
    case Kind::type:
    {
        const int type = static_cast<int>(action.value);
        std::vector<std::pair<const char*, float>> writes{{BandParam::type, action.value}};
        if (type >= vivera::dsp::kBandTransient)
        {
            const auto& preset = dynamicTypePreset(type);
            const bool hasGain = std::abs(band.gain.get()) >= 0.5f;
            writes.emplace_back(BandParam::dyn, 1.0f);
            if (!hasGain)
                writes.emplace_back(BandParam::gain, preset.gainDb);
            writes.emplace_back(BandParam::thresh, preset.threshDb);
            writes.emplace_back(BandParam::attack, preset.attackMs);
            writes.emplace_back(BandParam::release, preset.releaseMs);
            writes.emplace_back(BandParam::dynmode, preset.dynmode);
        }
        else if (type == vivera::dsp::kBandLowShelf || type == vivera::dsp::kBandHighShelf ||
                 type == vivera::dsp::kBandHighPass || type == vivera::dsp::kBandLowPass)
            writes.emplace_back(BandParam::q, 0.7f);
        return writes;
    }
    case Kind::custom:
    case Kind::step:
        return {};
    }
    return {};
}
