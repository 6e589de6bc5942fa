#version 120
// The loudspeakers and the ground they stand on. Each vertex carries its paint: a position
// along the palette (texCoord.x) and how strongly it glows with the music (texCoord.y), so
// the drivers' surrounds light up on the cymbals ("powah"). The stone is laid on from the
// position, along the face's main axis: broad flagstones on the ground (drawn scaled by
// 50, which the modelview's first column tells), a faint grain on the cabinets' paint.
//
// The light is split here into what every pixel scales by the pool of stage light round
// the stacks ("anim" carries it round the field) and what it does not; the ground is two
// huge triangles, so the pool and the haze towards the horizon are left to the pixels.
// The speaker mesh has over a thousand vertices, shaded on one thread, so the lights are
// the palette's colours written out rather than read per vertex.
attribute vec3 normal;
attribute vec2 texCoord;

uniform sampler2D tex;  // the palette on unit 0
uniform float anim;
uniform float powah;

varying vec4 place;  // the stone's coordinates, then the position across the field
varying vec4 ambient;  // rgb, and how much of the stone's grain shows
varying vec3 stage;     // scaled by the pool
varying vec4 glowHaze;  // rgb glows; a is the view depth

const vec3 stageLight = vec3(0.99, 0.74, 0.39);  // the palette's gold
const vec3 copper = vec3(0.92, 0.47, 0.21);
const vec3 ember = vec3(0.88, 0.34, 0.18);
const vec3 moon = vec3(0.2, 0.22, 0.36);
const vec3 key = vec3(-0.45, 0.65, 0.6) / 0.9083;  // over the viewer's shoulder
const float poolRadius = 260.0;

void main() {
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    float size = length(gl_ModelViewMatrix[0].xyz);
    float ground = step(10.0, size);
    vec3 world = gl_Vertex.xyz * size;

    vec3 side = abs(normal);
    vec2 plane = side.y > max(side.x, side.z) ? world.xz : (side.x > side.z ? world.zy : world.xy);
    // The stage light's pool wanders round the field, faster the harder the band plays.
    vec2 sweep = vec2(cos(anim * 0.004), sin(anim * 0.004)) * 90.0;
    place = vec4(plane / mix(60.0, 160.0, ground), (world.xz - sweep) / poolRadius);

    vec3 n = normalize(gl_NormalMatrix * normal);
    float beat = clamp(powah * 6.0, 0.0, 1.5);
    float diffuse = max(dot(n, key), 0.0);
    float rim = pow(1.0 - max(-dot(n, normalize(eye.xyz)), 0.0), 3.0) * (1.0 - ground);
    vec3 paint = texture2DLod(tex, vec2(texCoord.x, 0.5), 0.0).rgb;
    ambient = vec4(paint * moon, mix(0.3, 1.0, ground));
    stage = paint * stageLight * (diffuse * 0.6 + 0.5) * (1.1 + 0.6 * beat) + copper * rim * 0.8;
    glowHaze = vec4(mix(ember, stageLight, beat * 0.6) * texCoord.y * (0.45 + 1.2 * beat), -eye.z);

    gl_Position = gl_ProjectionMatrix * eye;
}
