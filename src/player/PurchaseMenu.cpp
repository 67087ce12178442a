#include "player/PurchaseMenu.h"

#include <string>

#include "board/Unit.h"
#include "input/Button.h"
#include "input/Label.h"
#include "player/PlayerController.h"

const PlayerTexts& PurchaseMenu::Texts() const
{
    static const PlayerTexts builtIn;
    return player != nullptr ? player->texts : builtIn;
}

void PurchaseMenu::Init()
{
    player = dynamic_cast<PlayerController*>(parent);
    AddChild(new Label(Texts().purchase, headingRoom.fontSize, BLACK));
    UnitMenuOption* options[3];
    for (int32_t type = 0; type < 3; ++type) {
        options[type] = new UnitMenuOption(type);
        options[type]->position = {0.0f, 50.0f + 100.0f * static_cast<float>(type)};
    }
    auto* exitButton = new Button({100, 450}, {static_cast<float>(exitRoom.width), 100}, this, 5, Texts().exit, RED,
                                  MAROON, WHITE, exitRoom.fontSize);
    for (UnitMenuOption* option : options) {
        AddChild(option);
    }
    AddChild(exitButton);
    z = 5;
}

void PurchaseMenu::Draw()
{
    Vector2 p = GetAbsolutePosition();
    DrawRectangle(static_cast<int>(p.x), static_cast<int>(p.y), 500, 600, WHITE);
}

void PurchaseMenu::Receive(int32_t messageId)
{
    if (player == nullptr) {
        return;
    }
    if (messageId < 4) {
        auto* castle = dynamic_cast<Castle*>(player->selectedUnit);
        if (castle != nullptr) {
            player->purchaseType = messageId;
            player->highlights = player->OfferedTiles(true);
        } else {
            player->ClearSelection();
        }
    }
    visible = false;
    player->ShowTurnButtons(true);
}

UnitMenuOption::UnitMenuOption(int32_t unitType_) : unitType(unitType_) {}

void UnitMenuOption::Init()
{
    auto* receiver = dynamic_cast<Receiver*>(parent);
    menu = dynamic_cast<PurchaseMenu*>(parent);
    static const PlayerTexts builtIn;
    const PlayerTexts& texts = menu != nullptr ? menu->Texts() : builtIn;
    const UnitTypeInfo& info = TypeInfo(unitType);
    button = new Button({300, 0}, {100, 40}, receiver, unitType, std::to_string(info.cost), GREEN, DARKGREEN, BLACK,
                        30);
    AddChild(button);
    AddChild(new Label(texts.unitNames[static_cast<size_t>(unitType)], PurchaseMenu::unitNameRoom.fontSize, BLACK));
    auto* stats =
        new Label(texts.unitStats[static_cast<size_t>(unitType)], PurchaseMenu::unitStatsRoom.fontSize, BLACK);
    stats->position = {0, 50};
    AddChild(stats);
}

void UnitMenuOption::Update()
{
    if (menu != nullptr && menu->player != nullptr) {
        button->disabled = TypeInfo(unitType).cost > menu->player->gold;
    }
}
