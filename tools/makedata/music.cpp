#include "music.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tga.h"

namespace makedata {

namespace {

constexpr int beat = music_bar / 4;  // 25 000 frames: 105.84 beats per minute
constexpr int step = music_bar / 16; // a sixteenth, 6 250 frames
constexpr float pi = 3.14159265358979f;
constexpr float sr = float(music_rate);

struct Bus {
    std::vector<float> l, r;
    Bus() : l(music_frames, 0.0f), r(music_frames, 0.0f) {}
};

// Every sound goes into one of three buses: drums stay dry of the pump, the harmony is
// ducked under the kick, and the sends feed the shared delay and reverb.
struct Mix {
    Bus drums, harmony, lead;
    std::vector<float> reverb_send = std::vector<float>(music_frames, 0.0f);
    std::vector<float> delay_send = std::vector<float>(music_frames, 0.0f);
    std::vector<int> kicks;
};

struct Noise {
    uint32_t s;
    explicit Noise(uint32_t seed) : s(seed ? seed : 1) {}
    float next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return float(s) / 2147483648.0f - 1.0f;
    }
};

float midi_hz(float note) { return 440.0f * std::exp2((note - 69.0f) / 12.0f); }

struct Pan {
    float l, r;
};
Pan pan(float p) // -1 left .. 1 right, constant power
{
    float a = (p + 1.0f) * pi / 4.0f;
    return {std::cos(a), std::sin(a)};
}

// Band-limited saw and pulse: the PolyBLEP correction removes the worst aliasing.
float poly_blep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}
float saw(float phase, float dt) { return 2.0f * phase - 1.0f - poly_blep(phase, dt); }
float pulse(float phase, float dt, float width)
{
    float p2 = phase + (1.0f - width);
    p2 -= std::floor(p2);
    return saw(phase, dt) - saw(p2, dt);
}

