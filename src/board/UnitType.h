#pragma once

#include <array>
#include <cstdint>
#include <string>

// Indexes every per-type table and is the first number of a piece line in a map file.
enum class UnitType : int32_t {
    Knight = 0,
    Archer = 1,
    Mage = 2,
    Castle = 3,
};

struct UnitTypeInfo {
    int32_t type;
    int32_t range;   // greatest Manhattan distance of an attack, in tiles
    int32_t speed;   // movement points per turn
    int32_t damage;  // health removed by one attack
    int32_t health;  // starting and greatest health
    int32_t cost;    // price in the purchase menu
    std::string name;
    std::string statsText;  // stored text, not derived from the numbers
};

extern const std::array<UnitTypeInfo, 4> unitTypeTable;
// The table row of a type number; callers pass numbers 0-3 only.
inline const UnitTypeInfo& TypeInfo(int32_t type)
{
    return unitTypeTable[static_cast<size_t>(type)];
}
inline constexpr int32_t TypeNumber(UnitType type)
{
    return static_cast<int32_t>(type);
}
extern const std::array<const char*, 4> unitTexturePaths;
