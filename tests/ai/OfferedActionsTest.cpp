#include "ai/AiFixtures.h"

namespace {
// What the opponent offers the piece at its current step.
struct OfferCase {
    bool hps;  // the two-candidate search, or the step search
    const char* name;
    const char* map;
    int32_t gold;  // -1 keeps the set-up's
    int x, y;      // the piece
    bool moved, attacked;
    std::vector<std::string> offered;
};
}  // namespace

// ai-generate: 10x3. Row 1 is wall from x 0 to 5 and (5,0) is wall, so the AI Mage (2,0) has a short
// corridor. AI castle (7,1) with an AI Knight below it on (7,2); AI Archer (2,2) with the human Knight
// (6,2) and Mage (1,2) in range; human castle (9,2). The castle's free neighbours, right-down-left-up:
// (8,1); (7,2) holds the Knight; (6,1); (7,0).
// The step search offers every legal action in the rules' order, the two-candidate search its two choices.
TEST(OfferedActions, OfBothSearches)
{
    const std::string castle = "Castle(7,1) ";
    const OfferCase cases[] = {
        {false, "castle below a Knight's cost only passes", "ai-generate.txt", 399, 7, 1, false, false, {castle + "Pass"}},
        // Type by type, each on every free neighbour (a type is affordable from its exact price on); a
        // castle that passed may still buy.
        {false, "castle buys each affordable type on each free neighbour", "ai-generate.txt", 600, 7, 1, true, false,
         {castle + "Pass", castle + "Buy Knight (8,1)", castle + "Buy Knight (6,1)", castle + "Buy Knight (7,0)",
          castle + "Buy Archer (8,1)", castle + "Buy Archer (6,1)", castle + "Buy Archer (7,0)"}},
        // Speed 3 in the corridor: right (3,0) and left (1,0) first; the left one, added last, is expanded
        // next and finds (0,0); then (3,0) finds (4,0).
        {false, "fresh unit passes or moves in discovery order", "ai-generate.txt", -1, 2, 0, false, false,
         {"Mage(2,0) Pass", "Mage(2,0) Move (3,0)", "Mage(2,0) Move (1,0)", "Mage(2,0) Move (0,0)",
          "Mage(2,0) Move (4,0)"}},
        // The human Knight (6,2) comes before the Mage (1,2) in the board's order, though farther away.
        {false, "moved unit only attacks, in the board's order", "ai-generate.txt", -1, 2, 2, true, false,
         {"Archer(2,2) Attack (6,2)", "Archer(2,2) Attack (1,2)"}},
        {false, "finished unit has nothing", "ai-generate.txt", -1, 2, 2, true, true, {}},
        // ai-hps-steps: the AI castle (0,0) at the end of a one-row board, its only neighbour held.
        {false, "castle with no free neighbour only passes", "ai-hps-steps.txt", 5000, 0, 0, false, false,
         {"Castle(0,0) Pass"}},
        {true, "castle that cannot afford a Knight passes twice", "ai-generate.txt", 399, 7, 1, false, false,
         {"Castle(7,1) Pass", "Castle(7,1) Pass"}},
        // The dearest affordable type next to the nearest enemy in sight: (6,1) is 1 from the human Knight.
        {true, "castle buys the dearest type it can pay for", "ai-generate.txt", 699, 7, 1, false, false,
         {"Castle(7,1) Buy Archer (6,1)", "Castle(7,1) Pass"}},
        // The Archer (2,2) has the human Knight (400) and Mage (700) in range: the dearest is attacked.
        {true, "unit with a target after its move attacks the dearest", "ai-generate.txt", -1, 2, 2, true, false,
         {"Archer(2,2) Attack (1,2)", "Archer(2,2) Pass"}},
        // ai-hps-targets: the AI Knight (2,0) between human Knights (3,0) and (1,0), walls below.
        {true, "unit that cannot move passes twice", "ai-hps-targets.txt", -1, 2, 0, false, false,
         {"Knight(2,0) Pass", "Knight(2,0) Pass"}},
        {true, "equal targets go to the first listed", "ai-hps-targets.txt", -1, 2, 0, true, false,
         {"Knight(2,0) Attack (3,0)", "Knight(2,0) Pass"}},
        // ai-hps-wall: the human Mage (3,2) is in the Archer's reach from (3,0) but across the wall, so no
        // reachable tile is next to it: Pass. The approach move takes (3,0), 2 from the Mage.
        {true, "ranged unit that cannot stand next to its threat passes", "ai-hps-wall.txt", -1, 0, 0, false, false,
         {"Archer(0,0) Pass", "Archer(0,0) Move (3,0)"}},
        // ai-hps-threats: human Knights on (6,0) (created first) and (0,0), equal threats: the earlier-created
        // is chosen, (5,0) next to it; the approach takes (1,0), first with the smallest distance.
        {true, "equal threats go to the earlier created piece", "ai-hps-threats.txt", -1, 3, 0, false, false,
         {"Knight(3,0) Move (5,0)", "Knight(3,0) Move (1,0)"}},
        // ai-hps-threats-mage: as above, but (0,0) holds a human Mage (700), created after the Knight (400).
        {true, "dearest threat wins over creation order", "ai-hps-threats-mage.txt", -1, 3, 0, false, false,
         {"Knight(3,0) Move (1,0)", "Knight(3,0) Move (1,0)"}},
        // ai-hps-alone: the only human piece is out of the AI's sight: the first free neighbour (2,1).
        {true, "with no enemy in sight the purchase takes the first free tile", "ai-hps-alone.txt", 1000, 1, 1, false,
         false, {"Castle(1,1) Buy Mage (2,1)", "Castle(1,1) Pass"}},
        {true, "with no enemy in sight the approach passes", "ai-hps-alone.txt", -1, 2, 0, false, false,
         {"Knight(2,0) Pass", "Knight(2,0) Pass"}},
    };
    for (const OfferCase& c : cases) {
        SCOPED_TRACE(std::string(c.hps ? "two-candidate: " : "step search: ") + c.name);
        auto game = StartGame(c.map, aitest::NewOpponent(c.hps));
        game->ai->gold = c.gold >= 0 ? c.gold : game->ai->gold;
        Unit* piece = game->board->GetUnitAt(Tile(c.x, c.y));
        ASSERT_NE(piece, nullptr);
        piece->hasMoved = c.moved;
        piece->hasAttacked = c.attacked;
        EXPECT_EQ(aitest::ActionTexts(c.hps ? static_cast<HPSController*>(game->ai)->CandidateActions(piece)
                                            : static_cast<MinimaxController*>(game->ai)->GenerateActions(game->ai, piece)),
                  c.offered);
    }
}
