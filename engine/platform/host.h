/* What every host gives a program: its entry, the window's title, the millisecond
 * clock and the desktop's size. The program defines coremain; the host runs it on the
 * show thread with the split command line and ends with its result. */
#ifndef FENK_PLATFORM_HOST_H
#define FENK_PLATFORM_HOST_H

#ifdef __cplusplus
extern "C" {
#endif

/* The program's entry, defined by the program. */
int coremain(int argc, char **argv);

void FENK_SetTitle(const char *text);
/* Milliseconds since an arbitrary start, wrapping at 2^32. */
unsigned int FENK_GetMillis(void);

#ifdef __cplusplus
}

/* The desktop's size in pixels (the screen the window opens on). */
void GetDesktopResolution(int &width, int &height);
#endif

#endif
