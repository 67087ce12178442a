#pragma once

#include <string>
#include <vector>

// A position to measure: a map file's text, and the gold the computer side holds.
struct BenchPosition {
    std::string name;
    std::string mapText;
    int aiGold = 300;
    int steps = 0;  // the two-candidate search's nominal steps, 0 when not generated for it
    bool twoCandidate = true;  // false: a position for the step search alone
};

// Every golden position of the tests, generated positions on the shipped maps with
// growing numbers of steps for the two-candidate search, and a crowded mid-game.
std::vector<BenchPosition> BenchPositions(const std::string& sourceDir);
