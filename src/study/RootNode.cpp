#include "study/RootNode.h"

#include <cstdlib>
#include <ctime>

#include "ai/AIController.h"
#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "board/GameData.h"
#include "board/TileMap.h"
#include "input/CameraNode.h"
#include "player/PlayerController.h"
#include "raylib.h"
#include "record/RecordWriter.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"

RootNode::RootNode() = default;
RootNode::~RootNode() = default;

namespace {
std::unique_ptr<TileMap> MakeBoard(bool isTutorial)
{
    auto board = std::make_unique<TileMap>();
    board->isTutorial = isTutorial;
    return board;
}

std::unique_ptr<AIController> MakeOpponent(AIController* controller, std::string name)
{
    controller->name = std::move(name);
    return std::unique_ptr<AIController>(controller);
}
}  // namespace

void RootNode::Init()
{
    scenes.push_back(std::make_unique<TitleScreen>());
    scenes.push_back(MakeBoard(true));
    scenes.push_back(std::make_unique<Transition>("Next you will play a practice game with no AI"));
    scenes.push_back(MakeBoard(false));
    scenes.push_back(std::make_unique<Transition>("Next you will play your first game"));
    scenes.push_back(MakeBoard(false));
    scenes.push_back(std::make_unique<Transition>("Next you will play your second game"));
    scenes.push_back(MakeBoard(false));
    scenes.push_back(std::make_unique<EndScreen>());

    aiQueue.push_back(MakeOpponent(new AIController(), "default"));
    aiQueue.push_back(MakeOpponent(new AIController(), "default"));

    // The only seeding of the run: runs started within the same second play the same order and maps.
    const auto runSeed = seed ? *seed : static_cast<unsigned>(time(nullptr));
    srand(runSeed);
    // One draw fixes the order of the two scored opponents: an odd one puts "b" first.
    if (rand() % 2 != 0) {
        aiQueue.push_back(MakeOpponent(new HPSController(), "b"));
        aiQueue.push_back(MakeOpponent(new MinimaxController(), "a"));
    } else {
        aiQueue.push_back(MakeOpponent(new MinimaxController(), "a"));
        aiQueue.push_back(MakeOpponent(new HPSController(), "b"));
    }
    // NOTE: the three boards after the tutorial draw their maps next, in this order, and nothing
    // else draws: drawn now, the record's first line can name them.
    for (int board = 0; board < 3; ++board) {
        mapDraws.push_back(rand() % 2);
    }
    if (record != nullptr) {
        RunHeader header;
        header.seed = runSeed;
        for (const auto& opponent : aiQueue) {
            if (opponent->name != "default") {
                header.order.push_back(opponent->name);
            }
        }
        for (int32_t index : mapDraws) {
            header.maps.push_back(index + 1);
        }
        header.participant = participant;
        record->RunStarted(header);
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
    return new PlayerController();
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
    bool scored = opponent != nullptr && opponent->name != "default" && !board.isTutorial;
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
