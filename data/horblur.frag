#version 120
// Horizontal blur: one output texel to the side per step. The chain always renders at
// 256 x 256, whatever the size of its source.
uniform sampler2D image;  // unit 0, the default
varying vec2 uv;
const vec2 blurStep = vec2(1.0 / 256.0, 0.0);
