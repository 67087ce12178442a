#pragma once

#include <cstdint>
#include <vector>

#include "raylib.h"

#include "core/InputEvent.h"

// Base of everything the game shows or runs. A node owns its children and
// frees them front to back when it is destroyed.
class Node {
public:
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    virtual ~Node();

    virtual void Init() {}
    virtual bool HandleInput(InputEvent event);
    virtual void Update() {}
    virtual void Draw() {}

    // Appends the child (moving it from its old parent) and runs its Init the first time.
    void AddChild(Node* child);
    // Detaches without destroying; throws when the pointer is not a child.
    void RemoveChild(Node* child);
    std::vector<Node*> GetChildren() const { return children; }

    bool IsVisibleInTree() const;
    int32_t GetAbsoluteZ() const;
    Vector2 GetAbsolutePosition() const;
    std::vector<Node*> CollectDescendants() const;

    // The walks iterate over copies of the child lists, so handlers may attach or detach freely.
    static void UpdateTree(Node* node);
    static bool DispatchInput(Node* node, InputEvent event);

    Node* parent = nullptr;
    std::vector<Node*> children;  // owned, in attach order
    bool initialized = false;
    Vector2 position = {0.0f, 0.0f};
    bool visible = true;
    int32_t z = 1;
    bool fixedToScreen = false;

protected:
    // Called after a child was attached or detached, so that a node can refresh
    // what it derives from its child list.
    virtual void ChildrenChanged() {}
};
