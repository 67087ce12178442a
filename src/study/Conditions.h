#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "study/Study.h"

// A study's conditions, numbered from 0: the drawn order of the opponents (when the study balances
// it) is the leading digit, then the map of each game marked `balanceMaps`, in playing order, each
// digit counting the game's maps. With two opponents and two such games of two maps each, condition
// 5 = 1·4 + 0·2 + 1 is the second order, the first game's first map and the second game's second.
int32_t ConditionCount(const Study& study);

// What a run's condition fixes: the opponents' order and, for every game of several maps in
// playing order, its map's place in the list (-1 where the condition leaves the map to the draw).
struct ConditionDraws {
    std::vector<std::string> order;
    std::vector<int32_t> maps;
};
ConditionDraws DrawsOf(const Study& study, int32_t condition);
// The condition a run's draws amount to: the drawn order, and the drawn map of every game of
// several maps in playing order.
int32_t ConditionOf(const Study& study, const std::vector<std::string>& order, const std::vector<int32_t>& maps);
