#include "input/rawinput.h"

#include <cstdlib>
#include <cstring>

#include "platform/shared_word.h"

int FENK_keys[FENK_NUMKEYS];
int FENK_joykey;
int fenk_keycode;
int fenk_input_prevkeycode;
int fenk_input_mouse_mode;
int fenk_mouse_x;
int fenk_mouse_y;
int fenk_mouse_z;
int fenk_mouse_zdir;
int fenk_mouse_buttons;
unsigned char fenk_mouse_windowhide;
int fenk_keystruck[FENK_NUMKEYS];

namespace {

// The main thread writes these words while the show thread reads them (shared_word.h).

// Buttons that went down since the show thread last took them.
int mouse_tapped;
// Whether the program catches the window's close, and whether one came since.
int close_caught;
int close_asked;

struct MaskKey {
    int bit;
    int vk;
};

// In bit order; several keys may share a bit.
constexpr MaskKey mask_keys[] = {
    {0x0001, 0x26}, {0x0002, 0x28}, {0x0004, 0x25}, {0x0008, 0x27}, {0x0010, 0x20}, {0x0020, 0x11},
    {0x0040, 0x10}, {0x0080, 0x12}, {0x0080, 0x43}, {0x0100, 0x5A}, {0x0400, 0x58}, {0x1000, 0x0D},
    {0x1000, 0x31}, {0x2000, 0x08}, {0x2000, 0x2E}, {0x2000, 0x32}, {0x4000, 0x09}, {0x8000, 0x1B},
};

struct KeyCode {
    int vk;
    int code;
};

constexpr KeyCode key_codes[] = {
    {0x1B, 0xF000}, {0x26, 0xF001}, {0x28, 0xF002}, {0x25, 0xF003}, {0x27, 0xF004},
    {0x0D, 0xF010}, {0x10, 0xF011}, {0x20, 0xF012}, {0x11, 0xF013}, {0x12, 0xF014},
    {0x08, 0xF020}, {0x2D, 0xF021}, {0x2E, 0xF022}, {0x21, 0xF023}, {0x22, 0xF024},
    {0x24, 0xF025}, {0x23, 0xF026}, {0x14, 0xF027}, {0x09, 0xF028},
};
constexpr int vk_f1 = 0x70, vk_f12 = 0x7B, code_f1 = 0xF030;

// Key-mask bit of each joystick button, per layout; 0 = ignored.
constexpr int button_bits[3][14] = {
    {0x0010, 0x0020, 0x0040, 0x0080, 0x0100, 0x0400, 0x2000, 0x1000, 0x4000, 0x4000},
    {0x0040, 0x0010, 0x0020, 0x0080, 0x0100, 0x0400, 0x0200, 0x0800, 0x1000, 0x2000, 0x4000, 0x4000, 0x8000,
     0x1000},
    {0x0080, 0x0020, 0x0010, 0x0040, 0x0200, 0x0800, 0x0100, 0x0400, 0x1000, 0x2000, 0x4000, 0x4000},
};

} // namespace

int fenk_keymask(const int *keys)
{
    int mask = 0;
    for (const MaskKey &k : mask_keys)
        if (keys[k.vk]) mask |= k.bit;
    return mask;
}

int fenk_translatekeycode(int vk)
{
    for (const KeyCode &k : key_codes)
        if (k.vk == vk) return k.code;
    if (vk >= vk_f1 && vk <= vk_f12) return code_f1 + (vk - vk_f1);
    return vk;
}

int fenk_untranslatekeycode(int code)
{
    for (const KeyCode &k : key_codes)
        if (k.code == code) return k.vk;
    if (code >= code_f1 && code <= code_f1 + (vk_f12 - vk_f1)) return vk_f1 + (code - code_f1);
    return -1;
}

void fenk_rawinput_keydown(unsigned int wparam)
{
    int k = wparam & 0xFF;
    word_store(FENK_keys[k], 1);
    word_store(fenk_keycode, k);
}

void fenk_rawinput_keyup(unsigned int wparam)
{
    word_store(FENK_keys[wparam & 0xFF], 0);
    if (wparam == static_cast<unsigned int>(word_load(fenk_keycode))) {
        word_store(fenk_input_prevkeycode, 0);
        word_store(fenk_keycode, 0);
    }
}

