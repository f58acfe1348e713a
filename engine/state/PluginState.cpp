// Saving and restoring the whole state: the host's state blob, preset files, the Init reset and A/B slots.
#include "engine/state/PluginState.h"

#include "engine/parameters/ParameterIds.h"
#include "engine/state/FactoryPresets.h"
#include "engine/state/Utf8Validation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace
{
const juce::Identifier kStateVersion{"stateVersion"};
const juce::Identifier kPluginVersion{"pluginVersion"};
const juce::Identifier kPresetName{"presetName"};
const juce::Identifier kTooltips{"tooltips"};
const juce::Identifier kParam{"PARAM"};
const juce::Identifier kId{"id"};
const juce::Identifier kValue{"value"};

constexpr int kCurrentStateVersion = 1;
constexpr juce::uint32 kStateMagic = 0x21324356; // "VC2!"
constexpr juce::int64 kMaximumPresetBytes = 16 * 1024 * 1024;
const char* const kPluginVersionText = "0.1.0";

float plainDefault(const juce::RangedAudioParameter& parameter)
{
    const auto& range = parameter.getNormalisableRange();
    return range.snapToLegalValue(
        range.convertFrom0to1(juce::jlimit(0.0f, 1.0f, parameter.getDefaultValue())));
}

// The framework's number reader accumulates an exponent in an int, which overflows past nine digits. No
// finite float needs more than three; anything beyond five is damage.
bool hasHugeExponent(const juce::String& text)
{
    const int e = text.indexOfAnyOf("eE");
    if (e < 0)
        return false;
    auto digits = text.substring(e + 1).trimCharactersAtStart("+-").trimCharactersAtStart("0");
    return digits.initialSectionContainingOnly("0123456789").length() > 5;
}

// A stored value that is not a finite number would reach the audio thread as NaN: treat it as absent.
bool readFiniteNumber(const juce::var& stored, float& result)
{
    if (stored.isInt() || stored.isInt64() || stored.isDouble() || stored.isBool())
    {
        const double value = static_cast<double>(stored);
        result = static_cast<float>(value);
        return std::isfinite(value) && std::isfinite(result);
    }
    const auto text = stored.toString().trim();
    if (text.isEmpty() || hasHugeExponent(text))
        return false;
    // The framework's reader ignores the C locale, so a host running with a decimal comma still reads "0.5".
    const auto start = text.getCharPointer();
    auto end = start;
    const double value = juce::CharacterFunctions::readDoubleValue(end);
    if (end == start || !end.isEmpty())
        return false;
    result = static_cast<float>(value);
    return std::isfinite(value) && std::isfinite(result);
}

// The framework's XML reader never returns from a processing instruction followed by text inside an
// element, so a damaged file would freeze the host. Stored states have no processing instruction except
// the declaration at the very start; any other one marks the text as damaged.
bool hasProcessingInstructionInsideDocument(const char* text, size_t length)
{
    const std::string_view view(text, length);
    const auto start = view.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return false;
    const auto first = view.find("<?", start);
    if (first == std::string_view::npos)
        return false;
    return first != start || view.find("<?", first + 2) != std::string_view::npos;
}

// Parses stored XML text (state or preset): up to the first zero byte, after an optional byte-order mark,
// and only when it is well-formed UTF-8.
std::unique_ptr<juce::XmlElement> parseStoredXml(const char* text, size_t size)
{
    if (size >= 3 && static_cast<unsigned char>(text[0]) == 0xef &&
        static_cast<unsigned char>(text[1]) == 0xbb && static_cast<unsigned char>(text[2]) == 0xbf)
    {
        text += 3;
        size -= 3;
    }
    const auto length = static_cast<size_t>(std::find(text, text + size, '\0') - text);
    if (length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max()) ||
        !isValidUtf8(text, length) || hasProcessingInstructionInsideDocument(text, length))
        return nullptr;
    return juce::parseXML(juce::String::fromUTF8(text, static_cast<int>(length)));
}
} // namespace

PluginState::PluginState(juce::AudioProcessor& owner, juce::AudioProcessorValueTreeState& state,
                         juce::UndoManager& undo)
    : processor(owner), parameters(state), undoManager(undo), history(owner, undo)
{
    for (auto* processorParameter : processor.getParameters())
        if (auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(processorParameter))
            parametersById.emplace(parameter->getParameterID(), parameter);
    otherSlotState = parameters.copyState();
}

