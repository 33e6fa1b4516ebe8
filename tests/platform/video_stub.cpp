// Test-only stand-in for the video unit's flag, which the hosts set once GLEW is
// loaded. Built only while the video unit is not part of the engine.
extern "C" {
int FENK_shaders_enabled;
}
