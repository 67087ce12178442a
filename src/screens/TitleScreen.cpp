#include "screens/TitleScreen.h"

#include <utility>

#include "core/SceneRoot.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/Label.h"

namespace {
Label* MakeLabel(const std::string& text, int32_t fontSize, Vector2 position)
{
    auto* label = new Label(text, fontSize, BLACK);
    label->position = position;
    return label;
}
}  // namespace

TitleScreen::TitleScreen(TitleTexts texts_) : texts(std::move(texts_)) {}

// NOTE: the first line stands apart, the others are indented below it, 30 pixels apart.
void TitleScreen::Init()
{
    AddChild(MakeLabel(texts.heading, headingRoom.fontSize, {0, 0}));
    for (size_t i = 0; i < texts.lines.size(); ++i) {
        const float row = static_cast<float>(i);
        AddChild(MakeLabel(texts.lines[i], i == 0 ? firstLineRoom.fontSize : lineRoom.fontSize,
                           i == 0 ? Vector2{100, 100} : Vector2{150, 100 + 30 * row}));
    }
    AddChild(new Button({200, 300}, {static_cast<float>(buttonRoom.width), 100}, this, 0, texts.button, GREEN,
                        DARKGREEN, BLACK, buttonRoom.fontSize));
}

void TitleScreen::Receive(int32_t)
{
    InputManager::Instance().root->advanceScene = true;
}
