#include <numeric>
#include <random>

#include "ai/AiFixtures.h"
#include "board/BoardQueries.h"

namespace {
// A random board as map text: rows of ground, rough, wall and void, some of them longer than the
// first by digits of any kind; castles of both sides and a neutral one, units of both sides, each
// piece on a tile of its own inside the first row's width. `trimmed` gets the same text with every
// row cut to the first row's length.
void RandomMapTexts(std::mt19937& random, std::string& ragged, std::string& trimmed)
{
    std::uniform_int_distribution<int> side(4, 7), extra(1, 4), anyDigit(0, 3), type(0, 2);
    std::discrete_distribution<int> digit({6, 3, 1, 1});
    const int width = side(random), height = side(random);
    // At least one row above the last is longer than the first: the rows below it are the ones
    // a reader that runs the rows together would shift.
    const int longRow = std::uniform_int_distribution<int>(1, height - 2)(random);
    ragged.clear();
    trimmed.clear();
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += static_cast<char>('0' + digit(random));
        }
        trimmed += row + "\n";
        if (y > 0 && (y == longRow || random() % 3 == 0)) {
            for (int n = extra(random); n > 0; --n) {
                row += static_cast<char>('0' + anyDigit(random));
            }
        }
        ragged += row + "\n";
    }
    std::vector<int> tiles(static_cast<size_t>(width * height));
    std::iota(tiles.begin(), tiles.end(), 0);
    std::shuffle(tiles.begin(), tiles.end(), random);
    // {type, side}: -1 no owner. The computer side stays small, so that the two-candidate search is quick.
    const int pieces[][2] = {{3, 0}, {3, 1}, {3, -1}, {type(random), 0}, {type(random), 0},
                             {type(random), 1}, {type(random), 1}, {type(random), 1}};
    std::string lines = "\n";
    for (size_t i = 0; i < std::size(pieces); ++i) {
        lines += std::to_string(pieces[i][0]) + "," + std::to_string(tiles[i] % width) + "," +
                 std::to_string(tiles[i] / width) + "," + std::to_string(pieces[i][1]) + "\n";
    }
    ragged += lines;
    trimmed += lines;
}

// What every piece is offered, one line each: its moves as the range query and as the opponents'
// remembering board queries (asked twice, the second answer from memory) list them, the tiles a
// unit bought at it could take, and its targets from where it stands and from every tile it can
// move to.
std::string OfferedText(const TileMap& board)
{
    BoardQueries queries(board);
    queries.RememberReachable();
    std::string text;
    for (Unit* unit : board.GetUnits()) {
        const std::vector<Vector2> reachable = unit->GetReachableTiles();
        text += PieceText(unit) + " moves " + TilesText(reachable) + "; queried " + TilesText(queries.Reachable(*unit)) +
                "; again " + TilesText(queries.Reachable(*unit)) + "; spawns " + TilesText(unit->GetSpawnTiles()) +
                "; targets " + TilesText(unit->GetAttackTargets(unit->GetTile()));
        for (Vector2 tile : reachable) {
            text += " | " + TilesText(unit->GetAttackTargets(tile));
        }
        text += "\n";
    }
    return text;
}
}  // namespace

// The board is as wide as its first row: what a longer row holds beyond it changes nothing a piece
// is offered nor anything either opponent plans, on boards read from map text by the loader.
TEST(RaggedRows, TheDigitsPastTheFirstRowsWidthChangeNoMoveTargetOrPlan)
{
    std::mt19937 random(20261207u);
    for (int round = 0; round < 16; ++round) {
        std::string ragged, trimmed;
        RandomMapTexts(random, ragged, trimmed);
        SCOPED_TRACE("round " + std::to_string(round) + ", board\n" + ragged);
        // The opponents take turns from round to round.
        const bool hps = round % 2 == 1;
        auto game = StartGame(ragged, aitest::NewOpponent(hps));
        auto cut = StartGame(trimmed, aitest::NewOpponent(hps));
        const std::vector<std::vector<TileType>>& tiles = game->board->tiles;
        ASSERT_TRUE(std::any_of(tiles.begin(), tiles.end(), [&](const auto& row) { return row.size() > tiles[0].size(); }))
            << "the loader kept no longer row";
        EXPECT_EQ(OfferedText(*game->board), OfferedText(*cut->board));
        // The human's first turn ends untouched; the opponent plans its turn on the live board.
        std::vector<std::string> plans[2];
        for (TestGame* each : {game.get(), cut.get()}) {
            each->board->EndTurn();
            each->ai->FinishThinking();
            plans[each == cut.get()] = aitest::ActionTexts(each->ai->plan);
        }
        EXPECT_EQ(plans[0], plans[1]) << (hps ? "two-candidate" : "step") << " search";
    }
}
