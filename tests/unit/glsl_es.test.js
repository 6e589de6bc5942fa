// The shaders' conversion to GLSL ES for the browser (render/webgl/glsl_es.js): what it
// changes, and that converting converted text, or a stage put together from converted files,
// changes nothing more.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const glsl = require('../../render/webgl/glsl_es.js');

const data = path.join(__dirname, '..', '..', 'data');
const shaders = fs.readdirSync(data).filter((f) => f.endsWith('.vert') || f.endsWith('.frag'));
const stageOf = (file) => (file.endsWith('.vert') ? 'vertex' : 'fragment');

test('every shader of the show converts once and for all', () => {
  assert.ok(shaders.length > 20);
  for (const file of shaders) {
    const once = glsl.toEs(fs.readFileSync(path.join(data, file), 'utf8'), stageOf(file));
    assert.strictEqual(glsl.toEs(once, stageOf(file)), once, file);
    assert.doesNotMatch(once, /#\s*version/, file);
    assert.doesNotMatch(once, /\bgl_NormalMatrix\b/, file);
    assert.doesNotMatch(once, /GL_ARB_shader_texture_lod/, file);
    if (stageOf(file) === 'fragment') {
      assert.match(once, /precision highp float;/, file);
      assert.doesNotMatch(once, /\btexture2DLod\s*\(/, file);
    } else if (/void\s+main/.test(once)) {
      assert.match(once, /gl_PointSize/, file);
    }
  }
});

test('desktop-only constructs become their ES counterparts', () => {
  const vertex = glsl.toEs('#version 120\nattribute vec3 n;\nvarying vec3 v;\n' +
                           'void main() { v = gl_NormalMatrix * n; gl_Position = ftransform(); }\n', 'vertex');
  assert.match(vertex, /mat3 nimraNormalMatrix\(mat4 m\)/);
  assert.match(vertex, /v = nimraNormalMatrix\(gl_ModelViewMatrix\) \* n;/);
  assert.match(vertex, /void main\(\) \{\n    gl_PointSize = 1\.0;/);
  // The helper comes before the function that uses it, and is defined once in a stage of
  // two converted files.
  assert.ok(vertex.indexOf('nimraNormalMatrix(mat4') < vertex.indexOf('void main'));
  const twice = glsl.toEs('vec3 f(vec3 n) { return gl_NormalMatrix * n; }\n', 'vertex') + vertex;
  assert.match(twice, /#ifndef NIMRA_NORMAL_MATRIX/);

  const fragment = glsl.toEs('#version 120\n#ifdef GL_ARB_shader_texture_lod\n' +
                             '#extension GL_ARB_shader_texture_lod : enable\n' +
                             '#define at(s, uv) texture2DLod(s, uv, 1.0)\n#else\n' +
                             '#define at(s, uv) texture2D(s, uv)\n#endif\nuniform sampler2D t;\n' +
                             'void main() { gl_FragColor = at(t, vec2(0.5)); }\n', 'fragment');
  assert.match(fragment, /#extension GL_EXT_shader_texture_lod : enable/);
  assert.match(fragment, /texture2DLodEXT\(s, uv, 1\.0\)/);
  // The precision comes after the conditional block, ahead of the first declaration.
  assert.ok(fragment.indexOf('#endif') < fragment.indexOf('precision highp float;'));
  assert.ok(fragment.indexOf('precision highp float;') < fragment.indexOf('uniform sampler2D t;'));
});

test('extension lines go ahead of what the emulation puts in front, once each', () => {
  const source = 'uniform mat4 u_modelView;\n#extension GL_EXT_shader_texture_lod : enable\n' +
                 'void main() {}\n#extension GL_EXT_shader_texture_lod : enable\n';
  const hoisted = glsl.hoistExtensions(source);
  assert.ok(hoisted.startsWith('#extension GL_EXT_shader_texture_lod : enable\n'));
  assert.strictEqual(hoisted.match(/#extension/g).length, 1);
  assert.strictEqual(glsl.hoistExtensions('void main() {}\n'), 'void main() {}\n');
});
