#include "board/TileMap.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

#include "board/GameData.h"
#include "board/GameHost.h"
#include "board/MapFile.h"
#include "board/TeamController.h"
#include "board/Unit.h"
#include "core/SceneRoot.h"
#include "input/CameraNode.h"
#include "input/InputManager.h"
#include "input/Label.h"

TileMap::~TileMap()
{
    // Fallen pieces are no longer children; the board frees them with itself.
    for (Unit* unit : removedUnits) {
        delete unit;
    }
    removedUnits.clear();
}

void TileMap::LoadMap(const std::string& path)
{
    LoadMapText(ReadMapText(path), path);
}

void TileMap::LoadMapText(const std::string& text, const std::string& name)
{
    MapFile file = ParseMapText(text, name);
    GameData& data = GameData::Get();
    data.mapWidth = static_cast<int32_t>(file.rows.front().size());
    data.mapHeight = static_cast<int32_t>(file.rows.size());
    std::vector<std::vector<TileType>> rows;
    rows.reserve(file.rows.size());
    for (const std::string& line : file.rows) {
        std::vector<TileType> row;
        row.reserve(line.size());
        for (char digit : line) {
            row.push_back(tileTypeTable[static_cast<size_t>(digit - '0')]);
        }
        rows.push_back(std::move(row));
    }
    tiles = std::move(rows);
    for (const MapPiece& piece : file.pieces) {
        TeamController* owner = nullptr;
        if (piece.side >= 0 && static_cast<size_t>(piece.side) < teams.size()) {
            owner = teams[static_cast<size_t>(piece.side)];
        }
        SpawnUnit(piece.type, {static_cast<float>(piece.x), static_cast<float>(piece.y)}, owner);
    }
    if (observer != nullptr) {
        observer->BoardStarted(*this, name, text);
    }
}

Unit* TileMap::SpawnUnit(int32_t type, Vector2 tile, TeamController* team)
{
    Unit* unit = type == TypeNumber(UnitType::Castle) ? new Castle(team) : new Unit(team, TypeInfo(type));
    unit->position = {100.0f * tile.x, 100.0f * tile.y};
    AddChild(unit);
    if (updateVisibility) {
        UpdateAllVision();
    }
    return unit;
}

TileType TileMap::GetTile(Vector2 tile) const
{
    if (tiles.empty()) {
        return outsideTile;
    }
    auto rows = static_cast<float>(tiles.size());
    auto width = static_cast<float>(tiles.front().size());
    if (tile.y >= 0.0f && tile.y < rows && tile.x >= 0.0f && tile.x < width) {
        return tiles[static_cast<size_t>(tile.y)][static_cast<size_t>(tile.x)];
    }
    return outsideTile;
}

void TileMap::Draw()
{
    if (tiles.empty()) {
        return;
    }
    Vector2 origin = GetAbsolutePosition();
    size_t width = tiles.front().size();
    // While the board has no sides yet, nothing is fogged.
    const TeamController* viewer = teams.empty() ? nullptr : teams[0];
    for (size_t x = 0; x < width; ++x) {
        for (size_t y = 0; y < tiles.size(); ++y) {
            int left = static_cast<int>(origin.x + 100.0f * static_cast<float>(x));
            int top = static_cast<int>(origin.y + 100.0f * static_cast<float>(y));
            Vector2 tile = {static_cast<float>(x), static_cast<float>(y)};
            DrawRectangle(left, top, 100, 100, GetTile(tile).color);
            if (viewer != nullptr && !viewer->CanSee(tile)) {
                DrawRectangle(left, top, 100, 100, {0, 0, 0, 100});
            }
            DrawRectangleLines(left, top, 100, 100, BLACK);
        }
    }
}

void TileMap::CollectUnits() const
{
    units.clear();
    for (Node* child : children) {
        if (auto* unit = dynamic_cast<Unit*>(child)) {
            units.push_back(unit);
        }
    }
    unitsValid = true;
}

