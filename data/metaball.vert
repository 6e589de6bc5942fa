#version 120
// One fountain particle: the screen quad shrunk to the particle's size at its position.
// The fountain springs from low on the screen and rises with its pull; x is narrowed by
// the screen's 4:3 so the blobs stay round.
uniform float size;
uniform vec2 pos;
uniform vec2 origPos;

varying vec2 sprite;
varying vec2 tintAt;

void main() {
    sprite = gl_Vertex.xy * 0.5 + 0.5;
    vec2 centre = pos * vec2(0.75, 0.8) + vec2(0.0, -0.45);
    tintAt = vec2(origPos.x, -origPos.y) * 0.5 + 0.5;  // pictures arrive top row first
    gl_Position = vec4(centre + gl_Vertex.xy * size * vec2(0.75, 1.0), 0.0, 1.0);
}
