#pragma once

#include <array>
#include <string>

#include "input/Receiver.h"
#include "input/TextStyle.h"
#include "board/TeamController.h"
#include "board/UnitType.h"

class Button;
class Label;
class PurchaseMenu;
class Unit;

struct TileHighlight {
    Vector2 tile = {0.0f, 0.0f};
    bool isAttack = false;  // a piece to attack; otherwise a tile to move to or to place a purchase on
};

// What the human side shows on every board: its buttons, the gold label and the purchase menu.
struct PlayerTexts {
    std::string endTurn = "End Turn";
    std::string forfeit = "Forfeit";
    std::string gold = "Gold: ";  // followed by the amount
    std::string purchase = "Purchase Unit: ";
    std::string exit = "Exit";
    // Knight, Archer and Mage, as the purchase menu lists them; the unit table's own by default.
    std::array<std::string, 3> unitNames = {TypeInfo(0).name, TypeInfo(1).name, TypeInfo(2).name};
    std::array<std::string, 3> unitStats = {TypeInfo(0).statsText, TypeInfo(1).statsText, TypeInfo(2).statsText};

    bool operator==(const PlayerTexts&) const = default;
};

// The human side: its buttons and gold label, the selection and highlights, and
// the clicks that become moves, attacks and purchases.
class PlayerController : public TeamController, public Receiver {
public:
    void Init() override;
    bool HandleInput(InputEvent event) override;
    void Update() override;
    void Draw() override;
    void StartTurn() override;
    void Receive(int32_t messageId) override;

    void SelectUnit(Unit* unit) override;
    // Drops the selection and highlights, closes the menu and shows the turn buttons.
    void ClearSelection();
    // The tiles the board as it stands offers the selection: a unit's targets, then its moves while
    // it has not moved; with `placing`, a castle's free neighbours for `purchaseType`. None for a
    // piece that is off the board, not this side's, or finished for the turn.
    std::vector<TileHighlight> OfferedTiles(bool placing) const;
    void ShowTurnButtons(bool shown);

    std::vector<TileHighlight> highlights;
    Unit* selectedUnit = nullptr;
    PurchaseMenu* purchaseMenu = nullptr;
    Label* goldLabel = nullptr;
    Button* endTurnButton = nullptr;
    Button* forfeitButton = nullptr;
    int32_t purchaseType = 0;
    bool canAct = true;
    PlayerTexts texts;

    // End Turn and Forfeit side by side, 200 wide each; the gold label below them, as wide as both
    // (with its amount).
    static constexpr TextRoom turnButtonRoom = {12, 200};
    static constexpr TextRoom goldRoom = {18, 400};
};
