#pragma once

#include <cmath>
#include <vector>

#include "board/Rules.h"
#include "board/UnitType.h"
#include "input/Clickable.h"

class TeamController;
class TileMap;

// A piece on the board, owned by its map while it stands there.
class Unit : public Clickable {
public:
    Unit(TeamController* owner, const UnitTypeInfo& row);
    Unit(TeamController* owner, int32_t typeNumber, const Rules::PieceStats& stats);

    void Init() override;
    void Draw() override;
    void OnClick() override;
    virtual void OnTurnStart() {}
    virtual void OnAttacked(int32_t damage, Unit* attacker);

    // The tile under the piece: its position floored to whole tiles.
    Vector2 GetTile() const { return {std::floor(position.x / 100.0f), std::floor(position.y / 100.0f)}; }

    // Tiles the unit can move to this turn, in discovery order (the opponents break ties by it).
    std::vector<Vector2> GetReachableTiles() const;
    // Tiles of the pieces the unit could attack standing on `from`, in child order.
    std::vector<Vector2> GetAttackTargets(Vector2 from) const;
    // The same into a list the caller keeps, for searches that ask many times.
    void AttackTargetsInto(Vector2 from, std::vector<Vector2>& result) const;
    // Whether some piece is in reach from `from` (GetAttackTargets not empty).
    bool HasAttackTarget(Vector2 from) const;
    // Free, passable neighbours where a unit bought here can appear.
    std::vector<Vector2> GetSpawnTiles() const;

    Texture2D* texture = nullptr;
    Shader* shader = nullptr;
    bool showHealthBar = true;
    int32_t range = 0;
    int32_t speed = 0;
    int32_t damage = 0;
    int32_t health = 0;
    int32_t maxHealth = 0;
    int32_t sightRange = 5;
    int32_t value = 0;
    int32_t type = 0;
    TileMap* map = nullptr;
    TeamController* team = nullptr;
    bool hasMoved = true;
    bool hasAttacked = true;  // finished for the turn; for a castle: bought this turn
    // Creation number: a stable order among pieces, the same in every run.
    uint64_t serial = 0;
    bool isCastle = false;

private:
    // Whether this piece, standing on `from`, could attack `piece`.
    bool InReach(const Unit& piece, Vector2 from) const;
};

// Neither moves nor attacks; an attack captures it instead of hurting it.
class Castle : public Unit {
public:
    explicit Castle(TeamController* owner);

    void OnTurnStart() override;
    void OnAttacked(int32_t damage, Unit* attacker) override;
};
