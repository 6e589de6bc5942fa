#version 120
// A lacquered box. The paint comes from the palette strip on unit 0, drifting along it
// with the music phase ("anim", which runs faster the louder the band plays) and bouncing
// back at the strip's ends rather than wrapping, so no seam ever crosses a face. A warm
// key light from the upper left, the dusk sky in the gloss, and the rounded edges glowing
// in a slow pulse that quickens with the music.
uniform sampler2D tex;
uniform float anim;

varying vec3 viewNormal;
varying vec3 viewPos;
varying vec3 boxNormal;
varying vec3 boxPos;

float bounce(float x) { return abs(fract(x) - 0.5) * 2.0; }

void main() {
    vec3 n = normalize(viewNormal);
    vec3 v = normalize(-viewPos);
    vec3 key = normalize(vec3(-0.4, 0.8, 0.45));

    float diffuse = max(dot(n, key), 0.0);
    float facing = max(dot(n, v), 0.0);
    float fresnel = pow(1.0 - facing, 3.0);
    float shine = pow(max(dot(reflect(-key, n), v), 0.0), 32.0);

    float along = 0.22 + 0.56 * bounce(anim * 0.0003 + boxPos.y * 0.18 + boxPos.x * 0.08);
    vec3 paint = texture2D(tex, vec2(along, 0.5)).rgb;

    vec3 reflected = reflect(-v, n);
    vec3 sky = mix(vec3(0.12, 0.08, 0.2), vec3(1.0, 0.62, 0.38), smoothstep(-0.3, 0.7, reflected.y));

    vec3 side = abs(normalize(boxNormal));
    float edge = smoothstep(0.04, 0.25, 1.0 - max(side.x, max(side.y, side.z)));
    float pulse = 0.5 + 0.5 * sin(anim * 0.03);
    vec3 glow = texture2D(tex, vec2(0.72, 0.5)).rgb * edge * (0.2 + 0.5 * pulse);

    vec3 colour = paint * (0.2 + 0.8 * diffuse) + sky * (0.08 + 0.5 * fresnel) +
                  vec3(1.0, 0.9, 0.75) * shine * 0.7 + glow;
    gl_FragColor = vec4(colour, 1.0);
}
