// Recording and restoring a board's mutable state: the undo key and the opponents'
// trial actions both take changes back this way.
#include <algorithm>

#include "board/TileMap.h"
#include "board/Unit.h"
#include "rules/TeamController.h"

void TileMap::TakeSnapshot()
{
    BoardSnapshot snapshot;
    if (!spareSnapshots.empty()) {
        snapshot = std::move(spareSnapshots.back());
        spareSnapshots.pop_back();
        snapshot.units.clear();
        snapshot.gold.clear();
    }
    for (Unit* unit : Units()) {
        snapshot.units.push_back(
            {unit, unit->position, unit->team, unit->health, unit->hasMoved, unit->hasAttacked});
    }
    for (TeamController* team : teams) {
        snapshot.gold.push_back(team->gold);
    }
    snapshot.currentTeam = currentTeam;
    history.push_back(std::move(snapshot));
}

void TileMap::RestoreSnapshot(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= history.size()) {
        return;
    }
    BoardSnapshot snapshot = std::move(history[static_cast<size_t>(index)]);
    history.erase(history.begin() + index, history.end());

    // Every piece leaves the board; the other children keep their order in front.
    // NOTE: done in one pass rather than a RemoveChild per piece: the searches
    // restore after every trial action.
    std::vector<Unit*>& detached = detachedScratch;
    detached = Units();
    size_t next = 0;
    std::erase_if(children, [&](Node* child) {
        if (next < detached.size() && child == detached[next]) {
            ++next;
            return true;
        }
        return false;
    });
    for (Unit* unit : detached) {
        unit->parent = nullptr;
        removedUnits.push_back(unit);
    }
    // NOTE: the pieces come back as the last children, in the recorded order.
    for (const UnitSnapshot& record : snapshot.units) {
        Unit* unit = record.unit;
        unit->position = record.position;
        unit->team = record.team;
        unit->health = record.health;
        unit->hasMoved = record.hasMoved;
        unit->hasAttacked = record.hasAttacked;
        if (unit->parent == nullptr) {
            // A piece is listed once; the ones just detached are near the end.
            auto it = std::find(removedUnits.rbegin(), removedUnits.rend(), unit);
            if (it != removedUnits.rend()) {
                removedUnits.erase(std::next(it).base());
            }
            unit->parent = this;
            children.push_back(unit);
        }
    }
    ChildrenChanged();
    // Every recorded piece is back and no other piece is: the list is the record's.
    units.clear();
    for (const UnitSnapshot& record : snapshot.units) {
        units.push_back(record.unit);
    }
    unitsValid = true;
    for (size_t i = 0; i < teams.size() && i < snapshot.gold.size(); ++i) {
        teams[i]->gold = snapshot.gold[i];
    }
    currentTeam = snapshot.currentTeam;
    if (spareSnapshots.size() < 64) {
        spareSnapshots.push_back(std::move(snapshot));
    }
    if (updateVisibility) {
        UpdateAllVision();
    }
}
