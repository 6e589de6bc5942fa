#version 120
// Word and slide cards: the screen quad moved by the modelview's translation only, so a
// card slides flat across the screen. Cards keep their type within the middle four fifths
// of their height, so the quad is trimmed to that band and the clear margins above and
// below cost nothing.
varying vec2 uv;

const float band = 0.8;

void main() {
    vec2 corner = vec2(gl_Vertex.x, gl_Vertex.y * band);
    uv = vec2(corner.x, -corner.y) * 0.5 + 0.5;  // pictures arrive top row first
    vec4 moved = gl_ModelViewMatrix * vec4(corner, gl_Vertex.zw);
    gl_Position = vec4(moved.xy, 0.0, 1.0);
}
