// The cost of one mix pass (2048 output frames, 16-bit stereo) by number of voices and
// source format, and of loading a 20 MB WAV beside a plain fread of the same file.
// Targets: a 16-voice pass under 1 % of the 46.4 ms it plays for, on one core; the
// WAV load at 80 % or more of the plain read's speed. The virtual device is linked
// only because the sound system starts a driver; it is never advanced here.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "files/core.h"
#include "sound/audiodriver.h"
#include "sound/coresound.h"
#include "scratch.h"

namespace fs = std::filesystem;

namespace {

constexpr int pass_frames = SOUNDSYSTEM_BUFFERLENGTH;
constexpr double pass_seconds = pass_frames / 44100.0;
constexpr uint32_t wav_bytes = 20u << 20;

const char *formatname(int bits, int channels)
{
    static const char *names[] = {"8-bit mono", "8-bit stereo", "16-bit mono", "16-bit stereo"};
    return names[(bits == 16) * 2 + (channels == 2)];
}

// Ten seconds of noise per voice, looping, each at its own odd rate so the steps are
// fractional as they are for most sounds.
void BM_MixPass(benchmark::State &state)
{
    const int voices = (int)state.range(0);
    const int bits = (int)state.range(1);
    const int channels = (int)state.range(2);
    std::vector<s_sound> sounds(voices);
    uint32_t seed = 12345;
    for (int v = 0; v < voices; v++) {
        s_sound *s = &sounds[v];
        memset(s, 0, sizeof *s);
        uint32_t frequency = 22050 + 997 * v;
        s->channels = (uint16_t)channels;
        s->bits = (uint16_t)bits;
        s->frequency = frequency;
        s->length = 10 * frequency * channels;
        s->size = s->length * (bits / 8);
        s->data = malloc(s->size);
        for (uint32_t i = 0; i < s->size; i++) {
            seed = seed * 1103515245u + 12345u;
            ((uint8_t *)s->data)[i] = (uint8_t)(seed >> 16);
        }
        s->volume = 255;
        s->panning = 128;
        Soundsystem_SetVolume(s, 200);
        Soundsystem_SetFrequency(s, (int)frequency);
        Soundsystem_PlaySound(s, 1);
    }
    std::vector<int16_t> out(pass_frames * 2);
    for (auto _ : state) {
        audiodriver_mixbuffers(out.data(), (int)(out.size() * 2), 0);
        benchmark::DoNotOptimize(out.data());
    }
    for (s_sound &s : sounds) Soundsystem_DeleteSound(&s);
    state.SetLabel(formatname(bits, channels));
    // Frame-voices per second, inverted: the time per output frame per voice.
    state.counters["per_frame_voice"] =
        benchmark::Counter((double)pass_frames * voices,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixPass)
    ->ArgsProduct({{1, 4, 16}, {8, 16}, {1, 2}})
    ->ArgNames({"voices", "bits", "channels"})
    ->Unit(benchmark::kMicrosecond);

// A 20 MB 16-bit stereo WAV in a scratch data image.
struct WavFile {
    ScratchFolder scratch{"sound-bench"};
    fs::path root = scratch.path(), previous;
    WavFile()
    {
        fs::create_directories(root / "data");
        previous = fs::current_path();
        fs::current_path(root);
        std::vector<uint8_t> bytes(44 + wav_bytes, 0);
        auto u16 = [&](size_t at, uint32_t v) {
            bytes[at] = (uint8_t)v;
            bytes[at + 1] = (uint8_t)(v >> 8);
        };
        auto u32 = [&](size_t at, uint32_t v) {
            u16(at, v & 0xffff);
            u16(at + 2, v >> 16);
        };
        memcpy(&bytes[0], "RIFF", 4);
        u32(4, wav_bytes + 36);
        memcpy(&bytes[8], "WAVEfmt ", 8);
        u32(16, 16);
        u16(20, 1);
        u16(22, 2);
        u32(24, 44100);
        u32(28, 44100 * 4);
        u16(32, 4);
        u16(34, 16);
        memcpy(&bytes[36], "data", 4);
        u32(40, wav_bytes);
        for (size_t i = 44; i < bytes.size(); i++) bytes[i] = (uint8_t)(i * 7);
        FILE *f = fopen("data/big.wav", "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        corefile_mountimage("data", COREFILE_MOUNT_DIRECTORY);
    }
    ~WavFile()
    {
        corefile_closeimage();
        fs::current_path(previous);
    }
};

WavFile *wav;

void BM_LoadWav(benchmark::State &state)
{
    for (auto _ : state) {
        s_sound s;
        Soundsystem_LoadSound("big.wav", &s);
        if (s.size != wav_bytes) state.SkipWithError("the WAV did not load");
        benchmark::DoNotOptimize(s.data);
        Soundsystem_DeleteSound(&s);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (44 + wav_bytes));
}
BENCHMARK(BM_LoadWav)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The same bytes with one fread into a fresh allocation, as a loader at its best would.
void BM_PlainRead(benchmark::State &state)
{
    for (auto _ : state) {
        FILE *f = fopen("data/big.wav", "rb");
        void *data = malloc(44 + wav_bytes);
        size_t got = fread(data, 1, 44 + wav_bytes, f);
        fclose(f);
        if (got != 44 + wav_bytes) state.SkipWithError("short read");
        benchmark::DoNotOptimize(data);
        free(data);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (44 + wav_bytes));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Repetitions(7);

// Keeps each benchmark's best time per iteration, in seconds, for the summary of the
// targets: on a shared machine the best of several repetitions is the steadiest.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    Collector() : ConsoleReporter(isatty(1) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            std::string name = run.benchmark_name();
            name = name.substr(0, name.find("/repeats:"));
            double s = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto known = seconds.find(name);
            if (known == seconds.end() || s < known->second) seconds[name] = s;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Every load prints a line; send the C stream to nowhere so the table stays
    // readable. std::cout, which the reporter writes to, keeps the real output.
    FILE *out = stdout;
    FILE *quiet = fopen("/dev/null", "w");
    if (quiet) stdout = quiet;
    Soundsystem_Init(44100, 16, 2);
    wav = new WavFile;

    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    std::cout.flush();
    fprintf(out, "\nTargets\n");
    double worst = 0;
    for (const auto &[name, s] : collector.seconds) {
        if (name.rfind("BM_MixPass/voices:16/", 0) == 0 && s > worst) worst = s;
    }
    if (worst > 0)
        fprintf(out,
                "  16-voice pass: worst %.1f us = %.3f %% of its %.1f ms play time (target under 1 %%): %s\n",
                worst * 1e6, 100 * worst / pass_seconds, pass_seconds * 1e3,
                worst < 0.01 * pass_seconds ? "met" : "NOT met");
    auto load = collector.seconds.find("BM_LoadWav");
    auto plain = collector.seconds.find("BM_PlainRead");
    if (load != collector.seconds.end() && plain != collector.seconds.end())
        fprintf(
            out,
            "  WAV load: best %.2f ms against a plain read's best %.2f ms = %.0f %% of its speed (target 80 %% or more): %s\n",
            load->second * 1e3, plain->second * 1e3, 100 * plain->second / load->second,
            plain->second / load->second >= 0.8 ? "met" : "NOT met");

    delete wav;
    Soundsystem_CloseAudio();
    benchmark::Shutdown();
    stdout = out;
    if (quiet) fclose(quiet);
    return 0;
}
