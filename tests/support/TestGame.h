#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "study/RootNode.h"
#include "player/PlayerController.h"

// A root with one board attached through the game's own set-up, on a map of the test's choice.
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

// The rows of the test tables print as their name, in test listings and failure messages.
namespace rows {
template <class Row>
    requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}
}  // namespace rows

// Path of a fixture in tests/data, or of a shipped file in data/.
std::string TestDataPath(const std::string& name);
std::string GameDataPath(const std::string& name);
// Writes `text` to a fresh temporary file and returns its path.
std::string WriteTempFile(const std::string& text);

// Starts a game on `mapPath` against `opponent` (a passive one when null; taken over by the board).
std::unique_ptr<TestGame> StartGame(const std::string& mapPath, AIController* opponent = nullptr,
                                    bool tutorial = false);

// Draws the tree as a frame does and reads the pixels back before the frame ends
// (needs the window of the window tests). The caller unloads the image.
Image CaptureTree(RootNode& root);
Color PixelAt(const Image& image, int x, int y);
