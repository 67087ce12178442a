#pragma once

#include <deque>
#include <memory>
#include <string>

#include "core/Node.h"

class AIController;
class CameraNode;

// The top of the tree: runs the study's fixed sequence of scenes and keeps the result code.
class RootNode : public Node {
public:
    RootNode();
    ~RootNode() override;

    // Builds the nine scenes and the opponent queue, then shows the title screen.
    void Init() override;
    // Replaces the current scene by the next one; with none left, closes the window.
    void NextScene();
    CameraNode* GetActiveCamera() const;
    // Appends the two scored opponents in the order given by one draw of rand():
    // an odd draw puts "b" first.
    void QueueScoredOpponents(int draw);

    std::deque<std::unique_ptr<Node>> scenes;          // not yet shown, front first
    std::deque<std::unique_ptr<AIController>> aiQueue;  // not yet handed out, front first
    std::string resultCode;
    bool advanceScene = false;
};
