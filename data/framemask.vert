#version 120
// Marks part of the screen near in the depth buffer, before the top overlay: the screen
// quad stretched over the rectangle from "lowerLeft" to "upperRight", in the screen's own
// units whatever camera is current, at the near plane.
uniform vec2 lowerLeft;
uniform vec2 upperRight;

void main() {
    vec2 corner = gl_Vertex.xy * 0.5 + 0.5;
    gl_Position = vec4(mix(lowerLeft, upperRight, corner), -1.0, 1.0);
}
