#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/TextStyle.h"

class TextFont;

// A text of a study file: where a screen draws it, and the line of the file it stands on.
struct PlacedText {
    std::string text;
    TextRoom room;
    uint32_t line = 1;
    std::string name;  // as a researcher finds it in the file: "`button` of the title scene"
};

// Refuses, with StudyFileError "path:line: what is wrong", a text that breaks its line, that needs
// a glyph `font` lacks, or that is wider than its room; `fontName` says which font ("the built-in
// font" or the file the study names). A text stands on its own line of the file; what the game
// draws itself (digits and the result code's letters) on `fontLine`.
void CheckTextsFit(const std::vector<PlacedText>& texts, const TextFont& font, const std::string& fontName,
                   uint32_t fontLine, const std::string& path);
