// The show: brings up the engine, loads the pictures, the font and the music, then
// draws one frame per pacing slot until the music ends or Escape is held. Everything
// shown is decided by the music position, read once per frame: the pictures and
// captions by the position itself, the fades and the picture tube's sway, flicker and
// scan lines by the steps of the show's own pace, sixtieths of that music (pace.h).
#include "show/main.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "files/core.h"
#include "input/coreinput.h"
#include "platform/host.h"
#include "show/pace.h"
#include "show/unseen.h"
#include "video/fenk.h"

// 1920 x 1080 in a window unless the program asks for another mode first.
int show_videowidth = 1920;
int show_videoheight = 1080;
int show_videoflags = 0;
int show_webdata = 0;

s_bitmap bmp_background;
s_bitmap bmp_title;
s_bitmap bmp_credits;
s_bitmap bmp_greetings;
s_bitmap bmp_greetings2;
s_bitmap bmp_revizid[SHOW_ROTATION_PICTURES]; // 0 to 14 loaded; 15 stays empty
s_font myfont;
s_sound demomusic;

int currentframe;
int cameraframe;
int gameactive;
int framebuffer_id;
int screenbuffer_id;
int postshader_id;
float camerax;
float cameray;
float camerazoom;
float fade;

// Dutch lyric lines, one per step of the main section (tools/makedata/captions.txt,
// which the font is checked against). Each is handed to the text call as its format.
#include "show/captions.inc"

// ---- The picture tube ----

const char *const vv_xcopy = "#version 120\n"
                             "varying vec2 texCoord;\n"
                             "void main() {\n"
                             "    texCoord = gl_MultiTexCoord0.xy;\n"
                             "    gl_Position = ftransform();\n"
                             "}\n";

// Curved glass, drifting colour fringes, rolling scan lines, vignette, a side mask
// that leaves the left border darker than the right, and the fade. Where one of the
// coordinates leaves the glass the vignette base would be negative, where pow has no
// value: it is clamped at 0, which leaves those border pixels black.
const char *const ff_xcopy =
    "#version 120\n"
    "uniform sampler2D fbo_texture;\n"
    "uniform sampler2D fbo_depth;\n"
    "uniform float fadevalue;\n"
    "uniform float scanlinevalue;\n"
    "uniform float time;\n"
    "uniform float fenk_alphatest;\n"
    "varying vec2 texCoord;\n"
    "void main() {\n"
    "    vec2 u = (texCoord - 0.5) * 2.2;\n"
    "    u.x = u.x * (1.0 + pow(abs(u.y) / 5.0, 2.3));\n"
    "    u.y = u.y * (1.0 + pow(abs(u.x) / 4.0, 2.3));\n"
    "    u = u / 2.0 + 0.5;\n"
    "    u = u * 0.92 + 0.04;\n"
    "    float d = 0.001 * sin(time + 4.0 * u.y);\n"
    "    vec4 c;\n"
    "    c.r = texture2D(fbo_texture, vec2(u.x + d + 0.001, u.y + 0.001)).r + 0.05;\n"
    "    c.g = texture2D(fbo_texture, vec2(u.x, u.y - 0.002)).g + 0.05;\n"
    "    c.b = texture2D(fbo_texture, vec2(u.x - d - 0.002, u.y)).b + 0.05;\n"
    "    c.a = 0.5;\n"
    "    float v = max(16.0 * u.x * u.y * (1.0 - u.x) * (1.0 - u.y), 0.0);\n"
    "    c *= pow(v, 0.3);\n"
    "    float s = pow(clamp(0.35 + 0.35 * sin(0.5 * time + 720.0 * 1.5 * u.y), 0.0, 1.0), 1.7);\n"
    "    c *= (0.4 + 0.7 * s) * 1.5;\n"
    "    c *= 1.0 - 0.65 * clamp((mod(u.x, 2.0) - 1.0) * 2.0, 0.0, 1.0);\n"
    "    if (u.x < 0.0 || u.x > 1.0) c.a = 0.1;\n"
    "    if (u.y < 0.0 || u.y > 1.0) c.a = 0.1;\n"
    "    gl_FragColor = c * fadevalue;\n"
    "    if (fenk_alphatest > 0.5 && gl_FragColor.a <= 0.0) discard;\n"
    "}\n";

