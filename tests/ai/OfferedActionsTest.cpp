// What each opponent offers one piece at its current step: every legal action, in a fixed
// order, for the step search (Minimax); two rule-based candidates for the two-candidate search (HPS).
#include "ai/AiFixtures.h"

namespace {
using rows::PrintTo;

struct OfferCase {
    const char* name;
    bool hps;
    const char* map;
    int32_t gold;  // -1 keeps the set-up's
    int x, y;      // the piece
    bool moved, attacked;
    std::vector<std::string> offered;
};

class OfferedActions : public testing::TestWithParam<OfferCase> {};
}  // namespace

TEST_P(OfferedActions, AreTheRulesOrderedChoices)
{
    const OfferCase& c = GetParam();
    auto game = aitest::StartFixture(c.map, c.hps ? static_cast<AIController*>(new HPSController())
                                                  : static_cast<AIController*>(new MinimaxController()));
    if (c.gold >= 0) {
        game->ai->gold = c.gold;
    }
    Unit* piece = aitest::PieceAt(*game->board, c.x, c.y);
    ASSERT_NE(piece, nullptr);
    piece->hasMoved = c.moved;
    piece->hasAttacked = c.attacked;
    EXPECT_EQ(aitest::Offered(*game, c.x, c.y), c.offered);
}

// ai-generate: 10x3. Row 1 is wall from x 0 to 5 and (5,0) is wall, so the AI Mage (2,0) has a short
// corridor. AI castle (7,1) with an AI Knight below it on (7,2); AI Archer (2,2) with the human Knight
// (6,2) and Mage (1,2) in range; human castle (9,2). The castle's free neighbours, right-down-left-up:
// (8,1); (7,2) holds the Knight; (6,1); (7,0).
const std::vector<std::string> knightBuys = {"Castle(7,1) Pass", "Castle(7,1) Buy Knight (8,1)",
                                             "Castle(7,1) Buy Knight (6,1)", "Castle(7,1) Buy Knight (7,0)"};

