#include <regex>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/GameData.h"
#include "input/Label.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "support/TestGame.h"

namespace {
// The queued opponents by name and kind.
std::string Order(const RootNode& root)
{
    std::string names;
    for (const auto& opponent : root.aiQueue) {
        names += opponent->name + (dynamic_cast<HPSController*>(opponent.get())       ? ":hps "
                                   : dynamic_cast<MinimaxController*>(opponent.get()) ? ":minimax "
                                                                                      : " ");
    }
    return names;
}
}  // namespace

// The draw decides which scored opponent comes first: an odd one puts the two-candidate one ("b") first.
TEST(SceneSequence, AnOddDrawPutsTheTwoCandidateOpponentFirst)
{
    for (int draw : {7, 8}) {
        TestGame t;
        t.root.QueueScoredOpponents(draw);
        EXPECT_EQ(Order(t.root), draw % 2 != 0 ? "b:hps a:minimax " : "a:minimax b:hps ");
    }
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
    EXPECT_TRUE(Order(t.root) == "default default a:minimax b:hps " || Order(t.root) == "default default b:hps a:minimax ")
        << Order(t.root);
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
