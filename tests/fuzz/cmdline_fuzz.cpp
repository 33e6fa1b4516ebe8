// The command-line splitter over any line: every argument it gives must lie inside
// its own block, end with a zero and come in order.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back(0);
    size_t length = strlen(line.data());
    int argc = -1;
    char **argv = CommandLineToArgvA(line.data(), &argc);
    if (!argv) abort();
    if (argc < 0 || (size_t)argc > length || argv[argc]) abort();
    // Each argument is a copy of part of the line: its text is never longer.
    size_t total = 0;
    for (int i = 0; i < argc; i++) {
        total += strlen(argv[i]) + 1;
        if (i > 0 && argv[i] <= argv[i - 1]) abort();
    }
    if (total > length + 1) abort();
    free(argv);
    return 0;
}
