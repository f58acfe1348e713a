// Shared pieces of the editor tests: a sandbox for the per-user settings and the locale, an editor on a
// running processor, and mouse events delivered through a real window's peer.
#pragma once

#include "editor/PluginEditor.h"
#include "engine/PluginProcessor.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

// Points HOME and the config folder at a temporary directory and sets the locale variables, restoring
// everything afterwards, so no test ever reads or writes the real user's settings.
class SettingsSandbox
{
public:
    explicit SettingsSandbox(const char* lang = "en_GB.UTF-8")
    {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "LANG", "LC_ALL", "LC_MESSAGES"})
        {
            const char* value = std::getenv(name);
            saved[name] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
        }
        home = juce::File::createTempFile("vivera-home");
        home.createDirectory();
        setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
        setenv("XDG_CONFIG_HOME", home.getChildFile(".config").getFullPathName().toRawUTF8(), 1);
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setLocale(lang);
        forgetLanguage();
    }

    ~SettingsSandbox()
    {
        for (const auto& [name, value] : saved)
        {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        home.deleteRecursively();
        forgetLanguage();
    }

    void setLocale(const char* lang)
    {
        if (lang != nullptr)
            setenv("LANG", lang, 1);
        else
            unsetenv("LANG");
    }

    juce::File file() const { return settingsFile(); }

    juce::File home;

private:
    std::map<std::string, std::optional<std::string>> saved;
};

// A processor prepared for audio and its editor, as a host opens it.
struct EditorFixture
{
    EditorFixture()
    {
        processor.setRateAndBufferSizeDetails(48000.0, 512);
        processor.prepareToPlay(48000.0, 512);
        editor.reset(dynamic_cast<VezovevaDirADAudioProcessorEditor*>(processor.createEditor()));
    }

    ~EditorFixture() { editor.reset(); }

    void set(const juce::String& id, float plainValue)
    {
        auto* parameter = processor.parameters.getParameter(id);
        ASSERT_NE(parameter, nullptr) << id;
        parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
    }

    float get(const juce::String& id) { return processor.parameters.getRawParameterValue(id)->load(); }

    VezovevaDirADAudioProcessor processor;
    std::unique_ptr<VezovevaDirADAudioProcessorEditor> editor;
};

// A plain desktop window holding an editor, as a host's plug-in window does.
class HostWindow : public juce::DocumentWindow
{
public:
    explicit HostWindow(juce::Component& content)
        : juce::DocumentWindow("Vivera", juce::Colours::black, 0, true)
    {
        setUsingNativeTitleBar(false);
        setTitleBarHeight(0);
        setContentNonOwned(&content, true);
        setTopLeftPosition(20, 20);
        setVisible(true);
    }
    ~HostWindow() override { clearContentComponent(); }
};

// Delivers a press and release at a point of a component through its window's peer, the path a real
// mouse click takes; the component must be showing on the desktop.
inline void clickThroughPeer(juce::Component& target, juce::Point<int> local,
                             juce::ModifierKeys modifiers = juce::ModifierKeys())
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    const auto inPeer = peer->getComponent().getLocalPoint(&target, local).toFloat();
    const auto time = juce::Time::currentTimeMillis();
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer, modifiers,
                           juce::MouseInputSource::defaultPressure, 0.0f, time);
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer,
                           modifiers.withFlags(juce::ModifierKeys::leftButtonModifier),
                           juce::MouseInputSource::defaultPressure, 0.0f, time + 1);
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer, modifiers,
                           juce::MouseInputSource::defaultPressure, 0.0f, time + 2);
    pumpMessagesUntil([] { return false; }, 30);
}

// Two clicks through the peer, stamped 10 ms apart, so they make a double-click however slowly the build
// under test handles the first one.
inline void doubleClickThroughPeer(juce::Component& target, juce::Point<int> local)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    const auto inPeer = peer->getComponent().getLocalPoint(&target, local).toFloat();
    const auto time = juce::Time::currentTimeMillis();
    for (const juce::int64 clickTime : {time, time + 10})
    {
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer, {},
                               juce::MouseInputSource::defaultPressure, 0.0f, clickTime);
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer,
                               juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier),
                               juce::MouseInputSource::defaultPressure, 0.0f, clickTime + 1);
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer, {},
                               juce::MouseInputSource::defaultPressure, 0.0f, clickTime + 2);
    }
    pumpMessagesUntil([] { return false; }, 30);
}

inline void clickCentre(juce::Component& target)
{
    clickThroughPeer(target, target.getLocalBounds().getCentre());
}
