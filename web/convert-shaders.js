#!/usr/bin/env node
// node web/convert-shaders.js DATA OUT: every shader in DATA (*.vert, *.frag) made GLSL ES
// 1.00 (render/webgl/glsl_es.js) into OUT, and each one checked with glslangValidator as the
// browser will see it: with the names Emscripten's GL emulation stands in for (gl_Vertex, the
// matrices) replaced the way it replaces them. A stage may be assembled from several files
// (a file of declarations and helpers without main, then one with main): a file that does
// not compile alone passes when it compiles after one of its stage's files without main, and
// a file without main passes when some such pairing, or the file with an empty main, does.
// Exits 1, naming every shader that fails.
'use strict';
const fs = require('fs');
const path = require('path');
const os = require('os');
const { execFileSync } = require('child_process');
const glsl = require('../render/webgl/glsl_es.js');

// What Emscripten's emulation does to a shader before WebGL sees it, reduced to the names
// the show's shaders use; anything else left over fails the check, as it would in the page.
function asEmulated(source, stage) {
    const declarations = [];
    const swap = (pattern, name, declaration) => {
        if (pattern.test(source)) {
            source = source.replace(pattern, name);
            if (declaration && !declarations.includes(declaration)) declarations.push(declaration);
        }
    };
    if (stage === 'vertex') {
        swap(/ftransform\(\)/g, '(u_projection * u_modelView * a_position)', null);
        if (source.includes('u_projection * u_modelView * a_position')) {
            declarations.push('uniform mat4 u_projection;', 'uniform mat4 u_modelView;', 'attribute vec4 a_position;');
        }
        swap(/gl_ProjectionMatrix/g, 'u_projection', 'uniform mat4 u_projection;');
        swap(/gl_ModelViewProjectionMatrix/g, '(u_projection * u_modelView)', 'uniform mat4 u_projection;');
        if (source.includes('u_modelView')) declarations.push('uniform mat4 u_modelView;');
        swap(/gl_ModelViewMatrix/g, 'u_modelView', 'uniform mat4 u_modelView;');
        swap(/gl_Vertex/g, 'a_position', 'attribute vec4 a_position;');
        swap(/gl_Normal\b/g, 'a_normal', 'attribute vec3 a_normal;');
        swap(/gl_Color/g, 'a_color', 'attribute vec4 a_color;');
        swap(/gl_FrontColor/g, 'v_color', 'varying vec4 v_color;');
        for (let i = 0; i < 4; ++i) {
            swap(new RegExp('gl_MultiTexCoord' + i, 'g'), 'a_texCoord' + i, 'attribute vec4 a_texCoord' + i + ';');
            swap(new RegExp('gl_TexCoord\\[' + i + '\\]', 'g'), 'v_texCoord' + i, 'varying vec4 v_texCoord' + i + ';');
            swap(new RegExp('gl_TextureMatrix\\[' + i + '\\]', 'g'), 'u_textureMatrix' + i, 'uniform mat4 u_textureMatrix' + i + ';');
        }
    } else {
        for (let i = 0; i < 4; ++i) {
            swap(new RegExp('gl_TexCoord\\[' + i + '\\]', 'g'), 'v_texCoord' + i, 'varying vec4 v_texCoord' + i + ';');
        }
        swap(/gl_Color/g, 'v_color', 'varying vec4 v_color;');
    }
    const unique = [...new Set(declarations)];
    return '#version 100\n' + glsl.hoistExtensions(unique.join('\n') + '\n' + source);
}

function main() {
    const [dataDir, outDir] = process.argv.slice(2);
    if (!dataDir || !outDir) {
        console.error('usage: convert-shaders.js DATA OUT');
        process.exit(2);
    }
    fs.mkdirSync(outDir, { recursive: true });
    const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'nimra-glsl-'));
    let serial = 0;
    const compiles = (source, stage) => {
        const check = path.join(scratch, 'check' + ++serial + (stage === 'vertex' ? '.vert' : '.frag'));
        fs.writeFileSync(check, asEmulated(source, stage));
        try {
            execFileSync('glslangValidator', [check], { stdio: 'pipe' });
            return '';
        } catch (error) {
            return String(error.stdout || error.message).replace(/^\S*check\d+\.\w+\n/, '').trim();
        }
    };
    const shaders = [];
    for (const name of fs.readdirSync(dataDir).sort()) {
        const extension = path.extname(name);
        if (extension !== '.vert' && extension !== '.frag') continue;
        const stage = extension === '.vert' ? 'vertex' : 'fragment';
        const converted = glsl.toEs(fs.readFileSync(path.join(dataDir, name), 'utf8'), stage);
        fs.writeFileSync(path.join(outDir, name), converted);
        shaders.push({ name, stage, converted, hasMain: /\bvoid\s+main\s*\(/.test(converted) });
    }
    const failed = [];
    const partsUsed = new Set();
    try {
        for (const shader of shaders.filter((s) => s.hasMain)) {
            let log = compiles(shader.converted, shader.stage);
            if (log === '') continue;
            for (const part of shaders.filter((s) => !s.hasMain && s.stage === shader.stage)) {
                if (compiles(part.converted + '\n' + shader.converted, shader.stage) === '') {
                    partsUsed.add(part.name);
                    log = '';
                    break;
                }
            }
            if (log !== '') failed.push(shader.name + ':\n' + log);
        }
        for (const part of shaders.filter((s) => !s.hasMain && !partsUsed.has(s.name))) {
            const log = compiles(part.converted + '\nvoid main() {}\n', part.stage);
            if (log !== '') failed.push(part.name + ':\n' + log);
        }
    } finally {
        fs.rmSync(scratch, { recursive: true, force: true });
    }
    const count = shaders.length;
    if (failed.length > 0) {
        console.error('shaders: ' + failed.length + ' of ' + count + ' are not valid GLSL ES 1.00 once converted:');
        for (const f of failed) console.error(f);
        process.exit(1);
    }
    console.log('shaders: ' + count + ' converted to GLSL ES 1.00 and checked');
}

main();
