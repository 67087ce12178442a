#include "replay/Replay.h"

#include <deque>
#include <sstream>

#include "ai/AIController.h"
#include "record/RecordWriter.h"
#include "replay/RecordedStudy.h"
#include "replay/ReplayBoard.h"
#include "replay/StudyMaps.h"

using record::Json;

namespace {
// More than actionDelay: every call plays exactly one step of a plan.
constexpr float playbackStep = 0.6f;

// Fields that depend on the machine and the moment, not on the game.
bool Timing(const std::string& key)
{
    return key == "t" || key == "tb" || key == "ms" || key == "slices";
}

std::string Differences(const Json& recorded, const Json& replayed)
{
    if (recorded.value("event", "") != replayed.value("event", "")) {
        return "the record has " + recorded.value("event", "?") + ", the replay " + replayed.value("event", "?") +
               " " + replayed.dump();
    }
    std::string found;
    for (const auto& [key, value] : replayed.items()) {
        if (Timing(key) || key == "text") {
            continue;
        }
        if (!recorded.contains(key) || recorded[key] != value) {
            found += (found.empty() ? "" : "; ") + key + ": the record has " +
                     (recorded.contains(key) ? recorded[key].dump() : "nothing") + ", the replay " + value.dump();
        }
    }
    for (const auto& [key, value] : recorded.items()) {
        if (!Timing(key) && !replayed.contains(key)) {
            found += (found.empty() ? "" : "; ") + key + ": the record has " + value.dump() + ", the replay nothing";
        }
    }
    return found;
}

class Replayer {
public:
    Replayer(const Record& record_, const ReplayOptions& options_) : record(record_), options(options_) {}

    ReplayResult Run();
    int32_t line = 0;  // of the event being replayed

private:
    enum class Step { Taken, None, OverBudget };

    // Lines the replay's writer has produced since the last look, parsed.
    void Collect();
    // Lets the replanning opponent take its next step.
    Step AdvanceOpponent();
    // Plays one event of the record that the replay did not produce itself; false when the replay
    // stops there (`result` says why). Moves `next` past the event when it is done with it.
    bool Play(const RecordEvent& event, size_t& next);
    bool StartBoard(const RecordEvent& event);
    bool Stop(Verdict verdict, int32_t at, std::string message);

