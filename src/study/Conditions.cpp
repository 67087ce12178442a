#include "study/Conditions.h"

#include <algorithm>

namespace {
// The orders of the opponents drawn in random order, the study's own first.
std::vector<std::vector<std::string>> Orders(const Study& study)
{
    std::vector<size_t> places(study.randomOrder.size());
    for (size_t i = 0; i < places.size(); ++i) {
        places[i] = i;
    }
    std::vector<std::vector<std::string>> orders;
    do {
        std::vector<std::string> order;
        for (size_t place : places) {
            order.push_back(study.randomOrder[place]);
        }
        orders.push_back(order);
    } while (study.conditions.order && std::next_permutation(places.begin(), places.end()));
    return orders;
}

std::vector<const StudyScene*> GamesOfSeveralMaps(const Study& study)
{
    std::vector<const StudyScene*> games;
    for (const StudyScene& scene : study.scenes) {
        if (scene.kind == StudyScene::Kind::Game && scene.maps.size() > 1) {
            games.push_back(&scene);
        }
    }
    return games;
}
}  // namespace

int32_t ConditionCount(const Study& study)
{
    auto count = static_cast<int32_t>(Orders(study).size());
    for (const StudyScene* game : GamesOfSeveralMaps(study)) {
        count *= game->balanceMaps ? static_cast<int32_t>(game->maps.size()) : 1;
    }
    return count;
}

ConditionDraws DrawsOf(const Study& study, int32_t condition)
{
    ConditionDraws draws;
    // The digits after the order's, last game first.
    const std::vector<const StudyScene*> games = GamesOfSeveralMaps(study);
    draws.maps.assign(games.size(), -1);
    for (size_t i = games.size(); i-- > 0;) {
        if (games[i]->balanceMaps) {
            const auto size = static_cast<int32_t>(games[i]->maps.size());
            draws.maps[i] = condition % size;
            condition /= size;
        }
    }
    const std::vector<std::vector<std::string>> orders = Orders(study);
    draws.order = orders[static_cast<size_t>(condition) % orders.size()];
    return draws;
}

int32_t ConditionOf(const Study& study, const std::vector<std::string>& order, const std::vector<int32_t>& maps)
{
    const std::vector<std::vector<std::string>> orders = Orders(study);
    const auto found = std::find(orders.begin(), orders.end(), order);
    int32_t condition = found == orders.end() ? 0 : static_cast<int32_t>(found - orders.begin());
    const std::vector<const StudyScene*> games = GamesOfSeveralMaps(study);
    for (size_t i = 0; i < games.size() && i < maps.size(); ++i) {
        if (games[i]->balanceMaps) {
            condition = condition * static_cast<int32_t>(games[i]->maps.size()) + maps[i];
        }
    }
    return condition;
}
