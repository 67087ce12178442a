#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/TileMap.h"
#include "core/RootNode.h"
#include "input/InputManager.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"

namespace {
// A root reached through the input manager, as the game's widgets reach it.
struct RootUnderTest {
    RootNode root;
    RootUnderTest() { InputManager::Instance().root = &root; }
    ~RootUnderTest() { InputManager::Instance().root = nullptr; }
};

std::string Order(const RootNode& root)
{
    std::string names;
    for (const auto& opponent : root.aiQueue) {
        names += opponent->name + " ";
    }
    return names;
}
}  // namespace

TEST(SceneSequence, InitShowsTheTitleAndQueuesTheOtherEightScenesInOrder)
{
    RootUnderTest t;
    t.root.Init();
    ASSERT_EQ(t.root.children.size(), 1u);
    EXPECT_NE(dynamic_cast<TitleScreen*>(t.root.children[0]), nullptr);
    EXPECT_FALSE(t.root.advanceScene);

    ASSERT_EQ(t.root.scenes.size(), 8u);
    auto board = [&](size_t i) { return dynamic_cast<TileMap*>(t.root.scenes[i].get()); };
    auto transition = [&](size_t i) { return dynamic_cast<Transition*>(t.root.scenes[i].get()); };
    ASSERT_NE(board(0), nullptr);
    EXPECT_TRUE(board(0)->isTutorial);
    ASSERT_NE(transition(1), nullptr);
    EXPECT_EQ(transition(1)->text, "Next you will play a practice game with no AI");
    ASSERT_NE(board(2), nullptr);
    EXPECT_FALSE(board(2)->isTutorial);
    ASSERT_NE(transition(3), nullptr);
    EXPECT_EQ(transition(3)->text, "Next you will play your first game");
    ASSERT_NE(board(4), nullptr);
    ASSERT_NE(transition(5), nullptr);
    EXPECT_EQ(transition(5)->text, "Next you will play your second game");
    ASSERT_NE(board(6), nullptr);
    EXPECT_FALSE(board(6)->isTutorial);
    EXPECT_NE(dynamic_cast<EndScreen*>(t.root.scenes[7].get()), nullptr);
    // Nothing but the title has been set up yet.
    for (const auto& scene : t.root.scenes) {
        EXPECT_FALSE(scene->initialized);
    }

    ASSERT_EQ(t.root.aiQueue.size(), 4u);
    EXPECT_EQ(t.root.aiQueue[0]->name, "default");
    EXPECT_EQ(t.root.aiQueue[1]->name, "default");
    std::set<std::string> scored = {t.root.aiQueue[2]->name, t.root.aiQueue[3]->name};
    EXPECT_EQ(scored, (std::set<std::string>{"a", "b"}));
}

TEST(SceneSequence, AnOddDrawPutsTheTwoCandidateOpponentFirst)
{
    RootUnderTest odd;
    odd.root.QueueScoredOpponents(7);
    ASSERT_EQ(odd.root.aiQueue.size(), 2u);
    EXPECT_NE(dynamic_cast<HPSController*>(odd.root.aiQueue[0].get()), nullptr);
    EXPECT_EQ(Order(odd.root), "b a ");

    RootUnderTest even;
    even.root.QueueScoredOpponents(8);
    EXPECT_NE(dynamic_cast<MinimaxController*>(even.root.aiQueue[0].get()), nullptr);
    EXPECT_EQ(Order(even.root), "a b ");
}

TEST(SceneSequence, OverManySeedsBothOrdersAreDrawn)
{
    std::set<std::string> orders;
    for (unsigned seed = 0; seed < 64; ++seed) {
        RootUnderTest t;
        srand(seed);
        t.root.QueueScoredOpponents(rand());
        orders.insert(Order(t.root));
    }
    EXPECT_EQ(orders, (std::set<std::string>{"a b ", "b a "}));
}

TEST(SceneSequence, NextSceneReplacesTheSceneAndClearsTheRequest)
{
    RootUnderTest t;
    t.root.scenes.push_back(std::make_unique<Transition>("one"));
    t.root.scenes.push_back(std::make_unique<EndScreen>());
    t.root.NextScene();
    t.root.advanceScene = true;
    t.root.NextScene();
    ASSERT_EQ(t.root.children.size(), 1u);
    EXPECT_NE(dynamic_cast<EndScreen*>(t.root.children[0]), nullptr);
    EXPECT_FALSE(t.root.advanceScene);
    EXPECT_TRUE(t.root.scenes.empty());

    // With no scene left the request stays set and the current scene stays shown.
    t.root.advanceScene = true;
    t.root.NextScene();
    EXPECT_TRUE(t.root.advanceScene);
    EXPECT_EQ(t.root.children.size(), 1u);
}
