#include "input/TextFont.h"

#include <algorithm>
#include <fstream>
#include <iterator>

// raylib makes its built-in font's glyphs without a GPU, but names the call in no header.
extern "C" void LoadFontDefault(void);

namespace {
// raylib's built-in glyphs are 10 pixels high; DrawText spaces them a pixel per 10 of size.
constexpr int32_t builtInSize = 10;

Font BuiltInGlyphs()
{
    if (GetFontDefault().glyphCount == 0) {
        LoadFontDefault();  // no window yet: the glyph widths without their texture
    }
    return GetFontDefault();
}

// The glyph raylib draws for `codepoint`: its own, else '?', else the first.
const GlyphInfo& GlyphOf(const Font& font, int codepoint, float& recWidth)
{
    int index = 0;
    for (int i = 0; i < font.glyphCount; ++i) {
        if (font.glyphs[i].value == codepoint) {
            index = i;
            break;
        }
        if (font.glyphs[i].value == '?') {
            index = i;
        }
    }
    recWidth = font.recs != nullptr ? font.recs[index].width : static_cast<float>(font.glyphs[index].image.width);
    return font.glyphs[index];
}

// MeasureTextEx's width, from the glyphs alone: it measures nothing without a texture.
float LineWidth(const Font& font, const std::vector<int>& codepoints, float fontSize, float spacing)
{
    if (codepoints.empty() || font.glyphCount == 0) {
        return 0.0f;
    }
    float width = 0.0f;
    for (int codepoint : codepoints) {
        float recWidth = 0.0f;
        const GlyphInfo& glyph = GlyphOf(font, codepoint, recWidth);
        width += glyph.advanceX > 0 ? static_cast<float>(glyph.advanceX) : recWidth + static_cast<float>(glyph.offsetX);
    }
    return width * (fontSize / static_cast<float>(font.baseSize)) +
           static_cast<float>(static_cast<int>(codepoints.size()) - 1) * spacing;
}

uint32_t BigEndian(const std::string& data, size_t at, size_t bytes)
{
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i) {
        value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    }
    return value;
}

// A TrueType or OpenType file whose table directory lies within it. NOTE: raylib's font reader
// trusts the file, so anything else (a text file, a picture) is refused before it reads a byte.
bool LooksLikeFont(const std::string& data)
{
    if (data.size() < 12) {
        return false;
    }
    const uint32_t tag = BigEndian(data, 0, 4);
    if (tag != 0x00010000 && tag != 0x4F54544F /* OTTO */ && tag != 0x74727565 /* true */) {
        return false;
    }
    const size_t tables = BigEndian(data, 4, 2);
    if (tables == 0 || 12 + 16 * tables > data.size()) {
        return false;
    }
    for (size_t i = 0; i < tables; ++i) {
        const uint64_t offset = BigEndian(data, 12 + 16 * i + 8, 4);
        const uint64_t length = BigEndian(data, 12 + 16 * i + 12, 4);
        if (offset + length > data.size()) {
            return false;
        }
    }
    return true;
}

void Release(Font& font, bool withTexture)
{
    if (withTexture && IsWindowReady()) {
        UnloadFont(font);
        return;
    }
    UnloadFontData(font.glyphs, font.glyphCount);
    MemFree(font.recs);
}
}  // namespace

TextFont::TextFont() = default;

TextFont::TextFont(const std::string& path, const std::vector<int>& codepoints_) : codepoints(codepoints_)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw TextFontError("the font file \"" + path + "\" is missing");
    }
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!LooksLikeFont(data)) {
        throw TextFontError("\"" + path + "\" is not a TrueType font");
    }
    std::sort(codepoints.begin(), codepoints.end());
    codepoints.erase(std::unique(codepoints.begin(), codepoints.end()), codepoints.end());
    const Font& glyphs = Metrics(builtInSize);
    if (glyphs.glyphCount == 0) {
        throw TextFontError("\"" + path + "\" is not a TrueType font raylib can read, or has none of the letters");
    }
    for (int i = 0; i < glyphs.glyphCount; ++i) {
        found.insert(glyphs.glyphs[i].value);
    }
}

TextFont::~TextFont()
{
    for (auto& [size, font] : metrics) {
        Release(font, false);
    }
    for (auto& [size, font] : drawable) {
        Release(font, true);
    }
}

const Font& TextFont::Metrics(int32_t fontSize) const
{
    auto known = metrics.find(fontSize);
    if (known != metrics.end()) {
        return known->second;
    }
    Font font{};
    font.baseSize = fontSize;
    font.glyphs = LoadFontData(reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()),
                               fontSize, codepoints.data(), static_cast<int>(codepoints.size()), FONT_DEFAULT,
                               &font.glyphCount);
    if (font.glyphs == nullptr) {
        font.glyphCount = 0;
    }
    return metrics.emplace(fontSize, font).first->second;
}

int32_t TextFont::Width(const std::string& text, int32_t fontSize) const
{
    if (BuiltIn()) {
        const int32_t size = std::max(fontSize, builtInSize);
        return static_cast<int32_t>(LineWidth(BuiltInGlyphs(), Codepoints(text), static_cast<float>(size),
                                              static_cast<float>(size / builtInSize)));
    }
    // Each size has glyphs of its own, so a text is drawn and measured at its size: spacing 0.
    return static_cast<int32_t>(LineWidth(Metrics(fontSize), Codepoints(text), static_cast<float>(fontSize), 0.0f));
}

std::vector<int> TextFont::Missing(const std::string& text) const
{
    std::vector<int> missing;
    for (int codepoint : Codepoints(text)) {
        // The built-in font holds printable ASCII and Latin-1's letters and signs.
        const bool has = BuiltIn() ? (codepoint >= 32 && codepoint <= 126) || (codepoint >= 160 && codepoint <= 255)
                                   : found.count(codepoint) > 0;
        if (!has && std::find(missing.begin(), missing.end(), codepoint) == missing.end()) {
            missing.push_back(codepoint);
        }
    }
    return missing;
}

void TextFont::Draw(const std::string& text, int32_t x, int32_t y, int32_t fontSize, Color color) const
{
    if (BuiltIn()) {
        DrawText(text.c_str(), x, y, fontSize, color);
        return;
    }
    auto known = drawable.find(fontSize);
    if (known == drawable.end()) {
        const Font font = LoadFontFromMemory(".ttf", reinterpret_cast<const unsigned char*>(data.data()),
                                             static_cast<int>(data.size()), fontSize, codepoints.data(),
                                             static_cast<int>(codepoints.size()));
        known = drawable.emplace(fontSize, font).first;
    }
    DrawTextEx(known->second, text.c_str(), {static_cast<float>(x), static_cast<float>(y)},
               static_cast<float>(fontSize), 0.0f, color);
}

std::vector<int> TextFont::Codepoints(const std::string& text)
{
    std::vector<int> codepoints;
    for (size_t i = 0; i < text.size();) {
        int bytes = 0;
        codepoints.push_back(GetCodepointNext(text.c_str() + i, &bytes));
        i += static_cast<size_t>(std::max(bytes, 1));
    }
    return codepoints;
}
