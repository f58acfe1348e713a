#include "editor/Emblem.h"

#include <cstring>

const char* emblemSvg()
{
    // A rounded gold tile with a harmonic comb (lines at 1, 1/2, 1/3 ... of the tile) under a single arc:
    // a pitch and the bands that follow its multiples.
    return R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 128 128">)"
           R"(<rect x="4" y="4" width="120" height="120" rx="26" fill="#181613" stroke="#D8AB52" stroke-width="6"/>)"
           R"(<path d="M22 92 Q64 14 106 92" fill="none" stroke="#D8AB52" stroke-width="7" stroke-linecap="round"/>)"
           R"(<g stroke="#EEE8DC" stroke-width="7" stroke-linecap="round">)"
           R"(<line x1="34" y1="104" x2="34" y2="62"/><line x1="52" y1="104" x2="52" y2="74"/>)"
           R"(<line x1="70" y1="104" x2="70" y2="82"/><line x1="88" y1="104" x2="88" y2="88"/>)"
           R"(</g></svg>)";
}

std::unique_ptr<juce::Drawable> createEmblem()
{
    const char* svg = emblemSvg();
    return juce::Drawable::createFromImageData(svg, std::strlen(svg));
}
