#version 120
// The backdrop and the break: a picture on unit 0 and a second one on "mixTex".
//
// For the backdrop the second picture is the harbour by night, let in from the top down
// as night falls. "mixer" swings with the music from one frame to the next, so it only
// lights the night picture's highlights, as lights twinkle on water: a whole-screen change
// at that rate would strobe. The break passes an "anim" below zero and sets no second
// sampler, so it shows its own picture with the steady twinkle of mixer = 1.
//
// Both pictures are read from their top level: the layer covers the screen at about the
// pictures' own size, and one bilinear fetch costs the software renderer far less than a
// filtered pair of levels. Where night has covered the dusk picture, overlayNight.frag
// draws the same colour without reading it.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define picture(sampler, uv) texture2DLod(sampler, uv, 0.0)
#else
#define picture(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D tex;
uniform sampler2D mixTex;

varying vec2 uvBase;
varying vec2 uvMix;
varying vec2 screenPos;
varying vec2 nightBand;
varying float twinkle;

void main() {
    vec3 dusk = picture(tex, uvBase).rgb;
    vec3 night = picture(mixTex, uvMix).rgb;

    float share = 1.0 - smoothstep(nightBand.x, nightBand.y, uvBase.y);
    vec3 colour = mix(dusk, night, share);

    float light = max(max(night.r, night.g), night.b);
    colour += night * (twinkle * smoothstep(0.55, 0.95, light) * (0.15 + 0.25 * share));

    gl_FragColor = vec4(colour * (1.0 - 0.3 * dot(screenPos, screenPos)), 1.0);
}
