// What the consumer draws: the headless check reads it back.
#pragma once

// Bytes red, green, blue, alpha from the low byte up, as FENK_ClearFrameBuffer takes it.
#define CONSUMER_COLOUR 0xFF30C060u
// The same colour as 0xRRGGBB.
#define CONSUMER_RGB 0x60C030u
#define CONSUMER_FRAMES 5