std::vector<Unit*> TileMap::GetUnits() const
{
    return Units();
}

Unit* TileMap::GetUnitAt(Vector2 tile) const
{
    for (Unit* unit : Units()) {
        if (SameTile(unit->GetTile(), tile)) {
            return unit;
        }
    }
    return nullptr;
}

std::vector<Unit*> TileMap::GetUnitsOf(const TeamController* team) const
{
    std::vector<Unit*> result;
    for (Unit* unit : Units()) {
        if (unit->team == team) {
            result.push_back(unit);
        }
    }
    return result;
}

std::vector<Castle*> TileMap::GetCastles() const
{
    std::vector<Castle*> castles;
    for (Unit* unit : Units()) {
        if (unit->isCastle) {
            castles.push_back(static_cast<Castle*>(unit));
        }
    }
    return castles;
}

std::vector<Unit*> TileMap::GetUnitsSeenBy(const TeamController* team) const
{
    std::vector<Unit*> seen;
    for (Unit* unit : Units()) {
        if (team->CanSee(unit->GetTile())) {
            seen.push_back(unit);
        }
    }
    return seen;
}

// Setting up a game when its board is attached: sides, camera, map, first turn.
namespace {
const std::array<const char*, 2> mapFileNames = {"Map1.txt", "Map2.txt"};
}

void TileMap::Init()
{
    // The sides come from the study that shows the board; without one there is no game.
    auto* host = dynamic_cast<GameHost*>(InputManager::Instance().root);
    if (host == nullptr) {
        return;
    }
    TeamController* player = sideZero != nullptr ? sideZero : host->CreatePlayer();
    player->gold = 0;
    player->color = {0.0f, 0.0f, 1.0f, 1.0f};

    observer = host->Observer();
    ai = host->TakeOpponent();
    ai->color[0] = 1.0f;
    ai->color[2] = 0.0f;

    AddChild(player);
    teams.push_back(player);
    AddChild(ai);
    teams.push_back(ai);
    ai->gold += 300;

    camera = new CameraNode();
    AddChild(camera);

    // A replay brings the tutorial's map text too: the record, not the file beside the tool, sets it up.
    if (!mapText.empty()) {
        LoadMapText(mapText, mapFile);
    } else if (isTutorial) {
        LoadMap(mapChoices.empty() ? std::string("TutorialMap.txt") : mapChoices.front());
    } else if (!mapFile.empty()) {
        LoadMap(mapFile);
    } else if (mapChoices.empty()) {
        int32_t index = host->NextMapIndex();
        GameData::Get().mapIndex = index;
        LoadMap(mapFileNames[static_cast<size_t>(index)]);
    } else {
        // NOTE: a board of one map draws nothing, so that the draws of the others stay in place.
        const auto count = static_cast<int32_t>(mapChoices.size());
        const int32_t index = count > 1 ? host->NextMapIndex() % count : 0;
        GameData::Get().mapIndex = index;
        LoadMap(mapChoices[static_cast<size_t>(index)]);
    }
    if (isTutorial) {
        BuildTutorial();
        camera->position = {-100.0f, -100.0f};
    }
    if (updateVisibility) {
        UpdateAllVision();
    }
    EndTurn();
}

// Where the tutorial's instructions stand on its map, in world units.
namespace {
const std::array<Vector2, TileMap::tutorialTextCount> tutorialTextPlaces = {{
    {30, 30}, {200, 50}, {30, 200}, {30, 500}, {50, 530}, {30, 560},
    {30, 910}, {30, 940}, {50, 970}, {50, 1000}, {50, 1030}, {50, 1300},
}};
}  // namespace

