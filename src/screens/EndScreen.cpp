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
    AddChild(new Label(texts.thanks, thanksRoom.fontSize, BLACK));
    auto* result = new Label(code, codeRoom.fontSize, BLACK);
    result->position = {50, 60};
    AddChild(result);
    auto* request = new Label(texts.request, requestRoom.fontSize, BLACK);
    request->position = {50, 120};
    AddChild(request);
    AddChild(new Button({200, 300}, {static_cast<float>(buttonRoom.width), 100}, this, 0, texts.button, RED, MAROON,
                        BLACK, buttonRoom.fontSize));
}

void EndScreen::Receive(int32_t)
{
    InputManager::Instance().root->advanceScene = true;
}

void EndScreen::ShowRecordProblem(const std::string& file, const std::string& reason)
{
    if (problem == nullptr && reason.empty()) {
        return;
    }
    if (problem == nullptr) {
        // Two short lines between the request and Quit: a long path would not fit beside the reason.
        problem = new Label("", 20, MAROON);
        problem->position = {50, 170};
        AddChild(problem);
        problemFile = new Label("", 20, MAROON);
        problemFile->position = {50, 195};
        AddChild(problemFile);
    }
    problem->text = "The study record could not be saved: " + reason + ". Quit tries again.";
    problemFile->text = file;
    problem->visible = problemFile->visible = !reason.empty();
}
