#version 120
// The picture covers the screen at about its own size, and is loaded as its top level
// alone: one bilinear fetch, with no level to choose.

uniform sampler2D tex;

varying vec2 uv;

void main() { gl_FragColor = texture2D(tex, uv); }
