#include "engine/parameters/ParameterLayout.h"
#include "engine/PluginProcessor.h"
#include "engine/parameters/ParameterIds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
enum class Kind
{
    Float,
    Bool,
    Choice
};

// The stored-data format as hosts, state blobs and presets see it: IDs, names, kinds, ranges and defaults.
struct Expected
{
    std::string id;
    std::string name;
    Kind kind;
    float start, end, interval, skew; // Float only
    float defaultValue;               // plain value; Bool 0/1; Choice index
    std::vector<const char*> choices = {};
};

const std::vector<Expected>& globalTable()
{
    static const std::vector<Expected> table = {
        {"bypass", "Bypass", Kind::Bool, 0, 1, 1, 1, 0},
        {"sens", "Sensitivity", Kind::Float, 4, 100, 0.1f, 1, 15},
        {"gate", "Gate", Kind::Float, -80, 0, 0.1f, 1, -80},
        {"trk_hp", "Detector HP", Kind::Float, 20, 500, 1, 0.4f, 20},
        {"trk_lp", "Detector LP", Kind::Float, 200, 5000, 1, 0.4f, 5000},
        {"lock", "Freq Lock", Kind::Bool, 0, 1, 1, 1, 0},
        {"freq", "Manual Freq", Kind::Float, 20, 2000, 0.01f, 0.3f, 220},
        {"scale", "Scale", Kind::Float, 50, 200, 0.1f, 1, 100},
        {"out", "Output", Kind::Float, -24, 12, 0.1f, 1, 0},
        {"mix", "Mix", Kind::Float, 0, 100, 0.1f, 1, 100},
        {"sc", "Sidechain Pitch", Kind::Bool, 0, 1, 1, 1, 0},
        {"auto_gain", "Auto Gain", Kind::Bool, 0, 1, 1, 1, 1},
        {"soft_clip", "Soft Clipper", Kind::Bool, 0, 1, 1, 1, 0},
        {"auto_byp", "Auto Bypass", Kind::Bool, 0, 1, 1, 1, 0},
        {"free_move", "Free Move", Kind::Bool, 0, 1, 1, 1, 0},
        {"sc_free", "SC Free", Kind::Bool, 0, 1, 1, 1, 0},
        {"lookahead", "Lookahead", Kind::Bool, 0, 1, 1, 1, 1},
        {"mon_sig", "Monitor Signal", Kind::Choice, 0, 0, 0, 0, 0, {"Output", "Delta"}},
        {"mon_ch", "Monitor Channel", Kind::Choice, 0, 0, 0, 0, 0, {"Stereo", "Mid", "Side"}},
    };
    return table;
}

