// The headless host driven through its own scripted input: there is no window system,
// so the window's close is the scripted one, and the window is where the screen starts.
#include <sys/wait.h>

#include "host_inject.h"
#include "hosts/driver_headless.h"
#include "platform/platform.h"

const HostTraits host_traits = {true, false, true, {"close"}, [](int *x, int *y) { *x = *y = 0; }};

void host_setup() {}
void host_teardown() { fenk_closewindow(); }

void inject_key(int vk, bool down) { fenk_headless_key(vk, down); }
void inject_motion(int x, int y) { fenk_headless_mousemove(x, y); }
void inject_button(int button, bool down)
{
    if (button <= 3) fenk_headless_mousebutton(button == 3 ? 4 : button, down);
}
void inject_wheel(int notches) { fenk_headless_mousewheel(notches * 120); }
void inject_close(const char *) { fenk_headless_close(); }

void window_size(int *width, int *height) { fenk_headless_windowsize(width, height); }
std::string window_title() { return fenk_headless_title(); }
bool window_visible() { return fenk_headless_windowopen(); }

std::string child_program() { return FENK_HOST_CHILD; }
int child_exitcode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

#ifdef FENK_HOST_CHILD_MAIN
int main(int argc, char **argv) { return fenk_headless_run(argc, argv); }
#endif
