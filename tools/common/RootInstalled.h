#pragma once

#include "input/InputManager.h"
#include "study/RootNode.h"

// A board's tree finds the root through the input manager: while this lives, `root` is that
// root, and the one before it comes back whatever happens.
class RootInstalled {
public:
    explicit RootInstalled(RootNode& root) : previous(InputManager::Instance().root)
    {
        InputManager::Instance().root = &root;
    }
    ~RootInstalled() { InputManager::Instance().root = previous; }
    RootInstalled(const RootInstalled&) = delete;
    RootInstalled& operator=(const RootInstalled&) = delete;

private:
    SceneRoot* previous;
};
