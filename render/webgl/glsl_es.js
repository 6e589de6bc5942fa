// The show's GLSL 1.20 made valid GLSL ES 1.00 for WebGL, the same way at build time (for
// every shader in data/, by web/convert-shaders.js) and in the browser (for the programs the
// kit builds from its own source text, through render/webgl/layer.js). Converting converted
// text changes nothing, and a stage assembled from several converted files stays valid.
//
// What differs between the two languages in the show's shaders:
// - "#version 120" is not ES (and Emscripten's GL emulation puts declarations above it);
// - gl_NormalMatrix is not emulated: it is the inverse transpose of the model-view matrix's
//   upper 3 x 3, worked out in the shader from gl_ModelViewMatrix (which is emulated);
// - texture2DLod in a fragment shader needs EXT_shader_texture_lod (texture2DLodEXT), which
//   keeps the fixed mip levels the shaders ask for where desktop GL has ARB_shader_texture_lod;
// - fragment shaders need a float precision: highp where the GPU has it, as on the desktop;
// - a vertex shader that does not write gl_PointSize draws points of undefined size: 1, as
//   glPointSize leaves it on the desktop.
(function (exports) {
    'use strict';

    const normalMatrixFunction =
        '#ifndef NIMRA_NORMAL_MATRIX\n#define NIMRA_NORMAL_MATRIX\n' +
        'mat3 nimraNormalMatrix(mat4 m) {\n' +
        '    vec3 c0 = m[0].xyz, c1 = m[1].xyz, c2 = m[2].xyz;\n' +
        '    vec3 r0 = cross(c1, c2), r1 = cross(c2, c0), r2 = cross(c0, c1);\n' +
        '    return mat3(r0, r1, r2) / dot(c0, r0);\n' +
        '}\n#endif\n';

    const fragmentPrecision =
        '#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n#endif\n';

    // Where a function can go: before the first function definition or main.
    function beforeFirstFunction(source, text) {
        const at = source.search(/^[ \t]*(void|float|vec[234]|mat[234]|int|bool)\s+\w+\s*\([^;{]*\)\s*\{/m);
        if (at < 0) return source + '\n' + text;
        return source.slice(0, at) + text + source.slice(at);
    }

    // The line after the last leading preprocessor line, comment or blank line: declarations
    // and statements go there, so that #extension lines stay ahead of them.
    function afterPreamble(source, text) {
        const lines = source.split('\n');
        let i = 0, inComment = false, depth = 0;
        for (; i < lines.length; ++i) {
            const line = lines[i].trim();
            if (inComment) {
                if (line.includes('*/')) inComment = false;
                continue;
            }
            if (line === '' || line.startsWith('//')) continue;
            if (line.startsWith('/*')) {
                if (!line.includes('*/')) inComment = true;
                continue;
            }
            if (line.startsWith('#')) {
                if (/^#\s*if/.test(line)) ++depth;
                if (/^#\s*endif/.test(line)) --depth;
                continue;
            }
            if (depth > 0) continue;  // inside a conditional block of the preamble
            break;
        }
        lines.splice(i, 0, text.replace(/\n$/, ''));
        return lines.join('\n');
    }

    function toEs(source, stage) {
        if (stage !== 'vertex' && stage !== 'fragment') throw new Error('stage must be vertex or fragment');
        let s = source.replace(/\r\n/g, '\n');
        // Kept as a blank line, so that compile logs count the file's first lines as it does.
        s = s.replace(/^[ \t]*#[ \t]*version[^\n]*/m, '');
        if (/\bgl_NormalMatrix\b/.test(s)) {
            s = s.replace(/\bgl_NormalMatrix\b/g, 'nimraNormalMatrix(gl_ModelViewMatrix)');
            s = beforeFirstFunction(s, normalMatrixFunction);
        }
        if (stage === 'fragment') {
            s = s.replace(/\bGL_ARB_shader_texture_lod\b/g, 'GL_EXT_shader_texture_lod');
            s = s.replace(/\btexture2DLod\s*\(/g, 'texture2DLodEXT(');
            s = s.replace(/\btexture2DProjLod\s*\(/g, 'texture2DProjLodEXT(');
            s = s.replace(/\btextureCubeLod\s*\(/g, 'textureCubeLodEXT(');
            if (!/^\s*precision\s+(lowp|mediump|highp)\s+float\s*;/m.test(s)) {
                s = afterPreamble(s, fragmentPrecision);
            }
        } else if (/\bvoid\s+main\s*\(\s*(void)?\s*\)\s*\{/.test(s) && !/\bgl_PointSize\b/.test(s)) {
            s = s.replace(/\bvoid\s+main\s*\(\s*(void)?\s*\)\s*\{/, (m) => m + '\n    gl_PointSize = 1.0;');
        }
        return s;
    }

    // Emscripten's GL emulation puts its own declarations (and a precision) ahead of the
    // source it is given; ES wants every #extension line before anything but the
    // preprocessor. Moves them to the top, each once.
    function hoistExtensions(source) {
        const extensions = [];
        const rest = source.replace(/^[ \t]*#[ \t]*extension[^\n]*\n?/gm, (line) => {
            const trimmed = line.trim();
            if (!extensions.includes(trimmed)) extensions.push(trimmed);
            return '\n';
        });
        if (extensions.length === 0) return source;
        return extensions.join('\n') + '\n' + rest;
    }

    exports.toEs = toEs;
    exports.hoistExtensions = hoistExtensions;
})(typeof module !== 'undefined' && module.exports ? module.exports : (this.nimraGlsl = {}));
