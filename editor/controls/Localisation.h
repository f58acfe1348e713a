// English or Spanish, one flag for every editor in the process. Painted texts are chosen with tr() when
// drawn; tooltips are stored as Spanish/English pairs and resolved when shown, so switching the language
// takes effect at once without rebuilding any widget.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Resolves the flag on first use: the settings file's "lang", or the user's locale when none is stored.
bool isEnglish();

juce::String tr(const juce::String& spanish, const juce::String& english);

// Spanish, U+001F, English.
juce::String makeTextPair(const juce::String& spanish, const juce::String& english);

// The half of a pair for the current language; a text without the separator is returned unchanged.
juce::String pickLanguage(const juce::String& text);

// Flips the language and stores it in the settings file; the caller refreshes its texts.
void toggleLanguage();

// The per-user settings file: Vivera.settings in the folder Vidizaridaza of the application-data folder.
juce::PropertiesFile::Options settingsFileOptions();
juce::File settingsFile();

// Sets the language for this process without touching the settings file (tools that render the editor
// in a given language).
void useLanguage(bool english);

// Forgets the resolved language so the next isEnglish() reads the settings and locale again. Only tests
// and tools that change HOME or the locale need it.
void forgetLanguage();

// Whether a locale name (ISO 639 language, optionally with region and encoding) means Spanish.
bool isSpanishLocaleName(const juce::String& localeName);

// The user's interface language as an ISO 639 name ("es", "en", ...); "en" when it cannot be read.
juce::String userLanguageName();

// A tooltip window that shows the current language's half of each tooltip pair.
class LangTooltipWindow : public juce::TooltipWindow
{
public:
    LangTooltipWindow(juce::Component* parent, int millisecondsBeforeTipAppears);
    juce::String getTipFor(juce::Component& component) override;
};
