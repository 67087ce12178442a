#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "ai/HPSController.h"
#include "arena/ArenaGame.h"
#include "record/RecordFormat.h"
#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "support/TestGame.h"
#include "tools/Replayed.h"

namespace {
namespace fs = std::filesystem;
using record::Json;

// The record the arena writes of minimax (side 0, played from the record by the replay) against
// hps (side 1, which the replay lets plan again) on Map1 or another map, line by line.
std::vector<std::string> ArenaRecord(int turnCap, const std::string& map = GameDataPath("Map1.txt"))
{
    TempFolder folder;
    const GameResult game = PlayGame({.seed = 1, .pair = {"minimax", "hps"}, .map = map,
                                      .turnCap = turnCap, .recordDir = folder.path.string()});
    return Lines(FileText(game.recordPath));
}

bool Is(const Json& line, const char* event, int side) { return line.value("event", "") == event && line.value("side", -1) == side; }

// One altered line of a genuine record: the replay must stop at exactly that line. The recorded
// side's actions must be ones the rules offer; the opponent's, its map and its digests must be
// what the replay itself produces.
struct Tampering {
    const char* what;
    std::function<bool(const Json&)> pick;  // the first line it accepts is altered
    std::function<void(Json&)> alter;       // none: the line is left out
    const char* says;
};

TEST(Replay, StopsAtTheLineThatWasAltered)
{
    const std::vector<std::string> genuine = ArenaRecord(12);
    const auto shift = [](Json& tile, int dx, int dy) { tile = Json::array({tile[0].get<int>() + dx, tile[1].get<int>() + dy}); };
    const std::vector<Tampering> cases = {
        // A Knight walks 5 at most: 8 tiles away is beyond any piece's reach.
        {"side 0 moves beyond its reach", [](const Json& l) { return Is(l, "move", 0); },
         [&](Json& l) { shift(l["to"], 8, 0); }, "cannot be played"},
        {"side 0 attacks itself", [](const Json& l) { return Is(l, "attack", 0); }, [](Json& l) { l["to"] = l["from"]; },
         "cannot be played"},
        {"side 0 places a purchase away from its castle", [](const Json& l) { return Is(l, "buy", 0); },
         [&](Json& l) { shift(l["to"], 0, 3); }, "cannot be played"},
        {"side 0 acts with a piece that is not there", [](const Json& l) { return Is(l, "pass", 0); },
         [&](Json& l) { shift(l["from"], 0, -20); }, "cannot be played"},
        {"the opponent moves elsewhere", [](const Json& l) { return Is(l, "move", 1); }, [&](Json& l) { shift(l["to"], 1, 0); },
         "to: the record has"},
        {"the opponent's attack is left out", [](const Json& l) { return Is(l, "attack", 1); }, nullptr, "the replay"},
        {"the opponent thought up a better plan", [](const Json& l) { return Is(l, "think", 1); },
         [](Json& l) { l["best"] = l["best"].get<double>() + 1.0; }, "best: the record has"},
        {"the map has a wall more", [](const Json& l) { return l.value("event", "") == "board"; },
         [](Json& l) { l["text"] = "2" + l["text"].get<std::string>().substr(1); }, "map text"},
        {"a digest at the end of a turn", [n = 0](const Json& l) mutable { return l.value("event", "") == "endTurn" && ++n == 4; },
         [](Json& l) { l["digest"] = "0123456789abcdef"; }, "digest: the record has"},
    };
    const Replayed whole = Replay({WriteTempFile(Joined(genuine))});
    ASSERT_EQ(whole.status, 0) << whole.out << whole.err;
    for (const Tampering& tampering : cases) {
        std::vector<std::string> lines = genuine;
        const auto picked = std::find_if(lines.begin() + 1, lines.end(), [&](const std::string& l) { return tampering.pick(Json::parse(l)); });
        ASSERT_NE(picked, lines.end()) << tampering.what << ": the game has no such line";
        const auto number = picked - lines.begin() + 1;
        if (tampering.alter) {
            Json line = Json::parse(*picked);
            tampering.alter(line);
            *picked = line.dump();
        } else {
            lines.erase(picked);
        }
        const std::string path = WriteTempFile(Joined(lines));
        const Replayed replayed = Replay({path});
        EXPECT_EQ(replayed.status, 1) << tampering.what << "\n" << replayed.out << replayed.err;
        EXPECT_EQ(replayed.out.rfind(path + ":" + std::to_string(number) + ": ", 0), 0u) << tampering.what << " is on line " << number << "\n" << replayed.out;
        EXPECT_NE(replayed.out.find(tampering.says), std::string::npos) << tampering.what << "\n" << replayed.out;
        std::remove(path.c_str());
    }
}

// A run that ends while writing a line leaves it cut short: the lines before it are checked,
// and an alteration among them is still found; the cut line itself is not, which the status says.
TEST(Replay, ChecksARecordCutShortUpToTheCut)
{
    std::vector<std::string> lines = ArenaRecord(12);
    const size_t cut = lines.size() / 2;
    std::string text = Joined({lines.begin(), lines.begin() + static_cast<long>(cut)}) + lines[cut].substr(0, lines[cut].size() / 2);
    const std::string path = WriteTempFile(text);
    const Replayed replayed = Replay({path});
    EXPECT_EQ(replayed.status, 3) << replayed.err;
    EXPECT_EQ(replayed.out, path + ":" + std::to_string(cut + 1) +
                                ": the last line is cut short; the 1 game(s) before it match, the line itself is not checked\n");

    const size_t digest = text.find("\"digest\":\"") + 10;
    text[digest] = text[digest] == '0' ? '1' : '0';
    std::ofstream(path, std::ios::binary) << text;
    const Replayed altered = Replay({path});
    EXPECT_EQ(altered.status, 1);
    const auto number = std::count(text.begin(), text.begin() + static_cast<long>(digest), '\n') + 1;
    EXPECT_EQ(altered.out.rfind(path + ":" + std::to_string(number) + ": digest", 0), 0u) << altered.out;
    std::remove(path.c_str());
}

// The summary's participant column splits back into the identifiers it came from, whatever
// characters they hold.
TEST(ReplayCommand, SummaryKeepsIdentifiersApart)
{
    std::vector<std::string> lines = ArenaRecord(2);
    Json header = Json::parse(lines[0]);
    header["participant"] = Json::object({{"a&b", "x=y%z"}, {"P", "1"}});
    lines[0] = header.dump();
    const std::string path = WriteTempFile(Joined(lines));
    const Replayed summary = Replay({"--summary", path});
    EXPECT_EQ(summary.status, 0) << summary.err;
    EXPECT_NE(summary.out.find(",a%26b=x%3Dy%25z&P=1,"), std::string::npos) << summary.out;
    std::remove(path.c_str());
}

// What cannot be read as a record is refused with exit status 2 and a message naming it, hostile
// records among them: nesting that would overflow the stack, and numbers that are not the whole
// numbers the format has there (the line length's limit is RecordReader's test; the record
// fuzzer's kept inputs try the reader on many more).
TEST(ReplayCommand, RefusesWhatIsNotARecord)
{
    TempFolder empty;
    const std::string header = "{\"format\":\"torvane-record\",\"version\":1}\n";
    const std::string board = "{\"t\":0,\"tb\":0,\"event\":\"board\",\"opponent\":\"b\",\"game\":";
    const struct {
        std::string path, says;
    } cases[] = {
        {"/nonexistent/records", "/nonexistent/records: no such file or folder"},
        {empty.path.string(), empty.path.string() + ": a folder without records"},
        {GameDataPath("Map1.txt"), "Map1.txt:1: not a study record"},
        {WriteTempFile(""), ":1: empty file, not a study record"},
        {WriteTempFile("{\"format\":1}\n"), ":1: not a study record"},
        {WriteTempFile("{\"format\":\"torvane-record\",\"version\":3}\n"), ":1: record version 3, this tool reads versions 1 to 2"},
        {WriteTempFile(header + "{\"t\":0,\"event\":\"board\"}\n"), ":2: a field is missing or of the wrong kind"},
        {WriteTempFile(header + "{\"t\":0,\"event\":\"scene\",\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}\n"),
         ":2: nested deeper than 32 levels"},
        {WriteTempFile(header + board + "1e300}\n"), ":2: game: 1e+300 is not a whole number from -2147483648 to 2147483647"},
        {WriteTempFile(header + board + "2147483648}\n"), ":2: game: 2147483648 is not a whole number"},
        {WriteTempFile(header + board + "1.5}\n"), ":2: game: 1.5 is not a whole number"},
        {WriteTempFile(header + "{\"t\":0,\"event\":\"move\",\"side\":0,\"from\":[0,-2147483649],\"to\":[0,0]}\n"),
         ":2: from: [0,-2147483649] is not a tile"},
        {WriteTempFile(header + "{\"t\":-1,\"event\":\"scene\"}\n"), ":2: t: -1 is not a whole number from 0 up"},
    };
    for (const auto& item : cases) {
        const Replayed replayed = Replay({item.path});
        EXPECT_EQ(replayed.status, 2) << item.path;
        EXPECT_NE(replayed.err.find(item.says), std::string::npos) << item.says << "\ninstead:\n" << replayed.err;
        EXPECT_EQ(replayed.out, "");
        if (item.path.rfind("/tmp/torvane-test-", 0) == 0) {
            std::remove(item.path.c_str());
        }
    }
}

// Every record the arena writes replays: both scored opponents, from both seats, on both shipped
// maps, the whole folder at once.
TEST(Replay, EveryArenaRecordMatches)
{
    TempFolder folder;
    const ArenaOptions options = ParseArenaOptions(
        {"--pair", "minimax:hps", "--games", "5", "--turn-cap", "30", "--record", folder.path.string(), "--quiet"});
    const std::vector<MatchSetup> schedule = BuildSchedule(options);
    ASSERT_EQ(schedule.size(), 20u) << "5 games on 2 maps from 2 seats";
    for (const MatchSetup& game : schedule) {
        PlayGame(game);
    }
    const Replayed replayed = Replay({folder.path.string()});
    EXPECT_EQ(replayed.status, 0) << replayed.out << replayed.err;
    size_t matched = 0;
    for (size_t at = 0; (at = replayed.out.find(": 1 game(s) match\n", at)) != std::string::npos; ++at) {
        ++matched;
    }
    EXPECT_EQ(matched, 20u) << replayed.out;
}

// One bad file does not hide the good ones: every record that can be read gets its rows, each
// saying how the record ends; each that cannot is named on standard error, and the status is the
// worst met (a file that is not a record before one cut short).
TEST(ReplayCommand, SummaryRowsEveryGoodFileAndNamesTheBad)
{
    TempFolder folder;
    const auto put = [&](const std::string& name, const std::string& text) {
        std::ofstream(folder.path / name, std::ios::binary) << text;
        return (folder.path / name).string();
    };
    const std::vector<std::string> arena = ArenaRecord(2);
    const std::string whole = Joined(arena);
    const std::string complete = put("a.jsonl", FileText(TestDataPath("../fuzz/record-corpus/study-tutorial.jsonl")));
    const std::string partial = put("b.jsonl", whole);
    const std::string cut = put("c.jsonl", whole.substr(0, whole.size() - 10));
    const std::string empty = put("d.jsonl", "");

    const auto rows = [](const std::string& csv) {
        std::set<std::pair<std::string, std::string>> found;  // file, how its record ends
        std::istringstream lines(csv);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line, "file,participant,game,opponent,map,outcome,human_turns,opponent_turns,game_s,human_focused_s,"
                        "human_turn_median_s,human_turn_longest_s,undos,human_bought,opponent_bought,think_median_ms,"
                        "think_longest_ms,record,study,study_hash,condition,conditions,assigned");
        while (std::getline(lines, line)) {
            std::vector<std::string> columns;
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, ',');) {
                columns.push_back(field);
            }
            found.insert({columns.at(0), columns.at(17)});
        }
        return found;
    };
    const Replayed all = Replay({"--summary", folder.path.string()});
    EXPECT_EQ(all.status, 2);
    const std::set<std::pair<std::string, std::string>> good = {{complete, "complete"}, {partial, "partial"}, {cut, "cut"}};
    EXPECT_EQ(rows(all.out), good) << all.out;
    for (const std::string& names : {empty + ":1: empty file", cut + ":" + std::to_string(arena.size()) + ": the last line is cut short"}) {
        EXPECT_NE(all.err.find(names), std::string::npos) << names << "\ninstead:\n" << all.err;
    }
    fs::remove(empty);
    const Replayed onlyCut = Replay({"--summary", folder.path.string()});
    EXPECT_EQ(onlyCut.status, 3) << onlyCut.err;
    EXPECT_EQ(rows(onlyCut.out), good);
    const Replayed read = Replay({"--summary", complete, partial});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.err, "");
}

