#version 120
// The closing composite: flat on the screen whatever camera is current.
uniform float anim;  // a tenth of the show's seconds: 16.5 when it first shows, 20.7 at the end

varying vec2 uvField;    // the metaball capture lies exactly on the screen
varying vec2 uvPicture;  // pictures arrive top row first
varying vec2 screenPos;
varying float dawn;      // the harbour brightens towards morning as the show closes
varying float fade;      // and the last seconds go dark

void main() {
    vec2 corner = gl_Vertex.xy;
    screenPos = corner;
    uvField = corner * 0.5 + 0.5;
    // The picture rests a little zoomed in and sinks slowly, as if the lanterns rose past it.
    float sink = 0.02 * clamp(anim - 16.5, 0.0, 4.2);
    uvPicture = (vec2(corner.x, -corner.y) * 0.5) * 0.92 + vec2(0.5, 0.5 - 0.04 + sink);
    dawn = smoothstep(16.5, 20.3, anim);
    fade = 1.0 - smoothstep(20.4, 20.7, anim);
    gl_Position = vec4(corner, 0.0, 1.0);
}
