#pragma once

#include <string>

#include "core/Node.h"

// What nodes of every layer may ask of the root of the tree: where the scene's camera
// looks, the request for the next scene and the result code so far. The study's root
// fills it in; the layers below never need to know the scene sequence.
class SceneRoot : public Node {
public:
    // The world point shown at the window's top-left corner.
    virtual Vector2 CameraOffset() const { return {0.0f, 0.0f}; }

    std::string resultCode;
    bool advanceScene = false;
};
