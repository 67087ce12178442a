#include "mapcheck/MapCheck.h"

#include <algorithm>
#include <deque>
#include <ostream>

#include "board/TileType.h"
#include "study/StudyFile.h"

namespace {
struct Offset {
    int x;
    int y;
};
constexpr Offset neighbours[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};

std::string TileName(int x, int y)
{
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// The board as the game sees it: the first row's length is its width.
class Board {
public:
    explicit Board(const MapFile& map) : rows(map.rows), width(static_cast<int>(map.rows.front().size())) {}

    int Width() const { return width; }
    int Height() const { return static_cast<int>(rows.size()); }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }
    bool Passable(int x, int y) const
    {
        if (!Inside(x, y)) {
            return false;
        }
        char digit = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
        return !tileTypeTable[static_cast<size_t>(digit - '0')].blocked;
    }
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x); }

private:
    const std::vector<std::string>& rows;
    int width;
};

bool IsCastle(const MapPiece& piece)
{
    return piece.type == 3;
}

// Tiles reachable on foot from any passable tile of `starts`; pieces do not block,
// since they move and fall in the course of a game.
std::vector<bool> Flood(const Board& board, const std::vector<const MapPiece*>& starts)
{
    std::vector<bool> seen(static_cast<size_t>(board.Width()) * static_cast<size_t>(board.Height()), false);
    std::deque<Offset> open;
    for (const MapPiece* piece : starts) {
        if (board.Passable(piece->x, piece->y) && !seen[board.Index(piece->x, piece->y)]) {
            seen[board.Index(piece->x, piece->y)] = true;
            open.push_back({piece->x, piece->y});
        }
    }
    while (!open.empty()) {
        Offset tile = open.front();
        open.pop_front();
        for (Offset d : neighbours) {
            int x = tile.x + d.x;
            int y = tile.y + d.y;
            if (board.Passable(x, y) && !seen[board.Index(x, y)]) {
                seen[board.Index(x, y)] = true;
                open.push_back({x, y});
            }
        }
    }
    return seen;
}
}  // namespace

std::vector<MapProblem> CheckMap(const MapFile& map)
{
    std::vector<MapProblem> problems;
    if (map.rows.empty()) {
        problems.push_back({1, "no tile row"});
        return problems;
    }
    Board board(map);

    // The misplaced pieces the game refuses; the others stand on the board, each on a tile
    // of its own, for the occupancy and reach checks.
    problems = MisplacedPieces(map);
    std::vector<const MapPiece*> placed;
    for (const MapPiece& piece : map.pieces) {
        bool misplaced = std::any_of(problems.begin(), problems.end(),
                                     [&](const MapProblem& problem) { return problem.line == piece.line; });
        if (misplaced) {
            continue;
        }
        if (!board.Passable(piece.x, piece.y)) {
            problems.push_back({piece.line, "piece at " + TileName(piece.x, piece.y) + " stands on an impassable tile"});
        }
        placed.push_back(&piece);
    }

    auto occupied = [&](int x, int y) {
        return std::any_of(placed.begin(), placed.end(), [&](const MapPiece* p) { return p->x == x && p->y == y; });
    };
    for (const MapPiece* castle : placed) {
        if (!IsCastle(*castle)) {
            continue;
        }
        bool free = std::any_of(std::begin(neighbours), std::end(neighbours), [&](Offset d) {
            return board.Passable(castle->x + d.x, castle->y + d.y) && !occupied(castle->x + d.x, castle->y + d.y);
        });
        if (!free) {
            problems.push_back({castle->line, "castle at " + TileName(castle->x, castle->y) +
                                                  " has no free passable neighbour to place a bought unit on"});
        }
    }

    std::vector<const MapPiece*> sides[2];
    bool ownsCastle[2] = {false, false};
    for (const MapPiece* piece : placed) {
        if (piece->side == 0 || piece->side == 1) {
            sides[piece->side].push_back(piece);
            ownsCastle[piece->side] = ownsCastle[piece->side] || IsCastle(*piece);
        }
    }
    for (int side = 0; side < 2; ++side) {
        if (!ownsCastle[side]) {
            problems.push_back({1, "side " + std::to_string(side) + " owns no castle"});
        }
    }
    if (!sides[0].empty() && !sides[1].empty()) {
        std::vector<bool> reached = Flood(board, sides[0]);
        bool meet = std::any_of(sides[1].begin(), sides[1].end(),
                                [&](const MapPiece* p) { return reached[board.Index(p->x, p->y)]; });
        if (!meet) {
            problems.push_back({1, "no piece of side 0 can walk to a piece of side 1"});
        }
    }

    std::stable_sort(problems.begin(), problems.end(),
                     [](const MapProblem& a, const MapProblem& b) { return a.line < b.line; });
    return problems;
}

std::vector<std::string> CheckMapFile(const std::string& path)
{
    std::vector<std::string> messages;
    MapFile map;
    try {
        map = ParseMapFormat(ReadMapText(path), path);
    } catch (const MapFileError& error) {
        messages.emplace_back(error.what());
        return messages;
    }
    for (const MapProblem& problem : CheckMap(map)) {
        messages.push_back(path + ":" + std::to_string(problem.line) + ": " + problem.what);
    }
    return messages;
}

std::vector<std::string> CheckStudyFile(const std::string& path)
{
    Study study;
    try {
        study = ReadStudyFile(path);
    } catch (const StudyFileError& error) {
        return {error.what()};
    }
    std::vector<std::string> messages;
    std::vector<std::string> checked;
    for (const StudyScene& scene : study.scenes) {
        for (const std::string& map : scene.maps) {
            const std::string file = study.MapPath(map);
            if (std::find(checked.begin(), checked.end(), file) != checked.end()) {
                continue;
            }
            checked.push_back(file);
            std::vector<std::string> found = CheckMapFile(file);
            messages.insert(messages.end(), found.begin(), found.end());
        }
    }
    return messages;
}

namespace {
bool IsStudyFile(const std::string& path)
{
    return path.size() > 5 && path.compare(path.size() - 5, 5, ".toml") == 0;
}
}  // namespace

int RunMapCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const char* usage = "usage: torvane-mapcheck FILE...\n"
                        "Loads each map file as the game does and checks that a game can be played on it;\n"
                        "a study file (FILE.toml) is read as the game reads it, and every map it names checked.\n"
                        "Exit status: 0 every file passes, 1 a problem was found, 2 bad usage.\n";
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            out << usage;
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            err << "torvane-mapcheck: unknown option " << arg << "\n" << usage;
            return 2;
        }
        files.push_back(arg);
    }
    if (files.empty()) {
        err << "torvane-mapcheck: no map file given\n" << usage;
        return 2;
    }
    int status = 0;
    for (const std::string& file : files) {
        std::vector<std::string> messages = IsStudyFile(file) ? CheckStudyFile(file) : CheckMapFile(file);
        for (const std::string& message : messages) {
            out << message << "\n";
        }
        if (messages.empty()) {
            out << file << ": ok\n";
        } else {
            status = 1;
        }
    }
    return status;
}
