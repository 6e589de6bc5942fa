#version 120
// lolvarlay.frag where the metaball field is empty: no lantern and no haze, the harbour
// picture ("tex2", unit 1) in the light of the hour alone, which is exactly what the full
// composite gives there. The composite draws it beside the columns the field can reach.

uniform sampler2D tex2;

varying vec2 uvPicture;
varying vec2 screenPos;
varying vec3 daylight;
varying float dawn;
varying float sunGlow;
varying vec2 sunAt;
varying float harbourLeft;

void main() {
    vec3 back = texture2D(tex2, uvPicture).rgb;  // its top level alone
    back = mix(vec3(dot(back, vec3(0.3, 0.5, 0.2))), back, dawn * 0.7 + 0.3) * daylight;
    vec2 toSun = (screenPos - sunAt) * vec2(1.0, 1.6);
    back += vec3(1.0, 0.62, 0.3) * sunGlow * 0.35 / (1.0 + 6.0 * dot(toSun, toSun));
    back *= (1.0 - 0.3 * dot(screenPos, screenPos)) * harbourLeft;
    gl_FragColor = vec4(back, 1.0);
}
