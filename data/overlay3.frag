#version 120
uniform sampler2D tex;
uniform float fader;

varying vec2 uv;

void main() {
    vec4 card = texture2D(tex, uv);
    gl_FragColor = vec4(card.rgb, card.a * fader);
}
