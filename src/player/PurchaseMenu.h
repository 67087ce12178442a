#pragma once

#include "core/Node.h"
#include "input/Receiver.h"
#include "input/TextStyle.h"

class Button;
class PlayerController;
struct PlayerTexts;

// The menu that opens over the board when the human selects one of its castles.
class PurchaseMenu : public Node, public Receiver {
public:
    void Init() override;
    void Draw() override;
    // 0-2: a unit type was chosen; 5: Exit.
    void Receive(int32_t messageId) override;
    // The parent side's texts; the built-in ones without a side.
    const PlayerTexts& Texts() const;

    PlayerController* player = nullptr;  // not owned: the parent side

    // On the menu's white 500 × 600: the heading across it, each unit's name left of its price
    // button at x = 300, its stats across it, and the Exit button 200 wide.
    static constexpr TextRoom headingRoom = {40, 500};
    static constexpr TextRoom unitNameRoom = {30, 300};
    static constexpr TextRoom unitStatsRoom = {20, 500};
    static constexpr TextRoom exitRoom = {18, 200};
};

// One row of the menu: a unit type's name, stats and price button.
class UnitMenuOption : public Node {
public:
    explicit UnitMenuOption(int32_t unitType);

    void Init() override;
    // Disables the price button while the side cannot afford the type.
    void Update() override;

    Button* button = nullptr;
    PurchaseMenu* menu = nullptr;
    int32_t unitType = 0;
};
