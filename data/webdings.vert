#version 120
// The creatures: swimmers in the club's light, their bodies rippling with "anim" and
// swelling a little on the loud upper mids ("powah").
attribute vec3 normal;
attribute vec2 texCoord;

uniform float anim;
uniform float powah;

varying vec3 viewNormal;
varying vec3 viewPos;
varying vec2 skin;

void main() {
    vec3 p = gl_Vertex.xyz;
    // A travelling wave down the body, stronger towards the tail (the nose is at +x).
    float tail = clamp((12.5 - p.x) / 22.0, 0.0, 1.0);
    p.z += sin(p.x * 0.35 + anim * 0.004) * tail * 1.2;
    p += normal * clamp(powah, 0.0, 0.5);
    vec4 eye = gl_ModelViewMatrix * vec4(p, 1.0);
    viewPos = eye.xyz;
    viewNormal = gl_NormalMatrix * normal;
    skin = texCoord;
    gl_Position = gl_ProjectionMatrix * eye;
}
