// The capture's files. PNG is written by hand (one IDAT through zlib, every row with
// the "sub" filter), which keeps frames byte for byte the same from run to run; ffmpeg
// runs as a child with its input on a pipe, its own messages kept to errors.
#include "show/capture_output.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "sound/loadwav.h"

namespace {

// Written only by the handler, and only as a whole word.
volatile sig_atomic_t caught_signal = 0;

void note_signal(int signal) { caught_signal = signal; }

void put32be(std::vector<unsigned char> &out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void chunk(std::vector<unsigned char> &out, const char type[4], const unsigned char *data, size_t size)
{
    put32be(out, static_cast<uint32_t>(size));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    put32be(out, static_cast<uint32_t>(crc32(0, &out[start], static_cast<uInt>(size + 4))));
}

// Writes the whole buffer to path.part and renames it to path.
bool write_whole(const char *path, const void *data, size_t size)
{
    const std::string part = std::string(path) + ".part";
    FILE *file = fopen(part.c_str(), "wb");
    if (!file) {
        fprintf(stderr, "show_capture: cannot write %s: %s\n", part.c_str(), strerror(errno));
        return false;
    }
    bool ok = fwrite(data, 1, size, file) == size;
    int error = ok ? 0 : errno;
    // A full disk may only show when the file is closed.
    if (fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(part.c_str(), path) != 0) {
        ok = false;
        error = errno;
    }
    if (ok) return true;
    fprintf(stderr, "show_capture: cannot write %s: %s\n", path, strerror(error ? error : EIO));
    unlink(part.c_str());
    return false;
}

// Runs ffmpeg with `args` (after the program name); stdin from `input` (-1: /dev/null).
pid_t spawn(const char *ffmpeg, const std::vector<std::string> &args, int input)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(ffmpeg));
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (input < 0) input = open("/dev/null", O_RDONLY);
        dup2(input, 0);
        // Its stdout is not the show's: the show's own lines stay alone there.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execv(ffmpeg, argv.data());
        fprintf(stderr, "show_capture: cannot run %s: %s\n", ffmpeg, strerror(errno));
        _exit(127);
    }
    if (pid < 0) fprintf(stderr, "show_capture: cannot start %s: %s\n", ffmpeg, strerror(errno));
    return pid;
}

// Once the capture is interrupted the child is ended at once and reaped without a word:
// what it was making is thrown away.
bool finished_cleanly(pid_t pid, const char *what)
{
    int status = 0;
    bool killed = false;
    for (;;) {
        if (caught_signal && !killed) {
            kill(pid, SIGKILL);
            killed = true;
        }
        const pid_t got = waitpid(pid, &status, killed ? 0 : WNOHANG);
        if (got == pid) break;
        if (got < 0 && errno != EINTR) return false;
        // Looked at again every 10 ms, so a signal that comes while waiting is seen.
        if (got == 0) {
            const struct timespec tick = {0, 10 * 1000 * 1000};
            nanosleep(&tick, nullptr);
        }
    }
    if (caught_signal) return false;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFEXITED(status))
        fprintf(stderr, "show_capture: ffmpeg failed %s (exit code %d)\n", what, WEXITSTATUS(status));
    else
        fprintf(stderr, "show_capture: ffmpeg failed %s (signal %d)\n", what, WTERMSIG(status));
    return false;
}

// A file name as ffmpeg reads a plain file: with "file:" and a path that starts with /
// or ./, neither a leading - (an option) nor a colon (a protocol) means anything to it.
std::string plain_file(const char *path)
{
    return std::string("file:") + (path[0] == '/' ? "" : "./") + path;
}

// Options that keep ffmpeg's output the same from run to run.
const std::vector<std::string> bitexact = {"-fflags", "+bitexact", "-map_metadata", "-1", "-f", "mp4"};

} // namespace

int capture_write_png(const char *path, int width, int height, const unsigned char *rgba)
{
    const size_t stride = static_cast<size_t>(width) * 3 + 1;
    std::vector<unsigned char> raw(stride * static_cast<size_t>(height));
    for (int y = 0; y < height; y++) {
        unsigned char *row = &raw[stride * static_cast<size_t>(y)];
        const unsigned char *in = rgba + static_cast<size_t>(y) * width * 4;
        row[0] = 1; // sub: each byte less the same byte of the pixel to its left
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++)
                row[1 + x * 3 + c] = static_cast<unsigned char>(in[x * 4 + c] - (x ? in[x * 4 + c - 4] : 0));
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 1) != Z_OK) {
        fprintf(stderr, "show_capture: cannot compress %s\n", path);
        return 0;
    }
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    put32be(header, static_cast<uint32_t>(width));
    put32be(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, filters, no interlace
    chunk(png, "IHDR", header.data(), header.size());
    chunk(png, "IDAT", packed.data(), packed_size);
    chunk(png, "IEND", nullptr, 0);
    return write_whole(path, png.data(), png.size());
}

