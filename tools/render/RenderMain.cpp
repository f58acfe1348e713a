// vivera-render: renders a file (or the built-in demo) through Vivera's processor, prints a pitch trace and
// writes the result with the latency compensated.
#include "DemoSignal.h"
#include "ParameterSetting.h"
#include "PitchTrace.h"
#include "RenderOptions.h"
#include "engine/PluginProcessor.h"
#include "engine/state/FactoryPresets.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <cstdio>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#define VIVERA_IS_TERMINAL(stream) (_isatty(_fileno(stream)) != 0)
#else
#include <unistd.h>
#define VIVERA_IS_TERMINAL(stream) (isatty(fileno(stream)) != 0)
#endif

namespace
{
struct RenderError
{
    juce::String message;
};

struct LoadedAudio
{
    juce::AudioBuffer<float> samples;
    double sampleRate = 0.0;
    unsigned int bitsPerSample = 24;
};

LoadedAudio readAudioFile(juce::AudioFormatManager& formats, const juce::File& file, const juce::String& role)
{
    if (!file.existsAsFile())
        throw RenderError{role + " file not found: " + file.getFullPathName()};
    std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(file));
    if (reader == nullptr)
        throw RenderError{"cannot read " + role +
                          " file (not WAV, AIFF or FLAC, or damaged): " + file.getFullPathName()};
    if (reader->numChannels < 1 || reader->numChannels > 2)
        throw RenderError{role + " file has " + juce::String(reader->numChannels) +
                          " channels; only mono and stereo are supported"};
    if (reader->lengthInSamples > std::numeric_limits<int>::max() / 2)
        throw RenderError{role + " file is too long"};

    LoadedAudio audio;
    audio.sampleRate = reader->sampleRate;
    audio.bitsPerSample = reader->bitsPerSample > 0 ? std::min(24u, reader->bitsPerSample) : 24u;
    audio.samples.setSize(static_cast<int>(reader->numChannels), static_cast<int>(reader->lengthInSamples));
    if (!reader->read(&audio.samples, 0, audio.samples.getNumSamples(), 0, true, true))
        throw RenderError{"cannot read " + role + " file: " + file.getFullPathName()};
    return audio;
}

void applySetting(VezovevaDirADAudioProcessor& processor, const juce::String& id, const juce::String& text)
{
    const auto error = applyParameterSetting(processor, id, text);
    if (error.isNotEmpty())
        throw RenderError{error};
}

juce::File defaultOutputFor(const juce::File& input)
{
    if (input == juce::File())
        return juce::File::getCurrentWorkingDirectory().getChildFile("vivera-demo.wav");
    return input.getSiblingFile(input.getFileNameWithoutExtension() + "-vivera" + input.getFileExtension());
}

void writeAudioFile(juce::AudioFormatManager& formats, const juce::File& file,
                    const juce::AudioBuffer<float>& audio, double sampleRate, unsigned int bits)
{
    auto* format = formats.findFormatForFileExtension(file.getFileExtension());
    if (format == nullptr)
        throw RenderError{"cannot write " + file.getFileName() + ": use .wav, .aiff or .flac"};
    if (!file.getParentDirectory().createDirectory())
        throw RenderError{"cannot create folder " + file.getParentDirectory().getFullPathName()};

    juce::TemporaryFile temporary(file);
    {
        auto stream = temporary.getFile().createOutputStream();
        if (stream == nullptr)
            throw RenderError{"cannot write " + file.getFullPathName()};
        std::unique_ptr<juce::OutputStream> output(stream.release());
        std::unique_ptr<juce::AudioFormatWriter> writer(format->createWriterFor(
            output.get(), sampleRate, static_cast<unsigned int>(audio.getNumChannels()),
            static_cast<int>(bits), {}, 0));
        if (writer == nullptr)
            throw RenderError{"cannot write " + file.getFileName() + " at " + juce::String(sampleRate) +
                              " Hz"};
        output.release(); // the writer owns the stream now
        if (!writer->writeFromAudioSampleBuffer(audio, 0, audio.getNumSamples()))
            throw RenderError{"cannot write " + file.getFullPathName()};
    }
    if (!temporary.overwriteTargetFileWithTemporary())
        throw RenderError{"cannot write " + file.getFullPathName()};
}

