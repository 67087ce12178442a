#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "study/Study.h"

// A study file that the game cannot run: "file:line: what is wrong".
class StudyFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The version of the study file format this game reads (its `version` key).
constexpr int64_t studyFileVersion = 1;

// Reads a study file (TOML) and checks everything in it, the map files it names included (they are
// looked for beside the file, then in the working directory); throws StudyFileError at the first mistake.
Study ReadStudyFile(const std::string& path);
// Whether the files a study names are looked for: not when a replay reads the study a record holds,
// whose boards bring their own map texts.
enum class StudyFiles { Checked, Unchecked };

// The same for text already in memory, named `path`, its maps looked for in `mapFolder`.
Study ParseStudyText(const std::string& text, const std::string& path, const std::string& mapFolder,
                     StudyFiles files = StudyFiles::Checked);
// The map files a study text names, each once, as it names them; as many as can be made out of a
// text with mistakes (reading it then names them). The browser fetches these before reading the study.
std::vector<std::string> StudyMapNames(const std::string& text);