// The study's maps replay as they are, built into the tool; a board on another map is reported
// at its line, before any search, unless --any-map allows it.
TEST(Replay, ReplaysOtherMapsOnlyWhenAsked)
{
    for (const std::string& map : {GameDataPath("TutorialMap.txt"), GameDataPath("Map1.txt"), GameDataPath("Map2.txt"),
                                   TestDataPath("arena-skirmish.txt")}) {
        const bool study = map.find("arena-") == std::string::npos;
        const std::string path = WriteTempFile(Joined(ArenaRecord(2, map)));
        const Replayed plain = Replay({path});
        EXPECT_EQ(plain.status, study ? 0 : 3) << map << "\n" << plain.out << plain.err;
        if (!study) {
            EXPECT_EQ(plain.out.rfind(path + ":2: the board's map (fnv1a64:", 0), 0u) << plain.out;
            EXPECT_NE(plain.out.find("is not one of the study's (TutorialMap.txt, Map1.txt, Map2.txt)"), std::string::npos);
        }
        const Replayed any = Replay({"--any-map", path});
        EXPECT_EQ(any.status, 0) << map << "\n" << any.out << any.err;
        std::remove(path.c_str());
    }
}

// A forged record: 18 computer Knights in sight of the participant's pieces on an open board, which
// the two-candidate search answers with 2^18 complete turns. The game's own writer writes it up to
// the end of the participant's first turn; the opponent's think line follows.
std::string ForgedSearchRecord()
{
    std::string map;
    for (int row = 0; row < 9; ++row) {
        map += std::string(16, '0') + "\n";
    }
    map += "\n3,15,8,1\n3,0,4,0\n";
    for (int i = 0; i < 18; ++i) {
        map += "0," + std::to_string(9 + i % 3) + "," + std::to_string(i / 3) + ",1\n";
    }
    for (int row = 0; row <= 8; row += 2) {
        map += "0,5," + std::to_string(row) + ",0\n";
    }
    std::ostringstream text;
    RecordWriter writer(text);
    writer.RunStarted({});
    TestGame game;
    game.root.record = &writer;
    auto* opponent = new HPSController();
    opponent->name = "b";
    game.root.aiQueue.emplace_back(opponent);
    game.board = new TileMap();
    game.board->mapFile = "forged.txt";
    game.board->mapText = map;
    game.root.AddChild(game.board);
    dynamic_cast<PlayerController&>(*game.board->teams[0]).Receive(0);  // End Turn: the search begins
    return text.str() + "{\"t\":1,\"tb\":1,\"event\":\"think\",\"side\":1,\"ms\":1,\"slices\":1,\"positions\":1,\"best\":0}\n";
}