class ProgressBar
{
public:
    explicit ProgressBar(bool shown) : enabled(shown) {}
    ~ProgressBar() { finish(); }

    void show(double fraction)
    {
        if (!enabled)
            return;
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == lastPercent)
            return;
        lastPercent = percent;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(kWidth - filled), ' ').c_str(), percent);
        std::fflush(stderr);
    }

    void finish()
    {
        if (enabled && lastPercent >= 0)
            std::fprintf(stderr, "\r%s\r", std::string(kWidth + 8, ' ').c_str());
        lastPercent = -1;
    }

private:
    static constexpr int kWidth = 40;
    bool enabled;
    int lastPercent = -1;
};

// A preset file when one exists at that path; otherwise a factory preset by name or number.
void loadPreset(VezovevaDirADAudioProcessor& processor, const juce::String& preset, bool quiet)
{
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile(preset);
    if (file.existsAsFile())
    {
        if (!processor.loadPresetFile(file))
            throw RenderError{"cannot read preset " + file.getFullPathName()};
        return;
    }
    const int index = findFactoryPreset(preset);
    if (index < 0)
        throw RenderError{
            "cannot read preset " + file.getFullPathName() +
            " (no such file, and no factory preset of that name or number; see --list-presets)"};
    processor.loadFactoryPreset(index);
    if (!quiet)
        std::cout << "Factory preset " << index + 1 << ": " << processor.getPresetName() << "\n";
}

void listFactoryPresets()
{
    const auto& bank = VezovevaDirADAudioProcessor::factoryPresets();
    for (size_t i = 0; i < bank.size(); ++i)
        std::cout << juce::String(static_cast<int>(i) + 1).paddedLeft(' ', 2) << "  " << bank[i].englishName
                  << " / " << bank[i].spanishName << "\n";
}

