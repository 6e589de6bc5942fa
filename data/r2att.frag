#version 120
// One pixel per vertex: the vertex's values as they are. The pass runs under the
// timeline's alpha blending over a cleared grid; with alpha 1 that writes them unchanged.
varying vec4 values;

void main() { gl_FragColor = values; }
