// A band's parameters read into the plain settings the DSP functions take. Lock-free and allocation-free,
// so the audio thread and the editor's curves read them the same way.
#pragma once

#include "engine/parameters/EngineParameters.h"

#include "dsp/AutoGain.h"
#include "dsp/BandDesign.h"
#include "dsp/DetectorSettingsRules.h"

#include <array>

vivera::dsp::BandFilterSettings readFilterSettings(const BandParameters& band,
                                                   const GlobalParameters& global) noexcept;

vivera::dsp::BandDynamicsParameters readDynamicsParameters(const BandParameters& band) noexcept;

// Every band as the auto-gain estimate sees it; frozenPitch[k] is where a frozen band k sits.
std::array<vivera::dsp::AutoGainBand, vivera::dsp::kNumBands>
readAutoGainBands(const EngineParameters& parameters,
                  const std::array<float, vivera::dsp::kNumBands>& frozenPitch) noexcept;
