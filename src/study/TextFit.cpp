#include "study/TextFit.h"

#include <cstdio>

#include "input/TextFont.h"
#include "study/StudyFile.h"

namespace {
// A codepoint as a reader sees it, with its number: 'ß' (U+00DF).
std::string Shown(int codepoint)
{
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(codepoint));
    int bytes = 0;
    const char* utf8 = codepoint >= 32 ? CodepointToUTF8(codepoint, &bytes) : "";
    return "'" + std::string(utf8, static_cast<size_t>(bytes)) + "' (" + number + ")";
}

[[noreturn]] void Fail(const std::string& path, uint32_t line, const std::string& problem)
{
    throw StudyFileError(path + ":" + std::to_string(line) + ": " + problem);
}
}  // namespace

void CheckTextsFit(const std::vector<PlacedText>& texts, const TextFont& font, const std::string& fontName,
                   uint32_t fontLine, const std::string& path)
{
    // Gold, prices and the result code.
    const std::vector<int> ownMissing = font.Missing("0123456789ab");
    if (!ownMissing.empty()) {
        Fail(path, fontLine, fontName + " has no glyph for " + Shown(ownMissing.front()) +
                                 ", which the game draws itself (gold, prices, the result code)");
    }
    for (const PlacedText& placed : texts) {
        if (placed.text.find_first_of("\r\n") != std::string::npos) {
            Fail(path, placed.line, placed.name + " breaks its line; the game draws it on one line");
        }
        const std::vector<int> missing = font.Missing(placed.text);
        if (!missing.empty()) {
            Fail(path, placed.line, fontName + " has no glyph for " + Shown(missing.front()) + " in " + placed.name +
                                        (font.BuiltIn() ? "; name a font that has it (`font = ...`)" : ""));
        }
        const int32_t width = font.Width(placed.text, placed.room.fontSize);
        if (width > placed.room.width) {
            Fail(path, placed.line, placed.name + " is too wide: " + std::to_string(width) + " pixels at size " +
                                        std::to_string(placed.room.fontSize) + " with " + fontName +
                                        ", where it has room for " + std::to_string(placed.room.width));
        }
    }
}
