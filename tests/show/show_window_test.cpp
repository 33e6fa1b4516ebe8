// A windowed show seen from the X server: its window comes up with the show's title,
// frames appear in it, and Escape, pressed by this test, ends it with 0. The program is
// the Linux show_1080 on a display of this test's own, or the command in SHOW_PROGRAM
// (the Windows build's show_1080.exe through Wine, which draws into an X window just the
// same) on the display this test was started on, where Wine's server and desktop live;
// it must also write the line in SHOW_EXPECT_OUTPUT where that is set. It runs from the
// folder that holds the build's data, or, where SHOW_ARCHIVE names a release archive,
// from that archive unpacked into the test's own folder (the program then being
// ./show_1080 there unless SHOW_PROGRAM says otherwise).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "archive.h"
#include "child_process.h"
#include "frame_compare.h"
#include "scratch.h"
#include "show/pace.h"

namespace {

Window find_window(Display *display, Window under, const char *title)
{
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
long lit_pixels(Display *display, Window window, int width, int height)
{
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

// The window's client area as the screen shows it, `width` x `height` from its top-left.
RgbImage window_image(Display *display, Window window, int width, int height)
{
    int x0 = 0, y0 = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x0, &y0, &child);
    XImage *image = XGetImage(display, DefaultRootWindow(display), x0, y0, width, height, AllPlanes, ZPixmap);
    if (!image) return RgbImage{};
    RgbImage rgb{width, height, {}};
    rgb.rgb.reserve(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            const unsigned long pixel = XGetPixel(image, x, y);
            rgb.rgb.insert(rgb.rgb.end(),
                           {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                            static_cast<unsigned char>(pixel)});
        }
    XDestroyImage(image);
    return rgb;
}

// Gives the window the input focus, with the pointer over it.
void focus(Display *display, Window window, int width, int height)
{
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), width / 2, height / 2, &x, &y, &child);
    XRaiseWindow(display, window);
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

// A key pressed on the server's own keyboard, as a person presses it: it is in the
// server's key state, so a program that rereads that state (SDL does when its window
// gets the focus) sees it held, unlike a key event sent to the window.
void press_key(Display *display, KeySym key, bool down)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down, CurrentTime);
    XSync(display, False);
}

} // namespace

TEST(ShowWindow, RunsInAWindowAndEndsOnEscape)
{
    const char *program = getenv("SHOW_PROGRAM");
    std::unique_ptr<PrivateDisplay> own;
    if (!program) {
        own = std::make_unique<PrivateDisplay>();
        ASSERT_TRUE(own->ok()) << own->error();
        own->use();
    }
    // The window goes with the program; a late request to it is not an error here.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    Display *display = XOpenDisplay(nullptr);
    if (!display) GTEST_SKIP() << "no X display";
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
        XCloseDisplay(display);
        FAIL() << "the X server has no XTEST extension";
    }
    const ScratchFolder scratch(current_test_tag());
    const auto log = scratch / "show.log";
    // From the folder that holds data.
    std::string directory = std::filesystem::path(DATA_DIR).parent_path().string();
    std::string command = program ? program : SHOW_1080;
    if (getenv("SHOW_ARCHIVE")) {
        std::string error;
        const auto unpacked = scratch / "unpacked";
        std::filesystem::create_directory(unpacked);
        const auto top = unpack(archive_under_test(), unpacked, error);
        if (top.empty()) {
            XCloseDisplay(display);
            FAIL() << error;
        }
        directory = top.string();
        if (!program) command = "./show_1080";
    }
    ChildProcess process;
    ASSERT_TRUE(process.start_shell("cd '" + directory + "' && exec " + command, log));

    // Up, loaded and drawing once the background fading in from black lights the window.
    Window window = 0;
    XWindowAttributes attributes{};
    long lit = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (lit < 10000 && std::chrono::steady_clock::now() < until && !process.wait(0.1)) {
        if (!window) window = find_window(display, DefaultRootWindow(display), "Gravolt - Zoppeldraai");
        if (window && XGetWindowAttributes(display, window, &attributes))
            lit = lit_pixels(display, window, attributes.width, attributes.height);
    }
    const bool early = process.wait(0);
    if (!window || lit < 10000 || early) {
        if (!early) process.stop();
        XCloseDisplay(display);
        FAIL() << (!window ? "no window titled \"Gravolt - Zoppeldraai\""
                   : early ? "ended on its own"
                           : "the window stays black")
               << ":\n"
               << slurp(log);
    }
    // Wine's window carries its own frame around the 1920 x 1080 client area.
    EXPECT_GE(attributes.width, 1920);
    EXPECT_GE(attributes.height, 1080);

    // Held for many frames at a time and let go in between, until the program ends. Under
    // Wine the key state is the Wine server's, shared by every Windows program, and only
    // a window of a running program passes the release on to it.
    focus(display, window, attributes.width, attributes.height);
    bool ended = false;
    const auto escape_until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!ended && std::chrono::steady_clock::now() < escape_until) {
        press_key(display, XK_Escape, true);
        ended = process.wait(0.3);
        press_key(display, XK_Escape, false);
        if (!ended) ended = process.wait(0.05);
    }
    XCloseDisplay(display);
    if (!ended) process.stop();
    const int status = process.status();
    // The program ends on seeing Escape held, so under Wine the last release reaches no
    // program and Escape stays held in the Wine server for every Windows program after
    // this one: SHOW_AFTER (a fresh server there) lets it go.
    if (const char *after = getenv("SHOW_AFTER")) {
        EXPECT_EQ(std::system(after), 0) << after;
    }
    if (!ended) {
        FAIL() << "still running 15 s after Escape:\n" << slurp(log);
    }
    EXPECT_TRUE(WIFEXITED(status)) << slurp(log);
    EXPECT_EQ(WEXITSTATUS(status), 0) << slurp(log);
    // A line the program must have written, such as its sound driver's start.
    if (const char *line = getenv("SHOW_EXPECT_OUTPUT")) {
        EXPECT_NE(slurp(log).find(line), std::string::npos) << "no \"" << line << "\" in:\n" << slurp(log);
    }
}

