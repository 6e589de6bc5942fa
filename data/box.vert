#version 120
// The opening's box under the timeline's camera.
attribute vec3 normal;
attribute vec2 texCoord;

varying vec3 viewNormal;
varying vec3 viewPos;
varying vec2 surface;

void main() {
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    viewPos = eye.xyz;
    viewNormal = gl_NormalMatrix * normal;
    surface = texCoord;
    gl_Position = gl_ProjectionMatrix * eye;
}