// Band parameters with the short name in place of the ID and the suffix in place of the name; the
// slot-dependent defaults (add, mult, q) are filled in per band.
std::vector<Expected> bandTable(int n)
{
    const float q = std::min(2.0f + 0.5f * float(n - 1), 6.0f);
    const float detFreqSkew = float(std::log(0.5) / std::log(0.2));
    return {
        {"add", " Added", Kind::Bool, 0, 1, 1, 1, n == 1 ? 1.0f : 0.0f},
        {"on", " Enable", Kind::Bool, 0, 1, 1, 1, 1},
        {"type",
         " Type",
         Kind::Choice,
         0,
         0,
         0,
         0,
         0,
         {"Bell", "Low Shelf", "High Shelf", "Notch", "High Pass", "Low Pass", "Transient", "Sibilance",
          "Background", "Sustain"}},
        {"slope",
         " Slope",
         Kind::Choice,
         0,
         0,
         0,
         0,
         1,
         {"6 dB/oct", "12 dB/oct", "18 dB/oct", "24 dB/oct", "48 dB/oct", "96 dB/oct"}},
        {"chan", " Channel", Kind::Choice, 0, 0, 0, 0, 0, {"Stereo", "Mid", "Side"}},
        {"mult", " Multiplier", Kind::Float, 0.25f, 256, 0.01f, 0.3f, float(n)},
        {"gain", " Gain", Kind::Float, -36, 36, 0.1f, 1, 0},
        {"q", " Q", Kind::Float, 0.7f, 18, 0.01f, 0.5f, q},
        {"solo", " Solo", Kind::Bool, 0, 1, 1, 1, 0},
        {"freeze", " Freeze", Kind::Bool, 0, 1, 1, 1, 0},
        {"dyn", " Dynamic", Kind::Bool, 0, 1, 1, 1, 0},
        {"dynmode", " Dyn Mode", Kind::Choice, 0, 0, 0, 0, 0, {"Above", "Below"}},
        {"thresh", " Threshold", Kind::Float, -60, 0, 0.1f, 1, -30},
        {"ratio", " Ratio", Kind::Float, 1, 20, 0.1f, 0.5f, 4},
        {"attack", " Attack", Kind::Float, 0.1f, 200, 0.1f, 0.4f, 10},
        {"release", " Release", Kind::Float, 5, 2000, 1, 0.4f, 150},
        {"knee", " Knee", Kind::Float, 0, 24, 0.1f, 1, 6},
        {"range", " Range", Kind::Float, 1, 60, 0.1f, 1, 12},
        {"det", " Detector", Kind::Choice, 0, 0, 0, 0, 1, {"Peak", "RMS"}},
        {"scshape", " SC Shape", Kind::Choice, 0, 0, 0, 0, 0, {"Band", "High", "Low"}},
        {"detfreq", " SC Freq", Kind::Float, 0.25f, 4, 0.01f, detFreqSkew, 1},
        {"detq", " SC Q", Kind::Float, 0.5f, 18, 0.01f, 0.5f, 2},
        {"detsc", " SC External", Kind::Bool, 0, 1, 1, 1, 0},
    };
}

std::vector<Expected> fullTable()
{
    std::vector<Expected> all = globalTable();
    for (int n = 1; n <= 16; ++n)
        for (auto e : bandTable(n))
        {
            e.id = bandParameterId(n, e.id).toStdString();
            e.name = "B" + std::to_string(n) + e.name;
            all.push_back(e);
        }
    return all;
}

void expectMatches(const juce::AudioProcessorParameter& parameter, const Expected& e)
{
    const auto* ranged = dynamic_cast<const juce::RangedAudioParameter*>(&parameter);
    ASSERT_NE(ranged, nullptr) << e.id;
    EXPECT_EQ(ranged->getParameterID(), juce::String(e.id));
    EXPECT_EQ(ranged->getName(100), juce::String(e.name)) << e.id;
    EXPECT_EQ(ranged->getVersionHint(), 1) << e.id;
    EXPECT_TRUE(ranged->isAutomatable()) << e.id;
    EXPECT_FALSE(ranged->isMetaParameter()) << e.id;
    EXPECT_TRUE(ranged->getLabel().isEmpty()) << e.id;

    switch (e.kind)
    {
    case Kind::Float:
    {
        const auto* p = dynamic_cast<const juce::AudioParameterFloat*>(&parameter);
        ASSERT_NE(p, nullptr) << e.id;
        EXPECT_FLOAT_EQ(p->range.start, e.start) << e.id;
        EXPECT_FLOAT_EQ(p->range.end, e.end) << e.id;
        EXPECT_FLOAT_EQ(p->range.interval, e.interval) << e.id;
        EXPECT_FLOAT_EQ(p->range.skew, e.skew) << e.id;
        EXPECT_FLOAT_EQ(p->get(), e.defaultValue) << e.id;
        break;
    }
    case Kind::Bool:
    {
        const auto* p = dynamic_cast<const juce::AudioParameterBool*>(&parameter);
        ASSERT_NE(p, nullptr) << e.id;
        EXPECT_EQ(p->get(), e.defaultValue > 0.5f) << e.id;
        break;
    }
    case Kind::Choice:
    {
        const auto* p = dynamic_cast<const juce::AudioParameterChoice*>(&parameter);
        ASSERT_NE(p, nullptr) << e.id;
        ASSERT_EQ(p->choices.size(), int(e.choices.size())) << e.id;
        for (size_t i = 0; i < e.choices.size(); ++i)
            EXPECT_EQ(p->choices[int(i)], e.choices[i]) << e.id;
        EXPECT_EQ(p->getIndex(), int(e.defaultValue)) << e.id;
        break;
    }
    }
}

