#include "study/RootNode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "ai/AIController.h"
#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/GameData.h"
#include "board/TileMap.h"
#include "input/CameraNode.h"
#include "input/TextFont.h"
#include "input/TextStyle.h"
#include "player/PlayerController.h"
#include "raylib.h"
#include "record/RecordWriter.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "study/Conditions.h"

RootNode::RootNode() = default;

RootNode::~RootNode()
{
    if (font != nullptr && TextStyle::Current() == font.get()) {
        TextStyle::Use(nullptr);
    }
}

namespace {
std::unique_ptr<Node> MakeScene(const StudyScene& scene, const Study& study)
{
    switch (scene.kind) {
    case StudyScene::Kind::Title:
        return std::make_unique<TitleScreen>(scene.title);
    case StudyScene::Kind::Transition:
        return std::make_unique<Transition>(scene.text, scene.button);
    case StudyScene::Kind::End:
        return std::make_unique<EndScreen>(scene.end);
    case StudyScene::Kind::Tutorial:
    case StudyScene::Kind::Game:
        break;
    }
    auto board = std::make_unique<TileMap>();
    board->isTutorial = scene.kind == StudyScene::Kind::Tutorial;
    board->tutorialTexts = scene.instructions;
    for (const std::string& map : scene.maps) {
        board->mapChoices.push_back(study.MapPath(map));
    }
    return board;
}

std::unique_ptr<AIController> MakeOpponent(const std::string& name)
{
    AIController* controller = name == "a"   ? new MinimaxController()
                               : name == "b" ? new HPSController()
                                             : new AIController();
    controller->name = name;
    return std::unique_ptr<AIController>(controller);
}

// The opponents that are drawn in random order, shuffled. NOTE: with two, one draw; an odd one
// swaps them, which puts "b" first in the plain study.
std::vector<std::string> DrawOrder(std::vector<std::string> names)
{
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        std::swap(names[i], names[i + static_cast<size_t>(rand()) % (names.size() - i)]);
    }
    return names;
}

// The opponent a board meets: a name drawn in random order stands for its place in the drawn order.
std::string Placed(const std::string& name, const std::vector<std::string>& names,
                   const std::vector<std::string>& drawn)
{
    const auto place = std::find(names.begin(), names.end(), name);
    return place == names.end() ? name : drawn[static_cast<size_t>(place - names.begin())];
}

bool IsBoard(const StudyScene& scene)
{
    return scene.kind == StudyScene::Kind::Tutorial || scene.kind == StudyScene::Kind::Game;
}
}  // namespace

void RootNode::Init()
{
    for (const StudyScene& scene : study.scenes) {
        std::unique_ptr<Node> node = MakeScene(scene, study);
        if (IsBoard(scene)) {
            scoredBoards[node.get()] = scene.scored;
        }
        scenes.push_back(std::move(node));
    }

    // The only seeding of the run: runs started within the same second play the same order and maps.
    const auto runSeed = seed ? *seed : static_cast<unsigned>(time(nullptr));
    srand(runSeed);
    const ConditionDraws fixed = condition ? DrawsOf(study, *condition) : ConditionDraws();
    const std::vector<std::string> drawn = condition ? fixed.order : DrawOrder(study.randomOrder);
    for (const StudyScene& scene : study.scenes) {
        if (IsBoard(scene)) {
            aiQueue.push_back(MakeOpponent(Placed(scene.opponent, study.randomOrder, drawn)));
        }
    }
    // NOTE: the games that have several maps draw theirs next, in their order, and nothing else
    // draws: drawn now, the record's first line can name them.
    for (const StudyScene& scene : study.scenes) {
        if (scene.kind == StudyScene::Kind::Game && scene.maps.size() > 1) {
            const size_t game = mapDraws.size();
            const bool given = game < fixed.maps.size() && fixed.maps[game] >= 0;
            mapDraws.push_back(given ? fixed.maps[game] : rand() % static_cast<int32_t>(scene.maps.size()));
        }
    }
    if (record != nullptr) {
        RunHeader header;
        header.seed = runSeed;
        header.source = source;
        for (const auto& opponent : aiQueue) {
            if (opponent->name != "default") {
                header.order.push_back(opponent->name);
            }
        }
        for (int32_t index : mapDraws) {
            header.maps.push_back(index + 1);
        }
        header.condition = condition ? *condition : ConditionOf(study, drawn, {mapDraws.begin(), mapDraws.end()});
        header.conditions = ConditionCount(study);
        header.assigned = assigned;
        header.participant = participant;
        header.study = study.fileName;
        header.studyText = study.text;
        record->RunStarted(header);
    }
    if (!study.font.empty()) {
        try {
            font = std::make_unique<TextFont>(study.MapPath(study.font), study.Glyphs());
            TextStyle::Use(font.get());
        } catch (const TextFontError& error) {
            // Checked as the study was read: a font gone since leaves the texts in the built-in one.
            std::fprintf(stderr, "torvane: %s; the texts are drawn in the built-in font\n", error.what());
        }
    }
    NextScene();
}

