#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/PlayerController.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"

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

    bool operator==(const StudyScene&) const = default;
};

// What a participant goes through: the scenes in order, which opponents are drawn in random
// order once per run, and the captions of every board.
struct Study {
    std::vector<StudyScene> scenes;
    std::vector<std::string> randomOrder;
    PlayerTexts player;
    // The study file's folder, where its map files are looked for first; empty for the working directory.
    std::string mapFolder;
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
