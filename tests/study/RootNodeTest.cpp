#include <ctime>
#include <regex>
#include <set>

#include "ai/HPSController.h"
#include "board/GameData.h"
#include "input/Label.h"
#include "screens/EndScreen.h"
#include "screens/Transition.h"
#include "support/TestGame.h"

namespace {
// The queued opponents by name, the two-candidate one marked.
std::string Order(const RootNode& root)
{
    std::string names;
    for (const auto& opponent : root.aiQueue) {
        names += opponent->name + (dynamic_cast<HPSController*>(opponent.get()) != nullptr ? ":hps " : " ");
    }
    return names;
}
}  // namespace

// Seeded alike, the generator gives the same draws whoever calls it. Init draws four times after
// seeding: the opponent order (an odd draw puts the two-candidate opponent "b" first), then the maps
// of the three boards after the tutorial; over many seeds both orders occur. Without a seed Init
// seeds with the time in seconds.
TEST(SceneSequence, TheDrawAfterSeedingOrdersTheScoredOpponents)
{
    std::set<std::string> orders;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        TestGame t;
        t.root.seed = seed;
        t.root.Init();
        const int next = rand();
        srand(seed);
        const int draw = rand();
        EXPECT_EQ(Order(t.root), draw % 2 != 0 ? "default default b:hps a " : "default default a b:hps ") << draw;
        for (int board = 0; board < 3; ++board) {
            EXPECT_EQ(t.root.NextMapIndex(), rand() % 2) << "seed " << seed << ", board " << board;
        }
        EXPECT_EQ(next, rand()) << "seed " << seed << ": not four draws after seeding";
        orders.insert(Order(t.root));
    }
    EXPECT_EQ(orders.size(), 2u);
    // Unless the second turns meanwhile, Init's next draw is the one the time gives.
    const time_t before = time(nullptr);
    TestGame t;
    t.root.Init();
    const int next = rand();
    srand(static_cast<unsigned>(before));
    for (int draw = 0; draw < 4; ++draw) {
        rand();
    }
    EXPECT_TRUE(next == rand() || time(nullptr) != before) << "Init did not seed with the time";
}

// A study that meets the opponent drawn first once more, after a game of one map and before one of
// three: a game naming "a" plays whichever was drawn first; the game of one map draws nothing, so the
// draws after the order are the practice game's, the first game's, then the last game's out of three.
TEST(SceneSequence, AGameMeetsTheOpponentDrawnIntoItsPlace)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        TestGame t;
        t.root.study = PlainStudy();
        std::vector<StudyScene>& scenes = t.root.study.scenes;
        scenes[7].maps = {"Map2.txt"};
        StudyScene third = scenes[5];
        third.maps = {"Map1.txt", "Map2.txt", "Map1.txt"};
        scenes.insert(scenes.end() - 1, third);
        t.root.seed = seed;
        t.root.Init();
        const int next = rand();
        srand(seed);
        const bool swapped = rand() % 2 != 0;
        EXPECT_EQ(Order(t.root), swapped ? "default default b:hps a b:hps " : "default default a b:hps a ")
            << "seed " << seed;
        for (int draws : {2, 2, 3}) {
            EXPECT_EQ(t.root.NextMapIndex(), rand() % draws) << "seed " << seed << ", a board of " << draws << " maps";
        }
        EXPECT_EQ(next, rand()) << "seed " << seed << ": not four draws after seeding";
    }
}

// The whole study by its scenes after the title: boards and transitions alternating, the tutorial
// first, the end screen last; the practice game and the tutorial get the passive opponent. The
// tutorial and the practice game are forfeited, the first scored game is won by taking every castle
// and ending the turn, the second is forfeited. The code holds one group per scored game: opponent,
// outcome (1 the participant won), map number.
TEST(SceneSequence, AScoredWinAndAScoredForfeitGiveTheirGroupsInPlayOrder)
{
    TestGame t;
    t.root.Init();
    std::string shown, maps;
    for (int scene = 0; scene < 8; ++scene) {
        t.root.NextScene();
        Node* now = t.root.children.at(0);
        auto* board = dynamic_cast<TileMap*>(now);
        if (auto* transition = dynamic_cast<Transition*>(now)) {
            shown += dynamic_cast<Label&>(*transition->children.at(0)).text + "|";
        } else if (board != nullptr && !board->gameOver) {
            shown += board->isTutorial ? "tutorial|" : "game|";
            auto* human = dynamic_cast<PlayerController*>(board->teams[0]);
            for (Castle* castle : scene == 4 ? board->GetCastles() : std::vector<Castle*>()) {
                castle->team = human;
            }
            human->Receive(scene == 4 ? 0 : 1);  // End Turn holding every castle, or Forfeit
            EXPECT_TRUE(t.root.advanceScene) << "scene " << scene;
            maps += scene >= 4 ? std::to_string(GameData::Get().mapIndex + 1) : "";
        } else {
            shown += dynamic_cast<EndScreen*>(now) != nullptr ? "end" : "?";
        }
    }
    EXPECT_EQ(shown, "tutorial|Next you will play a practice game with no AI|game|Next you will play your first game|"
                     "game|Next you will play your second game|game|end");
    std::smatch groups;
    ASSERT_TRUE(std::regex_match(t.root.resultCode, groups, std::regex("([ab])1([12])([ab])0([12])")))
        << t.root.resultCode;
    EXPECT_NE(groups[1], groups[3]) << "the two scored games had the same opponent";
    EXPECT_EQ(groups[2].str() + groups[4].str(), maps) << "the map numbers of the boards played";
}
