// Gaussian along blurStep: the 5-tap binomial kernel 1 4 6 4 1 over 16 (sigma 1 texel).
// Each pair of side taps is merged into one linearly filtered fetch between them, so the
// five taps cost three fetches; the chain runs three such passes every frame, and sampling
// is what the software renderer pays for.
void main() {
    const float w0 = 0.375;   // 6 / 16
    const float w1 = 0.3125;  // (4 + 1) / 16 on each side
    const float o1 = 1.2;     // (4 x 1 + 1 x 2) / 5 texels out
    vec4 sum = texture2D(image, uv) * w0;
    sum += (texture2D(image, uv + blurStep * o1) + texture2D(image, uv - blurStep * o1)) * w1;
    gl_FragColor = sum;
}
