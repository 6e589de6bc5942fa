#version 120
// The spheres' vertex data: every vertex of the sphere mesh becomes one point in its own
// pixel of the grid ("fakeVerts", already the pixel's centre), carrying what the blurred
// metaball layer (unit 0) holds where the vertex points. The sphere reads the layer like
// a globe seen from the front: its direction's x and y pick the place, so the front and
// back halves mirror each other and no seam runs anywhere. Only the middle of the screen
// is read, where the lanterns' stream crosses it, so that one blob spans several vertices.
//
// The four values, each 0 to 1 (the grid has 8 bits a channel):
//   x  the field's level there: how far the surface rises;
//   y  its slope across the layer, 0.5 for flat;
//   z  its slope up the layer, 0.5 for flat;
//   w  1: this vertex was reached (cells nothing reached read 0, and stay at rest).
attribute vec2 fakeVerts;

uniform sampler2D tex;

varying vec4 values;

const vec2 middle = vec2(0.5, 0.55);
const float reach = 0.22;       // half the width of the layer a hemisphere reads
const float span = 1.0 / 48.0;  // the slope is taken over +-5 texels of the 256 layer

float level(vec2 uv) {
    vec3 c = texture2DLod(tex, uv, 0.0).rgb;
    return max(c.r, max(c.g, c.b));
}

void main() {
    vec3 p = gl_Vertex.xyz;
    vec2 d = p.xy / max(length(p), 1e-6);
    vec2 uv = middle + d * reach;
    float right = level(uv + vec2(span, 0.0)), left = level(uv - vec2(span, 0.0));
    float up = level(uv + vec2(0.0, span)), down = level(uv - vec2(0.0, span));
    // The level is smoothed with the slope's taps: single blobs are a few vertices wide.
    float here = (2.0 * level(uv) + right + left + up + down) / 6.0;
    values = vec4(here, vec2(right - left, up - down) * 0.5 + 0.5, 1.0);
    gl_Position = vec4(fakeVerts, 0.0, 1.0);
}
