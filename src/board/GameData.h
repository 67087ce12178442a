#pragma once

#include <array>
#include <cstdint>

#include "raylib.h"

// Shared for the whole run: the unit images, the side-colour shader and the size
// and index of the map in play. Created on first use and never destroyed.
class GameData {
public:
    static GameData& Get();

    int32_t mapWidth = 0;
    int32_t mapHeight = 0;
    std::array<Texture2D, 4> textures = {};
    Shader unitShader = {};
    int32_t mapIndex = 0;

private:
    GameData() = default;
    void LoadAssets();

    bool assetsLoaded = false;
};
