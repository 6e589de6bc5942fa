#version 120
// The sculpture's post pass: flat on the screen, whatever camera is current. The metaball
// capture and the frame's copy both lie exactly on the screen.
varying vec2 uv;

void main() {
    uv = gl_Vertex.xy * 0.5 + 0.5;
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
}
