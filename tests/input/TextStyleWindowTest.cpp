#include "input/Label.h"
#include "input/TextFont.h"
#include "input/TextStyle.h"
#include "support/WindowKit.h"

namespace {
const std::string fontFile = GameDataPath("fonts/DejaVuSans.ttf");

// Pixels of the top-left 800 × 60 that differ between two frames.
int Differences(const kit::Frame& a, const kit::Frame& b)
{
    int differ = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 800; ++x) {
            const Color p = a.At(x, y);
            const Color q = b.At(x, y);
            differ += p.r != q.r || p.g != q.g || p.b != q.b;
        }
    }
    return differ;
}

// Pixels that differ from raylib drawing `text` at (10, 10) with the shipped font as the test loads it.
int DifferencesFromRaylib(const kit::Frame& drawn, const std::string& text, int32_t fontSize)
{
    std::vector<int> codepoints = TextFont::Codepoints(text);
    const Font font = LoadFontEx(fontFile.c_str(), fontSize, codepoints.data(), static_cast<int>(codepoints.size()));
    const float size = static_cast<float>(fontSize);
    const kit::Frame reference([&] { DrawTextEx(font, text.c_str(), {10, 10}, size, 0, BLACK); });
    UnloadFont(font);
    return Differences(drawn, reference);
}
}  // namespace

// A label draws a German caption in a study's font exactly as raylib draws it with that font file,
// and its umlauts and ß are glyphs of their own, not the '?' a font without them falls back to.
TEST(TextStyle, AStudyFontDrawsUmlautsAndSharpS)
{
    const std::string caption = "Größe: Bogenschütze, Äpfel, Übung";
    const TextFont font(fontFile, TextFont::Codepoints(caption));
    TextStyle::Use(&font);
    Label label(caption, 20, BLACK);
    label.position = {10, 10};
    const kit::Frame drawn([&] { label.Draw(); });
    TextStyle::Use(nullptr);

    EXPECT_EQ(DifferencesFromRaylib(drawn, caption, 20), 0) << "the label differs from raylib's drawing with the font";
    for (const std::string letter : {"ö", "ß", "ü", "Ä", "Ü"}) {
        TextStyle::Use(&font);
        label.text = letter;
        const kit::Frame glyph([&] { label.Draw(); });
        TextStyle::Use(nullptr);
        EXPECT_GT(DifferencesFromRaylib(glyph, "?", 20), 20) << letter << " is drawn as '?'";
        EXPECT_GT(Differences(glyph, kit::Frame([] {})), 20) << letter << " is not drawn";
    }
}

// The fit check measures without a window; with one, its widths are those raylib lays text out by:
// MeasureText's for the built-in font, MeasureTextEx's for a file at the size drawn.
TEST(TextFont, WidthsWithoutAWindowAreRaylibsOwn)
{
    const std::vector<std::string> texts = {"End Turn", "Speed:  5, Range: 1, Damage:  1, Health:  2", "W, A, S und D",
                                            "Größe «Ü» ñ é", "Ελληνικά и кириллица"};
    const TextFont builtIn;
    std::string all;
    for (const std::string& text : texts) {
        all += text;
    }
    const TextFont file(fontFile, TextFont::Codepoints(all));
    for (int32_t size : {8, 12, 18, 20, 30, 40}) {
        std::vector<int> codepoints = TextFont::Codepoints(all);
        const Font font = LoadFontEx(fontFile.c_str(), size, codepoints.data(), static_cast<int>(codepoints.size()));
        for (const std::string& text : texts) {
            if (builtIn.Missing(text).empty()) {
                EXPECT_EQ(builtIn.Width(text, size), MeasureText(text.c_str(), size)) << text << " at " << size;
            }
            EXPECT_EQ(file.Width(text, size), static_cast<int32_t>(MeasureTextEx(font, text.c_str(), size, 0).x))
                << text << " at " << size;
        }
        UnloadFont(font);
    }
}