// Each replanned search gets a budget of steps: past it the game is reported as not checked at its
// line and the next file is replayed all the same.
TEST(Replay, ASearchBeyondItsBudgetIsNotChecked)
{
    const std::string text = ForgedSearchRecord();
    const std::string forged = WriteTempFile(text);
    const std::string genuine = WriteTempFile(Joined(ArenaRecord(2)));
    const auto think = std::count(text.begin(), text.end(), '\n');
    const Replayed budgeted = Replay({"--any-map", "--search-budget", "100000", forged, genuine});
    EXPECT_EQ(budgeted.status, 3) << budgeted.err;
    EXPECT_EQ(budgeted.out, forged + ":" + std::to_string(think) +
                                ": the opponent's search of this turn goes on beyond 100000 steps (--search-budget); not checked "
                                "from here\n" + genuine + ": 1 game(s) match\n");
    // Not a study map: reported at its board, before its search could start.
    const Replayed offMap = Replay({forged});
    EXPECT_EQ(offMap.status, 3);
    EXPECT_EQ(offMap.out.rfind(forged + ":2: the board's map", 0), 0u) << offMap.out;
    // A real record's first search takes more than one step.
    const Replayed tight = Replay({"--search-budget", "1", genuine});
    EXPECT_EQ(tight.status, 3);
    EXPECT_NE(tight.out.find(": the opponent's search of this turn goes on beyond 1 steps"), std::string::npos) << tight.out;
    std::remove(forged.c_str());
    std::remove(genuine.c_str());
}

