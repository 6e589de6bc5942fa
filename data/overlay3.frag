#version 120
// Cards are magnified onto the screen, so their top level is all that is ever read.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define picture(sampler, uv) texture2DLod(sampler, uv, 0.0)
#else
#define picture(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D tex;
uniform float fader;

varying vec2 uv;

void main() {
    vec4 card = picture(tex, uv);
    gl_FragColor = vec4(card.rgb, card.a * fader);
}