// π as the camera has always been tuned with.
static const double crt_pi = 3.141592653;

ShowCamera crt_camera(int frame)
{
    // A wobble of 280 frames on a steady growth, and two slow sways.
    ShowCamera camera;
    camera.zoom = (float)(0.88 + 0.0001 * frame);
    camera.zoom = (float)(camera.zoom + 0.005 * sin(frame * (crt_pi / 140)));
    const float w = camera.zoom * 1844;
    const float h = camera.zoom * 1000;
    camera.x = (float)(64 * sin(frame * (crt_pi / 900)));
    camera.y = (float)(24 * sin(frame * (crt_pi / 637)));
    camera.rect[0] = (int)(960 - 0.5 * w + camera.x);
    camera.rect[1] = (int)(540 - 0.5 * h + camera.y);
    camera.rect[2] = (int)w;
    camera.rect[3] = (int)h;
    return camera;
}

// One step of the tube: the fade given to the shader (the flicker drawn from rand()),
// the shader's time and the rectangle the scene is drawn into, for the camera frame it
// moves on from.
struct TubeStep {
    float fadevalue;
    float time;
    int camera;
    int rect[4];
};

static TubeStep tube_step(void)
{
    TubeStep step;
    step.time = (float)(currentframe * 0.01);
    // While fading, the brightness flickers by up to a tenth.
    const int r = rand() % 100;
    float f = (float)((r / 1000.0 + 1) * fade);
    if (f > 1) f = 1;
    if (f < 0) f = 0;
    step.fadevalue = f;
    const ShowCamera camera = crt_camera(cameraframe);
    camerazoom = camera.zoom;
    camerax = camera.x;
    cameray = camera.y;
    step.camera = cameraframe;
    for (int i = 0; i < 4; i++) step.rect[i] = camera.rect[i];
    cameraframe++;
    return step;
}

static void crt_begin(const TubeStep &step)
{
    FENK_SetFrameBuffer(screenbuffer_id);
    FENK_BindShader(postshader_id);
    FENK_SetShaderUniform1f(postshader_id, "time", step.time);
    FENK_SetShaderUniform1f(postshader_id, "fadevalue", step.fadevalue);
}

static void crt_draw(const int rect[4])
{
    // Blending is off here; the alpha test drops what the fade took to nothing.
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_DrawFrameBuffer(rect[0], rect[1], rect[2], rect[3], framebuffer_id);
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
}

void CRT_PostProcess(void)
{
    const TubeStep step = tube_step();
    crt_begin(step);
    crt_draw(step.rect);
    FENK_UnbindShader();
}

// ---- The timeline ----

static int step_of(uint64_t pos) { return (int)(pos / 100000); }

int timeline_pictures(uint64_t pos, ShowPicture pictures[SHOW_MAXPICTURES])
{
    int count = 0;
    if (pos > 480000 && pos <= 549999) pictures[count++] = {&bmp_title, 0};
    if (pos > 600000 && pos <= 2999999) {
        // The rotation runs by step, but starts on entry 5 and takes entry 4 for step 7.
        int n = step_of(pos);
        if (pos <= 699999) n = 5;
        if (pos <= 1499999 && n == 7) n = 4;
        pictures[count++] = {&bmp_revizid[n % 14], 1};
    }
    if (pos > 3100000 && pos <= 3199999) pictures[count++] = {&bmp_greetings, 0};
    if (pos > 3200000 && pos <= 3299999) pictures[count++] = {&bmp_greetings2, 0};
    if (pos > 3349999) pictures[count++] = {&bmp_revizid[14], 0};
    if (pos > 4200000) pictures[count++] = {&bmp_credits, 0};
    return count;
}

float timeline_fade(uint64_t pos, float value)
{
    if (pos <= 999999 && value < 1.0f) value += 0.001f;
    if (pos > 4400000 && value > 0.0f) value -= 0.002f;
    return value;
}

int timeline_captions(uint64_t pos, const char *lines[2])
{
    // Caption line by step; 0 for none.
    static const unsigned char by_step[37] = {0,  0,  0,  0,  0, 0,  1, 2,  3, 2, 3, 0, 4, 0,  5, 6,  7, 8, 9,
                                              10, 11, 12, 13, 0, 14, 0, 15, 1, 0, 3, 0, 4, 16, 0, 17, 0, 18};
    int count = 0;
    const int step = step_of(pos);
    if (step < 37 && by_step[step]) lines[count++] = show_captions[by_step[step]];
    if (pos > 4800000) lines[count++] = show_closingline;
    return count;
}

