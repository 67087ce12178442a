#include "player/PlayerController.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "board/TileMap.h"
#include "board/Unit.h"
#include "board/UnitType.h"
#include "input/Button.h"
#include "input/Clickable.h"
#include "input/Label.h"
#include "player/PurchaseMenu.h"

void PlayerController::Init()
{
    if (auto* board = dynamic_cast<TileMap*>(parent)) {
        map = board;
    }
    const Vector2 buttonSize = {static_cast<float>(turnButtonRoom.width), 100};
    endTurnButton = new Button({0, 0}, buttonSize, this, 0, texts.endTurn, RED, MAROON, WHITE, turnButtonRoom.fontSize);
    endTurnButton->fixedToScreen = true;
    AddChild(endTurnButton);
    forfeitButton = new Button({buttonSize.x, 0}, buttonSize, this, 1, texts.forfeit, YELLOW, ORANGE, BLACK,
                               turnButtonRoom.fontSize);
    forfeitButton->fixedToScreen = true;
    AddChild(forfeitButton);
    purchaseMenu = new PurchaseMenu();
    purchaseMenu->position = {550, 200};
    purchaseMenu->visible = false;
    purchaseMenu->fixedToScreen = true;
    AddChild(purchaseMenu);
    goldLabel = new Label(texts.gold + "0", goldRoom.fontSize, BLACK);
    goldLabel->fixedToScreen = true;
    goldLabel->position = {0, 100};
    AddChild(goldLabel);
}

void PlayerController::Update()
{
    goldLabel->text = texts.gold + std::to_string(gold);
}

void PlayerController::Draw()
{
    Vector2 p = GetAbsolutePosition();
    for (const TileHighlight& highlight : highlights) {
        Color colour = highlight.isAttack ? Color{240, 55, 55, 100} : Color{55, 55, 150, 100};
        DrawRectangle(static_cast<int>(highlight.tile.x * 100.0f + p.x), static_cast<int>(highlight.tile.y * 100.0f + p.y),
                      100, 100, colour);
    }
}

void PlayerController::ShowTurnButtons(bool shown)
{
    endTurnButton->visible = shown;
    forfeitButton->visible = shown;
}

void PlayerController::StartTurn()
{
    ShowTurnButtons(true);
    NotifyUnitsOfTurnStart();
    canAct = true;
}

void PlayerController::Receive(int32_t messageId)
{
    if (map == nullptr) {
        return;
    }
    if (messageId == 0) {
        ShowTurnButtons(false);
        canAct = false;
        map->EndTurn();
    } else if (messageId == 1) {
        map->forfeited = true;
        map->EndTurn();
    }
}

void PlayerController::ClearSelection()
{
    selectedUnit = nullptr;
    highlights.clear();
    purchaseMenu->visible = false;
    ShowTurnButtons(true);
}

void PlayerController::SelectUnit(Unit* unit)
{
    if (!canAct) {
        return;
    }
    ClearSelection();
    if (unit->hasAttacked) {
        return;
    }
    selectedUnit = unit;
    if (dynamic_cast<Castle*>(unit) != nullptr) {
        purchaseMenu->visible = true;
        ShowTurnButtons(false);
        return;
    }
    highlights = OfferedTiles(false);
}

std::vector<TileHighlight> PlayerController::OfferedTiles(bool placing) const
{
    std::vector<TileHighlight> offered;
    const Unit* unit = selectedUnit;
    if (unit == nullptr || unit->parent != map || unit->team != this || unit->hasAttacked) {
        return offered;
    }
    if (const auto* castle = dynamic_cast<const Castle*>(unit)) {
        if (placing && TypeInfo(purchaseType).cost <= gold) {
            for (Vector2 tile : castle->GetSpawnTiles()) {
                offered.push_back({tile, false});
            }
        }
        return offered;
    }
    for (Vector2 tile : unit->GetAttackTargets(unit->GetTile())) {
        offered.push_back({tile, true});
    }
    if (!unit->hasMoved) {
        for (Vector2 tile : unit->GetReachableTiles()) {
            offered.push_back({tile, false});
        }
    }
    return offered;
}

bool PlayerController::HandleInput(InputEvent event)
{
    // While a side plans its turn, every frame's search resumes from the turn's starting
    // position: neither undo nor a click may change it.
    if (map != nullptr && std::any_of(map->teams.begin(), map->teams.end(),
                                      [](const TeamController* side) { return side->IsThinking(); })) {
        return false;
    }
    // Undo works at any other time and leaves the selection as it is; what it offers is worked out
    // again on the restored board, so that no click acts on a tile that board would not offer
    // (a move onto a tile the undo filled again, a piece the undo took away).
    if (event.code == KeyZ && map != nullptr && !map->history.empty()) {
        map->RestoreSnapshot(static_cast<int32_t>(map->history.size()) - 1);
        const bool placing = !highlights.empty() && dynamic_cast<Castle*>(selectedUnit) != nullptr;
        highlights = canAct ? OfferedTiles(placing) : std::vector<TileHighlight>{};
    }
    if (highlights.empty() || event.code != MouseLeft || event.down) {
        return false;
    }
    Vector2 world = Clickable::MouseWorldPosition();
    Vector2 tile = {std::floor(world.x / 100.0f), std::floor(world.y / 100.0f)};
    auto hit = std::find_if(highlights.begin(), highlights.end(),
                            [&](const TileHighlight& h) { return SameTile(h.tile, tile); });
    if (hit != highlights.end() && selectedUnit != nullptr && map != nullptr) {
        if (hit->isAttack) {
            map->AttackUnit(selectedUnit, tile);
        } else if (dynamic_cast<Castle*>(selectedUnit) != nullptr) {
            map->BuyUnit(selectedUnit, purchaseType, tile);
        } else {
            map->MoveUnit(selectedUnit, tile);
        }
    }
    // A release anywhere while tiles are highlighted is ours: it acts or cancels.
    ClearSelection();
    return true;
}
