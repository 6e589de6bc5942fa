#version 120
// The stage light pooled round the stacks, the stone's grain under it, and haze thickening
// towards the horizon, where the ground meets the sky. The stone is read from its
// half-size level whatever the distance: a level that changes from pixel to pixel costs
// the software renderer far more, and further out the grain fades to its mean before it
// could shimmer.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define stoneAt(sampler, uv) texture2DLod(sampler, uv, 1.0)
#else
#define stoneAt(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D rockTex;

varying vec4 place;
varying vec4 ambient;
varying vec3 stage;
varying vec4 glowHaze;

const vec3 sky = vec3(0.05, 0.06, 0.13);  // the night over the harbour, low down
const vec3 stoneMean = vec3(0.42, 0.36, 0.31);

void main() {
    float depth = glowHaze.a;
    float pool = 1.0 / (1.0 + dot(place.zw, place.zw));
    float grain = ambient.a * clamp(1.3 - depth / 900.0, 0.0, 1.0);
    vec3 stone = mix(stoneMean, stoneAt(rockTex, place.xy).rgb, grain);
    float haze = 1.0 - exp2(-depth / 1700.0);
    vec3 colour = (ambient.rgb + stage * (0.06 + pool)) * stone + glowHaze.rgb;
    gl_FragColor = vec4(mix(colour, sky, haze), 1.0);
}
