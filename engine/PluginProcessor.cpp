#include "PluginProcessor.h"

#include "ParameterLayout.h"

#include <cmath>

namespace
{
constexpr double kLookaheadSeconds = 0.1;
constexpr double kLookaheadCrossfadeSeconds = 0.03;
constexpr double kDelayFadeSeconds = 0.005;
constexpr double kGainRampSeconds = 0.02;
constexpr double kAutoGainRampSeconds = 0.4;
constexpr int kMinimumDetectorCopySize = 4096;

bool isOn(const std::atomic<float>* value) noexcept
{
    return value->load(std::memory_order_relaxed) > 0.5f;
}

float outputGainFromDecibels(float decibels) noexcept
{
    return decibels <= -100.0f ? 0.0f : std::pow(10.0f, decibels / 20.0f);
}
} // namespace

VezovevaDirADAudioProcessor::VezovevaDirADAudioProcessor()
    : juce::AudioProcessor(BusesProperties()
                               .withInput("Input", juce::AudioChannelSet::stereo(), true)
                               .withInput("Sidechain", juce::AudioChannelSet::stereo(), false)
                               .withOutput("Output", juce::AudioChannelSet::stereo(), true)),
      parameters(*this, &undoManager, "STATE", createParameterLayout())
{
    cacheParameterPointers();
    otherSlotState = parameters.copyState();
    activeSlot = 0;
}

VezovevaDirADAudioProcessor::~VezovevaDirADAudioProcessor() = default;

void VezovevaDirADAudioProcessor::cacheParameterPointers()
{
    const auto bind = [this](const juce::String& id) -> const std::atomic<float>*
    {
        auto* value = parameters.getRawParameterValue(id);
        jassert(value != nullptr);
        return value;
    };

    for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
    {
        const auto id = [k](const char* shortName)
        { return bandParameterId(static_cast<int>(k) + 1, shortName); };
        namespace P = BandParam;
        band.add[k] = bind(id(P::add));
        band.on[k] = bind(id(P::on));
        band.type[k] = bind(id(P::type));
        band.slope[k] = bind(id(P::slope));
        band.chan[k] = bind(id(P::chan));
        band.mult[k] = bind(id(P::mult));
        band.gain[k] = bind(id(P::gain));
        band.q[k] = bind(id(P::q));
        band.solo[k] = bind(id(P::solo));
        band.freeze[k] = bind(id(P::freeze));
        band.dyn[k] = bind(id(P::dyn));
        band.dynmode[k] = bind(id(P::dynmode));
        band.thresh[k] = bind(id(P::thresh));
        band.ratio[k] = bind(id(P::ratio));
        band.attack[k] = bind(id(P::attack));
        band.release[k] = bind(id(P::release));
        band.knee[k] = bind(id(P::knee));
        band.range[k] = bind(id(P::range));
        band.det[k] = bind(id(P::det));
        band.detq[k] = bind(id(P::detq));
        band.detsc[k] = bind(id(P::detsc));
        band.detfreq[k] = bind(id(P::detfreq));
        band.scshape[k] = bind(id(P::scshape));
    }

    global.lock = bind(ParamIds::lock);
    global.freq = bind(ParamIds::freq);
    global.bypass = bind(ParamIds::bypass);
    global.sens = bind(ParamIds::sens);
    global.gate = bind(ParamIds::gate);
    global.trkHp = bind(ParamIds::trkHp);
    global.trkLp = bind(ParamIds::trkLp);
    global.scale = bind(ParamIds::scale);
    global.out = bind(ParamIds::out);
    global.mix = bind(ParamIds::mix);
    global.sc = bind(ParamIds::sc);
    global.monSig = bind(ParamIds::monSig);
    global.monCh = bind(ParamIds::monCh);
    global.autoGain = bind(ParamIds::autoGain);
    global.softClip = bind(ParamIds::softClip);
    global.autoByp = bind(ParamIds::autoByp);
    global.lookahead = bind(ParamIds::lookahead);
}

const juce::String VezovevaDirADAudioProcessor::getName() const
{
    return "Vivera";
}

void VezovevaDirADAudioProcessor::prepareToPlay(double newSampleRate, int maximumBlockSize)
{
    sampleRate = newSampleRate;
    tracker.prepare(sampleRate);

    lookaheadSamples = static_cast<int>(std::lround(kLookaheadSeconds * sampleRate));
    const int delayLength = std::max(1, lookaheadSamples);
    if (delayBuffer.getNumChannels() != 4 || delayBuffer.getNumSamples() != delayLength)
        delayBuffer.setSize(4, delayLength);
    delayBuffer.clear();
    delayWritePos = 0;

    const int copyLength = std::max(maximumBlockSize, kMinimumDetectorCopySize);
    if (detectorCopy.getNumChannels() != 2 || detectorCopy.getNumSamples() != copyLength)
        detectorCopy.setSize(2, copyLength);

    const bool lookaheadOn = isOn(global.lookahead);
    latencySamples = lookaheadOn ? lookaheadSamples : 0;
    lookaheadMix = (lookaheadOn && lookaheadSamples > 0) ? 1.0f : 0.0f;
    lookaheadMixStep =
        1.0f / static_cast<float>(std::max(1L, std::lround(kLookaheadCrossfadeSeconds * sampleRate)));
    delayFade = 1.0f;
    delayFadeStep = 1.0f / static_cast<float>(std::max(1L, std::lround(kDelayFadeSeconds * sampleRate)));
    delayFadeOutPending = false;
    wasPlaying = false;
    expectedNextSample = -1;

    if (getLatencySamples() != latencySamples)
        setLatencySamples(latencySamples);

    vivera::dsp::resetFollower(follower);
    resetBands();
    resetRamps();
    telemetry.autoGainDb.store(0.0f);
}

void VezovevaDirADAudioProcessor::resetRamps()
{
    const int gainRampLength = static_cast<int>(std::floor(kGainRampSeconds * sampleRate));
    mixRamp.reset(gainRampLength);
    outputGainRamp.reset(gainRampLength);
    bypassRamp.reset(gainRampLength);
    mixRamp.setCurrentAndTargetValue(global.mix->load(std::memory_order_relaxed) / 100.0f);
    outputGainRamp.setCurrentAndTargetValue(
        outputGainFromDecibels(global.out->load(std::memory_order_relaxed)));
    bypassRamp.setCurrentAndTargetValue(isOn(global.bypass) ? 1.0f : 0.0f);

    autoGainRamp.reset(static_cast<int>(std::floor(kAutoGainRampSeconds * sampleRate)));
    autoGainRamp.setCurrentAndTargetValue(1.0f);
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
    return parameters.getParameter(ParamIds::bypass);
}

juce::AudioProcessorEditor* VezovevaDirADAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor(*this);
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
