#version 120
// overlay.frag where night has covered the dusk picture (its share is 1): the same
// colour without reading the dusk picture at all. The backdrop draws it only over the rows
// above the night band's upper edge (backdropNightFrom).

uniform sampler2D mixTex;

varying vec2 uvMix;
varying vec2 screenPos;
varying float twinkle;

void main() {
    vec3 night = texture2D(mixTex, uvMix).rgb;  // its top level alone
    float light = max(max(night.r, night.g), night.b);
    vec3 colour = night + night * (twinkle * smoothstep(0.55, 0.95, light) * 0.4);
    gl_FragColor = vec4(colour * (1.0 - 0.3 * dot(screenPos, screenPos)), 1.0);
}