class ParameterLayoutTest : public testing::Test
{
protected:
    VezovevaDirADAudioProcessor processor;
};

TEST_F(ParameterLayoutTest, HostSeesEveryParameterInOrderWithItsFormat)
{
    const auto& parameters = processor.getParameters();
    const auto expected = fullTable();
    ASSERT_EQ(parameters.size(), 387);
    ASSERT_EQ(expected.size(), 387u);
    for (int i = 0; i < parameters.size(); ++i)
        expectMatches(*parameters[i], expected[size_t(i)]);
}

TEST_F(ParameterLayoutTest, GroupsAreGlobalThenSixteenBands)
{
    const auto groups = processor.getParameterTree().getSubgroups(false);
    ASSERT_EQ(groups.size(), 17);
    EXPECT_EQ(groups[0]->getID(), "global");
    EXPECT_EQ(groups[0]->getName(), "Global");
    EXPECT_EQ(groups[0]->getSeparator(), "|");
    EXPECT_EQ(groups[0]->getParameters(false).size(), 19);
    for (int n = 1; n <= 16; ++n)
    {
        EXPECT_EQ(groups[n]->getID(), "band" + juce::String(n));
        EXPECT_EQ(groups[n]->getName(), "Band " + juce::String(n));
        EXPECT_EQ(groups[n]->getSeparator(), "|");
        EXPECT_EQ(groups[n]->getParameters(false).size(), 23);
    }
}

TEST_F(ParameterLayoutTest, FreshInstanceUsesOnlyBandOne)
{
    int slotsInUse = 0;
    for (int k = 0; k < kNumBands; ++k)
        slotsInUse += processor.bandParameters(k).add.isOn() ? 1 : 0;
    EXPECT_EQ(slotsInUse, 1);
    const auto& first = processor.bandParameters(0);
    EXPECT_TRUE(first.add.isOn());
    EXPECT_FLOAT_EQ(first.mult.get(), 1.0f);
    EXPECT_FLOAT_EQ(first.q.get(), 2.0f);
    EXPECT_FLOAT_EQ(first.type.get(), 0.0f);
    EXPECT_FLOAT_EQ(first.slope.get(), 1.0f);
    EXPECT_FLOAT_EQ(first.gain.get(), 0.0f);
}

// Every handle is bound to the parameter with its own ID, so the audio thread and the editor's controls
// read and write the same object.
TEST_F(ParameterLayoutTest, HandlesAreBoundToTheirOwnParameters)
{
    const auto check = [this](const juce::RangedAudioParameter* parameter, const std::atomic<float>* value,
                              const juce::String& id)
    {
        ASSERT_NE(parameter, nullptr) << id;
        EXPECT_EQ(parameter->getParameterID(), id);
        EXPECT_EQ(value, processor.parameters.getRawParameterValue(id)) << id;
    };
    const auto& g = processor.globalParameters();
    check(g.bypass.parameter, g.bypass.value, ParamIds::bypass);
    check(g.trkLp.parameter, g.trkLp.value, ParamIds::trkLp);
    check(g.monCh.parameter, g.monCh.value, ParamIds::monCh);
    for (int k = 0; k < kNumBands; ++k)
    {
        const auto& b = processor.bandParameters(k);
        check(b.add.parameter, b.add.value, bandParameterId(k + 1, BandParam::add));
        check(b.type.parameter, b.type.value, bandParameterId(k + 1, BandParam::type));
        check(b.mult.parameter, b.mult.value, bandParameterId(k + 1, BandParam::mult));
        check(b.detsc.parameter, b.detsc.value, bandParameterId(k + 1, BandParam::detsc));
    }
    // Out-of-range slots are clamped, never used to index.
    EXPECT_EQ(&processor.bandParameters(-3), &processor.bandParameters(0));
    EXPECT_EQ(&processor.bandParameters(99), &processor.bandParameters(15));

    // A gesture on a handle's parameter reaches the value the audio thread reads.
    auto& gain = *processor.bandParameters(2).gain.parameter;
    gain.beginChangeGesture();
    gain.setValueNotifyingHost(gain.convertTo0to1(-7.5f));
    gain.endChangeGesture();
    EXPECT_FLOAT_EQ(processor.bandParameters(2).gain.get(), -7.5f);
}

