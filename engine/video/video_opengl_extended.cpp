// GLSL programs: compile and link with the compiler's and linker's logs printed, load
// sources from text files, bind, and set uniforms by name.
#include "video/video_opengl_extended.h"
#include "platform/log.h"

#include "platform/platform.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/core.h"
#include "video/fenk.h"
#include "video/glstate.h"

s_shader FENK_shader[FENK_MAXSHADERS];
int FENK_numshaders;

const char *vv_defaultpostshader = "#version 120\n"
                                   "varying vec2 texCoord;\n"
                                   "void main()\n"
                                   "{\n"
                                   "    texCoord = gl_MultiTexCoord0.xy;\n"
                                   "    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
                                   "}\n";

// Odd rows, counted from the bottom of the picture, are darkened by scanlinevalue;
// then everything is scaled by fadevalue.
const char *ff_defaultpostshader = "#version 120\n"
                                   "uniform sampler2D fbo_texture;\n"
                                   "uniform sampler2D fbo_depth;\n"
                                   "uniform float width;\n"
                                   "uniform float height;\n"
                                   "uniform float fadevalue;\n"
                                   "uniform float scanlinevalue;\n"
                                   "varying vec2 texCoord;\n"
                                   "void main()\n"
                                   "{\n"
                                   "    vec4 c = texture2D(fbo_texture, texCoord);\n"
                                   "    float row = floor(texCoord.y * height);\n"
                                   "    vec4 colour = c;\n"
                                   "    if (mod(row, 2.0) >= 1.0)\n"
                                   "        colour = c * (1.0 - scanlinevalue);\n"
                                   "    gl_FragColor = colour * fadevalue;\n"
                                   "}\n";

namespace {

// A deleted entry holds no program, so a second delete or a late bind cannot reach a
// GL object that has since been given the same name.
bool valid_shader(int id)
{
    return FENK_shaders_enabled && id >= 0 && id < FENK_numshaders && FENK_shader[id].program != 0;
}

void validateShader(GLuint object, const char *label)
{
    char log[FENK_SHADERLOGSIZE] = {0};
    GLsizei length = 0;
    glGetShaderInfoLog(object, FENK_SHADERLOGSIZE, &length, log);
    if (length > 0)
        fenk_log(FENK_LOG_ERROR, "Shader %d,%s,compiler error: %s\n", static_cast<int>(object),
                 label ? label : "", log);
}

void validateProgram(GLuint program)
{
    char log[FENK_SHADERLOGSIZE] = {0};
    GLsizei length = 0;
    glGetProgramInfoLog(program, FENK_SHADERLOGSIZE, &length, log);
    if (length > 0) fenk_log(FENK_LOG_ERROR, "Program %d,link error: %s\n", static_cast<int>(program), log);
    glValidateProgram(program);
    GLint status = 0;
    glGetProgramiv(program, GL_VALIDATE_STATUS, &status);
    if (status == 0) fenk_log(FENK_LOG_ERROR, "Error validating shader %d\n", static_cast<int>(program));
}

// A member of the mounted data directory as a text the caller frees, or null where
// there is no such member or it is empty.
char *memberRead(const char *name)
{
    if (!corefile_image.path) return nullptr;
    s_corefile file = {};
    if (!corefile_open(name, &file, 0)) return nullptr;
    const int size = corefile_fsize(&file);
    char *text = size > 0 ? static_cast<char *>(calloc(static_cast<size_t>(size) + 1, 1)) : nullptr;
    if (text) corefile_read(text, 1, size, &file);
    corefile_close(&file);
    return text;
}

// The whole file as a text the caller frees, or null for a missing or empty file. The
// file layer is asked first; a path it does not hold is read as a plain file, as it
// always was, so a path relative to the working directory still works.
char *textFileRead(const char *path)
{
    if (!path) return nullptr;
    if (char *text = memberRead(path)) return text;
    FILE *file = fopen(path, "rt");
    if (!file) return nullptr;
    char *text = nullptr;
    if (fseek(file, 0, SEEK_END) == 0) {
        const long size = ftell(file);
        rewind(file);
        if (size > 0) {
            text = static_cast<char *>(malloc(static_cast<size_t>(size) + 1));
            if (text) {
                const size_t got = fread(text, 1, static_cast<size_t>(size), file);
                text[got] = 0;
            }
        }
    }
    fclose(file);
    return text;
}

// Each program's `fenk_alphatest` uniform (-1: none) and the program bound through
// FENK_BindShader (-1: none).
GLint alphatest_location[FENK_MAXSHADERS];
int bound_shader = -1;

void unbind_alphatest()
{
    bound_shader = -1;
    fenk_boundalphatest = -1;
}

// An OpenGL ES context (WebGL's, under the legacy GL emulation) puts declarations of its
// own ahead of a shader's source, where a #version directive is no longer allowed.
bool takes_version_directive()
{
    const char *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
    return !version || strncmp(version, "OpenGL ES", 9) != 0;
}

// A copy of `source` with a leading #version line blanked (the line kept, so the
// compiler's line numbers stay those of the source); the caller frees it.
char *without_version(const char *source)
{
    char *copy = strdup(source);
    if (!copy) return nullptr;
    char *at = copy;
    while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n') at++;
    if (strncmp(at, "#version", 8) == 0)
        for (; *at && *at != '\n'; at++) *at = ' ';
    return copy;
}

GLint uniform_location(int id, const char *name)
{
    FENK_BindShader(id);
    return glGetUniformLocation(FENK_shader[id].program, name);
}

} // namespace

