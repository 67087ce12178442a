// The two-candidate search works on its own copy of the board, which keeps its neighbourhoods,
// sight, approach costs and material from one position to the next. Along random paths of the
// search's own candidates and of the step search's actions, with trials taken back at random, the
// copy must name the piece the live board names, offer the candidates a fresh copy finds and the
// actions the board's own range queries list, and score each complete
// turn as a fresh evaluator does, leaving the same sight tile for tile. Everything it keeps must
// agree with a recomputation after every trial and every take-back, and a take-back must leave the
// position exactly as it was before the trial, field by field. On "search-reveal" a Knight's
// approach brings an enemy Knight into sight, and the other Knight's approach then turns to it;
// "crowded-76" has more pieces than the copy's 64-bit masks hold; on "shared-tiles" two pairs of
// pieces share a tile, where the first in child order answers.
#include "ai/AiFixtures.h"
#include "ai/SearchBoard.h"

using enum AIActionKind;

namespace {
struct PathCase {
    const char* name;
    std::string map;
};

void PrintTo(const PathCase& c, std::ostream* out)
{
    *out << c.name;
}

const PathCase pathCases[] = {
    {"Map1", GameDataPath("Map1.txt")},
    {"Map2", GameDataPath("Map2.txt")},
    {"golden-crowded-small", TestDataPath("golden-crowded-small.txt")},
    {"golden-map2-siege", TestDataPath("golden-map2-siege.txt")},
    {"golden-capture-corridor", TestDataPath("golden-capture-corridor.txt")},
    {"ai-eval-neutral", TestDataPath("ai-eval-neutral.txt")},
    {"golden-skirmish-small", TestDataPath("golden-skirmish-small.txt")},
    {"search-reveal", TestDataPath("search-reveal.txt")},
    {"crowded-76", GameDataPath("Map1.txt")},  // filled up to 76 pieces below
    {"shared-tiles", TestDataPath("golden-crowded-small.txt")},  // stacked below
};

// A computer Knight on its own castle, and the human Knight of (5,1), earlier in child order, on
// the human Archer's tile.
void StackPieces(TileMap& board)
{
    board.SpawnUnit(0, Tile(6, 5), board.teams[1]);
    board.GetUnitAt(Tile(5, 1))->position = {400.0f, 200.0f};
    for (Unit* unit : board.Units()) {
        unit->hasMoved = false;
        unit->hasAttacked = false;
    }
    board.UpdateAllVision();
}

// Fills the board's first free tiles in reading order with Mages ready to act, of the two sides in
// a chequer pattern (every piece has enemies next to it, and every attack kills), until it holds
// `count` pieces.
void FillBoard(TileMap& board, size_t count)
{
    std::vector<Vector2> free;
    for (size_t y = 0; y < board.tiles.size(); ++y) {
        for (size_t x = 0; x < board.tiles[y].size(); ++x) {
            const Vector2 tile = {static_cast<float>(x), static_cast<float>(y)};
            if (!board.tiles[y][x].blocked && board.GetUnitAt(tile) == nullptr) {
                free.push_back(tile);
            }
        }
    }
    // The computer side's first, so that the human side's come last in child order, past 64: the
    // computer's last pieces in child order, whose trials the paths vary most, kill them.
    free.resize(std::min(free.size(), count - board.Units().size()));
    for (size_t side : {1, 0}) {
        for (Vector2 tile : free) {
            if (static_cast<size_t>(tile.x + tile.y) % 2 == side) {
                board.SpawnUnit(TypeNumber(UnitType::Mage), tile, board.teams[side]);
            }
        }
    }
    for (Unit* unit : board.Units()) {
        unit->hasMoved = false;
        unit->hasAttacked = false;
    }
    board.UpdateAllVision();
}

// A piece's fields in a line, to show what differs.
std::string FieldsText(const SearchBoard::Piece& p)
{
    std::ostringstream out;
    out << "unit " << p.unit << " team " << p.team << " owner " << p.owner << " at " << p.x << "," << p.y << " speed "
        << p.speed << " range " << p.range << " damage " << p.damage << " health " << p.health << " value " << p.value
        << " sight " << p.sight << " serial " << p.serial << (p.castle ? " castle" : "") << (p.moved ? " moved" : "")
        << (p.attacked ? " attacked" : "") << (p.alive ? "" : " dead");
    return out.str();
}

// The copy's position before a trial, to compare with after its take-back.
struct CopyPosition {
    std::vector<SearchBoard::Piece> pieces;
    std::vector<int32_t> gold;
    std::vector<int32_t> occupants;
};

CopyPosition PositionOf(const SearchBoard& copy, const TileMap& board)
{
    CopyPosition position{copy.Pieces(), copy.Gold(), {}};
    for (int32_t y = 0; y < static_cast<int32_t>(board.tiles.size()); ++y) {
        for (int32_t x = 0; x < static_cast<int32_t>(board.tiles.front().size()); ++x) {
            position.occupants.push_back(copy.At(x, y));
        }
    }
    return position;
}

void ExpectSamePosition(const CopyPosition& before, const CopyPosition& after)
{
    ASSERT_EQ(before.pieces.size(), after.pieces.size()) << "pieces";
    for (size_t i = 0; i < before.pieces.size(); ++i) {
        EXPECT_TRUE(before.pieces[i] == after.pieces[i])
            << "piece " << i << " was\n" << FieldsText(before.pieces[i]) << "\nand is\n" << FieldsText(after.pieces[i]);
    }
    EXPECT_EQ(before.gold, after.gold) << "gold";
    EXPECT_EQ(before.occupants, after.occupants) << "who stands where";
}

class SearchBoardPaths : public testing::TestWithParam<PathCase> {};
}  // namespace

