// The capture's option parser over any command line (arguments split at zero bytes),
// with a message buffer of the size the first byte gives, then the frame range of
// whatever it accepted.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "show/capture_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    size_t messagesize = data[0];
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);

    std::vector<std::string> words{"show_capture"};
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos) end = text.size();
        words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // A block of exactly the size promised, so a message that runs past it is seen.
    std::vector<char> message(messagesize ? messagesize : 1);
    CaptureOptions options;
    int result = capture_parse_options((int)words.size(), argv.data(), &options,
                                       messagesize ? message.data() : nullptr, messagesize);
    if (result == CAPTURE_BADOPTION && messagesize && !memchr(message.data(), 0, messagesize)) abort();
    if (result != CAPTURE_RUN) return 0;
    if (options.rate < 1 || options.rate > CAPTURE_MAXRATE || options.fps < 1 || options.fps > options.rate ||
        !options.out || !options.preset || !isfinite(options.from) || !isfinite(options.to) ||
        options.from < 0 || options.from > CAPTURE_MAXSECONDS || options.to > CAPTURE_MAXSECONDS ||
        (options.to >= 0 && options.to <= options.from))
        abort();
    // Every accepted time has a frame number, and an accepted range holds a frame:
    // times past any show once overflowed 64 bits, and a range a hair long held none.
    uint64_t first = 0, end = 0;
    capture_frame_range(&options, &first, &end);
    if (end <= first) abort();
    capture_sound_frame_at(first, options.fps);
    capture_show_frame_at(first, options.fps, options.rate);
    if (end != UINT64_MAX) {
        capture_sound_frame_at(end, options.fps);
        capture_last_show_frame(end, options.fps, options.rate);
    }
    return 0;
}
