#version 120
// The opening's box under the timeline's camera.
attribute vec3 normal;
attribute vec2 texCoord;

varying vec3 viewNormal;
varying vec3 viewPos;
varying vec3 boxNormal;
varying vec3 boxPos;

void main() {
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    viewPos = eye.xyz;
    viewNormal = gl_NormalMatrix * normal;
    // The box is 60 units across; its own frame, scaled to about -1..1, keeps the paint
    // fixed to the surface while it tumbles.
    boxNormal = normal;
    boxPos = gl_Vertex.xyz / 30.0;
    gl_Position = gl_ProjectionMatrix * eye;
}
