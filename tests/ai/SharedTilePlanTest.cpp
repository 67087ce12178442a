// Plans on boards where two pieces share a tile, which the human's undo during the opponent's
// playback can leave. The first piece in child order answers for the tile, as the board's queries
// find it: it is the one attacked, and the one whose value and health the opponents weigh.
//
// A change to these plans changes the opponents' behaviour in the study and must be deliberate.
// They were recorded from the opponents as they searched the live board itself.
#include "ai/AiFixtures.h"

namespace {
struct SharedTile {
    const char* name;
    // Puts the second piece on a tile of golden-crowded-small.txt (human Knights (1,1) and (5,1),
    // Archer (4,2), Mage (2,3); computer Knight (2,4), Mage (4,3), Archer (4,4), castle (6,5)).
    void (*stack)(TileMap& board);
    std::vector<std::string> minimax;
    std::vector<std::string> hps;
};

void PrintTo(const SharedTile& c, std::ostream* out)
{
    *out << c.name;
}

class SharedTilePlan : public testing::TestWithParam<SharedTile> {};
}  // namespace

TEST_P(SharedTilePlan, OfBothOpponents)
{
    for (bool hps : {false, true}) {
        auto game = StartGame("golden-crowded-small.txt", aitest::NewOpponent(hps));
        GetParam().stack(*game->board);
        EXPECT_EQ(aitest::PlayAiTurn(*game), hps ? GetParam().hps : GetParam().minimax) << (hps ? "hps" : "minimax");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, SharedTilePlan,
    testing::Values(
        // A Knight bought onto the computer's own castle: the castle, first, answers for the tile.
        SharedTile{"KnightOnOwnCastle",
                   [](TileMap& board) { board.SpawnUnit(0, Tile(6, 5), board.teams[1]); },
                   {"Castle(6,5) Buy Knight (5,5)", "Castle(0,5) Pass", "Knight(2,4) Move (2,2)", "Knight(2,2) Attack (2,3)", "Archer(4,4) Move (4,5)", "Archer(4,5) Attack (4,2)", "Mage(4,3) Pass", "Mage(4,3) Attack (5,1)", "Knight(6,5) Move (6,1)", "Knight(6,1) Attack (6,0)"},
                   {"Castle(6,5) Pass", "Castle(0,5) Pass", "Knight(2,4) Move (1,3)", "Knight(1,3) Attack (2,3)", "Archer(4,4) Move (3,3)", "Archer(3,3) Pass", "Mage(4,3) Pass", "Mage(4,3) Attack (4,2)", "Knight(6,5) Move (6,1)", "Knight(6,1) Attack (6,0)", "Castle(6,0) Buy Knight (5,0)"}},
        // The human Knight of (5,1) stands on the Archer's tile (4,2), behind it in child order: the
        // Archer is the one attacked there, and the Knight answers once the Archer falls.
        SharedTile{"HumanKnightOverArcher",
                   [](TileMap& board) { board.GetUnitAt(Tile(5, 1))->position = {400.0f, 200.0f}; },
                   {"Castle(6,5) Buy Knight (5,5)", "Castle(0,5) Pass", "Knight(2,4) Move (2,2)", "Knight(2,2) Attack (2,3)", "Archer(4,4) Move (2,4)", "Archer(2,4) Attack (4,2)", "Mage(4,3) Move (4,4)", "Mage(4,4) Attack (4,2)"},
                   {"Castle(6,5) Pass", "Castle(0,5) Pass", "Knight(2,4) Move (0,1)", "Knight(0,1) Attack (0,0)", "Castle(0,0) Buy Knight (1,0)", "Archer(4,4) Move (3,3)", "Archer(3,3) Pass", "Mage(4,3) Move (2,4)", "Mage(2,4) Attack (2,3)"}},
        // A human Knight bought onto the computer's Mage: the Mage, first, answers for the tile, so the
        // computer's pieces see an own piece where the Knight stands in reach.
        SharedTile{"HumanKnightUnderComputerMage",
                   [](TileMap& board) { board.SpawnUnit(0, Tile(4, 3), board.teams[0]); },
                   {"Castle(6,5) Buy Knight (5,5)", "Castle(0,5) Pass", "Knight(2,4) Pass", "Knight(2,4) Attack (2,3)", "Archer(4,4) Move (3,3)", "Archer(3,3) Attack (3,2)", "Mage(4,3) Pass", "Mage(4,3) Attack (5,1)"},
                   {"Castle(6,5) Pass", "Castle(0,5) Pass", "Knight(2,4) Move (0,1)", "Knight(0,1) Attack (0,0)", "Castle(0,0) Buy Knight (1,0)", "Archer(4,4) Move (2,4)", "Archer(2,4) Attack (2,3)", "Mage(4,3) Move (4,4)", "Mage(4,4) Attack (4,2)"}}),
    [](const testing::TestParamInfo<SharedTile>& info) { return std::string(info.param.name); });
