#version 120
// Read from the picture's top level: it covers the screen at about its own size, and one
// bilinear fetch costs the software renderer far less than a filtered pair of levels.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define picture(sampler, uv) texture2DLod(sampler, uv, 0.0)
#else
#define picture(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D tex;

varying vec2 uv;

void main() { gl_FragColor = picture(tex, uv); }
