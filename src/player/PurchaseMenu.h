#pragma once

#include "core/Node.h"
#include "input/Receiver.h"

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
