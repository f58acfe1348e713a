#include "editor/GraphTexts.h"

#include "editor/controls/BandText.h"
#include "editor/controls/Localisation.h"

#include <algorithm>

namespace
{
constexpr int kTypeCount = 10;

int typeIndex(int type)
{
    return std::clamp(type, 0, kTypeCount - 1);
}

juce::String utf8(const char* text)
{
    return juce::String::fromUTF8(text);
}

struct TextPair
{
    const char* spanish;
    const char* english;
};

juce::String inCurrentLanguage(const TextPair& text)
{
    return tr(utf8(text.spanish), utf8(text.english));
}

const TextPair kChannelTexts[] = {
    {"Stereo (L y R)", "Stereo (L and R)"},
    {"Mid (solo el centro)", "Mid (center only)"},
    {"Side (solo la diferencia L-R)", "Side (L-R difference only)"},
};

const TextPair kTypeHelp[kTypeCount] = {
    {"Campana: sube o baja la zona alrededor de la frecuencia de la banda. Q = anchura (más Q, más "
     "estrecha).",
     "Bell: boosts or cuts the area around the band frequency. Q = width (higher Q, narrower)."},
    {"Shelf grave: sube o baja TODO lo que queda por debajo de la frecuencia. Q = resonancia en la esquina.",
     "Low shelf: boosts or cuts EVERYTHING below the frequency. Q = resonance at the corner."},
    {"Shelf agudo: sube o baja TODO lo que queda por encima de la frecuencia. Q = resonancia en la esquina.",
     "High shelf: boosts or cuts EVERYTHING above the frequency. Q = resonance at the corner."},
    {"Notch: elimina una zona muy estrecha, ideal para quitar un armónico concreto. Q = anchura.",
     "Notch: removes a very narrow area, ideal for taking out a single harmonic. Q = width."},
    {"Paso alto: corta lo que queda por debajo de la frecuencia. La pendiente decide lo brusco que es.",
     "High pass: cuts everything below the frequency. The slope sets how steep it is."},
    {"Paso bajo: corta lo que queda por encima de la frecuencia. La pendiente decide lo brusco que es.",
     "Low pass: cuts everything above the frequency. The slope sets how steep it is."},
    {"Transient: campana que SOLO actúa en los ataques (cuando el nivel de la banda salta de golpe). SENS = "
     "sensibilidad al ataque. Ganancia positiva realza el ataque, negativa lo suaviza.",
     "Transient: bell that ONLY acts on attacks (when the band level jumps suddenly). SENS = attack "
     "sensitivity. Positive gain enhances the attack, negative softens it."},
    {"Sibilance: campana que actúa cuando la banda pesa demasiado respecto al total de la señal (no depende "
     "del volumen). Con ganancia negativa es un de-esser que puede trabajar en cualquier zona; con positiva "
     "realza el aire.",
     "Sibilance: bell that acts when the band is too strong relative to the whole signal (independent of "
     "volume). With negative gain it is a de-esser that works in any range; with positive gain it adds air."},
    {"Background: campana que solo actúa cuando el nivel de la banda queda POR DEBAJO del umbral (realzar o "
     "bajar lo débil, la ambiencia).",
     "Background: bell that only acts when the band level falls BELOW the threshold (lift or lower quiet "
     "parts, ambience)."},
    {"Sustain: lo contrario de Transient. Solo actúa en el sostenido y la cola, y deja intactos los ataques.",
     "Sustain: the opposite of Transient. Only acts on the sustain and tail, leaving attacks untouched."},
};

const TextPair kHandleTexts[] = {
    {"Detector HP: el detector de pitch ignora lo que queda por debajo. Arrastra para moverlo, doble clic "
     "para reiniciar.",
     "Detector HP: the pitch detector ignores everything below. Drag to move, double-click to reset."},
    {"Detector LP: el detector de pitch ignora lo que queda por encima. Arrastra para moverlo, doble clic "
     "para reiniciar.",
     "Detector LP: the pitch detector ignores everything above. Drag to move, double-click to reset."},
    {"SC (sidechain del detector): arrastra en horizontal para mover SC FREQ (múltiplo de la frecuencia de "
     "la banda), rueda del ratón = SC Q, doble clic = reiniciar.",
     "SC (detector sidechain): drag horizontally to move SC FREQ (multiple of the band frequency), mouse "
     "wheel = SC Q, double-click = reset."},
};
} // namespace

juce::String fullTypeName(int type)
{
    static const char* const names[kTypeCount] = {"Bell",       "Low Shelf", "High Shelf", "Notch",
                                                  "High Pass",  "Low Pass",  "Transient",  "Sibilance",
                                                  "Background", "Sustain"};
    return names[typeIndex(type)];
}

juce::String shortTypeName(int type)
{
    static const char* const names[kTypeCount] = {"B", "LS", "HS", "N", "HP", "LP", "TR", "SI", "BG", "SU"};
    return names[typeIndex(type)];
}

juce::String nodeTooltip(const NodeTooltipFacts& facts)
{
    juce::String text = tr("BANDA ", "BAND ") + juce::String(facts.slot + 1) + " - " +
                        fullTypeName(facts.type) + " (" + shortTypeName(facts.type) + ")";
    if (facts.frequencyHz > 0.0f)
        text << " - " << formatFrequency(facts.frequencyHz);
    text << "\n" << inCurrentLanguage(kChannelTexts[std::clamp(facts.channel, 0, 2)]);
    text << "\n" << inCurrentLanguage(kTypeHelp[typeIndex(facts.type)]);
    if (facts.frozen)
        text << "\n" << tr(utf8("CANDADO: la frecuencia está fijada."), "LOCK: the frequency is frozen.");
    return text;
}

juce::String handleTooltip(int handle)
{
    if (handle < 1 || handle > 3)
        return {};
    const auto& text = kHandleTexts[handle - 1];
    return makeTextPair(utf8(text.spanish), utf8(text.english));
}