TEST_F(ParameterLayoutTest, SkewedControlsPutTheirMidPointsWhereUsersExpect)
{
    auto* detFreq = processor.parameters.getParameter("b1_detfreq");
    ASSERT_NE(detFreq, nullptr);
    EXPECT_NEAR(detFreq->convertFrom0to1(0.5f), 1.0f, 1e-6f);
    EXPECT_EQ(detFreq->getText(0.5f, 100), juce::String(juce::CharPointer_UTF8("\xc3\x97"
                                                                               "1.00")));

    // A skew s maps travel p to start + (end - start) * p^(1/s).
    const struct
    {
        const char* id;
        float start, end, skew;
    } skewed[] = {{"trk_hp", 20, 500, 0.4f},
                  {"freq", 20, 2000, 0.3f},
                  {"b7_mult", 0.25f, 256, 0.3f},
                  {"b2_q", 0.7f, 18, 0.5f},
                  {"b3_release", 5, 2000, 0.4f}};
    for (const auto& s : skewed)
    {
        auto* parameter = processor.parameters.getParameter(s.id);
        ASSERT_NE(parameter, nullptr) << s.id;
        const float expected = s.start + (s.end - s.start) * std::pow(0.25f, 1.0f / s.skew);
        EXPECT_NEAR(parameter->convertFrom0to1(0.25f), expected, parameter->getNormalisableRange().interval)
            << s.id;
    }
}

TEST_F(ParameterLayoutTest, TextsReachHostsThroughTheParameters)
{
    const struct
    {
        const char* id;
        float plainValue;
        const char* expected;
    } cases[] = {
        {"gate", -80.0f, "OFF"},
        {"gate", -40.0f, "-40.0 dB"},
        {"trk_lp", 5000.0f, "5.00 kHz"},
        {"freq", 220.0f, "220 Hz"},
        {"sens", 15.0f, "15 %"},
        {"b2_mult", 2.0f,
         "\xc3\x97"
         "2.00"},
        {"b1_ratio", 4.0f, "4.0:1"},
        {"b1_attack", 10.0f, "10.0 ms"},
        {"b16_type", 9.0f, "Sustain"},
        {"b1_det", 1.0f, "RMS"},
    };
    for (const auto& c : cases)
    {
        auto* parameter = processor.parameters.getParameter(c.id);
        ASSERT_NE(parameter, nullptr) << c.id;
        EXPECT_EQ(parameter->getText(parameter->convertTo0to1(c.plainValue), 100),
                  juce::String(juce::CharPointer_UTF8(c.expected)))
            << c.id;
    }

    auto* freq = processor.parameters.getParameter("freq");
    EXPECT_FLOAT_EQ(freq->convertFrom0to1(freq->getValueForText("1.2k")), 1200.0f);
    EXPECT_FLOAT_EQ(freq->convertFrom0to1(freq->getValueForText("1.2 KHz")), 20.0f); // 1.2 Hz, clamped
    EXPECT_FLOAT_EQ(freq->convertFrom0to1(freq->getValueForText("99 kHz")), 2000.0f);
}

TEST(BandParameterId, JoinsBandNumberAndShortName)
{
    EXPECT_EQ(bandParameterId(1, "gain"), "b1_gain");
    EXPECT_EQ(bandParameterId(16, "detfreq"), "b16_detfreq");
}
} // namespace
