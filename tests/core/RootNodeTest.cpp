#include <numeric>
#include <set>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
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

TEST(SceneSequence, InitShowsTheTitleAndQueuesTheOtherEightScenesInOrder)
{
    TestGame t;
    t.root.Init();
    ASSERT_EQ(t.root.children.size(), 1u);
    EXPECT_NE(dynamic_cast<TitleScreen*>(t.root.children[0]), nullptr);
    EXPECT_FALSE(t.root.advanceScene);

    // Boards and transitions alternate, the tutorial first, the end screen last.
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
    for (const auto& scene : t.root.scenes) {
        EXPECT_FALSE(scene->initialized) << "nothing but the title has been set up yet";
    }

    ASSERT_EQ(t.root.aiQueue.size(), 4u);
    EXPECT_EQ(t.root.aiQueue[0]->name, "default");
    EXPECT_EQ(t.root.aiQueue[1]->name, "default");
    std::set<std::string> scored = {t.root.aiQueue[2]->name, t.root.aiQueue[3]->name};
    EXPECT_EQ(scored, (std::set<std::string>{"a", "b"}));
}

// An odd draw of rand() puts the two-candidate opponent ("b") first; over many seeds both orders come up.
TEST(SceneSequence, TheDrawDecidesTheOrderOfTheScoredOpponents)
{
    TestGame odd;
    odd.root.QueueScoredOpponents(7);
    ASSERT_EQ(odd.root.aiQueue.size(), 2u);
    EXPECT_NE(dynamic_cast<HPSController*>(odd.root.aiQueue[0].get()), nullptr);
    EXPECT_EQ(Order(odd.root), "b a ");
    TestGame even;
    even.root.QueueScoredOpponents(8);
    EXPECT_NE(dynamic_cast<MinimaxController*>(even.root.aiQueue[0].get()), nullptr);
    EXPECT_EQ(Order(even.root), "a b ");

    std::set<std::string> orders;
    for (unsigned seed = 0; seed < 64; ++seed) {
        TestGame t;
        srand(seed);
        t.root.QueueScoredOpponents(rand());
        orders.insert(Order(t.root));
    }
    EXPECT_EQ(orders, (std::set<std::string>{"a b ", "b a "}));
}

TEST(SceneSequence, NextSceneReplacesTheSceneAndClearsTheRequest)
{
    TestGame t;
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
