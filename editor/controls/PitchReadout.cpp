#include "editor/controls/PitchReadout.h"

#include "editor/controls/Localisation.h"
#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
const std::array<const char*, 12> kNoteNames{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// Takes at most `height` from the top of the rows still left.
juce::Rectangle<float> takeRow(float& top, float& left, float x, float width, float height)
{
    const float h = std::min(left, height);
    juce::Rectangle<float> row(x, top, width, h);
    top += h;
    left -= h;
    return row;
}
} // namespace

PitchDisplay describePitch(float f, bool lost, bool locked)
{
    PitchDisplay d;
    d.caption = locked ? tr("PITCH  FIJO", "PITCH  LOCKED") : juce::String("PITCH");
    if (locked)
        d.statusColour = Palette::orange;
    else if (!(f > 0.0f))
        d.statusColour = Palette::textDim;
    else if (lost)
        d.statusColour = Palette::red;
    else
        d.statusColour = Palette::green;

    if (!(f > 0.0f) || !std::isfinite(f))
    {
        d.frequencyText = "--";
        return d;
    }
    d.frequencyText = juce::String(f, 1) + " Hz";

    const double m = 12.0 * std::log2(static_cast<double>(f) / 440.0) + 69.0;
    const double n = std::round(m);
    const auto note = static_cast<int>(n);
    d.cents = static_cast<int>(std::round((m - n) * 100.0));
    const int octave = static_cast<int>(std::floor(n / 12.0)) - 1;
    d.hasNote = true;
    d.noteText =
        juce::String(kNoteNames[static_cast<size_t>(((note % 12) + 12) % 12)]) + juce::String(octave);
    d.centsText = (d.cents > 0 ? "+" : "") + juce::String(d.cents) + " c";
    d.noteDimmed = lost;
    d.dotColour = std::abs(d.cents) <= 10 ? Palette::green : Palette::orange;
    return d;
}

PitchReadout::PitchReadout(const VezovevaDirADAudioProcessor& processorToRead) : processor(processorToRead)
{
    setInterceptsMouseClicks(false, false);
    // Repainted on every tick; painting every pixel (its corners in the window colour) spares the editor
    // from painting its background behind it each time.
    setOpaque(true);
}

void PitchReadout::paint(juce::Graphics& g)
{
    const float w = static_cast<float>(getWidth());
    const float h = static_cast<float>(getHeight());
    fillOpaquePanel(g, getLocalBounds().toFloat(), 6.0f, Palette::panel);

    const float W = std::max(w - 20.0f, 0.0f);
    const float H = std::max(h - 16.0f, 0.0f);
    if (W <= 0.0f || H <= 0.0f)
        return;

    const auto d =
        describePitch(processor.telemetry.publishedPitch.load(), processor.telemetry.pitchLost.load(),
                      processor.globalParameters().lock.isOn());
    float top = 8.0f;
    float left = H;
    const float x = 10.0f;

    g.setColour(Palette::textDim);
    g.setFont(boldFont(9.5f));
    g.drawText(d.caption, takeRow(top, left, x, W, 12.0f), juce::Justification::centredLeft, true);

    g.setColour(d.statusColour);
    g.setFont(boldFont(28.0f));
    g.drawText(d.frequencyText, takeRow(top, left, x, W, 36.0f), juce::Justification::centredLeft, true);

    if (!d.hasNote)
        return;

    const auto noteRow = takeRow(top, left, x, W, 22.0f);
    const auto noteFont = boldFont(18.0f);
    const float noteWidth =
        std::min(W, std::ceil(static_cast<float>(noteFont.getStringWidthFloat(d.noteText))) + 8.0f);
    g.setFont(noteFont);
    g.setColour(Palette::text.withAlpha(static_cast<juce::uint8>(d.noteDimmed ? 128 : 255)));
    g.drawText(d.noteText, noteRow.withWidth(noteWidth), juce::Justification::centredLeft, true);
    g.setFont(plainFont(11.0f));
    g.setColour(Palette::textDim);
    g.drawText(d.centsText,
               juce::Rectangle<float>(x + noteWidth, noteRow.getY(), W - noteWidth, noteRow.getHeight()),
               juce::Justification::centredLeft, true);

    takeRow(top, left, x, W, 6.0f);
    const auto bar = takeRow(top, left, x, W, 4.0f);
    g.setColour(Palette::raised);
    g.fillRoundedRectangle(bar, 2.0f);
    g.setColour(Palette::textDim);
    g.fillRect(x + W / 2.0f - 0.5f, bar.getY() - 2.0f, 1.0f, bar.getHeight() + 4.0f);
    const float dotX = x + W / 2.0f + (static_cast<float>(d.cents) / 50.0f) * W / 2.0f;
    const float dotY = bar.getY() + bar.getHeight() / 2.0f;
    g.setColour(d.dotColour);
    g.fillEllipse(dotX - 4.0f, dotY - 4.0f, 8.0f, 8.0f);
}
