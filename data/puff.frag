#version 120
// Smoke lit warm from below by the stage. Puffs stay a few dozen pixels across, so the
// sprite's half-size level serves them all, and one level for every pixel keeps the fetch
// cheap on the software renderer.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define spriteAt(sampler, uv) texture2DLod(sampler, uv, 1.0)
#else
#define spriteAt(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D tex;

varying vec2 uv;
varying float alpha;

void main() {
    vec4 puff = spriteAt(tex, uv);
    gl_FragColor = vec4(puff.rgb * vec3(0.95, 0.82, 0.72), puff.a * alpha);
}
