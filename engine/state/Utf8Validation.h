// Strict UTF-8 check for stored text. The framework's XML reader walks past the end of a string that holds
// malformed UTF-8, so damaged state or preset bytes are refused before they reach it.
#pragma once

#include <cstddef>
#include <cstdint>

inline bool isValidUtf8(const char* text, size_t length) noexcept
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
    size_t i = 0;
    while (i < length)
    {
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        size_t extra = 0;
        std::uint32_t codePoint = 0;
        std::uint32_t minimum = 0;
        if ((lead & 0xe0) == 0xc0)
        {
            extra = 1;
            codePoint = lead & 0x1fu;
            minimum = 0x80;
        }
        else if ((lead & 0xf0) == 0xe0)
        {
            extra = 2;
            codePoint = lead & 0x0fu;
            minimum = 0x800;
        }
        else if ((lead & 0xf8) == 0xf0)
        {
            extra = 3;
            codePoint = lead & 0x07u;
            minimum = 0x10000;
        }
        else
        {
            return false;
        }

        if (length - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; ++k)
        {
            const std::uint8_t continuation = bytes[i + k];
            if ((continuation & 0xc0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (continuation & 0x3fu);
        }
        if (codePoint < minimum || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false;
        i += extra + 1;
    }
    return true;
}
