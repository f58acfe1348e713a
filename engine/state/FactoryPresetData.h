// The factory preset files built into the binary (generated from engine/state/presets at build time).
#pragma once

struct EmbeddedPresetFile
{
    const char* fileName;
    const char* text; // the preset file's XML, as saved by the user-preset writer or written by hand
};

extern const EmbeddedPresetFile kEmbeddedFactoryPresets[];
extern const int kNumEmbeddedFactoryPresets;
