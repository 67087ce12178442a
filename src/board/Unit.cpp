#include "board/Unit.h"

#include <algorithm>
#include <cmath>

#include "board/BoardQueries.h"
#include "board/GameData.h"
#include "board/Rules.h"
#include "board/TeamController.h"
#include "board/TileMap.h"
#include "input/TextStyle.h"

Unit::Unit(TeamController* owner, const UnitTypeInfo& row) : Unit(owner, row.type, Rules::StatsOf(row.type)) {}

Unit::Unit(TeamController* owner, int32_t typeNumber, const Rules::PieceStats& stats)
    : range(stats.range),
      speed(stats.speed),
      damage(stats.damage),
      health(stats.health),
      maxHealth(stats.health),
      sightRange(stats.sight),
      value(stats.value),
      type(typeNumber),
      team(owner)
{
    static uint64_t nextSerial = 0;
    serial = nextSerial++;
    size = {100.0f, 100.0f};
}

void Unit::Init()
{
    GameData& data = GameData::Get();
    texture = &data.textures[static_cast<size_t>(type)];
    shader = &data.unitShader;
    if (auto* board = dynamic_cast<TileMap*>(parent)) {
        map = board;
    }
}

void Unit::Draw()
{
    if (map != nullptr && !map->teams.empty() && !map->teams[0]->CanSee(GetTile())) {
        return;
    }
    Vector2 p = GetAbsolutePosition();
    float tint = hasAttacked ? 0.4f : 1.0f;
    if (texture != nullptr && texture->height > 0) {
        float scale = static_cast<float>(100 / texture->height);
        float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        if (team != nullptr) {
            std::copy(team->color.begin(), team->color.end(), colour);
        }
        SetShaderValue(*shader, GetShaderLocation(*shader, "replaceColor"), colour, SHADER_UNIFORM_VEC4);
        SetShaderValue(*shader, GetShaderLocation(*shader, "tintAmount"), &tint, SHADER_UNIFORM_FLOAT);
        BeginShaderMode(*shader);
        DrawTextureEx(*texture, p, 0.0f, scale, WHITE);
        EndShaderMode();
    } else {
        // No image (headless, or a failed load): a box with the type's initial in the side's colour.
        Color side = WHITE;
        if (team != nullptr) {
            side = ColorFromNormalized({team->color[0], team->color[1], team->color[2], team->color[3]});
        }
        side = ColorBrightness(side, tint < 1.0f ? -0.6f : 0.0f);
        DrawRectangle(static_cast<int>(p.x) + 20, static_cast<int>(p.y) + 20, 60, 60, side);
        DrawRectangleLines(static_cast<int>(p.x) + 20, static_cast<int>(p.y) + 20, 60, 60, BLACK);
        const char initial[2] = {TypeInfo(type).name[0], '\0'};
        TextStyle::Draw(initial, static_cast<int32_t>(p.x) + 40, static_cast<int32_t>(p.y) + 35, 30, BLACK);
    }
    if (showHealthBar) {
        int x = static_cast<int>(p.x);
        int y = static_cast<int>(p.y + 100.0f);
        DrawRectangle(x, y, 100, 10, BLACK);
        DrawRectangle(x, y, maxHealth > 0 ? (health * 100) / maxHealth : 0, 10, RED);
    }
}

void Unit::OnClick()
{
    if (team != nullptr) {
        team->SelectUnit(this);
    }
}

void Unit::OnAttacked(int32_t damageTaken, Unit*)
{
    health -= damageTaken;
    if (health <= 0 && parent != nullptr) {
        parent->RemoveChild(this);
        if (map != nullptr) {
            map->removedUnits.push_back(this);
        }
    }
}

Castle::Castle(TeamController* owner) : Unit(nullptr, TypeInfo(TypeNumber(UnitType::Castle)))
{
    isCastle = true;
    showHealthBar = false;
    team = owner;
}

void Castle::OnTurnStart()
{
    if (team != nullptr) {
        team->gold += 100;
    }
}

void Castle::OnAttacked(int32_t, Unit* attacker)
{
    team = attacker->team;
}

// The three range queries of a piece: where it can move, what it can attack, where a purchase can appear.
std::vector<Vector2> Unit::GetReachableTiles() const
{
    if (map == nullptr) {
        return {};
    }
    BoardQueries queries(*map);
    return queries.Reachable(*this);
}

std::vector<Vector2> Unit::GetAttackTargets(Vector2 from) const
{
    std::vector<Vector2> result;
    AttackTargetsInto(from, result);
    return result;
}

bool Unit::InReach(const Unit& piece, Vector2 from) const
{
    if (piece.team == team) {
        return false;
    }
    const Vector2 tile = piece.GetTile();
    return Rules::InReach(static_cast<int32_t>(from.x), static_cast<int32_t>(from.y), range, static_cast<int32_t>(tile.x),
                          static_cast<int32_t>(tile.y), piece.isCastle);
}

void Unit::AttackTargetsInto(Vector2 from, std::vector<Vector2>& result) const
{
    result.clear();
    if (map == nullptr) {
        return;
    }
    for (Unit* piece : map->Units()) {
        if (InReach(*piece, from)) {
            result.push_back(piece->GetTile());
        }
    }
}

bool Unit::HasAttackTarget(Vector2 from) const
{
    if (map == nullptr) {
        return false;
    }
    const std::vector<Unit*>& pieces = map->Units();
    return std::any_of(pieces.begin(), pieces.end(), [&](const Unit* piece) { return InReach(*piece, from); });
}

std::vector<Vector2> Unit::GetSpawnTiles() const
{
    std::vector<Vector2> result;
    if (map == nullptr) {
        return result;
    }
    const Vector2 at = GetTile();
    auto tileOf = [](int32_t x, int32_t y) { return Vector2{static_cast<float>(x), static_cast<float>(y)}; };
    Rules::ForEachSpawnTile(
        static_cast<int32_t>(at.x), static_cast<int32_t>(at.y), [&](int32_t x, int32_t y) { return !map->GetTile(tileOf(x, y)).blocked; },
        [&](int32_t x, int32_t y) { return map->GetUnitAt(tileOf(x, y)) == nullptr; }, [&](int32_t x, int32_t y) { result.push_back(tileOf(x, y)); });
    return result;
}
