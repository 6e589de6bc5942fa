#version 120
// The sprite on unit 0 (the blob falloff, or the smoke puff for sparks) in the particle's
// colour. Sprites are small on screen, so one fetch from a half-size level does: the
// sprite pictures are loaded as that level alone.

uniform sampler2D tex;

varying vec2 corner;
varying vec4 tint;

void main() {
    vec4 s = texture2D(tex, corner);
    gl_FragColor = vec4(s.rgb * tint.rgb, s.a * tint.a);
}
