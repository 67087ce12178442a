#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "record/RecordReader.h"
#include "replay/ReplayBoard.h"

// One record's games played back in the game's window as the participant saw them: the
// board, side 0's fog and the highlights of the participant's selections, at the recorded
// pace or `speed` times faster. Both sides' actions come from the record. Only W, A, S and
// D reach the board (its camera); no click or key changes what is played.
class Watch {
public:
    Watch(const Record& record, double speed);

    // Moves on by `seconds` of real time: every event whose time has come is played, and the
    // board updates as in the game (the camera scrolls). Frames keep coming while it waits.
    void Advance(float seconds);
    // Between BeginDrawing and EndDrawing: the board through its camera, or a caption naming
    // the next board, and at the end a line saying why the watch stopped.
    void Draw();
    // Every event played, or one could not be.
    bool Finished() const { return !problem.empty() || next >= record.events.size(); }

    size_t next = 0;      // index of the next event to play
    std::string problem;  // "FILE:LINE: what could not be played"
    ReplayBoard boards;

private:
    // Plays the events that are due; stops at a board (its caption comes first) and after
    // showing the participant's selection before an action, so that a frame shows it.
    void PlayDue();
    void Stop(const RecordEvent& event, const std::string& why);
    // Shows the acting piece selected, with its highlights, as the participant's click did.
    void Select(const RecordEvent& event);

    const Record& record;
    double speed = 1.0;
    double clockMs = 0.0;     // the record's time that the watch has reached
    float captionLeft = 0.0f;  // seconds the caption before the next board still shows
    std::string caption;
    bool setUpPending = false;  // the board's first endTurn is its set-up, which its Init played
    size_t selected = SIZE_MAX;  // the event whose piece is shown selected
};

// Opens the window and watches the record until Escape or the close button. Returns 0, or 1
// when an event could not be played (the reason also goes to `err`).
int WatchInWindow(const Record& record, double speed, std::ostream& err);