INSTANTIATE_TEST_SUITE_P(
    StepSearch, OfferedActions,
    testing::Values(
        OfferCase{"CastleBelowAKnightsCostOnlyPasses", false, "ai-generate.txt", 399, 7, 1, false, false,
                  {"Castle(7,1) Pass"}},
        // Type by type, each on every free neighbour.
        OfferCase{"CastleBuysEachAffordableTypeOnEachFreeNeighbour", false, "ai-generate.txt", 400, 7, 1, false,
                  false, knightBuys},
        OfferCase{"CastleBuysEveryTypeWith700", false, "ai-generate.txt", 700, 7, 1, false, false,
                  {"Castle(7,1) Pass", "Castle(7,1) Buy Knight (8,1)", "Castle(7,1) Buy Knight (6,1)",
                   "Castle(7,1) Buy Knight (7,0)", "Castle(7,1) Buy Archer (8,1)", "Castle(7,1) Buy Archer (6,1)",
                   "Castle(7,1) Buy Archer (7,0)", "Castle(7,1) Buy Mage (8,1)", "Castle(7,1) Buy Mage (6,1)",
                   "Castle(7,1) Buy Mage (7,0)"}},
        // A castle that passed next to an enemy castle may still buy; one that bought may not.
        OfferCase{"CastleIgnoresItsOwnHasMoved", false, "ai-generate.txt", 400, 7, 1, true, false, knightBuys},
        OfferCase{"CastleThatBoughtHasNothing", false, "ai-generate.txt", 400, 7, 1, true, true, {}},
        // Speed 3 in the corridor: right (3,0) and left (1,0) first; the left one, added last, is expanded
        // next and finds (0,0); then (3,0) finds (4,0). (5,0) is wall.
        OfferCase{"FreshUnitPassesOrMovesInDiscoveryOrder", false, "ai-generate.txt", -1, 2, 0, false, false,
                  {"Mage(2,0) Pass", "Mage(2,0) Move (3,0)", "Mage(2,0) Move (1,0)", "Mage(2,0) Move (0,0)",
                   "Mage(2,0) Move (4,0)"}},
        // The human Knight (6,2) comes before the Mage (1,2) in the board's order, though farther away.
        OfferCase{"MovedUnitOnlyAttacksInTheBoardsOrder", false, "ai-generate.txt", -1, 2, 2, true, false,
                  {"Archer(2,2) Attack (6,2)", "Archer(2,2) Attack (1,2)"}},
        OfferCase{"FinishedUnitHasNothing", false, "ai-generate.txt", -1, 2, 2, true, true, {}},
        // ai-hps-steps: the AI castle (0,0) at the end of a one-row board, its only neighbour held by a Knight.
        OfferCase{"CastleWithNoFreeNeighbourOnlyPassesWhateverItsGold", false, "ai-hps-steps.txt", 5000, 0, 0, false,
                  false, {"Castle(0,0) Pass"}}),
    [](const testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    TwoCandidateSearch, OfferedActions,
    testing::Values(
        OfferCase{"CastleThatCannotAffordAKnightPassesTwice", true, "ai-generate.txt", 399, 7, 1, false, false,
                  {"Castle(7,1) Pass", "Castle(7,1) Pass"}},
        OfferCase{"CastleWithNoFreeNeighbourPassesTwice", true, "ai-hps-steps.txt", 5000, 0, 0, false, false,
                  {"Castle(0,0) Pass", "Castle(0,0) Pass"}},
        // The dearest affordable type next to the nearest enemy in sight: (8,1) is 2 from the human
        // castle (9,2); (6,1) is 1 from the human Knight (6,2); (7,0) is 3 away.
        OfferCase{"CastleBuysAKnightNextToTheNearestEnemy", true, "ai-generate.txt", 400, 7, 1, false, false,
                  {"Castle(7,1) Buy Knight (6,1)", "Castle(7,1) Pass"}},
        OfferCase{"CastleBuysTheDearestTypeItCanPayFor", true, "ai-generate.txt", 699, 7, 1, false, false,
                  {"Castle(7,1) Buy Archer (6,1)", "Castle(7,1) Pass"}},
        OfferCase{"CastleBuysAMageWith700", true, "ai-generate.txt", 700, 7, 1, false, false,
                  {"Castle(7,1) Buy Mage (6,1)", "Castle(7,1) Pass"}},
        // The Archer (2,2) has the human Knight (400) and Mage (700) in range: the dearest is attacked.
        OfferCase{"UnitWithATargetAfterItsMoveAttacksTheDearestOrPasses", true, "ai-generate.txt", -1, 2, 2, true,
                  false, {"Archer(2,2) Attack (1,2)", "Archer(2,2) Pass"}},
        // ai-hps-targets: the AI Knight (2,0) between human Knights (3,0) and (1,0); the one on (3,0) comes
        // first in the board's order. Walls below, so the Knight cannot move at all.
        OfferCase{"UnitThatCannotMovePassesTwice", true, "ai-hps-targets.txt", -1, 2, 0, false, false,
                  {"Knight(2,0) Pass", "Knight(2,0) Pass"}},
        OfferCase{"EqualTargetsGoToTheFirstListed", true, "ai-hps-targets.txt", -1, 2, 0, true, false,
                  {"Knight(2,0) Attack (3,0)", "Knight(2,0) Pass"}},
        // ai-hps-wall: the AI Archer (0,0) walks row 0 to (1,0), (2,0), (3,0); the human Mage (3,2) is in
        // its reach from there but across the wall, so no reachable tile is next to it: Pass. The approach
        // move takes the reachable tile nearest to an enemy, (3,0), 2 from the Mage.
        OfferCase{"RangedUnitThatCannotStandNextToItsThreatPasses", true, "ai-hps-wall.txt", -1, 0, 0, false, false,
                  {"Archer(0,0) Pass", "Archer(0,0) Move (3,0)"}},
        // ai-hps-threats: the AI Knight (3,0) in a walled corridor, human Knights on (6,0) (created first)
        // and (0,0). Both are threats of equal value; the earlier-created one is chosen and the Knight heads
        // for (5,0), the first reachable tile next to it. The approach move takes (1,0): 1 from (0,0), the
        // first tile with the smallest distance in reachable order (4,0), (2,0), (1,0), (5,0).
        OfferCase{"EqualThreatsGoToTheEarlierCreatedPiece", true, "ai-hps-threats.txt", -1, 3, 0, false, false,
                  {"Knight(3,0) Move (5,0)", "Knight(3,0) Move (1,0)"}},
        // ai-hps-threats-mage: as above, but (0,0) holds a human Mage (700), created after the Knight (400).
        OfferCase{"DearestThreatWinsOverCreationOrder", true, "ai-hps-threats-mage.txt", -1, 3, 0, false, false,
                  {"Knight(3,0) Move (1,0)", "Knight(3,0) Move (1,0)"}},
        // ai-hps-alone: AI castle (1,1) and Knight (2,0); the only human piece, a Knight on (11,1), is out of
        // the AI's sight. The purchase takes the first free neighbour of (1,1): (2,1), (0,1), (1,0).
        OfferCase{"WithNoEnemyInSightThePurchaseTakesTheFirstFreeTile", true, "ai-hps-alone.txt", 1000, 1, 1, false,
                  false, {"Castle(1,1) Buy Mage (2,1)", "Castle(1,1) Pass"}},
        OfferCase{"WithNoEnemyInSightTheApproachPasses", true, "ai-hps-alone.txt", -1, 2, 0, false, false,
                  {"Knight(2,0) Pass", "Knight(2,0) Pass"}}),
    [](const testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });
