// Shader ids, the compiler's and linker's reports, files, uniforms and the switched-off
// shading language.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "video_fixture.h"
#include "stdout_capture.h"
#include "scratch.h"

namespace {

const char *vertex_source = "#version 120\n"
                            "void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; }\n";

const char *uniforms_source =
    "#version 120\n"
    "uniform int count;\n"
    "uniform float level;\n"
    "uniform vec2 pair;\n"
    "uniform vec3 triple;\n"
    "uniform vec4 colour;\n"
    "uniform float weights[3];\n"
    "void main() {\n"
    "    float w = weights[0] + weights[1] + weights[2];\n"
    "    gl_FragColor = colour + vec4(step(1000.0, float(count) * level * pair.x * triple.x * w));\n"
    "}\n";

std::string capture_init(const char *v, const char *f, int *id)
{
    StdoutCapture capture;
    *id = FENK_InitShader(v, f);
    return capture.finish();
}

std::vector<float> uniform(int id, const char *name, int n)
{
    std::vector<float> v(4);
    glGetUniformfv(FENK_shader[id].program, glGetUniformLocation(FENK_shader[id].program, name), v.data());
    v.resize(n);
    return v;
}

GLint current_program()
{
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

std::filesystem::path write_file(const ScratchFolder &folder, const char *name, const std::string &text)
{
    const auto path = folder / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

} // namespace

TEST_F(VideoTest, ShaderIdsAndMissingSources)
{
    int id = -2;
    const int next = FENK_numshaders;
    EXPECT_EQ(capture_init(vertex_source, uniforms_source, &id), "");
    EXPECT_EQ(id, next);

    // A missing source uses no id: the next success takes the one it would have had.
    EXPECT_EQ(capture_init(vertex_source, nullptr, &id),
              "Either vertex shader or fragment shader file not found.");
    EXPECT_EQ(id, -1);
    EXPECT_EQ(FENK_numshaders, next + 1);

    const ScratchFolder scratch(current_test_tag());
    const auto vpath = write_file(scratch, "fenk_video_test.vert", vertex_source);
    const auto fpath = write_file(scratch, "fenk_video_test.frag", uniforms_source);
    const auto empty = write_file(scratch, "fenk_video_test.empty", "");
    for (const char *missing : {"/nonexistent/fenk.frag", empty.c_str()}) {
        StdoutCapture capture;
        EXPECT_EQ(FENK_LoadShader(vpath.c_str(), missing), -1);
        EXPECT_EQ(capture.finish(), "Either vertex shader or fragment shader file not found.");
    }
    StdoutCapture capture;
    EXPECT_EQ(FENK_LoadShader(vpath.c_str(), fpath.c_str()), next + 1);
    EXPECT_EQ(capture.finish(), "");

    // The table never overruns: the 65th program is refused.
    const int saved = FENK_numshaders;
    FENK_numshaders = FENK_MAXSHADERS;
    EXPECT_EQ(capture_init(vertex_source, uniforms_source, &id),
              "- ERROR: Shader not created, all 64 in use.\n");
    EXPECT_EQ(id, -1);
    EXPECT_EQ(FENK_numshaders, FENK_MAXSHADERS);
    FENK_numshaders = saved;
}

TEST_F(VideoTest, CompileAndLinkErrorsAreReportedAndTheIdKept)
{
    int id = -2;
    const int next = FENK_numshaders;
    const std::string broken =
        capture_init(vertex_source, "#version 120\nvoid main() { gl_FragColor = ; }\n", &id);
    EXPECT_EQ(id, next);
    const std::string compiler =
        "Shader " + std::to_string(FENK_shader[id].fragment) + ",fragmentshader,compiler error: ";
    EXPECT_EQ(broken.rfind(compiler, 0), 0u) << broken;
    EXPECT_NE(broken.find("Program " + std::to_string(FENK_shader[id].program) + ",link error: "),
              std::string::npos)
        << broken;
    EXPECT_EQ(broken.find("vertexshader"), std::string::npos);
    FENK_BindShader(id); // GL rejects the broken program; nothing else happens
    glGetError();

    // Both stages compile, but the fragment stage reads a varying nobody writes.
    const std::string unlinked = capture_init(
        vertex_source, "#version 120\nvarying vec4 missing;\nvoid main() { gl_FragColor = missing; }\n", &id);
    EXPECT_EQ(id, next + 1);
    EXPECT_EQ(unlinked.find("compiler error"), std::string::npos) << unlinked;
    EXPECT_EQ(unlinked.rfind("Program " + std::to_string(FENK_shader[id].program) + ",link error: ", 0), 0u)
        << unlinked;
    EXPECT_NE(unlinked.find("Error validating shader " + std::to_string(FENK_shader[id].program) + "\n"),
              std::string::npos)
        << unlinked;
}

TEST_F(VideoTest, UniformsAreSetByNameOnTheirProgram)
{
    int id = -1;
    ASSERT_EQ(capture_init(vertex_source, uniforms_source, &id), "");
    FENK_UnbindShader();
    EXPECT_EQ(current_program(), 0);

    FENK_SetShaderUniform1i(id, "count", 7);
    EXPECT_EQ(current_program(), static_cast<GLint>(FENK_shader[id].program));
    GLint count = 0;
    glGetUniformiv(FENK_shader[id].program, glGetUniformLocation(FENK_shader[id].program, "count"), &count);
    EXPECT_EQ(count, 7);
    FENK_SetShaderUniform1f(id, "level", 0.5f);
    FENK_SetShaderUniform2f(id, "pair", 1, 2);
    FENK_SetShaderUniform3f(id, "triple", 3, 4, 5);
    FENK_SetShaderUniform4f(id, "colour", 0, 1, 0, 1);
    const float weights[3] = {0.25f, 0.5f, 0.75f};
    FENK_SetShaderUniform1fv(id, "weights", 3, weights);
    EXPECT_EQ(uniform(id, "level", 1), std::vector<float>({0.5f}));
    EXPECT_EQ(uniform(id, "pair", 2), std::vector<float>({1, 2}));
    EXPECT_EQ(uniform(id, "triple", 3), std::vector<float>({3, 4, 5}));
    EXPECT_EQ(uniform(id, "colour", 4), std::vector<float>({0, 1, 0, 1}));
    EXPECT_EQ(uniform(id, "weights[2]", 1), std::vector<float>({0.75f}));

    // A name the program does not use changes nothing and says nothing.
    StdoutCapture capture;
    FENK_SetShaderUniform1f(id, "nothing", 3);
    EXPECT_EQ(capture.finish(), "");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // The program draws with its uniform colour and stays current until unbound.
    FENK_DrawQuad(0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(4, 4), opaque_green);
    FENK_UnbindShader();
    FENK_DrawQuad(0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(4, 4), opaque_white);

    // Ids outside the table do nothing.
    FENK_BindShader(-1);
    FENK_BindShader(FENK_numshaders);
    FENK_SetShaderUniform1f(FENK_MAXSHADERS + 5, "level", 1);
    EXPECT_EQ(current_program(), 0);

    const s_shader deleted = FENK_shader[id];
    FENK_DeleteShader(id);
    EXPECT_FALSE(glIsProgram(deleted.program));
    EXPECT_FALSE(glIsShader(deleted.vertex));
    EXPECT_FALSE(glIsShader(deleted.fragment));

    // A later program may be given the freed names; the old id must not reach it.
    int later = -1;
    ASSERT_EQ(capture_init(vertex_source, uniforms_source, &later), "");
    FENK_UnbindShader();
    FENK_DeleteShader(id);
    FENK_BindShader(id);
    FENK_SetShaderUniform4f(id, "colour", 1, 0, 0, 1);
    EXPECT_EQ(current_program(), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(glIsProgram(FENK_shader[later].program));
    FENK_SetShaderUniform4f(later, "colour", 0, 0, 1, 1);
    FENK_DrawQuad(0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(4, 4), opaque_blue);
    FENK_UnbindShader();
}

// Where the fixed alpha test is skipped under a program (WebGL), a program declaring
// fenk_alphatest gets the render state's alpha test through it: set when it is bound,
// and again whenever the state changes while it is bound.
TEST_F(VideoTest, AlphaTestStateReachesTheBoundProgramsUniform)
{
    const char *fragment = "uniform float fenk_alphatest;\n"
                           "void main() {\n"
                           "    gl_FragColor = vec4(1.0, 1.0, 1.0, 0.0);\n"
                           "    if (fenk_alphatest > 0.5 && gl_FragColor.a <= 0.0) discard;\n"
                           "}\n";
    int id = -1;
    capture_init(vertex_source, fragment, &id);
    ASSERT_GE(id, 0);
    int plain = -1;
    capture_init(vertex_source, uniforms_source, &plain);
    ASSERT_GE(plain, 0);

    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_BindShader(id);
    EXPECT_EQ(uniform(id, "fenk_alphatest", 1)[0], 1.0f);
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
    EXPECT_EQ(uniform(id, "fenk_alphatest", 1)[0], 0.0f);
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    EXPECT_EQ(uniform(id, "fenk_alphatest", 1)[0], 1.0f);
    // A program without the uniform is bound and drawn with as before, without errors.
    FENK_BindShader(plain);
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
    EXPECT_EQ(uniform(id, "fenk_alphatest", 1)[0], 1.0f) << "only the bound program is told";
    FENK_UnbindShader();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(0));
}

TEST_F(VideoTest, WithoutShadingLanguageShaderCallsDoNothing)
{
    int id = -1;
    ASSERT_EQ(capture_init(vertex_source, uniforms_source, &id), "");
    FENK_UnbindShader();
    FENK_shaders_enabled = 0;

    // Ids are still handed out, sources or not.
    int blank = -1;
    EXPECT_EQ(capture_init(nullptr, nullptr, &blank), "");
    EXPECT_EQ(blank, id + 1);
    FENK_BindShader(id);
    FENK_SetShaderUniform4f(id, "colour", 1, 0, 0, 1);
    EXPECT_EQ(current_program(), 0);

    // Presentation draws the frame buffer plainly even with a post shader set.
    FENK_ClearFrameBuffer(opaque_blue);
    FENK_SetPostShader(id);
    FENK_SetFadeValue(0);
    EXPECT_EQ(present().picture.at(1, 1), opaque_blue);
    FENK_shaders_enabled = 1;
    FENK_SetPostShader(-1);
}