// ---- Start-up and the frame loop ----

// A picture by its name without the form, which show_webdata chooses.
static void load_picture(const char *name, s_bitmap *bitmap)
{
    char file[32];
    snprintf(file, sizeof file, "%s.%s", name, show_webdata ? "png" : "tga");
    if (show_webdata)
        FENK_LoadPNG(file, bitmap);
    else
        FENK_LoadBitmap(file, bitmap);
}

void LoadResources(void)
{
    load_picture("revizidbg", &bmp_background);
    load_picture("revizidtitle", &bmp_title);
    load_picture("revizidcredits", &bmp_credits);
    load_picture("revizidgreetings", &bmp_greetings);
    load_picture("revizidgreetings2", &bmp_greetings2);
    static const char *const rotation[15] = {"revizid0", "revizid8",  "revizid6",  "revizid3",  "revizid7",
                                             "revizid5", "revizid13", "revizid12", "revizid15", "revizid9",
                                             "revizid5", "revizid10", "revizid11", "revizid2",  "revizid4"};
    for (int i = 0; i < 15; i++) load_picture(rotation[i], &bmp_revizid[i]);
    FENK_LoadFont("panfont.tga", &myfont);
    FENK_SetFontSpacing(-5, &myfont);
}

// Every kind of draw the frames make, made once while loading into the scene's top-left
// pixel, which the first frame's background covers: a GL that builds its programs and
// pipeline states on first use (a browser's) builds them now, not in the middle of the
// music, where the page's one thread would leave the sound to run dry.
static void prepare_draws(void)
{
    FENK_SetFrameBuffer(framebuffer_id);
    FENK_SetClipRect(0, 0, 1, 1);
    FENK_DrawBitmap(0, 0, bmp_background);
    FENK_DrawAlphaBitmap(0, 0, bmp_revizid[0], 1.0f);
    FENK_DrawText(0, 0, myfont, "A");
    FENK_BindShader(postshader_id);
    FENK_SetShaderUniform1f(postshader_id, "time", 0);
    FENK_SetShaderUniform1f(postshader_id, "fadevalue", 1);
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_DrawFrameBuffer(0, 0, SHOW_SCREEN_WIDTH, SHOW_SCREEN_HEIGHT, screenbuffer_id);
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_UnbindShader();
    FENK_ResetClipRect();
}

// The mixer may end the music on the audio thread at any moment.
static int music_playing(void)
{
    soundsystem_lock();
    const int playing = demomusic.playing;
    soundsystem_unlock();
    return playing;
}

// The show's own pace (show/pace.h), the position the frame before read, the frames
// presented (a frame plan counts those) and the tube of the last step drawn.
static ShowPace pace;
static uint64_t lastpos;
static int presented;
static TubeStep tube;

// Runs the steps the music has gone on by since the frame before, all but the last
// undrawn: each ramps the fade at its share of the way from that frame's position to
// this one's and moves the tube on. Returns whether a step is left to draw (a frame that
// owes none draws the last step again).
static bool run_steps(uint64_t pos)
{
    const int steps = show_pacesteps(&pace, pos, demomusic.frequency, FENK_GetMillis());
    for (int i = 1; i < steps; i++) {
        const uint64_t at = pos > lastpos ? lastpos + (pos - lastpos) * i / steps : pos;
        fade = timeline_fade(at, fade);
        tube_step();
        currentframe++;
    }
    lastpos = pos;
    return steps > 0;
}

