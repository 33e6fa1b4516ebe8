// The command-line splitter the Windows host hands coremain its arguments with, by the
// host's own rules: whitespace separates, double quotes group and are dropped.
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

// One block holds the pointer array and then the texts. The pointer array has room for
// (L + 2) / 2 + 1 pointers of the machine's size: every argument takes at least one byte
// and one separator, so that is one more than the most a line of L bytes can hold.
char **CommandLineToArgvA(char *cmdline, int *argc)
{
    size_t len = cmdline ? strlen(cmdline) : 0;
    size_t slots = (len + 2) / 2 + 1;
    size_t ptrbytes = slots * sizeof(char *);
    char *block = static_cast<char *>(malloc(ptrbytes + len + 2));
    if (!block) {
        *argc = 0;
        return nullptr;
    }
    char **argv = reinterpret_cast<char **>(block);
    char *out = block + ptrbytes;
    int count = 0;
    bool inquotes = false, inword = false, atseparator = true;

    for (size_t i = 0; i < len; i++) {
        char c = cmdline[i];
        if (inquotes) {
            if (c == '"')
                inquotes = false;
            else
                *out++ = c;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inword) *out++ = 0;
            inword = false;
            atseparator = true;
        } else if (c == '"') {
            inquotes = true;
            inword = true;
            if (atseparator) argv[count++] = out;
            atseparator = false;
        } else {
            inword = true;
            if (atseparator) argv[count++] = out;
            *out++ = c;
            atseparator = false;
        }
    }
    *out = 0;
    argv[count] = nullptr;
    *argc = count;
    return argv;
}
