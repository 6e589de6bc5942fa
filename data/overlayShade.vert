#version 120
// Full-screen pass: the quad's corners are already in clip space, and the texture
// coordinate follows the position so texel centres line up with pixel centres.
varying vec2 uv;

void main() {
    uv = gl_Vertex.xy * 0.5 + 0.5;
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
}
