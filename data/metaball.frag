#version 120
// A soft sprite from the gradient on unit 0 in the particle's colour. The layer blends
// with the debug keys' factors (by default the destination times one plus this), so what
// it writes is a glow on what lies below. The sprite is small on screen and smooth, so one
// fetch from its half-size level does.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define spriteAt(sampler, uv) texture2DLod(sampler, uv, 1.0)
#else
#define spriteAt(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D tex;

varying vec2 sprite;
varying vec3 tint;

void main() {
    vec4 glow = spriteAt(tex, sprite);
    float strength = glow.a * max(max(glow.r, glow.g), glow.b) * 0.85;
    gl_FragColor = vec4(tint * strength, strength);
}