TEST(ReplayCommand, RefusesBadOptions)
{
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--search-budget", "0", "r.jsonl"}, "--search-budget wants a whole number of steps above 0, not 0"},
        {{"--search-budget", "-5", "r.jsonl"}, "--search-budget wants a whole number of steps above 0, not -5"},
        {{"--search-budget", "1e9", "r.jsonl"}, "--search-budget wants a whole number of steps above 0, not 1e9"},
        {{"--search-budget", "99999999999999999999", "r.jsonl"}, "--search-budget wants a whole number"},
        {{"--any-map", "--summary", "r.jsonl"}, "--any-map and --search-budget go with the check"},
        {{"--watch", "r.jsonl", "--search-budget", "5"}, "--any-map and --search-budget go with the check"},
        {{"--participants", "--actions", "r.jsonl"}, "--summary, --participants, --actions and --watch go one at a time"},
        {{"--summary", "--codes", "q.csv", "--code-column", "code", "r.jsonl"}, "--codes, --code-column and --id-column go with --participants"},
        {{"--participants", "--codes", "q.csv", "r.jsonl"}, "--codes FILE.csv needs --code-column NAME"},
        {{"--participants", "--id-column", "PID", "r.jsonl"}, "--codes FILE.csv needs --code-column NAME"},
    };
    for (const auto& item : cases) {
        const Replayed replayed = Replay(item.args);
        EXPECT_EQ(replayed.status, 2) << item.says;
        EXPECT_EQ(replayed.err.rfind("torvane-replay: " + item.says, 0), 0u) << replayed.err;
    }
}
}  // namespace
