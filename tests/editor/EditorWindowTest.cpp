// The editor in real windows on the (virtual) display: mouse events through the window's peer, the corner
// resizer, and the real VST3 module's editor opened and closed while audio runs.
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <thread>

namespace
{

juce::Component* findCornerResizer(juce::Component& editor)
{
    for (auto* child : editor.getChildren())
        if (dynamic_cast<juce::ResizableCornerComponent*>(child) != nullptr)
            return child;
    return nullptr;
}

void dragThroughPeer(juce::Component& target, juce::Point<int> from, juce::Point<int> by)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    const auto start = peer->getComponent().getLocalPoint(&target, from).toFloat();
    auto time = juce::Time::currentTimeMillis();
    const auto send = [&](juce::Point<float> at, bool down)
    {
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, at,
                               down ? juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier)
                                    : juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure, 0.0f, ++time);
    };
    send(start, false);
    send(start, true);
    for (int step = 1; step <= 10; ++step)
        send(start + by.toFloat() * (static_cast<float>(step) / 10.0f), true);
    send(start + by.toFloat(), false);
}
} // namespace

// Clicks reach the widgets through the real event path, and every press starts a new undo step.
TEST(EditorWindow, MouseClicksWriteParametersAndStartUndoSteps)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    auto w = f.editor->widgets();

    clickCentre(w.delta);
    EXPECT_EQ(f.get(ParamIds::monSig), 1.0f);
    clickCentre(w.side);
    EXPECT_EQ(f.get(ParamIds::monCh), 2.0f);
    clickCentre(w.bypass);
    EXPECT_EQ(f.get(ParamIds::bypass), 1.0f);
    clickCentre(w.bypass);
    EXPECT_EQ(f.get(ParamIds::bypass), 0.0f);

    // Three presses, three undo steps, undone one at a time.
    auto& undo = f.processor.undoManager;
    undo.clearUndoHistory();
    clickCentre(w.clip);
    clickCentre(w.lookahead);
    clickCentre(w.mid);
    ASSERT_EQ(f.get(ParamIds::softClip), 1.0f);
    ASSERT_EQ(f.get(ParamIds::lookahead), 0.0f);
    ASSERT_EQ(f.get(ParamIds::monCh), 1.0f);
    f.processor.parameters.copyState(); // the framework records parameter changes when it flushes them
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(f.get(ParamIds::monCh), 2.0f);
    EXPECT_EQ(f.get(ParamIds::lookahead), 0.0f);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(f.get(ParamIds::lookahead), 1.0f);
    EXPECT_EQ(f.get(ParamIds::softClip), 1.0f);

    // The add cell adds the next harmonic and selects it.
    clickCentre(w.addSlot);
    EXPECT_EQ(f.get("b2_add"), 1.0f);
    EXPECT_EQ(f.editor->getSelectedBand(), 1);
}

// Over a real window the tooltip window shows the current language's half of a widget's pair.
TEST(EditorWindow, TooltipsResolveToTheCurrentLanguage)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    window.toFront(true);
    pumpMessagesUntil([] { return juce::Process::isForegroundProcess(); }, 500);
    if (!juce::Process::isForegroundProcess())
        GTEST_SKIP() << "the virtual display gave the window no focus";
    LangTooltipWindow tips(f.editor.get(), 600);
    auto w = f.editor->widgets();
    useLanguage(true);
    EXPECT_EQ(tips.getTipFor(w.undo), "Undo (Ctrl+Z)");
    EXPECT_EQ(tips.getTipFor(w.bulb), "Bulb: turns these help messages on or off");
    useLanguage(false);
    EXPECT_EQ(tips.getTipFor(w.undo), "Deshacer (Ctrl+Z)");
    EXPECT_EQ(tips.getTipFor(w.title), "");
}

// The corner resizer drags the window within 1240..1900 x 760..1400.
TEST(EditorWindow, CornerResizerKeepsTheLimits)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    auto* corner = findCornerResizer(*f.editor);
    ASSERT_NE(corner, nullptr);

    dragThroughPeer(*corner, corner->getLocalBounds().getCentre(), {1000, 1000});
    EXPECT_EQ(f.editor->getWidth(), 1900);
    EXPECT_EQ(f.editor->getHeight(), 1400);
    EXPECT_EQ(f.editor->widgets().undo.getX(), 1900 - 10 - 40 - 6 - 28 - 10 - 140 - 82 - 30 - 3 - 30);

    corner = findCornerResizer(*f.editor);
    dragThroughPeer(*corner, corner->getLocalBounds().getCentre(), {-2000, -2000});
    EXPECT_EQ(f.editor->getWidth(), 1240);
    EXPECT_EQ(f.editor->getHeight(), 760);
    EXPECT_EQ(f.editor->widgets().graph.getHeight(), 366);
}

// The real plug-in module: its editor opened in a window, resized, closed and opened again twenty times
// while another thread runs audio through the same instance.
TEST(EditorWindow, Vst3EditorOpensAndClosesWhileAudioRuns)
{
    SettingsSandbox sandbox;
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, VIVERA_VST3_BUNDLE);
    ASSERT_EQ(found.size(), 1);
    juce::String error;
    auto plugin = format.createInstanceFromDescription(*found[0], 48000.0, 512, error);
    ASSERT_NE(plugin, nullptr) << error;
    plugin->prepareToPlay(48000.0, 512);

    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audio(
        [&]
        {
            juce::AudioBuffer<float> buffer(plugin->getTotalNumInputChannels(), 512);
            juce::MidiBuffer midi;
            double phase = 0.0;
            while (running.load())
            {
                for (int i = 0; i < 512;
                     ++i, phase += 2.0 * juce::MathConstants<double>::pi * 220.0 / 48000.0)
                    for (int c = 0; c < buffer.getNumChannels(); ++c)
                        buffer.setSample(c, i, c < 2 ? 0.3f * static_cast<float>(std::sin(phase)) : 0.0f);
                plugin->processBlock(buffer, midi);
                ++blocks;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });

    for (int round = 0; round < 20; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor(plugin->createEditorIfNeeded());
        ASSERT_NE(editor, nullptr);
        {
            HostWindow window(*editor);
            pumpMessagesUntil([] { return false; }, 40); // a few timer ticks
            for (const auto size : {juce::Point<int>{1900, 1400}, {1240, 760}, {1500, 900}})
            {
                editor->setSize(size.x, size.y);
                pumpMessagesUntil([] { return false; }, 5);
            }
        }
        // The framework's host-side embedding posts callbacks that hold its raw pointer when the embedded
        // window moves; let them run before the host's editor goes, or they would run on a deleted object.
        pumpMessagesUntil([] { return false; }, 60);
        editor.reset(); // the editor goes before the instance, as hosts do
        pumpMessagesUntil([] { return false; }, 10);
        EXPECT_EQ(plugin->getActiveEditor(), nullptr);
    }
    running = false;
    audio.join();
    EXPECT_GT(blocks.load(), 20);
    plugin->releaseResources();
}

// Directly on the processor: every opened editor is gone before the processor.
TEST(EditorWindow, EditorIsDestroyedBeforeTheProcessor)
{
    SettingsSandbox sandbox;
    auto processor = std::make_unique<VezovevaDirADAudioProcessor>();
    for (int round = 0; round < 3; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor(processor->createEditorIfNeeded());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(processor->getActiveEditor(), editor.get());
        processor->editorBeingDeleted(editor.get()); // as a host does before it deletes the editor
        editor.reset();
        EXPECT_EQ(processor->getActiveEditor(), nullptr);
    }
    processor.reset();
}
