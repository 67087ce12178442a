#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "player/PlayerController.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"

// At most how many maps one board draws from: the result code gives the map one digit.
inline constexpr int32_t maxMapsPerBoard = 9;
// At most how long a study file is: the record keeps its whole text in its first line, which a
// reader takes up to 1 MiB and the browser sends in one piece.
inline constexpr size_t maxStudyFileBytes = 64 * 1024;

// One scene of a study, as its file names it. Only the fields of its kind are used.
struct StudyScene {
    enum class Kind { Title, Tutorial, Transition, Game, End };

    Kind kind = Kind::Title;
    TitleTexts title;                       // Title
    std::string text;                       // Transition: the announcement
    std::string button;                     // Transition: the caption of its button
    EndTexts end;                           // End
    std::vector<std::string> instructions;  // Tutorial: one per place on its map
    // Tutorial and Game: the map files, as the study file names them; a game with several draws one.
    std::vector<std::string> maps;
    // Game: "default" (the passive side), "a" (the step-by-step search) or "b" (the two-candidate
    // search). A name that the study draws in random order stands for its place in the drawn order.
    std::string opponent = "default";
    bool scored = false;  // Game: adds its three characters to the result code
    bool balanceMaps = false;  // Game of several maps: its map is part of the run's condition

    bool operator==(const StudyScene&) const = default;
};

// What the browser's page around the game says, in the study's language: its language tag, the
// notice over a page held upright, the loading line and the page shown once the study is over. The
// record texts hold {parts}, {arrived} and {refused} where the page puts its counts. The desktop
// shows none of these.
struct PageTexts {
    std::string language = "en";
    std::string turnDevice = "Please turn your device sideways to play, or take part on a computer.";
    std::string loading = "Loading the game\u2026";  // followed by the share loaded
    std::string graphicsLost = "The browser lost the game's graphics; please reload the page.";
    std::string finished = "The study is finished";
    std::string farewell = "Thank you for playing. You can close this tab now.";
    std::string codeLabel = "Your result code:";
    std::string copyHint = "Select it and copy it into the questionnaire.";
    std::string questionnaire = "Go to the questionnaire";
    std::string stopped = "The game stopped";
    std::string wentWrong = "Something went wrong: ";  // followed by what went wrong
    std::string saveRecord = "Save the study record";
    std::string saveNote = "(a file for the researcher)";
    std::string recordArrived = "The whole study record has arrived ({parts} parts).";
    std::string recordRefused = "The receiver refused {refused} of {parts} parts of the study record. Please save "
                                "the record below and send the file to the researcher.";
    std::string recordSending = "The study record is being sent: {arrived} of {parts} parts have arrived. The page "
                                "keeps trying while it is open; if this does not change, please save the record "
                                "below and send the file to the researcher.";

    bool operator==(const PageTexts&) const = default;
};

// How a study's runs are spread over its conditions: what a condition fixes (the drawn order of
// the opponents, the maps of the games marked `balanceMaps`) and how a run gets one.
struct StudyConditions {
    enum class Assign { Random, Balanced };
    Assign assign = Assign::Random;  // Random: every draw as the seed gives it, as a plain run
    bool order = false;              // the order of the opponents drawn in random order
    // A run started this recently that has not reached its result code still holds its condition.
    int32_t staleMinutes = 90;

    bool operator==(const StudyConditions&) const = default;
};

// What a participant goes through: the scenes in order, which opponents are drawn in random
// order once per run, and the captions of every board.
struct Study {
    std::vector<StudyScene> scenes;
    std::vector<std::string> randomOrder;
    PlayerTexts player;
    PageTexts page;
    StudyConditions conditions;
    // The study file's folder, where its map files are looked for first; empty for the working directory.
    std::string mapFolder;
    // Where the study came from, for the record: its file's name and whole text (empty when built in).
    std::string fileName;
    std::string text;
    // The TrueType font every text is drawn with, as the study file names it (found as a map is);
    // empty for raylib's built-in font.
    std::string font;

    // The path the game opens for a map the study names: beside the study file, or else in the working
    // directory (where the game reads its own files) when only that holds it.
    std::string MapPath(const std::string& map) const;
    // Every text a participant reads, in the order of the file.
    std::vector<std::string> Texts() const;
    // The codepoints the study's font must have glyphs for: those of its texts, and what the game
    // draws itself (printable ASCII: the gold, prices, the result code and the researcher's notices).
    std::vector<int> Glyphs() const;
    bool operator==(const Study&) const = default;
};

// The study of a plain run, the one data/study.toml describes: the title, the tutorial, a
// practice game against the passive side, two scored games against "a" and "b" in random
// order with a transition before each of the three games, and the end screen.
Study PlainStudy();
