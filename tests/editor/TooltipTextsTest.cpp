// Every tooltip the editor shows, written out in both languages as the design gives them: one table, so a
// changed word in either language, or a tooltip set on the wrong widget, fails here.
#include "editor/GraphTexts.h"
#include "editor/controls/Localisation.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

// Every tooltip of the editor in both languages, as shown: the pairs set on the editor's controls, band
// 1's strip and the dynamics panel (the threshold's text by band type), the graph's handles, and the line of
// a node's tooltip that explains its band type.
TEST(TooltipTexts, EveryTooltipInBothLanguages)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.set("b1_dyn", 1.0f);
    f.editor->setSize(1240, 900);
    f.editor->selectBand(0);
    for (int i = 0; i < 20; ++i)
        f.editor->timerTick();
    auto w = f.editor->widgets();
    auto s = w.strips[0]->widgets();
    auto& p = w.dynPanel;

    using Shown = std::function<juce::String()>;
    const auto pair = [](juce::SettableTooltipClient& client) -> Shown
    { return [&client] { return pickLanguage(client.getTooltip()); }; };
    const auto handle = [](int code) -> Shown
    { return [code] { return pickLanguage(handleTooltip(code)); }; };
    const auto typeHelp = [](int type) -> Shown
    {
        return [type]
        {
            NodeTooltipFacts facts;
            facts.type = type;
            return juce::StringArray::fromLines(nodeTooltip(facts))[2];
        };
    };
    struct Row
    {
        const char* widget;
        Shown shown;
        const char* english;
        const char* spanish;
        int bandType = -1; // band 1's type while read; -1 leaves it
    };
    const Row rows[] = {
        {"undoButton", pair(w.undo), "Undo (Ctrl+Z)", "Deshacer (Ctrl+Z)"},
        {"redoButton", pair(w.redo), "Redo (Ctrl+Shift+Z / Ctrl+Y)", "Rehacer (Ctrl+Shift+Z / Ctrl+Y)"},
        {"presetButton", pair(w.preset), "Presets: your own, save", "Presets: los tuyos, guardar"},
        {"aboutButton", pair(w.about), "About Vivera", "Acerca de Vivera"},
        {"slotAButton", pair(w.slotA), "Setting A", "Ajuste A"},
        {"slotBButton", pair(w.slotB), "Setting B", "Ajuste B"},
        {"copySlotButton", pair(w.copySlot), "Copies the current setting to the other slot (A>B or B>A)",
         "Copia el ajuste actual a la otra ranura (A>B o B>A)"},
        {"addSlotButton", pair(w.addSlot), "Adds the next harmonic (with its default multiplier)",
         "Añade el siguiente armónico (aparece con su multiplicador por defecto)"},
        {"outputButton", pair(w.output), "Listen to the normal OUTPUT", "Escuchar la SALIDA normal"},
        {"deltaButton", pair(w.delta), "Listen only to what the EQ adds or removes (output minus input)",
         "Escuchar solo lo que el EQ añade o quita (salida menos entrada)"},
        {"stereoButton", pair(w.stereo), "Channel: stereo (L and R)", "Canal: estéreo (L y R)"},
        {"midButton", pair(w.mid), "Channel: MID, the L+R sum. Applies to output and delta",
         "Canal: MID, la suma L+R. Sirve para la salida y para el delta"},
        {"sideButton", pair(w.side), "Channel: SIDE, the L-R difference. Applies to output and delta",
         "Canal: SIDE, la diferencia L-R. Sirve para la salida y para el delta"},
        {"languageButton", pair(w.language), "Interface language: Spanish / English",
         "Idioma de la interfaz: español / inglés"},
        {"bulbButton", pair(w.bulb), "Bulb: turns these help messages on or off",
         "Foco: activa o desactiva estos mensajes de ayuda"},
        {"SENS knob", pair(*w.knobs[0]), "Detector confidence threshold. Low = strict, high = permissive",
         "Umbral de confianza del detector. Bajo = estricto, alto = permisivo"},
        {"GATE knob", pair(*w.knobs[1]), "Gate for detection only (audio is never cut). Minimum = OFF",
         "Gate solo para la detección (el audio nunca se corta). Mínimo = OFF"},
        {"HP knob", pair(*w.knobs[2]), "High-pass filter seen by the detector (does not affect the audio)",
         "Filtro paso alto que ve el detector (no afecta al audio)"},
        {"LP knob", pair(*w.knobs[3]), "Low-pass filter seen by the detector (does not affect the audio)",
         "Filtro paso bajo que ve el detector (no afecta al audio)"},
        {"FREQ knob", pair(*w.knobs[4]), "Manual frequency, used when the lock is closed",
         "Frecuencia manual, se usa con el candado cerrado"},
        {"SCALE knob", pair(*w.knobs[5]), "Scales the gain of all bands (50 - 200 %)",
         "Multiplica la ganancia de todas las bandas (50 - 200 %)"},
        {"bypassButton", pair(w.bypass), "Bypass: audio passes through unprocessed",
         "Bypass: el audio pasa sin procesar"},
        {"scPitchButton", pair(w.scPitch),
         "Detect pitch from the sidechain input instead of the main signal. Only affects pitch tracking; the "
         "dynamics sidechain is chosen per band (INT / EXT)",
         "Detectar el pitch desde la entrada de sidechain en lugar de la señal principal. Solo afecta al "
         "seguimiento del pitch; el sidechain de la dinámica se elige en cada banda (INT / EXT)"},
        {"autoBypassButton", pair(w.autoBypass),
         "Auto bypass: if no pitch is detected for 0.7 s the EQ fades out, and fades back in when pitch "
         "returns",
         "Auto bypass: si no se detecta pitch durante 0.7 s el EQ se desactiva con una rampa y vuelve al "
         "detectar"},
        {"autoGainButton", pair(w.autoGain),
         "Auto gain: compensates the level increase added by the EQ. Computed from the settings only (does "
         "not follow the signal), only reduces",
         "Auto gain: compensa la subida de volumen que añade el EQ. Se calcula solo con los ajustes (no "
         "sigue la señal), solo reduce"},
        {"clipButton", pair(w.clip),
         "Soft clipper: rounds off peaks that would go over 0 dBFS. Transparent below -3 dBFS, no latency",
         "Soft clipper: redondea los picos que pasarían de 0 dBFS. Exacto por debajo de -3 dBFS, sin "
         "latencia"},
        {"lookaheadButton", pair(w.lookahead),
         "Lookahead: delays the audio by 100 ms so the bands change frequency exactly when the note changes, "
         "not after. The DAW compensates for the delay on playback; turn it off for recording or live "
         "playing.",
         "Lookahead: retrasa el audio 100 ms para que las bandas cambien de frecuencia justo cuando cambia "
         "la nota, no después. El DAW compensa ese retraso al reproducir; apágalo para grabar o tocar en "
         "directo."},
        {"freeMoveButton", pair(w.freeMove),
         "Free Move: dragging a node horizontally changes its multiplier (free frequency relative to the "
         "pitch). Vertically it still changes gain / Q",
         "Free Move: arrastrar un nodo en horizontal cambia su multiplicador (frecuencia libre respecto al "
         "pitch). En vertical sigue cambiando ganancia / Q"},
        {"padlockButton", pair(w.padlock),
         "LOCK: holds the base frequency at the FREQ value (it takes the detected pitch when closed). The EQ "
         "stops following the instrument",
         "CANDADO: bloquea la frecuencia base en el valor de FREQ (al cerrarlo toma el pitch detectado). El "
         "EQ deja de seguir al instrumento"},
        {"multiplierLabel", pair(s.multiplier), "Double-click to type a multiplier (0.25 - 256)",
         "Doble clic para escribir un multiplicador (0.25 - 256)"},
        {"onButton", pair(s.on), "Enable / disable the band", "Activar / desactivar la banda"},
        {"typeButton", pair(s.type), "Band type (click to change). Menu: multiplier, type, slope, channel",
         "Tipo de la banda (clic para cambiarlo). Menú: multiplicador, tipo, pendiente, canal"},
        {"soloButton", pair(s.solo), "Solo: hear only this band", "Solo: oír solo esta banda"},
        {"dynButton", pair(s.dyn),
         "Dynamics: the band only acts depending on the level of its range (settings in the dynamics panel)",
         "Dinámica: la banda solo actúa según el nivel de esa zona (ajustes en el panel de dinámica)"},
        {"removeButton", pair(s.remove), "Remove this harmonic (the + slot comes back)",
         "Quitar este armónico (vuelve el hueco con el +)"},
        {"lockButton", pair(s.lock),
         "LOCK: freezes this band's frequency. It stops following the pitch and stays where it is now",
         "CANDADO: congela la frecuencia de esta banda. Deja de seguir al pitch y se queda donde está ahora"},
        {"threshKnob, Bell", pair(p.threshKnob),
         "Threshold: level (dBFS) of the band range at which it starts acting",
         "Umbral: nivel (dBFS) de la zona de la banda a partir del cual empieza a actuar",
         vivera::dsp::kBandBell},
        {"threshKnob, Transient", pair(p.threshKnob),
         "Attack sensitivity: to the left it reacts to small attacks, to the right only to strong ones",
         "Sensibilidad al ataque: a la izquierda reacciona a ataques pequeños, a la derecha solo a los "
         "fuertes",
         vivera::dsp::kBandTransient},
        {"threshKnob, Sustain", pair(p.threshKnob),
         "Attack sensitivity: to the left it reacts to small attacks, to the right only to strong ones",
         "Sensibilidad al ataque: a la izquierda reacciona a ataques pequeños, a la derecha solo a los "
         "fuertes",
         vivera::dsp::kBandSustain},
        {"threshKnob, Sibilance", pair(p.threshKnob),
         "Relative threshold (dB relative to the whole signal): the closer to 0, the stronger the band must "
         "be to count as sibilant",
         "Umbral relativo (dB respecto al total de la señal): cuanto más cerca de 0, más tiene que pesar la "
         "banda para considerarla sibilante",
         vivera::dsp::kBandSibilance},
        {"ratioKnob", pair(p.ratioKnob),
         "How strongly the band responds past the threshold. 1:1 = none, 20:1 = almost a limiter",
         "Cuánto responde la banda al pasar el umbral. 1:1 = nada, 20:1 = casi limitador"},
        {"attackKnob", pair(p.attackKnob), "Time it takes to start acting once the condition is met",
         "Tiempo que tarda en empezar a actuar cuando se cumple la condición"},
        {"releaseKnob", pair(p.releaseKnob),
         "Time it takes to stop acting once the condition is no longer met",
         "Tiempo que tarda en dejar de actuar cuando deja de cumplirse"},
        {"kneeKnob", pair(p.kneeKnob), "Smooth transition around the threshold (0 = hard)",
         "Transición suave alrededor del umbral (0 = brusca)"},
        {"rangeKnob", pair(p.rangeKnob),
         "How many dB of reduction are needed for the band to apply its FULL setting (gain × action)",
         "Cuántos dB de reducción hacen falta para que la banda aplique su ajuste COMPLETO (ganancia × "
         "actuación)"},
        {"scFreqKnob", pair(p.scFreqKnob),
         "Sidechain (SC) filter frequency relative to the band: ×1 = the same, ×2 = one octave up, ×0.5 = "
         "one down. Works for internal and external SC. Can also be dragged in the analyzer",
         "Frecuencia del filtro de sidechain (SC) respecto a la de la banda: ×1 = la misma, ×2 = una octava "
         "arriba, ×0.5 = una abajo. Vale para SC interno y externo. También se arrastra en el analizador"},
        {"scQKnob", pair(p.scQKnob),
         "Sidechain filter width: higher Q = listens to a very narrow range only (Band shape only; mouse "
         "wheel over the analyzer handle)",
         "Anchura del filtro de sidechain: más Q = escucha solo una zona muy estrecha (solo con forma Band; "
         "rueda del ratón sobre el tirador del analizador)"},
        {"modeChoice", pair(p.modeChoice),
         "Above: acts when the level EXCEEDS the threshold (de-essing, taming resonances). Below: acts when "
         "the level falls BELOW it (lift only quiet parts)",
         "Above: actúa cuando el nivel SUPERA el umbral (de-esser, cortar resonancias). Below: actúa cuando "
         "el nivel queda POR DEBAJO (realzar solo lo débil)"},
        {"detectorChoice", pair(p.detectorChoice),
         "Detector type: Peak reacts to peaks, RMS to average energy",
         "Tipo de detector: Peak reacciona a picos, RMS a la energía media"},
        {"sourceChoice", pair(p.sourceChoice),
         "What the detector listens to: INT = the track's own signal, EXT = the DAW sidechain input (EXT is "
         "disabled if nothing is connected)",
         "Qué escucha el detector: INT = la propia señal de la pista, EXT = la entrada de sidechain del DAW "
         "(si no hay ninguna conectada, EXT se apaga)"},
        {"shapeChoice", pair(p.shapeChoice),
         "Sidechain filter shape: Band = narrow bell, High = listens to everything above SC FREQ, Low = "
         "everything below",
         "Forma del filtro de sidechain: Band = campana estrecha, High = escucha todo lo que queda por "
         "encima de SC FREQ, Low = todo lo que queda por debajo"},
        {"freeButton", pair(p.freeButton),
         "FREE: unlocks the SC FREQ steps. Off, the knob snaps to ×0.25, ×0.5, ×1, ×1.5, ×2, ×3, ×4. On, it "
         "moves freely",
         "FREE: desbloquea los saltos de SC FREQ. Apagado, el mando salta a ×0.25, ×0.5, ×1, ×1.5, ×2, ×3, "
         "×4. Encendido, se mueve libremente"},
        {"Sidechain (3)", handle(3),
         "SC (detector sidechain): drag horizontally to move SC FREQ (multiple of the band frequency), mouse "
         "wheel = SC Q, double-click = reset.",
         "SC (sidechain del detector): arrastra en horizontal para mover SC FREQ (múltiplo de la frecuencia "
         "de la banda), rueda del ratón = SC Q, doble clic = reiniciar."},
        {"Detector HP (1)", handle(1),
         "Detector HP: the pitch detector ignores everything below. Drag to move, double-click to reset.",
         "Detector HP: el detector de pitch ignora lo que queda por debajo. Arrastra para moverlo, doble "
         "clic para reiniciar."},
        {"Detector LP (2)", handle(2),
         "Detector LP: the pitch detector ignores everything above. Drag to move, double-click to reset.",
         "Detector LP: el detector de pitch ignora lo que queda por encima. Arrastra para moverlo, doble "
         "clic para reiniciar."},
        {"type 0 help", typeHelp(0),
         "Bell: boosts or cuts the area around the band frequency. Q = width (higher Q, narrower).",
         "Campana: sube o baja la zona alrededor de la frecuencia de la banda. Q = anchura (más Q, más "
         "estrecha)."},
        {"type 1 help", typeHelp(1),
         "Low shelf: boosts or cuts EVERYTHING below the frequency. Q = resonance at the corner.",
         "Shelf grave: sube o baja TODO lo que queda por debajo de la frecuencia. Q = resonancia en la "
         "esquina."},
        {"type 2 help", typeHelp(2),
         "High shelf: boosts or cuts EVERYTHING above the frequency. Q = resonance at the corner.",
         "Shelf agudo: sube o baja TODO lo que queda por encima de la frecuencia. Q = resonancia en la "
         "esquina."},
        {"type 3 help", typeHelp(3),
         "Notch: removes a very narrow area, ideal for taking out a single harmonic. Q = width.",
         "Notch: elimina una zona muy estrecha, ideal para quitar un armónico concreto. Q = anchura."},
        {"type 4 help", typeHelp(4),
         "High pass: cuts everything below the frequency. The slope sets how steep it is.",
         "Paso alto: corta lo que queda por debajo de la frecuencia. La pendiente decide lo brusco que es."},
        {"type 5 help", typeHelp(5),
         "Low pass: cuts everything above the frequency. The slope sets how steep it is.",
         "Paso bajo: corta lo que queda por encima de la frecuencia. La pendiente decide lo brusco que es."},
        {"type 6 help", typeHelp(6),
         "Transient: bell that ONLY acts on attacks (when the band level jumps suddenly). SENS = attack "
         "sensitivity. Positive gain enhances the attack, negative softens it.",
         "Transient: campana que SOLO actúa en los ataques (cuando el nivel de la banda salta de golpe). "
         "SENS = sensibilidad al ataque. Ganancia positiva realza el ataque, negativa lo suaviza."},
        {"type 7 help", typeHelp(7),
         "Sibilance: bell that acts when the band is too strong relative to the whole signal (independent of "
         "volume). With negative gain it is a de-esser that works in any range; with positive gain it adds "
         "air.",
         "Sibilance: campana que actúa cuando la banda pesa demasiado respecto al total de la señal (no "
         "depende del volumen). Con ganancia negativa es un de-esser que puede trabajar en cualquier zona; "
         "con positiva realza el aire."},
        {"type 8 help", typeHelp(8),
         "Background: bell that only acts when the band level falls BELOW the threshold (lift or lower quiet "
         "parts, ambience).",
         "Background: campana que solo actúa cuando el nivel de la banda queda POR DEBAJO del umbral "
         "(realzar o bajar lo débil, la ambiencia)."},
        {"type 9 help", typeHelp(9),
         "Sustain: the opposite of Transient. Only acts on the sustain and tail, leaving attacks untouched.",
         "Sustain: lo contrario de Transient. Solo actúa en el sostenido y la cola, y deja intactos los "
         "ataques."},
    };
    for (const auto& row : rows)
    {
        if (row.bandType >= 0)
        {
            f.set("b1_type", static_cast<float>(row.bandType));
            f.editor->timerTick();
        }
        useLanguage(true);
        EXPECT_EQ(row.shown(), juce::String::fromUTF8(row.english)) << row.widget;
        useLanguage(false);
        EXPECT_EQ(row.shown(), juce::String::fromUTF8(row.spanish)) << row.widget;
    }
    // The two knobs of the output group have none.
    EXPECT_TRUE(w.knobs[6]->getTooltip().isEmpty());
    EXPECT_TRUE(w.knobs[7]->getTooltip().isEmpty());
}
