// Opens the video, presents a few frames of one colour and says so; it ends by
// itself, so no key or close is needed on any host.
#include <stdio.h>

#include "consumer.h"
#include "platform/host.h"
#include "video/fenk.h"

int coremain(int, char **)
{
    FENK_InitVideo(320, 200, 0);
    FENK_SetTitle("FENK consumer");
    const int canvas = FENK_CreateFrameBuffer(320, 200, 0);
    for (int frame = 0; frame < CONSUMER_FRAMES; ++frame) {
        FENK_WaitRefresh();
        FENK_SetFrameBuffer(canvas);
        FENK_ClearFrameBuffer(CONSUMER_COLOUR);
        FENK_SwapBuffers();
    }
    FENK_CloseVideo();
    printf("consumer: %d frames presented\n", CONSUMER_FRAMES);
    fflush(stdout);
    return 0;
}
