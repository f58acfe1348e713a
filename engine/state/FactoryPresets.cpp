// Reading the built-in factory preset files into the bank the state and the editor use.
#include "engine/state/FactoryPresets.h"

#include "engine/state/FactoryPresetData.h"

#include <cmath>

std::vector<FactoryPreset> readFactoryPresets(const std::vector<const char*>& presetTexts)
{
    std::vector<FactoryPreset> presets;
    for (const char* text : presetTexts)
    {
        if (text == nullptr)
            continue;
        const auto xml = juce::parseXML(juce::String::fromUTF8(text));
        if (xml == nullptr || !xml->hasTagName("STATE"))
            continue;
        FactoryPreset preset;
        preset.englishName = xml->getStringAttribute("presetName");
        preset.spanishName = xml->getStringAttribute("spanishName");
        for (const auto* param : xml->getChildWithTagNameIterator("PARAM"))
        {
            const auto id = param->getStringAttribute("id");
            const auto value = param->getStringAttribute("value").trim();
            if (id.isEmpty() || value.isEmpty() || !value.containsOnly("0123456789.-+eE"))
                continue;
            const auto plain = static_cast<float>(value.getDoubleValue());
            if (std::isfinite(plain))
                preset.values.emplace_back(id, plain);
        }
        presets.push_back(std::move(preset));
    }
    return presets;
}

const std::vector<FactoryPreset>& factoryPresetBank()
{
    static const std::vector<FactoryPreset> bank = []
    {
        std::vector<const char*> texts;
        for (int i = 0; i < kNumEmbeddedFactoryPresets; ++i)
            texts.push_back(kEmbeddedFactoryPresets[i].text);
        return readFactoryPresets(texts);
    }();
    return bank;
}

int findFactoryPreset(const juce::String& nameOrNumber)
{
    const auto& bank = factoryPresetBank();
    const auto wanted = nameOrNumber.trim();
    if (wanted.isNotEmpty() && wanted.containsOnly("0123456789"))
    {
        const int number = wanted.getIntValue();
        return number >= 1 && number <= static_cast<int>(bank.size()) ? number - 1 : -1;
    }
    for (size_t i = 0; i < bank.size(); ++i)
        if (wanted.equalsIgnoreCase(bank[i].englishName) || wanted.equalsIgnoreCase(bank[i].spanishName))
            return static_cast<int>(i);
    return -1;
}
