// The turn cycle, the victory rule and the three actions of a board.
#include <string>

#include "ai/AIController.h"
#include "board/GameData.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "core/RootNode.h"
#include "input/InputManager.h"
#include "rules/TeamController.h"

void TileMap::UpdateAllVision()
{
    for (TeamController* team : teams) {
        team->UpdateVision();
    }
}

void TileMap::EndTurn()
{
    TakeSnapshot();
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
    RootNode* root = InputManager::Instance().root;
    bool scored = ai != nullptr && ai->name != "default" && !isTutorial;
    if (scored && root != nullptr) {
        std::string group = ai->name + (winner != nullptr && winner == teams[1] ? "0" : "1");
        group += std::to_string(GameData::Get().mapIndex + 1);
        root->resultCode += group;
    }
    if (root != nullptr) {
        root->advanceScene = true;
    }
}

void TileMap::MoveUnit(Unit* unit, Vector2 tile)
{
    TakeSnapshot();
    unit->position = {tile.x * 100.0f, tile.y * 100.0f};
    unit->hasMoved = true;
    if (unit->GetAttackTargets(unit->GetTile()).empty()) {
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
    target->OnAttacked(attacker->damage, attacker);
    attacker->hasAttacked = true;
    if (updateVisibility) {
        UpdateAllVision();
    }
}

void TileMap::BuyUnit(Unit* castle, int32_t unitType, Vector2 tile)
{
    TakeSnapshot();
    if (castle->team != nullptr) {
        castle->team->gold -= TypeInfo(unitType).cost;
    }
    castle->hasAttacked = true;
    SpawnUnit(unitType, tile, castle->team);
}
