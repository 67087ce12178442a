#include "replay/RecordedStudy.h"

#include <algorithm>

#include "study/StudyFile.h"

namespace {
std::string FileName(const std::string& path)
{
    return path.substr(path.find_last_of("/\\") + 1);
}
}  // namespace

RecordedStudy::RecordedStudy(const Record& record)
{
    const record::Json& first = record.header;
    if (!first.contains("studyText")) {
        return;
    }
    held = true;
    const std::string text = first["studyText"].get<std::string>();
    const std::string named = first.value("studyHash", std::string());
    if (record::TextHash(text) != named) {
        altered = "the study text is not the one the record's hash names (" + named + "; the text hashes to " +
                  record::TextHash(text) + ")";
        return;
    }
    try {
        study = ParseStudyText(text, first.value("study", std::string("study")), "", StudyFiles::Unchecked);
    } catch (const StudyFileError& error) {
        unreadable = std::string("the record's study cannot be read by this version of the game: ") + error.what();
        return;
    }
    for (const StudyScene& scene : study.scenes) {
        if (scene.kind == StudyScene::Kind::Tutorial || scene.kind == StudyScene::Kind::Game) {
            boards.push_back(&scene);
        }
    }
}

std::string RecordedStudy::CheckBoard(const RecordEvent& event)
{
    const record::Json& fields = event.fields;
    if (next == boards.size()) {
        return "the record's study has " + std::to_string(boards.size()) + " boards, the record more";
    }
    const StudyScene& scene = *boards[next++];
    const bool tutorial = scene.kind == StudyScene::Kind::Tutorial;
    if (fields.at("tutorial").get<bool>() != tutorial) {
        return std::string("the study's board ") + std::to_string(next) + " is " + (tutorial ? "" : "not ") +
               "the tutorial, the record's is " + (tutorial ? "not" : "");
    }
    const std::string opponent = fields.at("opponent").get<std::string>();
    const auto& random = study.randomOrder;
    std::string expected = scene.opponent;
    if (std::find(random.begin(), random.end(), scene.opponent) != random.end()) {
        // The first board of a drawn name says what it drew; each name draws a different opponent.
        const bool drawable = std::find(random.begin(), random.end(), opponent) != random.end();
        const bool taken = std::any_of(drawn.begin(), drawn.end(), [&](const auto& entry) {
            return entry.first != scene.opponent && entry.second == opponent;
        });
        expected = drawn.emplace(scene.opponent, drawable && !taken ? opponent : "").first->second;
    }
    if (opponent != expected) {
        return "the study's board " + std::to_string(next) + " meets " +
               (expected.empty() ? "an opponent of its random order not drawn before" : "\"" + expected + "\"") +
               ", the record's \"" + opponent + "\"";
    }
    // The tutorial draws no map: its number says nothing.
    const std::string map = fields.at("map").get<std::string>();
    const int64_t number = tutorial ? 1 : fields.at("number").get<int64_t>();
    if (number < 1 || number > static_cast<int64_t>(scene.maps.size()) || FileName(scene.maps[number - 1]) != map) {
        std::string names;
        for (const std::string& name : scene.maps) {
            names += (names.empty() ? "" : ", ") + FileName(name);
        }
        return "the study's board " + std::to_string(next) + " plays on " + names + ", the record's on " + map +
               " (number " + std::to_string(number) + ")";
    }
    scored = scene.scored;
    return "";
}
