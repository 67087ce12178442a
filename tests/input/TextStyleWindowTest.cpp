#include "input/Label.h"
#include "input/TextFont.h"
#include "input/TextStyle.h"
#include "support/WindowKit.h"

namespace {
const std::string fontFile = GameDataPath("fonts/DejaVuSans.ttf");

// Pixels of the columns x0..x1 of the top 60 rows that differ between two frames.
int Differences(const kit::Frame& a, const kit::Frame& b, int x0 = 0, int x1 = 800)
{
    int differ = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = x0; x < x1; ++x) {
            const Color p = a.At(x, y);
            const Color q = b.At(x, y);
            differ += p.r != q.r || p.g != q.g || p.b != q.b;
        }
    }
    return differ;
}
}  // namespace

// A label draws a German caption in a study's font exactly as raylib draws it with that font file
// loaded by the test, and its umlauts and ß are glyphs of their own, not the '?' that a font
// without them falls back to.
TEST(TextStyle, AStudyFontDrawsUmlautsAndSharpS)
{
    const std::string caption = "Größe: Bogenschütze, Äpfel, Übung";
    const std::vector<std::string> letters = {"ö", "ß", "ü", "Ä", "Ü"};
    const TextFont font(fontFile, TextFont::Codepoints(caption));
    TextStyle::Use(&font);
    Label label(caption, 20, BLACK);
    label.position = {10, 10};
    const kit::Frame drawn([&] { label.Draw(); });
    // Each letter alone in a column of 40 pixels of its own.
    const kit::Frame alone([&] {
        for (size_t i = 0; i < letters.size(); ++i) {
            TextStyle::Draw(letters[i], 10 + 40 * static_cast<int32_t>(i), 10, 20, BLACK);
        }
    });
    TextStyle::Use(nullptr);

    std::vector<int> codepoints = TextFont::Codepoints(caption + "?");
    const Font own = LoadFontEx(fontFile.c_str(), 20, codepoints.data(), static_cast<int>(codepoints.size()));
    const kit::Frame reference([&] { DrawTextEx(own, caption.c_str(), {10, 10}, 20, 0, BLACK); });
    const kit::Frame fallback([&] {
        for (size_t i = 0; i < letters.size(); ++i) {
            DrawTextEx(own, "?", {10.0f + 40.0f * static_cast<float>(i), 10}, 20, 0, BLACK);
        }
    });
    UnloadFont(own);
    const kit::Frame blank([] {});

    EXPECT_EQ(Differences(drawn, reference), 0) << "the label differs from raylib's drawing with the font";
    for (size_t i = 0; i < letters.size(); ++i) {
        const int x0 = 40 * static_cast<int>(i);
        EXPECT_GT(Differences(alone, fallback, x0, x0 + 40), 20) << letters[i] << " is drawn as '?'";
        EXPECT_GT(Differences(alone, blank, x0, x0 + 40), 20) << letters[i] << " is not drawn";
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