// Zero-delay-feedback state-variable filter.
struct Svf {
    float ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 1;
    void set(float hz, float q)
    {
        float g = std::tan(pi * std::min(hz, sr * 0.45f) / sr);
        k = 1.0f / q;
        a1 = 1.0f / (1.0f + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    // Returns low-pass; band and high come out through the pointers.
    float run(float v0, float *band = nullptr, float *high = nullptr)
    {
        float v3 = v0 - ic2;
        float v1 = a1 * ic1 + a2 * v3;
        float v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        if (band) *band = v1;
        if (high) *high = v0 - k * v1 - v2;
        return v2;
    }
};

void put(Bus &b, int i, float v, Pan p)
{
    if (i >= 0 && i < music_frames) {
        b.l[i] += v * p.l;
        b.r[i] += v * p.r;
    }
}
void send(std::vector<float> &s, int i, float v)
{
    if (i >= 0 && i < music_frames) s[i] += v;
}

// ---- Drums ---------------------------------------------------------------------------

void kick(Mix &m, int at, float vel)
{
    m.kicks.push_back(at);
    float phase = 0;
    int len = int(0.5f * sr);
    for (int i = 0; i < len; ++i) {
        float t = i / sr;
        float hz = 48.0f + 120.0f * std::exp(-t * 28.0f);
        phase += hz / sr;
        float v = std::sin(2 * pi * phase) * std::exp(-t * 6.5f);
        v += 0.25f * std::exp(-t * 300.0f) * std::sin(2 * pi * 1800.0f * t); // beater click
        put(m.drums, at + i, 0.9f * vel * std::tanh(1.5f * v), pan(0));
    }
}

void snare(Mix &m, int at, float vel, uint32_t seed)
{
    Noise n(seed);
    Svf f;
    f.set(3200.0f, 0.7f);
    int len = int(0.35f * sr);
    for (int i = 0; i < len; ++i) {
        float t = i / sr;
        float band;
        f.run(n.next(), &band);
        float v =
            0.45f * std::sin(2 * pi * 190.0f * t) * std::exp(-t * 30.0f) + 1.1f * band * std::exp(-t * 14.0f);
        put(m.drums, at + i, 0.5f * vel * v, pan(-0.05f));
        send(m.reverb_send, at + i, 0.12f * vel * v);
    }
}

void hat(Mix &m, int at, float vel, bool open, uint32_t seed)
{
    Noise n(seed);
    Svf f;
    f.set(7500.0f, 0.9f);
    int len = int((open ? 0.3f : 0.06f) * sr);
    float decay = open ? 11.0f : 70.0f;
    for (int i = 0; i < len; ++i) {
        float t = i / sr;
        float high;
        f.run(n.next(), nullptr, &high);
        float v = high * std::exp(-t * decay);
        put(m.drums, at + i, 0.16f * vel * v, pan(0.35f));
        send(m.reverb_send, at + i, 0.03f * vel * v);
    }
}

void crash(Mix &m, int at, float vel, uint32_t seed)
{
    Noise nl(seed), nr(seed * 7 + 3);
    Svf fl, fr;
    fl.set(5000.0f, 0.6f);
    fr.set(5200.0f, 0.6f);
    int len = int(3.0f * sr);
    for (int i = 0; i < len; ++i) {
        float t = i / sr;
        float hl, hr;
        fl.run(nl.next(), nullptr, &hl);
        fr.run(nr.next(), nullptr, &hr);
        float env = std::exp(-t * 1.6f) * std::min(1.0f, t * 2000.0f);
        if (at + i < music_frames) {
            m.drums.l[at + i] += 0.22f * vel * hl * env;
            m.drums.r[at + i] += 0.22f * vel * hr * env;
        }
        send(m.reverb_send, at + i, 0.05f * vel * (hl + hr) * env);
    }
}

// ---- Pitched voices -------------------------------------------------------------------

void bass(Mix &m, int at, int len, int note, float vel, float bright)
{
    float hz = midi_hz(float(note)), dt = hz / sr;
    float p1 = 0, p2 = 0.31f, sub = 0;
    Svf f;
    int tail = int(0.02f * sr);
    for (int i = 0; i < len + tail; ++i) {
        float t = i / sr;
        if (i % 16 == 0) f.set(120.0f + bright * 1800.0f * std::exp(-t * 9.0f), 1.6f);
        float v = 0.5f * (saw(p1, dt) + saw(p2, dt * 1.004f));
        float env = std::min(1.0f, t * 400.0f) * (i < len ? 1.0f : 1.0f - float(i - len) / tail);
        float out = f.run(v) + 0.6f * std::sin(2 * pi * sub);
        put(m.harmony, at + i, 0.34f * vel * out * env, pan(0));
        p1 += dt;
        p1 -= std::floor(p1);
        p2 += dt * 1.004f;
        p2 -= std::floor(p2);
        sub += dt * 0.5f;
        sub -= std::floor(sub);
    }
}

// Three detuned saws spread left, centre, right, through a gentle low-pass.
void pad_note(Mix &m, int at, int len, int note, float vel, float bright, float attack)
{
    const float detune[3] = {-0.09f, 0.0f, 0.11f};
    const float spread[3] = {-0.8f, 0.0f, 0.8f};
    int release = int(0.6f * sr);
    int att = std::max(1, int(attack * sr));
    for (int v = 0; v < 3; ++v) {
        float hz = midi_hz(note + detune[v]), dt = hz / sr;
        float ph = 0.17f * v + 0.05f * float(note % 7);
        ph -= std::floor(ph);
        Svf f;
        f.set(500.0f + 3000.0f * bright, 0.8f);
        Pan p = pan(spread[v]);
        for (int i = 0; i < len + release; ++i) {
            float env = std::min(1.0f, float(i) / att);
            if (i >= len) env *= std::exp(-float(i - len) / (0.15f * sr));
            float s = f.run(saw(ph, dt));
            put(m.harmony, at + i, 0.055f * vel * s * env, p);
            send(m.reverb_send, at + i, 0.03f * vel * s * env);
            ph += dt;
            ph -= std::floor(ph);
        }
    }
}

void lead(Mix &m, int at, int len, int note, float vel)
{
    float hz = midi_hz(float(note));
    float ph = 0, ph2 = 0.5f;
    Svf f;
    int release = int(0.12f * sr);
    for (int i = 0; i < len + release; ++i) {
        float t = i / sr;
        float vib = 1.0f + 0.004f * std::sin(2 * pi * 5.2f * t) *
                               std::min(1.0f, t * 4.0f); // vibrato sets in after the attack
        float dt = hz * vib / sr;
        if (i % 16 == 0) f.set(900.0f + 3800.0f * std::exp(-t * 5.0f), 1.1f);
        float s = 0.55f * saw(ph, dt) + 0.45f * pulse(ph2, dt * 1.003f, 0.4f);
        float env = std::min(1.0f, t * 150.0f) * (0.75f + 0.25f * std::exp(-t * 6.0f));
        if (i >= len) env *= 1.0f - float(i - len) / release;
        float out = f.run(s) * env * vel * 0.2f;
        put(m.lead, at + i, out, pan(0.0f));
        send(m.delay_send, at + i, 0.45f * out);
        send(m.reverb_send, at + i, 0.25f * out);
        ph += dt;
        ph -= std::floor(ph);
        ph2 += dt * 1.003f;
        ph2 -= std::floor(ph2);
    }
}

void pluck(Mix &m, int at, int note, float vel, float where)
{
    float hz = midi_hz(float(note)), dt = hz / sr, ph = 0;
    Svf f;
    int len = int(0.3f * sr);
    for (int i = 0; i < len; ++i) {
        float t = i / sr;
        if (i % 16 == 0) f.set(400.0f + 5000.0f * std::exp(-t * 22.0f), 1.3f);
        float s = f.run(saw(ph, dt)) * std::exp(-t * 9.0f) * vel * 0.09f;
        put(m.harmony, at + i, s, pan(where));
        send(m.delay_send, at + i, 0.3f * s);
        ph += dt;
        ph -= std::floor(ph);
    }
}

// Filtered noise sweeping up to a hit.
void riser(Mix &m, int at, int len, float vel, uint32_t seed)
{
    Noise nl(seed), nr(seed + 11);
    Svf fl, fr;
    for (int i = 0; i < len; ++i) {
        float t = float(i) / len;
        if (i % 16 == 0) {
            fl.set(300.0f * std::pow(25.0f, t), 2.5f);
            fr.set(320.0f * std::pow(25.0f, t), 2.5f);
        }
        float bl, br;
        fl.run(nl.next(), &bl);
        fr.run(nr.next(), &br);
        float env = vel * 0.22f * t * t;
        if (at + i < music_frames) {
            m.drums.l[at + i] += bl * env;
            m.drums.r[at + i] += br * env;
        }
        send(m.reverb_send, at + i, 0.2f * (bl + br) * env);
    }
}

// ---- The score -----------------------------------------------------------------------

struct Chord {
    int root;     // bass note
    int tones[3]; // pad voicing
};
const Chord Am{45, {57, 60, 64}}, F{41, {57, 60, 65}}, C{48, {55, 60, 64}}, G{43, {55, 59, 62}},
    Em{40, {55, 59, 64}}, E{40, {56, 59, 64}}, Dm{38, {57, 62, 65}};

// One chord per bar.
const Chord *chord_of(int bar)
{
    static const Chord *a[4] = {&Am, &F, &C, &G};
    static const Chord *b[8] = {&F, &G, &Em, &Am, &F, &G, &E, &E};
    static const Chord *brk[4] = {&F, &G, &Dm, &E};
    if (bar >= 14 && bar < 22) return b[bar - 14];
    if (bar >= 30 && bar < 34) return brk[bar - 30];
    if (bar == 5) return &G;
    if (bar >= 48) return &Am;
    return a[bar % 4];
}

// Melodies as note:sixteenths, '-' for a rest, one line per bar.
const char *melody_a[8] = {
    "76:4 74:2 72:2 71:2 72:2 69:4", "69:2 72:2 77:4 76:2 74:2 72:4",
    "67:2 72:2 76:6 74:2 72:4",      "74:6 71:2 67:4 -:4",
    "76:4 74:2 72:2 71:2 72:2 76:4", "77:4 76:2 77:2 81:4 79:4",
    "79:2 76:2 72:4 76:2 79:2 84:4", "83:6 79:2 74:4 71:4",
};
const char *melody_b[8] = {
    "72:6 69:2 72:4 74:4", "74:6 71:2 74:4 76:4", "76:6 79:2 76:4 74:4", "72:8 69:4 -:4",
    "72:6 69:2 72:4 77:4", "79:6 77:2 76:4 74:4", "71:4 68:4 71:4 76:4", "76:8 74:4 71:4",
};

// Plays one bar of a melody line; false when the line does not fill the bar.
bool play_line(Mix &m, int bar, const char *line, int transpose, float vel)
{
    int pos = 0;
    const char *p = line;
    while (*p) {
        while (*p == ' ') ++p;
        if (!*p) break;
        int note = -1;
        if (*p == '-')
            ++p;
        else
            note = int(std::strtol(p, const_cast<char **>(&p), 10));
        if (*p++ != ':') return false;
        int len = int(std::strtol(p, const_cast<char **>(&p), 10));
        if (note >= 0) lead(m, bar * music_bar + pos * step, len * step - step / 4, note + transpose, vel);
        pos += len;
    }
    return pos == 16;
}

void drum_bar(Mix &m, int bar, bool kicks, bool snares, bool hats, bool fill)
{
    int b0 = bar * music_bar;
    uint32_t seed = uint32_t(bar * 977 + 13);
    if (kicks)
        for (int s : {0, 6, 8, 11}) kick(m, b0 + s * step, s == 0 || s == 8 ? 1.0f : 0.8f);
    if (snares) {
        snare(m, b0 + 4 * step, 1.0f, seed + 1);
        snare(m, b0 + 12 * step, 1.0f, seed + 2);
        if (fill)
            for (int s = 13; s < 16; ++s) snare(m, b0 + s * step, 0.45f + 0.15f * (s - 12), seed + 3 + s);
    }
    if (hats)
        for (int s = 0; s < 16; s += 2)
            hat(m, b0 + s * step, s % 4 == 2 ? 1.0f : 0.6f, s == 14, seed + 40 + s);
}

void arp_bar(Mix &m, int bar, float vel)
{
    const Chord *c = chord_of(bar);
    static const int order[16] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 2, 4, 5, 4, 2, 1, 2};
    for (int s = 0; s < 16; ++s) {
        int k = order[s];
        int note = c->tones[k % 3] + 12 * (k / 3) + 12;
        pluck(m, bar * music_bar + s * step, note, vel, s % 2 ? 0.55f : -0.55f);
    }
}

bool compose(Mix &m)
{
    bool ok = true;
    for (int bar = 0; bar < music_bars; ++bar) {
        const Chord *c = chord_of(bar);
        int b0 = bar * music_bar;
        bool intro = bar < 6, brk = bar >= 30 && bar < 34, outro = bar >= 44;
        bool full = !intro && !brk && !outro;

        // Pads everywhere: the piece never falls silent.
        if (bar < 48) {
            float bright = intro ? 0.08f + 0.05f * bar : (brk ? 0.25f : 0.4f);
            float vel = intro ? 0.6f + 0.1f * bar : (brk ? 1.0f : 0.9f);
            for (int t : c->tones)
                pad_note(m, b0, music_bar, t, vel, bright, intro && bar == 0 ? 1.2f : 0.08f);
        }

        // Bass: long filtered notes in the intro and break, driving eighths elsewhere.
        if (bar >= 2 && (intro || brk) && bar != 5) bass(m, b0, music_bar - step, c->root, 0.8f, 0.15f);
        if (full || (outro && bar < 48))
            for (int s = 0; s < 16; s += 2) {
                int note = c->root + (s == 6 || s == 14 ? 12 : 0);
                bass(m, b0 + s * step, 2 * step - step / 3, note, s % 4 == 0 ? 1.0f : 0.8f,
                     bar >= 34 ? 0.5f : 0.35f);
            }

        // Drums.
        if (bar >= 2 && bar < 4)
            for (int s = 2; s < 16; s += 4)
                hat(m, b0 + s * step, 0.5f + 0.2f * (bar - 2), false, uint32_t(bar * 31 + s));
        if (bar == 4) {
            for (int s = 0; s < 12; s += 2) hat(m, b0 + s * step, 0.8f, false, uint32_t(bar * 31 + s));
            riser(m, b0, 480000 - b0, 0.7f, 5);
        }
        if (full) drum_bar(m, bar, true, true, true, bar % 8 == 5 || bar == 41);
        if (outro && bar < 46) drum_bar(m, bar, true, false, true, false);
        if (outro && bar >= 46 && bar < 48) drum_bar(m, bar, false, false, true, false);
        if (bar == 32)
            for (int s = 0; s < 16; s += 2) hat(m, b0 + s * step, 0.5f, false, uint32_t(bar * 31 + s));
        if (bar == 33) {
            for (int s = 0; s < 16; ++s) snare(m, b0 + s * step, 0.15f + 0.05f * s, uint32_t(3300 + s));
            riser(m, b0, music_bar, 0.9f, 33);
        }

        // Leads and arpeggios.
        if (bar >= 6 && bar < 14) ok = ok && play_line(m, bar, melody_a[bar - 6], 0, 0.85f);
        if (bar >= 14 && bar < 22) ok = ok && play_line(m, bar, melody_b[bar - 14], 0, 0.9f);
        if (bar >= 22 && bar < 30) {
            ok = ok && play_line(m, bar, melody_a[bar - 22], 0, 0.9f);
            arp_bar(m, bar, 0.7f);
        }
        if (brk) arp_bar(m, bar, bar == 30 ? 0.5f : 0.8f);
        if (bar >= 34 && bar < 42) {
            ok = ok && play_line(m, bar, melody_a[bar - 34], 12, 0.7f);
            ok = ok && play_line(m, bar, melody_a[bar - 34], 0, 0.55f);
            arp_bar(m, bar, 0.8f);
        }
        if (bar >= 42 && bar < 44) {
            ok = ok && play_line(m, bar, melody_b[bar - 42 + 6], 12, 0.7f);
            arp_bar(m, bar, 0.8f);
        }
        if (bar >= 44 && bar < 48)
            ok = ok && play_line(m, bar, melody_a[bar - 44 + 4], 0, 0.6f - 0.1f * (bar - 44));
    }

    // The title hit, the last chord: kick, crash, a wide chord and the low root together.
    auto hit = [&](int at, float vel, int len, uint32_t seed) {
        kick(m, at, vel);
        crash(m, at, vel, seed);
        for (int t : Am.tones) {
            pad_note(m, at, len, t, 1.6f * vel, 0.9f, 0.005f);
            pad_note(m, at, len, t + 12, 1.0f * vel, 0.9f, 0.005f);
        }
        bass(m, at, len / 2, Am.root, vel, 0.6f);
    };
    hit(480000, 1.0f, 70000, 48);
    // Bar 5 breathes and rolls into the main section.
    for (int s = 8; s < 16; ++s)
        snare(m, 5 * music_bar + s * step, 0.25f + 0.09f * (s - 8), uint32_t(500 + s));
    riser(m, 5 * music_bar + 4 * step, 12 * step, 0.6f, 55);
    crash(m, 6 * music_bar, 0.8f, 60);
    crash(m, 14 * music_bar, 0.7f, 140);
    crash(m, 22 * music_bar, 0.7f, 220);
    crash(m, 34 * music_bar, 1.0f, 340);
    // The ending rings for two bars over the closing line.
    hit(48 * music_bar, 1.0f, 150000, 480);
    return ok;
}

// ---- Effects and the master ------------------------------------------------------------

void ping_pong(const std::vector<float> &in, Bus &out)
{
    const int d = 3 * step; // a dotted eighth
    const float fb = 0.42f;
    std::vector<float> l(music_frames, 0.0f), r(music_frames, 0.0f);
    float lp = 0;
    for (int i = d; i < music_frames; ++i) {
        lp += 0.5f * (in[i - d] + r[i - d] * fb - lp); // darker with every repeat
        l[i] = lp;
        r[i] = l[i - d] * fb;
    }
    for (int i = 0; i < music_frames; ++i) {
        out.l[i] += 0.5f * l[i];
        out.r[i] += 0.5f * r[i];
    }
}

// Parallel damped combs into series all-passes, with the right channel's delays a
// little longer for width.
void reverb(const std::vector<float> &in, Bus &out)
{
    const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const int alls[4] = {556, 441, 341, 225};
    for (int ch = 0; ch < 2; ++ch) {
        int spread = ch ? 23 : 0;
        std::vector<float> wet(music_frames, 0.0f);
        for (int c = 0; c < 8; ++c) {
            int n = combs[c] + spread;
            std::vector<float> buf(n, 0.0f);
            float store = 0;
            int idx = 0;
            for (int i = 0; i < music_frames; ++i) {
                float y = buf[idx];
                store = y * 0.7f + store * 0.3f;
                buf[idx] = in[i] + store * 0.84f;
                if (++idx == n) idx = 0;
                wet[i] += y;
            }
        }
        for (int a = 0; a < 4; ++a) {
            int n = alls[a] + spread;
            std::vector<float> buf(n, 0.0f);
            int idx = 0;
            for (int i = 0; i < music_frames; ++i) {
                float b = buf[idx];
                float y = -wet[i] + b;
                buf[idx] = wet[i] + b * 0.5f;
                if (++idx == n) idx = 0;
                wet[i] = y;
            }
        }
        std::vector<float> &o = ch ? out.r : out.l;
        for (int i = 0; i < music_frames; ++i) o[i] += 0.06f * wet[i];
    }
}

} // namespace

