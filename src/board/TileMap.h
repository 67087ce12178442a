#pragma once

#include <string>
#include <vector>

#include "board/BoardObserver.h"
#include "board/BoardSnapshot.h"
#include "board/TileType.h"
#include "core/Node.h"
#include "input/TextStyle.h"

class CameraNode;
class Castle;
class TeamController;
class Unit;

// One game: the tile grid, the two sides, the camera, the pieces (as children),
// the turn state and the board history.
class TileMap : public Node {
public:
    ~TileMap() override;

    // Sets up a game: sides, camera, map, tutorial texts, then hands the first turn to the human.
    void Init() override;
    void Draw() override;

    // Reads a map file into the tiles and creates its pieces; throws MapFileError when it is broken.
    void LoadMap(const std::string& path);
    // The same from the file's text, `name` naming it in messages.
    void LoadMapText(const std::string& text, const std::string& name);
    Unit* SpawnUnit(int32_t type, Vector2 tile, TeamController* team);
    TileType GetTile(Vector2 tile) const;
    void BuildTutorial();
    // The tutorial's instructions in English, one for each of its places on the tutorial map.
    static constexpr size_t tutorialTextCount = 12;
    static const std::vector<std::string>& BuiltInTutorialTexts();
    // Where the tutorial's instruction `index` stands: from its place to the right edge of the
    // window with the board at its start.
    static TextRoom TutorialTextRoom(size_t index);

    // Piece queries, in the board's child order.
    std::vector<Unit*> GetUnits() const;
    // The same list without a copy; valid until the children change.
    const std::vector<Unit*>& Units() const
    {
        if (!unitsValid) {
            CollectUnits();
        }
        return units;
    }
    Unit* GetUnitAt(Vector2 tile) const;
    std::vector<Unit*> GetUnitsOf(const TeamController* team) const;
    std::vector<Castle*> GetCastles() const;
    std::vector<Unit*> GetUnitsSeenBy(const TeamController* team) const;
    // The side's index in `teams`; -1 for no side.
    int32_t SideOf(const TeamController* team) const;

    // Turn cycle and the three actions; every change is preceded by a snapshot.
    void EndTurn();
    void CheckVictory();
    void MoveUnit(Unit* unit, Vector2 tile);
    // Does nothing when no piece stands on the target tile.
    void AttackUnit(Unit* attacker, Vector2 targetTile);
    void BuyUnit(Unit* castle, int32_t unitType, Vector2 tile);
    // A computer side's piece gives up its next step: a fresh unit its move (and its attack
    // too when nothing is in reach), a moved one or a castle its attack or purchase.
    void PassUnit(Unit* unit);
    void UpdateAllVision();

    void TakeSnapshot();
    void RestoreSnapshot(int32_t index);

    bool gameOver = false;
    std::vector<std::vector<TileType>> tiles;
    std::vector<TeamController*> teams;  // not owned: [0] the human, [1] the AI
    int32_t currentTeam = 1;             // 1 so that the turn ended by Init gives the first turn to side 0
    std::vector<BoardSnapshot> history;
    std::vector<Unit*> removedUnits;  // owned: pieces off the board that a restore may bring back
    CameraNode* camera = nullptr;
    bool isTutorial = false;
    TeamController* ai = nullptr;  // not owned: the computer side, teams[1]
    bool forfeited = false;
    bool updateVisibility = true;
    // When set, Init loads this file instead of drawing one of the game maps
    // (tools and tests start games on boards of their choice; the study never sets it).
    std::string mapFile;
    // When set, Init loads the map from this text, named `mapFile` (a replay sets up the
    // board a record holds; the study never sets it).
    std::string mapText;
    // The game maps Init draws one of (host->NextMapIndex() when there are several); empty: Map1.txt
    // and Map2.txt. A tutorial board loads the first, or TutorialMap.txt when there is none.
    std::vector<std::string> mapChoices;
    // The tutorial's instructions, one for each place BuildTutorial puts one; empty: the built-in ones.
    std::vector<std::string> tutorialTexts;
    // Hears of every change played on the board; taken from the study when the board is
    // attached. Not owned. A search clears it while it tries actions.
    BoardObserver* observer = nullptr;
    // When set, Init seats this side as side 0 instead of creating the human player, and
    // the board's tree owns it from then on (tools pit two computer sides against each
    // other; the study never sets it).
    TeamController* sideZero = nullptr;

protected:
    void ChildrenChanged() override { unitsValid = false; }

private:
    // The pieces among the children, rebuilt after the child list changes.
    // NOTE: a restore sets it directly, since it knows the pieces it re-attached.
    mutable std::vector<Unit*> units;
    mutable bool unitsValid = false;
    void CollectUnits() const;
    // Tells the observer, if any, of a change just begun: by `actor`'s side, or without an
    // actor (an end of turn, an undo) by the side to move.
    void Notify(BoardChange::Kind kind, const Unit* actor, Vector2 to = {0.0f, 0.0f}, int32_t unitType = 0);
};
