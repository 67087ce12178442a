#include "replay/Replay.h"

#include <deque>
#include <sstream>

#include "ai/AIController.h"
#include "record/RecordWriter.h"
#include "replay/ReplayBoard.h"

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
    explicit Replayer(const Record& record_) : record(record_) {}

    ReplayResult Run();
    int32_t line = 0;  // of the event being replayed

private:
    // Lines the replay's writer has produced since the last look, parsed.
    void Collect();
    // Lets the replanning opponent take its next step; false when it has none.
    bool AdvanceOpponent();

    const Record& record;
    std::ostringstream produced;
    size_t read = 0;
    std::deque<Json> pending;
    RecordWriter writer{produced};
    ReplayBoard boards{record, &writer, true};
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

bool Replayer::AdvanceOpponent()
{
    AIController* opponent = boards.opponent;
    if (opponent->thinking) {
        opponent->FinishThinking();
        return true;
    }
    // An attack whose target an undo took away plays nothing: the next step follows.
    for (int step = 0; step < 64 && opponent->executingPlan; ++step) {
        opponent->AdvancePlayback(playbackStep);
        Collect();
        if (!pending.empty()) {
            return true;
        }
    }
    return false;
}

ReplayResult Replayer::Run()
{
    const auto differ = [&](int32_t line, std::string message) {
        result.matches = false;
        result.line = line;
        result.message = std::move(message);
        return result;
    };
    for (size_t i = 0; i < record.events.size();) {
        const RecordEvent& event = record.events[i];
        line = event.line;
        Collect();
        if (!pending.empty()) {
            std::string differences = Differences(event.fields, pending.front());
            if (!differences.empty()) {
                return differ(event.line, differences);
            }
            pending.pop_front();
            ++i;
            continue;
        }
        const std::string& kind = event.event;
        if (kind == "scene" || kind == "focus") {
            ++i;
        } else if (kind == "code") {
            const std::string code = event.fields.at("code").get<std::string>();
            if (code != boards.root.resultCode) {
                return differ(event.line, "result code: the record has " + code + ", the replay " + boards.root.resultCode);
            }
            ++i;
        } else if (kind == "board") {
            std::string problem = boards.StartBoard(event);
            ++result.games;
            if (!problem.empty()) {
                return differ(event.line, problem);
            }
        } else if (boards.board == nullptr) {
            return differ(event.line, kind + " before any board");
        } else if (kind == "outcome") {
            return differ(event.line, "the record has the game decided here, the replay plays on");
        } else if (kind != "undo" && boards.opponent != nullptr && boards.Int(event.fields.at("side"), event.line) == 1) {
            if (!AdvanceOpponent()) {
                return differ(event.line, "the record has the opponent's " + kind + ", the replay's opponent has ended its turn");
            }
        } else if (kind == "think") {
            ++i;  // a side that plays from the record planned this turn; its plan is in the lines that follow
        } else if (boards.opponent != nullptr && boards.opponent->thinking) {
            // Nothing can happen on a board while a side plans its turn.
            return differ(event.line, "the record has its " + kind + " here, while the opponent plans its turn");
        } else {
            bool played = boards.Apply(event);
            Collect();
            if (!played || pending.empty()) {
                return differ(event.line, "the recorded " + kind + " cannot be played on the replayed board");
            }
        }
    }
    Collect();
    if (!pending.empty() && record.cutAtLine == 0) {
        const int32_t after = record.events.empty() ? 1 : record.events.back().line;
        return differ(after + 1, "the record ends here, the replay goes on with " + pending.front().dump());
    }
    return result;
}
}  // namespace

ReplayResult ReplayRecord(const Record& record)
{
    Replayer replayer(record);
    try {
        return replayer.Run();
    } catch (const Json::exception& error) {
        throw RecordError(record.name + ":" + std::to_string(replayer.line) +
                          ": a field is missing or of the wrong kind (" + error.what() + ")");
    }
}
