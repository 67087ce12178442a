#include "study/Study.h"

#include <fstream>

#include "board/TileMap.h"

std::string Study::MapPath(const std::string& map) const
{
    const bool absolute = !map.empty() && (map.front() == '/' || map.front() == '\\' || map.find(':') == 1);
    if (mapFolder.empty() || absolute) {
        return map;
    }
    // A study copied away from the game may keep naming the game's own maps.
    const std::string beside = mapFolder + "/" + map;
    return std::ifstream(beside, std::ios::binary).good() || !std::ifstream(map, std::ios::binary).good() ? beside
                                                                                                           : map;
}

namespace {
StudyScene Scene(StudyScene::Kind kind)
{
    StudyScene scene;
    scene.kind = kind;
    return scene;
}

StudyScene TransitionScene(const char* text)
{
    StudyScene scene = Scene(StudyScene::Kind::Transition);
    scene.text = text;
    scene.button = "Continue";
    return scene;
}

StudyScene GameScene(const char* opponent, bool scored)
{
    StudyScene scene = Scene(StudyScene::Kind::Game);
    scene.opponent = opponent;
    scene.scored = scored;
    scene.maps = {"Map1.txt", "Map2.txt"};
    return scene;
}
}  // namespace

Study PlainStudy()
{
    Study study;
    StudyScene tutorial = Scene(StudyScene::Kind::Tutorial);
    tutorial.maps = {"TutorialMap.txt"};
    tutorial.instructions = TileMap::BuiltInTutorialTexts();
    study.scenes = {
        Scene(StudyScene::Kind::Title),
        tutorial,
        TransitionScene("Next you will play a practice game with no AI"),
        GameScene("default", false),
        TransitionScene("Next you will play your first game"),
        GameScene("a", true),
        TransitionScene("Next you will play your second game"),
        GameScene("b", true),
        Scene(StudyScene::Kind::End),
    };
    study.randomOrder = {"a", "b"};
    return study;
}
