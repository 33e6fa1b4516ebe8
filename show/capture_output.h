/* What the capture writes: PNG frames, a WAV sound track and an MP4 through ffmpeg.
 * Every file is written under a temporary name (the final one + ".part") and renamed
 * once complete, so a failed capture never leaves a half-written file under the name
 * that was asked for. Failures are reported on standard error. Any file name works:
 * ffmpeg gets each one as a plain file, never as an option or a protocol. */
#ifndef FENK_SHOW_CAPTURE_OUTPUT_H
#define FENK_SHOW_CAPTURE_OUTPUT_H

#include <stdint.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/* An RGB PNG of width x height pixels from top-down RGBA rows (alpha dropped).
 * 1 on success, 0 with a message. */
int capture_write_png(const char *path, int width, int height, const unsigned char *rgba);
/* A 16-bit PCM WAV of `frames` frames of interleaved samples. 1 or 0 with a message. */
int capture_write_wav(const char *path, const int16_t *samples, uint64_t frames, unsigned channels,
                      uint32_t frequency);

/* ffmpeg as found on PATH, or NULL. */
const char *capture_find_ffmpeg(void);

/* An ffmpeg process taking raw RGBA frames on a pipe and writing H.264 video. */
typedef struct VideoEncoder {
    pid_t pid;
    int pipe;
    int width;
    int height;
    int failed;
} VideoEncoder;

/* Starts ffmpeg writing an MP4 (video only) to `path` with x264's `preset`. 1 or 0
 * with a message. */
int capture_start_video(VideoEncoder *encoder, const char *ffmpeg, const char *path, int width, int height,
                        int fps, const char *preset);
/* Hands one frame to the encoder: 1, or 0 once ffmpeg has stopped taking frames. */
int capture_video_frame(VideoEncoder *encoder, const unsigned char *rgba);
/* Ends the input and waits for ffmpeg: 1 when it finished cleanly. */
int capture_finish_video(VideoEncoder *encoder);
/* Puts the video of `video` beside `wav` encoded as AAC into the MP4 `path`. */
int capture_mux(const char *ffmpeg, const char *video, const char *wav, const char *path);

/* From here on SIGINT and SIGTERM only note that they came: the capture looks once a
 * frame and ends, and a wait for ffmpeg ends the child at once. SIGXFSZ is ignored: a
 * write past a file-size limit fails as on a full disk. */
void capture_catch_signals(void);
/* The signal that asked the capture to end, or 0. */
int capture_interrupted(void);

#ifdef __cplusplus
}
#endif

#endif