int render(const RenderOptions& options)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();

    const bool demo = options.input == juce::File();
    LoadedAudio input;
    if (demo)
    {
        input.sampleRate = 48000.0;
        input.samples = makeDemoMelody(input.sampleRate);
    }
    else
    {
        input = readAudioFile(formats, options.input, "input");
    }

    LoadedAudio sidechain;
    if (options.sidechain != juce::File())
    {
        sidechain = readAudioFile(formats, options.sidechain, "sidechain");
        if (sidechain.sampleRate != input.sampleRate)
            throw RenderError{"sidechain sample rate " + juce::String(sidechain.sampleRate) +
                              " Hz differs from the input's " + juce::String(input.sampleRate) + " Hz"};
    }

    VezovevaDirADAudioProcessor processor;
    juce::AudioProcessor::BusesLayout layout;
    const auto mainSet =
        input.samples.getNumChannels() == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    layout.inputBuses.add(mainSet);
    layout.inputBuses.add(sidechain.samples.getNumChannels() == 0   ? juce::AudioChannelSet::disabled()
                          : sidechain.samples.getNumChannels() == 1 ? juce::AudioChannelSet::mono()
                                                                    : juce::AudioChannelSet::stereo());
    layout.outputBuses.add(mainSet);
    if (!processor.setBusesLayout(layout))
        throw RenderError{"the processor refused the channel layout"};

    if (options.preset.isNotEmpty())
        loadPreset(processor, options.preset, options.quiet);
    // The demo setting shows the bands following the melody; a preset brings its own sound instead.
    if (demo && options.preset.isEmpty())
        for (const auto& [id, value] : demoSettings())
            applySetting(processor, id, value);
    for (const auto& [id, value] : options.settings)
        applySetting(processor, id, value);

    const int block = options.blockSize;
    processor.setRateAndBufferSizeDetails(input.sampleRate, block);
    processor.prepareToPlay(input.sampleRate, block);
    const int latency = processor.getLatencySamples();

    const auto output = options.output != juce::File() ? options.output : defaultOutputFor(options.input);
    if (!options.quiet)
    {
        std::cout << "Vivera " << (demo ? "demo melody" : options.input.getFileName()) << ": "
                  << input.samples.getNumChannels() << " ch, " << input.sampleRate << " Hz, "
                  << juce::String(input.samples.getNumSamples() / input.sampleRate, 2) << " s, block "
                  << block << "\nReported latency: " << latency << " samples ("
                  << juce::String(1000.0 * latency / input.sampleRate, 1)
                  << " ms), compensated in the output\n";
        if (options.traceInterval > 0.0)
            std::cout << "Pitch trace:\n";
    }

    // The input is followed by `latency` samples of silence and the first `latency` output samples are
    // dropped, so the output lines up with the input.
    const int inputLength = input.samples.getNumSamples();
    const int total = inputLength + latency;
    const int mainChannels = input.samples.getNumChannels();
    const int sidechainChannels = sidechain.samples.getNumChannels();
    juce::AudioBuffer<float> result(mainChannels, inputLength);
    juce::AudioBuffer<float> work(mainChannels + sidechainChannels, block);
    juce::MidiBuffer midi;

    ProgressBar progress(!options.quiet && VIVERA_IS_TERMINAL(stderr) && inputLength > 10 * input.sampleRate);
    double nextTrace = 0.0;
    for (int start = 0; start < total; start += block)
    {
        const int n = std::min(block, total - start);
        work.setSize(work.getNumChannels(), n, false, false, true);
        work.clear();
        for (int c = 0; c < mainChannels; ++c)
            if (start < inputLength)
                work.copyFrom(c, 0, input.samples, c, start, std::min(n, inputLength - start));
        for (int c = 0; c < sidechainChannels; ++c)
            if (start < sidechain.samples.getNumSamples())
                work.copyFrom(mainChannels + c, 0, sidechain.samples, c, start,
                              std::min(n, sidechain.samples.getNumSamples() - start));

        processor.processBlock(work, midi);

        for (int i = 0; i < n; ++i)
        {
            const int at = start + i - latency;
            if (at >= 0 && at < inputLength)
                for (int c = 0; c < mainChannels; ++c)
                    result.setSample(c, at, work.getSample(c, i));
        }

        // The tracker hears the input undelayed: its reading at the end of this block belongs to input time.
        const double seconds = (start + n) / input.sampleRate;
        if (!options.quiet && options.traceInterval > 0.0 && seconds >= nextTrace && start < inputLength)
        {
            progress.finish();
            std::cout << pitchTraceLine(seconds, processor.telemetry.publishedPitch.load()) << "\n";
            nextTrace += options.traceInterval *
                         std::max(1.0, std::floor((seconds - nextTrace) / options.traceInterval));
        }
        progress.show(double(start + n) / total);
    }
    progress.finish();

    writeAudioFile(formats, output, result, input.sampleRate, input.bitsPerSample);
    if (demo)
        writeAudioFile(formats, output.getSiblingFile(output.getFileNameWithoutExtension() + "-input.wav"),
                       input.samples, input.sampleRate, 24);
    if (!options.quiet)
    {
        std::cout << "Wrote " << output.getFullPathName() << "\n";
        if (demo)
            std::cout << "Demo input (for comparison): "
                      << output.getSiblingFile(output.getFileNameWithoutExtension() + "-input.wav")
                             .getFullPathName()
                      << "\n";
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add(juce::CharPointer_UTF8(argv[i]));

    if (arguments.contains("--help") || arguments.contains("-h"))
    {
        std::cout << renderUsage() << "\n";
        return 0;
    }

    juce::String error;
    const auto options = parseRenderOptions(arguments, error);
    if (!options)
    {
        std::cerr << "vivera-render: " << error << "\n" << renderUsage() << "\n";
        return 2;
    }

    if (options->listPresets)
    {
        listFactoryPresets();
        return 0;
    }

    try
    {
        return render(*options);
    }
    catch (const RenderError& failure)
    {
        std::cerr << "vivera-render: " << failure.message << "\n";
        return 1;
    }
}
