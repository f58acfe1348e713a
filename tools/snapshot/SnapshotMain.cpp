// vivera-snapshot: builds the real editor off screen, optionally after running audio through the processor
// so that pitch and levels are live, and writes a PNG of it.
#include "../render/DemoSignal.h"
#include "../render/ParameterSetting.h"
#include "editor/PluginEditor.h"
#include "engine/PluginProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
struct SnapshotOptions
{
    juce::File output{juce::File::getCurrentWorkingDirectory().getChildFile("vivera-snapshot.png")};
    juce::File audio; // none: the built-in demo melody, unless --silent
    juce::File preset;
    bool silent = false; // no audio at all: pitch and levels as before the first block
    bool english = true;
    int width = 1240;
    int height = 900;
    int selectedBand = 0;
    float scale = 1.0f;
    std::vector<std::pair<juce::String, juce::String>> settings;
};

juce::String usage()
{
    return "usage: vivera-snapshot [-o FILE.png] [--lang en|es] [--size WIDTHxHEIGHT] [--scale FACTOR]\n"
           "                       [--audio FILE | --silent] [--preset FILE] [--set ID=VALUE]... [--select "
           "SLOT]\n"
           "Renders the editor as it looks after the audio (default: the built-in demo melody) has run\n"
           "through the plug-in, and writes it as a PNG.";
}

bool parse(const juce::StringArray& args, SnapshotOptions& o, juce::String& error)
{
    for (int i = 0; i < args.size(); ++i)
    {
        const auto& a = args[i];
        const auto next = [&]() -> juce::String
        {
            if (i + 1 >= args.size())
            {
                error = a + " expects a value";
                return {};
            }
            return args[++i];
        };
        if (a == "-o" || a == "--output")
            o.output = juce::File::getCurrentWorkingDirectory().getChildFile(next());
        else if (a == "--lang")
        {
            const auto lang = next();
            if (lang != "en" && lang != "es")
                error = "--lang expects en or es";
            o.english = lang == "en";
        }
        else if (a == "--size")
        {
            const auto size = next();
            o.width = size.upToFirstOccurrenceOf("x", false, true).getIntValue();
            o.height = size.fromFirstOccurrenceOf("x", false, true).getIntValue();
            if (o.width <= 0 || o.height <= 0 || o.width > 8000 || o.height > 8000)
                error = "--size expects WIDTHxHEIGHT, for example 1240x900";
        }
        else if (a == "--scale")
        {
            o.scale = next().getFloatValue();
            if (!(o.scale >= 0.25f && o.scale <= 4.0f))
                error = "--scale expects a factor from 0.25 to 4";
        }
        else if (a == "--audio")
            o.audio = juce::File::getCurrentWorkingDirectory().getChildFile(next());
        else if (a == "--silent")
            o.silent = true;
        else if (a == "--preset")
            o.preset = juce::File::getCurrentWorkingDirectory().getChildFile(next());
        else if (a == "--select")
            o.selectedBand = next().getIntValue();
        else if (a == "--set")
        {
            const auto setting = next();
            if (!setting.contains("="))
                error = "--set expects ID=VALUE";
            o.settings.emplace_back(setting.upToFirstOccurrenceOf("=", false, false),
                                    setting.fromFirstOccurrenceOf("=", false, false));
        }
        else if (a == "-h" || a == "--help")
            return false;
        else
            error = "unknown option " + a;
        if (error.isNotEmpty())
            return false;
    }
    return true;
}

bool loadAudio(const juce::File& file, juce::AudioBuffer<float>& audio, double& rate, juce::String& error)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(file));
    if (reader == nullptr || reader->numChannels < 1)
    {
        error = "cannot read audio file " + file.getFullPathName();
        return false;
    }
    // The editor shows the last moments; a minute is plenty.
    const auto length = static_cast<int>(
        std::min<juce::int64>(reader->lengthInSamples, static_cast<juce::int64>(reader->sampleRate * 60.0)));
    audio.setSize(2, length);
    reader->read(&audio, 0, length, 0, true, reader->numChannels > 1);
    if (reader->numChannels == 1)
        audio.copyFrom(1, 0, audio, 0, 0, length);
    rate = reader->sampleRate;
    return true;
}

