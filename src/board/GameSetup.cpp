// Setting up a game when its board is attached: sides, camera, map, first turn.
#include <array>
#include <cstdlib>

#include "ai/AIController.h"
#include "board/GameData.h"
#include "board/TileMap.h"
#include "core/RootNode.h"
#include "input/CameraNode.h"
#include "input/InputManager.h"
#include "input/Label.h"
#include "rules/PlayerController.h"

namespace {
const std::array<const char*, 2> mapFileNames = {"Map1.txt", "Map2.txt"};
}

void TileMap::Init()
{
    TeamController* player = sideZero != nullptr ? sideZero : new PlayerController();
    player->gold = 0;
    player->color = {0.0f, 0.0f, 1.0f, 1.0f};

    RootNode* root = InputManager::Instance().root;
    if (root != nullptr && !root->aiQueue.empty()) {
        ai = root->aiQueue.front().release();
        root->aiQueue.pop_front();
    } else {
        // A board started outside the study sequence (a test or a tool) plays a passive opponent.
        ai = new AIController();
    }
    ai->color[0] = 1.0f;
    ai->color[2] = 0.0f;

    AddChild(player);
    teams.push_back(player);
    AddChild(ai);
    teams.push_back(ai);
    ai->gold += 300;

    camera = new CameraNode();
    AddChild(camera);

    if (isTutorial) {
        LoadMap("TutorialMap.txt");
        BuildTutorial();
        camera->position = {-100.0f, -100.0f};
    } else if (!mapFile.empty()) {
        LoadMap(mapFile);
    } else {
        int32_t index = rand() % 2;
        GameData::Get().mapIndex = index;
        LoadMap(mapFileNames[static_cast<size_t>(index)]);
    }
    if (updateVisibility) {
        UpdateAllVision();
    }
    EndTurn();
}

void TileMap::BuildTutorial()
{
    struct Text {
        Vector2 position;
        const char* text;
    };
    static const Text texts[] = {
        {{30, 30}, "Welcome to Torvane."},
        {{200, 50}, "Move the camera with WASD"},
        {{30, 200}, "Click on your Knight, then click a highlighted square to move it."},
        {{30, 500}, "Try moving your knight (blue) next to the enemy knight (red)."},
        {{50, 530}, "Click your knight, then the enemy knight to attack it."},
        {{30, 560}, "Press end turn to move and attack again."},
        {{30, 910}, "Attack the castle to capture it (castles can only be captured from 1 tile away)."},
        {{30, 940}, "Each castle earns you 100 gold per turn."},
        {{50, 970}, "You can click on a castle to purchase units. Each castle can buy one unit per turn."},
        {{50, 1000}, "Buy a unit to take over the castle below."},
        {{50, 1030}, "Read over the unit stats to get an idea of their different strengths."},
        {{50, 1300}, "You win when you end your turn controlling all castles. Good luck."},
    };
    for (const Text& t : texts) {
        auto* label = new Label(t.text, 20, BLACK);
        label->position = t.position;
        AddChild(label);
    }
}
