// The pictures: each scene renders a float picture of the given size. The rotation
// pictures are 768 x 768; the background is the whole 2844 x 1600 scene.
#pragma once

#include "picture.h"

namespace makedata {

constexpr int picture_size = 768;
constexpr int background_width = 2844;
constexpr int background_height = 1600;
// Where the show puts every picture on the background: its centre square.
constexpr int picture_x = 1038;
constexpr int picture_y = 416;

// Ray-traced and ray-marched objects.
Picture scene_spheres(int w, int h); // chrome and glass-like balls on a checker floor
Picture scene_torus(int w, int h);   // a twisted ceramic ring over a dark floor
Picture scene_blobs(int w, int h);   // pearly metaballs in a violet haze
Picture scene_sponge(int w, int h);  // a Menger sponge in stone light

// Landscapes and space.
Picture scene_ridges(int w, int h); // mountain ridges at dusk over a lake
Picture scene_aurora(int w, int h); // northern lights over a frozen lake
Picture scene_planet(int w, int h); // a ringed gas giant with a moon
Picture scene_sunset(int w, int h); // a striped sun over a neon grid

// Mathematics and old-school effects.
Picture scene_mandelbrot(int w, int h); // a deep zoom into the seahorse valley
Picture scene_julia(int w, int h);      // a silver Julia filament
Picture scene_plasma(int w, int h);     // lit sine plasma
Picture scene_tunnel(int w, int h);     // a neon tube tunnel towards a light
Picture scene_rosette(int w, int h);    // a stained-glass rose window

// Words.
Picture scene_letters(int w, int h); // the show's name as stacked long-shadow letters
Picture scene_title(int w, int h);
Picture scene_credits(int w, int h);
Picture scene_greetings(int w, int h);
Picture scene_greetings2(int w, int h);
Picture scene_background(int w, int h);

} // namespace makedata
