#include "screens/ErrorScreen.h"

#include <sstream>

#include "raylib.h"
#include "screens/WindowFit.h"

namespace {
bool Fits(const std::string& text)
{
    return MeasureText(text.c_str(), ErrorScreen::fontSize) <= ErrorScreen::maxWidth;
}

// The length of the longest start of `word` that fits, at least one character, never cutting a
// character of several bytes in two.
size_t FittingPrefix(const std::string& word)
{
    size_t length = 1;
    for (size_t next = 1; next <= word.size() && Fits(word.substr(0, next)); ++next) {
        if (next == word.size() || (static_cast<unsigned char>(word[next]) & 0xC0) != 0x80) {
            length = next;
        }
    }
    return length;
}
}  // namespace

ErrorScreen::ErrorScreen(const std::string& message)
{
    std::istringstream paragraphs(message);
    std::string paragraph;
    while (std::getline(paragraphs, paragraph)) {
        AddParagraph(paragraph);
    }
}

void ErrorScreen::AddParagraph(const std::string& text)
{
    std::istringstream words(text);
    std::string word, line;
    while (words >> word) {
        if (Fits(line.empty() ? word : line + " " + word)) {
            line += (line.empty() ? "" : " ") + word;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
        while (!Fits(word)) {
            const size_t cut = FittingPrefix(word);
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        line = word;
    }
    lines.push_back(line);  // an empty paragraph stays as a blank line
}

void ErrorScreen::Draw() const
{
    for (size_t i = 0; i < lines.size(); ++i) {
        DrawText(lines[i].c_str(), margin, margin + static_cast<int>(i) * lineHeight, fontSize, BLACK);
    }
}

void ErrorScreen::Show(const WindowFit& window) const
{
    while (!WindowShouldClose()) {
        window.BeginFrame();
        ClearBackground(RAYWHITE);
        Draw();
        window.EndFrame();
    }
}
