#version 120
// The stone passage, lit here per vertex so that the pixels cost one texture fetch: the
// rows are far apart, but the light changes smoothly between them. The two lanterns
// nearest a vertex light it (the ribs turn their faces to them), wide bands of light race
// on down the passage with the music ("anim"), every lantern flares on the cymbals
// ("powah"), and a plum haze closes in with distance. Lantern vertices (texture u below 0)
// glow instead.
attribute vec3 normal;
attribute vec2 texCoord;

uniform sampler2D tex;  // the palette on unit 0
uniform float anim;
uniform float powah;

varying vec2 uv;
varying vec3 scale;  // what the stone is multiplied by
varying vec3 offset;  // and what is added: its detail fades out with distance, haze comes in

const float pi = 3.14159265;
const float firstLantern = -170.0;  // then one every 60 units
const vec3 stoneMean = vec3(0.42, 0.36, 0.31);
const vec3 haze = vec3(0.08, 0.027, 0.1);  // the palette's darkest plum

vec3 palette(float u) { return texture2DLod(tex, vec2(u, 0.5), 0.0).rgb; }

float lantern(vec3 p, vec3 n, float z) {
    vec3 toLamp = vec3(0.0, 33.0, z) - p;
    float d2 = dot(toLamp, toLamp);
    return max(dot(n, toLamp), 0.0) * inversesqrt(d2) / (1.0 + d2 / 400.0);
}

void main() {
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    uv = texCoord;
    float dist = length(eye.xyz);
    vec3 p = gl_Vertex.xyz;
    float beat = clamp(powah * 3.0, 0.0, 1.2);

    float before = floor((p.z - firstLantern) / 60.0) * 60.0 + firstLantern;
    float lamps = lantern(p, normal, before) + lantern(p, normal, before + 60.0);
    float band = pow(0.5 + 0.5 * cos(2.0 * pi * (p.z / 300.0 - anim * 0.0025)), 16.0);
    float glowing = step(texCoord.x, -0.5);

    vec3 lit = palette(0.22) * 0.25 + palette(0.74) * lamps * (3.2 + 3.0 * beat) +
               palette(0.5) * band * 1.2;
    // The ribs are dressed in paler stone.
    float rib = smoothstep(40.0, 33.0, length(p.xy));
    lit *= mix(vec3(1.0), vec3(1.5, 1.45, 1.5), rib);
    // A lantern's glass is brightest underneath.
    vec3 flame = palette(0.86) * (1.0 + 0.5 * beat) * (1.1 - 0.4 * normal.y);

    // Stones much smaller than a pixel turn to noise: blend them to their mean far off.
    float detail = clamp(1.6 - dist / 180.0, 0.0, 1.0);
    float fog = exp(-dist / 300.0);
    scale = lit * (detail * fog * (1.0 - glowing));
    offset = mix(lit * stoneMean * (1.0 - detail), flame, glowing) * fog +
             haze * (1.0 - fog);

    gl_Position = gl_ProjectionMatrix * eye;
}
