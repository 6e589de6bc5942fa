#version 120
// One fountain particle, one quad of the layer's batch: the screen quad shrunk to the
// particle at its position. The
// fountain springs from low on the screen and rises with its pull; x is narrowed by the
// screen's 4:3 so the blobs stay round. The sprite's faint outer ring is left off, and the
// particle's colour, the harbour picture ("tex2") where it was born, is read once here
// rather than for every pixel.
attribute vec4 particle;       // position x and y, birthplace x and y
attribute float particleSize;
uniform sampler2D tex2;

varying vec2 sprite;
varying vec3 tint;

const float reach = 0.8;   // of the sprite's radius that is drawn
const float scale = 0.65;  // screen half-width of a particle of size 1

void main() {
    vec2 pos = particle.xy;
    vec2 origPos = particle.zw;
    float size = particleSize;
    sprite = gl_Vertex.xy * (0.5 * reach) + 0.5;
    vec2 birth = vec2(origPos.x, -origPos.y) * 0.5 + 0.5;  // pictures arrive top row first
    tint = texture2DLod(tex2, birth, 2.0).rgb * 0.7 + 0.3;
    vec2 centre = pos * vec2(0.75, 0.8) + vec2(0.0, -0.45);
    gl_Position = vec4(centre + gl_Vertex.xy * (size * scale) * vec2(0.75, 1.0), 0.0, 1.0);
}
