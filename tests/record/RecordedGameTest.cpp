#include <functional>
#include <sstream>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "replay/Replay.h"
#include "support/TestGame.h"

namespace {
using record::Json;

// A game on a board of the test's choice (a file, or a map's text) that writes its record into a
// string, as the study does into a file.
struct RecordedGame {
    RecordedGame(const std::string& map, AIController* opponent, AIController* sideZero = nullptr)
    {
        game.root.record = &writer;
        writer.RunStarted({});
        game.root.aiQueue.emplace_back(opponent);
        board = new TileMap();
        const bool text = map.find('\n') != std::string::npos;
        board->mapFile = text ? "test-map.txt" : map;
        board->mapText = text ? map : "";
        board->sideZero = sideZero;
        game.root.AddChild(board);
        player = dynamic_cast<PlayerController*>(board->teams[0]);
        ai = dynamic_cast<AIController*>(board->teams[1]);
    }
    std::vector<Json> Lines() const
    {
        std::vector<Json> lines;
        for (const std::string& line : ::Lines(text.str())) {
            lines.push_back(Json::parse(line));
        }
        return lines;
    }
    // The test's boards are not the study's maps.
    ReplayResult Replayed(const std::string& record) const
    {
        return ReplayRecord(ParseRecord(record, "game"), {.anyMap = true});
    }

