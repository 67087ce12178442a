#include "screens/Transition.h"

#include <utility>

#include "core/SceneRoot.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/Label.h"

Transition::Transition(std::string text_, std::string button_) : text(std::move(text_)), button(std::move(button_))
{
}

void Transition::Init()
{
    AddChild(new Label(text, textRoom.fontSize, BLACK));
    AddChild(new Button({200, 200}, {static_cast<float>(buttonRoom.width), 100}, this, 0, button, RED, MAROON, BLACK,
                        buttonRoom.fontSize));
}

void Transition::Receive(int32_t)
{
    InputManager::Instance().root->advanceScene = true;
}
