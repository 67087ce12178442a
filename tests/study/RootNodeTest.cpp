#include <numeric>
#include <regex>
#include <set>

#include "ai/HPSController.h"
#include "board/GameData.h"
#include "input/Label.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "support/TestGame.h"

namespace {
std::string Order(const RootNode& root)
{
    return std::accumulate(root.aiQueue.begin(), root.aiQueue.end(), std::string(),
                           [](std::string names, const auto& opponent) { return names + opponent->name + " "; });
}
}  // namespace

// The draw decides which scored opponent comes first: an odd draw of rand() puts the two-candidate
// one ("b") first, and over many seeds both orders come up. With no scene left a request to move on
// stays and the last scene stays shown.
TEST(SceneSequence, OpponentOrderAndTheLastScene)
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

    TestGame t;
    t.root.scenes.push_back(std::make_unique<EndScreen>());
    for (bool left : {false, true}) {
        t.root.advanceScene = true;
        t.root.NextScene();
        EXPECT_EQ(t.root.advanceScene, left);
    }
    ASSERT_EQ(t.root.children.size(), 1u);
    EXPECT_NE(dynamic_cast<EndScreen*>(t.root.children[0]), nullptr);
}

// The whole study by its scenes: the title, then boards and transitions alternating, the tutorial
// first, the end screen last; the practice game and the tutorial get the passive opponent. The
// tutorial and the practice game are forfeited, the first scored game is won by taking every castle
// and ending the turn, the second is forfeited. The code holds one group per scored game: opponent,
// outcome (1 the participant won), map number.
TEST(SceneSequence, AScoredWinAndAScoredForfeitGiveTheirGroupsInPlayOrder)
{
    const char* const transitions[] = {"Next you will play a practice game with no AI",
                                       "Next you will play your first game", "Next you will play your second game"};
    TestGame t;
    srand(3);
    t.root.Init();
    ASSERT_EQ(t.root.children.size(), 1u);
    EXPECT_NE(dynamic_cast<TitleScreen*>(t.root.children[0]), nullptr);
    EXPECT_EQ(t.root.scenes.size(), 8u);
    EXPECT_TRUE(Order(t.root) == "default default a b " || Order(t.root) == "default default b a ") << Order(t.root);
    std::string maps;
    for (int scene = 0; scene < 7; ++scene) {
        t.root.NextScene();
        auto* board = dynamic_cast<TileMap*>(t.root.children.at(0));
        if (scene % 2 == 1) {
            auto* transition = dynamic_cast<Transition*>(t.root.children.at(0));
            const auto* label = transition != nullptr ? dynamic_cast<Label*>(transition->children.at(0)) : nullptr;
            ASSERT_NE(label, nullptr) << "scene " << scene;
            EXPECT_EQ(label->text, transitions[scene / 2]);
            continue;
        }
        ASSERT_NE(board, nullptr) << "scene " << scene;
        ASSERT_FALSE(board->gameOver) << "scene " << scene;
        EXPECT_EQ(board->isTutorial, scene == 0);
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
