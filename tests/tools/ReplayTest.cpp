#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "arena/ArenaGame.h"
#include "record/RecordFormat.h"
#include "replay/ReplayCommand.h"
#include "support/TestGame.h"

namespace {
namespace fs = std::filesystem;
using record::Json;

// A folder of the test's own, removed with it.
struct TempFolder {
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path); }
    static inline int made = 0;
    fs::path path = fs::temp_directory_path() / ("torvane-replay-" + std::to_string(getpid()) + "-" + std::to_string(made++));
};

struct Replayed {
    int status = 0;
    std::string out, err;
};

Replayed Replay(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = RunReplay(args, out, err);
    return {status, out.str(), err.str()};
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// The record the arena writes of minimax (side 0, played from the record by the replay) against
// hps (side 1, which the replay lets plan again) on Map1, line by line.
std::vector<std::string> ArenaRecord(int turnCap)
{
    TempFolder folder;
    const GameResult game = PlayGame({.seed = 1, .pair = {"minimax", "hps"}, .map = GameDataPath("Map1.txt"),
                                      .turnCap = turnCap, .recordDir = folder.path.string()});
    std::ifstream file(game.recordPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
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
// and an alteration among them is still found.
TEST(Replay, ChecksARecordCutShortUpToTheCut)
{
    std::vector<std::string> lines = ArenaRecord(12);
    const size_t cut = lines.size() / 2;
    std::string text = Joined({lines.begin(), lines.begin() + static_cast<long>(cut)}) + lines[cut].substr(0, lines[cut].size() / 2);
    const std::string path = WriteTempFile(text);
    const Replayed replayed = Replay({path});
    EXPECT_EQ(replayed.status, 0) << replayed.err;
    EXPECT_EQ(replayed.out, path + ":" + std::to_string(cut + 1) + ": the record is cut short here; 1 game(s) before it match\n");

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

// What cannot be read as a record is refused with exit status 2 and a message naming it (the
// record fuzzer's kept inputs try the reader on many more).
TEST(ReplayCommand, RefusesWhatIsNotARecord)
{
    TempFolder empty;
    const std::string header = "{\"format\":\"torvane-record\",\"version\":1}\n";
    const struct {
        std::string path, says;
    } cases[] = {
        {"/nonexistent/records", "/nonexistent/records: no such file or folder"},
        {empty.path.string(), empty.path.string() + ": a folder without records"},
        {GameDataPath("Map1.txt"), "Map1.txt:1: not a study record"},
        {WriteTempFile("{\"format\":1}\n"), ":1: not a study record"},
        {WriteTempFile("{\"format\":\"torvane-record\",\"version\":2}\n"), ":1: record version 2, this tool reads version 1"},
        {WriteTempFile(header + "{\"t\":0,\"event\":\"board\"}\n"), ":2: a field is missing or of the wrong kind"},
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
}  // namespace
