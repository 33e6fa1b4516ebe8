// The SDL host driven through SDL's event queue, as the window system's events reach
// it; the window's state is read on the main thread, where SDL wants it.
#include <SDL2/SDL.h>

#include <sys/wait.h>

#include "host_inject.h"
#include "hosts/driver_sdl.h"
#include "platform/platform.h"

namespace {

template <typename F> void onmain(F fn)
{
    fenk_sdl_runonmain([](void *arg) { (*static_cast<F *>(arg))(); }, &fn);
}

Uint32 windowid() { return SDL_GetWindowID(fenk_sdl_window()); }

SDL_Keycode sdlkey(int vk)
{
    if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 'a';
    switch (vk) {
    case 0x1B: return SDLK_ESCAPE;
    case 0x26: return SDLK_UP;
    case 0xA2: return SDLK_LCTRL;
    case 0x12: return SDLK_LALT;
    case 0xA1: return SDLK_RSHIFT;
    default: return vk;
    }
}

} // namespace

// Returns once the pump has handled the event: it handles everything queued before a
// main-thread call returns.
void sdl_push(SDL_Event event)
{
    if (SDL_PushEvent(&event) != 1) SDL_Log("event not queued: %s", SDL_GetError());
    onmain([] {});
}

const HostTraits host_traits = {true, true, true, {"close", "quit"}, [](int *x, int *y) {
                                    onmain([&] { SDL_GetWindowPosition(fenk_sdl_window(), x, y); });
                                }};

void host_setup() {}
void host_teardown() { fenk_closewindow(); }

void inject_key(int vk, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = windowid();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sdlkey(vk);
    event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
    sdl_push(event);
}

void inject_motion(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowid();
    event.motion.x = x;
    event.motion.y = y;
    sdl_push(event);
}

void inject_button(int button, bool down)
{
    static const Uint8 buttons[] = {0, SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = windowid();
    event.button.button = buttons[button];
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    sdl_push(event);
}

void inject_wheel(int notches)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = windowid();
    event.wheel.y = notches;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    sdl_push(event);
}

// The close box, or the quit request.
void inject_close(const char *how)
{
    SDL_Event event{};
    if (SDL_strcmp(how, "quit") == 0) {
        event.type = SDL_QUIT;
    } else {
        event.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = windowid();
    }
    SDL_PushEvent(&event);
}

void window_size(int *width, int *height)
{
    onmain([&] { SDL_GetWindowSize(fenk_sdl_window(), width, height); });
}

std::string window_title()
{
    std::string title;
    onmain([&] { title = SDL_GetWindowTitle(fenk_sdl_window()); });
    return title;
}

bool window_visible()
{
    Uint32 flags = 0;
    onmain([&] { flags = SDL_GetWindowFlags(fenk_sdl_window()); });
    return (flags & SDL_WINDOW_SHOWN) && !(flags & SDL_WINDOW_FULLSCREEN);
}

std::string child_program() { return FENK_HOST_CHILD; }
int child_exitcode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }
