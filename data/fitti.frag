#version 120
// Lacquer over a woven core: the lit paint is dyed into the weave of "rockTex" (unit 1),
// under a clear coat with a sharp moonlit highlight. The weave's gold threads are gold
// leaf that catches the light and glitters with the music.
// The weave is read at a whole level: a fraction, even the one interpolation leaves on a
// level that is whole at every vertex, makes the software renderer filter two levels.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define weaveAt(sampler, uv, lod) texture2DLod(sampler, uv, floor(lod + 0.5))
#else
#define weaveAt(sampler, uv, lod) texture2D(sampler, uv)
#endif

uniform sampler2D rockTex;

varying vec3 viewNormal;
varying vec3 halfway;
varying vec3 paint;
varying vec3 coat;
varying vec3 leaf;
varying vec2 weaveUV;
varying float weaveLod;

void main() {
    vec3 weave = weaveAt(rockTex, weaveUV, weaveLod).rgb;
    float thread = dot(weave, vec3(0.3, 0.55, 0.15));
    float gold = clamp((weave.r - weave.b) * 3.0, 0.0, 1.0);

    // Blinn's highlight, its falloff shaped by a smoothstep rather than a power.
    float shine = smoothstep(0.97, 1.0, dot(normalize(viewNormal), halfway));
    vec3 colour = paint * (0.7 + 0.9 * thread) + coat + leaf * gold + vec3(0.9, 0.9, 1.0) * shine;
    gl_FragColor = vec4(colour, 1.0);
}
