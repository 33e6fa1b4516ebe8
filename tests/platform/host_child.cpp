// A whole host program for the host-contract suite, the same on every backend. Its
// show opens the window and then returns 3 ("return"), has the window closed under it
// ("close HOW"), catches that close and ends itself with 5 ("caught HOW"), draws with
// music playing until the test closes its window ("draw TITLE"), or plays music for a
// second and says how long that took ("music").
#include <stdio.h>
#include <string.h>

#include "host_inject.h"
#include "platform/platform.h"
#include "sound/coresound.h"
#include "video/fenk.h"

namespace {

// A second of music, in a stream of 30 s of silence.
constexpr uint64_t music_frames = 44100;

void play(s_sound *music)
{
    Soundsystem_Init(44100, 16, 2);
    Soundsystem_CreateSoundStream(music, nullptr, 44100, 16, 2, 44100 * 30);
    Soundsystem_PlayMusic(music, 0);
}

int draw(const char *title)
{
    FENK_InitVideo(320, 240, 0);
    FENK_SetTitle(title);
    const int canvas = FENK_CreateFrameBuffer(160, 120, FENK_FRAMEBUFFER_LINEAR);
    static s_sound music;
    play(&music);
    const unsigned start = FENK_GetMillis();
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
    FENK_InitVideo(320, 240, 0);
    const unsigned start = FENK_GetMillis();
    static s_sound music;
    play(&music);
    uint64_t position = 0;
    while ((position = Soundsystem_ReadSoundOffset(&music)) < music_frames &&
           FENK_GetMillis() - start < 10000) {
        FENK_WaitRefresh();
        FENK_SwapBuffers();
    }
    // Read after the position: that much time had gone by when it was reached.
    printf("music %llu after %u ms\n", (unsigned long long)position, FENK_GetMillis() - start);
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

    fenk_initwindow(320, 200, 0);
    if (strcmp(how, "return") == 0) {
        printf("argc %d %s|%s\n", argc, argv[1], argc > 2 ? argv[2] : "");
        FENK_SetTitle("child title");
        printf("title %s\n", window_title().c_str());
        printf("visible %d\n", window_visible() ? 1 : 0);
        fenk_closewindow();
        fflush(stdout);
        return 3;
    }

    const bool caught = strcmp(how, "caught") == 0;
    if (caught) FENK_CatchClose(1);
    puts("closing");
    fflush(stdout);
    inject_close(argc > 2 ? argv[2] : "");
    if (caught) {
        // The window stays until the show has seen the close and returned.
        const unsigned start = FENK_GetMillis();
        while (!FENK_CloseRequested() && FENK_GetMillis() - start < 15000) fenk_swapbuffers();
        printf("close seen %d, window open %d\n", FENK_CloseRequested(), window_visible() ? 1 : 0);
        fenk_closewindow();
        fflush(stdout);
        return 5;
    }
    const unsigned start = FENK_GetMillis();
    while (FENK_GetMillis() - start < 15000) fenk_swapbuffers();
    puts("still running");
    fflush(stdout);
    return 1;
}
