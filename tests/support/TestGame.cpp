#include "support/TestGame.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "input/InputManager.h"
#include "rlgl.h"
#include "study/Frame.h"

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
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::unique_ptr<TestGame> StartGame(const std::string& mapPath, AIController* opponent, bool tutorial)
{
    auto game = std::make_unique<TestGame>();
    game->ai = opponent != nullptr ? opponent : new AIController();
    game->root.aiQueue.emplace_back(game->ai);
    game->board = new TileMap();
    game->board->isTutorial = tutorial;
    game->board->mapFile = mapPath;
    game->root.AddChild(game->board);
    game->player = dynamic_cast<PlayerController*>(game->board->teams[0]);
    return game;
}

std::unique_ptr<TestGame> StartGameOnText(const std::string& mapText, AIController* opponent)
{
    const std::string path = WriteTempFile(mapText);
    auto game = StartGame(path, opponent);
    std::remove(path.c_str());
    return game;
}

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
