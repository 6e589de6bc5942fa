#version 120
// The metaball field (unit 0) as molten lanterns rising out of the harbour ("tex2", unit
// 1) at first light. Above the water line the field is read where it is; below it, read
// mirrored about that line and rippled, so each lantern lifts out of the water trailing
// its reflection. Where the summed field passes a level a lantern has a body, glowing
// white-gold at its thick heart through orange to a red skin; around it the field's own
// hue hangs in the morning haze.

uniform sampler2D tex;
uniform sampler2D tex2;

varying vec2 uvField;
varying vec2 uvPicture;
varying vec2 screenPos;
varying float waterLine;
varying float ripple;
varying vec3 daylight;
varying float dawn;
varying float sunGlow;
varying vec2 sunAt;
varying float harbourLeft;
varying float lanternsLeft;

void main() {
    float depth = max(waterLine - uvField.y, 0.0);
    bool water = depth > 0.0;
    vec2 at = uvField;
    if (water) {
        at.y = waterLine + depth * 0.55;
        at.x += (sin(uvField.y * 340.0 + ripple) + 0.6 * sin(uvField.y * 130.0 - ripple * 0.7)) *
                (0.0015 + 0.008 * depth);
    }
    vec3 field = texture2D(tex, at).rgb;
    float level = max(field.r, max(field.g, field.b));

    vec3 back = texture2D(tex2, uvPicture).rgb;  // its top level alone
    back = mix(vec3(dot(back, vec3(0.3, 0.5, 0.2))), back, dawn * 0.7 + 0.3) * daylight;
    vec2 toSun = (screenPos - sunAt) * vec2(1.0, 1.6);
    back += vec3(1.0, 0.62, 0.3) * sunGlow * 0.35 / (1.0 + 6.0 * dot(toSun, toSun));
    back *= (1.0 - 0.3 * dot(screenPos, screenPos)) * harbourLeft;

    // Molten: the colour is the heat of the sum, hottest where blobs crowd together.
    float body = smoothstep(0.4, 0.5, level);
    vec3 molten = mix(vec3(1.0, 0.36, 0.08), vec3(1.0, 0.62, 0.2), smoothstep(0.45, 0.7, level));
    molten = mix(molten, vec3(1.0, 0.95, 0.8), smoothstep(0.7, 1.0, level));
    float mirror = water ? 0.5 : 1.0;
    vec3 colour = mix(back + field * (0.6 * mirror), molten * mirror + back * (1.0 - mirror), body);
    gl_FragColor = vec4(mix(back, colour, lanternsLeft), 1.0);
}