    std::ostringstream text;
    RecordWriter writer{text};
    TestGame game;
    TileMap* board = nullptr;
    PlayerController* player = nullptr;
    AIController* ai = nullptr;
};

// A scored opponent under the name that makes the replay let it plan again.
AIController* Opponent(bool hps)
{
    AIController* side = hps ? static_cast<AIController*>(new HPSController()) : new MinimaxController();
    side->name = hps ? "b" : "a";
    return side;
}

// "move 0 (4,8) (6,7)": what a line says was done, without its timing.
std::string ChangeText(const Json& line)
{
    std::string text = line.value("event", "?") + " " + line.value("side", Json()).dump();
    for (const char* key : {"from", "to"}) {
        if (line.contains(key)) {
            text += " " + TileText(Tile(line[key][0].get<int>(), line[key][1].get<int>()));
        }
    }
    return line.contains("type") ? text + " type " + line["type"].dump() : text;
}

// The same for an action of a plan about to be played.
std::string ChangeText(const AIAction& action, int side)
{
    const char* const names[] = {"pass", "move", "attack", "buy"};
    std::string text = names[static_cast<int>(action.kind)] + (" " + std::to_string(side)) + " " + TileText(action.unit->GetTile());
    if (action.kind != AIActionKind::Pass) {
        text += " " + TileText(action.tile);
    }
    return action.kind == AIActionKind::Buy ? text + " type " + std::to_string(action.unitType) : text;
}

// The record's text with its line `index` (from 0) changed by `alter`.
std::string WithLine(const std::string& text, size_t index, const std::function<void(Json&)>& alter)
{
    std::vector<std::string> lines = ::Lines(text);
    Json changed = Json::parse(lines.at(index));
    alter(changed);
    lines[index] = changed.dump();
    return Joined(lines);
}

// Both sides search, trying thousands of actions on the live board; only the actions they play
// reach the record: a search writes its think line alone, and between it and the end of the turn
// stand exactly the plan's actions, in its order. So the whole record is as long as the played
// actions make it.
TEST(RecordedGame, AnOpponentWritesThePlanItPlaysAndNoneOfItsTrials)
{
    for (bool hpsFirst : {false, true}) {
        SCOPED_TRACE(hpsFirst ? "hps as side 0" : "minimax as side 0");
        RecordedGame recorded(GameDataPath("Map1.txt"), Opponent(!hpsFirst), Opponent(hpsFirst));
        TileMap& board = *recorded.board;
        size_t accounted = 3;  // the run, the board and the end of turn that gives side 0 the first turn
        for (int turn = 0; turn < 16 && !board.gameOver; ++turn) {
            auto& side = dynamic_cast<AIController&>(*board.teams[static_cast<size_t>(board.currentTeam)]);
            const size_t before = recorded.Lines().size();
            side.FinishThinking();
            ASSERT_EQ(recorded.Lines().size(), before + 1) << "turn " << turn << ": the search wrote more than its think line";
            EXPECT_EQ(recorded.Lines().back()["event"], "think");
            std::string planned;
            const size_t steps = side.plan.size();
            while (side.executingPlan) {
                planned += side.plan.empty() ? "" : ChangeText(side.plan.front(), board.SideOf(&side)) + "\n";
                side.AdvancePlayback(0.6f);
            }
            const std::vector<Json> lines = recorded.Lines();
            const size_t ends = board.gameOver ? 2 : 1;  // the end of the turn, and the outcome it decides
            ASSERT_EQ(lines.size(), before + 1 + steps + ends) << "turn " << turn;
            std::string played;
            for (size_t i = before + 1; i < before + 1 + steps; ++i) {
                played += ChangeText(lines[i]) + "\n";
            }
            EXPECT_EQ(played, planned) << "turn " << turn;
            EXPECT_EQ(lines[before + 1 + steps]["event"], "endTurn");
            accounted += 2 + steps;
        }
        EXPECT_EQ(recorded.Lines().size(), accounted + (board.gameOver ? 1 : 0));
        const ReplayResult replayed = recorded.Replayed(recorded.text.str());
        EXPECT_EQ(replayed.verdict, Verdict::Matches) << replayed.line << ": " << replayed.message;
    }
}

// Z writes an undo line that says what it took back: the human's own move, or an action of the
// opponent's plan while it plays. The rest of the plan is played on the board as the undo left it
// (a buy from a castle the undo made neutral again, an attack from a tile the attacker no longer
// stands on), and the replay plays the same, whether it plans the opponent's turn again or takes
// it from the record. A record whose undo claims to have taken back something else, or whose next
// action is not what the game could have played there, differs at that line.
TEST(RecordedGame, AnUndoWritesWhatItUndidAndReplays)
{
    // Among the plans: a buy from a castle the undo made neutral again, a castle given back to the
    // participant, a piece moved onto one the undo put back.
    for (const char* map : {"golden-map1-midgame.txt", "golden-map2-siege.txt", "golden-crowded-small.txt"}) {
        for (bool hps : {false, true}) {
            for (int undoAfter = 1; undoAfter <= 8; ++undoAfter) {
                SCOPED_TRACE(std::string(map) + ", " + (hps ? "hps" : "minimax") + ", Z after its action " + std::to_string(undoAfter));
                RecordedGame recorded(TestDataPath(map), Opponent(hps));
                TileMap& board = *recorded.board;
                const auto undoTakesBackTheLineBefore = [&] {
                    const std::vector<Json> before = recorded.Lines();
                    recorded.player->HandleInput({KeyZ, true});
                    const std::vector<Json> after = recorded.Lines();
                    ASSERT_EQ(after.size(), before.size() + 1);
                    EXPECT_EQ(after.back()["event"], "undo");
                    EXPECT_EQ(ChangeText(after.back()["undid"]), ChangeText(before.back()));
                };
                Unit* knight = nullptr;
                for (Unit* unit : board.GetUnitsOf(board.teams[0])) {
                    knight = knight == nullptr && !unit->isCastle && !unit->GetReachableTiles().empty() ? unit : knight;
                }
                ASSERT_NE(knight, nullptr);
                board.MoveUnit(knight, knight->GetReachableTiles().back());
                undoTakesBackTheLineBefore();
                board.MoveUnit(knight, knight->GetReachableTiles().front());
                recorded.player->Receive(0);  // End Turn
                recorded.ai->FinishThinking();
                for (int step = 0; step < undoAfter; ++step) {
                    recorded.ai->AdvancePlayback(0.6f);
                }
                if (!recorded.ai->executingPlan) {
                    ASSERT_GT(undoAfter, 2) << "the plan is too short for this case";
                    break;  // the whole plan is played; Z after it is the human's undo of the turn end
                }
                undoTakesBackTheLineBefore();
                for (int step = 0; step < 40 && recorded.ai->executingPlan; ++step) {
                    recorded.ai->AdvancePlayback(0.6f);
                }
                ASSERT_EQ(board.currentTeam, 0);
                const std::string text = recorded.text.str();
                const std::vector<Json> lines = recorded.Lines();
                const auto undo = std::find_if(lines.rbegin(), lines.rend(), [](const Json& line) { return line["event"] == "undo"; });
                const size_t undoLine = static_cast<size_t>(lines.rend() - undo) - 1;
                const size_t planLine = undoLine + 1;  // the plan's first action after the undo
                ASSERT_TRUE(planLine < lines.size() && lines[planLine].contains("from"));
                for (bool fromRecord : {false, true}) {
                    // Under a name the replay does not plan for, the opponent's actions come from the record.
                    const std::string named = std::string("\"opponent\":\"") + (hps ? "b" : "a") + "\"";
                    std::string played = text;
                    played.replace(played.find(named), named.size(), fromRecord ? "\"opponent\":\"recorded\"" : named);
                    SCOPED_TRACE(fromRecord ? "played from the record" : "planned again");
                    const ReplayResult replayed = recorded.Replayed(played);
                    EXPECT_TRUE(replayed.verdict == Verdict::Matches && replayed.games == 1) << replayed.line << ": " << replayed.message;

                    // An undo that names something else, and a plan's action after it that the game could
                    // not have played there, differ at their line.
                    const std::vector<std::pair<size_t, std::function<void(Json&)>>> alterations = {
                        {undoLine, [](Json& line) { line["undid"]["side"] = 7; }},
                        {planLine, [](Json& line) { line["from"] = {99, 99}; }},
                        {planLine, [](Json& line) { line["side"] = line["side"] == 1 ? 0 : 1; }},
                    };
                    for (const auto& [at, alter] : alterations) {
                        const ReplayResult differs = recorded.Replayed(WithLine(played, at, alter));
                        EXPECT_EQ(differs.verdict, Verdict::Differs) << "line " << at + 1;
                        EXPECT_EQ(differs.line, at + 1) << differs.message;
                    }
                }
            }
        }
    }
}
}  // namespace
