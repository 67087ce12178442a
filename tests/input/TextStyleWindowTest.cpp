#include "input/TextFont.h"
#include "support/WindowKit.h"

namespace {
const std::string fontFile = GameDataPath("fonts/DejaVuSans.ttf");
}  // namespace

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
