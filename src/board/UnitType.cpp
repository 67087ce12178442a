#include "board/UnitType.h"

// NOTE: the stats texts show damage and health in units of 50 and are stored as
// written; the Mage's has one blank after "Damage:".
const std::array<UnitTypeInfo, 4> unitTypeTable = {{
    {TypeNumber(UnitType::Knight), 1, 5, 50, 100, 400, "Knight", "Speed:  5, Range: 1, Damage:  1, Health:  2"},
    {TypeNumber(UnitType::Archer), 5, 3, 50, 100, 600, "Archer", "Speed:  3, Range: 5, Damage:  1, Health:  2"},
    {TypeNumber(UnitType::Mage), 3, 3, 100, 50, 700, "Mage", "Speed:  3, Range: 3, Damage: 2, Health:  1"},
    {TypeNumber(UnitType::Castle), 0, 0, 0, 0, 0, "Castle", ""},
}};

const std::array<const char*, 4> unitTexturePaths = {
    "assets/warrior.png",
    "assets/archer.png",
    "assets/mage.png",
    "assets/castle.png",
};
