// What the host-contract suite needs of a backend that the contract itself does not
// give: putting events in front of the host as its window system delivers them, and
// reading the window back. host_inject_<backend>.cpp defines it for one backend; the
// suite (host_contract_test.cpp) and the child program (host_child.cpp) are the same
// source for every backend.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Which parts of the contract a backend can be driven through here.
struct HostTraits {
    // A key injected down stays held for fenk_getkeys until injected up (not so where
    // the poll reads the system's key state, which injected messages do not change).
    bool holds_keys;
    // The poll reads Alt on its left-side code too.
    bool sides;
    // A sound device the host opens keeps real time (not so for Wine's ALSA null
    // device, several times too fast; the silent device that stands in where none
    // opens keeps it on every host).
    bool device_keeps_time;
    // The ways the child's window can be closed under its show; none: no close exists.
    std::vector<const char *> closes;
    // The position of the client area's origin on the screen, with the window open.
    void (*origin)(int *x, int *y);
};
extern const HostTraits host_traits;

// Before and after each test of the suite (Windows: a window of the test's own).
void host_setup();
void host_teardown();

// vk: a Windows virtual-key code ('A'..'Z', '0'..'9', Escape, Up, Alt, left Ctrl,
// right Shift).
void inject_key(int vk, bool down);
// Client pixels of the open window.
void inject_motion(int x, int y);
// button: 1 left, 2 right, 3 middle, 4 the first extra button.
void inject_button(int button, bool down);
// Wheel notches, away from the user positive.
void inject_wheel(int notches);
// From the child's show thread, window open: close it as the window system would.
void inject_close(const char *how);

// The open window's client size, its title, and whether it is shown in its windowed
// form.
void window_size(int *width, int *height);
std::string window_title();
bool window_visible();

// A run of the child program (host_child.cpp on this backend): its path, how its wait
// status reads as an exit code, and the run. `watch` sees the output so far while the
// child runs and may act on it.
std::string child_program();
int child_exitcode(int status);
struct Child {
    int code = -1; // exit code; -1 when it did not exit by itself
    double seconds = 0;
    std::string output;
};
Child run_child(const std::vector<std::string> &arguments,
                const std::function<void(const std::string &)> &watch = {});
