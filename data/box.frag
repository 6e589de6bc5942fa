#version 120
// Lacquered box: the palette strip on unit 0 slides along with the music phase, lit by a
// warm key light from above and a cool rim from behind.
uniform sampler2D tex;
uniform float anim;

varying vec3 viewNormal;
varying vec3 viewPos;
varying vec2 surface;

void main() {
    vec3 n = normalize(viewNormal);
    vec3 v = normalize(-viewPos);
    vec3 key = normalize(vec3(-0.4, 0.8, 0.45));

    float diffuse = max(dot(n, key), 0.0);
    float facing = max(dot(n, v), 0.0);
    float rim = pow(1.0 - facing, 3.0);
    float shine = pow(max(dot(reflect(-key, n), v), 0.0), 24.0);

    float along = fract(anim * 0.0004 + surface.x * 0.35 + surface.y * 0.15);
    vec3 paint = texture2D(tex, vec2(along, 0.5)).rgb;

    vec3 colour = paint * (0.22 + 0.78 * diffuse) + vec3(0.35, 0.55, 0.9) * rim * 0.7 +
                  vec3(1.0, 0.9, 0.75) * shine * 0.6;
    gl_FragColor = vec4(colour, 0.95);
}