int capture_write_wav(const char *path, const int16_t *samples, uint64_t frames, unsigned channels,
                      uint32_t frequency)
{
    const uint64_t bytes = frames * channels * 2;
    if (bytes > 0xFFFFFFFFu - 36) {
        fprintf(stderr, "show_capture: %s: the sound is too long for a WAV file\n", path);
        return 0;
    }
    std::vector<unsigned char> image(SOUNDSYSTEM_WAVHEADER + bytes);
    Soundsystem_WAVHeader(image.data(), static_cast<uint32_t>(bytes), channels, frequency, 16);
    // The samples are kept little-endian in memory on every machine this runs on.
    if (bytes) memcpy(&image[SOUNDSYSTEM_WAVHEADER], samples, bytes);
    return write_whole(path, image.data(), image.size());
}

const char *capture_find_ffmpeg(void)
{
    static std::string found;
    const char *path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0) {
            found = candidate;
            return found.c_str();
        }
        start = end + 1;
    }
    return nullptr;
}

int capture_start_video(VideoEncoder *encoder, const char *ffmpeg, const char *path, int width, int height,
                        int fps, const char *preset)
{
    *encoder = VideoEncoder{-1, -1, width, height, 0};
    int fds[2];
    if (pipe(fds) != 0) {
        fprintf(stderr, "show_capture: no pipe to ffmpeg: %s\n", strerror(errno));
        return 0;
    }
    // A child that dies must not take the capture with it: its pipe then reports EPIPE.
    signal(SIGPIPE, SIG_IGN);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::vector<std::string> args = {"-hide_banner", "-loglevel",         "error",    "-y",   "-f",
                                     "rawvideo",     "-pix_fmt",          "rgba",     "-s",   size,
                                     "-framerate",   std::to_string(fps), "-i",       "-",    "-c:v",
                                     "libx264",      "-preset",           preset,     "-crf", "16",
                                     "-pix_fmt",     "yuv420p",           "-threads", "2",    "-flags:v",
                                     "+bitexact"};
    args.insert(args.end(), bitexact.begin(), bitexact.end());
    args.push_back(plain_file(path));
    encoder->pid = spawn(ffmpeg, args, fds[0]);
    close(fds[0]);
    if (encoder->pid < 0) {
        close(fds[1]);
        return 0;
    }
    encoder->pipe = fds[1];
    return 1;
}

int capture_video_frame(VideoEncoder *encoder, const unsigned char *rgba)
{
    if (encoder->failed || encoder->pipe < 0) return 0;
    size_t left = static_cast<size_t>(encoder->width) * encoder->height * 4;
    while (left) {
        const ssize_t wrote = write(encoder->pipe, rgba, left);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            encoder->failed = 1;
            return 0;
        }
        rgba += wrote;
        left -= static_cast<size_t>(wrote);
    }
    return 1;
}

int capture_finish_video(VideoEncoder *encoder)
{
    if (encoder->pipe >= 0) close(encoder->pipe);
    encoder->pipe = -1;
    if (encoder->pid < 0) return 0;
    const bool ok = finished_cleanly(encoder->pid, "on the video");
    encoder->pid = -1;
    return ok && !encoder->failed;
}

int capture_mux(const char *ffmpeg, const char *video, const char *wav, const char *path)
{
    const std::string part = std::string(path) + ".part";
    std::vector<std::string> args = {
        "-hide_banner", "-loglevel",     "error", "-y",  "-i",   plain_file(video),
        "-i",           plain_file(wav), "-map",  "0:v", "-map", "1:a",
        "-c:v",         "copy",          "-c:a",  "aac", "-b:a", "192k",
        "-flags:a",     "+bitexact"};
    args.insert(args.end(), bitexact.begin(), bitexact.end());
    args.push_back(plain_file(part.c_str()));
    const pid_t pid = spawn(ffmpeg, args, -1);
    if (pid < 0 || !finished_cleanly(pid, "putting the sound beside the video")) {
        unlink(part.c_str());
        return 0;
    }
    if (rename(part.c_str(), path) != 0) {
        fprintf(stderr, "show_capture: cannot write %s: %s\n", path, strerror(errno));
        unlink(part.c_str());
        return 0;
    }
    return 1;
}

void capture_catch_signals(void)
{
    struct sigaction action = {};
    action.sa_handler = note_signal;
    sigemptyset(&action.sa_mask);
    // Calls the signal breaks into go on: the capture ends at its own next look.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // Past a file-size limit (ulimit -f) the write fails with EFBIG instead of the
    // signal ending the process with nothing said and its files left: the capture then
    // fails as on a full disk. ffmpeg inherits the choice.
    signal(SIGXFSZ, SIG_IGN);
}

int capture_interrupted(void) { return caught_signal; }