void RootNode::NextScene()
{
    if (scenes.empty()) {
        if (record != nullptr && !SaveRecord()) {
            advanceScene = false;
            return;
        }
        // advanceScene stays set; the loop then sees WindowShouldClose and ends.
        if (IsWindowReady()) {
            CloseWindow();
        }
        return;
    }
    for (Node* child : GetChildren()) {
        scoredBoards.erase(child);
        RemoveChild(child);
        delete child;
    }
    // The scene leaves the queue before its Init runs so that it is owned by the tree from then on.
    Node* next = scenes.front().release();
    scenes.pop_front();
    if (record != nullptr) {
        const char* scene = dynamic_cast<TileMap*>(next) != nullptr      ? "board"
                            : dynamic_cast<Transition*>(next) != nullptr ? "transition"
                            : dynamic_cast<EndScreen*>(next) != nullptr  ? "end"
                                                                         : "title";
        record->SceneShown(scene, shownScenes);
    }
    ++shownScenes;
    AddChild(next);
    advanceScene = false;
    if (record != nullptr) {
        ShowRecordState();
    }
}

bool RootNode::SaveRecord()
{
    if (!codeRecorded) {
        record->CodeShown(resultCode);
        codeRecorded = true;
    }
    const bool saved = record->CatchUp();
    ShowRecordState();
    return saved;
}

void RootNode::ShowRecordState()
{
    for (Node* child : children) {
        if (auto* end = dynamic_cast<EndScreen*>(child)) {
            end->ShowRecordProblem(record->Path(), record->Failure());
        }
    }
}

CameraNode* RootNode::GetActiveCamera() const
{
    for (Node* child : children) {
        if (auto* board = dynamic_cast<TileMap*>(child)) {
            return board->camera;
        }
    }
    return nullptr;
}

Vector2 RootNode::CameraOffset() const
{
    CameraNode* camera = GetActiveCamera();
    return camera != nullptr ? camera->position : Vector2{0.0f, 0.0f};
}

TeamController* RootNode::CreatePlayer()
{
    if (makeSeat) {
        return makeSeat();
    }
    auto* player = new PlayerController();
    player->texts = study.player;
    return player;
}

TeamController* RootNode::TakeOpponent()
{
    if (aiQueue.empty()) {
        return new AIController();
    }
    AIController* next = aiQueue.front().release();
    aiQueue.pop_front();
    return next;
}

void RootNode::GameDecided(const TileMap& board, const TeamController* winner)
{
    const auto* opponent = dynamic_cast<const AIController*>(board.ai);
    // A board of the study is scored as the study says; one started outside it, against a named opponent.
    const auto inStudy = scoredBoards.find(&board);
    bool scored = inStudy != scoredBoards.end()
                      ? inStudy->second
                      : opponent != nullptr && opponent->name != "default" && !board.isTutorial;
    std::string group;
    if (scored) {
        // The opponent's name, 0 when it won and 1 otherwise, and the map's number.
        group = opponent->name + (winner != nullptr && winner == board.teams[1] ? "0" : "1");
        group += std::to_string(GameData::Get().mapIndex + 1);
        resultCode += group;
    }
    if (record != nullptr) {
        record->GameDecided(board.SideOf(winner), group);
    }
    advanceScene = true;
}

void RootNode::SetScored(const TileMap& board, bool scored)
{
    scoredBoards[&board] = scored;
}

BoardObserver* RootNode::Observer()
{
    return record;
}

int32_t RootNode::NextMapIndex()
{
    if (mapDraws.empty()) {
        return GameHost::NextMapIndex();
    }
    const int32_t index = mapDraws.front();
    mapDraws.pop_front();
    return index;
}

void RootNode::NoteFocus(bool focused)
{
    if (record != nullptr && focused != windowFocused) {
        record->FocusChanged(focused);
        ShowRecordState();
    }
    windowFocused = focused;
}
