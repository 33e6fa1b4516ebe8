#include <atomic>
#include <thread>

#include "input_fixture.h"

namespace {

using InputKeys = Input;

TEST_F(InputKeys, HeldQuitKeyIsPressedOnlyOnce) {
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
}

TEST_F(InputKeys, NullOutputsStillMoveTheEdgeOn) {
  hold('Z');
  FENK_GetKeys(nullptr, nullptr);
  int pressed = -1;
  FENK_GetKeys(nullptr, &pressed);
  EXPECT_EQ(pressed, 0);
  hold('X');
  int keys = -1;
  FENK_GetKeys(&keys, nullptr);
  EXPECT_EQ(keys, 0x0500);
  FENK_GetKeys(nullptr, &pressed);
  EXPECT_EQ(pressed, 0);
}

TEST_F(InputKeys, KeyCodeChangesOnceAndAgainAfterRelease) {
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

TEST_F(InputKeys, MouseCallsReachTheHost) {
  stub_host.cursor_x = 12;
  stub_host.cursor_y = 34;
  fenk_rawinput_button(FENK_MOUSE_RIGHT, 1);
  int x = 0, y = 0, b = 0;
  FENK_GetMouse(&x, &y, &b);
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);
  EXPECT_EQ(b, FENK_MOUSE_RIGHT);
  FENK_GetMouse(nullptr, nullptr, &b);  // only the buttons wanted
  FENK_SetMouseMode(5);
  EXPECT_EQ(fenk_input_mouse_mode, 5);
  x = y = -3;
  FENK_GetMouse(&x, &y, nullptr);
  EXPECT_EQ(x, -3);
  EXPECT_EQ(y, -3);

  FENK_SetMouse(100, 200);
  EXPECT_EQ(stub_host.sets, 1);
  EXPECT_EQ(stub_host.set_x, 100);
  EXPECT_EQ(stub_host.set_y, 200);
  FENK_HideMouse();
  FENK_HideMouse();
  FENK_ShowMouse();
  EXPECT_EQ(stub_host.cursor_count, -1);

  fenk_rawinput_wheel(120);
  fenk_rawinput_wheel(240);
  int z = 0, dir = 0;
  FENK_GetMouseWheel(&z, &dir);
  EXPECT_EQ(z, 2);
  EXPECT_EQ(dir, 1);
  FENK_GetMouseWheel(&z, &dir);
  EXPECT_EQ(dir, 0);
  FENK_GetMouseWheel(nullptr, nullptr);
}

// The window procedure writes key states and the key code on its own thread while the
// show thread reads them; the thread sanitizer build checks that every access is whole.
TEST_F(InputKeys, ReadsWhileTheWindowThreadWrites) {
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

}  // namespace
