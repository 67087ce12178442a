#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "record/RecordFormat.h"
#include "record/RecordWriter.h"
#include "study/StudyFile.h"
#include "support/TestGame.h"
#include "tools/Replayed.h"

namespace {
using record::Json;

// A run of the study file, every board forfeited, written into a record as the game writes it; with
// `leaveAt`, the participant leaves when that board (1 the tutorial) shows.
std::vector<std::string> PlayedStudy(const std::string& file, unsigned seed, const std::string& id = "",
                                     int leaveAt = 0)
{
    std::ostringstream text;
    {
        RecordWriter writer(text);
        TestGame t;
        t.root.study = ReadStudyFile(file);
        t.root.seed = seed;
        t.root.record = &writer;
        if (!id.empty()) {
            t.root.participant = {{"PID", id}};
        }
        t.root.Init();
        for (int boards = 0; !t.root.scenes.empty();) {
            t.root.NextScene();
            if (auto* board = dynamic_cast<TileMap*>(t.root.children.at(0))) {
                if (++boards == leaveAt) {
                    break;
                }
                dynamic_cast<PlayerController&>(*board->teams[0]).Receive(1);  // Forfeit
            }
        }
        if (leaveAt == 0) {
            t.root.NextScene();  // Quit: the code goes into the record
        }
    }
    return Lines(text.str());
}

// The record's lines replayed from a file of their own: all it printed in `out`, the file's path first.
Replayed ReplayLines(const std::vector<std::string>& lines, std::vector<std::string> options = {})
{
    options.push_back(WriteTempFile(Joined(lines)));
    const Replayed replayed = Replay(options);
    std::remove(options.back().c_str());
    return {replayed.status, options.back() + "\n" + replayed.out + replayed.err, ""};
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
// or maps, a game scored or not) is found at the line where it shows. (Records of the format before
// the study was kept replay as before: the genuine records among the record fuzzer's kept inputs.)
TEST(StudyReplay, ARecordReplaysWithTheStudyItWasPlayedWith)
{
    const std::string file = GameDataPath("studies/three-games.toml");
    const std::vector<std::string> genuine = PlayedStudy(file, 11);
    const Json header = Json::parse(genuine[0]);
    EXPECT_EQ(header["version"], record::recordVersion);
    EXPECT_EQ(header["study"], "three-games.toml");
    const std::string studyText = FileText(file);
    EXPECT_EQ(header["studyText"], studyText);
    EXPECT_EQ(header["studyHash"], record::TextHash(studyText));
    const Json code = Json::parse(genuine.back());
    ASSERT_EQ(code.value("event", ""), "code");
    EXPECT_TRUE(std::regex_match(code["code"].get<std::string>(), std::regex("([ab]0[12]){3}"))) << code;

    const Replayed whole = ReplayLines(genuine);
    EXPECT_EQ(whole.status, 0) << whole.out;
    const Replayed summary = ReplayLines(genuine, {"--summary"});
    EXPECT_EQ(summary.status, 0) << summary.out;
    EXPECT_NE(summary.out.find(",complete,three-games.toml," + header["studyHash"].get<std::string>() + "," +
                               header["condition"].dump() + ",1,random\n"),
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
        const Replayed replayed = ReplayLines(lines);
        EXPECT_EQ(replayed.status, 1) << item.what << "\n" << replayed.out;
        EXPECT_NE(replayed.out.find(":" + std::to_string(item.line) + ": " + item.says), std::string::npos)
            << item.what << ": not at line " << item.line << "\n" << replayed.out;
    }
}

namespace {
// Records in a folder of their own, as a lab machine leaves them.
struct RecordFolder : TempFolder {
    std::string Put(const std::string& name, const std::vector<std::string>& lines) const
    {
        std::ofstream(path / name, std::ios::binary) << Joined(lines);
        return (path / name).string();
    }
};
std::string CodeOf(const std::vector<std::string>& lines)
{
    return Json::parse(lines.back()).value("code", "");
}

// The findings on standard error, a line each, without the counts per condition that end them.
std::vector<std::string> Findings(const std::string& err)
{
    std::vector<std::string> lines = Lines(err);
    std::erase_if(lines, [](const std::string& line) { return line.find(", condition ") != std::string::npos; });
    return lines;
}
}  // namespace

// The runs matched with a questionnaire's export: by code alone, a row whose code no record showed and
// a record whose code no row holds are named, and nothing else; by identifier, a row of someone
// without a record, a code that differs from its run's and a run without a row. A run the participant
// left (no code) is owed no row. The runs per condition come last.
TEST(StudyRecords, RunsAreMatchedWithTheQuestionnaire)
{
    RecordFolder folder;
    const std::string file = GameDataPath("study.toml");
    const std::vector<std::string> first = PlayedStudy(file, 1, "p1"), second = PlayedStudy(file, 2, "p2");
    folder.Put("a.jsonl", first);
    const std::string secondFile = folder.Put("b.jsonl", second);
    folder.Put("c.jsonl", PlayedStudy(file, 3, "p3", 3));
    const std::string folderPath = folder.path.string();

    const Replayed listed = Replay({"--participants", folderPath});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const std::vector<std::string> rows = Lines(listed.out);
    ASSERT_GE(rows.size(), 2u) << listed.out;
    EXPECT_EQ(rows[0], "file,study,study_hash,condition,conditions,assigned,participant,code,record,games,decided");
    const std::string& line = rows[1];
    EXPECT_NE(line.find(",study.toml,fnv1a64:"), std::string::npos) << line;
    EXPECT_NE(line.find(",0,1,random,PID=p1,"), std::string::npos) << "a plain run is condition 0 of 1, drawn: " << line;
    EXPECT_NE(line.find(",PID=p1," + CodeOf(first) + ",complete,4,4"), std::string::npos) << line;
    EXPECT_NE(listed.err.find("study.toml ("), std::string::npos) << listed.err;
    EXPECT_NE(listed.err.find(", condition 0: 2 complete, 1 partial or cut\n"), std::string::npos) << listed.err;

    // By code alone: the second run's code is missing, an unknown one is there, typed in capitals and spaces.
    std::string upper = CodeOf(first);
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    const std::string byCode = WriteTempFile("\xEF\xBB\xBFtime,\"result, code\"\n1,\" " + upper + "\"\n2,zz9zz9\n");
    const Replayed codes = Replay({"--participants", "--codes", byCode, "--code-column", "result, code", folderPath});
    EXPECT_EQ(codes.status, 1);
    EXPECT_EQ(Findings(codes.err), (std::vector<std::string>{
                                       byCode + ":3: the code \"zz9zz9\": no record shows it",
                                       secondFile + ": the code \"" + CodeOf(second) + "\" (PID=p2): no questionnaire row"}))
        << codes.err;

    // By identifier.
    const std::string byId = WriteTempFile("PID,code\np1," + CodeOf(first) + "\np2,b01a01x\np9,a01b01\n");
    const Replayed ids = Replay({"--participants", "--codes", byId, "--code-column", "code", "--id-column", "PID", folderPath});
    EXPECT_EQ(ids.status, 1);
    EXPECT_EQ(Findings(ids.err), (std::vector<std::string>{
                                     byId + ":3: PID p2: the code \"b01a01x\" does not agree with the record (" +
                                         secondFile + " showed \"" + CodeOf(second) + "\")",
                                     byId + ":4: PID p9 (code \"a01b01\"): no record"}))
        << ids.err;

    const Replayed column = Replay({"--participants", "--codes", byId, "--code-column", "Code", folderPath});
    EXPECT_EQ(column.status, 2);
    EXPECT_NE(column.err.find(byId + ":1: no column \"Code\""), std::string::npos) << column.err;
    for (const std::string& path : {byCode, byId}) {
        std::remove(path.c_str());
    }
}

// The actions in long form: each row's turn (the set-up hands the participant turn 1, the opponent
// plays the same turn after it), the time since its side's turn began and how much of it the window
// had focus; an undo names what it took back.
TEST(StudyRecords, ActionsAreRowsWithTheirTurnAndTimes)
{
    const std::string board = R"({"t":50,"tb":0,"event":"board","game":2,"opponent":"b","tutorial":false,"map":"Map1.txt","number":1,"hash":"h","text":"x"})";
    const std::vector<std::string> lines = {
        R"({"format":"torvane-record","version":2,"seed":1,"participant":{"PID":"p,1"},"condition":3})",
        board,
        R"({"t":100,"tb":50,"event":"endTurn","side":1,"digest":"0"})",
        R"({"t":150,"tb":100,"event":"focus","focused":false})",
        R"({"t":250,"tb":200,"event":"focus","focused":true})",
        R"({"t":400,"tb":350,"event":"move","side":0,"from":[1,2],"to":[3,4]})",
        R"({"t":450,"tb":400,"event":"undo","side":0,"undid":{"event":"move","side":0,"from":[1,2],"to":[3,4]}})",
        R"({"t":500,"tb":450,"event":"endTurn","side":0,"digest":"0"})",
        R"({"t":600,"tb":550,"event":"think","side":1,"ms":90.5,"slices":12,"positions":7,"best":1.5})",
        R"({"t":700,"tb":650,"event":"buy","side":1,"from":[9,9],"to":[9,8],"type":2})",
        R"({"t":710,"tb":660,"event":"endTurn","side":1,"digest":"0"})",
        R"({"t":800,"tb":750,"event":"forfeit","side":0,"digest":"0"})",
    };
    const std::string path = WriteTempFile(Joined(lines));
    const Replayed actions = Replay({"--actions", path});
    ASSERT_EQ(actions.status, 0) << actions.err;
    const std::string run = std::filesystem::path(path).filename().string() + ",\"PID=p,1\",3,2,b,Map1.txt,";
    EXPECT_EQ(actions.out, "run,participant,condition,game,opponent,map,turn,side,action,from,to,type,turn_ms,"
                         "turn_focused_ms,think_ms\n" +
                             run + "0,1,endTurn,,,,50,50,\n" +
                             run + "1,0,move,1 2,3 4,,300,200,\n" +
                             run + "1,0,undo,1 2,3 4,,350,250,\n" +
                             run + "1,0,endTurn,,,,400,300,\n" +
                             run + "1,1,think,,,,100,100,90.500\n" +
                             run + "1,1,buy,9 9,9 8,2,200,200,\n" +
                             run + "1,1,endTurn,,,,210,210,\n" +
                             run + "2,0,forfeit,,,,90,90,\n");
    std::remove(path.c_str());
}