static int glslavailable(void)
{
    return glActiveTexture && glCreateShader && glShaderSource && glCompileShader && glGetShaderInfoLog &&
           glGetShaderiv && glCreateProgram && glAttachShader && glLinkProgram && glGetProgramInfoLog &&
           glValidateProgram && glGetProgramiv && glUseProgram && glGetUniformLocation && glUniform1i &&
           glUniform1f && glUniform2f && glUniform3f && glUniform4f && glUniform1fv && glDetachShader &&
           glDeleteShader && glDeleteProgram;
}

// Loads GLEW's entry points for the host's new, current context, with the start-up
// messages, and turns shaders on only where the context has every entry point the
// shader calls use (a plain OpenGL 1.1 driver presents without the post shader).
void fenk_startglew(void)
{
    fenk_log(FENK_LOG_INFO, "[FENK] Init Glew");
    glewExperimental = GL_TRUE;
    GLenum status = glewInit();
    // GLEW built for GLX also looks for a GLX display after loading the context's entry
    // points; a context made through EGL has none, and that answer is no error.
#ifdef GLEW_ERROR_NO_GLX_DISPLAY
    if (status == GLEW_ERROR_NO_GLX_DISPLAY) status = GLEW_OK;
#endif
    if (status != GLEW_OK) fenk_log(FENK_LOG_ERROR, "\nError Initing Glew");
    fenk_log(FENK_LOG_INFO, "\nReady for GLSL");
    FENK_shaders_enabled = glslavailable();
}

