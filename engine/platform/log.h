/* The engine's own console messages: every line it prints goes through fenk_log, which
 * writes it to standard output, ended by a line feed, when its level is at or above the
 * level in force. FENK_SetLogLevel quiets the engine without touching the program's own
 * output. */
#ifndef FENK_PLATFORM_LOG_H
#define FENK_PLATFORM_LOG_H

#ifdef __cplusplus
extern "C" {
#endif

/* Levels, in rising order: a message is printed when its level is at least the one set. */
#define FENK_LOG_ALL 0
#define FENK_LOG_INFO 1
#define FENK_LOG_WARNING 2
#define FENK_LOG_ERROR 3
#define FENK_LOG_NONE 4

/* The default, FENK_LOG_ALL, prints every message. A level outside ALL .. NONE is
 * taken as the nearer end. Any thread may call it. */
void FENK_SetLogLevel(int level);
int FENK_GetLogLevel(void);

/* One message of level INFO, WARNING or ERROR, formatted as printf does; a line feed
 * is added when the text does not end in one. */
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void fenk_log(int level, const char *format, ...);

/* The same, printed exactly as formatted: no line feed is added, so a text that leaves
 * its line open ("Loading TGA image.", "change path\n ") keeps every character. */
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void fenk_logtext(int level, const char *format, ...);

#ifdef __cplusplus
}
#endif

#endif
