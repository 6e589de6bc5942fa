// Gaussian along blurStep: a 9-tap binomial kernel, the middle of row 12 of Pascal's
// triangle (66 220 495 792 924 792 495 220 66, over 4070; sigma about 1.7 texels).
// Each pair of neighbouring side taps is merged into one linearly filtered fetch between
// them, so the 9 taps cost 5 fetches.
void main() {
    const float w0 = 0.2270270270;
    const float w1 = 0.3162162162;
    const float w2 = 0.0702702703;
    const float o1 = 1.3846153846;
    const float o2 = 3.2307692308;
    vec4 sum = texture2D(image, uv) * w0;
    sum += (texture2D(image, uv + blurStep * o1) + texture2D(image, uv - blurStep * o1)) * w1;
    sum += (texture2D(image, uv + blurStep * o2) + texture2D(image, uv - blurStep * o2)) * w2;
    gl_FragColor = sum;
}
