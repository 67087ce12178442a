#include "screens/ErrorScreen.h"
#include "support/WindowKit.h"

namespace {
bool Fits(const std::string& text)
{
    return MeasureText(text.c_str(), ErrorScreen::fontSize) <= ErrorScreen::maxWidth;
}

std::string WithoutSpaces(std::string text)
{
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    return text;
}
}  // namespace

// A message wider than the window, with a path far longer than a line: each line fits between the
// margins and is as full as the next word allows, the path breaks inside itself, nothing of the
// text is lost, and the drawn ink stays left of the right margin.
TEST(ErrorScreen, LongLinesWrapToTheWindowWithNothingLost)
{
    const std::string path = "/home/participant/" + std::string(180, 'x') + "/torvane";
    std::string sentence;
    for (int i = 0; i < 30; ++i) {
        sentence += " the game looked in " + std::to_string(i);
    }
    const std::string message = "TutorialMap.txt:3: bad tile\n\nIn " + path + sentence + ".";
    const ErrorScreen screen(message);

    ASSERT_GE(screen.lines.size(), 5u);
    EXPECT_EQ(screen.lines[0], "TutorialMap.txt:3: bad tile");
    EXPECT_EQ(screen.lines[1], "") << "the blank line between the paragraphs";
    EXPECT_EQ(screen.lines[2], "In") << "the path does not fit beside it, so it starts a line of its own";
    std::string joined;
    for (size_t i = 0; i < screen.lines.size(); ++i) {
        const std::string& line = screen.lines[i];
        EXPECT_TRUE(Fits(line)) << "line " << i << " is " << MeasureText(line.c_str(), ErrorScreen::fontSize)
                                << " px wide: " << line;
        const std::string& next = i + 1 < screen.lines.size() ? screen.lines[i + 1] : "";
        if (!line.empty() && !next.empty()) {
            EXPECT_FALSE(Fits(line + " " + next.substr(0, next.find(' '))))
                << "line " << i << " had room for the next word: " << line;
        }
        joined += line;
    }
    EXPECT_EQ(WithoutSpaces(joined), WithoutSpaces(message));

    const kit::Frame frame([&screen] { screen.Draw(); });
    auto inked = [&](int x0, int x1, int y0, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const Color c = frame.At(x, y);
                count += c.r + c.g + c.b < 300;
            }
        }
        return count;
    };
    const int right = 1600 - ErrorScreen::margin;
    for (size_t i = 0; i < screen.lines.size(); ++i) {
        const int top = ErrorScreen::margin + static_cast<int>(i) * ErrorScreen::lineHeight;
        EXPECT_EQ(inked(0, right, top, top + ErrorScreen::lineHeight) > 0, !screen.lines[i].empty())
            << "line " << i << ": " << screen.lines[i];
    }
    EXPECT_EQ(inked(right, 1600, 0, 900), 0) << "text drawn past the right margin";
}
