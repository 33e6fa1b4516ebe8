// The calls beside the original video set: the last frame's time and whether a shader
// is usable, with shaders read through the file layer.
#include <filesystem>
#include <fstream>

#include "files/core.h"
#include "scratch.h"
#include "stdout_capture.h"
#include "video_fixture.h"

namespace {

const char *vertex_ok = "#version 120\n"
                        "void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; }\n";
const char *fragment_green = "#version 120\n"
                             "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n";
// Compiles, but the vertex stage reads a varying the fragment stage never writes
// with that type: the link fails.
const char *vertex_varying = "#version 120\n"
                             "varying vec3 shade;\n"
                             "void main() { shade = vec3(1.0); gl_Position = gl_Vertex; }\n";
const char *fragment_varying = "#version 120\n"
                               "varying vec4 shade;\n"
                               "void main() { gl_FragColor = shade; }\n";

int quiet_init(const char *v, const char *f)
{
    int id = -1;
    printed([&] { id = FENK_InitShader(v, f); });
    return id;
}

} // namespace

TEST_F(VideoTest, FrameTimeIsTheClockBetweenPresentedFrames)
{
    fenk_headless_setclock(5000);
    present();
    fenk_headless_advanceclock(20);
    present();
    EXPECT_FLOAT_EQ(FENK_GetFrameTime(), 0.020f);
    // It holds between frames, whatever the clock does, and the basic swap counts too.
    fenk_headless_advanceclock(35);
    EXPECT_FLOAT_EQ(FENK_GetFrameTime(), 0.020f);
    FENK_SwapBuffersBasic();
    EXPECT_FLOAT_EQ(FENK_GetFrameTime(), 0.035f);
    // Across the 32-bit clock's wrap.
    fenk_headless_setclock(0xFFFFFFF0u);
    present();
    fenk_headless_setclock(0x100000010u);
    present();
    EXPECT_FLOAT_EQ(FENK_GetFrameTime(), 0.032f);

    // Paced at 60 frames a second the host's clock moves 16 or 17 ms a frame.
    fenk_headless_setframerate(60);
    present();
    present();
    EXPECT_NEAR(FENK_GetFrameTime(), 1.0f / 60, 0.001f);
}

TEST_F(VideoTest, ShaderReadySaysWhichShadersCompiledAndLinked)
{
    const int good = quiet_init(vertex_ok, fragment_green);
    const int uncompiled = quiet_init(vertex_ok, "#version 120\nvoid main() { gl_FragColor = nonsense; }\n");
    const int unlinked = quiet_init(vertex_varying, fragment_varying);
    ASSERT_GE(good, 0);
    ASSERT_GE(uncompiled, 0); // a failed shader still gets an id
    ASSERT_GE(unlinked, 0);
    EXPECT_EQ(FENK_ShaderReady(good), 1);
    EXPECT_EQ(FENK_ShaderReady(uncompiled), 0);
    EXPECT_EQ(FENK_ShaderReady(unlinked), 0);
    for (int id : {-1, FENK_numshaders, FENK_MAXSHADERS}) EXPECT_EQ(FENK_ShaderReady(id), 0) << id;

    // The ready one draws what it says.
    FENK_BindShader(good);
    FENK_Enable2D();
    FENK_DrawQuad(0, 0, video_width, video_height, 0, 0, 1, 1);
    FENK_UnbindShader();
    EXPECT_EQ(pixel(video_width / 2, video_height / 2), opaque_green);

    FENK_DeleteShader(good);
    EXPECT_EQ(FENK_ShaderReady(good), 0);

    // With the shading language off no shader is usable.
    const int id = quiet_init(vertex_ok, fragment_green);
    FENK_shaders_enabled = 0;
    EXPECT_EQ(FENK_ShaderReady(id), 0);
    FENK_shaders_enabled = 1;
    EXPECT_EQ(FENK_ShaderReady(id), 1);
}

TEST_F(VideoTest, LoadShaderReadsTheDataDirectoryFirst)
{
    const ScratchFolder scratch(current_test_tag());
    std::filesystem::create_directories(scratch / "data" / "shaders");
    std::ofstream(scratch / "data" / "shaders" / "plain.vs", std::ios::binary) << vertex_ok;
    std::ofstream(scratch / "data" / "shaders" / "green.fs", std::ios::binary) << fragment_green;
    std::ofstream(scratch / "outside.fs", std::ios::binary) << fragment_green;
    int mounted = 0;
    printed([&] {
        mounted = corefile_mountimage((scratch / "data").string().c_str(), COREFILE_MOUNT_DIRECTORY);
    });
    ASSERT_EQ(mounted, 1);

    int id = -1;
    // Member names, in any case, as every other load takes them.
    std::string output = printed([&] { id = FENK_LoadShader("shaders/plain.vs", "SHADERS/Green.fs"); });
    EXPECT_EQ(FENK_ShaderReady(id), 1) << output;
    EXPECT_NE(output.find("loading file for dir: "), std::string::npos) << output;

    // A path outside the data directory is still read as a plain file.
    const std::string outside = (scratch / "outside.fs").string();
    printed([&] { id = FENK_LoadShader("shaders/plain.vs", outside.c_str()); });
    EXPECT_EQ(FENK_ShaderReady(id), 1);

    // Missing in both: refused as before, with one line.
    output = printed([&] { id = FENK_LoadShader("shaders/plain.vs", "shaders/none.fs"); });
    EXPECT_EQ(id, -1);
    EXPECT_NE(output.find("Either vertex shader or fragment shader file not found."), std::string::npos);
    printed([] { corefile_closeimage(); });
}
