// The design's own figures written out as literals, not read back through the editor's constants: the
// palette and look-and-feel colours, the plot's rectangle and frequency scale at the default window, every
// tooltip in both languages, and where the strips and the graph put their paint in the real window.
#include "editor/GraphTexts.h"
#include "editor/controls/EqLookAndFeel.h"
#include "editor/controls/Localisation.h"
#include "editor/controls/Palette.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
// The smallest rectangle holding every pixel of the area that is not the background colour: where a text
// (or anything else) was painted inside it. With a brightness floor, only pixels brighter than it count,
// which tells a text's glyphs from a fainter line drawn through them.
juce::Rectangle<int> inkBounds(const juce::Image& picture, juce::Rectangle<int> area, juce::Colour background,
                               float brightnessFloor = -1.0f)
{
    juce::Rectangle<int> ink;
    bool any = false;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (const auto c = picture.getPixelAt(x, y);
                c != background && c.getPerceivedBrightness() > brightnessFloor)
            {
                const juce::Rectangle<int> pixel(x, y, 1, 1);
                ink = any ? ink.getUnion(pixel) : pixel;
                any = true;
            }
    return ink;
}

// Each RGB channel within tolerance of the expected colour, opaque.
testing::AssertionResult near(juce::Colour seen, juce::Colour expected, int tolerance)
{
    const auto off = [&](juce::uint8 a, juce::uint8 b) { return std::abs(int(a) - int(b)) > tolerance; };
    if (seen.getAlpha() != 0xFF || off(seen.getRed(), expected.getRed()) ||
        off(seen.getGreen(), expected.getGreen()) || off(seen.getBlue(), expected.getBlue()))
        return testing::AssertionFailure() << seen.toDisplayString(true) << " is not within " << tolerance
                                           << " of " << expected.toDisplayString(true);
    return testing::AssertionSuccess();
}

juce::Image pictureOf(VezovevaDirADAudioProcessorEditor& editor)
{
    return editor.createComponentSnapshot(editor.getLocalBounds(), true, 1.0f);
}
} // namespace

TEST(DesignFigures, PaletteBandAndLookAndFeelColours)
{
    struct Case
    {
        const char* name;
        juce::Colour colour;
        juce::uint32 argb;
    };
    EqLookAndFeel lnf;
    const Case cases[] = {
        {"window", Palette::window, 0xFF0F0E0C},
        {"panel", Palette::panel, 0xFF181613},
        {"raised", Palette::raised, 0xFF25221D},
        {"text", Palette::text, 0xFFEEE8DC},
        {"textDim", Palette::textDim, 0xFF8C8476},
        {"gold", Palette::gold, 0xFFD8AB52},
        {"red", Palette::red, 0xFFD9584A},
        {"blue", Palette::blue, 0xFFA9B8D4},
        {"green", Palette::green, 0xFF8FBF6A},
        {"orange", Palette::orange, 0xFFE07F4A},
        {"white", Palette::white, 0xFFFFFFFF},
        {"black", Palette::black, 0xFF000000},
        {"grid", Palette::grid, 0xFF2D2923},
        {"band 1", bandColour(0), 0xFFE2B65C},
        {"band 2", bandColour(1), 0xFFC98A4B},
        {"band 3", bandColour(2), 0xFFD9C79A},
        {"band 4", bandColour(3), 0xFFB07A52},
        {"band 5", bandColour(4), 0xFFF0DFB4},
        {"band 6", bandColour(5), 0xFFCF7A4E},
        {"band 7", bandColour(6), 0xFFB3A27A},
        {"band 8", bandColour(7), 0xFFE0A878},
        {"knob value text", lnf.findColour(juce::Slider::textBoxTextColourId), 0xFFEEE8DC},
        {"knob value outline", lnf.findColour(juce::Slider::textBoxOutlineColourId), 0x00000000},
        {"knob value background", lnf.findColour(juce::Slider::textBoxBackgroundColourId), 0x00000000},
        {"label text", lnf.findColour(juce::Label::textColourId), 0xFFEEE8DC},
        {"lit button text", lnf.findColour(juce::TextButton::textColourOnId), 0xFF0F0E0C},
        {"button text", lnf.findColour(juce::TextButton::textColourOffId), 0xFFEEE8DC},
        {"menu background", lnf.findColour(juce::PopupMenu::backgroundColourId), 0xFF181613},
        {"menu text", lnf.findColour(juce::PopupMenu::textColourId), 0xFFEEE8DC},
        {"menu highlight", lnf.findColour(juce::PopupMenu::highlightedBackgroundColourId), 0xFF9A7A3A},
        {"menu highlighted text", lnf.findColour(juce::PopupMenu::highlightedTextColourId), 0xFFFFFFFF},
        {"text editor background", lnf.findColour(juce::TextEditor::backgroundColourId), 0xFF25221D},
        {"text editor text", lnf.findColour(juce::TextEditor::textColourId), 0xFFEEE8DC},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.colour.getARGB(), c.argb) << c.name << " is " << c.colour.toDisplayString(true);
}

