// DOM key codes as the engine's virtual-key codes: a plain table with no browser in it,
// so the native tests check it as well.
#include "hosts/driver_web.h"

int fenk_web_virtualkey(int keycode, int location)
{
    // Letters, digits, F1..F24, the keypad and the arrows/editing keys already carry
    // the Windows numbers.
    if ((keycode >= 'A' && keycode <= 'Z') || (keycode >= '0' && keycode <= '9')) return keycode;
    if (keycode >= 0x70 && keycode <= 0x87) return keycode;
    if (keycode >= 0x60 && keycode <= 0x6F) return keycode;
    if (keycode >= 0x21 && keycode <= 0x28) return keycode;
    switch (keycode) {
    case 0x10: return location == 2 ? 0xA1 : 0xA0;
    case 0x11: return location == 2 ? 0xA3 : 0xA2;
    case 0x12: return location == 2 ? 0xA5 : 0xA4;
    case 0x08:
    case 0x09:
    case 0x0C:
    case 0x13:
    case 0x14:
    case 0x1B:
    case 0x20:
    case 0x2C:
    case 0x2D:
    case 0x2E:
    case 0x5B:
    case 0x5C:
    case 0x5D:
    case 0x90:
    case 0x91:
    case 0xBA:
    case 0xBB:
    case 0xBC:
    case 0xBD:
    case 0xBE:
    case 0xBF:
    case 0xC0:
    case 0xDB:
    case 0xDC:
    case 0xDD:
    case 0xDE: return keycode;
    case 0x0D: return 0x0D; // Enter, the keypad's too
    case 59: return 0xBA;   // ; in Firefox
    case 61: return 0xBB;   // = in Firefox
    case 173: return 0xBD;  // - in Firefox
    default: return 0;
    }
}
