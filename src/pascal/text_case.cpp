#include "pascal/builtins.h"

namespace shutterhand::pascal {

namespace {

// Decodes one UTF-8 character at text[i]; returns its length, or 0 for an invalid sequence.
int decode(std::string_view text, std::size_t i, uint32_t& cp)
{
    auto b = static_cast<unsigned char>(text[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + static_cast<std::size_t>(len) > text.size())
        return 0;
    cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < len; ++k) {
        auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    return len;
}

void encode(uint32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

uint32_t toUpper(uint32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        bool evenUpper = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (evenUpper && (c & 1) && c != 0x131)
            return c - 1;
        if (oddUpper && !(c & 1))
            return c - 1;
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 32;
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x430 && c <= 0x44F)
        return c - 32;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    return c;
}

uint32_t toLower(uint32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        bool evenUpper = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (evenUpper && !(c & 1) && c != 0x130)
            return c + 1;
        if (oddUpper && (c & 1))
            return c + 1;
        return c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 32;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

template <typename Map> std::string mapCase(std::string_view text, Map map)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        uint32_t cp;
        int len = decode(text, i, cp);
        if (len == 0) {
            out += text[i++];  // not UTF-8: the byte stays as it is
            continue;
        }
        encode(map(cp), out);
        i += static_cast<std::size_t>(len);
    }
    return out;
}

}  // namespace

std::string utf8Upper(std::string_view text) { return mapCase(text, toUpper); }

std::string utf8Lower(std::string_view text) { return mapCase(text, toLower); }

}  // namespace shutterhand::pascal
