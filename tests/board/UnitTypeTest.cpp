#include <tuple>

#include "support/BoardChecks.h"

namespace {
struct TypeRow {
    int32_t type;
    int32_t range;
    int32_t speed;
    int32_t damage;
    int32_t health;
    int32_t cost;
    const char* name;
    const char* statsText;
};

// The numbers the game plays with; the texts show damage and health in units of 50, and
// only the Mage's has a single blank after "Damage:".
const TypeRow expectedRows[] = {
    {0, 1, 5, 50, 100, 400, "Knight", "Speed:  5, Range: 1, Damage:  1, Health:  2"},
    {1, 5, 3, 50, 100, 600, "Archer", "Speed:  3, Range: 5, Damage:  1, Health:  2"},
    {2, 3, 3, 100, 50, 700, "Mage", "Speed:  3, Range: 3, Damage: 2, Health:  1"},
    {3, 0, 0, 0, 0, -1, "Castle", ""},  // not for sale: no price to check
};
}  // namespace

// A castle is worth a thousand and shows no health; every piece sees 5 (the greater of its
// speed and 5) and never acts in the turn it was created.
TEST(UnitTypes, TableRowsCarryTheirNumbersAndTextsAndPiecesCopyThemStartingSpent)
{
    const char* const images[] = {"assets/warrior.png", "assets/archer.png", "assets/mage.png", "assets/castle.png"};
    HeldOpponent side;
    for (const TypeRow& want : expectedRows) {
        SCOPED_TRACE(want.name);
        const UnitTypeInfo& row = TypeInfo(want.type);
        // type, range, speed, damage, health
        EXPECT_EQ(std::tie(row.type, row.range, row.speed, row.damage, row.health),
                  std::tie(want.type, want.range, want.speed, want.damage, want.health));
        EXPECT_TRUE(want.cost < 0 || row.cost == want.cost) << row.cost;
        EXPECT_EQ(row.name, want.name);
        EXPECT_EQ(row.statsText, want.statsText);
        EXPECT_STREQ(unitTexturePaths[static_cast<size_t>(want.type)], images[want.type]);

        Castle castle(&side);
        Unit unit(&side, row);
        Unit& piece = want.type == 3 ? castle : unit;
        // type, range, speed, damage, health and greatest health
        EXPECT_EQ(std::tie(piece.type, piece.range, piece.speed, piece.damage, piece.health, piece.maxHealth),
                  std::tie(want.type, want.range, want.speed, want.damage, want.health, want.health));
        EXPECT_EQ(piece.value, want.type == 3 ? 1000 : want.cost);
        EXPECT_EQ(piece.sightRange, 5);
        EXPECT_EQ(piece.showHealthBar, want.type != 3);
        EXPECT_TRUE(piece.hasMoved && piece.hasAttacked);
        EXPECT_EQ(piece.team, &side);
        EXPECT_EQ(piece.map, nullptr) << "the board is set only when the piece is attached";
        EXPECT_FLOAT_EQ(piece.size.x, 100.0f);
        EXPECT_FLOAT_EQ(piece.size.y, 100.0f);
    }
    EXPECT_EQ(Castle(nullptr).team, nullptr);
}
