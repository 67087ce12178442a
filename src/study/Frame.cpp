#include "study/Frame.h"

#include "core/DrawOrder.h"
#include "study/RootNode.h"
#include "input/CameraNode.h"
#include "input/InputManager.h"
#include "raylib.h"
#include "screens/WindowFit.h"

void DrawTree(RootNode& root)
{
    // NOTE: the 2D mode is never ended separately; the end of the frame closes it.
    if (CameraNode* camera = root.GetActiveCamera()) {
        BeginMode2D(camera->camera);
    }
    std::vector<Node*> drawList = root.CollectDescendants();
    drawList.push_back(&root);
    for (Node* node : DrawOrder(drawList)) {
        if (node->visible && (node->parent == nullptr || node->parent->IsVisibleInTree())) {
            node->Draw();
        }
    }
}

void RunFrame(RootNode& root, const WindowFit& window)
{
    InputManager::Instance().PollInput();
    root.NoteFocus(IsWindowFocused());

    root.Update();
    for (Node* child : root.GetChildren()) {
        Node::UpdateTree(child);
    }

    window.BeginFrame();
    ClearBackground(RAYWHITE);
    DrawTree(root);
    window.EndFrame();

    if (root.advanceScene) {
        root.NextScene();
    }
}
