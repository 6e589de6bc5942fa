#version 120
// The metaball field (unit 0) as drops of molten glass rising through the frame so far
// ("tex2", unit 1). Seen through a drop the picture is lifted, as by a lens, and warmed by
// the drop's colour; a bright skin marks the drop's edge and the field glows around it.
// Where there is no field the copy comes back exactly as it was taken, and the output is
// opaque, so a second pass over the same copy gives the same picture.
uniform sampler2D tex;
uniform sampler2D tex2;

varying vec2 uv;

void main() {
    vec3 field = texture2D(tex, uv).rgb;
    float level = max(field.r, max(field.g, field.b));
    // Lifted from below, by at most 0.03 of the height (the scene copies no further below
    // the field than that), but never from the bottom edge's last half texel, where the
    // copy would blend in its top row.
    float lift = min(0.03 * level, max(uv.y - 0.001, 0.0));
    vec3 picture = texture2D(tex2, vec2(uv.x, uv.y - lift)).rgb;

    vec3 hue = field / max(level, 0.02);
    float body = smoothstep(0.3, 0.5, level);
    float skin = body * (1.0 - smoothstep(0.5, 0.7, level));
    vec3 colour = picture * (1.0 + body * (hue * 0.6 - 0.1)) + field * 0.3 + hue * skin * 0.3;
    gl_FragColor = vec4(colour, 1.0);
}
