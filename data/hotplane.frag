#version 120
// Lit per vertex; the pixels take the blend.
varying vec4 shade;

void main() { gl_FragColor = shade; }
