#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "input/InputManager.h"

// The input manager is process-wide: every test starts and ends with nothing held and no root.
class FreshInput : public testing::Test {
protected:
    static void Reset()
    {
        InputManager::Instance().held.clear();
        InputManager::Instance().root = nullptr;
    }
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Send(int32_t code, bool down = true) { InputManager::Instance().Dispatch({code, down}); }
    static std::set<int32_t> Held() { return InputManager::Instance().held; }
};
