// A windowed show on an X display of this test's own, ended from the X side at moments
// spread from its loading to the middle of the show, without a window manager and
// under openbox: closed as a window manager's close button closes it
// (WM_DELETE_WINDOW), or its window destroyed outright (XDestroyWindow, as `xdotool
// windowclose` and window managers that go down do). Every start must map the show's
// window, and every close or destroy must end the program with 0. SHOW_PROGRAM is the
// command that runs the show (the Windows show through Wine, or the Linux show),
// SHOW_DIRECTORY the folder that holds its data, XCLOSE_RUNS the starts per case.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "child_process.h"
#include "scratch.h"
#include "x_window.h"

namespace {

using steady = std::chrono::steady_clock;

long millis_since(steady::time_point start)
{
    return (long)std::chrono::duration_cast<std::chrono::milliseconds>(steady::now() - start).count();
}

// The share of the window's pixels (in percent, every fourth in each direction) that
// are not black: the show fades in from black once it has loaded, so a lit window is
// one drawing frames (a black one is loading or at the very start of its fade).
long lit_percent(Display *display, Window window)
{
    // Read from the screen: the GL drawing lies in a window of Wine's own inside this one.
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return 0;
    const Window root = DefaultRootWindow(display);
    int x0 = 0, y0 = 0;
    Window child;
    XTranslateCoordinates(display, window, root, 0, 0, &x0, &y0, &child);
    const int x1 = std::min(x0 + attributes.width, DisplayWidth(display, DefaultScreen(display)));
    const int y1 = std::min(y0 + attributes.height, DisplayHeight(display, DefaultScreen(display)));
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    if (x1 <= x0 || y1 <= y0) return 0;
    XImage *image = XGetImage(display, root, x0, y0, x1 - x0, y1 - y0, AllPlanes, ZPixmap);
    if (!image) return 0;
    long lit = 0, seen = 0;
    for (int y = 0; y < y1 - y0; y += 4)
        for (int x = 0; x < x1 - x0; x += 4, seen++) lit += (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return seen ? lit * 100 / seen : 0;
}

// A window manager holds the display once it names itself on the root window.
bool window_manager_running(Display *display)
{
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const bool found =
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data && count == 1;
    if (data) XFree(data);
    return found;
}

int runs_per_case()
{
    const char *value = getenv("XCLOSE_RUNS");
    const int runs = value ? atoi(value) : 0;
    return runs > 0 ? runs : 10;
}

// How long after its window is mapped each start is ended: at once (loading), then
// later and later into the show, round again after the last.
constexpr long close_after_millis[] = {0, 150, 400, 800, 1500, 2500, 4000, 6000, 9000, 12000};

// Wine's X driver ends its process (Xlib's "X Error of failed request", exit 1) on an
// X error it did not expect, and a window destroyed in the first moments after it is
// mapped, while Wine still sets its properties (under a window manager above all),
// makes one inside Wine, out of the program's reach. The Windows show's window is
// destroyed no sooner than this after it is mapped; a close has no such window.
constexpr long wine_destroy_after_millis = 400;

// How the window goes: a close asked of the program, or the window destroyed.
enum class Ending { close, destroy };

void end_every_start(bool managed, Ending ending)
{
    const char *program = getenv("SHOW_PROGRAM");
    const char *directory = getenv("SHOW_DIRECTORY");
    if (!program || !directory)
        GTEST_SKIP() << "needs SHOW_PROGRAM and SHOW_DIRECTORY (the tests that run it set them)";
    const char *verb = ending == Ending::close ? "closed" : "destroyed";
    const long earliest = ending == Ending::destroy && std::string(program).find("wine") != std::string::npos
                              ? wine_destroy_after_millis
                              : 0;

    PrivateDisplay screen;
    ASSERT_TRUE(screen.ok()) << screen.error();
    screen.use();
    // The window goes with the program; a late request to it is not an error here.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "cannot open " << screen.name();
    std::unique_ptr<Display, int (*)(Display *)> closer(display, XCloseDisplay);

    const ScratchFolder scratch(current_test_tag());
    ChildProcess manager;
    if (managed) {
        ASSERT_TRUE(manager.start({"openbox", "--sm-disable"}, scratch / "openbox.log"));
        const auto until = steady::now() + std::chrono::seconds(20);
        while (!window_manager_running(display) && steady::now() < until && !manager.wait(0.05)) {
        }
        ASSERT_TRUE(window_manager_running(display)) << "openbox did not start:\n"
                                                     << slurp(scratch / "openbox.log");
    }

    const int runs = runs_per_case();
    int ended_drawing = 0;
    for (int run = 0; run < runs; run++) {
        const auto log = scratch / ("show" + std::to_string(run) + ".log");
        ChildProcess show;
        ASSERT_TRUE(show.start_shell(std::string("cd '") + directory + "' && exec " + program, log));

        const auto started = steady::now();
        Window window = 0;
        while (!window && millis_since(started) < 40000 && !show.wait(0.02))
            window = find_process_window(display, show.id());
        ASSERT_NE(window, 0u) << "run " << run << ": no window mapped " << millis_since(started)
                              << " ms after the start" << (show.wait(0) ? " (the program ended)" : "")
                              << ":\n"
                              << slurp(log);
        const long mapped = millis_since(started);
        // What is lit before the show draws: Wine's own frame where no window manager draws it.
        const long frame_lit = lit_percent(display, window);

        const long after = std::max(earliest, close_after_millis[run % std::size(close_after_millis)]);
        ASSERT_FALSE(show.wait(after / 1000.0)) << "run " << run << ": ended on its own:\n" << slurp(log);
        const long lit = lit_percent(display, window);
        const bool drawing = lit > frame_lit + 1;
        ended_drawing += drawing;
        if (ending == Ending::close)
            ASSERT_TRUE(send_delete_window(display, window));
        else
            destroy_window(display, window);
        const auto closed = steady::now();
        const bool ended = show.wait(20);
        const long took = millis_since(closed);
        if (!ended) show.stop();
        const int status = show.status();
        std::printf(
            "run %d: mapped after %ld ms, %s %ld ms later (%s, %ld%% lit), ended %ld ms after, %s %d\n", run,
            mapped, verb, after, drawing ? "drawing" : "still black", lit, took,
            WIFSIGNALED(status) ? "signal" : "exit",
            WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
        std::fflush(stdout);
        ASSERT_TRUE(ended) << "run " << run << ": still running 20 s after it was " << verb << ":\n"
                           << slurp(log);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "run " << run << ": status " << status << " (exit " << WEXITSTATUS(status) << ")\n"
            << slurp(log);
    }
    std::printf("%d of %d came while the show was drawing\n", ended_drawing, runs);
    if (managed) manager.terminate();
}

// The parameter: whether openbox manages the display.
class XClose : public testing::TestWithParam<bool> {};
class XDestroy : public testing::TestWithParam<bool> {};

TEST_P(XClose, EveryStartShowsItsWindowAndEveryCloseEndsWithZero)
{
    end_every_start(GetParam(), Ending::close);
}

TEST_P(XDestroy, EveryStartShowsItsWindowAndEveryDestroyEndsWithZero)
{
    end_every_start(GetParam(), Ending::destroy);
}

std::string manager_name(const testing::TestParamInfo<bool> &info) { return info.param ? "Openbox" : "None"; }

INSTANTIATE_TEST_SUITE_P(WindowManager, XClose, testing::Values(false, true), manager_name);
INSTANTIATE_TEST_SUITE_P(WindowManager, XDestroy, testing::Values(false, true), manager_name);

} // namespace
