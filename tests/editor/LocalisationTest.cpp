#include "editor/controls/Localisation.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

namespace
{
void writeSettings(const juce::File& file, const juce::String& text)
{
    ASSERT_TRUE(file.getParentDirectory().createDirectory());
    ASSERT_TRUE(file.replaceWithText(text));
}

juce::String storedLanguage(const juce::File& file)
{
    juce::PropertiesFile settings(file, settingsFileOptions());
    return settings.getValue("lang", "absent");
}
} // namespace

// With no settings file the user's locale decides: Spanish when its language is "es..", else English.
TEST(Localisation, FirstStartFollowsTheLocale)
{
    struct Case
    {
        const char* lang;
        bool english;
    };
    for (const auto& c :
         {Case{"es_ES.UTF-8", false}, Case{"es", false}, Case{"es_MX", false}, Case{"en_US.UTF-8", true},
          Case{"de_DE.UTF-8", true}, Case{"C", true}, Case{nullptr, true}, Case{"es_AR.ISO-8859-1", false}})
    {
        SettingsSandbox sandbox(c.lang);
        EXPECT_EQ(isEnglish(), c.english) << (c.lang != nullptr ? c.lang : "(unset)");
        EXPECT_FALSE(sandbox.file().exists()) << "reading the language must not create the settings file";
    }

    // The language of messages wins over the general locale.
    SettingsSandbox sandbox("en_GB.UTF-8");
    setenv("LC_MESSAGES", "es_ES.UTF-8", 1);
    EXPECT_FALSE(isEnglish());
}

TEST(Localisation, SettingsFileLivesInTheApplicationDataFolder)
{
    SettingsSandbox sandbox;
    EXPECT_EQ(settingsFile(), sandbox.home.getChildFile(".config/Vidizaridaza/Vivera.settings"));
}

// Once toggled, the stored value wins over the locale; anything stored other than 1 means Spanish.
TEST(Localisation, ToggleWritesLangAndStoredValuesWin)
{
    {
        SettingsSandbox sandbox("es_ES.UTF-8");
        ASSERT_FALSE(isEnglish());
        toggleLanguage();
        EXPECT_TRUE(isEnglish());
        EXPECT_EQ(storedLanguage(sandbox.file()), "1");
        forgetLanguage(); // a new process with the same settings
        EXPECT_TRUE(isEnglish());
        toggleLanguage();
        EXPECT_EQ(storedLanguage(sandbox.file()), "0");
    }

    struct Case
    {
        const char* stored;
        const char* lang;
        bool english;
    };
    for (const auto& c : {Case{"1", "es_ES.UTF-8", true}, Case{"0", "en_GB.UTF-8", false},
                          Case{"2", "en_GB.UTF-8", false}, Case{"abc", "en_GB.UTF-8", false}})
    {
        SettingsSandbox sandbox(c.lang);
        juce::PropertiesFile settings(sandbox.file(), settingsFileOptions());
        settings.setValue("lang", c.stored);
        ASSERT_TRUE(settings.save());
        forgetLanguage();
        EXPECT_EQ(isEnglish(), c.english) << "stored " << c.stored;
    }
}

// Damaged or unwritable settings never stop the editor: the locale default, or the language in memory.
TEST(Localisation, BadSettingsFilesAreSurvived)
{
    {
        SettingsSandbox sandbox("es_ES.UTF-8");
        writeSettings(sandbox.file(), "\x01\x02 this is not XML <PROPERTIES><VALUE name=");
        EXPECT_FALSE(isEnglish());
    }
    {
        SettingsSandbox sandbox("en_GB.UTF-8");
        // A file where the folder should be: nothing can be written there.
        ASSERT_TRUE(sandbox.home.getChildFile(".config").createDirectory());
        ASSERT_TRUE(sandbox.home.getChildFile(".config/Vidizaridaza").replaceWithText("blocking"));
        ASSERT_TRUE(isEnglish());
        toggleLanguage();
        EXPECT_FALSE(isEnglish()) << "the new language stays in effect for this process";
    }
}

TEST(Localisation, TextPairsResolvePerLanguage)
{
    SettingsSandbox sandbox;
    const auto pair = makeTextPair("hola", "hello");
    EXPECT_EQ(pair, juce::String("hola") + juce::String::charToString(0x1F) + "hello");

    useLanguage(true);
    EXPECT_EQ(pickLanguage(pair), "hello");
    EXPECT_EQ(tr("hola", "hello"), "hello");
    EXPECT_EQ(pickLanguage("neutral"), "neutral");
    useLanguage(false);
    EXPECT_EQ(pickLanguage(pair), "hola");
    EXPECT_EQ(tr("hola", "hello"), "hola");
    EXPECT_EQ(pickLanguage("neutral"), "neutral");
    EXPECT_EQ(pickLanguage(makeTextPair("", "only English")), ""); // no tooltip in Spanish
}

// Every editor in the process speaks the same language: a click on one editor's language button relabels
// that editor at once, and another open editor at its next tick, with nothing else making it repaint.
TEST(Localisation, TwoEditorsShareTheLanguage)
{
    SettingsSandbox sandbox("en_GB.UTF-8");
    EditorFixture first;
    EditorFixture second;
    HostWindow secondWindow(*second.editor);
    HostWindow firstWindow(*first.editor); // the one in front, which the user clicks
    EXPECT_EQ(first.editor->widgets().language.getButtonText(), "EN");
    EXPECT_EQ(second.editor->widgets().output.getButtonText(), "OUTPUT");

    clickCentre(first.editor->widgets().language);
    EXPECT_EQ(first.editor->widgets().language.getButtonText(), "ES");
    EXPECT_EQ(first.editor->widgets().output.getButtonText(), "SALIDA");
    EXPECT_FALSE(isEnglish());
    second.editor->timerTick();
    EXPECT_EQ(second.editor->widgets().language.getButtonText(), "ES");
    EXPECT_EQ(second.editor->widgets().output.getButtonText(), "SALIDA");

    EditorFixture later; // opened afterwards: starts in the current language
    EXPECT_EQ(later.editor->widgets().language.getButtonText(), "ES");
}

// A factory preset is stored by its English name; the preset button names it in the interface's language,
// as the menu does.
TEST(Localisation, TheFactoryPresetNameFollowsTheLanguage)
{
    SettingsSandbox sandbox("en_GB.UTF-8");
    EditorFixture f;
    const auto& preset = VezovevaDirADAudioProcessor::factoryPresets().front();
    f.processor.loadFactoryPreset(0);
    const auto arrow = juce::String::fromUTF8("  \xe2\x96\xbe");
    for (const bool english : {false, true})
    {
        useLanguage(english);
        f.editor->timerTick();
        EXPECT_EQ(f.editor->widgets().preset.getButtonText(),
                  (english ? preset.englishName : preset.spanishName) + arrow);
    }
}
