#version 120
// A soft sprite from the gradient on unit 0, tinted by the harbour picture ("tex2") where
// the particle was born. The layer blends with the debug keys' factors (by default the
// destination times one plus this), so what it writes is a glow on what lies below.
uniform sampler2D tex;
uniform sampler2D tex2;

varying vec2 sprite;
varying vec2 tintAt;

void main() {
    vec4 glow = texture2D(tex, sprite);
    vec3 tint = texture2D(tex2, tintAt).rgb;
    float strength = glow.a * max(max(glow.r, glow.g), glow.b);
    gl_FragColor = vec4((tint * 0.7 + 0.3) * strength, strength);
}
