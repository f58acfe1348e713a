// The graph's help texts: what a node's tooltip says about its band, and the texts of the three handles.
#pragma once

#include <juce_core/juce_core.h>

// Full type names ("Bell" .. "Sustain") and the short ones drawn on the graph ("B" .. "SU"); a type below
// 0 counts as 0, above 9 as 9.
juce::String fullTypeName(int type);
juce::String shortTypeName(int type);

// What a node's tooltip needs to know about its band.
struct NodeTooltipFacts
{
    int slot = 0;             // 0..15
    int type = 0;             // band type index
    int channel = 0;          // 0 Stereo, 1 Mid, 2 Side
    float frequencyHz = 0.0f; // the band's current frequency; 0 when it has none
    bool frozen = false;
};

// In the current language, built when shown: band, type, frequency, channel, how the type works, and the
// lock when the frequency is frozen.
juce::String nodeTooltip(const NodeTooltipFacts& facts);

// The handle's tooltip as a Spanish/English pair (code 1 detector HP, 2 detector LP, 3 sidechain); empty
// for any other code.
juce::String handleTooltip(int handle);
