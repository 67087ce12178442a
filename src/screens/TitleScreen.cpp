#include "screens/TitleScreen.h"

#include "core/SceneRoot.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/Label.h"

namespace {
Label* MakeLabel(const char* text, int32_t fontSize, Vector2 position)
{
    auto* label = new Label(text, fontSize, BLACK);
    label->position = position;
    return label;
}
}  // namespace

void TitleScreen::Init()
{
    AddChild(MakeLabel("Torvane", 32, {0, 0}));
    AddChild(MakeLabel("Welcome to my dissertation game!", 20, {100, 100}));
    AddChild(MakeLabel("This is a simple strategy game about taking over castles.", 20, {150, 130}));
    AddChild(MakeLabel("You will play a brief tutorial and a practice game with no AI, followed by two games "
                       "against two different enemy AIs.",
                       20, {150, 160}));
    AddChild(MakeLabel("The focus of this study is on the skill level and strategy of the AI, so pay close "
                       "attention to its moves.",
                       20, {150, 190}));
    AddChild(MakeLabel("At the end you will receive a 'result code'. Please enter this into the Microsoft Form "
                       "as it conveys the results of the games you played.",
                       20, {150, 220}));
    AddChild(MakeLabel("You may play the game multiple times. If you do, please record all of your result "
                       "codes in the Microsoft form.",
                       20, {150, 250}));
    AddChild(new Button({200, 300}, {200, 100}, this, 0, "Play", GREEN, DARKGREEN, BLACK, 18));
}

void TitleScreen::Receive(int32_t)
{
    InputManager::Instance().root->advanceScene = true;
}
