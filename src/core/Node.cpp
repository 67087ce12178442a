#include "core/Node.h"

#include <algorithm>
#include <stdexcept>

#include "core/SceneRoot.h"

Node::~Node()
{
    for (Node* child : children) {
        delete child;
    }
    children.clear();
}

bool Node::HandleInput(InputEvent)
{
    return false;
}

void Node::AddChild(Node* child)
{
    if (child->parent != nullptr) {
        child->parent->RemoveChild(child);
    }
    child->parent = this;
    children.push_back(child);
    ChildrenChanged();
    // NOTE: the flag is set before Init so that an Init re-attaching the node cannot run twice.
    if (!child->initialized) {
        child->initialized = true;
        child->Init();
    }
}

void Node::RemoveChild(Node* child)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end()) {
        throw std::runtime_error("\nError - Attempting to remove child from a node that isn't its parent.\n");
    }
    child->parent = nullptr;
    children.erase(it);
    ChildrenChanged();
}

bool Node::IsVisibleInTree() const
{
    for (const Node* node = this; node != nullptr; node = node->parent) {
        if (!node->visible) {
            return false;
        }
    }
    return true;
}

int32_t Node::GetAbsoluteZ() const
{
    int32_t sum = 0;
    for (const Node* node = this; node != nullptr; node = node->parent) {
        sum += node->z;
    }
    return sum;
}

Vector2 Node::GetAbsolutePosition() const
{
    if (fixedToScreen) {
        // Measured from the camera, so the node stays put on screen while the board scrolls.
        const Node* top = this;
        while (top->parent != nullptr) {
            top = top->parent;
        }
        auto* root = dynamic_cast<const SceneRoot*>(top);
        if (root == nullptr) {
            return position;
        }
        Vector2 camera = root->CameraOffset();
        return {camera.x + position.x, camera.y + position.y};
    }
    if (parent != nullptr) {
        Vector2 base = parent->GetAbsolutePosition();
        return {base.x + position.x, base.y + position.y};
    }
    return position;
}

std::vector<Node*> Node::CollectDescendants() const
{
    std::vector<Node*> result = children;
    for (Node* child : children) {
        std::vector<Node*> below = child->CollectDescendants();
        result.insert(result.end(), below.begin(), below.end());
    }
    return result;
}

void Node::UpdateTree(Node* node)
{
    node->Update();
    for (Node* child : node->GetChildren()) {
        UpdateTree(child);
    }
}

bool Node::DispatchInput(Node* node, InputEvent event)
{
    if (node->HandleInput(event)) {
        return true;
    }
    for (Node* child : node->GetChildren()) {
        if (DispatchInput(child, event)) {
            return true;
        }
    }
    return false;
}
