// vivera-snapshot-check: reads a PNG written by vivera-snapshot and checks the colour at given points, so
// the snapshot tests look at the picture and not only at whether a file appeared. A point without an
// expected colour is printed, which is how the expectations are first read off a picture.
#include <juce_graphics/juce_graphics.h>

#include <iostream>

namespace
{
struct PointCheck
{
    int x = 0, y = 0;
    bool hasExpected = false;
    juce::uint32 expected = 0; // 0xRRGGBB, opaque
    int tolerance = 0;         // largest difference per channel
};

// "X,Y" or "X,Y=RRGGBB" or "X,Y=RRGGBB~TOL".
bool parse(const juce::String& text, PointCheck& check)
{
    const auto point = text.upToFirstOccurrenceOf("=", false, false);
    if (!point.containsChar(',') || !point.containsOnly("0123456789,"))
        return false;
    check.x = point.upToFirstOccurrenceOf(",", false, false).getIntValue();
    check.y = point.fromFirstOccurrenceOf(",", false, false).getIntValue();
    if (!text.containsChar('='))
        return true;
    const auto colour = text.fromFirstOccurrenceOf("=", false, false);
    const auto hex = colour.upToFirstOccurrenceOf("~", false, false);
    if (hex.length() != 6 || !hex.containsOnly("0123456789abcdefABCDEF"))
        return false;
    check.hasExpected = true;
    check.expected = static_cast<juce::uint32>(hex.getHexValue32());
    check.tolerance =
        colour.containsChar('~') ? colour.fromFirstOccurrenceOf("~", false, false).getIntValue() : 0;
    return true;
}

juce::String hexOf(juce::Colour c)
{
    return juce::String::toHexString(static_cast<int>(c.getARGB() & 0xFFFFFFu))
        .paddedLeft('0', 6)
        .toUpperCase();
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3)
    {
        std::cerr << "usage: vivera-snapshot-check FILE.png X,Y[=RRGGBB[~TOL]]...\n"
                     "Checks (or prints) the colour of the picture at each point.\n";
        return 2;
    }
    const juce::File file(
        juce::File::getCurrentWorkingDirectory().getChildFile(juce::String::fromUTF8(argv[1])));
    const auto image = juce::ImageFileFormat::loadFrom(file);
    if (!image.isValid())
    {
        std::cerr << "vivera-snapshot-check: cannot read " << file.getFullPathName() << "\n";
        return 1;
    }
    int failures = 0;
    for (int i = 2; i < argc; ++i)
    {
        PointCheck check;
        if (!parse(juce::String::fromUTF8(argv[i]), check))
        {
            std::cerr << "vivera-snapshot-check: cannot read the check " << argv[i] << "\n";
            return 2;
        }
        if (!image.getBounds().contains(check.x, check.y))
        {
            std::cerr << "(" << check.x << ", " << check.y << ") is outside the " << image.getWidth() << " x "
                      << image.getHeight() << " picture\n";
            ++failures;
            continue;
        }
        const auto seen = image.getPixelAt(check.x, check.y);
        if (!check.hasExpected)
        {
            std::cout << check.x << "," << check.y << " " << hexOf(seen) << "\n";
            continue;
        }
        const auto expected = juce::Colour(0xFF000000u | check.expected);
        const auto off = [&](juce::uint8 a, juce::uint8 b)
        { return std::abs(static_cast<int>(a) - b) > check.tolerance; };
        if (seen.getAlpha() != 0xFF || off(seen.getRed(), expected.getRed()) ||
            off(seen.getGreen(), expected.getGreen()) || off(seen.getBlue(), expected.getBlue()))
        {
            std::cerr << "(" << check.x << ", " << check.y << ") is " << hexOf(seen) << ", expected "
                      << hexOf(expected)
                      << (check.tolerance > 0 ? " within " + std::to_string(check.tolerance) : "") << "\n";
            ++failures;
        }
    }
    if (failures > 0)
        return 1;
    std::cout << "Checked " << (argc - 2) << " points of " << file.getFullPathName() << "\n";
    return 0;
}
