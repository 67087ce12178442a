#include "replay/Replay.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <memory>
#include <sstream>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/GameData.h"
#include "board/MapFile.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "input/InputManager.h"
#include "record/RecordWriter.h"
#include "common/RootInstalled.h"
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
    for (const auto& [key, value] : recorded.items()) {
        if (!Timing(key) && !replayed.contains(key)) {
            found += (found.empty() ? "" : "; ") + key + ": the record has " + value.dump() + ", the replay nothing";
        }
    }
    return found;
}

// Whether the rules offer the recorded action to its piece as the board stands, as the human
// side's highlights and the opponents' generators do. NOTE: Z keeps the human's selection, so
// the first action after an undo may come from highlights of the board before it (`stale`):
// then only the kind of piece and a passable tile are required.
bool Offered(const TileMap& board, const Unit& actor, const std::string& kind, Vector2 to, int32_t type, bool stale)
{
    const auto among = [&](const std::vector<Vector2>& tiles) {
        return stale ? !board.GetTile(to).blocked
                     : std::any_of(tiles.begin(), tiles.end(), [to](Vector2 tile) { return SameTile(tile, to); });
    };
    if (kind == "pass") {
        return stale || !actor.hasAttacked;
    }
    if ((kind == "buy") != actor.isCastle || (!stale && actor.hasAttacked)) {
        return false;  // a castle only buys; a finished piece (a castle that has bought) does nothing
    }
    if (kind == "move") {
        return (stale || !actor.hasMoved) && among(actor.GetReachableTiles());
    }
    if (kind == "attack") {
        return among(actor.GetAttackTargets(actor.GetTile()));
    }
    const TeamController* side = board.teams[static_cast<size_t>(board.SideOf(actor.team))];
    return (stale || TypeInfo(type).cost <= side->gold) && among(actor.GetSpawnTiles());
}

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
    // A whole number of the event being replayed; RecordError for anything else.
    int32_t Int(const Json& value) const;
    Vector2 TileOf(const Json& fields, const char* key) const;
    // Lines the replay's writer has produced since the last look, parsed.
    void Collect();
    // Applies a recorded event of a side whose actions come from the record; false when the
    // rules do not offer it.
    bool Apply(const RecordEvent& event);
    // Lets the replanning opponent take its next step; false when it has none.
    bool AdvanceOpponent();
    // Sets up the board the event holds; what differs, or "" when it is set up.
    std::string StartBoard(const RecordEvent& event);

    const Record& record;
    std::ostringstream produced;
    size_t read = 0;
    std::deque<Json> pending;
    RecordWriter writer{produced};
    RootNode root;
    RootInstalled installed;
    TileMap* board = nullptr;
    AIController* opponent = nullptr;  // replanning, or null when side 1 plays from the record
    bool afterUndo = false;  // an undo came after the recorded side's last action (see Offered)
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

int32_t Replayer::Int(const Json& value) const
{
    using Limits = std::numeric_limits<int32_t>;
    const bool whole = value.is_number_unsigned()  ? value.get<uint64_t>() <= static_cast<uint64_t>(Limits::max())
                       : value.is_number_integer() ? value.get<int64_t>() >= Limits::min() && value.get<int64_t>() <= Limits::max()
                                                   : false;
    if (!whole) {
        throw RecordError(record.name + ":" + std::to_string(line) + ": " + value.dump() + " is not a whole number");
    }
    return value.get<int32_t>();
}

Vector2 Replayer::TileOf(const Json& fields, const char* key) const
{
    const Json& tile = fields.at(key);
    return {static_cast<float>(Int(tile.at(0))), static_cast<float>(Int(tile.at(1)))};
}

std::string Replayer::StartBoard(const RecordEvent& event)
{
    const Json& fields = event.fields;
    const std::string text = fields.at("text").get<std::string>();
    const std::string hash = record::TextHash(text);
    if (hash != fields.at("hash").get<std::string>()) {
        return "the map text is not the one the record's hash names (" + fields.at("hash").get<std::string>() +
               "; the text hashes to " + hash + ")";
    }
    if (text.empty()) {
        // NOTE: a board without a text would load a map file of this machine instead.
        return "the board has no map text";
    }
    const int32_t number = Int(fields.at("number"));
    if (number != 1 && number != 2) {
        throw RecordError(record.name + ":" + std::to_string(event.line) + ": a board's number is 1 or 2, not " +
                          std::to_string(number));
    }
    // Every field is read before anything is made, so that a missing one leaves nothing behind.
    const std::string name = fields.at("opponent").get<std::string>();
    const bool tutorial = fields.at("tutorial").get<bool>();
    const std::string mapName = fields.at("map").get<std::string>();
    if (board != nullptr) {
        root.RemoveChild(board);
        delete board;
    }
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
    GameData::Get().mapIndex = number - 1;
    board = new TileMap();
    board->isTutorial = tutorial;
    board->mapFile = mapName;
    board->mapText = text;
    afterUndo = false;
    ++result.games;
    try {
        root.AddChild(board);
    } catch (const MapFileError& error) {
        return std::string("the map text is not a board the game can load (") + error.what() + ")";
    }
    return "";
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
        afterUndo = true;
        return true;
    }
    if (kind == "endTurn" || kind == "forfeit") {
        board->forfeited = kind == "forfeit";
        board->EndTurn();
        return true;
    }
    Unit* actor = board->GetUnitAt(TileOf(fields, "from"));
    if (actor == nullptr || actor->team == nullptr || board->SideOf(actor->team) != Int(fields.at("side"))) {
        return false;
    }
    const Vector2 to = kind == "pass" ? actor->GetTile() : TileOf(fields, "to");
    const int32_t type = kind == "buy" ? Int(fields.at("type")) : 0;
    if (type < 0 || type > 2 || (kind != "move" && kind != "attack" && kind != "buy" && kind != "pass")) {
        return false;
    }
    const bool offered = Offered(*board, *actor, kind, to, type, afterUndo);
    afterUndo = false;
    if (!offered) {
        return false;
    }
    if (kind == "move") {
        board->MoveUnit(actor, to);
    } else if (kind == "attack") {
        board->AttackUnit(actor, to);
    } else if (kind == "buy") {
        board->BuyUnit(actor, type, to);
    } else {
        board->PassUnit(actor);
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
            std::string problem = StartBoard(event);
            if (!problem.empty()) {
                return differ(event.line, problem);
            }
        } else if (board == nullptr) {
            return differ(event.line, kind + " before any board");
        } else if (kind == "outcome") {
            return differ(event.line, "the record has the game decided here, the replay plays on");
        } else if (kind != "undo" && opponent != nullptr && Int(event.fields.at("side")) == 1) {
            if (!AdvanceOpponent()) {
                return differ(event.line, "the record has the opponent's " + kind + ", the replay's opponent has ended its turn");
            }
        } else if (kind == "think") {
            ++i;  // a side that plays from the record planned this turn; its plan is in the lines that follow
        } else if (opponent != nullptr && opponent->thinking) {
            // Nothing can happen on a board while a side plans its turn.
            return differ(event.line, "the record has its " + kind + " here, while the opponent plans its turn");
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
