#version 120
// One smoke puff: the screen quad turned to face the camera at the puff's position (the
// modelview's translation), growing and turning as it rises and thins ("strength" runs
// from 1 at birth to 0). "scaler" is its full width in world units. The quad covers only
// the part of the sprite that is not clear, so no pixel is blended for nothing.
uniform float strength;
uniform float scaler;

varying vec2 uv;
varying float alpha;

const float reach = 0.85;  // of the sprite's radius

void main() {
    vec4 centre = gl_ModelViewMatrix * vec4(0.0, 0.0, 0.0, 1.0);
    float age = 1.0 - strength;
    float radius = scaler * reach * (0.18 + 0.24 * age);
    // Each puff turns its own way, seeded by where it is.
    float turn = dot(gl_ModelViewMatrix[3].xyz, vec3(0.013, 0.007, 0.011)) + age * 1.3;
    vec2 corner = mat2(cos(turn), sin(turn), -sin(turn), cos(turn)) * gl_Vertex.xy;
    uv = gl_Vertex.xy * (0.5 * reach) + 0.5;
    // A quick fade in at the stack's top, thinning out as it dies.
    alpha = smoothstep(0.0, 0.12, age) * strength * 0.6;
    gl_Position = gl_ProjectionMatrix * vec4(centre.xy + corner * radius, centre.zw);
}
