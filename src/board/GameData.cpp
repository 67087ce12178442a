#include "board/GameData.h"

#include "board/UnitType.h"

GameData& GameData::Get()
{
    static GameData* instance = new GameData();
    // Headless runs (tests, benchmarks, tools) have no GPU context: pieces then
    // keep empty images and draw a fallback. The images load once a window exists.
    if (!instance->assetsLoaded && IsWindowReady()) {
        instance->LoadAssets();
    }
    return *instance;
}

void GameData::LoadAssets()
{
    assetsLoaded = true;
    for (size_t type = 0; type < textures.size(); ++type) {
        textures[type] = LoadTexture(unitTexturePaths[type]);
    }
    unitShader = LoadShader(nullptr, "UnitColor.fs");
}