// Runs the audio through the processor in host-sized blocks, ticking the editor's timer at its own rate
// over the last second so that meters and the sliding panel have settled as they would on screen.
void play(VezovevaDirADAudioProcessor& processor, VezovevaDirADAudioProcessorEditor& editor,
          const juce::AudioBuffer<float>& audio, double rate)
{
    constexpr int kBlock = 512;
    const int ticksEvery = std::max(1, static_cast<int>(rate * 0.033) / kBlock);
    const int lastSecond = std::max(0, audio.getNumSamples() - static_cast<int>(rate));
    juce::AudioBuffer<float> block(processor.getTotalNumInputChannels(), kBlock);
    juce::MidiBuffer midi;
    int blockIndex = 0;
    for (int start = 0; start < audio.getNumSamples(); start += kBlock, ++blockIndex)
    {
        const int n = std::min(kBlock, audio.getNumSamples() - start);
        block.setSize(block.getNumChannels(), n, false, false, true);
        block.clear();
        for (int c = 0; c < 2; ++c)
            block.copyFrom(c, 0, audio, c, start, n);
        processor.processBlock(block, midi);
        if (start >= lastSecond && blockIndex % ticksEvery == 0)
            editor.timerTick();
    }
}
} // namespace

int main(int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI gui;

    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add(juce::String::fromUTF8(argv[i]));
    SnapshotOptions options;
    juce::String error;
    if (!parse(args, options, error))
    {
        if (error.isNotEmpty())
            std::cerr << "vivera-snapshot: " << error << "\n";
        std::cerr << usage() << "\n";
        return error.isNotEmpty() ? 2 : 0;
    }
    useLanguage(options.english);

    VezovevaDirADAudioProcessor processor;
    if (options.preset != juce::File() && !processor.loadPresetFile(options.preset))
    {
        std::cerr << "vivera-snapshot: cannot read preset " << options.preset.getFullPathName() << "\n";
        return 1;
    }
    auto settings =
        options.audio == juce::File() && !options.silent ? demoSettings() : decltype(demoSettings()){};
    settings.insert(settings.end(), options.settings.begin(), options.settings.end());
    for (const auto& [id, value] : settings)
    {
        const auto problem = applyParameterSetting(processor, id, value);
        if (problem.isNotEmpty())
        {
            std::cerr << "vivera-snapshot: " << problem << "\n";
            return 1;
        }
    }

    juce::AudioBuffer<float> audio;
    double rate = 48000.0;
    if (options.audio != juce::File() && !loadAudio(options.audio, audio, rate, error))
    {
        std::cerr << "vivera-snapshot: " << error << "\n";
        return 1;
    }
    if (options.audio == juce::File() && !options.silent)
        audio = makeDemoMelody(rate);

    processor.setRateAndBufferSizeDetails(rate, 512);
    processor.prepareToPlay(rate, 512);

    std::unique_ptr<juce::AudioProcessorEditor> created(processor.createEditor());
    auto* editor = dynamic_cast<VezovevaDirADAudioProcessorEditor*>(created.get());
    if (editor == nullptr)
        return 1;
    editor->setSize(options.width, options.height);
    editor->selectBand(options.selectedBand);
    if (!options.silent)
        play(processor, *editor, audio, rate);
    for (int tick = 0; tick < 20; ++tick) // let the sliding panel and the texts settle
        editor->timerTick();

    const auto image = editor->createComponentSnapshot(editor->getLocalBounds(), true, options.scale);
    options.output.deleteFile();
    if (!options.output.getParentDirectory().createDirectory())
    {
        std::cerr << "vivera-snapshot: cannot create "
                  << options.output.getParentDirectory().getFullPathName() << "\n";
        return 1;
    }
    juce::FileOutputStream stream(options.output);
    juce::PNGImageFormat png;
    if (!stream.openedOk() || !png.writeImageToStream(image, stream))
    {
        std::cerr << "vivera-snapshot: cannot write " << options.output.getFullPathName() << "\n";
        return 1;
    }
    std::cout << "Wrote " << options.output.getFullPathName() << " (" << image.getWidth() << " x "
              << image.getHeight() << ")\n";
    return 0;
}
