#include <atomic>
#include <thread>

#include "input_fixture.h"

namespace {

using InputKeys = Input;

TEST_F(InputKeys, HeldQuitKeyIsPressedOnlyOnce)
{
    int keys = -1, pressed = -1;
    hold(0x1B);
    FENK_GetKeys(&keys, &pressed);
    EXPECT_EQ(keys, 0x8000);
    EXPECT_EQ(pressed, 0x8000);
    FENK_GetKeys(&keys, &pressed);
    EXPECT_EQ(keys, 0x8000);
    EXPECT_EQ(pressed, 0);
    hold(0x1B, false);
    FENK_GetKeys(&keys, &pressed);
    EXPECT_EQ(keys, 0);
    EXPECT_EQ(pressed, 0);
    hold(0x1B);
    hold('C');
    FENK_GetKeys(&keys, &pressed);
    EXPECT_EQ(pressed, 0x8080);
    // A call without outputs still moves the edge on.
    hold('X');
    FENK_GetKeys(nullptr, nullptr);
    FENK_GetKeys(&keys, &pressed);
    EXPECT_EQ(keys, 0x8480);
    EXPECT_EQ(pressed, 0);
}

TEST_F(InputKeys, NamedKeysSetTheirNamedBits)
{
    const struct {
        int key, bit;
    } named[] = {
        {FENK_KEY_UP, FENK_BUTTON_UP},
        {FENK_KEY_DOWN, FENK_BUTTON_DOWN},
        {FENK_KEY_LEFT, FENK_BUTTON_LEFT},
        {FENK_KEY_RIGHT, FENK_BUTTON_RIGHT},
        {FENK_KEY_SPACE, FENK_BUTTON_SPACE},
        {FENK_KEY_CTRL, FENK_BUTTON_CTRL},
        {FENK_KEY_SHIFT, FENK_BUTTON_SHIFT},
        {FENK_KEY_ALT, FENK_BUTTON_ALT},
        {'C', FENK_BUTTON_ALT},
        {'Z', FENK_BUTTON_Z},
        {'X', FENK_BUTTON_X},
        {FENK_KEY_ENTER, FENK_BUTTON_ENTER},
        {'1', FENK_BUTTON_ENTER},
        {FENK_KEY_BACKSPACE, FENK_BUTTON_BACKSPACE},
        {FENK_KEY_DELETE, FENK_BUTTON_BACKSPACE},
        {'2', FENK_BUTTON_BACKSPACE},
        {FENK_KEY_TAB, FENK_BUTTON_TAB},
        {FENK_KEY_ESCAPE, FENK_BUTTON_ESCAPE},
        {FENK_KEY_HOME, 0},
        {FENK_KEY_F1 + 11, 0},
    };
    for (const auto &n : named) {
        int keys = -1;
        hold(n.key);
        FENK_GetKeys(&keys, nullptr);
        hold(n.key, false);
        EXPECT_EQ(keys, n.bit) << "key 0x" << std::hex << n.key;
    }
}

TEST_F(InputKeys, KeyCodeChangesOnceAndAgainAfterRelease)
{
    int code = -1, changed = -1;
    FENK_GetKeycode(&code, &changed);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(changed, 0);
    fenk_rawinput_keydown('A');
    FENK_GetKeycode(&code, &changed);
    EXPECT_EQ(code, 'A');
    EXPECT_EQ(changed, 1);
    FENK_GetKeycode(&code, &changed);
    EXPECT_EQ(code, 'A');
    EXPECT_EQ(changed, 0);
    // The window clears both words on release, so the same key counts as new again.
    fenk_rawinput_keyup('A');
    fenk_rawinput_keydown('A');
    FENK_GetKeycode(nullptr, &changed);
    EXPECT_EQ(changed, 1);
    fenk_rawinput_keydown(0x70);
    FENK_GetKeycode(&code, nullptr);
    EXPECT_EQ(code, 0xF030);
    FENK_GetKeycode(&code, &changed);
    EXPECT_EQ(changed, 0);
}

// The window procedure writes key states and the key code on its own thread while the
// show thread reads them; the thread sanitizer build checks that every access is whole.
TEST_F(InputKeys, ReadsWhileTheWindowThreadWrites)
{
    FENK_InitControllers();
    std::atomic<bool> stop{false};
    std::thread window([&] {
        for (unsigned int i = 0; !stop.load(); i++) {
            unsigned int vk = i & 1 ? 0x26 : 'W';
            fenk_rawinput_keydown(vk);
            fenk_rawinput_keyup(vk);
        }
    });
    int seen = 0;
    for (int i = 0; i < 20000; i++) {
        int buttons = 0, code = 0, changed = 0;
        FENK_GetControllerKeys(0, &buttons, nullptr);
        FENK_GetControllerKeys(1, nullptr, nullptr);
        FENK_GetKeycode(&code, &changed);
        seen |= buttons;
        EXPECT_TRUE(code == 0 || code == 'W' || code == 0xF001) << code;
    }
    stop = true;
    window.join();
    EXPECT_EQ(seen & ~0x0001, 0);
}

} // namespace
