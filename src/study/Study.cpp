#include "study/Study.h"

#include <algorithm>
#include <fstream>

#include "board/TileMap.h"
#include "input/TextFont.h"

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

std::vector<std::string> Study::Texts() const
{
    std::vector<std::string> texts = {player.endTurn, player.forfeit, player.gold, player.purchase, player.exit};
    texts.insert(texts.end(), player.unitNames.begin(), player.unitNames.end());
    texts.insert(texts.end(), player.unitStats.begin(), player.unitStats.end());
    for (const StudyScene& scene : scenes) {
        switch (scene.kind) {
        case StudyScene::Kind::Title:
            texts.push_back(scene.title.heading);
            texts.insert(texts.end(), scene.title.lines.begin(), scene.title.lines.end());
            texts.push_back(scene.title.button);
            break;
        case StudyScene::Kind::Tutorial:
            texts.insert(texts.end(), scene.instructions.begin(), scene.instructions.end());
            break;
        case StudyScene::Kind::Transition:
            texts.insert(texts.end(), {scene.text, scene.button});
            break;
        case StudyScene::Kind::End:
            texts.insert(texts.end(), {scene.end.thanks, scene.end.request, scene.end.button});
            break;
        case StudyScene::Kind::Game:
            break;
        }
    }
    return texts;
}

std::vector<int> Study::Glyphs() const
{
    std::vector<int> glyphs;
    for (int ascii = ' '; ascii <= '~'; ++ascii) {
        glyphs.push_back(ascii);
    }
    for (const std::string& text : Texts()) {
        const std::vector<int> used = TextFont::Codepoints(text);
        glyphs.insert(glyphs.end(), used.begin(), used.end());
    }
    std::sort(glyphs.begin(), glyphs.end());
    glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
    return glyphs;
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
