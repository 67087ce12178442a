#pragma once

#include <string>
#include <vector>

class WindowFit;

// What the window shows when the game cannot go on (a broken map file, missing data files): the
// message in lines that fit the window, until Escape or the close button. On Windows there is
// no console, so this is all a participant sees. Made once the window is open: it measures the
// text in the default font.
class ErrorScreen {
public:
    // Each line of the message is a paragraph, wrapped at spaces, and inside a word (a long
    // path) where a word alone is too wide.
    explicit ErrorScreen(const std::string& message);

    // Draws the lines into the frame being drawn.
    void Draw() const;
    // Draws frames into the window until it should close.
    void Show(const WindowFit& window) const;

    static constexpr int fontSize = 20;
    static constexpr int lineHeight = 30;
    static constexpr int margin = 50;
    static constexpr int maxWidth = 1600 - 2 * margin;

    std::vector<std::string> lines;

private:
    void AddParagraph(const std::string& text);
};