namespace
{
// Each parameter id's first child, as getChildWithProperty would find it, in one pass: a whole-state load
// looks up every one of the 387 ids.
// A damaged file can repeat an attribute. The tree keeps every copy and reads the first, but writing it back
// keeps the last, so a state would not save what it loaded: keep only the first of each.
void dropRepeatedProperties(juce::ValueTree& tree)
{
    std::vector<std::pair<juce::Identifier, juce::var>> first;
    for (int i = 0; i < tree.getNumProperties(); ++i)
    {
        const auto name = tree.getPropertyName(i);
        if (std::none_of(first.begin(), first.end(), [&](const auto& kept) { return kept.first == name; }))
            first.emplace_back(name, tree.getProperty(name));
    }
    if (static_cast<int>(first.size()) == tree.getNumProperties())
        return;
    tree.removeAllProperties(nullptr);
    for (const auto& [name, value] : first)
        tree.setProperty(name, value, nullptr);
}

std::unordered_map<juce::String, juce::ValueTree, StringHash> childrenById(const juce::ValueTree& tree)
{
    std::unordered_map<juce::String, juce::ValueTree, StringHash> children;
    for (const auto& child : tree)
        if (child.hasProperty(kId))
            children.emplace(child.getProperty(kId).toString(), child);
    return children;
}
} // namespace

juce::ValueTree PluginState::copyCurrentState()
{
    // Takes the tree's lock and flushes every parameter value into it first.
    return parameters.copyState();
}

juce::String PluginState::getPresetName() const
{
    return parameters.state.getProperty(kPresetName).toString();
}

void PluginState::beginNewUndoStep()
{
    copyCurrentState();
    undoManager.beginNewTransaction();
}

bool PluginState::getTooltipsEnabled() const
{
    return static_cast<bool>(parameters.state.getProperty(kTooltips, true));
}

void PluginState::setTooltipsEnabled(bool on)
{
    // Not through the undo manager: showing help is not an edit of the sound.
    parameters.state.setProperty(kTooltips, on, nullptr);
}

void PluginState::setPresetName(const juce::String& name)
{
    parameters.state.setProperty(kPresetName, name, nullptr);
}

void PluginState::writeStateBlob(juce::MemoryBlock& destData)
{
    auto state = copyCurrentState();
    state.setProperty(kStateVersion, kCurrentStateVersion, nullptr);
    state.setProperty(kPluginVersion, kPluginVersionText, nullptr);
    if (auto xml = state.createXml())
        juce::AudioProcessor::copyXmlToBinary(*xml, destData);
}

bool PluginState::readStateBlob(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8)
        return false;
    const auto* bytes = static_cast<const char*>(data);
    if (juce::ByteOrder::littleEndianInt(bytes) != kStateMagic)
        return false;
    const auto length = static_cast<juce::int32>(juce::ByteOrder::littleEndianInt(bytes + 4));
    if (length <= 0)
        return false;
    // A length beyond the data reads only what is there.
    const auto xml = parseStoredXml(
        bytes + 8, std::min(static_cast<size_t>(length), static_cast<size_t>(sizeInBytes - 8)));
    if (xml == nullptr || !xml->hasTagName(parameters.state.getType()))
        return false;
    const auto restored = completeState(juce::ValueTree::fromXml(*xml));
    replaceWholeState(restored);
    return true;
}

juce::ValueTree PluginState::completeState(juce::ValueTree tree) const
{
    // Version 1 is the only format so far: nothing to convert.
    const auto& byId = parametersById;

    // Damaged values are repaired before they can reach the audio thread: a duplicate id keeps only its last
    // entry (the one the parameter state applies), values are snapped into range, non-numbers take defaults.
    dropRepeatedProperties(tree);
    std::unordered_set<const juce::RangedAudioParameter*> seen;
    for (int i = tree.getNumChildren(); --i >= 0;)
    {
        auto child = tree.getChild(i);
        if (!child.hasType(kParam))
        {
            // The parameter tree binds a parameter to the first child carrying its id, whatever its type:
            // a damaged element with a known id would take the parameter over and then save as something
            // else.
            if (byId.count(child.getProperty(kId).toString()) > 0)
                tree.removeChild(i, nullptr);
            continue;
        }
        dropRepeatedProperties(child);
        const auto id = child.getProperty(kId).toString();
        const auto found = byId.find(id);
        if (found == byId.end())
            continue;
        if (!seen.insert(found->second).second)
        {
            tree.removeChild(i, nullptr);
            continue;
        }
        float value = 0.0f;
        const auto& parameter = *found->second;
        child.setProperty(kValue,
                          readFiniteNumber(child.getProperty(kValue), value)
                              ? parameter.getNormalisableRange().snapToLegalValue(value)
                              : plainDefault(parameter),
                          nullptr);
    }

    for (auto* processorParameter : processor.getParameters())
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(processorParameter);
        if (parameter == nullptr || seen.count(parameter) > 0)
            continue;
        juce::ValueTree child(kParam);
        child.setProperty(kId, parameter->getParameterID(), nullptr);
        child.setProperty(kValue, plainDefault(*parameter), nullptr);
        tree.appendChild(child, nullptr);
    }
    tree.setProperty(kStateVersion, kCurrentStateVersion, nullptr);
    return tree;
}

juce::File PluginState::presetFolder()
{
    const auto documents = juce::File::getSpecialLocation(juce::File::userDocumentsDirectory);
    if (documents == juce::File() || documents.getFullPathName().isEmpty())
        return {};
    return documents.getChildFile("Vidizaridaza").getChildFile("Vivera").getChildFile("Presets");
}

