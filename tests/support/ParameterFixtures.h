// Shared helpers for tests that set and compare whole parameter sets.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

// Moves every parameter well away from its default. Values are snapped through the plain ranges of
// `ranges` (the processor itself, or a local instance when `processor` is a hosted plug-in whose
// parameters only know normalised values), so each value is one the parameter can hold exactly.
inline void setEveryParameterAwayFromDefault(juce::AudioProcessor& processor, juce::AudioProcessor& ranges)
{
    const auto& parameters = processor.getParameters();
    for (int i = 0; i < parameters.size(); ++i)
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*>(ranges.getParameters()[i]);
        const float offset = 0.001f * float(i % 50);
        const float away = ranged->getDefaultValue() < 0.5f ? 0.8f + offset : 0.1f + offset;
        parameters[i]->setValueNotifyingHost(ranged->convertTo0to1(ranged->convertFrom0to1(away)));
    }
}

inline void setEveryParameterAwayFromDefault(juce::AudioProcessor& processor)
{
    setEveryParameterAwayFromDefault(processor, processor);
}

inline std::vector<float> normalisedValues(const juce::AudioProcessor& processor)
{
    std::vector<float> values;
    for (auto* p : processor.getParameters())
        values.push_back(p->getValue());
    return values;
}