const std::vector<std::string>& TileMap::BuiltInTutorialTexts()
{
    static const std::vector<std::string> texts = {
        "Welcome to Torvane.",
        "Move the camera with WASD",
        "Click on your Knight, then click a highlighted square to move it.",
        "Try moving your knight (blue) next to the enemy knight (red).",
        "Click your knight, then the enemy knight to attack it.",
        "Press end turn to move and attack again.",
        "Attack the castle to capture it (castles can only be captured from 1 tile away).",
        "Each castle earns you 100 gold per turn.",
        "You can click on a castle to purchase units. Each castle can buy one unit per turn.",
        "Buy a unit to take over the castle below.",
        "Read over the unit stats to get an idea of their different strengths.",
        "You win when you end your turn controlling all castles. Good luck.",
    };
    return texts;
}

TextRoom TileMap::TutorialTextRoom(size_t index)
{
    const float x = index < tutorialTextPlaces.size() ? tutorialTextPlaces[index].x : 0.0f;
    return {20, 1600 - static_cast<int32_t>(x)};
}

void TileMap::BuildTutorial()
{
    const std::vector<std::string>& texts = tutorialTexts.empty() ? BuiltInTutorialTexts() : tutorialTexts;
    for (size_t i = 0; i < texts.size() && i < tutorialTextPlaces.size(); ++i) {
        auto* label = new Label(texts[i], TutorialTextRoom(i).fontSize, BLACK);
        label->position = tutorialTextPlaces[i];
        AddChild(label);
    }
}

// The turn cycle, the victory rule and the three actions.
void TileMap::UpdateAllVision()
{
    for (TeamController* team : teams) {
        team->UpdateVision();
    }
}

void TileMap::EndTurn()
{
    TakeSnapshot();
    Notify(forfeited ? BoardChange::Kind::Forfeit : BoardChange::Kind::EndTurn, nullptr);
    for (Unit* unit : GetUnits()) {
        unit->hasMoved = false;
        unit->hasAttacked = false;
    }
    CheckVictory();
    if (gameOver) {
        return;
    }
    currentTeam += 1;
    if (currentTeam >= static_cast<int32_t>(teams.size())) {
        currentTeam = 0;
    }
    if (updateVisibility) {
        UpdateAllVision();
    }
    // NOTE: a passive opponent ends its turn inside StartTurn, re-entering EndTurn;
    // nothing may follow this call.
    teams[static_cast<size_t>(currentTeam)]->StartTurn();
}

void TileMap::CheckVictory()
{
    if (gameOver) {
        return;
    }
    TeamController* winner = nullptr;
    if (forfeited) {
        winner = teams.size() > 1 ? teams[1] : nullptr;
    } else {
        // Neutral castles before the first owned one are passed over; any later castle
        // of another owner (neutral included) leaves the game undecided.
        bool haveCandidate = false;
        for (Castle* castle : GetCastles()) {
            if (!haveCandidate) {
                winner = castle->team;
                haveCandidate = winner != nullptr;
            } else if (castle->team != winner) {
                return;
            }
        }
    }
    gameOver = true;
    if (auto* host = dynamic_cast<GameHost*>(InputManager::Instance().root)) {
        host->GameDecided(*this, winner);
    }
}

void TileMap::MoveUnit(Unit* unit, Vector2 tile)
{
    TakeSnapshot();
    Notify(BoardChange::Kind::Move, unit, tile);
    unit->position = {tile.x * 100.0f, tile.y * 100.0f};
    unit->hasMoved = true;
    if (!unit->HasAttackTarget(unit->GetTile())) {
        unit->hasAttacked = true;
    }
    if (updateVisibility) {
        UpdateAllVision();
    }
}

void TileMap::AttackUnit(Unit* attacker, Vector2 targetTile)
{
    Unit* target = GetUnitAt(targetTile);
    // A highlight left over after an undo can point at an empty tile: nothing happens then.
    if (target == nullptr) {
        return;
    }
    TakeSnapshot();
    Notify(BoardChange::Kind::Attack, attacker, targetTile);
    target->OnAttacked(attacker->damage, attacker);
    attacker->hasAttacked = true;
    if (updateVisibility) {
        UpdateAllVision();
    }
}

