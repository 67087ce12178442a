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
    AddChild(new Label(text, 30, BLACK));
    AddChild(new Button({200, 200}, {200, 100}, this, 0, button, RED, MAROON, BLACK, 24));
}

void Transition::Receive(int32_t)
{
    InputManager::Instance().root->advanceScene = true;
}
