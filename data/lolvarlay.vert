#version 120
// The closing composite: flat on the screen whatever camera is current. Its light follows
// "anim", a tenth of the show's seconds: from 16.5 it lies under the spheres in the grey
// before dawn, from 18.4 it fills the screen as the sun comes up, from 20.2 the harbour
// goes dark and last of all, by 20.7, the lanterns go out.
uniform float anim;

varying vec2 uvField;    // the metaball capture lies exactly on the screen
varying vec2 uvPicture;  // pictures arrive top row first
varying vec2 screenPos;
varying float waterLine;  // the picture's horizon, on uvField.y
varying float ripple;     // phase of the ripples on the reflections
varying vec3 daylight;    // the picture's light, cool before dawn, gold in the morning
varying float dawn;
varying float sunGlow;
varying vec2 sunAt;  // the picture's sun, on screenPos
varying float harbourLeft;  // 1, falling to 0 as the harbour goes dark
varying float lanternsLeft;

const float horizon = 0.6033;  // the harbour picture's water line, from its top
const vec2 sun = vec2(0.645, 0.53);  // on the picture, from its top

void main() {
    vec2 corner = gl_Vertex.xy;
    screenPos = corner;
    uvField = corner * 0.5 + 0.5;

    // A slow push in towards the sun over the last twenty seconds.
    float time = clamp(anim, 16.5, 20.7);
    float zoom = mix(0.96, 0.84, smoothstep(16.5, 20.7, time));
    vec2 centre = mix(vec2(0.5, 0.5), vec2(0.56, 0.52), smoothstep(16.5, 20.7, time));
    uvPicture = centre + vec2(corner.x, -corner.y) * 0.5 * zoom;
    waterLine = 0.5 - (horizon - centre.y) / zoom;
    sunAt = (sun - centre) / zoom * vec2(2.0, -2.0);

    ripple = anim * 40.0;
    dawn = smoothstep(18.2, 19.8, time);
    daylight = mix(vec3(0.5, 0.62, 0.95), vec3(1.08, 0.98, 0.9), dawn);
    sunGlow = 0.15 + 0.85 * dawn;
    harbourLeft = 1.0 - smoothstep(20.15, 20.5, anim);
    lanternsLeft = 1.0 - smoothstep(20.45, 20.68, anim);
    gl_Position = vec4(corner, 0.0, 1.0);
}