// One step per message, whatever the size of the delta.
void fenk_rawinput_wheel(int delta)
{
    word_store(fenk_mouse_zdir, 0);
    if (delta < 0) {
        word_store(fenk_mouse_zdir, -1);
        word_store(fenk_mouse_z, word_load(fenk_mouse_z) - 1);
    } else if (delta > 0) {
        word_store(fenk_mouse_zdir, 1);
        word_store(fenk_mouse_z, word_load(fenk_mouse_z) + 1);
    }
}

void fenk_rawinput_button(int bit, int down)
{
    int buttons = word_load(fenk_mouse_buttons);
    word_store(fenk_mouse_buttons, down ? buttons | bit : buttons & ~bit);
    if (down) __atomic_fetch_or(&mouse_tapped, bit, __ATOMIC_RELEASE);
}

int fenk_mousetap_take(void) { return __atomic_exchange_n(&mouse_tapped, 0, __ATOMIC_ACQ_REL); }

int fenk_rawinput_close(void)
{
    if (!word_load_acquire(close_caught)) return 0;
    word_store_release(close_asked, 1);
    return 1;
}

int fenk_rawinput_closecaught(void) { return word_load_acquire(close_caught); }

// The program's side: both words change whole, so a close that comes while the program
// asks again is either told or cleared, never half.
void FENK_CatchClose(int on)
{
    word_store_release(close_asked, 0);
    word_store_release(close_caught, on ? 1 : 0);
}

int FENK_CloseRequested(void) { return word_load_acquire(close_asked); }

void fenk_rawinput_resetmouse(void)
{
    word_store(fenk_mouse_x, 0);
    word_store(fenk_mouse_y, 0);
    word_store(fenk_mouse_z, 0);
    word_store(fenk_mouse_zdir, 0);
    word_store(fenk_mouse_buttons, 0);
    word_store(mouse_tapped, 0);
}

void fenk_keytap_down(int *tapped, int code) { word_store_release(tapped[code & 0xFF], 1); }

int fenk_keytap_take(int *tapped, int code)
{
    int &word = tapped[code & 0xFF];
    // Most keys have no mark: a plain read spares them the exchange.
    const int struck = word_load(word) && __atomic_exchange_n(&word, 0, __ATOMIC_ACQ_REL);
    fenk_keystruck[code & 0xFF] = struck;
    return struck;
}

// Every host reads the key code and the wheel the same way.
int fenk_getkeycode(void) { return fenk_translatekeycode(word_load(fenk_keycode)); }

void fenk_getmousewheel(int *z, int *direction)
{
    *z = word_load(fenk_mouse_z);
    *direction = word_load(fenk_mouse_zdir);
    word_store(fenk_mouse_zdir, 0);
}

// 0..65535 becomes -128..128 around 0; the shift of a negative value is arithmetic.
int fenk_joystickaxis(unsigned int raw) { return (static_cast<int>(raw) - 32767) >> 8; }

int fenk_joysticklayout(int numbuttons)
{
    if (numbuttons == 10) return FENK_JOYSTICK_LAYOUT10;
    if (numbuttons == 14) return FENK_JOYSTICK_LAYOUT14;
    return FENK_JOYSTICK_LAYOUTOTHER;
}

int fenk_joystickbits(int layout, unsigned int pov, unsigned int buttons)
{
    int bits = 0;
    unsigned int p = pov / 100;
    if (p <= 360) { // a centred hat reads 655
        if (p <= 45 || p > 314) bits |= 0x0001;
        if (p > 134 && p <= 225) bits |= 0x0002;
        if (p > 44 && p <= 135) bits |= 0x0008;
        if (p > 224 && p <= 315) bits |= 0x0004;
    }
    if (layout < FENK_JOYSTICK_LAYOUT10 || layout > FENK_JOYSTICK_LAYOUTOTHER)
        layout = FENK_JOYSTICK_LAYOUTOTHER;
    const int *table = button_bits[layout - 1];
    for (int n = 0; n < 14; n++)
        if (buttons & (1u << n)) bits |= table[n];
    return bits;
}
