#version 120
// One drifting blob (or spark), one quad of the layer's batch: the screen quad shrunk to a
// small sprite at its position, in the screen's own units whatever camera is current. The
// screen is 4:3, so x is narrowed to keep the sprite round. Its colour follows its height:
// ember at the bottom, rose as it rises, violet near the top; its strength fades it in at
// birth and out at death.
attribute vec4 sprite;  // position x and y, size, strength

varying vec2 corner;
varying vec4 tint;

// Half-height on screen of a sprite of size 1, and its width as a share of that: the
// metaball layer bounds the field it captures by the same two numbers.
const float reach = 0.26;
const float aspect = 0.75;

void main() {
    vec2 pos = sprite.xy;
    float size = sprite.z;
    float strength = sprite.w;
    corner = gl_Vertex.xy * 0.5 + 0.5;
    float height = clamp(pos.y * 0.6 + 0.5, 0.0, 1.0);
    vec3 ember = vec3(1.0, 0.52, 0.16);
    vec3 rose = vec3(1.0, 0.3, 0.42);
    vec3 violet = vec3(0.62, 0.3, 1.0);
    vec3 colour = mix(mix(ember, rose, smoothstep(0.0, 0.55, height)), violet,
                      smoothstep(0.55, 1.0, height));
    tint = vec4(colour, strength);
    gl_Position = vec4(pos + gl_Vertex.xy * vec2(aspect, 1.0) * (size * reach), 0.0, 1.0);
}
