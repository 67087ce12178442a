#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "record/RecordReader.h"
#include "study/Study.h"

// The study a record says its run played (its first line holds the study file's name, hash and
// whole text), read back so that the replay holds each board to it: the board's kind, its
// opponent (a name drawn in random order stands for the same drawn opponent throughout), its map
// among the ones the study names, and whether its game is scored. A record without a study (an
// older version, the arena's) is replayed as its boards say.
class RecordedStudy {
public:
    explicit RecordedStudy(const Record& record);

    // Whether the record holds a study; when not, every board is taken as it says.
    bool Held() const { return held; }
    // What makes the record's study not the one it names (its text does not give its hash), or "".
    const std::string& Altered() const { return altered; }
    // Why this version of the game cannot read the record's study, or "".
    const std::string& Unreadable() const { return unreadable; }
    // What the board event (the record's next board) does not share with the study, or "".
    std::string CheckBoard(const RecordEvent& event);
    // Whether the board last checked is scored.
    bool Scored() const { return scored; }

private:
    bool held = false;
    std::string altered;
    std::string unreadable;
    Study study;
    std::vector<const StudyScene*> boards;  // the study's boards in order
    size_t next = 0;
    std::map<std::string, std::string> drawn;  // a name of the random order -> the opponent it drew
    bool scored = false;
};
