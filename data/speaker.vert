#version 120
// The loudspeakers and the ground they stand on, lit here per vertex so that the pixels
// cost one texture fetch. Each vertex carries its paint: a position along the palette
// (texCoord.x) and how strongly it glows with the music (texCoord.y), so the drivers'
// surrounds light up on the cymbals ("powah"). The stone is laid on from the position,
// along the face's main axis: broad flagstones on the ground (drawn scaled by 50, which
// the modelview's first column tells), a faint grain on the cabinets. Haze thickens
// towards the horizon, where the ground meets the sky.
//
// The speaker mesh has thousands of vertices and the software renderer shades them on one
// thread, so the lights are the palette's colours written out rather than read per vertex.
attribute vec3 normal;
attribute vec2 texCoord;

uniform sampler2D tex;  // the palette on unit 0
uniform float anim;
uniform float powah;

varying vec2 uv;
varying vec3 scale;   // what the stone is multiplied by
varying vec3 offset;  // and what is added

const vec3 stageLight = vec3(0.99, 0.74, 0.39);  // the palette's gold
const vec3 copper = vec3(0.92, 0.47, 0.21);
const vec3 ember = vec3(0.88, 0.34, 0.18);
const vec3 moon = vec3(0.16, 0.18, 0.28);
const vec3 sky = vec3(0.05, 0.06, 0.13);  // the night over the harbour, low down
const vec3 stoneMean = vec3(0.42, 0.36, 0.31);
const vec3 key = vec3(-0.45, 0.65, 0.6) / 0.9083;  // over the viewer's shoulder

void main() {
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    float size = length(gl_ModelViewMatrix[0].xyz);
    float ground = step(10.0, size);
    vec3 world = gl_Vertex.xyz * size;

    vec3 side = abs(normal);
    vec2 plane = side.y > max(side.x, side.z) ? world.xz : (side.x > side.z ? world.zy : world.xy);
    uv = plane / mix(60.0, 160.0, ground);

    vec3 n = normalize(gl_NormalMatrix * normal);
    float dist = length(eye.xyz);
    float beat = clamp(powah * 6.0, 0.0, 1.5);

    // Stage light pooled round the stacks swells with the music; moonlight beyond it; a
    // copper rim on the cabinets' edges.
    float diffuse = max(dot(n, key), 0.0);
    float across = length(world.xz);
    float pool = 1.0 / (1.0 + across * across / (260.0 * 260.0));
    float rim = pow(1.0 - max(-dot(n, eye.xyz) / dist, 0.0), 3.0) * (1.0 - ground);
    vec3 paint = texture2DLod(tex, vec2(texCoord.x, 0.5), 0.0).rgb;
    vec3 lit = paint * (moon + stageLight * (diffuse * 0.6 + 0.5) * (0.15 + (1.1 + 0.6 * beat) * pool)) +
               copper * rim * 0.8 * pool;
    vec3 glow = mix(ember, stageLight, beat * 0.6) * texCoord.y * (0.45 + 1.2 * beat);

    // The grain fades to its mean where it would only shimmer, and the haze closes in.
    float grain = mix(0.25, clamp(1.3 - dist / 900.0, 0.0, 1.0), ground);
    float haze = 1.0 - exp(-dist / 2500.0);
    scale = lit * (grain * (1.0 - haze));
    offset = (lit * stoneMean * (1.0 - grain) + glow) * (1.0 - haze) + sky * haze;

    gl_Position = gl_ProjectionMatrix * eye;
}
