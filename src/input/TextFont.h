#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "raylib.h"

// A font file that cannot be drawn with: missing, or not a TrueType font.
class TextFontError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A font for the game's texts: raylib's built-in one, or the glyphs of a TrueType file for the
// codepoints asked for, made at each size the texts are drawn at. Measuring reads glyph metrics
// alone, so it needs no window: texts are checked before one opens, and by tools that open none.
class TextFont {
public:
    TextFont();  // raylib's built-in font
    // Throws TextFontError when the file cannot be read or is not a TrueType font.
    TextFont(const std::string& path, const std::vector<int>& codepoints);
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    bool BuiltIn() const { return data.empty(); }
    // How wide one line of `text` is drawn at `fontSize`: MeasureText's width for the built-in font.
    int32_t Width(const std::string& text, int32_t fontSize) const;
    // The codepoints of `text` that the font has no glyph for, in order, each once.
    std::vector<int> Missing(const std::string& text) const;
    // Draws one line from its top-left corner, as DrawText does with the built-in font. Needs the window.
    void Draw(const std::string& text, int32_t x, int32_t y, int32_t fontSize, Color color) const;

    // The codepoints of a UTF-8 text, in order (an invalid byte reads as '?').
    static std::vector<int> Codepoints(const std::string& text);

private:
    const Font& Metrics(int32_t fontSize) const;

    std::string data;  // the file's bytes; empty for the built-in font
    std::vector<int> codepoints;
    std::set<int> found;                       // the codepoints the file has glyphs for
    mutable std::map<int32_t, Font> metrics;   // glyph metrics per size, made without the window
    mutable std::map<int32_t, Font> drawable;  // glyphs with their texture per size, made at the first draw
};