void TileMap::BuyUnit(Unit* castle, int32_t unitType, Vector2 tile)
{
    TakeSnapshot();
    Notify(BoardChange::Kind::Buy, castle, tile, unitType);
    if (castle->team != nullptr) {
        castle->team->gold -= TypeInfo(unitType).cost;
    }
    castle->hasAttacked = true;
    SpawnUnit(unitType, tile, castle->team);
}

void TileMap::PassUnit(Unit* unit)
{
    TakeSnapshot();
    Notify(BoardChange::Kind::Pass, unit);
    if (!unit->hasMoved) {
        unit->hasMoved = true;
        // A unit that still has a target keeps its attack step.
        if (!unit->HasAttackTarget(unit->GetTile())) {
            unit->hasAttacked = true;
        }
    } else {
        unit->hasAttacked = true;
    }
    if (updateVisibility) {
        UpdateAllVision();
    }
}

int32_t TileMap::SideOf(const TeamController* team) const
{
    auto it = std::find(teams.begin(), teams.end(), team);
    return team != nullptr && it != teams.end() ? static_cast<int32_t>(it - teams.begin()) : -1;
}

void TileMap::Notify(BoardChange::Kind kind, const Unit* actor, Vector2 to, int32_t unitType)
{
    if (observer == nullptr) {
        return;
    }
    BoardChange change;
    change.kind = kind;
    change.side = actor != nullptr ? SideOf(actor->team) : currentTeam;
    change.from = actor != nullptr ? actor->GetTile() : Vector2{0.0f, 0.0f};
    change.to = to;
    change.unitType = unitType;
    observer->Changed(*this, change);
}

// Recording and restoring the mutable state: the undo key takes changes back this way.
void TileMap::TakeSnapshot()
{
    BoardSnapshot& snapshot = history.emplace_back();
    const std::vector<Unit*>& pieces = Units();
    snapshot.units.resize(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        // NOTE: field by field: a whole record built first and copied made the processor wait
        // for its own stores to land.
        Unit* unit = pieces[i];
        UnitSnapshot& record = snapshot.units[i];
        record.unit = unit;
        record.position = unit->position;
        record.team = unit->team;
        record.health = unit->health;
        record.hasMoved = unit->hasMoved;
        record.hasAttacked = unit->hasAttacked;
    }
    snapshot.gold.resize(teams.size());
    for (size_t i = 0; i < teams.size(); ++i) {
        snapshot.gold[i] = teams[i]->gold;
    }
    snapshot.currentTeam = currentTeam;
}

void TileMap::RestoreSnapshot(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= history.size()) {
        return;
    }
    Notify(BoardChange::Kind::Undo, nullptr);
    BoardSnapshot snapshot = std::move(history[static_cast<size_t>(index)]);
    history.erase(history.begin() + index, history.end());
    // Every piece leaves the board, and the recorded ones come back as the last children, in the
    // recorded order; the other children keep their order in front.
    for (Unit* unit : GetUnits()) {
        RemoveChild(unit);
        removedUnits.push_back(unit);
    }
    for (const UnitSnapshot& record : snapshot.units) {
        auto it = std::find(removedUnits.rbegin(), removedUnits.rend(), record.unit);
        if (it != removedUnits.rend()) {
            removedUnits.erase(std::next(it).base());
        }
        AddChild(record.unit);
    }
    for (const UnitSnapshot& record : snapshot.units) {
        Unit* unit = record.unit;
        unit->position = record.position;
        unit->team = record.team;
        unit->health = record.health;
        unit->hasMoved = record.hasMoved;
        unit->hasAttacked = record.hasAttacked;
    }
    for (size_t i = 0; i < teams.size() && i < snapshot.gold.size(); ++i) {
        teams[i]->gold = snapshot.gold[i];
    }
    currentTeam = snapshot.currentTeam;
    if (updateVisibility) {
        UpdateAllVision();
    }
}
