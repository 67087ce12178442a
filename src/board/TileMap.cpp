#include "board/TileMap.h"

#include "board/GameData.h"
#include "board/MapFile.h"
#include "board/Unit.h"
#include "rules/TeamController.h"

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
    MapFile file = ReadMapFile(path);
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

const std::vector<Unit*>& TileMap::Units() const
{
    if (!unitsValid) {
        units.clear();
        for (Node* child : children) {
            if (auto* unit = dynamic_cast<Unit*>(child)) {
                units.push_back(unit);
            }
        }
        unitsValid = true;
    }
    return units;
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
