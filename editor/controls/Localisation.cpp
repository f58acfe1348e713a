#include "editor/controls/Localisation.h"

#include <atomic>
#include <cstdlib>
#include <memory>

#if JUCE_WINDOWS
#include <windows.h>
#endif

namespace
{
constexpr int kUnknown = -1;
constexpr int kSpanish = 0;
constexpr int kEnglish = 1;
constexpr juce::juce_wchar kPairSeparator = 0x1F;
const char* const kLanguageKey = "lang";

std::atomic<int> languageFlag{kUnknown};

std::unique_ptr<juce::PropertiesFile> openSettings()
{
    return std::make_unique<juce::PropertiesFile>(settingsFile(), settingsFileOptions());
}
} // namespace

juce::PropertiesFile::Options settingsFileOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Vivera";
    options.filenameSuffix = ".settings";
    options.folderName = "Vidizaridaza";
    options.osxLibrarySubFolder = "Application Support";
    options.millisecondsBeforeSaving = -1; // written only by an explicit save
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    return options;
}

juce::File settingsFile()
{
#if JUCE_LINUX || JUCE_BSD
    // The framework's default here is a folder in the home directory; settings belong in the user's
    // application-data folder (~/.config), as on the other platforms.
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
        .getChildFile("Vidizaridaza")
        .getChildFile("Vivera.settings");
#else
    return settingsFileOptions().getDefaultFile();
#endif
}

bool isSpanishLocaleName(const juce::String& localeName)
{
    return localeName.trim().toLowerCase().startsWith("es");
}

juce::String userLanguageName()
{
#if JUCE_WINDOWS
    wchar_t name[255] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, name, 255) > 0)
        return juce::String(name);
    return "en";
#elif JUCE_MAC || JUCE_IOS
    const auto language = juce::SystemStats::getUserLanguage();
    return language.isNotEmpty() ? language : juce::String("en");
#else
    // POSIX: the first of these that is set names the language of messages ("es_ES.UTF-8").
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
        {
            const juce::String locale(value);
            if (locale == "C" || locale == "POSIX")
                return "en";
            return locale.upToFirstOccurrenceOf("_", false, false).upToFirstOccurrenceOf(".", false, false);
        }
    }
    return "en";
#endif
}

bool isEnglish()
{
    const int flag = languageFlag.load();
    if (flag == kSpanish || flag == kEnglish)
        return flag == kEnglish;

    const bool systemSpanish = isSpanishLocaleName(userLanguageName());
    const int stored = openSettings()->getIntValue(kLanguageKey, systemSpanish ? kSpanish : kEnglish);
    // Anything stored other than 1 (2, text) means Spanish.
    const int resolved = stored == kEnglish ? kEnglish : kSpanish;
    languageFlag.store(resolved);
    return resolved == kEnglish;
}

juce::String tr(const juce::String& spanish, const juce::String& english)
{
    return isEnglish() ? english : spanish;
}

juce::String makeTextPair(const juce::String& spanish, const juce::String& english)
{
    return spanish + juce::String::charToString(kPairSeparator) + english;
}

juce::String pickLanguage(const juce::String& text)
{
    const int separator = text.indexOfChar(kPairSeparator);
    if (separator < 0)
        return text;
    return isEnglish() ? text.substring(separator + 1) : text.substring(0, separator);
}

void toggleLanguage()
{
    const int newFlag = isEnglish() ? kSpanish : kEnglish;
    languageFlag.store(newFlag);
    // A folder that cannot be written leaves the new language in effect for this process only.
    auto settings = openSettings();
    settings->setValue(kLanguageKey, newFlag);
    settings->saveIfNeeded();
}

void useLanguage(bool english)
{
    languageFlag.store(english ? kEnglish : kSpanish);
}

void forgetLanguage()
{
    languageFlag.store(kUnknown);
}

LangTooltipWindow::LangTooltipWindow(juce::Component* parent, int delayMs)
    : juce::TooltipWindow(parent, delayMs)
{
}

juce::String LangTooltipWindow::getTipFor(juce::Component& component)
{
    // A knob's value box copies the knob's tooltip only when it is built: ask the knob, whose tooltip
    // may have changed since (or been set after the box was built).
    if (dynamic_cast<juce::Label*>(&component) != nullptr)
        if (auto* knob = dynamic_cast<juce::Slider*>(component.getParentComponent()))
            return pickLanguage(juce::TooltipWindow::getTipFor(*knob));
    return pickLanguage(juce::TooltipWindow::getTipFor(component));
}