static void draw_frame(void)
{
    FENK_SetFrameBuffer(framebuffer_id);
    const uint64_t pos = Soundsystem_ReadSoundOffset(&demomusic);
    const bool step = run_steps(pos);
    ShowPicture pictures[SHOW_MAXPICTURES];
    const int count = timeline_pictures(pos, pictures);
    if (show_sceneneeded(presented, pictures, count)) {
        FENK_DrawBitmap(0, 0, bmp_background);
        for (int i = 0; i < count; i++) {
            if (pictures[i].alpha)
                FENK_DrawAlphaBitmap(SHOW_PICTURE_X, SHOW_PICTURE_Y, *pictures[i].bitmap, 1.0f);
            else
                FENK_DrawBitmap(SHOW_PICTURE_X, SHOW_PICTURE_Y, *pictures[i].bitmap);
        }
    }
    if (step) {
        fade = timeline_fade(pos, fade);
        tube = tube_step();
        currentframe++;
    }
    const char *lines[2];
    const int shown = timeline_captions(pos, lines);

    // A frame nobody sees may draw only parts of the screen (show/unseen.h).
    ShowParts parts;
    show_drawparts(presented, tube.camera, fade, &parts);
    crt_begin(tube);
    const bool drawtube = show_tubeneeded(presented, tube.fadevalue);
    for (int i = 0; drawtube && i < parts.count; i++) {
        show_clippart(&parts, i);
        crt_draw(tube.rect);
    }
    FENK_UnbindShader();

    // After the tube pass, so the captions stay sharp and straight.
    for (int i = 0; i < parts.count; i++) {
        show_clippart(&parts, i);
        for (int j = 0; j < shown; j++) FENK_DrawCenteredText(SHOW_CAPTION_Y, myfont, lines[j]);
    }
    if (parts.clipped) FENK_ResetClipRect();
}

// The music is the show's only clock. Should it stand still while marked playing (a
// sound device that stopped taking buffers), the show would show one moment for
// ever; it ends instead once the position has not moved for this long on the host
// clock and over this many frames, so that one long frame (a machine waking from
// sleep) cannot end it alone. A running mixer moves it every 46 ms; the margin is
// wide because a slow machine may take seconds to draw the first frames.
static const unsigned show_stallmillis = 30000;
static const int show_stallframes = 60;

int coremain(int, char **)
{
    corefile_mountimage("data", 2);
    FENK_InitVideo(show_videowidth, show_videoheight, show_videoflags);
    FENK_SetTitle("Gravolt - Zoppeldraai");
    framebuffer_id = FENK_CreateFrameBuffer(SHOW_SCENE_WIDTH, SHOW_SCENE_HEIGHT, FENK_FRAMEBUFFER_LINEAR);
    screenbuffer_id = FENK_CreateFrameBuffer(SHOW_SCREEN_WIDTH, SHOW_SCREEN_HEIGHT, FENK_FRAMEBUFFER_LINEAR);
    FENK_SetFrameBuffer(framebuffer_id);
    postshader_id = FENK_InitShader(vv_xcopy, ff_xcopy);
    FENK_SetPostShader(-1);
    Soundsystem_Init(44100, 16, 2);
    // The web page's music is Ogg Vorbis, decoded as it plays.
    const char *music = show_webdata ? "revizid.ogg" : "revizid.wav";
    if (!(show_webdata ? Soundsystem_StreamSound(music, &demomusic)
                       : Soundsystem_LoadSound(music, &demomusic))) {
        // The music is the show's only clock: without it nothing would ever move on.
        printf("- ERROR: The music %s could not be loaded; the show cannot run without it.\n", music);
        FENK_CloseVideo();
        return 1;
    }
    Soundsystem_PlayMusic(&demomusic, 0);
    LoadResources();
    prepare_draws();
    FENK_HideMouse();
    currentframe = 0;
    gameactive = 1;
    pace = ShowPace{};
    lastpos = 0;
    presented = 0;

    uint64_t heard = Soundsystem_ReadSoundOffset(&demomusic);
    unsigned heardat = FENK_GetMillis();
    int stillframes = 0, stalled = 0;
    do {
        // Escape still lets this frame be drawn and shown in full.
        int held = 0, pressed = 0;
        FENK_GetKeys(&held, &pressed);
        if (held & FENK_BUTTON_ESCAPE) gameactive = 0;
        FENK_WaitRefresh();
        draw_frame();
        FENK_SwapBuffers();
        presented++;

        const uint64_t pos = Soundsystem_ReadSoundOffset(&demomusic);
        if (pos != heard) {
            heard = pos;
            heardat = FENK_GetMillis();
            stillframes = 0;
        } else if (++stillframes >= show_stallframes && FENK_GetMillis() - heardat >= show_stallmillis) {
            stalled = 1;
        }
    } while (gameactive && !stalled && music_playing());

    if (stalled)
        printf("- ERROR: The music has not moved for %u s; the show ends.\n", show_stallmillis / 1000);
    FENK_CloseVideo();
    return stalled;
}
