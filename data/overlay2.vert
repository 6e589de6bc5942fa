#version 120
// The frame drawn over every scene: flat on the screen, whatever modelview is current.
varying vec2 uv;

void main() {
    uv = vec2(gl_Vertex.x, -gl_Vertex.y) * 0.5 + 0.5;  // pictures arrive top row first
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
}