std::vector<int16_t> render_music()
{
    Mix m;
    if (!compose(m)) return {};

    // The harmony pumps under every kick.
    std::vector<float> duck(music_frames, 1.0f);
    for (int k : m.kicks)
        for (int i = 0; i < int(0.25f * sr) && k + i < music_frames; ++i)
            duck[k + i] = std::min(duck[k + i], 1.0f - 0.45f * std::exp(-float(i) / (0.06f * sr)));

    Bus master;
    ping_pong(m.delay_send, master);
    reverb(m.reverb_send, master);
    for (int i = 0; i < music_frames; ++i) {
        master.l[i] += m.drums.l[i] + m.harmony.l[i] * duck[i] + m.lead.l[i];
        master.r[i] += m.drums.r[i] + m.harmony.r[i] * duck[i] + m.lead.r[i];
    }

    // A soft knee tames the drum peaks, then the whole piece is scaled to -1.2 dBFS.
    float peak = 0;
    for (int i = 0; i < music_frames; ++i) {
        master.l[i] = std::tanh(master.l[i]);
        master.r[i] = std::tanh(master.r[i]);
        peak = std::max(peak, std::max(std::fabs(master.l[i]), std::fabs(master.r[i])));
    }
    float gain = peak > 0 ? std::pow(10.0f, -1.2f / 20.0f) * 32767.0f / peak : 0.0f;
    std::vector<int16_t> out(size_t(music_frames) * 2);
    for (int i = 0; i < music_frames; ++i) {
        out[size_t(i) * 2] = int16_t(std::lrint(master.l[i] * gain));
        out[size_t(i) * 2 + 1] = int16_t(std::lrint(master.r[i] * gain));
    }
    return out;
}

bool write_wav(const std::string &path, const std::vector<int16_t> &samples, int channels, int rate)
{
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
    };
    auto u16 = [&](uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    uint32_t data = uint32_t(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    u32(36 + data);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1); // PCM
    u16(uint32_t(channels));
    u32(uint32_t(rate));
    u32(uint32_t(rate * channels * 2));
    u16(uint32_t(channels * 2));
    u16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    u32(data);
    for (int16_t s : samples) u16(uint16_t(s));
    return write_file(path, out);
}

} // namespace makedata
