#include <filesystem>
#include <numeric>
#include <set>
#include <sstream>

#include "record/RecordFormat.h"
#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "record/RunCensus.h"
#include "replay/ReplayCommand.h"
#include "study/Conditions.h"
#include "study/Simulation.h"
#include "study/StudyFile.h"
#include "support/TestGame.h"

namespace {
namespace fs = std::filesystem;

Study Balanced()
{
    return ReadStudyFile(GameDataPath("studies/balanced.toml"));
}

// The runs of a folder's records by condition: complete ones only (a stale time of 0).
std::vector<int32_t> Complete(const TempFolder& folder, const Study& study)
{
    std::string error;
    const auto census = RunCensus::Take(folder.path.string(), error);
    EXPECT_NE(census, nullptr) << error;
    return census->Count(record::TextHash(study.text), ConditionCount(study), 0, std::time(nullptr), "simulated");
}
}  // namespace

// The balanced study's 8 conditions are every combination of the order and the two scored games'
// maps, each once; a run given one plays that order and those maps (the practice game's map is still
// drawn), and its record's first line names it. A run that draws at random names the condition its
// draws amount to.
TEST(Conditions, EachConditionIsOneCombinationOfOrderAndMaps)
{
    const Study study = Balanced();
    ASSERT_EQ(ConditionCount(study), 8);
    std::set<std::string> combinations;
    for (int32_t condition = 0; condition < 8; ++condition) {
        const ConditionDraws draws = DrawsOf(study, condition);
        ASSERT_EQ(draws.maps.size(), 3u);
        EXPECT_EQ(draws.maps[0], -1) << "the practice game's map is not part of a condition";
        combinations.insert(draws.order[0] + draws.order[1] + std::to_string(draws.maps[1]) + std::to_string(draws.maps[2]));
        EXPECT_EQ(ConditionOf(study, draws.order, {0, draws.maps[1], draws.maps[2]}), condition);

        std::ostringstream text;
        RecordWriter writer(text);
        TestGame t;
        t.root.study = study;
        t.root.seed = 3;
        t.root.condition = condition;
        t.root.assigned = "forced";
        t.root.record = &writer;
        t.root.Init();
        std::vector<std::string> opponents;
        for (const auto& opponent : t.root.aiQueue) {
            opponents.push_back(opponent->name);
        }
        EXPECT_EQ(opponents, (std::vector<std::string>{"default", "default", draws.order[0], draws.order[1]}));
        t.root.NextMapIndex();  // the practice game's draw
        EXPECT_EQ(t.root.NextMapIndex(), draws.maps[1]);
        EXPECT_EQ(t.root.NextMapIndex(), draws.maps[2]);
        const record::Json first = record::Json::parse(text.str().substr(0, text.str().find('\n')));
        EXPECT_EQ(first["condition"], condition);
        EXPECT_EQ(first["conditions"], 8);
        EXPECT_EQ(first["assigned"], "forced");
    }
    EXPECT_EQ(combinations.size(), 8u);

    // Drawn at random, the plain way: the condition is what the seed's draws gave.
    TestGame t;
    std::ostringstream text;
    RecordWriter writer(text);
    t.root.study = study;
    t.root.seed = 9;
    t.root.record = &writer;
    t.root.Init();
    const record::Json first = record::Json::parse(text.str().substr(0, text.str().find('\n')));
    std::vector<std::string> order = {t.root.aiQueue[2]->name, t.root.aiQueue[3]->name};
    const std::vector<int32_t> maps = {first["maps"][0].get<int32_t>() - 1, first["maps"][1].get<int32_t>() - 1,
                                       first["maps"][2].get<int32_t>() - 1};
    EXPECT_EQ(first["condition"], ConditionOf(study, order, maps));
    EXPECT_EQ(first["assigned"], "random");
}

// Simulated participants take the least-filled condition: 24 complete runs over 8 conditions give 3
// each. With dropouts and a stale time of 0 (a run left holds no condition), the complete runs per
// condition differ by at most one. Every simulated record replays and holds only what was played.
TEST(Conditions, SimulatedParticipantsAreBalancedOverTheConditions)
{
    const Study study = Balanced();
    TempFolder folder;
    Simulation simulation;
    simulation.runs = 24;
    simulation.recordDir = folder.path.string();
    simulation.turnCap = 2;
    std::ostringstream out, err;
    ASSERT_EQ(Simulate(study, simulation, out, err), 0) << err.str();
    EXPECT_EQ(Complete(folder, study), std::vector<int32_t>(8, 3)) << out.str();
    size_t records = 0;
    for (const auto& entry : fs::directory_iterator(folder.path)) {
        if (entry.path().extension() == ".jsonl") {
            ++records;
            const Record record = ReadRecordFile(entry.path().string());
            EXPECT_EQ(record.header["source"], "simulated");
            // A computer seat never presses Z: an undo would be a trial of its planning.
            EXPECT_EQ(std::count_if(record.events.begin(), record.events.end(),
                                    [](const RecordEvent& event) { return event.event == "undo"; }), 0);
        }
    }
    EXPECT_EQ(records, 24u);
    std::ostringstream replayed, replayErr;
    EXPECT_EQ(RunReplay({folder.path.string()}, replayed, replayErr), 0) << replayed.str() << replayErr.str();

    TempFolder leaving;
    Study quick = study;
    quick.conditions.staleMinutes = 0;
    simulation.recordDir = leaving.path.string();
    simulation.dropout = 0.3;
    simulation.seed = 5;
    ASSERT_EQ(Simulate(quick, simulation, out, err), 0) << err.str();
    const std::vector<int32_t> complete = Complete(leaving, quick);
    const auto [fewest, most] = std::minmax_element(complete.begin(), complete.end());
    EXPECT_LE(*most - *fewest, 1) << testing::PrintToString(complete);
    EXPECT_LT(std::accumulate(complete.begin(), complete.end(), 0), 24) << "nobody left at 30 %";
}
