// A windowed show seen from the X server: its window comes up with the show's title,
// frames appear in it, and Escape, sent by this test, ends it with 0. The program is
// the Linux show_1080, or the command in SHOW_PROGRAM (the Windows build's
// show_1080.exe through Wine, which draws into an X window just the same), which
// must also write the line in SHOW_EXPECT_OUTPUT where that is set.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "../child_process.h"

namespace {

Window find_window(Display *display, Window under, const char *title) {
    char *name = nullptr;
    if (XFetchName(display, under, &name) && name) {
        const bool match = std::string(name) == title;
        XFree(name);
        if (match) return under;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, under, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; i++) found = find_window(display, children[i], title);
        if (children) XFree(children);
    }
    return found;
}

// Pixels of the window's client area that are not black, read from the screen (the
// window may reach past its edges). -1 while the window is not on the screen.
long lit_pixels(Display *display, Window window, int width, int height) {
    const Window root = DefaultRootWindow(display);
    int x0 = 0, y0 = 0;
    Window child;
    XTranslateCoordinates(display, window, root, 0, 0, &x0, &y0, &child);
    const int x1 = std::min(x0 + width, DisplayWidth(display, DefaultScreen(display)));
    const int y1 = std::min(y0 + height, DisplayHeight(display, DefaultScreen(display)));
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    if (x1 <= x0 || y1 <= y0) return -1;
    XImage *image = XGetImage(display, root, x0, y0, x1 - x0, y1 - y0, AllPlanes, ZPixmap);
    if (!image) return -1;
    long lit = 0;
    for (int y = 0; y < y1 - y0; y += 2)
        for (int x = 0; x < x1 - x0; x += 2) lit += (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return lit;
}

void send_key(Display *display, Window window, KeySym key, bool down) {
    XKeyEvent event{};
    event.type = down ? KeyPress : KeyRelease;
    event.display = display;
    event.window = window;
    event.root = DefaultRootWindow(display);
    event.same_screen = True;
    event.keycode = XKeysymToKeycode(display, key);
    XSendEvent(display, window, True, down ? KeyPressMask : KeyReleaseMask, reinterpret_cast<XEvent *>(&event));
    XFlush(display);
}

}  // namespace

TEST(ShowWindow, RunsInAWindowAndEndsOnEscape) {
    // The window goes with the program; a late request to it is not an error here.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    Display *display = XOpenDisplay(nullptr);
    if (!display) GTEST_SKIP() << "no X display";
    const char *program = getenv("SHOW_PROGRAM");
    const auto log = std::filesystem::temp_directory_path() /
                     ("fenk_show_window_test" + std::to_string(getpid()) + ".log");
    // From the folder that holds data.
    const std::string directory = std::filesystem::path(DATA_DIR).parent_path().string();
    const pid_t pid = spawn_logged("cd '" + directory + "' && exec " + (program ? program : SHOW_1080), log);
    ASSERT_GT(pid, 0);

    // Up, loaded and drawing once the background fading in from black lights the window.
    Window window = 0;
    XWindowAttributes attributes{};
    long lit = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (lit < 10000 && std::chrono::steady_clock::now() < until && wait_for(pid, 0.1) == -1) {
        if (!window) window = find_window(display, DefaultRootWindow(display), "Gravolt - Zoppeldraai");
        if (window && XGetWindowAttributes(display, window, &attributes))
            lit = lit_pixels(display, window, attributes.width, attributes.height);
    }
    const int early = wait_for(pid, 0);
    if (!window || lit < 10000 || early != -1) {
        if (early == -1) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        XCloseDisplay(display);
        FAIL() << (!window ? "no window titled \"Gravolt - Zoppeldraai\""
                           : early != -1 ? "ended on its own" : "the window stays black")
               << ":\n" << slurp(log);
    }
    // Wine's window carries its own frame around the 1920 x 1080 client area.
    EXPECT_GE(attributes.width, 1920);
    EXPECT_GE(attributes.height, 1080);

    send_key(display, window, XK_Escape, true);
    int status = wait_for(pid, 15);
    send_key(display, window, XK_Escape, false);
    XCloseDisplay(display);
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "still running 15 s after Escape:\n" << slurp(log);
    }
    EXPECT_TRUE(WIFEXITED(status)) << slurp(log);
    EXPECT_EQ(WEXITSTATUS(status), 0) << slurp(log);
    // A line the program must have written, such as its sound driver's start.
    if (const char *line = getenv("SHOW_EXPECT_OUTPUT")) {
        EXPECT_NE(slurp(log).find(line), std::string::npos) << "no \"" << line << "\" in:\n" << slurp(log);
    }
    std::filesystem::remove(log);
}
