// A three-texel box along blurStep, 1 1 1 over 3, in two fetches: each is linearly
// filtered two thirds of the way to a neighbour, so it reads a third of the neighbour and
// two thirds of the centre, and the pair averages to the box. Sampling is what the
// software renderer pays for, and the chain runs three passes every frame; three boxes
// in a row already make a smooth bell.
void main() {
    const float o1 = 2.0 / 3.0;
    gl_FragColor = (texture2D(image, uv + blurStep * o1) + texture2D(image, uv - blurStep * o1)) * 0.5;
}
