#include <gtest/gtest.h>

#include <string>

#include "board/Unit.h"
#include "board/UnitType.h"
#include "rules/TeamController.h"

namespace {
// A side with no behaviour of its own, to own pieces outside a board.
class BareSide : public TeamController {
public:
    void StartTurn() override {}
};

struct TypeRow {
    int32_t type;
    int32_t range;
    int32_t speed;
    int32_t damage;
    int32_t health;
    int32_t cost;
    const char* name;
    const char* statsText;
    size_t statsLength;
};

// The numbers the game plays with; the texts show damage and health in units of 50.
const TypeRow expectedRows[] = {
    {0, 1, 5, 50, 100, 400, "Knight", "Speed:  5, Range: 1, Damage:  1, Health:  2", 43},
    {1, 5, 3, 50, 100, 600, "Archer", "Speed:  3, Range: 5, Damage:  1, Health:  2", 43},
    {2, 3, 3, 100, 50, 700, "Mage", "Speed:  3, Range: 3, Damage: 2, Health:  1", 42},
};
}  // namespace

TEST(UnitTypeTable, BuyableRowsCarryTheirNumbersAndStoredTexts)
{
    for (const TypeRow& want : expectedRows) {
        const UnitTypeInfo& row = unitTypeTable[static_cast<size_t>(want.type)];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(row.type, want.type);
        EXPECT_EQ(row.range, want.range);
        EXPECT_EQ(row.speed, want.speed);
        EXPECT_EQ(row.damage, want.damage);
        EXPECT_EQ(row.health, want.health);
        EXPECT_EQ(row.cost, want.cost);
        EXPECT_EQ(row.name, want.name);
        EXPECT_EQ(row.statsText, want.statsText);
        EXPECT_EQ(row.statsText.size(), want.statsLength) << "\"" << row.statsText << "\"";
    }
}

TEST(UnitTypeTable, OnlyTheMageTextHasASingleBlankAfterDamage)
{
    // Two blanks after "Speed:", "Damage:" and "Health:", except the Mage's "Damage:".
    for (const TypeRow& want : expectedRows) {
        const std::string& text = unitTypeTable[static_cast<size_t>(want.type)].statsText;
        SCOPED_TRACE(want.name);
        EXPECT_EQ(text.rfind("Speed:  ", 0), 0u) << text;
        EXPECT_NE(text.find(", Range: "), std::string::npos) << text;
        EXPECT_NE(text.find(", Health:  "), std::string::npos) << text;
        bool singleBlank = text.find("Damage: 2,") != std::string::npos;
        bool doubleBlank = text.find("Damage:  ") != std::string::npos;
        EXPECT_EQ(singleBlank, want.type == 2) << text;
        EXPECT_EQ(doubleBlank, want.type != 2) << text;
    }
}

TEST(UnitTypeTable, CastleRowIsNamedAndSilent)
{
    const UnitTypeInfo& castle = unitTypeTable[3];
    EXPECT_EQ(castle.type, 3);
    EXPECT_EQ(castle.name, "Castle");
    EXPECT_EQ(castle.statsText, "");
    EXPECT_EQ(castle.range, 0);
    EXPECT_EQ(castle.speed, 0);
    EXPECT_EQ(castle.damage, 0);
    EXPECT_EQ(castle.health, 0);
}

TEST(UnitTypeTable, ImagePathsFollowTheTypeNumbers)
{
    EXPECT_STREQ(unitTexturePaths[0], "assets/warrior.png");
    EXPECT_STREQ(unitTexturePaths[1], "assets/archer.png");
    EXPECT_STREQ(unitTexturePaths[2], "assets/mage.png");
    EXPECT_STREQ(unitTexturePaths[3], "assets/castle.png");
}

TEST(UnitConstruction, CopiesTheRowAndStartsSpent)
{
    BareSide side;
    for (const TypeRow& want : expectedRows) {
        SCOPED_TRACE(want.name);
        Unit unit(&side, TypeInfo(want.type));
        EXPECT_EQ(unit.type, want.type);
        EXPECT_EQ(unit.range, want.range);
        EXPECT_EQ(unit.speed, want.speed);
        EXPECT_EQ(unit.damage, want.damage);
        EXPECT_EQ(unit.health, want.health);
        EXPECT_EQ(unit.maxHealth, want.health);
        EXPECT_EQ(unit.value, want.cost);
        // The greater of the speed and 5: every type's speed is at most 5.
        EXPECT_EQ(unit.sightRange, 5);
        EXPECT_TRUE(unit.showHealthBar);
        // A piece never acts in the turn it was created.
        EXPECT_TRUE(unit.hasMoved);
        EXPECT_TRUE(unit.hasAttacked);
        EXPECT_EQ(unit.team, &side);
        EXPECT_EQ(unit.map, nullptr) << "the board is set only when the piece is attached";
        EXPECT_FLOAT_EQ(unit.size.x, 100.0f);
        EXPECT_FLOAT_EQ(unit.size.y, 100.0f);
    }
}

TEST(UnitConstruction, CastleIsWorthAThousandAndNeitherMovesNorShowsHealth)
{
    BareSide side;
    Castle castle(&side);
    EXPECT_EQ(castle.type, 3);
    EXPECT_EQ(castle.value, 1000);
    EXPECT_EQ(castle.range, 0);
    EXPECT_EQ(castle.speed, 0);
    EXPECT_EQ(castle.damage, 0);
    EXPECT_EQ(castle.health, 0);
    EXPECT_EQ(castle.sightRange, 5);
    EXPECT_FALSE(castle.showHealthBar);
    EXPECT_TRUE(castle.hasMoved);
    EXPECT_TRUE(castle.hasAttacked);
    EXPECT_EQ(castle.team, &side);
    EXPECT_FLOAT_EQ(castle.size.x, 100.0f);
    EXPECT_FLOAT_EQ(castle.size.y, 100.0f);

    Castle neutral(nullptr);
    EXPECT_EQ(neutral.team, nullptr);
}

TEST(TurnStartIncome, OwnedCastleAddsAHundredOthersNothing)
{
    BareSide side;
    side.gold = 50;
    Castle owned(&side);
    owned.OnTurnStart();
    EXPECT_EQ(side.gold, 150);

    Castle neutral(nullptr);
    neutral.OnTurnStart();  // must not touch any side
    Unit knight(&side, TypeInfo(0));
    knight.OnTurnStart();
    EXPECT_EQ(side.gold, 150) << "only castles earn gold";
}

TEST(CastleAttacked, ChangesOwnerAndIgnoresDamage)
{
    BareSide human;
    BareSide enemy;
    Castle castle(&enemy);
    Unit knight(&human, TypeInfo(0));
    castle.OnAttacked(knight.damage, &knight);
    EXPECT_EQ(castle.team, &human);
    EXPECT_EQ(castle.health, 0);

    Castle neutral(nullptr);
    neutral.OnAttacked(100, &knight);
    EXPECT_EQ(neutral.team, &human) << "a neutral castle goes to the attacker's side";
}

TEST(UnitAttacked, LosesDamageAndStaysWhileAlive)
{
    Unit knight(nullptr, TypeInfo(0));
    Unit attacker(nullptr, TypeInfo(0));
    knight.OnAttacked(attacker.damage, &attacker);
    EXPECT_EQ(knight.health, 50);
    EXPECT_EQ(knight.maxHealth, 100);
}
