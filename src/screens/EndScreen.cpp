#include "screens/EndScreen.h"

#include <utility>

#include "core/SceneRoot.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/Label.h"

EndScreen::EndScreen(EndTexts texts_) : texts(std::move(texts_)) {}

void EndScreen::Init()
{
    const SceneRoot* root = InputManager::Instance().root;
    std::string code = root != nullptr ? root->resultCode : std::string();
    AddChild(new Label(texts.thanks, 32, BLACK));
    auto* result = new Label(code, 32, BLACK);
    result->position = {50, 60};
    AddChild(result);
    auto* request = new Label(texts.request, 32, BLACK);
    request->position = {50, 120};
    AddChild(request);
    AddChild(new Button({200, 300}, {200, 100}, this, 0, texts.button, RED, MAROON, BLACK, 18));
}

void EndScreen::Receive(int32_t)
{
    InputManager::Instance().root->advanceScene = true;
}