int FENK_InitShader(const char *vsrc, const char *fsrc)
{
    const int id = FENK_numshaders;
    if (id >= FENK_MAXSHADERS) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: Shader not created, all %d in use.\n", FENK_MAXSHADERS);
        return -1;
    }
    if (FENK_shaders_enabled) {
        if (!vsrc || !fsrc) {
            // Checked before any GL object exists, so a refused slot leaks nothing.
            fenk_logtext(FENK_LOG_ERROR, "Either vertex shader or fragment shader file not found.");
            return -1;
        }
        s_shader &entry = FENK_shader[id];
        entry.vertex = glCreateShader(GL_VERTEX_SHADER);
        entry.fragment = glCreateShader(GL_FRAGMENT_SHADER);
        char *vcopy = nullptr, *fcopy = nullptr;
        if (!takes_version_directive()) {
            vcopy = without_version(vsrc);
            fcopy = without_version(fsrc);
        }
        const char *vtext = vcopy ? vcopy : vsrc;
        const char *ftext = fcopy ? fcopy : fsrc;
        glShaderSource(entry.vertex, 1, &vtext, nullptr);
        glShaderSource(entry.fragment, 1, &ftext, nullptr);
        free(vcopy);
        free(fcopy);
        glCompileShader(entry.vertex);
        validateShader(entry.vertex, "vertexshader");
        glCompileShader(entry.fragment);
        validateShader(entry.fragment, "fragmentshader");
        entry.program = glCreateProgram();
        glAttachShader(entry.program, entry.fragment);
        glAttachShader(entry.program, entry.vertex);
        glLinkProgram(entry.program);
        validateProgram(entry.program);
        // A program that failed to link has no uniforms to ask for.
        GLint linked = 0;
        glGetProgramiv(entry.program, GL_LINK_STATUS, &linked);
        alphatest_location[id] = linked ? glGetUniformLocation(entry.program, "fenk_alphatest") : -1;
    }
    FENK_numshaders += 1;
    return id;
}

int FENK_LoadShader(const char *vpath, const char *fpath)
{
    char *vsrc = textFileRead(vpath);
    char *fsrc = textFileRead(fpath);
    const int id = FENK_InitShader(vsrc, fsrc);
    free(vsrc);
    free(fsrc);
    return id;
}

int FENK_ShaderReady(int id)
{
    if (!valid_shader(id)) return 0;
    const s_shader &entry = FENK_shader[id];
    GLint vertex = 0, fragment = 0, linked = 0;
    glGetShaderiv(entry.vertex, GL_COMPILE_STATUS, &vertex);
    glGetShaderiv(entry.fragment, GL_COMPILE_STATUS, &fragment);
    glGetProgramiv(entry.program, GL_LINK_STATUS, &linked);
    return vertex && fragment && linked ? 1 : 0;
}

int FENK_InitDefaultPostShader(void) { return FENK_InitShader(vv_defaultpostshader, ff_defaultpostshader); }

void FENK_DeleteShader(int id)
{
    if (!valid_shader(id)) return;
    s_shader &entry = FENK_shader[id];
    glDetachShader(entry.program, entry.fragment);
    glDetachShader(entry.program, entry.vertex);
    glDeleteShader(entry.fragment);
    glDeleteShader(entry.vertex);
    glDeleteProgram(entry.program);
    entry = s_shader{};
    alphatest_location[id] = -1;
    if (bound_shader == id) unbind_alphatest();
}

void FENK_BindShader(int id)
{
    if (!valid_shader(id)) return;
    glUseProgram(FENK_shader[id].program);
    bound_shader = id;
    fenk_boundalphatest = alphatest_location[id];
    fenk_shaderalphatest();
}

void FENK_UnbindShader(void)
{
    if (!FENK_shaders_enabled) return;
    glUseProgram(0);
    unbind_alphatest();
}

void FENK_SetShaderUniform1i(int id, const char *name, int value)
{
    if (valid_shader(id)) glUniform1i(uniform_location(id, name), value);
}

void FENK_SetShaderUniform1f(int id, const char *name, float value)
{
    if (valid_shader(id)) glUniform1f(uniform_location(id, name), value);
}

void FENK_SetShaderUniform2f(int id, const char *name, float a, float b)
{
    if (valid_shader(id)) glUniform2f(uniform_location(id, name), a, b);
}

void FENK_SetShaderUniform3f(int id, const char *name, float a, float b, float c)
{
    if (valid_shader(id)) glUniform3f(uniform_location(id, name), a, b, c);
}

void FENK_SetShaderUniform4f(int id, const char *name, float a, float b, float c, float d)
{
    if (valid_shader(id)) glUniform4f(uniform_location(id, name), a, b, c, d);
}

void FENK_SetShaderUniform1fv(int id, const char *name, int count, const float *values)
{
    if (valid_shader(id)) glUniform1fv(uniform_location(id, name), count, values);
}
