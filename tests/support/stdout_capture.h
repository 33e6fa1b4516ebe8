// What the engine prints to standard output while a call runs. The engine writes
// with printf and puts, so the capture works on the file descriptor: descriptor 1
// goes to a private file for the span, with the C streams flushed either side.
#pragma once

#include <string>

class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();

    StdoutCapture(const StdoutCapture &) = delete;
    StdoutCapture &operator=(const StdoutCapture &) = delete;

    // Puts standard output back and returns what was written since the start; empty
    // when called a second time.
    std::string finish();

private:
    int saved_ = -1;
    int file_ = -1;
    std::string path_;
};

// What `call` prints.
template <typename F> std::string printed(F &&call)
{
    StdoutCapture capture;
    call();
    return capture.finish();
}
