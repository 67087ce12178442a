#pragma once

#include <cstdint>
#include <string>

#include "record/RecordReader.h"
#include "common/RootInstalled.h"
#include "study/RootNode.h"

class AIController;
class SceneRoot;
class TileMap;
class Unit;

// A record's boards, each set up through the game's own Init from the map text its "board"
// event holds, and the recorded events applied to it through the board's own operations.
// Both the replay's check and watching a record play their boards here. While it lives, its
// root is the input manager's, so that a board's set-up finds its host.
class ReplayBoard {
public:
    // `writer` hears of every change played (the check compares what it writes), or null.
    // With `replan`, the scored opponents ("a", "b") plan their turns again; otherwise every
    // side's actions come from the record.
    ReplayBoard(const Record& record, RecordWriter* writer, bool replan);
    ~ReplayBoard();
    ReplayBoard(const ReplayBoard&) = delete;
    ReplayBoard& operator=(const ReplayBoard&) = delete;

    // What is wrong with a board event's map text (not the one its hash names, or none), or "".
    std::string TextProblem(const RecordEvent& event) const;
    // Replaces the board by the one the event holds; what differs, or "" when it is set up
    // (a map text the game cannot load leaves no board).
    std::string StartBoard(const RecordEvent& event);
    // Applies a recorded action, undo, end of turn or forfeit of a side whose actions come
    // from the record; false when the rules do not offer it as the board stands (after an undo
    // in side 1's turn: when the game's playback of a plan could not have played it).
    bool Apply(const RecordEvent& event);
    // A whole number of the event on `line`; RecordError for anything else.
    int32_t Int(const record::Json& value, int32_t line) const;
    Vector2 TileOf(const record::Json& fields, const char* key, int32_t line) const;

    RootNode root;
    RootInstalled installed{root};     // while the replay lives, the board's tree finds this root
    TileMap* board = nullptr;          // owned by root
    AIController* opponent = nullptr;  // replanning, or null when side 1 plays from the record
    // Side 1 plays from the record and its turn is on (after the human's End Turn, before its own).
    bool RecordedSidePlays() const { return recordedPlays; }

private:
    // The piece a recorded action names by its tile, or null.
    Unit* Actor(const RecordEvent& event, bool playedOn) const;

    const Record& record;
    bool replan = true;
    bool afterUndo = false;  // an undo came after the recorded side's last action (see Apply)
    bool recordedPlays = false;  // side 1, played from the record, has begun its turn and not ended it
    bool planAfterUndo = false;  // Z came in that turn: the rest of its plan is played on as it is
    Unit* lastMoved = nullptr;   // the piece of the last move played in this turn
};
