#version 120
// A swimmer: a wave runs from the head down the body to the tail, quicker with the music
// ("anim"), each creature a little out of step with the others. The creature's nose points
// along +x, its back along +y and its flanks face z. The light is worked out here; the
// pixels only read the scales and light their veins.
attribute vec3 normal;
attribute vec2 texCoord;

uniform sampler2D tex;  // the palette on unit 0
uniform float anim;
uniform float powah;

varying vec2 skinUv;
varying vec3 body;   // the lit scales
varying vec3 veins;  // the glowing lines between them
varying vec3 sheen;  // added on top

vec3 palette(float u) { return texture2DLod(tex, vec2(u, 0.5), 0.0).rgb; }

void main() {
    vec4 p = gl_Vertex;
    vec3 n = normal;
    float along = clamp((12.5 - p.x) / 22.0, 0.0, 1.0);  // 0 at the nose, 1 at the tail
    // Out of step by where the creature is in the view.
    float offset = dot(gl_ModelViewMatrix[3].xyz, vec3(0.021, 0.017, 0.013));
    float phase = along * 5.0 - anim * 0.16 + offset;
    float sway = along * along * 3.2;
    p.z += sin(phase) * sway;
    // Turn the normal with the body's slope so the light follows the bend.
    n.x -= n.z * (cos(phase) * 5.0 * sway + sin(phase) * 6.4 * along) / 22.0;

    vec4 eye = gl_ModelViewMatrix * p;
    vec3 viewNormal = normalize(gl_NormalMatrix * n);
    vec3 v = normalize(-eye.xyz);
    // Fins are thin sheets seen from either side.
    float facing = abs(dot(viewNormal, v));
    if (dot(viewNormal, v) < 0.0) viewNormal = -viewNormal;
    vec3 key = normalize(vec3(-0.3, 0.8, 0.5));
    float diffuse = max(dot(viewNormal, key), 0.0);
    float fresnel = pow(1.0 - facing, 2.0);
    float shine = pow(max(dot(reflect(-key, viewNormal), v), 0.0), 16.0);

    float beat = clamp(powah * 6.0, 0.0, 1.5);
    float hue = fract(offset * 0.1);
    body = palette(0.42 + 0.3 * along + 0.1 * hue) * (0.25 + 0.9 * diffuse);
    veins = palette(0.82) * (0.2 + 0.9 * beat);
    sheen = palette(0.55 + 0.35 * fresnel) * fresnel * 0.7 + vec3(1.0, 0.92, 0.8) * shine * 0.5;

    skinUv = vec2(p.x / 16.0, atan(p.y, p.z + 0.001) * 0.3);
    gl_Position = gl_ProjectionMatrix * eye;
}
