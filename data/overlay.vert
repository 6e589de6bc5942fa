#version 120
// Full-screen picture under a slow drift. The quad's corners are used as they are: the
// layer lies flat on the screen whatever camera is current.
uniform float anim;
uniform float mixer;

varying vec2 uvBase;
varying vec2 uvMix;
varying vec2 screenPos;
varying vec2 nightBand;  // where night has reached, as an edge on uvBase.y
varying float twinkle;

void main() {
    vec2 corner = gl_Vertex.xy;
    screenPos = corner;
    // Pictures arrive top row first, so v runs down the screen.
    vec2 uv = vec2(corner.x, -corner.y) * 0.5 + 0.5;

    // Two gentle Ken Burns moves: the night picture drifts against the dusk one. Each pan
    // stays inside the margin its zoom leaves, so no edge ever wraps into view, and both
    // start centred (the break runs near anim = 0).
    float zoom = 0.94 - 0.02 * sin(anim * 0.9);
    vec2 pan = vec2(sin(anim * 0.61), sin(anim * 0.43)) * 0.02;
    uvBase = (uv - 0.5) * zoom + 0.5 + pan;

    float zoomMix = 0.88 + 0.04 * cos(anim * 0.7);
    vec2 panMix = vec2(-sin(anim * 0.47), sin(anim * 0.37)) * 0.04;
    uvMix = (uv - 0.5) * zoomMix + 0.5 + panMix;

    // Night falls from the top of the sky to the water once the groove has started, and
    // in the long run dusk comes back a little and goes again.
    // The two pictures are drawn apart, so the soft edge is kept narrow and quick to cross
    // the skyline. backdropNightFrom finds the band's lower edge on the screen by the same
    // numbers.
    float nightfall = smoothstep(1.3, 2.7, anim);
    nightfall -= 0.35 * step(2.7, anim) * (0.5 - 0.5 * cos((anim - 2.7) * 0.3));
    float front = nightfall * 1.3 - 0.15;
    nightBand = vec2(front - 0.15, front + 0.15);

    twinkle = clamp(mixer * 0.25, 0.0, 1.0);
    gl_Position = vec4(corner, 0.0, 1.0);
}
