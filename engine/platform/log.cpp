// The engine's console messages, filtered by one level and each written whole, so a
// message from the sound thread never splits another's line.
#include "platform/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<int> log_level{FENK_LOG_ALL};

} // namespace

void FENK_SetLogLevel(int level)
{
    log_level.store(level < FENK_LOG_ALL ? FENK_LOG_ALL : level > FENK_LOG_NONE ? FENK_LOG_NONE : level);
}

int FENK_GetLogLevel(void) { return log_level.load(); }

namespace {

void vlog(int level, bool endline, const char *format, va_list args)
{
    const int threshold = log_level.load();
    if (!format || level < threshold || threshold >= FENK_LOG_NONE) return;
    char small[512];
    va_list again;
    va_copy(again, args);
    const int length = vsnprintf(small, sizeof small - 1, format, args);
    char *text = small;
    if (length >= 0 && static_cast<size_t>(length) >= sizeof small - 1) {
        // A long message (a shader's log, a deep path) is printed whole.
        text = static_cast<char *>(malloc(static_cast<size_t>(length) + 2));
        if (text) vsnprintf(text, static_cast<size_t>(length) + 1, format, again);
    }
    va_end(again);
    if (length < 0 || !text) return;
    size_t size = static_cast<size_t>(length);
    if (endline && (size == 0 || text[size - 1] != '\n')) text[size++] = '\n';
    // One write per message: lines from two threads do not mix.
    if (size) fwrite(text, 1, size, stdout);
    if (text != small) free(text);
}

} // namespace

void fenk_log(int level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vlog(level, true, format, args);
    va_end(args);
}

void fenk_logtext(int level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vlog(level, false, format, args);
    va_end(args);
}
