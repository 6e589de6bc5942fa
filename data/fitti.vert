#version 120
// The sculpture under its scene's camera. It is lit in the view's frame: the backdrop is a
// picture fixed to the screen, so a light fixed to the screen keeps the picture's moon
// (upper right) and harbour lamps (low, warm) where they are seen, whichever way the
// cameras orbit and roll. Everything that changes slowly over the surface (the paint, the
// diffuse light, the clear coat's reflection) is worked out here, per vertex.
attribute vec3 normal;
attribute vec2 texCoord;

uniform sampler2D tex;  // the warm palette strip
uniform float anim;     // runs faster the louder the band plays
uniform float powah;    // the music's presence band: about 0 to 0.2, to 0.45 in the loud stretch

varying vec3 viewNormal;
varying vec3 halfway;  // between the moon and the eye
varying vec3 paint;    // the lacquer's colour, lit
varying vec3 coat;     // what the clear coat reflects
varying vec3 leaf;     // light on the gold leaf
varying vec2 weaveUV;
varying float weaveLod;

const vec3 moon = vec3(0.45, 0.62, 0.64);  // upper right, in front: normalised
const vec3 lamps = vec3(-0.6, -0.35, 0.72);

float bounce(float x) { return abs(fract(x) - 0.5) * 2.0; }

void main() {
    // texCoord: once around the tube in u, 0 to 8 along the knot in v (0 to 1 on the plinth).
    float along = texCoord.y * 0.125;
    bool knot = gl_Vertex.y > 8.0;

    // The presence band jumps from frame to frame, so it only breathes the tube a little,
    // in swells that run along it with the phase; it shows mostly as glitter in the gold.
    float hit = clamp(powah * 5.0, 0.0, 2.0);
    float wave = 0.5 + 0.5 * sin(along * 37.7 - anim * 0.02);
    float swell = knot ? hit * wave : 0.0;
    vec3 pos = gl_Vertex.xyz + normal * (swell * 0.5);

    vec4 eye = gl_ModelViewMatrix * vec4(pos, 1.0);
    vec3 n = normalize(gl_NormalMatrix * normal);
    vec3 v = normalize(-eye.xyz);
    viewNormal = n;
    halfway = normalize(moon + v);

    // Bands of lacquer drift along the knot with the music and bounce back at the strip's
    // ends, so no seam ever shows; the plinth is the strip's darkest plum.
    float shade = knot ? 0.3 + 0.5 * bounce(along * 2.0 + anim * 0.00015) : 0.06;
    vec3 base = texture2DLod(tex, vec2(shade, 0.5), 0.0).rgb;
    float key = max(dot(n, moon), 0.0);
    float fill = max(dot(n, lamps), 0.0);
    paint = base * (0.1 + 0.85 * key + vec3(0.3, 0.18, 0.1) * fill);

    // The clear coat: the night sky and the harbour's line of lamps in the glancing angles.
    vec3 r = reflect(-v, n);
    float facing = 1.0 - max(dot(n, v), 0.0);
    float fresnel = 0.04 + 0.96 * facing * facing * facing * facing * facing;
    vec3 sky = mix(vec3(0.32, 0.2, 0.42), vec3(0.05, 0.07, 0.2), smoothstep(0.0, 0.6, r.y));
    sky += vec3(1.0, 0.7, 0.35) * (1.0 - smoothstep(0.0, 0.12, abs(r.y + 0.08))) * 0.5;
    coat = sky * fresnel * 1.4;

    // Gold leaf catches the moon broadly and glitters with the music.
    float glint = max(dot(r, moon), 0.0);
    leaf = vec3(1.0, 0.75, 0.35) * (glint * glint * 0.35 + hit * (0.2 + 0.3 * wave));

    // The weave: two repeats around the tube, read at about one texel a pixel so that the
    // threads never shimmer.
    weaveUV = texCoord * vec2(2.0, 2.0);
    weaveLod = max(log2(-eye.z * 0.05), 0.0);
    gl_Position = gl_ProjectionMatrix * eye;
}
