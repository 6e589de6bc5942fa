#version 120
// The metaball field (unit 0) as molten lanterns over the harbour picture ("tex2", unit 1).
// The capture holds the blobs summed: where the sum passes a level the blobs are one
// glossy body, lit from the upper left by the slope of the field; around them the field
// glows onto the water and sky.
#ifdef GL_ARB_shader_texture_lod
#extension GL_ARB_shader_texture_lod : enable
#define picture(sampler, uv) texture2DLod(sampler, uv, 0.0)
#else
#define picture(sampler, uv) texture2D(sampler, uv)
#endif

uniform sampler2D tex;
uniform sampler2D tex2;

varying vec2 uvField;
varying vec2 uvPicture;
varying vec2 screenPos;
varying float dawn;
varying float fade;

void main() {
    vec3 field = texture2D(tex, uvField).rgb;
    float level = max(field.r, max(field.g, field.b));

    // The harbour by first light: cool and dim at first, warming as the morning comes.
    vec3 back = picture(tex2, uvPicture).rgb;
    back *= mix(vec3(0.45, 0.5, 0.7), vec3(1.0, 0.92, 0.85), dawn);
    back *= 1.0 - 0.35 * dot(screenPos, screenPos);

    // Body: the iso-level of the summed field, with a soft edge one or two pixels wide. It
    // is shaded as a pillow, brighter towards its thick middle, with a broad sheen from
    // the field's slope; the capture has 8 bits a channel, so the slope is kept gentle
    // and the sheen wide, or the steps of the sum would glitter.
    float body = smoothstep(0.42, 0.5, level);
    float thick = smoothstep(0.5, 1.0, level);
    vec2 slope = vec2(dFdx(level), dFdy(level));
    vec3 normal = normalize(vec3(-slope * 5.0, 0.25 + 0.75 * thick));
    vec3 light = normalize(vec3(-0.5, 0.6, 0.65));
    float diffuse = max(dot(normal, light), 0.0);
    float sheen = pow(max(dot(reflect(-light, normal), vec3(0.0, 0.0, 1.0)), 0.0), 8.0);
    vec3 hue = field / max(level, 0.001);
    vec3 lantern = hue * (0.3 + 0.55 * diffuse + 0.35 * thick) + vec3(1.0, 0.93, 0.8) * sheen * 0.45;

    vec3 glow = field * 0.55;
    vec3 colour = mix(back + glow, lantern, body);
    gl_FragColor = vec4(colour * fade, 1.0);
}
