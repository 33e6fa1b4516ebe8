// show_capture's entry: the options, then the capture.
#include <stdio.h>

#include "show/capture.h"

int main(int argc, char **argv)
{
    CaptureOptions options;
    char message[256];
    switch (capture_parse_options(argc, argv, &options, message, sizeof message)) {
    case CAPTURE_HELP: fputs(capture_usage, stdout); return 0;
    case CAPTURE_BADOPTION:
        fprintf(stderr, "show_capture: %s\nTry show_capture --help.\n", message);
        return 2;
    default: return capture_run(&options, argv[0]);
    }
}
