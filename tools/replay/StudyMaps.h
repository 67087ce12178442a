#pragma once

#include <string>
#include <vector>

// The study's maps (data/TutorialMap.txt, Map1.txt and Map2.txt) as the tool was built with
// them, so that it knows them from any working directory.
struct StudyMap {
    std::string name;
    std::string text;
};

const std::vector<StudyMap>& StudyMaps();
// The study's map with exactly this text, or null.
const StudyMap* FindStudyMap(const std::string& text);
