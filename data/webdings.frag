#version 120
// Palette (unit 0) along the body over the wall texture's grain ("rockTex", unit 1), lit
// by a warm key and a teal rim from the harbour.
uniform sampler2D tex;
uniform sampler2D rockTex;

varying vec3 viewNormal;
varying vec3 viewPos;
varying vec2 skin;

void main() {
    vec3 n = normalize(viewNormal);
    vec3 v = normalize(-viewPos);
    vec3 key = normalize(vec3(-0.4, 0.8, 0.45));
    float diffuse = max(dot(n, key), 0.0);
    float rim = pow(1.0 - max(dot(n, v), 0.0), 3.0);
    vec3 paint = texture2D(tex, vec2(0.25 + 0.5 * skin.y, 0.5)).rgb;
    float grain = texture2D(rockTex, skin * 2.0).r;
    vec3 colour = paint * (0.2 + 0.8 * diffuse) * (0.75 + 0.35 * grain) +
                  vec3(0.12, 0.42, 0.5) * rim * 0.6;
    gl_FragColor = vec4(colour, 1.0);
}
