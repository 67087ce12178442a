#pragma once

#include <deque>
#include <memory>
#include <string>

#include "board/GameHost.h"
#include "core/SceneRoot.h"

class AIController;
class CameraNode;

// The top of the tree: runs the study's fixed sequence of scenes, hands each board its
// sides and keeps the result code.
class RootNode : public SceneRoot, public GameHost {
public:
    RootNode();
    ~RootNode() override;

    // Builds the nine scenes and the opponent queue, then shows the title screen.
    void Init() override;
    // Init with the random generator seeded from `seed`; Init itself seeds it with the time.
    void InitSeeded(unsigned seed);
    // Replaces the current scene by the next one; with none left, closes the window.
    void NextScene();
    CameraNode* GetActiveCamera() const;
    Vector2 CameraOffset() const override;

    TeamController* CreatePlayer() override;
    // The front of aiQueue; a passive side once the queue is empty (boards that tests and
    // tools start outside the sequence).
    TeamController* TakeOpponent() override;
    // Appends a scored game's three characters to resultCode and asks for the next scene.
    void GameDecided(const TileMap& board, const TeamController* winner) override;

    std::deque<std::unique_ptr<Node>> scenes;          // not yet shown, front first
    std::deque<std::unique_ptr<AIController>> aiQueue;  // not yet handed out, front first
};
