// show_capture with the ways of before turned back on, for the benchmark and the tests
// that measure or compare against them:
//   show_capture_measure redraw OPTIONS...  every pass of each drawn frame is drawn
//   show_capture_measure old OPTIONS...     that, and frames read from the window
// OPTIONS are show_capture's.
#include <stdio.h>
#include <string.h>

#include "show/capture.h"

int main(int argc, char **argv)
{
    if (argc < 2 || (strcmp(argv[1], "redraw") != 0 && strcmp(argv[1], "old") != 0)) {
        fputs("usage: show_capture_measure redraw|old [show_capture's options]\n", stderr);
        return 2;
    }
    const bool old = strcmp(argv[1], "old") == 0;
    argv[1] = argv[0];
    CaptureOptions options;
    char message[256];
    switch (capture_parse_options(argc - 1, argv + 1, &options, message, sizeof message)) {
    case CAPTURE_HELP: fputs(capture_usage, stdout); return 0;
    case CAPTURE_BADOPTION: fprintf(stderr, "show_capture_measure: %s\n", message); return 2;
    default:
        options.redraw = 1;
        options.readwindow = old;
        return capture_run(&options, argv[0]);
    }
}
