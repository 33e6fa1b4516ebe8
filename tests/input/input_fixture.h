#ifndef FENK_TESTS_INPUT_FIXTURE_H
#define FENK_TESTS_INPUT_FIXTURE_H

#include <gtest/gtest.h>

#include <cstring>

#include "input/coreinput.h"
#include "input/rawinput.h"
#include "stub_host.h"

// Every test starts from load-time state: no controllers, no keys, nothing seen.
class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        stub_host_reset();
        memset(FENK_controller, 0, sizeof FENK_controller);
        memset(FENK_controllerkeys, 0, sizeof FENK_controllerkeys);
        FENK_numcontrollers = 0;
        fenk_input_prevcontrollerkey = 0;
        fenk_input_prevkey = 0;
    }

    static void hold(int vk, bool down = true) { FENK_keys[vk] = down ? 1 : 0; }

    static int combined(int *pressed = nullptr)
    {
        int word = -1, p = -1;
        FENK_GetAllControllers(&word, &p);
        if (pressed) *pressed = p;
        return word;
    }
};

#endif
