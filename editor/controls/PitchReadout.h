// The pitch the plug-in follows: caption, frequency, note name with octave, cents and a tuning bar.
// Orange while the frequency is locked, grey without a pitch, red while the pitch is lost, else green.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class VezovevaDirADAudioProcessor;

// Everything the readout draws for one pitch, so it can be checked without pixels.
struct PitchDisplay
{
    juce::String caption;       // "PITCH", or with the lock "PITCH  LOCKED" / "PITCH  FIJO"
    juce::String frequencyText; // "--" or "261.6 Hz"
    juce::Colour statusColour;
    bool hasNote = false;
    juce::String noteText;   // "A4", "C#3"
    juce::String centsText;  // "+12 c", "-7 c", "0 c"
    int cents = 0;           // -50..50
    bool noteDimmed = false; // drawn at half alpha while the pitch is lost
    juce::Colour dotColour;
};

PitchDisplay describePitch(float pitchHz, bool lost, bool locked);

class PitchReadout : public juce::Component
{
public:
    explicit PitchReadout(const VezovevaDirADAudioProcessor& processor);
    void paint(juce::Graphics& g) override;

private:
    const VezovevaDirADAudioProcessor& processor;
};
