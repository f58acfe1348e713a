#include "engine/PluginProcessor.h"

#include "editor/PluginEditor.h"
#include "engine/parameters/BandSettings.h"
#include "engine/parameters/ParameterLayout.h"
#include "engine/pipeline/BlockPipeline.h"

#include <algorithm>
#include <cmath>

namespace
{
// The play head as the lookahead delay needs it. Loop points come in quarter notes: they are placed on the
// sample timeline from this block's own position and tempo.
TransportState readTransport(const juce::AudioPlayHead::PositionInfo& position, double sampleRate)
{
    TransportState transport;
    transport.known = true;
    transport.playing = position.getIsPlaying();
    if (const auto time = position.getTimeInSamples())
    {
        transport.hasTime = true;
        transport.timeInSamples = *time;
    }
    transport.looping = position.getIsLooping();
    const auto loop = position.getLoopPoints();
    const auto ppq = position.getPpqPosition();
    const auto bpm = position.getBpm();
    if (transport.looping && transport.hasTime && loop && ppq && bpm && *bpm > 0.0 && sampleRate > 0.0)
    {
        const double samplesPerQuarter = 60.0 / *bpm * sampleRate;
        const double offset = (loop->ppqStart - *ppq) * samplesPerQuarter;
        if (std::isfinite(offset) && std::abs(offset) < 1.0e15)
        {
            transport.hasLoopStart = true;
            transport.loopStartInSamples =
                transport.timeInSamples + static_cast<int64_t>(std::llround(offset));
        }
    }
    return transport;
}
} // namespace

VezovevaDirADAudioProcessor::VezovevaDirADAudioProcessor()
    : juce::AudioProcessor(BusesProperties()
                               .withInput("Input", juce::AudioChannelSet::stereo(), true)
                               .withInput("Sidechain", juce::AudioChannelSet::stereo(), false)
                               .withOutput("Output", juce::AudioChannelSet::stereo(), true)),
      // The tree keeps no undo record of its own: the state layer records the user's edits (not the host's
      // automation) into undoManager.
      parameters(*this, nullptr, "STATE", createParameterLayout()), handles(bindEngineParameters(parameters)),
      state(*this, parameters, undoManager), pipeline(std::make_unique<BlockPipeline>(handles, telemetry))
{
}

VezovevaDirADAudioProcessor::~VezovevaDirADAudioProcessor()
{
    // Hosts may free an instance on a thread of their own; the message thread must not be inside one of our
    // timers or async callbacks while the members they use are destroyed.
    teardownLock.acquire();
}

const juce::String VezovevaDirADAudioProcessor::getName() const
{
    return "Vivera";
}

void VezovevaDirADAudioProcessor::prepareToPlay(double newSampleRate, int maximumBlockSize)
{
    pipeline->prepare(newSampleRate, maximumBlockSize);
    latencyReporter.request(pipeline->latencySamples());
    latencyReporter.reportPending();
}

void VezovevaDirADAudioProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const int bufferChannels = buffer.getNumChannels();
    BlockChannels channels;
    channels.mainCount = std::min({2, getMainBusNumInputChannels(), bufferChannels});
    if (getBusCount(true) > 1)
    {
        auto* sidechainBus = getBus(true, 1);
        if (sidechainBus != nullptr && sidechainBus->isEnabled() && sidechainBus->getNumberOfChannels() > 0)
        {
            channels.sidechainFirst = getChannelIndexInProcessBlockBuffer(true, 1, 0);
            channels.sidechainCount = std::clamp(std::min(2, sidechainBus->getNumberOfChannels()), 0,
                                                 bufferChannels - channels.sidechainFirst);
        }
    }

    TransportState transport;
    if (auto* hostPlayHead = getPlayHead())
        if (const auto position = hostPlayHead->getPosition())
            transport = readTransport(*position, telemetry.sampleRate.load());

    pipeline->process(buffer, channels, transport);
    latencyReporter.request(pipeline->latencySamples());
}

bool VezovevaDirADAudioProcessor::designBand(int bandIndex, double frequencyHz, bool solo, double amount,
                                             vivera::dsp::BandCascade& cascade) const noexcept
{
    if (bandIndex < 0 || bandIndex >= kNumBands)
        return false;
    return vivera::dsp::designBand(readFilterSettings(bandParameters(bandIndex), handles.global),
                                   telemetry.sampleRate.load(), frequencyHz, solo, amount, cascade);
}

float VezovevaDirADAudioProcessor::estimateAutoGain(float pitchHz) const noexcept
{
    std::array<float, kNumBands> frozen{};
    for (size_t k = 0; k < frozen.size(); ++k)
        frozen[k] = telemetry.frozenPitch[k].load();
    return vivera::dsp::estimateAutoGain(readAutoGainBands(handles, frozen), pitchHz,
                                         telemetry.sampleRate.load());
}

void VezovevaDirADAudioProcessor::getStateInformation(juce::MemoryBlock& destData)
{
    state.writeStateBlob(destData);
}

void VezovevaDirADAudioProcessor::setStateInformation(const void* data, int sizeInBytes)
{
    restoreState(data, sizeInBytes);
}

void VezovevaDirADAudioProcessor::releaseResources() {}

bool VezovevaDirADAudioProcessor::isBusesLayoutSupported(const BusesLayout& layouts) const
{
    const auto mainIn = layouts.getMainInputChannelSet();
    const auto mainOut = layouts.getMainOutputChannelSet();
    if (mainIn != mainOut)
        return false;
    if (mainIn != juce::AudioChannelSet::mono() && mainIn != juce::AudioChannelSet::stereo())
        return false;

    if (layouts.inputBuses.size() < 2)
        return true;
    const auto sidechain = layouts.getChannelSet(true, 1);
    return sidechain.isDisabled() || sidechain == juce::AudioChannelSet::mono() ||
           sidechain == juce::AudioChannelSet::stereo();
}

void VezovevaDirADAudioProcessor::processBlockBypassed(juce::AudioBuffer<float>& buffer,
                                                       juce::MidiBuffer& midi)
{
    // The bypass parameter crossfades and the latency stays reported, so a host bypass is processed too.
    processBlock(buffer, midi);
}

double VezovevaDirADAudioProcessor::getTailLengthSeconds() const
{
    return 0.0;
}
bool VezovevaDirADAudioProcessor::acceptsMidi() const
{
    return false;
}
bool VezovevaDirADAudioProcessor::producesMidi() const
{
    return false;
}
bool VezovevaDirADAudioProcessor::supportsMPE() const
{
    return false;
}
bool VezovevaDirADAudioProcessor::isMidiEffect() const
{
    return false;
}

juce::AudioProcessorParameter* VezovevaDirADAudioProcessor::getBypassParameter() const
{
    return handles.global.bypass.parameter;
}

juce::AudioProcessorEditor* VezovevaDirADAudioProcessor::createEditor()
{
    return new VezovevaDirADAudioProcessorEditor(*this);
}

bool VezovevaDirADAudioProcessor::hasEditor() const
{
    return true;
}

int VezovevaDirADAudioProcessor::getNumPrograms()
{
    return 1;
}
int VezovevaDirADAudioProcessor::getCurrentProgram()
{
    return 0;
}
void VezovevaDirADAudioProcessor::setCurrentProgram(int) {}

// VST3 hosts see this single program, and a program without a name fails their validation.
const juce::String VezovevaDirADAudioProcessor::getProgramName(int)
{
    return "Default";
}

void VezovevaDirADAudioProcessor::changeProgramName(int, const juce::String&) {}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new VezovevaDirADAudioProcessor();
}