// At the default 1240 x 900 window the graph is 1140 x 506, so its plot is 1066 x 476 from (36, 10) and
// 1 kHz sits at 36 + 1066 ln 50 / ln 1000 = 639.70. In the window's picture (the graph at (10, 172)): the
// grid lines at 1 kHz and 20 kHz are one pixel wide on the panel, start at the plot's top row and the
// -36 dB line lies on its bottom row.
TEST(DesignFigures, PlotRectangleAndFrequencyScaleAtTheDefaultWindow)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    f.editor->timerTick();
    auto& graph = f.editor->widgets().graph;
    ASSERT_EQ(graph.getBounds(), juce::Rectangle<int>(10, 172, 1140, 506));
    const auto& geo = graph.geometry();
    EXPECT_EQ(geo.plotArea, juce::Rectangle<float>(36.0f, 10.0f, 1066.0f, 476.0f));
    EXPECT_NEAR(geo.frequencyToX(1000.0), 639.70, 0.01);
    EXPECT_NEAR(geo.frequencyToX(20.0), 36.0, 0.001);
    EXPECT_NEAR(geo.frequencyToX(20000.0), 1102.0, 0.01);
    EXPECT_NEAR(geo.frequencyToX(440.0), 513.01, 0.01);

    const auto picture = pictureOf(*f.editor);
    struct Pixel
    {
        const char* what;
        int x, y;
        juce::uint32 argb;
    };
    const Pixel pixels[] = {
        {"left of the 1 kHz line", 648, 222, 0xFF181613},
        {"the 1 kHz line", 649, 222, 0xFF2D2923},
        {"right of the 1 kHz line", 650, 222, 0xFF181613},
        {"above the plot", 649, 181, 0xFF181613},
        {"the plot's top row", 649, 182, 0xFF2D2923},
        {"the 20 kHz line", 1112, 300, 0xFF2D2923},
        {"right of the plot", 1113, 300, 0xFF181613},
        {"the -36 dB line on the plot's bottom row", 400, 658, 0xFF2D2923},
        {"below the plot", 400, 659, 0xFF181613},
    };
    for (const auto& p : pixels)
        EXPECT_EQ(picture.getPixelAt(p.x, p.y).getARGB(), p.argb)
            << p.what << " at (" << p.x << ", " << p.y << ") is "
            << picture.getPixelAt(p.x, p.y).toDisplayString(true);
}

// Where the graph's numbers land in the window: "1k" centred under the 1 kHz line in the row below the
// plot, the "0" of the gain scale ending left of the plot and centred on the 0 dB line, "-70" of the level
// scale starting 4 right of the plot on its bottom edge, and the fundamental's "1" of a 220 Hz pitch
// centred on its ladder line at the plot's top.
TEST(DesignFigures, GraphLabelsWhereTheDesignPutsThem)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.processor.telemetry.publishedPitch.store(220.0f);
    f.processor.telemetry.pitchLost.store(false);
    f.processor.telemetry.publishedBandFrequency[0].store(220.0f);
    f.set("b1_mult", 1.0f);
    f.set("b1_gain", 0.0f);
    HostWindow window(*f.editor);
    f.editor->timerTick();
    const auto picture = pictureOf(*f.editor);
    const juce::Point<int> graph(10, 172); // plot: (36, 10) 1066 x 476 inside it; bottom 486

    struct Label
    {
        const char* text;
        juce::Rectangle<int> searched; // graph coordinates, clear of anything else
        float centreX, centreY;        // where the design centres the text; NAN where not fixed
        float left, right;             // where its ink must start and end; NAN where not fixed
        float brightnessFloor = -1.0f;
    };
    const float none = std::numeric_limits<float>::quiet_NaN();
    const Label labels[] = {
        // Centred in (639 - 18, 486 + 3, 36, 14).
        {"1k", {600, 488, 80, 18}, 639.5f, 496.0f, none, none},
        // Right-aligned in (0, y0 - 7, 36 - 4 - 3, 14), y0 = 486 - 476 * 36 / 48 = 129: the numbers keep 7
        // clear of the plot, where the HP grip reaches 5 beyond its line.
        {"0", {0, 118, 36, 22}, none, 129.5f, none, 29.0f},
        // Left-aligned in (1066 + 36 + 4, 486 - 7, 32, 14).
        {"-70", {1104, 474, 36, 17}, none, 486.5f, 1106.0f, none},
        // Centred in (x - 10, 10 + 2, 20, 11), x = 36 + 1066 ln 11 / ln 1000 = 406.04, in gold at alpha 0.95
        // over the harmonic's own line at alpha 0.55: only the glyph is that bright.
        {"1", {396, 11, 22, 14}, 406.5f, 17.5f, none, none, 0.45f},
    };
    for (const auto& l : labels)
    {
        const auto ink = inkBounds(picture, l.searched + graph, Palette::panel, l.brightnessFloor) - graph;
        ASSERT_FALSE(ink.isEmpty()) << l.text << " not drawn in " << l.searched.toString();
        const auto centre = ink.toFloat().getCentre();
        if (!std::isnan(l.centreX))
        {
            EXPECT_NEAR(centre.x, l.centreX, 1.5f) << l.text << " ink " << ink.toString();
        }
        if (!std::isnan(l.centreY))
        {
            EXPECT_NEAR(centre.y, l.centreY, 2.0f) << l.text << " ink " << ink.toString();
        }
        if (!std::isnan(l.left))
        {
            EXPECT_NEAR((float)ink.getX(), l.left, 1.0f) << l.text << " ink " << ink.toString();
        }
        if (!std::isnan(l.right))
        {
            EXPECT_NEAR((float)ink.getRight(), l.right, 1.0f) << l.text << " ink " << ink.toString();
        }
    }
}

