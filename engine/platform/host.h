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

/* A close of the window (its close box, the system's quit, the page going away, the
 * headless host's scripted close) ends the program at once, wherever coremain is.
 * FENK_CatchClose(1) asks to be told instead: the window stays, FENK_CloseRequested
 * turns 1 and stays 1, and the program ends itself by returning from coremain.
 * FENK_CatchClose(0) gives the close back to the host; either call clears a close
 * already told. Both may be called from any thread. */
void FENK_CatchClose(int on);
int FENK_CloseRequested(void);

#ifdef __cplusplus
}

/* The desktop's size in pixels (the screen the window opens on). */
void GetDesktopResolution(int &width, int &height);
#endif

#endif
