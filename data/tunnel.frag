#version 120
// The stone under the light the vertices worked out. The stone is read from its half-size
// level whatever the distance: a level that changes from pixel to pixel costs the software
// renderer far more, and far off the vertices have already faded the detail out.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define stoneAt(sampler, uv) texture2DLod(sampler, uv, 1.0)
#else
#define stoneAt(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D rockTex;

varying vec2 uv;
varying vec3 scale;
varying vec3 offset;

void main() { gl_FragColor = vec4(stoneAt(rockTex, uv).rgb * scale + offset, 1.0); }