    const Record& record;
    const ReplayOptions& options;
    std::ostringstream produced;
    size_t read = 0;
    std::deque<Json> pending;
    RecordWriter writer{produced};
    ReplayBoard boards{record, &writer, true};
    RecordedStudy study{record};
    ReplayResult result;
};

void Replayer::Collect()
{
    const std::string text = produced.str();
    size_t end = 0;
    while ((end = text.find('\n', read)) != std::string::npos) {
        pending.push_back(Json::parse(text.substr(read, end - read)));
        read = end + 1;
    }
}

Replayer::Step Replayer::AdvanceOpponent()
{
    AIController* opponent = boards.opponent;
    if (opponent->thinking) {
        // Counted in steps, not time: a record is cut off at the same turn on every machine.
        return opponent->Think(AIController::unlimited, options.searchBudget) ? Step::OverBudget : Step::Taken;
    }
    // An attack whose target an undo took away plays nothing: the next step follows.
    for (int step = 0; step < 64 && opponent->executingPlan; ++step) {
        opponent->AdvancePlayback(playbackStep);
        Collect();
        if (!pending.empty()) {
            return Step::Taken;
        }
    }
    return Step::None;
}

bool Replayer::Stop(Verdict verdict, int32_t at, std::string message)
{
    result.verdict = verdict;
    result.line = at;
    result.message = std::move(message);
    return false;
}

bool Replayer::StartBoard(const RecordEvent& event)
{
    // A text that its hash does not name is a difference before anything else.
    if (std::string problem = boards.TextProblem(event); !problem.empty()) {
        ++result.games;
        return Stop(Verdict::Differs, event.line, problem);
    }
    // A board of the record's study plays on a map the study names, whichever it is.
    if (std::string differs = study.Held() ? study.CheckBoard(event) : ""; !differs.empty()) {
        ++result.games;
        return Stop(Verdict::Differs, event.line, differs);
    }
    const std::string& text = event.fields.at("text").get_ref<const std::string&>();
    if (!options.anyMap && !study.Held() && FindStudyMap(text) == nullptr) {
        std::string names;
        for (const StudyMap& map : StudyMaps()) {
            names += (names.empty() ? "" : ", ") + map.name;
        }
        return Stop(Verdict::NotChecked, event.line,
                    "the board's map (" + record::TextHash(text) + ") is not one of the study's (" + names +
                        "); not checked from here (--any-map replays other maps)");
    }
    std::string problem = boards.StartBoard(event);
    if (problem.empty() && study.Held()) {
        boards.root.SetScored(*boards.board, study.Scored());
    }
    ++result.games;
    return problem.empty() || Stop(Verdict::Differs, event.line, problem);
}

bool Replayer::Play(const RecordEvent& event, size_t& next)
{
    const std::string& kind = event.event;
    if (kind == "scene" || kind == "focus") {
        ++next;
    } else if (kind == "code") {
        const std::string code = event.fields.at("code").get<std::string>();
        if (code != boards.root.resultCode) {
            return Stop(Verdict::Differs, event.line,
                        "result code: the record has " + code + ", the replay " + boards.root.resultCode);
        }
        ++next;
    } else if (kind == "board") {
        return StartBoard(event);
    } else if (boards.board == nullptr) {
        return Stop(Verdict::Differs, event.line, kind + " before any board");
    } else if (kind == "outcome") {
        return Stop(Verdict::Differs, event.line, "the record has the game decided here, the replay plays on");
    } else if (kind != "undo" && boards.opponent != nullptr &&
               (boards.opponent->executingPlan || boards.Int(event.fields.at("side"), event.line) == 1)) {
        // While its plan plays, every change but an undo is the opponent's, whatever side the line
        // names: after an undo the plan can buy from a castle the undo made neutral again.
        const Step step = AdvanceOpponent();
        if (step == Step::OverBudget) {
            return Stop(Verdict::NotChecked, event.line,
                        "the opponent's search of this turn goes on beyond " + std::to_string(options.searchBudget) +
                            " steps (--search-budget); not checked from here");
        }
        if (step == Step::None) {
            return Stop(Verdict::Differs, event.line,
                        "the record has the opponent's " + kind + ", the replay's opponent has ended its turn");
        }
    } else if (kind == "think") {
        ++next;  // a side that plays from the record planned this turn; its plan is in the lines that follow
    } else if (boards.opponent != nullptr && boards.opponent->thinking) {
        // Nothing can happen on a board while a side plans its turn.
        return Stop(Verdict::Differs, event.line, "the record has its " + kind + " here, while the opponent plans its turn");
    } else {
        const bool played = boards.Apply(event);
        Collect();
        if (!played || pending.empty()) {
            return Stop(Verdict::Differs, event.line, "the recorded " + kind + " cannot be played on the replayed board");
        }
    }
    return true;
}

ReplayResult Replayer::Run()
{
    if (!study.Altered().empty()) {
        Stop(Verdict::Differs, 1, study.Altered());
        return result;
    }
    if (!study.Unreadable().empty()) {
        Stop(Verdict::NotChecked, 1, study.Unreadable() + "; not checked");
        return result;
    }
    for (size_t i = 0; i < record.events.size();) {
        const RecordEvent& event = record.events[i];
        line = event.line;
        Collect();
        if (pending.empty()) {
            if (!Play(event, i)) {
                return result;
            }
            continue;
        }
        std::string differences = Differences(event.fields, pending.front());
        if (!differences.empty()) {
            Stop(Verdict::Differs, event.line, differences);
            return result;
        }
        pending.pop_front();
        ++i;
    }
    Collect();
    if (record.cutAtLine != 0) {
        Stop(Verdict::NotChecked, record.cutAtLine,
             "the last line is cut short; the " + std::to_string(result.games) +
                 " game(s) before it match, the line itself is not checked");
    } else if (!pending.empty()) {
        const int32_t after = record.events.empty() ? 1 : record.events.back().line;
        Stop(Verdict::Differs, after + 1, "the record ends here, the replay goes on with " + pending.front().dump());
    }
    return result;
}
}  // namespace

ReplayResult ReplayRecord(const Record& record, const ReplayOptions& options)
{
    Replayer replayer(record, options);
    try {
        return replayer.Run();
    } catch (const Json::exception& error) {
        throw RecordError(record.name + ":" + std::to_string(replayer.line) +
                          ": a field is missing or of the wrong kind (" + error.what() + ")");
    }
}
