#version 120
// A swimmer: a wave runs from the head down the body to the tail, quicker with the music
// ("anim"), each creature a little out of step with the others. The creature's nose points
// along +x from x = 17.5, its back along +y and its flanks face z. The light is worked out
// here; the pixels only read the scales and light their veins.
attribute vec3 normal;
attribute vec2 texCoord;

uniform sampler2D tex;  // the palette on unit 0
uniform float anim;
uniform float powah;

varying vec2 skinUv;
varying vec3 body;   // the lit scales
varying vec3 veins;  // the glowing lines between them
varying vec3 sheen;  // added on top

const float nose = 17.5;
const float length = 30.8;
const vec3 lagoon = vec3(0.18, 0.7, 0.66);  // the harbour's sea green, in the sheen
const vec3 key = vec3(-0.3, 0.8, 0.5) / 0.9899;

vec3 palette(float u) { return texture2DLod(tex, vec2(u, 0.5), 0.0).rgb; }

void main() {
    vec4 p = gl_Vertex;
    vec3 n = normal;
    float along = clamp((nose - p.x) / length, 0.0, 1.0);  // 0 at the nose, 1 at the tail
    // Out of step by where the creature is in the view.
    float offset = dot(gl_ModelViewMatrix[3].xyz, vec3(0.021, 0.017, 0.013));
    float phase = along * 5.0 - anim * 0.16 + offset;
    float sway = along * along * 4.5;
    p.z += sin(phase) * sway;
    // Turn the normal with the body's slope so the light follows the bend.
    n.x -= n.z * (cos(phase) * 5.0 * sway + sin(phase) * 9.0 * along) / length;

    vec4 eye = gl_ModelViewMatrix * p;
    vec3 v = normalize(-eye.xyz);
    vec3 viewNormal = normalize(gl_NormalMatrix * n);
    float facing = max(dot(viewNormal, v), 0.0);
    float diffuse = max(dot(viewNormal, key), 0.0);
    float fresnel = pow(1.0 - facing, 2.0);
    float shine = pow(max(dot(reflect(-key, viewNormal), v), 0.0), 16.0);

    float beat = clamp(powah * 6.0, 0.0, 1.5);
    float hue = fract(offset * 0.1);
    float eyeSpot = step(texCoord.x, -0.5);
    body = palette(0.45 + 0.28 * along + 0.1 * hue) * (0.3 + 0.9 * diffuse);
    body = mix(body, vec3(0.05, 0.02, 0.06), eyeSpot);
    veins = palette(0.84) * (0.25 + 0.9 * beat);
    sheen = mix(lagoon, palette(0.9), facing) * fresnel * 0.6 + vec3(1.0, 0.92, 0.8) * shine * 0.5;

    // Round the body from the back; both flanks alike, and never atan(0, 0).
    skinUv = vec2(p.x / 20.0, atan(p.y, abs(p.z) + 0.01) * 0.3);
    gl_Position = gl_ProjectionMatrix * eye;
}
