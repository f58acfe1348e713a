#include "editor/GraphLabelLayout.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kLadderRowHeight = 11.0f;
constexpr float kLadderGap = 2.0f; // between neighbouring numbers
constexpr float kDetectorLineHeight = 14.0f;

bool meetsAny(const std::vector<LadderLabel>& placed, juce::Rectangle<float> box)
{
    return std::any_of(placed.begin(), placed.end(),
                       [&](const LadderLabel& l)
                       { return l.box.expanded(kLadderGap / 2.0f, 0.0f).intersects(box); });
}
} // namespace

float labelTextWidth(const juce::Font& font, const juce::String& text)
{
#if JUCE_MAJOR_VERSION >= 8
    return juce::GlyphArrangement::getStringWidth(font, text);
#else
    return font.getStringWidthFloat(text);
#endif
}

void placeLadderLabels(const std::vector<LadderMark>& marks, float top, const juce::Font& font,
                       std::vector<LadderLabel>& placed)
{
    placed.clear();
    const auto boxFor = [&](const LadderMark& m, float rowTop)
    {
        const float w = std::ceil(labelTextWidth(font, juce::String(m.harmonic))) + 1.0f;
        return juce::Rectangle<float>(m.x - w / 2.0f, rowTop, w, kLadderRowHeight)
            .expanded(kLadderGap / 2.0f, 0.0f);
    };
    // The numbers that must show first, then the rest where they fit.
    for (const auto& m : marks)
        if (m.harmonic == 1 || m.marked)
        {
            // Down a row at a time until it meets no number already placed.
            auto box = boxFor(m, top);
            for (int row = 1; meetsAny(placed, box); ++row)
                box = boxFor(m, top + static_cast<float>(row) * kLadderRowHeight);
            placed.push_back({m.harmonic, box.reduced(kLadderGap / 2.0f, 0.0f)});
        }
    for (const auto& m : marks)
        if (m.harmonic != 1 && !m.marked)
            if (const auto box = boxFor(m, top); !meetsAny(placed, box))
                placed.push_back({m.harmonic, box.reduced(kLadderGap / 2.0f, 0.0f)});
}

DetectorLabelBoxes placeDetectorLabels(float xHighPass, const juce::String& highPassText, float xLowPass,
                                       const juce::String& lowPassText, float top, const juce::Font& font)
{
    const float hpWidth = std::ceil(labelTextWidth(font, highPassText)) + 1.0f;
    const float lpWidth = std::ceil(labelTextWidth(font, lowPassText)) + 1.0f;
    DetectorLabelBoxes boxes;
    boxes.highPass = {xHighPass + 8.0f, top, hpWidth, kDetectorLineHeight};
    boxes.lowPass = {xLowPass - 8.0f - lpWidth, top, lpWidth, kDetectorLineHeight};
    if (boxes.lowPass.expanded(2.0f, 0.0f).intersects(boxes.highPass))
        boxes.lowPass.translate(0.0f, kDetectorLineHeight);
    return boxes;
}
