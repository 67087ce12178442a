#include "replay/ReplayBoard.h"

#include <algorithm>
#include <limits>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/GameData.h"
#include "board/MapFile.h"
#include "board/TileMap.h"
#include "board/Unit.h"

using record::Json;

namespace {
// A side whose actions come from the record: it takes its income and waits.
class RecordedSide : public AIController {
public:
    explicit RecordedSide(bool& playing_) : playing(playing_) {}
    void StartTurn() override
    {
        NotifyUnitsOfTurnStart();
        playing = true;
    }

private:
    bool& playing;
};

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

// Whether the rest of a computer side's plan, played on as it is after the human's undo, could
// hold the recorded action: the game's playback checks nothing but the kind (no reach, gold, free
// tile or owner), so only what held when the plan was made remains: its pieces were the side's
// (a castle's capture can be taken back), a castle only buys or passes, a move or a purchase goes
// to a passable tile, and an attack reaches the record only when a piece stands on its target.
bool PlayedOn(const TileMap& board, const Unit& actor, int32_t side, const std::string& kind, Vector2 to)
{
    if (side != 1 && !actor.isCastle) {
        return false;
    }
    if (kind == "pass") {
        return true;
    }
    if ((kind == "buy") != actor.isCastle) {
        return false;
    }
    return kind == "attack" ? board.GetUnitAt(to) != nullptr : !board.GetTile(to).blocked;
}
}  // namespace

ReplayBoard::ReplayBoard(const Record& record_, RecordWriter* writer, bool replan_)
    : record(record_), replan(replan_)
{
    root.record = writer;
}

ReplayBoard::~ReplayBoard()
{
    // The board goes while the root is still installed: nothing of it may outlive the root.
    for (Node* child : root.GetChildren()) {
        root.RemoveChild(child);
        delete child;
    }
}

int32_t ReplayBoard::Int(const Json& value, int32_t line) const
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

Vector2 ReplayBoard::TileOf(const Json& fields, const char* key, int32_t line) const
{
    const Json& tile = fields.at(key);
    return {static_cast<float>(Int(tile.at(0), line)), static_cast<float>(Int(tile.at(1), line))};
}

std::string ReplayBoard::TextProblem(const RecordEvent& event) const
{
    const std::string& text = event.fields.at("text").get_ref<const std::string&>();
    const std::string& named = event.fields.at("hash").get_ref<const std::string&>();
    const std::string hash = record::TextHash(text);
    if (hash != named) {
        return "the map text is not the one the record's hash names (" + named + "; the text hashes to " + hash + ")";
    }
    // NOTE: a board without a text would load a map file of this machine instead.
    return text.empty() ? "the board has no map text" : "";
}

std::string ReplayBoard::StartBoard(const RecordEvent& event)
{
    const Json& fields = event.fields;
    if (std::string problem = TextProblem(event); !problem.empty()) {
        return problem;
    }
    const std::string text = fields.at("text").get<std::string>();
    const int32_t number = Int(fields.at("number"), event.line);
    if (number < 1 || number > maxMapsPerBoard) {
        throw RecordError(record.name + ":" + std::to_string(event.line) + ": a board's number is 1 to " +
                          std::to_string(maxMapsPerBoard) + ", not " + std::to_string(number));
    }
    // Every field is read before anything is made, so that a missing one leaves nothing behind.
    const std::string name = fields.at("opponent").get<std::string>();
    const bool tutorial = fields.at("tutorial").get<bool>();
    const std::string mapName = fields.at("map").get<std::string>();
    if (board != nullptr) {
        root.RemoveChild(board);
        delete board;
    }
    const bool planning = replan && (name == "a" || name == "b");
    AIController* side = !planning ? new RecordedSide(recordedPlays)
                         : name == "a" ? static_cast<AIController*>(new MinimaxController())
                                       : new HPSController();
    side->name = name;
    opponent = planning ? side : nullptr;
    root.aiQueue.emplace_back(side);
    GameData::Get().mapIndex = number - 1;
    board = new TileMap();
    board->isTutorial = tutorial;
    board->mapFile = mapName;
    board->mapText = text;
    afterUndo = recordedPlays = planAfterUndo = false;
    lastMoved = nullptr;
    try {
        root.AddChild(board);
    } catch (const MapFileError& error) {
        // Half set up: nothing may draw or play it.
        root.RemoveChild(board);
        delete board;
        board = nullptr;
        return std::string("the map text is not a board the game can load (") + error.what() + ")";
    }
    return "";
}

Unit* ReplayBoard::Actor(const RecordEvent& event, bool playedOn) const
{
    const Vector2 from = TileOf(event.fields, "from", event.line);
    // A plan played on can move a piece onto one the undo put back; the record names the tile
    // alone, and a plan's piece acts right after its move.
    if (playedOn && lastMoved != nullptr && lastMoved->parent == board && SameTile(lastMoved->GetTile(), from)) {
        return lastMoved;
    }
    return board->GetUnitAt(from);
}

bool ReplayBoard::Apply(const RecordEvent& event)
{
    const Json& fields = event.fields;
    const std::string& kind = event.event;
    if (kind == "undo") {
        if (board->history.empty()) {
            return false;
        }
        board->RestoreSnapshot(static_cast<int32_t>(board->history.size()) - 1);
        afterUndo = true;
        planAfterUndo = planAfterUndo || recordedPlays;
        return true;
    }
    if (kind == "endTurn" || kind == "forfeit") {
        board->forfeited = kind == "forfeit";
        recordedPlays = planAfterUndo = false;  // its StartTurn sets it again when the turn goes to it
        lastMoved = nullptr;
        board->EndTurn();
        return true;
    }
    // NOTE: the human cannot act in the recorded side's turn: an undo then is the participant's
    // Z during its playback, and the rest of that turn is the plan played on as it is.
    const bool playedOn = recordedPlays && planAfterUndo;
    Unit* actor = Actor(event, playedOn);
    const int32_t side = Int(fields.at("side"), event.line);
    if (actor == nullptr || (actor->team == nullptr && !playedOn) || board->SideOf(actor->team) != side) {
        return false;
    }
    const Vector2 to = kind == "pass" ? actor->GetTile() : TileOf(fields, "to", event.line);
    const int32_t type = kind == "buy" ? Int(fields.at("type"), event.line) : 0;
    if (type < 0 || type > 2 || (kind != "move" && kind != "attack" && kind != "buy" && kind != "pass")) {
        return false;
    }
    const bool offered =
        playedOn ? PlayedOn(*board, *actor, side, kind, to) : Offered(*board, *actor, kind, to, type, afterUndo);
    afterUndo = false;
    if (!offered) {
        return false;
    }
    if (kind == "move") {
        lastMoved = actor;
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
