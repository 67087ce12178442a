#include <ctime>
#include <regex>
#include <set>

#include "ai/HPSController.h"
#include "board/GameData.h"
#include "input/Button.h"
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

// Every label's and button's text in a scene, each between bars.
std::string TextsOf(const Node& scene)
{
    std::string texts = "|";
    for (Node* node : scene.CollectDescendants()) {
        if (auto* label = dynamic_cast<Label*>(node)) {
            texts += label->text + "|";
        } else if (auto* button = dynamic_cast<Button*>(node)) {
            texts += button->text + "|";
        }
    }
    return texts;
}
}  // namespace

// Seeded alike, the generator gives the same draws whoever calls it. Init draws four times after
// seeding: the opponent order (an odd draw puts the two-candidate opponent "b" first), then the maps
// of the three boards after the tutorial; over many seeds both orders occur. A study may meet the
// opponent drawn first once more, after a game of one map and before one of three: a game naming
// "a" plays whichever was drawn first; the game of one map draws nothing, so the draws after the
// order are the practice game's, the first game's, then the last game's out of three. Without a
// seed Init seeds with the time in seconds.
TEST(SceneSequence, TheDrawAfterSeedingOrdersTheScoredOpponentsIntoTheirPlaces)
{
    for (bool again : {false, true}) {
        std::set<std::string> orders;
        for (unsigned seed = 1; seed <= 40; ++seed) {
            TestGame t;
            std::vector<StudyScene>& scenes = t.root.study.scenes;
            if (again) {
                scenes[7].maps = {"Map2.txt"};
                StudyScene third = scenes[5];
                third.maps = {"Map1.txt", "Map2.txt", "Map1.txt"};
                scenes.insert(scenes.end() - 1, third);
            }
            t.root.seed = seed;
            t.root.Init();
            const int next = rand();
            srand(seed);
            const int draw = rand();
            const std::string order = draw % 2 != 0 ? "default default b:hps a " : "default default a b:hps ";
            EXPECT_EQ(Order(t.root), order + (again ? order.substr(16, order.find(' ', 16) - 15) : "")) << draw;
            for (int draws : {2, 2, again ? 3 : 2}) {
                EXPECT_EQ(t.root.NextMapIndex(), rand() % draws) << "seed " << seed << ", a board of " << draws << " maps";
            }
            EXPECT_EQ(next, rand()) << "seed " << seed << ": not four draws after seeding";
            orders.insert(Order(t.root));
        }
        EXPECT_EQ(orders.size(), 2u);
    }
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

// Each text of a study reaches the scene that shows it: the title's, the tutorial's instructions, each
// transition's, the end screen's, and on every board the human side's buttons, gold and purchase menu.
TEST(SceneSequence, EveryTextOfTheStudyIsShownInItsScene)
{
    TestGame t;
    Study& study = t.root.study;
    study.scenes[0].title = {"Titel", {"Zeile eins", "Zeile zwei"}, "Spielen"};
    for (size_t i = 0; i < study.scenes[1].instructions.size(); ++i) {
        study.scenes[1].instructions[i] = "Hinweis " + std::to_string(i);
    }
    for (size_t scene : {2, 4, 6}) {
        study.scenes[scene].text = "Ankündigung " + std::to_string(scene);
        study.scenes[scene].button = "Weiter " + std::to_string(scene);
    }
    study.scenes[8].end = {"Danke", "Bitte eintragen", "Beenden"};
    study.player = {"Zug beenden", "Aufgeben", "Münzen: ", "Einheit kaufen", "Zurück",
                    {"Ritter", "Bogenschütze", "Magier"}, {"s0", "s1", "s2"}};
    const std::vector<std::string> boardTexts = {"Zug beenden", "Aufgeben", "Münzen: 0", "Einheit kaufen", "Zurück",
                                                 "Ritter", "Bogenschütze", "Magier", "s0", "s1", "s2"};
    t.root.seed = 7;
    t.root.Init();
    for (size_t scene = 0; scene < study.scenes.size(); ++scene) {
        const StudyScene& shown = study.scenes[scene];
        std::vector<std::string> wanted = {shown.text, shown.button};
        if (shown.kind == StudyScene::Kind::Title) {
            wanted = {"Titel", "Zeile eins", "Zeile zwei", "Spielen"};
        } else if (shown.kind == StudyScene::Kind::End) {
            wanted = {"Danke", "Bitte eintragen", "Beenden"};
        } else if (shown.kind != StudyScene::Kind::Transition) {
            wanted = boardTexts;
            wanted.insert(wanted.end(), shown.instructions.begin(), shown.instructions.end());
        }
        const std::string texts = TextsOf(*t.root.children.at(0));
        for (const std::string& text : wanted) {
            EXPECT_NE(texts.find("|" + text + "|"), std::string::npos) << "scene " << scene << " lacks \"" << text
                                                                       << "\"; it shows " << texts;
        }
        if (auto* board = dynamic_cast<TileMap*>(t.root.children.at(0))) {
            dynamic_cast<PlayerController&>(*board->teams[0]).Receive(1);  // Forfeit
        }
        if (scene + 1 < study.scenes.size()) {
            t.root.NextScene();
        }
    }
}