bool PluginState::savePresetFile(const juce::File& file)
{
    if (file == juce::File() || file.getFullPathName().isEmpty())
        return false;

    const auto name = file.getFileNameWithoutExtension();
    auto state = copyCurrentState();
    state.setProperty(kStateVersion, kCurrentStateVersion, nullptr);
    state.setProperty(kPresetName, name, nullptr);

    const auto xml = state.createXml();
    if (xml == nullptr)
        return false;
    if (!file.getParentDirectory().createDirectory())
        return false;
    // Writes a temporary file and moves it into place, so a failed save never damages an existing preset.
    if (!xml->writeTo(file, juce::XmlElement::TextFormat()))
        return false;

    setPresetName(name);
    return true;
}

bool PluginState::loadPresetFile(const juce::File& file)
{
    if (!file.existsAsFile() || file.getSize() > kMaximumPresetBytes)
        return false;
    juce::MemoryBlock data;
    if (!file.loadFileAsData(data))
        return false;
    return loadPresetData(data.getData(), data.getSize(), file.getFileNameWithoutExtension());
}

bool PluginState::loadPresetData(const void* data, size_t size, const juce::String& presetName)
{
    const auto xml = parseStoredXml(static_cast<const char*>(data), size);
    return xml != nullptr && loadPresetXml(*xml, presetName);
}

bool PluginState::loadPresetXml(const juce::XmlElement& xml, const juce::String& presetName)
{
    if (!xml.hasTagName(parameters.state.getType()))
        return false;

    const auto tree = completeState(juce::ValueTree::fromXml(xml));
    const auto children = childrenById(tree);
    undoManager.beginNewTransaction();
    for (auto* processorParameter : processor.getParameters())
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(processorParameter);
        if (parameter == nullptr || isKeptAcrossPresetLoads(parameter->getParameterID()))
            continue;
        const auto child = children.find(parameter->getParameterID());
        if (child != children.end())
            setParameterFromPlainValue(*parameter, static_cast<float>(child->second.getProperty(kValue)));
    }
    setPresetName(presetName);
    return true;
}

const std::vector<FactoryPreset>& PluginState::factoryPresets()
{
    return factoryPresetBank();
}

void PluginState::loadFactoryPreset(int index)
{
    undoManager.beginNewTransaction();
    for (auto* processorParameter : processor.getParameters())
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(processorParameter);
        if (parameter != nullptr && !isKeptAcrossPresetLoads(parameter->getParameterID()))
            parameter->setValueNotifyingHost(parameter->getDefaultValue());
    }

    juce::String name = "Init";
    const auto& presets = factoryPresets();
    if (index >= 0 && index < static_cast<int>(presets.size()))
    {
        const auto& preset = presets[static_cast<size_t>(index)];
        for (const auto& [id, value] : preset.values)
            if (auto* parameter = parameters.getParameter(id))
                setParameterFromPlainValue(*parameter, value);
        name = preset.englishName;
    }
    setPresetName(name);
}

void PluginState::copyToOtherSlot()
{
    otherSlotState = copyCurrentState();
}

void PluginState::switchSlot()
{
    auto current = copyCurrentState();
    replaceWholeState(otherSlotState);
    otherSlotState = current;
    activeSlot = 1 - activeSlot;
}

void PluginState::replaceWholeState(const juce::ValueTree& tree)
{
    history.replaceWholeState(
        [&]
        {
            parameters.replaceState(tree);
            // The parameter state skips a parameter whose snapped value is unchanged, but an on/off switch
            // keeps the raw number a host wrote (0.38 reads as off): set every parameter to exactly the
            // value restored, so a host reads back what the state holds.
            const auto children = childrenById(tree);
            for (auto* processorParameter : processor.getParameters())
            {
                auto* parameter = dynamic_cast<juce::RangedAudioParameter*>(processorParameter);
                if (parameter == nullptr)
                    continue;
                const auto child = children.find(parameter->getParameterID());
                float plain = 0.0f;
                if (child == children.end() || !readFiniteNumber(child->second.getProperty(kValue), plain))
                    continue;
                const float exact = parameter->convertTo0to1(plain);
                if (parameter->getValue() != exact)
                    parameter->setValueNotifyingHost(exact);
            }
        });
}

void PluginState::setParameterFromPlainValue(juce::RangedAudioParameter& parameter, float plainValue)
{
    const auto& range = parameter.getNormalisableRange();
    if (!std::isfinite(plainValue))
        return;
    parameter.setValueNotifyingHost(range.convertTo0to1(range.snapToLegalValue(plainValue)));
}

bool PluginState::isKeptAcrossPresetLoads(const juce::String& parameterId)
{
    // Latency and what the user is monitoring belong to the session, not to a sound.
    return parameterId == ParamIds::lookahead || parameterId == ParamIds::monSig ||
           parameterId == ParamIds::monCh;
}
