#include "support/TestGame.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "input/InputManager.h"

TestGame::TestGame()
{
    InputManager::Instance().root = &root;
}

TestGame::~TestGame()
{
    if (InputManager::Instance().root == &root) {
        InputManager::Instance().root = nullptr;
    }
}

std::string TestDataPath(const std::string& name)
{
    return std::string(TORVANE_TEST_DATA_DIR) + "/" + name;
}

std::string GameDataPath(const std::string& name)
{
    return std::string(TORVANE_GAME_DATA_DIR) + "/" + name;
}

std::string WriteTempFile(const std::string& text)
{
    static std::atomic<int> counter{0};
    std::string path = "/tmp/torvane-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".txt";
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

std::unique_ptr<TestGame> StartGame(const std::string& mapPath, AIController* opponent, bool tutorial)
{
    auto game = std::make_unique<TestGame>();
    if (opponent == nullptr) {
        opponent = new AIController();
    }
    game->root.aiQueue.emplace_back(opponent);
    auto* board = new TileMap();
    board->isTutorial = tutorial;
    board->mapFile = mapPath;
    game->board = board;
    game->root.AddChild(board);
    game->player = dynamic_cast<PlayerController*>(board->teams[0]);
    game->ai = opponent;
    return game;
}

#include "study/Frame.h"
#include "rlgl.h"

Image CaptureTree(RootNode& root)
{
    BeginDrawing();
    ClearBackground(RAYWHITE);
    DrawTree(root);
    rlDrawRenderBatchActive();
    Image image = LoadImageFromScreen();
    EndDrawing();
    return image;
}

Color PixelAt(const Image& image, int x, int y)
{
    return GetImageColor(image, x, y);
}
