#include "editor/AboutWindow.h"

#include "editor/controls/Localisation.h"

juce::String aboutMessage()
{
    return tr(juce::String::fromUTF8("EQ dinámico que sigue el pitch: cada banda se coloca sobre un armónico "
                                     "de la nota y la sigue."),
              "Pitch-tracking dynamic EQ: every band sits on a harmonic of the note and follows it.");
}

std::unique_ptr<juce::AlertWindow> createAboutWindow(juce::Component* associatedComponent,
                                                     juce::LookAndFeel& lookAndFeel)
{
    auto window = std::make_unique<juce::AlertWindow>("Vivera", aboutMessage(),
                                                      juce::MessageBoxIconType::NoIcon, associatedComponent);
    window->setLookAndFeel(&lookAndFeel);
    window->addButton(tr("Cerrar", "Close"), 0, juce::KeyPress(juce::KeyPress::escapeKey));
    return window;
}
