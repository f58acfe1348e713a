#include "RenderOptions.h"

namespace
{
bool parsePositiveInt(const juce::String& text, int& value)
{
    if (text.isEmpty() || !text.containsOnly("0123456789"))
        return false;
    value = text.getIntValue();
    return value > 0;
}
} // namespace

juce::String renderUsage()
{
    return "usage: vivera-render [INPUT] [-o OUTPUT] [--preset FILE|NAME|NUMBER] [--set ID=VALUE]...\n"
           "                     [--sidechain FILE] [--block N] [--trace SECONDS] [--quiet]\n"
           "       vivera-render --list-presets\n"
           "Renders INPUT (WAV, AIFF or FLAC) through Vivera at the file's sample rate, with the latency\n"
           "compensated. Without INPUT it renders a built-in demo melody (with a small demo setting unless\n"
           "a preset is given). --preset takes a preset file or a factory preset by name (English or\n"
           "Spanish) or number; --list-presets shows the factory presets.";
}

std::optional<RenderOptions> parseRenderOptions(const juce::StringArray& arguments, juce::String& error)
{
    RenderOptions options;
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];
        juce::String value;
        // Every option but --quiet takes the next argument as its value.
        const bool takesValue = argument == "-o" || argument == "--output" || argument == "--preset" ||
                                argument == "--sidechain" || argument == "--set" || argument == "--block" ||
                                argument == "--trace";
        if (takesValue)
        {
            if (i + 1 >= arguments.size())
            {
                error = argument + " needs a value";
                return std::nullopt;
            }
            value = arguments[++i];
        }

        if (argument == "-o" || argument == "--output")
        {
            options.output = cwd.getChildFile(value);
        }
        else if (argument == "--preset")
        {
            options.preset = value;
        }
        else if (argument == "--sidechain")
        {
            options.sidechain = cwd.getChildFile(value);
        }
        else if (argument == "--set")
        {
            if (!value.containsChar('=') || value.upToFirstOccurrenceOf("=", false, false).trim().isEmpty())
            {
                error = "--set expects ID=VALUE, got \"" + value + "\"";
                return std::nullopt;
            }
            options.settings.emplace_back(value.upToFirstOccurrenceOf("=", false, false).trim(),
                                          value.fromFirstOccurrenceOf("=", false, false).trim());
        }
        else if (argument == "--block")
        {
            if (!parsePositiveInt(value, options.blockSize) || options.blockSize > 65536)
            {
                error = "--block expects a whole number from 1 to 65536, got \"" + value + "\"";
                return std::nullopt;
            }
        }
        else if (argument == "--trace")
        {
            options.traceInterval = value.getDoubleValue();
            if (!value.containsOnly("0123456789.") || options.traceInterval < 0.0)
            {
                error = "--trace expects seconds (0 turns it off), got \"" + value + "\"";
                return std::nullopt;
            }
        }
        else if (argument == "--list-presets")
        {
            options.listPresets = true;
        }
        else if (argument == "--quiet" || argument == "-q")
        {
            options.quiet = true;
        }
        else if (argument.startsWith("-") && argument != "-")
        {
            error = "unknown option " + argument;
            return std::nullopt;
        }
        else if (options.input == juce::File())
        {
            options.input = cwd.getChildFile(argument);
        }
        else
        {
            error = "more than one input file given";
            return std::nullopt;
        }
    }
    return options;
}
