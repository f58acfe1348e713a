// Working on the graph with the mouse: hit testing, node and handle drags, double-clicks and the wheel.
#include "editor/GraphComponent.h"

#include "engine/PluginProcessor.h"

int GraphComponent::hitTestNode(juce::Point<float>) const noexcept
{
    return -1;
}

int GraphComponent::hitTestHandle(juce::Point<float>) const noexcept
{
    return kNoHandle;
}

void GraphComponent::mouseMove(const juce::MouseEvent&) {}
void GraphComponent::mouseDown(const juce::MouseEvent&) {}
void GraphComponent::mouseDrag(const juce::MouseEvent&) {}
void GraphComponent::mouseUp(const juce::MouseEvent&) {}
void GraphComponent::mouseDoubleClick(const juce::MouseEvent&) {}
void GraphComponent::mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails&) {}
