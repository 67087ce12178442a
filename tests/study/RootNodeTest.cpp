#include <numeric>
#include <regex>
#include <set>

#include "ai/HPSController.h"
#include "board/GameData.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "support/TestGame.h"

// TestGame: a root reached through the input manager, as the game's widgets reach it.
namespace {
std::string Order(const RootNode& root)
{
    return std::accumulate(root.aiQueue.begin(), root.aiQueue.end(), std::string(),
                           [](std::string names, const auto& opponent) { return names + opponent->name + " "; });
}
}  // namespace

// Boards and transitions alternate, the tutorial first, the end screen last; the practice
// game and the tutorial get the passive opponent, the two scored games "a" and "b".
TEST(SceneSequence, InitShowsTheTitleAndQueuesTheOtherEightScenesInOrder)
{
    TestGame t;
    t.root.Init();
    ASSERT_EQ(t.root.children.size(), 1u);
    EXPECT_NE(dynamic_cast<TitleScreen*>(t.root.children[0]), nullptr);
    const char* const transitions[] = {"Next you will play a practice game with no AI",
                                       "Next you will play your first game", "Next you will play your second game"};
    ASSERT_EQ(t.root.scenes.size(), 8u);
    for (size_t i = 0; i < 7; i += 2) {
        auto* board = dynamic_cast<TileMap*>(t.root.scenes[i].get());
        ASSERT_NE(board, nullptr) << "scene " << i;
        EXPECT_EQ(board->isTutorial, i == 0) << "scene " << i;
        auto* transition = i < 6 ? dynamic_cast<Transition*>(t.root.scenes[i + 1].get()) : nullptr;
        EXPECT_TRUE(i == 6 || (transition != nullptr && transition->text == transitions[i / 2])) << "scene " << i + 1;
    }
    EXPECT_NE(dynamic_cast<EndScreen*>(t.root.scenes[7].get()), nullptr);
    EXPECT_TRUE(Order(t.root) == "default default a b " || Order(t.root) == "default default b a ") << Order(t.root);
}

// An odd draw of rand() puts the two-candidate opponent ("b") first; over many seeds both orders come up.
TEST(SceneSequence, TheDrawDecidesTheOrderOfTheScoredOpponents)
{
    TestGame odd;
    odd.root.QueueScoredOpponents(7);
    EXPECT_NE(dynamic_cast<HPSController*>(odd.root.aiQueue.at(0).get()), nullptr);
    EXPECT_EQ(Order(odd.root), "b a ");
    std::set<std::string> orders;
    for (unsigned seed = 0; seed < 64; ++seed) {
        TestGame t;
        srand(seed);
        t.root.QueueScoredOpponents(rand());
        orders.insert(Order(t.root));
    }
    EXPECT_EQ(orders, (std::set<std::string>{"a b ", "b a "}));
}

TEST(SceneSequence, WithNoSceneLeftTheRequestStaysAndTheSceneStaysShown)
{
    TestGame t;
    t.root.scenes.push_back(std::make_unique<EndScreen>());
    t.root.advanceScene = true;
    t.root.NextScene();
    EXPECT_FALSE(t.root.advanceScene);
    t.root.advanceScene = true;
    t.root.NextScene();
    EXPECT_TRUE(t.root.advanceScene);
    ASSERT_EQ(t.root.children.size(), 1u);
    EXPECT_NE(dynamic_cast<EndScreen*>(t.root.children[0]), nullptr);
}

// The whole study by its scenes: the tutorial and the practice game are forfeited, the first
// scored game is won by taking every castle and ending the turn, the second is forfeited. The
// code holds one group per scored game: opponent, outcome (1 the participant won), map number.
TEST(SceneSequence, AScoredWinAndAScoredForfeitGiveTheirGroupsInPlayOrder)
{
    TestGame t;
    srand(3);
    t.root.Init();
    std::string maps;
    for (int scene = 0; scene < 7; ++scene) {
        t.root.NextScene();
        auto* board = dynamic_cast<TileMap*>(t.root.children.at(0));
        if (board == nullptr) {
            continue;  // a transition
        }
        ASSERT_FALSE(board->gameOver) << "scene " << scene;
        auto* human = dynamic_cast<PlayerController*>(board->teams[0]);
        if (scene == 4) {
            for (Castle* castle : board->GetCastles()) {
                castle->team = human;
            }
            human->Receive(0);  // End Turn
        } else {
            human->Receive(1);  // Forfeit
        }
        EXPECT_TRUE(t.root.advanceScene) << "scene " << scene;
        maps += scene >= 4 ? std::to_string(GameData::Get().mapIndex + 1) : "";
    }
    t.root.NextScene();
    ASSERT_NE(dynamic_cast<EndScreen*>(t.root.children.at(0)), nullptr);
    std::smatch groups;
    ASSERT_TRUE(std::regex_match(t.root.resultCode, groups, std::regex("([ab])1([12])([ab])0([12])")))
        << t.root.resultCode;
    EXPECT_NE(groups[1], groups[3]) << "the two scored games had the same opponent";
    EXPECT_EQ(groups[2].str() + groups[4].str(), maps) << "the map numbers of the boards played";
}
