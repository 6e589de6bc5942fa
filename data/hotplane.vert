#version 120
// The spheres: lacquered baubles under warm club light, molten where the lanterns swell
// beneath them. Each vertex rises off the sphere by the metaball field its vertex data
// carries ("texData", filled every frame by the vertex-data pass), further when the
// band's upper mids ("powah", bin 50) are loud, and its normal follows the field's slope,
// so the swellings catch the light as they flow over the surface. The lacquer and the
// molten gold both come from the palette (unit 0); the blurred metaball layer ("rockTex",
// unit 1), read where the vertex is on screen, is the lanterns' light falling on it.
// Everything is lit here, per vertex: the spheres are small on screen, and the fragments
// only take what arrives.
attribute vec4 texData;  // level, slope across, slope up, reached

uniform float powah;
uniform sampler2D tex;
uniform sampler2D rockTex;

varying vec4 shade;

// As the vertex-data pass reads the layer: a hemisphere spans 0.44 of it, and the slopes
// are level differences over 1/24 of it.
const float slopeScale = 0.22 / (2.0 / 48.0);

vec3 palette(float along) { return texture2DLod(tex, vec2(along, 0.5), 0.0).rgb; }

void main() {
    float radius = length(gl_Vertex.xyz);
    vec3 n0 = gl_Vertex.xyz / max(radius, 1e-6);
    float reached = texData.w;
    float h = texData.x * reached;
    vec2 slope = (texData.yz * 2.0 - 1.0) * reached;

    // A share of the radius: a little always, much more on the loud upper mids.
    float lift = 0.14 + clamp(powah * 12.0, 0.0, 0.45);
    vec3 g = vec3(slope * slopeScale, 0.0);
    vec3 across = g - n0 * dot(n0, g);
    vec3 n = normalize(n0 - across * (lift / (1.0 + lift * h)));

    vec4 eye = gl_ModelViewMatrix * vec4(n0 * radius * (1.0 + lift * h), 1.0);
    gl_Position = gl_ProjectionMatrix * eye;

    vec3 normal = normalize(gl_NormalMatrix * n);
    vec3 view = normalize(-eye.xyz);
    vec3 key = normalize(vec3(-0.45, 0.75, 0.5));
    float diffuse = max(dot(normal, key), 0.0);
    float facing = max(dot(normal, view), 0.0);
    float fresnel = pow(1.0 - facing, 3.0);
    float shine = pow(max(dot(reflect(-key, normal), view), 0.0), 28.0);

    float molten = smoothstep(0.12, 0.75, h);
    vec3 lacquer = palette(0.2 + 0.14 * (0.5 + 0.5 * n0.y));
    vec3 gold = palette(0.56 + 0.4 * molten);

    vec2 onScreen = gl_Position.xy / gl_Position.w * 0.5 + 0.5;
    vec3 lanterns = texture2DLod(rockTex, onScreen, 0.0).rgb;

    vec3 harbour = vec3(0.1, 0.5, 0.58);  // the water's teal, at the rim
    vec3 colour = mix(lacquer * (0.2 + 0.9 * diffuse), gold * (0.55 + 0.6 * diffuse), molten) +
                  harbour * fresnel * 0.9 + vec3(1.0, 0.93, 0.8) * shine * 0.85 +
                  lanterns * (0.2 + 0.5 * fresnel);
    // The spheres crowd together on screen: the far ones sink into the night air, so each
    // stands apart from the one behind it. The camera is about 2260 units out.
    float far = smoothstep(1950.0, 2550.0, length(gl_ModelViewMatrix[3].xyz));
    colour = mix(colour, vec3(0.07, 0.06, 0.17), far * 0.55);
    // Glassy where it faces the viewer, solid at the rim and where it is molten; only seen
    // where the spheres are blended, over the closing composite.
    shade = vec4(colour, mix(0.75, 1.0, max(fresnel, molten)));
}
