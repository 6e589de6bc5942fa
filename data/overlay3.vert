#version 120
// Word and slide cards: the screen quad moved by the modelview's translation only, so a
// card slides flat across the screen.
varying vec2 uv;

void main() {
    uv = vec2(gl_Vertex.x, -gl_Vertex.y) * 0.5 + 0.5;  // pictures arrive top row first
    vec4 moved = gl_ModelViewMatrix * gl_Vertex;
    gl_Position = vec4(moved.xy, 0.0, 1.0);
}
