#version 120
// The backdrop and the break: a picture on unit 0 and a second one on "mixTex".
//
// For the backdrop the second picture is the harbour by night, let in from the top down
// as night falls. "mixer" swings with the music from one frame to the next, so it only
// lights the night picture's highlights, as lights twinkle on water: a whole-screen change
// at that rate would strobe. The break passes an "anim" below zero and sets no second
// sampler, so it shows its own picture with the steady twinkle of mixer = 1.
//
// Both pictures are read at their own size, the layer covering the screen at about the
// pictures' size: they are loaded as their top level alone, so that one bilinear fetch
// reads each, with no level to choose. Where night has covered the dusk picture,
// overlayNight.frag draws the same colour without reading it.

uniform sampler2D tex;
uniform sampler2D mixTex;

varying vec2 uvBase;
varying vec2 uvMix;
varying vec2 screenPos;
varying vec2 nightBand;
varying float twinkle;

void main() {
    vec3 dusk = texture2D(tex, uvBase).rgb;
    vec3 night = texture2D(mixTex, uvMix).rgb;

    float share = 1.0 - smoothstep(nightBand.x, nightBand.y, uvBase.y);
    vec3 colour = mix(dusk, night, share);

    float light = max(max(night.r, night.g), night.b);
    colour += night * (twinkle * smoothstep(0.55, 0.95, light) * (0.15 + 0.25 * share));

    gl_FragColor = vec4(colour * (1.0 - 0.3 * dot(screenPos, screenPos)), 1.0);
}
