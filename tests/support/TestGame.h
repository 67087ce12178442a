#pragma once

// What the tests share: games started on boards of their choice, boards and pieces as text,
// and everything of a board that a search or an undo must put back.

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "input/InputManager.h"
#include "player/PlayerController.h"
#include "study/RootNode.h"

// A root reached through the input manager, as the game's widgets reach it; StartGame attaches
// one board to it through the game's own set-up.
struct TestGame {
    TestGame() { InputManager::Instance().root = &root; }
    ~TestGame()
    {
        if (InputManager::Instance().root == &root) {
            InputManager::Instance().root = nullptr;
        }
    }

    RootNode root;
    TileMap* board = nullptr;  // owned by root
    PlayerController* player = nullptr;
    AIController* ai = nullptr;
};

// Path of a fixture in tests/data, or of a shipped file in data/.
inline std::string TestDataPath(const std::string& name)
{
    return std::string(TORVANE_TEST_DATA_DIR) + "/" + name;
}

inline std::string GameDataPath(const std::string& name)
{
    return std::string(TORVANE_GAME_DATA_DIR) + "/" + name;
}

// A folder of the test's own under the system's temporary folder, removed with it.
struct TempFolder {
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() { std::filesystem::remove_all(path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    static inline std::atomic<int> made{0};
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("torvane-test-" + std::to_string(getpid()) + "-" + std::to_string(made++));
};

// A file's bytes as they are; a text cut into its lines and the lines joined again.
inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

inline std::string WriteTempFile(const std::string& text)
{
    static std::atomic<int> counter{0};
    std::string path = "/tmp/torvane-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".txt";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Starts a game on a fixture of tests/data given by its name, on a file given by its path, on a map
// given as its text (lines and all) or ("") on a drawn shipped map, against `opponent` (a passive one
// when null; the board takes it over).
inline std::unique_ptr<TestGame> StartGame(const std::string& map, AIController* opponent = nullptr,
                                           bool tutorial = false)
{
    const bool text = map.find('\n') != std::string::npos;
    const bool name = !text && !map.empty() && map.find('/') == std::string::npos;
    const std::string path = text ? WriteTempFile(map) : name ? TestDataPath(map) : map;
    auto game = std::make_unique<TestGame>();
    game->ai = opponent != nullptr ? opponent : new AIController();
    game->root.aiQueue.emplace_back(game->ai);
    game->board = new TileMap();
    game->board->isTutorial = tutorial;
    game->board->mapFile = path;
    game->root.AddChild(game->board);
    game->player = dynamic_cast<PlayerController*>(game->board->teams[0]);
    if (text) {
        std::remove(path.c_str());
    }
    return game;
}

inline Vector2 Tile(int x, int y)
{
    return {static_cast<float>(x), static_cast<float>(y)};
}

inline std::string TileText(Vector2 tile)
{
    return "(" + std::to_string(static_cast<int>(tile.x)) + "," + std::to_string(static_cast<int>(tile.y)) + ")";
}

// "(1,0) (2,0)": the tiles in their order, or in reading order when the order plays no part.
inline std::string TilesText(std::vector<Vector2> tiles, bool anyOrder = false)
{
    if (anyOrder) {
        std::sort(tiles.begin(), tiles.end(), [](Vector2 a, Vector2 b) { return a.y < b.y || (a.y == b.y && a.x < b.x); });
    }
    std::string text;
    for (Vector2 tile : tiles) {
        text += (text.empty() ? "" : " ") + TileText(tile);
    }
    return text;
}

// "Knight(3,1)": a piece by its type and the tile it stands on now.
inline std::string PieceText(const Unit* unit)
{
    return unit == nullptr ? "nobody" : TypeInfo(unit->type).name + TileText(unit->GetTile());
}

// Collects its income and then keeps the turn, so that a test plays the AI side by hand.
class HeldOpponent : public AIController {
public:
    void StartTurn() override { NotifyUnitsOfTurnStart(); }
};

// Everything of a board that a search tries and an undo takes back, one line per piece so that a
// difference names the piece and the field; and apart, the sides' sight, which a restore recomputes.
struct BoardState {
    std::string text, sight;
    std::vector<Node*> children;
};

inline BoardState CaptureState(const TileMap& board)
{
    BoardState state{"team " + std::to_string(board.currentTeam) + ", history " + std::to_string(board.history.size()) +
                         (board.updateVisibility ? "" : ", vision off"),
                     "", board.children};
    for (TeamController* team : board.teams) {
        state.text += ", gold " + std::to_string(team->gold);
        state.sight += TilesText(team->visibleTiles) + "\n";
    }
    for (Unit* unit : board.GetUnits()) {
        const auto owner = std::find(board.teams.begin(), board.teams.end(), unit->team) - board.teams.begin();
        state.text += "\n" + TypeInfo(unit->type).name + " at " + std::to_string(unit->position.x) + "," +
                      std::to_string(unit->position.y) + " side " + std::to_string(owner) + " health " +
                      std::to_string(unit->health) + (unit->hasMoved ? " moved" : "") + (unit->hasAttacked ? " done" : "");
    }
    return state;
}

// The same piece objects must come back, in the same order; the sight only when asked.
inline void ExpectSameState(const BoardState& expected, const BoardState& actual, bool sight = false)
{
    EXPECT_EQ(actual.text, expected.text);
    EXPECT_TRUE(!sight || actual.sight == expected.sight) << "sight\n" << actual.sight << "instead of\n" << expected.sight;
    EXPECT_EQ(actual.children, expected.children) << "the board's children are not the same nodes in the same order";
}

// The input manager is process-wide: every test starts and ends with nothing held and no root.
class FreshInput : public testing::Test {
protected:
    static void Reset()
    {
        InputManager::Instance().held.clear();
        InputManager::Instance().root = nullptr;
    }
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Send(int32_t code, bool down = true) { InputManager::Instance().Dispatch({code, down}); }
};