// The 1280 x 720 build in a window on Mesa's software renderer, which draws it well
// below 60 frames a second: 20 s after it starts, its window shows what the capture
// shows at the same step of the show's pace, fully lit. The step is not known from
// outside, so the capture's frames of the few seconds the music can have reached by
// then are searched, every sixth step and then each one around the closest.
TEST(ShowPaceWindow, AtItsOwnPaceTheWindowShowsTheCapturesFrameOfTheSameStep)
{
    if (getenv("SHOW_PROGRAM") || getenv("SHOW_ARCHIVE")) GTEST_SKIP() << "for the Linux build alone";
    PrivateDisplay own;
    ASSERT_TRUE(own.ok()) << own.error();
    own.use();
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    Display *display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    const ScratchFolder scratch(current_test_tag());
    const std::string directory = std::filesystem::path(DATA_DIR).parent_path().string();
    ChildProcess process;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(process.start_shell("cd '" + directory + "' && exec '" SHOW_720 "'", scratch / "show.log"));

    // The music is the clock being watched: the frame on screen 20 s after the start.
    const double seconds = 20;
    Window window = 0;
    while (!window && !process.wait(0.1) &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(15))
        window = find_window(display, DefaultRootWindow(display), "Gravolt - Zoppeldraai");
    ASSERT_TRUE(window) << slurp(scratch / "show.log");
    std::this_thread::sleep_until(started + std::chrono::duration<double>(seconds));
    const RgbImage shown = window_image(display, window, 1280, 720);
    process.stop();
    XCloseDisplay(display);
    ASSERT_EQ(shown.width, 1280);

    // The capture's frames from `first` to `last` seconds at `fps` (frame n is step
    // n * 60 / fps), the closest to the window's: its step and how far off it is.
    auto closest = [&](double first, double last, int fps, int &step) {
        const auto out = scratch / ("capture" + std::to_string(fps));
        ChildProcess capture;
        EXPECT_TRUE(
            capture.start_shell("cd '" + directory + "' && exec '" SHOW_CAPTURE "' --mode 720 --fps " +
                                    std::to_string(fps) + " --from " + std::to_string(first) + " --to " +
                                    std::to_string(last) + " --frames '" + out.string() + "'",
                                scratch / "capture.log"));
        capture.join();
        FrameDifference best;
        for (const auto &entry : std::filesystem::directory_iterator(out)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("frame", 0) != 0) continue;
            const FrameDifference d = frame_difference(shown, read_png(entry.path().string()));
            if (d.rmse < best.rmse) {
                best = d;
                step = std::stoi(name.substr(5)) * SHOW_STEPRATE / fps;
            }
        }
        return best;
    };
    int step = 0;
    closest(seconds - 4, seconds + 0.05, 10, step);
    ASSERT_GT(step, 0) << slurp(scratch / "capture.log");
    const FrameDifference d = closest((step - 6.5) / 60, (step + 6.5) / 60, 60, step);
    printf("the window after %g s: the capture's step %d, %s\n", seconds, step, d.text().c_str());
    EXPECT_TRUE(d.within()) << "step " << step << ": " << d.text();
    char name[32];
    snprintf(name, sizeof name, "frame%06d.png", step);
    EXPECT_GT(shown.mean(), 0.9 * read_png((scratch / "capture60" / name).string()).mean());
}
