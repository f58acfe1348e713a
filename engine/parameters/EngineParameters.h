// Typed handles to every parameter, bound once after the tree is built. The audio thread reads the raw
// atomic values (no look-up by ID, no lock); the editor attaches controls to, and makes change gestures
// on, the same parameter objects.
#pragma once

#include "dsp/Constants.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>

template <typename Parameter> struct ParameterHandle
{
    Parameter* parameter = nullptr;            // message thread: attachments and gestures
    const std::atomic<float>* value = nullptr; // any thread: the plain value

    float get() const noexcept { return value->load(std::memory_order_relaxed); }
};

struct FloatHandle : ParameterHandle<juce::AudioParameterFloat>
{
};

struct BoolHandle : ParameterHandle<juce::AudioParameterBool>
{
    bool isOn() const noexcept { return get() > 0.5f; }
};

struct ChoiceHandle : ParameterHandle<juce::AudioParameterChoice>
{
    // The stored index, truncated and clamped to the list.
    int index(int count) const noexcept { return vivera::dsp::choiceIndex(get(), count); }
};

// One band slot's 23 parameters, in host order.
struct BandParameters
{
    BoolHandle add, on;
    ChoiceHandle type, slope, chan;
    FloatHandle mult, gain, q;
    BoolHandle solo, freeze, dyn;
    ChoiceHandle dynmode;
    FloatHandle thresh, ratio, attack, release, knee, range;
    ChoiceHandle det, scshape;
    FloatHandle detfreq, detq;
    BoolHandle detsc;

    // A slot is in use when added, processed when also enabled.
    bool isProcessed() const noexcept { return add.isOn() && on.isOn(); }
    // `dyn` on, or one of the level-dependent types.
    bool isDynamic() const noexcept
    {
        return dyn.isOn() || type.index(vivera::dsp::kBandTypeCount) >= vivera::dsp::kBandTransient;
    }
};

// The 19 global parameters.
struct GlobalParameters
{
    BoolHandle bypass;
    FloatHandle sens, gate, trkHp, trkLp;
    BoolHandle lock;
    FloatHandle freq, scale, out, mix;
    BoolHandle sc, autoGain, softClip, autoByp, freeMove, scFree, lookahead;
    ChoiceHandle monSig, monCh;
};

struct EngineParameters
{
    GlobalParameters global;
    std::array<BandParameters, vivera::dsp::kNumBands> bands;

    const BandParameters& band(int bandIndex) const noexcept
    {
        return bands[static_cast<size_t>(juce::jlimit(0, vivera::dsp::kNumBands - 1, bandIndex))];
    }
};

// Binds every handle to the parameters of `state`, built from createParameterLayout().
EngineParameters bindEngineParameters(juce::AudioProcessorValueTreeState& state);
