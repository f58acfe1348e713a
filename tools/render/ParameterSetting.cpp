#include "ParameterSetting.h"

#include <cmath>

juce::String applyParameterSetting(VezovevaDirADAudioProcessor& processor, const juce::String& id,
                                   const juce::String& text)
{
    auto* parameter = processor.parameters.getParameter(id);
    if (parameter == nullptr)
        return "unknown parameter ID \"" + id + "\"";
    const auto& range = parameter->getNormalisableRange();

    float plain = 0.0f;
    const auto lower = text.trim().toLowerCase();
    const bool numeric = lower.isNotEmpty() && lower.containsOnly("0123456789.-+e") &&
                         juce::CharacterFunctions::isDigit(lower.getLastCharacter());
    if (numeric)
    {
        plain = static_cast<float>(lower.getDoubleValue());
    }
    else if (auto* choice = dynamic_cast<juce::AudioParameterChoice*>(parameter);
             choice != nullptr && choice->choices.contains(text.trim(), true))
    {
        plain = static_cast<float>(choice->choices.indexOf(text.trim(), true));
    }
    else if (dynamic_cast<juce::AudioParameterBool*>(parameter) != nullptr &&
             (lower == "on" || lower == "off" || lower == "true" || lower == "false"))
    {
        plain = (lower == "on" || lower == "true") ? 1.0f : 0.0f;
    }
    else
    {
        return "value \"" + text + "\" is not valid for " + id;
    }

    if (!std::isfinite(plain) || plain < range.start || plain > range.end)
        return "value " + text + " is out of range for " + id + " (" + juce::String(range.start) + " to " +
               juce::String(range.end) + ")";
    parameter->setValueNotifyingHost(parameter->convertTo0to1(plain));
    return {};
}
