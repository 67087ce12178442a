#include "BenchPositions.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "board/MapFile.h"

namespace {
std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string MapText(const MapFile& map)
{
    std::string text;
    for (const std::string& row : map.rows) {
        text += row + "\n";
    }
    text += "\n";
    for (const MapPiece& piece : map.pieces) {
        text += std::to_string(piece.type) + "," + std::to_string(piece.x) + "," + std::to_string(piece.y) + "," +
                std::to_string(piece.side) + "\n";
    }
    return text;
}

bool Passable(const MapFile& map, int x, int y)
{
    if (y < 0 || x < 0 || y >= static_cast<int>(map.rows.size()) ||
        x >= static_cast<int>(map.rows.front().size())) {
        return false;
    }
    char tile = map.rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
    return tile == '0' || tile == '1';
}

// Adds `count` units for the computer side on the free tiles nearest its first
// castle (breadth first), keeping away from the other pieces so each unit is one step.
MapFile WithComputerUnits(MapFile map, int count)
{
    std::set<std::pair<int, int>> taken;
    std::pair<int, int> start = {0, 0};
    bool haveStart = false;
    for (const MapPiece& piece : map.pieces) {
        taken.insert({piece.x, piece.y});
        if (!haveStart && piece.type == 3 && piece.side == 1) {
            start = {piece.x, piece.y};
            haveStart = true;
        }
    }
    std::deque<std::pair<int, int>> queue = {start};
    std::set<std::pair<int, int>> seen = {start};
    int added = 0;
    int type = 0;
    while (!queue.empty() && added < count) {
        auto [x, y] = queue.front();
        queue.pop_front();
        if (!taken.count({x, y}) && Passable(map, x, y)) {
            map.pieces.push_back({type, x, y, 1, 0});
            type = (type + 1) % 3;
            ++added;
        }
        const int steps[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        for (const auto& step : steps) {
            std::pair<int, int> next = {x + step[0], y + step[1]};
            if (!seen.count(next) && Passable(map, next.first, next.second)) {
                seen.insert(next);
                queue.push_back(next);
            }
        }
    }
    return map;
}
}  // namespace

std::vector<BenchPosition> BenchPositions(const std::string& sourceDir)
{
    std::vector<BenchPosition> positions;
    std::vector<std::string> golden;
    for (const auto& entry : std::filesystem::directory_iterator(sourceDir + "/tests/data")) {
        std::string name = entry.path().filename().string();
        if (name.rfind("golden-", 0) == 0) {
            golden.push_back(entry.path().string());
        }
    }
    std::sort(golden.begin(), golden.end());
    for (const std::string& path : golden) {
        std::string name = std::filesystem::path(path).stem().string();
        positions.push_back({name, ReadText(path), 300, 0});
    }

    // Each castle and each added unit is one step of the computer's turn.
    for (const char* mapName : {"Map1.txt", "Map2.txt"}) {
        MapFile map = ReadMapFile(sourceDir + "/data/" + mapName);
        int castles = 0;
        for (const MapPiece& piece : map.pieces) {
            castles += (piece.type == 3 && piece.side == 1) ? 1 : 0;
        }
        int units = 0;
        for (const MapPiece& piece : map.pieces) {
            units += (piece.type != 3 && piece.side == 1) ? 1 : 0;
        }
        for (int steps : {4, 8, 12, 16, 20}) {
            int extra = std::max(0, steps - castles - units);
            std::string name = std::string("hps-") + std::string(mapName).substr(0, 4) + "-" + std::to_string(steps);
            positions.push_back({name, MapText(WithComputerUnits(map, extra)), 300, steps});
        }
    }

    // A crowded mid-game: both sides have brought many units to the middle of the first map.
    MapFile crowded = ReadMapFile(sourceDir + "/data/Map1.txt");
    int added = 0;
    for (int y = 4; y <= 11 && added < 24; ++y) {
        for (int x = 8; x <= 16 && added < 24; x += 2) {
            if (Passable(crowded, x, y)) {
                bool occupied = std::any_of(crowded.pieces.begin(), crowded.pieces.end(),
                                            [&](const MapPiece& p) { return p.x == x && p.y == y; });
                if (!occupied) {
                    crowded.pieces.push_back({added % 3, x, y, x < 12 ? 0 : 1, 0});
                    ++added;
                }
            }
        }
    }
    // NOTE: far too many steps for the two-candidate search; it measures the step search.
    positions.push_back({"crowded-midgame", MapText(crowded), 1500, 0, false});

    // The end-to-end suite's long think: 17 computer Knights in sight of 5 of the human's on an open
    // 16 x 9 board, and a castle each; 18 steps, more where a Knight can still attack after its move.
    MapFile knights;
    knights.rows.assign(9, std::string(16, '0'));
    for (int i = 0; i < 17; ++i) {
        knights.pieces.push_back({0, 9 + i % 3, i / 3, 1, 0});
    }
    knights.pieces.push_back({3, 15, 8, 1, 0});
    knights.pieces.push_back({3, 0, 4, 0, 0});
    for (int row = 0; row <= 8; row += 2) {
        knights.pieces.push_back({0, 5, row, 0, 0});
    }
    positions.push_back({"knights-17", MapText(knights), 300, 18});
    return positions;
}
