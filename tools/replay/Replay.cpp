#include "replay/Replay.h"

#include <deque>
#include <memory>
#include <sstream>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/GameData.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "input/InputManager.h"
#include "record/RecordWriter.h"
#include "study/RootNode.h"

using record::Json;

namespace {
// More than actionDelay: every call plays exactly one step of a plan.
constexpr float playbackStep = 0.6f;

// A side whose actions come from the record: it takes its income and waits.
class RecordedSide : public AIController {
public:
    void StartTurn() override { NotifyUnitsOfTurnStart(); }
};

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
    return found;
}

Vector2 TileOf(const Json& fields, const char* key)
{
    const Json& tile = fields.at(key);
    return {static_cast<float>(tile.at(0).get<int32_t>()), static_cast<float>(tile.at(1).get<int32_t>())};
}

// The board's tree finds the root through the input manager; restore it whatever happens.
class RootInstalled {
public:
    explicit RootInstalled(RootNode& root) : previous(InputManager::Instance().root)
    {
        InputManager::Instance().root = &root;
    }
    ~RootInstalled() { InputManager::Instance().root = previous; }
    RootInstalled(const RootInstalled&) = delete;
    RootInstalled& operator=(const RootInstalled&) = delete;

private:
    SceneRoot* previous;
};

class Replayer {
public:
    explicit Replayer(const Record& record_) : record(record_), installed(root) { root.record = &writer; }
    ~Replayer()
    {
        for (Node* child : root.GetChildren()) {
            root.RemoveChild(child);
            delete child;
        }
    }
    Replayer(const Replayer&) = delete;
    Replayer& operator=(const Replayer&) = delete;

    ReplayResult Run();
    int32_t line = 0;  // of the event being replayed

private:
    // Lines the replay's writer has produced since the last look, parsed.
    void Collect();
    // Applies a recorded event of a side whose actions come from the record.
    bool Apply(const RecordEvent& event);
    // Lets the replanning opponent take its next step; false when it has none.
    bool AdvanceOpponent();
    void StartBoard(const RecordEvent& event);

    const Record& record;
    std::ostringstream produced;
    size_t read = 0;
    std::deque<Json> pending;
    RecordWriter writer{produced};
    RootNode root;
    RootInstalled installed;
    TileMap* board = nullptr;
    AIController* opponent = nullptr;  // replanning, or null when side 1 plays from the record
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

void Replayer::StartBoard(const RecordEvent& event)
{
    const Json& fields = event.fields;
    const std::string text = fields.at("text").get<std::string>();
    if (record::TextHash(text) != fields.at("hash").get<std::string>()) {
        throw RecordError(record.name + ":" + std::to_string(event.line) + ": the map text does not match its hash");
    }
    if (board != nullptr) {
        root.RemoveChild(board);
        delete board;
    }
    const std::string name = fields.at("opponent").get<std::string>();
    AIController* side = nullptr;
    if (name == "a") {
        side = new MinimaxController();
    } else if (name == "b") {
        side = new HPSController();
    } else {
        side = new RecordedSide();
    }
    side->name = name;
    opponent = name == "a" || name == "b" ? side : nullptr;
    root.aiQueue.emplace_back(side);
    GameData::Get().mapIndex = fields.at("number").get<int32_t>() - 1;
    board = new TileMap();
    board->isTutorial = fields.at("tutorial").get<bool>();
    board->mapFile = fields.at("map").get<std::string>();
    board->mapText = text;
    root.AddChild(board);
    ++result.games;
}

bool Replayer::Apply(const RecordEvent& event)
{
    const Json& fields = event.fields;
    const std::string& kind = event.event;
    if (kind == "undo") {
        if (board->history.empty()) {
            return false;
        }
        board->RestoreSnapshot(static_cast<int32_t>(board->history.size()) - 1);
        return true;
    }
    if (kind == "endTurn" || kind == "forfeit") {
        board->forfeited = kind == "forfeit";
        board->EndTurn();
        return true;
    }
    Unit* actor = board->GetUnitAt(TileOf(fields, "from"));
    if (actor == nullptr || board->SideOf(actor->team) != fields.at("side").get<int32_t>()) {
        return false;
    }
    if (kind == "move") {
        board->MoveUnit(actor, TileOf(fields, "to"));
    } else if (kind == "attack") {
        board->AttackUnit(actor, TileOf(fields, "to"));
    } else if (kind == "buy") {
        const int32_t type = fields.at("type").get<int32_t>();
        if (type < 0 || type > 2) {
            return false;
        }
        board->BuyUnit(actor, type, TileOf(fields, "to"));
    } else if (kind == "pass") {
        board->PassUnit(actor);
    } else {
        return false;
    }
    return true;
}

bool Replayer::AdvanceOpponent()
{
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
            if (code != root.resultCode) {
                return differ(event.line, "result code: the record has " + code + ", the replay " + root.resultCode);
            }
            ++i;
        } else if (kind == "board") {
            StartBoard(event);
        } else if (board == nullptr) {
            return differ(event.line, kind + " before any board");
        } else if (kind == "outcome") {
            return differ(event.line, "the record has the game decided here, the replay plays on");
        } else if (kind != "undo" && opponent != nullptr && event.fields.at("side").get<int32_t>() == 1) {
            if (!AdvanceOpponent()) {
                return differ(event.line, "the record has the opponent's " + kind + ", the replay's opponent has ended its turn");
            }
        } else if (kind == "think") {
            ++i;  // a side that plays from the record planned this turn; its plan is in the lines that follow
        } else {
            bool played = Apply(event);
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
