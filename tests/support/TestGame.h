#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "player/PlayerController.h"
#include "study/RootNode.h"

// A root reached through the input manager, as the game's widgets reach it; StartGame attaches
// one board to it through the game's own set-up.
struct TestGame {
    TestGame();
    ~TestGame();
    TestGame(const TestGame&) = delete;
    TestGame& operator=(const TestGame&) = delete;

    RootNode root;
    TileMap* board = nullptr;  // owned by root
    PlayerController* player = nullptr;
    AIController* ai = nullptr;
};

// Path of a fixture in tests/data, or of a shipped file in data/.
std::string TestDataPath(const std::string& name);
std::string GameDataPath(const std::string& name);
// Writes `text` to a fresh temporary file and returns its path.
std::string WriteTempFile(const std::string& text);

// Starts a game on `mapPath` against `opponent` (a passive one when null; taken over by the board).
std::unique_ptr<TestGame> StartGame(const std::string& mapPath, AIController* opponent = nullptr,
                                    bool tutorial = false);
// The same on a map given as its text.
std::unique_ptr<TestGame> StartGameOnText(const std::string& mapText, AIController* opponent = nullptr);

// Draws the tree as a frame does and reads the pixels back before the frame ends
// (needs the window of the window tests). The caller unloads the image.
Image CaptureTree(RootNode& root);