TEST_P(SearchBoardPaths, AnswerAsTheLiveBoardAndAsARecomputation)
{
    int64_t scored = 0;
    for (uint32_t seed = 1; seed <= 2; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto* opponent = new HPSController();
        auto game = StartGame(GetParam().map, opponent);
        TileMap& board = *game->board;
        if (std::string(GetParam().name) == "crowded-76") {
            FillBoard(board, 76);
            ASSERT_EQ(board.Units().size(), 76u);
        }
        if (std::string(GetParam().name) == "shared-tiles") {
            StackPieces(board);
        }
        board.currentTeam = 1;
        opponent->gold = 1500;  // purchases among the trials
        board.updateVisibility = false;
        ASSERT_TRUE(SearchBoard::Fits(board));
        SearchBoard copy;
        copy.Reset(board, opponent);
        ASSERT_EQ(copy.Inconsistency(), "");
        std::mt19937 rng(seed);
        std::vector<Vector2> sight = opponent->visibleTiles;  // as the last scored turn left it
        std::vector<CopyPosition> before;                     // per trial, the copy before it
        for (int step = 0; step < 300; ++step) {
            const int32_t current = copy.CurrentPiece();
            Unit* live = nullptr;
            for (Unit* piece : board.GetUnitsOf(opponent)) {
                live = live == nullptr && !piece->hasAttacked ? piece : live;
            }
            ASSERT_EQ(current < 0 ? nullptr : copy.Live({Pass, current}).unit, live) << "step " << step;
            if (current < 0) {
                opponent->visibleTiles = sight;
                const float expected = Evaluator(board).Evaluate(opponent);
                const std::vector<Vector2> sightNow = opponent->visibleTiles;
                opponent->visibleTiles = sight;
                ASSERT_EQ(copy.ScoreAfresh(), expected) << "step " << step;
                ASSERT_EQ(copy.Score(), expected) << "step " << step;
                ASSERT_EQ(copy.Inconsistency(), "") << "step " << step;
                copy.WriteSight();
                ASSERT_EQ(TilesText(opponent->visibleTiles), TilesText(sightNow)) << "step " << step;
                sight = sightNow;
                ++scored;
            }
            // Back a few trials after a complete turn, now and then before.
            const bool back = current < 0 || rng() % 6 == 0;
            for (uint32_t n = back ? 1 + rng() % 4 : 0; n > 0 && copy.TrialCount() > 0; --n) {
                copy.TakeBack();
                board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
                ASSERT_EQ(copy.Inconsistency(), "") << "step " << step << ", taken back";
                ASSERT_NO_FATAL_FAILURE(ExpectSamePosition(before.back(), PositionOf(copy, board))) << "step " << step;
                before.pop_back();
            }
            if (back) {
                continue;
            }
            opponent->visibleTiles = sight;
            const std::array<SearchBoard::Action, 2> pair = copy.Candidates(current);
            ASSERT_EQ(aitest::ActionTexts({copy.Live(pair[0]), copy.Live(pair[1])}), aitest::ActionTexts(opponent->CandidateActions(live)))
                << "step " << step;
            // The step search's actions too, as the board's own range queries list them.
            std::vector<SearchBoard::Action> steps;
            copy.Actions(current, steps);
            std::vector<AIAction> stepActions;
            for (const SearchBoard::Action& action : steps) {
                stepActions.push_back(copy.Live(action));
            }
            ASSERT_EQ(aitest::ActionTexts(stepActions), aitest::ActionTexts(MinimaxController().GenerateActions(opponent, live)))
                << "step " << step;
            const SearchBoard::Action chosen = steps.empty() || rng() % 2 == 0 ? pair[rng() % 2] : steps[rng() % steps.size()];
            before.push_back(PositionOf(copy, board));
            opponent->ApplyAction(copy.Live(chosen));
            copy.Apply(chosen);
            ASSERT_EQ(copy.Inconsistency(), "") << "step " << step << ", applied";
        }
    }
    // The paths reach complete turns often enough to test the scores.
    EXPECT_GT(scored, 10);
}

INSTANTIATE_TEST_SUITE_P(Positions, SearchBoardPaths, testing::ValuesIn(pathCases),
                         [](const testing::TestParamInfo<PathCase>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
