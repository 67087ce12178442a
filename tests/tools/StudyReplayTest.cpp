#include <regex>
#include <sstream>

#include "record/RecordFormat.h"
#include "record/RecordWriter.h"
#include "replay/ReplayCommand.h"
#include "study/StudyFile.h"
#include "support/TestGame.h"

namespace {
using record::Json;

// A whole run of the study file, every board forfeited, written into a record as the game writes it.
std::vector<std::string> PlayedStudy(const std::string& file, unsigned seed)
{
    std::ostringstream text;
    {
        RecordWriter writer(text);
        TestGame t;
        t.root.study = ReadStudyFile(file);
        t.root.seed = seed;
        t.root.record = &writer;
        t.root.Init();
        while (!t.root.scenes.empty()) {
            t.root.NextScene();
            if (auto* board = dynamic_cast<TileMap*>(t.root.children.at(0))) {
                dynamic_cast<PlayerController&>(*board->teams[0]).Receive(1);  // Forfeit
            }
        }
        t.root.NextScene();  // Quit: the code goes into the record
    }
    std::vector<std::string> lines;
    std::istringstream in(text.str());
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

struct Replayed {
    int status = 0;
    std::string out;
};

Replayed Replay(const std::vector<std::string>& lines, std::vector<std::string> options = {})
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    const std::string path = WriteTempFile(text);
    options.push_back(path);
    std::ostringstream out, err;
    const int status = RunReplay(options, out, err);
    std::remove(path.c_str());
    return {status, path + "\n" + out.str() + err.str()};
}

// The record's first line with its study text edited, and its hash made to fit unless `keepHash`.
std::string WithStudy(const std::string& first, const std::string& from, const std::string& to, bool keepHash = false)
{
    Json header = Json::parse(first);
    std::string text = header["studyText"].get<std::string>();
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    header["studyText"] = text;
    if (!keepHash) {
        header["studyHash"] = record::TextHash(text);
    }
    return header.dump();
}

// The line of the n-th event named `event` (1 the first), 1-based in the file.
int LineOf(const std::vector<std::string>& lines, const std::string& event, int n)
{
    for (size_t i = 1; i < lines.size(); ++i) {
        if (Json::parse(lines[i]).value("event", "") == event && --n == 0) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}
}  // namespace

// A record keeps the study file it was played with, and its replay holds every board to that study:
// the three-game study replays, and a study that differs from what was played (a board's opponent
// or maps, a game scored or not) is found at the line where it shows. A record of the format before
// the study was kept replays as before.
TEST(StudyReplay, ARecordReplaysWithTheStudyItWasPlayedWith)
{
    const std::string file = GameDataPath("studies/three-games.toml");
    const std::vector<std::string> genuine = PlayedStudy(file, 11);
    const Json header = Json::parse(genuine[0]);
    EXPECT_EQ(header["version"], record::recordVersion);
    EXPECT_EQ(header["study"], "three-games.toml");
    std::ifstream in(file, std::ios::binary);
    const std::string studyText{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(header["studyText"], studyText);
    EXPECT_EQ(header["studyHash"], record::TextHash(studyText));
    const Json code = Json::parse(genuine.back());
    ASSERT_EQ(code.value("event", ""), "code");
    EXPECT_TRUE(std::regex_match(code["code"].get<std::string>(), std::regex("([ab]0[12]){3}"))) << code;

    const Replayed whole = Replay(genuine);
    EXPECT_EQ(whole.status, 0) << whole.out;
    const Replayed summary = Replay(genuine, {"--summary"});
    EXPECT_EQ(summary.status, 0) << summary.out;
    EXPECT_NE(summary.out.find(",complete,three-games.toml," + header["studyHash"].get<std::string>() + "\n"),
              std::string::npos) << summary.out;

    const std::string scored = "opponent = \"a\"\nscored = true";
    const struct {
        const char* what;
        std::string first;
        int line;
        const char* says;
    } altered[] = {
        {"a study text its hash does not name", WithStudy(genuine[0], "third game", "last game", true), 1,
         "the study text is not the one the record's hash names"},
        {"the last game meets the other opponent", WithStudy(genuine[0], "opponent = \"a\"\nscored = true\nmaps = "
                                                             "[\"../Map1.txt\", \"../Map2.txt\"]\n\n[[scene]]\nkind = \"end\"",
                                                             "opponent = \"b\"\nscored = true\nmaps = "
                                                             "[\"../Map1.txt\", \"../Map2.txt\"]\n\n[[scene]]\nkind = \"end\""),
         LineOf(genuine, "board", 5), "the study's board 5 meets"},
        {"the games list their maps the other way round", WithStudy(genuine[0], "[\"../Map1.txt\", \"../Map2.txt\"]",
                                                                    "[\"../Map2.txt\", \"../Map1.txt\"]"),
         LineOf(genuine, "board", 2), "the study's board 2 plays on Map2.txt, Map1.txt"},
        {"the first scored game is not scored", WithStudy(genuine[0], scored, "opponent = \"a\"\nscored = false"),
         LineOf(genuine, "outcome", 3), "group: the record has"},
    };
    for (const auto& item : altered) {
        std::vector<std::string> lines = genuine;
        lines[0] = item.first;
        const Replayed replayed = Replay(lines);
        EXPECT_EQ(replayed.status, 1) << item.what << "\n" << replayed.out;
        EXPECT_NE(replayed.out.find(":" + std::to_string(item.line) + ": " + item.says), std::string::npos)
            << item.what << ": not at line " << item.line << "\n" << replayed.out;
    }

    // The first version had no study: its boards are replayed as they say.
    std::vector<std::string> older = genuine;
    Json first = header;
    first["version"] = 1;
    for (const char* key : {"study", "studyHash", "studyText"}) {
        first.erase(key);
    }
    older[0] = first.dump();
    const Replayed replayed = Replay(older);
    EXPECT_EQ(replayed.status, 0) << replayed.out;
}
