#version 120
// The backdrop and the break: a picture on unit 0 and a second one on "mixTex".
//
// The backdrop's second picture is the harbour by night. Once the groove starts, night
// falls from the top of the sky down to the water ("anim" moves smoothly), and in the
// long run dusk comes back a little and goes again. "mixer" swings with the music from
// one frame to the next, so it only lights the night picture's highlights, as lights
// twinkle on water: a whole-screen change at that rate would strobe. The break passes an
// "anim" below zero and no second sampler, so it shows its own picture with the steady
// twinkle of mixer = 1.
uniform sampler2D tex;
uniform sampler2D mixTex;
uniform float anim;
uniform float mixer;

varying vec2 uvBase;
varying vec2 uvMix;
varying vec2 screenPos;

void main() {
    vec3 dusk = texture2D(tex, uvBase, -0.5).rgb;
    vec3 night = texture2D(mixTex, uvMix, -0.5).rgb;

    float nightfall = smoothstep(1.3, 2.9, anim);
    nightfall -= 0.35 * step(2.9, anim) * (0.5 - 0.5 * cos((anim - 2.9) * 0.3));
    float front = nightfall * 1.5 - 0.25;
    float share = 1.0 - smoothstep(front - 0.25, front + 0.25, uvBase.y);
    vec3 colour = mix(dusk, night, share);

    float light = max(max(night.r, night.g), night.b);
    float twinkle = clamp(mixer * 0.25, 0.0, 1.0) * smoothstep(0.55, 0.95, light);
    colour += night * twinkle * (0.15 + 0.25 * share);

    float vignette = 1.0 - 0.3 * dot(screenPos, screenPos);
    gl_FragColor = vec4(colour * vignette, 1.0);
}
