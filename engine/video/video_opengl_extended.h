/* GLSL programs kept in one table and named by their index, the shader id. */
#ifndef FENK_VIDEO_VIDEO_OPENGL_EXTENDED_H
#define FENK_VIDEO_VIDEO_OPENGL_EXTENDED_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FENK_MAXSHADERS 64
/* Info logs are read into buffers of this size, terminator included. */
#define FENK_SHADERLOGSIZE 512

typedef struct s_shader {
    uint32_t program;
    uint32_t vertex;
    uint32_t fragment;
} s_shader;

extern s_shader FENK_shader[FENK_MAXSHADERS];
extern int FENK_numshaders;

extern const char *vv_defaultpostshader;
extern const char *ff_defaultpostshader;

/* Each returns the new shader id, or -1 when a source is missing or the table is full. */
int FENK_InitShader(const char *vsrc, const char *fsrc);
int FENK_LoadShader(const char *vpath, const char *fpath);
int FENK_InitDefaultPostShader(void);
/* 1 when the shader's two stages compiled and its program linked, so binding it draws;
 * 0 for one that failed (its id is still given and takes a slot), a deleted one, an
 * id out of range, or with the shading language off. */
int FENK_ShaderReady(int id);
void FENK_DeleteShader(int id);
void FENK_BindShader(int id);
void FENK_UnbindShader(void);

void FENK_SetShaderUniform1i(int id, const char *name, int value);
void FENK_SetShaderUniform1f(int id, const char *name, float value);
void FENK_SetShaderUniform2f(int id, const char *name, float a, float b);
void FENK_SetShaderUniform3f(int id, const char *name, float a, float b, float c);
void FENK_SetShaderUniform4f(int id, const char *name, float a, float b, float c, float d);
void FENK_SetShaderUniform1fv(int id, const char *name, int count, const float *values);

#ifdef __cplusplus
}
#endif

#endif
