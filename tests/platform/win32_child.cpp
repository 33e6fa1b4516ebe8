// A whole program on the Windows host for the lifetime tests: WinMain, the pump and
// the show thread. Its show opens the window and then returns ("return"), has the
// window closed under it ("close"), draws with music playing until the test closes
// its window ("draw TITLE"), or plays music for a second and says how long that took
// ("music").
#include <stdio.h>
#include <string.h>

#include <chrono>

#include "platform/driver_win32.h"
#include "platform/platform.h"
#include "sound/coresound.h"
#include "video/fenk.h"

namespace {

// A second of music, in a stream of 30 s of silence.
constexpr uint64_t music_frames = 44100;

int draw(const char *title)
{
    FENK_InitVideo(320, 240, 0);
    FENK_SetTitle(title);
    const int canvas = FENK_CreateFrameBuffer(160, 120, FENK_FRAMEBUFFER_LINEAR);
    static s_sound music;
    Soundsystem_Init(44100, 16, 2);
    Soundsystem_CreateSoundStream(&music, nullptr, 44100, 16, 2, 44100 * 30);
    Soundsystem_PlayMusic(&music, 0);

    const DWORD start = FENK_GetMillis();
    for (int frame = 0; FENK_GetMillis() - start < 15000; frame++) {
        FENK_WaitRefresh();
        FENK_SetFrameBuffer(canvas);
        FENK_ClearFrameBuffer(0xFF402010);
        FENK_BindTexture(fenk_whitetexture_id);
        FENK_DrawColorQuad((float)(frame % 120), 20, 40, 40, 1, 0, 0, 1);
        FENK_SwapBuffers();
        if (frame == 0) {
            puts("drawing");
            fflush(stdout);
        }
    }
    puts("still running");
    fflush(stdout);
    return 1;
}

int music()
{
    using steady = std::chrono::steady_clock;
    FENK_InitVideo(320, 240, 0);
    const steady::time_point start = steady::now();
    static s_sound music;
    Soundsystem_Init(44100, 16, 2);
    Soundsystem_CreateSoundStream(&music, nullptr, 44100, 16, 2, 44100 * 30);
    Soundsystem_PlayMusic(&music, 0);

    uint64_t position = 0;
    while ((position = Soundsystem_ReadSoundOffset(&music)) < music_frames &&
           steady::now() - start < std::chrono::seconds(10)) {
        FENK_WaitRefresh();
        FENK_SwapBuffers();
    }
    // Read after the position: that much time had gone by when it was reached.
    const long long micros =
        (long long)std::chrono::duration_cast<std::chrono::microseconds>(steady::now() - start).count();
    printf("music %llu after %lld us\n", (unsigned long long)position, micros);
    fflush(stdout);
    FENK_CloseVideo();
    return 0;
}

} // namespace

extern "C" int coremain(int argc, char **argv)
{
    const char *how = argc > 1 ? argv[1] : "";
    if (strcmp(how, "draw") == 0) return draw(argc > 2 ? argv[2] : "");
    if (strcmp(how, "music") == 0) return music();

    fenk_initwindow(320, 240, 0);
    if (strcmp(how, "return") == 0) {
        printf("argc %d %s|%s\n", argc, argv[1], argc > 2 ? argv[2] : "");
        // Both calls reach the window through the main thread's pump.
        FENK_SetTitle("child title");
        char title[64] = "";
        GetWindowTextA(winhandle, title, sizeof title);
        printf("title %s\n", title);
        printf("visible %d\n", IsWindowVisible(winhandle) ? 1 : 0);
        fenk_closewindow();
        fflush(stdout);
        return 3;
    }

    puts("closing");
    fflush(stdout);
    PostMessageA(winhandle, WM_CLOSE, 0, 0);
    DWORD start = FENK_GetMillis();
    while (FENK_GetMillis() - start < 15000) fenk_swapbuffers();
    puts("still running");
    fflush(stdout);
    return 1;
}