// A strip's paint in the window, the strip row at (10, 686) in 142-wide cells: the accent bar is rows 2..4
// in the band's colour over the panel; the selected strip is outlined 1.5 wide in its colour at alpha 0xCC
// on the panel's edge at x 2, so three quarters of column 1 (over the window) take 0.6 of the colour; the
// activity bar runs from x 6 over (142 - 4 - 8) x amount, rows 7..9, in the dynamics blue.
TEST(DesignFigures, StripAccentBarSelectedOutlineAndActivityBar)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.set("b2_add", 1.0f);
    f.set("b1_dyn", 1.0f);
    f.processor.telemetry.bandDynamicAmount[0].store(0.5f);
    f.processor.telemetry.bandDynamicAmount[1].store(0.5f); // band 2 is not dynamic: no bar
    HostWindow hostWindow(*f.editor);
    f.editor->selectBand(0);
    for (int i = 0; i < 3; ++i)
        f.editor->timerTick();
    const auto picture = pictureOf(*f.editor);
    const auto at = [&](int strip, int x, int y)
    { return picture.getPixelAt(10 + 142 * strip + x, 686 + y); };
    const juce::Colour window(0xFF0F0E0C), panel(0xFF181613), blue(0xFFA9B8D4);
    const juce::Colour band1(0xFFE2B65C), band2(0xFFC98A4B);

    for (const auto& [strip, colour] : {std::pair{0, band1}, std::pair{1, band2}})
        for (int x : {20, 70, 120})
        {
            SCOPED_TRACE(testing::Message() << "strip " << strip << " x " << x);
            for (int y : {3, 4}) // row 2 of the selected strip lies under its outline
                EXPECT_EQ(at(strip, x, y), colour) << "row " << y;
            EXPECT_EQ(at(strip, x, 5), panel);
        }
    EXPECT_EQ(at(1, 70, 2), band2);
    EXPECT_EQ(at(1, 70, 1), window) << "an unselected strip has no outline above its bar";

    for (int y : {60, 100, 150})
    {
        SCOPED_TRACE(testing::Message() << "row " << y);
        EXPECT_EQ(at(0, 0, y), window);
        EXPECT_TRUE(near(at(0, 1, y), window.interpolatedWith(band1, 0.6f), 3)) << "selected, column 1";
        EXPECT_EQ(at(1, 0, y), window);
        EXPECT_EQ(at(1, 1, y), window) << "unselected, column 1";
        EXPECT_EQ(at(1, 2, y), panel) << "unselected, column 2";
    }

    for (int x : {8, 30, 69})
        EXPECT_EQ(at(0, x, 8), blue) << "activity bar at x " << x;
    EXPECT_EQ(at(0, 71, 8), panel) << "past half the bar's length: 6 + 65 = 71";
    EXPECT_EQ(at(1, 30, 8), panel) << "a static band shows no activity";
}

// Every tooltip of the editor in both languages, as shown: the pairs set on the editor's controls, band
// 1's strip and the dynamics panel (the threshold's text by band type), the graph's handles, and the line of
// a node's tooltip that explains its band type.
TEST(DesignFigures, EveryTooltipInBothLanguages)
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
