// The kit's GL in the browser: what desktop GL 2.1 allows and WebGL 1 refuses, answered once
// here for every scene, linked into the browser program as an Emscripten JS library
// (--js-library) on top of Emscripten's legacy GL emulation.
//
// Entry points the emulation leaves out or leaves as "TODO" are defined here:
// - the EXT framebuffer-object names are the core ones;
// - glDrawBuffer / glReadBuffer: WebGL 1 has one colour attachment, so a framebuffer's other
//   attachments are remembered and the one drawn into is attached as attachment 0;
// - glGetTexLevelParameteriv answers from the sizes the kit's uploads gave, glGetTexImage
//   reads the level back through a framebuffer;
// - glGetBufferSubData reads from a copy of what the buffer was given;
// - glPushAttrib / glPopAttrib and the client-state pair keep the state the kit changes;
// - glBlitFramebuffer copies with a textured quad.
// And the context's own calls are wrapped (render/webgl/layer: install) where the
// arguments desktop GL takes are refused: GL_CLAMP wrapping, sized and numbered internal
// formats, 24- and 32-bit depth buffers, an RGBA copy from a framebuffer without alpha, the
// pixel-pack buffer the sphere scene reads its grid into (bytes read back and made floats
// exactly as desktop GL makes them), buffers bound to a target WebGL will not bind them to.

var LibraryWebGLKit = {
  $WebGLKit__deps: ['$GL', '$Browser'],
  $WebGLKit__postset: 'Browser.moduleContextCreatedCallbacks.push(function() { WebGLKit.install(GLctx); });',
  $WebGLKit: {
    // Filled by install: a library's values are written out as text, so no Map or typed
    // array can be made here.
    installed: null,
    textures: null,       // WebGLTexture -> {levels: [{width, height, format}]}
    renderbuffers: null,  // WebGLRenderbuffer -> {depthStencil}
    framebuffers: null,   // WebGLFramebuffer -> {colour: [texture per attachment], drawIndex, readIndex}
    buffers: null,        // WebGLBuffer -> {kind: 'array' | 'element', size, bytes (index data only)}
    bound: null,          // what the program has bound: {array, element, pack}
    real: null,           // what WebGL has bound: {array, element}
    framebuffer: null,
    indexType: 0,  // while the emulation draws: the index type the program asked for
    alphaInWindow: false,
    unorm: null,  // byte b read as a float, as desktop GL converts an unsigned normalised byte
    attribStack: [],
    clientStack: [],
    blit: null,

    install: function(gl) {
      if (WebGLKit.installed === gl) return;
      WebGLKit.installed = gl;
      WebGLKit.textures = new Map();
      WebGLKit.renderbuffers = new Map();
      WebGLKit.framebuffers = new Map();
      WebGLKit.buffers = new Map();
      WebGLKit.bound = {array: null, element: null, pack: null};
      WebGLKit.real = {array: null, element: null};
      WebGLKit.unorm = new Float32Array(256);
      // b times the float nearest 1/255, rounded to a float: Mesa's conversion, bit for bit
      // (tests/gl/grid_readback_test.cpp); b / 255 differs in the last bit for half the bytes.
      var reciprocal = Math.fround(1 / 255);
      for (var b = 0; b < 256; ++b) WebGLKit.unorm[b] = Math.fround(b * reciprocal);
      var attributes = gl.getContextAttributes();
      WebGLKit.alphaInWindow = !!(attributes && attributes.alpha);
      gl.getExtension('EXT_shader_texture_lod');
      gl.getExtension('OES_standard_derivatives');
      gl.getExtension('OES_element_index_uint');
      var kit = WebGLKit;
      var wrap = function(name, make) {
        var original = gl[name].bind(gl);
        gl[name] = make(original);
      };

      // Shaders: the kit's own programs come as desktop GLSL; the emulation puts its
      // declarations ahead of every #extension line, which ES wants first.
      if (typeof nimraGlsl !== 'undefined') {
        var getSource = GL.getSource;
        GL.getSource = function(shader, count, string, length) {
          var source = getSource(shader, count, string, length);
          var type = gl.getShaderParameter(GL.shaders[shader], 0x8B4F /* SHADER_TYPE */);
          return nimraGlsl.toEs(source, type == 0x8B31 ? 'vertex' : 'fragment');
        };
        wrap('shaderSource', function(original) {
          return function(shader, source) { original(shader, nimraGlsl.hoistExtensions(source)); };
        });
      }

      var boundTexture = function(target) {
        return gl.getParameter(target == 0x8513 || (target >= 0x8515 && target <= 0x851A) ? 0x8514 : 0x8069);
      };
      // Textures whose sides are not powers of two (the window-sized copies and targets):
      // WebGL 1 samples them only clamped to the edge and without mipmaps, and anything
      // else leaves them black. Desktop GL's repeat differs from the edge only in the outer
      // half texel, which a picture laid exactly over the screen never reaches.
      var powerOfTwo = function(n) { return n > 0 && (n & (n - 1)) == 0; };
      var withoutMipmaps = function(filter) {
        return filter == 0x2700 || filter == 0x2702 ? 0x2600 : filter == 0x2701 || filter == 0x2703 ? 0x2601 : filter;
      };
      var record = function(target, level, width, height, format) {
        var texture = boundTexture(target);
        if (!texture) return;
        var entry = kit.textures.get(texture);
        if (!entry) kit.textures.set(texture, entry = {levels: []});
        entry.levels[level] = {width: width, height: height, format: format};
        if (level != 0) return;
        var npot = !powerOfTwo(width) || !powerOfTwo(height);
        if (npot && !entry.npot && target == 0x0DE1) {
          kit.originalTexParameteri(target, 0x2802, 0x812F);
          kit.originalTexParameteri(target, 0x2803, 0x812F);
          kit.originalTexParameteri(target, 0x2801, withoutMipmaps(gl.getTexParameter(target, 0x2801)));
        }
        entry.npot = npot;
      };
      var boundIsNpot = function(target) {
        var texture = boundTexture(target);
        var entry = texture && kit.textures.get(texture);
        return !!(entry && entry.npot);
      };
      wrap('generateMipmap', function(original) {
        return function(target) { if (!boundIsNpot(target)) original(target); };
      });
      var baseFormat = function(internalFormat, format) {
        switch (internalFormat) {
          case 1: return 0x1909;  // LUMINANCE
          case 2: return 0x190A;  // LUMINANCE_ALPHA
          case 3: case 0x8051: case 0x8054: return 0x1907;  // RGB, RGB8, RGB16
          case 4: case 0x8058: case 0x805B: return 0x1908;  // RGBA, RGBA8, RGBA16
          default: return format !== undefined ? format : internalFormat;
        }
      };
      wrap('texImage2D', function(original) {
        kit.originalTexImage2D = original;
        return function(target, level, internalFormat, width, height, border, format, type, pixels) {
          if (arguments.length === 9) {
            // WebGL 1 takes no sized or numbered formats: the internal format is the format.
            var base = baseFormat(internalFormat, format);
            original(target, level, format, width, height, border, format, type, pixels);
            record(target, level, width, height, base);
          } else {
            original.apply(null, arguments);
          }
        };
      });
      wrap('copyTexImage2D', function(original) {
        return function(target, level, internalFormat, x, y, width, height, border) {
          var format = baseFormat(internalFormat);
          // Copied from a picture without alpha, desktop GL reads alpha as 1; WebGL refuses
          // the copy. An RGB texture samples alpha as 1 too.
          if (format == 0x1908 && !kit.framebuffer && !kit.alphaInWindow) format = 0x1907;
          original(target, level, format, x, y, width, height, border);
          record(target, level, width, height, format);
        };
      });
      // A copy into part of an RGBA texture from the window without alpha: WebGL wants the
      // texture's format to be one the window has. Desktop GL fills alpha with 1, which is
      // what an RGB texture samples, so the texture becomes RGB (once; the rest of it starts
      // over cleared, which the kit's partial copies never read).
      wrap('copyTexSubImage2D', function(original) {
        return function(target, level, xoffset, yoffset, x, y, width, height) {
          if (!kit.framebuffer && !kit.alphaInWindow) {
            var texture = boundTexture(target);
            var entry = texture && kit.textures.get(texture);
            var info = entry && entry.levels[level];
            if (info && info.format == 0x1908) {
              kit.originalTexImage2D(target, level, 0x1907, info.width, info.height, 0, 0x1907, 0x1401, null);
              info.format = 0x1907;
            }
          }
          original(target, level, xoffset, yoffset, x, y, width, height);
        };
      });
      var parameter = function(target, pname, param) {
        var wrapping = pname == 0x2802 || pname == 0x2803;
        // GL_CLAMP and CLAMP_TO_BORDER: the edge texel (the border would be transparent black).
        if (wrapping && (param == 0x2900 || param == 0x812D)) return 0x812F;
        if (boundIsNpot(target)) {
          if (wrapping) return 0x812F;
          if (pname == 0x2801) return withoutMipmaps(param);
        }
        return param;
      };
      wrap('texParameteri', function(original) {
        kit.originalTexParameteri = original;
        return function(target, pname, param) { original(target, pname, parameter(target, pname, param)); };
      });
      wrap('texParameterf', function(original) {
        return function(target, pname, param) { original(target, pname, parameter(target, pname, param)); };
      });

      wrap('drawElements', function(original) {
        return function(mode, count, type, offset) {
          if (kit.indexType && type == 0x1403) type = kit.indexType;
          original(mode, count, type, offset);
        };
      });

      // Depth: WebGL 1 has 16-bit depth or a depth-stencil buffer (24 bits of depth where
      // the desktop has 24 or 32); the latter, attached where the depth buffer was asked for.
      wrap('renderbufferStorage', function(original) {
        return function(target, internalFormat, width, height) {
          var depthStencil = internalFormat == 0x81A6 || internalFormat == 0x81A7 || internalFormat == 0x88F0;
          var renderbuffer = gl.getParameter(0x8CA7 /* RENDERBUFFER_BINDING */);
          if (renderbuffer) kit.renderbuffers.set(renderbuffer, {depthStencil: depthStencil});
          if (internalFormat == 0x8058 || internalFormat == 0x8051) internalFormat = 0x8056;  // RGBA4
          original(target, depthStencil ? 0x84F9 : internalFormat, width, height);
        };
      });
      wrap('framebufferRenderbuffer', function(original) {
        return function(target, attachment, renderbufferTarget, renderbuffer) {
          var entry = renderbuffer && kit.renderbuffers.get(renderbuffer);
          if (entry && entry.depthStencil && attachment == 0x8D00) attachment = 0x821A;
          original(target, attachment, renderbufferTarget, renderbuffer);
        };
      });

      // WebGL 1 binds one framebuffer for drawing and reading alike: a read or draw binding
      // alone is remembered for glBlitFramebuffer, which is what the kit binds them for.
      wrap('bindFramebuffer', function(original) {
        kit.originalBindFramebufferRaw = original;
        return function(target, framebuffer) {
          if (target == 0x8CA8) { kit.readFramebuffer = framebuffer; return; }
          if (target == 0x8CA9) { kit.drawFramebuffer = framebuffer; return; }
          kit.readFramebuffer = undefined;
          kit.drawFramebuffer = undefined;
          kit.framebuffer = framebuffer;
          original(target, framebuffer);
        };
      });
      var framebufferEntry = function(framebuffer) {
        var entry = kit.framebuffers.get(framebuffer);
        if (!entry) kit.framebuffers.set(framebuffer, entry = {colour: [], drawIndex: 0, readIndex: 0});
        return entry;
      };
      kit.attachColour = function(entry, index) {
        var texture = entry.colour[index] || null;
        if (entry.attached === texture) return;
        kit.originalFramebufferTexture2D(0x8D40, 0x8CE0, 0x0DE1, texture, 0);
        entry.attached = texture;
      };
      wrap('framebufferTexture2D', function(original) {
        kit.originalFramebufferTexture2D = original;
        return function(target, attachment, textarget, texture, level) {
          if (attachment >= 0x8CE0 && attachment <= 0x8CEF && kit.framebuffer) {
            var entry = framebufferEntry(kit.framebuffer);
            var index = attachment - 0x8CE0;
            entry.colour[index] = texture;
            if (index == entry.drawIndex) kit.attachColour(entry, index);
            return;
          }
          original(target, attachment, textarget, texture, level);
        };
      });

      // Buffers: what each was given is kept (for glGetBufferSubData), and a buffer is only
      // bound where WebGL allows it; elsewhere the binding is the program's alone.
      var kindOf = function(target) {
        return target == 0x8892 ? 'array' : target == 0x8893 ? 'element' : target == 0x88EB ? 'pack' : null;
      };
      var bufferEntry = function(buffer, kind) {
        var entry = kit.buffers.get(buffer);
        if (!entry) kit.buffers.set(buffer, entry = {kind: kind == 'element' ? 'element' : 'array', size: 0, bytes: null});
        return entry;
      };
      var realBind = function(kind, buffer) {
        var target = kind == 'element' ? 0x8893 : 0x8892;
        if (kit.real[kind] === buffer) return;
        kit.originalBindBuffer(target, buffer);
        kit.real[kind] = buffer;
      };
      // Runs fn with buffer really bound to ARRAY_BUFFER or ELEMENT_ARRAY_BUFFER, whichever
      // WebGL takes it on (the first it was bound to), and puts back what was bound there.
      kit.withBuffer = function(buffer, fn) {
        var entry = bufferEntry(buffer, 'array');
        var before = kit.real[entry.kind];
        realBind(entry.kind, buffer);
        fn(entry.kind == 'element' ? 0x8893 : 0x8892, entry);
        realBind(entry.kind, before);
      };
      wrap('bindBuffer', function(original) {
        kit.originalBindBuffer = original;
        return function(target, buffer) {
          var kind = kindOf(target);
          if (!kind) return original(target, buffer);
          kit.bound[kind] = buffer;
          if (kind == 'pack') return;
          if (!buffer || bufferEntry(buffer, kind).kind == kind) realBind(kind, buffer);
        };
      });
      // Only index data is kept whole (the sphere scene reads its largest index back); of
      // the rest, only the size.
      var keep = function(entry, offset, data, size) {
        if (size !== undefined) {
          entry.size = size;
          entry.bytes = entry.kind == 'element' ? new Uint8Array(size) : null;
        }
        if (!entry.bytes || !data || typeof data == 'number') return;
        var bytes = data instanceof ArrayBuffer ? new Uint8Array(data)
                  : new Uint8Array(data.buffer, data.byteOffset, data.byteLength);
        if (entry.bytes.length >= offset + bytes.length) entry.bytes.set(bytes, offset);
      };
      wrap('bufferData', function(original) {
        kit.originalBufferData = original;
        return function(target, data, usage) {
          var kind = kindOf(target);
          var buffer = kind && kit.bound[kind];
          if (!buffer) return original(target, data, usage);
          kit.withBuffer(buffer, function(realTarget, entry) {
            original(realTarget, data, usage);
            keep(entry, 0, data, typeof data == 'number' ? data : data ? data.byteLength : 0);
          });
        };
      });
      wrap('bufferSubData', function(original) {
        kit.originalBufferSubData = original;
        return function(target, offset, data) {
          var kind = kindOf(target);
          var buffer = kind && kit.bound[kind];
          if (!buffer) return original(target, offset, data);
          kit.withBuffer(buffer, function(realTarget, entry) {
            original(realTarget, offset, data);
            keep(entry, offset, data);
          });
        };
      });
      wrap('getBufferParameter', function(original) {
        return function(target, pname) {
          var kind = kindOf(target);
          var buffer = kind && kit.bound[kind];
          if (buffer && pname == 0x8764 /* BUFFER_SIZE */) return bufferEntry(buffer, kind).size;
          return original(target, pname);
        };
      });

      // Pixels into the pack buffer: bytes read back, made floats where floats were asked
      // for, and stored into the buffer.
      wrap('readPixels', function(original) {
        kit.originalReadPixels = original;
        return function(x, y, width, height, format, type, pixels) {
          var buffer = kit.bound.pack;
          if (!buffer) return original(x, y, width, height, format, type, pixels);
          var offset = pixels ? pixels.byteOffset : 0;
          var components = format == 0x1907 ? 3 : format == 0x1906 ? 1 : 4;
          var rgba = new Uint8Array(width * height * 4);
          original(x, y, width, height, 0x1908, 0x1401, rgba);
          var count = width * height * components;
          var values = type == 0x1406 ? new Float32Array(count) : new Uint8Array(count);
          for (var p = 0, i = 0; p < width * height; ++p) {
            for (var c = 0; c < components; ++c, ++i) {
              var b = rgba[p * 4 + (format == 0x1906 ? 3 : c)];
              values[i] = type == 0x1406 ? kit.unorm[b] : b;
            }
          }
          kit.withBuffer(buffer, function(realTarget, entry) {
            kit.originalBufferSubData(realTarget, offset, values);
            keep(entry, offset, values);
          });
        };
      });
    },

    // The bound texture's entry and the texture, for the queries.
    boundTextureEntry: function(target) {
      var gl = GLctx;
      var texture = gl.getParameter(target == 0x8513 || (target >= 0x8515 && target <= 0x851A) ? 0x8514 : 0x8069);
      return {texture: texture, entry: texture && WebGLKit.textures.get(texture)};
    },

    // What glPushAttrib keeps for the bits the kit uses: the enables, the viewport, the
    // colour buffer's state and unit 0's 2D texture.
    capabilities: [0x0BE2, 0x0B71, 0x0C11, 0x0B44, 0x0B90, 0x8037],
  },

  // Client arrays: a stride of 0 means tightly packed. The emulation takes 0 for "arrays of
  // different strides" and copies them out of the program's memory, which for arrays in a
  // buffer object is the wrong place altogether; given the packed stride it reads the buffer.
  glVertexPointer__deps: ['$GLEmulation'],
  glVertexPointer: function(size, type, stride, pointer) {
    GLImmediate.setClientAttribute(GLImmediate.VERTEX, size, type,
                                   stride || size * GL.byteSizeByType[type - GL.byteSizeByTypeRoot], pointer);
  },
  glTexCoordPointer__deps: ['$GLEmulation'],
  glTexCoordPointer: function(size, type, stride, pointer) {
    GLImmediate.setClientAttribute(GLImmediate.TEXTURE0 + GLImmediate.clientActiveTexture, size, type,
                                   stride || size * GL.byteSizeByType[type - GL.byteSizeByTypeRoot], pointer);
  },
  glNormalPointer__deps: ['$GLEmulation'],
  glNormalPointer: function(type, stride, pointer) {
    GLImmediate.setClientAttribute(GLImmediate.NORMAL, 3, type,
                                   stride || 3 * GL.byteSizeByType[type - GL.byteSizeByTypeRoot], pointer);
  },
  glColorPointer__deps: ['$GLEmulation'],
  glColorPointer: function(size, type, stride, pointer) {
    GLImmediate.setClientAttribute(GLImmediate.COLOR, size, type,
                                   stride || size * GL.byteSizeByType[type - GL.byteSizeByTypeRoot], pointer);
  },

  // Indexed draws through the emulation (client arrays enabled) keep their index type: the
  // emulation's own draw takes every index as 16 bits, and the kit's meshes have 32.
  glDrawElements__deps: ['$GLImmediateSetup', '$WebGLKit'],
  glDrawElements: function(mode, count, type, indices, start, end) {
    if (GLImmediate.totalEnabledClientAttributes == 0 && mode <= 6 && GLctx.currentElementArrayBufferBinding) {
      GLctx.drawElements(mode, count, type, indices);
      return;
    }
    GLImmediate.prepareClientAttributes(count, false);
    GLImmediate.mode = mode;
    if (!GLctx.currentArrayBufferBinding) {
      GLImmediate.firstVertex = end ? start : HEAP8.length;
      GLImmediate.lastVertex = end ? end + 1 : 0;
      GLImmediate.vertexData = HEAPF32.subarray(GLImmediate.vertexPointer >> 2,
          end ? (GLImmediate.vertexPointer + (end + 1) * GLImmediate.stride) >> 2 : undefined);
    }
    WebGLKit.indexType = GLctx.currentElementArrayBufferBinding ? type : 0;
    try {
      GLImmediate.flush(count, 0, indices);
    } finally {
      WebGLKit.indexType = 0;
    }
    GLImmediate.mode = -1;
  },

  glGenFramebuffersEXT: 'glGenFramebuffers',
  glDeleteFramebuffersEXT: 'glDeleteFramebuffers',
  glBindFramebufferEXT: 'glBindFramebuffer',
  glFramebufferTexture2DEXT: 'glFramebufferTexture2D',
  glFramebufferRenderbufferEXT: 'glFramebufferRenderbuffer',
  glCheckFramebufferStatusEXT: 'glCheckFramebufferStatus',
  glGenRenderbuffersEXT: 'glGenRenderbuffers',
  glDeleteRenderbuffersEXT: 'glDeleteRenderbuffers',
  glBindRenderbufferEXT: 'glBindRenderbuffer',
  glRenderbufferStorageEXT: 'glRenderbufferStorage',
  glGenerateMipmapEXT: 'glGenerateMipmap',
  glIsFramebufferEXT: 'glIsFramebuffer',
  glIsRenderbufferEXT: 'glIsRenderbuffer',

  glDrawBuffer__deps: ['$WebGLKit'],
  glDrawBuffer: function(mode) {
    var framebuffer = WebGLKit.framebuffer;
    if (!framebuffer) return;  // the window's back buffer is the only one drawn into
    var entry = WebGLKit.framebuffers.get(framebuffer);
    if (!entry) WebGLKit.framebuffers.set(framebuffer, entry = {colour: [], drawIndex: 0, readIndex: 0});
    if (mode >= 0x8CE0 && mode <= 0x8CEF) {
      entry.drawIndex = mode - 0x8CE0;
      WebGLKit.attachColour(entry, entry.drawIndex);
    }
  },

  glReadBuffer__deps: ['$WebGLKit'],
  glReadBuffer: function(mode) {
    var framebuffer = WebGLKit.framebuffer;
    if (!framebuffer) return;
    var entry = WebGLKit.framebuffers.get(framebuffer);
    if (entry && mode >= 0x8CE0 && mode <= 0x8CEF) entry.readIndex = mode - 0x8CE0;
  },

  glGetTexLevelParameteriv__deps: ['$WebGLKit'],
  glGetTexLevelParameteriv: function(target, level, pname, params) {
    var found = WebGLKit.boundTextureEntry(target);
    var info = found.entry && found.entry.levels[level];
    var value = 0;
    if (info) {
      if (pname == 0x1000) value = info.width;
      else if (pname == 0x1001) value = info.height;
      else if (pname == 0x1003) value = info.format;
    }
    {{{ makeSetValue('params', '0', 'value', 'i32') }}};
  },

  glGetTexImage__deps: ['$WebGLKit'],
  glGetTexImage: function(target, level, format, type, pixels) {
    var gl = GLctx;
    var found = WebGLKit.boundTextureEntry(target);
    var info = found.entry && found.entry.levels[level];
    if (!info || level != 0 || type != 0x1401 /* UNSIGNED_BYTE */) return;
    var width = info.width, height = info.height;
    var rgba = new Uint8Array(width * height * 4);
    var framebuffer = gl.createFramebuffer();
    WebGLKit.originalBindFramebufferRaw(0x8D40, framebuffer);
    WebGLKit.originalFramebufferTexture2D(0x8D40, 0x8CE0, 0x0DE1, found.texture, 0);
    if (gl.checkFramebufferStatus(0x8D40) == 0x8CD5) {
      WebGLKit.originalReadPixels(0, 0, width, height, 0x1908, 0x1401, rgba);
    }
    WebGLKit.originalBindFramebufferRaw(0x8D40, WebGLKit.framebuffer);
    gl.deleteFramebuffer(framebuffer);
    var components = format == 0x1907 ? 3 : format == 0x1909 ? 1 : 4;
    for (var p = 0, i = 0; p < width * height; ++p) {
      for (var c = 0; c < components; ++c, ++i) {
        HEAPU8[pixels + i] = rgba[p * 4 + c];
      }
    }
  },

  glGetBufferSubData__deps: ['$WebGLKit'],
  glGetBufferSubData: function(target, offset, size, data) {
    var kind = target == 0x8892 ? 'array' : target == 0x8893 ? 'element' : target == 0x88EB ? 'pack' : null;
    var buffer = kind && WebGLKit.bound[kind];
    var entry = buffer && WebGLKit.buffers.get(buffer);
    if (!entry || !entry.bytes) return;
    HEAPU8.set(entry.bytes.subarray(offset, offset + size), data);
  },

  glPushAttrib__deps: ['$WebGLKit'],
  glPushAttrib: function(mask) {
    var gl = GLctx;
    var saved = {mask: mask};
    saved.enabled = WebGLKit.capabilities.map(function(cap) { return gl.isEnabled(cap); });
    saved.viewport = gl.getParameter(0x0BA2);
    saved.clearColour = gl.getParameter(0x0C22);
    saved.colourMask = gl.getParameter(0x0C23);
    saved.blend = [gl.getParameter(0x80C9), gl.getParameter(0x80C8), gl.getParameter(0x80CB), gl.getParameter(0x80CA),
                   gl.getParameter(0x8009), gl.getParameter(0x883D)];
    saved.unit = gl.getParameter(0x84E0);
    gl.activeTexture(0x84C0);
    saved.texture = gl.getParameter(0x8069);
    gl.activeTexture(saved.unit);
    WebGLKit.attribStack.push(saved);
  },

  glPopAttrib__deps: ['$WebGLKit', 'glEnable', 'glDisable'],
  glPopAttrib: function() {
    var gl = GLctx;
    var saved = WebGLKit.attribStack.pop();
    if (!saved) return;
    WebGLKit.capabilities.forEach(function(cap, i) {
      if (saved.enabled[i]) _glEnable(cap); else _glDisable(cap);
    });
    var v = saved.viewport;
    gl.viewport(v[0], v[1], v[2], v[3]);
    var c = saved.clearColour;
    gl.clearColor(c[0], c[1], c[2], c[3]);
    var m = saved.colourMask;
    gl.colorMask(m[0], m[1], m[2], m[3]);
    var b = saved.blend;
    gl.blendFuncSeparate(b[0], b[1], b[2], b[3]);
    gl.blendEquationSeparate(b[4], b[5]);
    gl.activeTexture(0x84C0);
    gl.bindTexture(0x0DE1, saved.texture);
    gl.activeTexture(saved.unit);
  },

  glPushClientAttrib__deps: ['$WebGLKit', '$GLImmediateSetup'],
  glPushClientAttrib: function(mask) {
    WebGLKit.clientStack.push({
      enabled: GLImmediate.enabledClientAttributes.slice(),
      clientTexture: GLImmediate.clientActiveTexture,
    });
  },

  glPopClientAttrib__deps: ['$WebGLKit', '$GLImmediateSetup', 'glEnableClientState', 'glDisableClientState', 'glClientActiveTexture'],
  glPopClientAttrib: function() {
    var saved = WebGLKit.clientStack.pop();
    if (!saved) return;
    // Client arrays by the emulation's attribute numbers: positions, normals, colours and
    // the texture units' coordinates.
    var arrays = {0: 0x8074, 1: 0x8075, 2: 0x8076};
    for (var unit = 0; unit < GLImmediate.MAX_TEXTURES; ++unit) arrays[GLImmediate.TEXTURE0 + unit] = 0x8078;
    for (var attribute in arrays) {
      var index = +attribute;
      var now = !!GLImmediate.enabledClientAttributes[index];
      var was = !!saved.enabled[index];
      if (now == was) continue;
      if (arrays[attribute] == 0x8078) _glClientActiveTexture(0x84C0 + index - GLImmediate.TEXTURE0);
      if (was) _glEnableClientState(arrays[attribute]); else _glDisableClientState(arrays[attribute]);
    }
    _glClientActiveTexture(0x84C0 + saved.clientTexture);
  },

  // A copy from the read framebuffer's colour texture into the draw framebuffer: a textured
  // quad of the kit's own, every piece of state it touches put back.
  glBlitFramebuffer__deps: ['$WebGLKit'],
  glBlitFramebuffer__sig: 'viiiiiiiiii',
  glBlitFramebuffer: function(srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter) {
    var gl = GLctx;
    var kit = WebGLKit;
    var source = kit.readFramebuffer !== undefined ? kit.readFramebuffer : kit.framebuffer;
    var entry = source && kit.framebuffers.get(source);
    var texture = entry && entry.colour[entry.readIndex];
    var info = texture && kit.textures.get(texture);
    info = info && info.levels[0];
    if (!texture || !info || !(mask & 0x4000)) return;
    if (!kit.blit) {
      var vs = gl.createShader(0x8B31);
      gl.shaderSource(vs, 'attribute vec2 corner; uniform vec4 from; uniform vec4 to; varying vec2 uv;\n' +
        'void main() { uv = mix(from.xy, from.zw, corner); gl_Position = vec4(mix(to.xy, to.zw, corner), 0.0, 1.0); }');
      gl.compileShader(vs);
      var fs = gl.createShader(0x8B30);
      gl.shaderSource(fs, 'precision highp float; uniform sampler2D picture; varying vec2 uv;\n' +
        'void main() { gl_FragColor = texture2D(picture, uv); }');
      gl.compileShader(fs);
      var program = gl.createProgram();
      gl.attachShader(program, vs);
      gl.attachShader(program, fs);
      gl.bindAttribLocation(program, 0, 'corner');
      gl.linkProgram(program);
      var corners = gl.createBuffer();
      var before = kit.real.array;
      kit.originalBindBuffer(0x8892, corners);
      kit.originalBufferData(0x8892, new Float32Array([0, 0, 1, 0, 0, 1, 1, 1]), 0x88E4);
      kit.originalBindBuffer(0x8892, before);
      kit.blit = {program: program, corners: corners, from: gl.getUniformLocation(program, 'from'),
                  to: gl.getUniformLocation(program, 'to'), picture: gl.getUniformLocation(program, 'picture')};
    }
    var target = kit.drawFramebuffer !== undefined ? kit.drawFramebuffer : kit.framebuffer;
    var drawWidth = target ? 0 : gl.drawingBufferWidth, drawHeight = target ? 0 : gl.drawingBufferHeight;
    if (target) {
      var drawEntry = kit.framebuffers.get(target);
      var drawInfo = drawEntry && kit.textures.get(drawEntry.colour[drawEntry.drawIndex]);
      if (!drawInfo) return;
      drawWidth = drawInfo.levels[0].width;
      drawHeight = drawInfo.levels[0].height;
    }
    var saved = {
      program: gl.getParameter(0x8B8D), unit: gl.getParameter(0x84E0), viewport: gl.getParameter(0x0BA2),
      enabled: kit.capabilities.map(function(cap) { return gl.isEnabled(cap); }),
      attribEnabled: gl.getVertexAttrib(0, 0x8622), attribBuffer: gl.getVertexAttrib(0, 0x889F),
      attribSize: gl.getVertexAttrib(0, 0x8623), attribStride: gl.getVertexAttrib(0, 0x8624),
      attribType: gl.getVertexAttrib(0, 0x8625), attribNormalized: gl.getVertexAttrib(0, 0x886A),
      attribOffset: gl.getVertexAttribOffset(0, 0x8645), colourMask: gl.getParameter(0x0C23),
    };
    gl.activeTexture(0x84C0);
    saved.texture = gl.getParameter(0x8069);
    saved.minFilter = gl.getTexParameter(0x0DE1, 0x2801);
    kit.originalBindFramebufferRaw(0x8D40, target);
    gl.viewport(0, 0, drawWidth, drawHeight);
    kit.capabilities.forEach(function(cap) { gl.disable(cap); });
    gl.colorMask(true, true, true, true);
    gl.useProgram(kit.blit.program);
    gl.bindTexture(0x0DE1, texture);
    var filterMode = filter == 0x2600 ? 0x2600 : 0x2601;
    gl.texParameteri(0x0DE1, 0x2801, filterMode);
    gl.texParameteri(0x0DE1, 0x2800, filterMode);
    gl.uniform1i(kit.blit.picture, 0);
    gl.uniform4f(kit.blit.from, srcX0 / info.width, srcY0 / info.height, srcX1 / info.width, srcY1 / info.height);
    gl.uniform4f(kit.blit.to, 2 * dstX0 / drawWidth - 1, 2 * dstY0 / drawHeight - 1,
                 2 * dstX1 / drawWidth - 1, 2 * dstY1 / drawHeight - 1);
    kit.originalBindBuffer(0x8892, kit.blit.corners);
    gl.enableVertexAttribArray(0);
    gl.vertexAttribPointer(0, 2, 0x1406, false, 0, 0);
    gl.drawArrays(0x0005, 0, 4);
    // Everything back as it was.
    kit.originalBindBuffer(0x8892, saved.attribBuffer);
    if (saved.attribBuffer) {
      gl.vertexAttribPointer(0, saved.attribSize, saved.attribType, saved.attribNormalized, saved.attribStride, saved.attribOffset);
    }
    if (!saved.attribEnabled) gl.disableVertexAttribArray(0);
    kit.originalBindBuffer(0x8892, kit.real.array);
    gl.texParameteri(0x0DE1, 0x2801, saved.minFilter);
    gl.texParameteri(0x0DE1, 0x2800, 0x2601);
    gl.bindTexture(0x0DE1, saved.texture);
    gl.activeTexture(saved.unit);
    gl.useProgram(saved.program);
    kit.capabilities.forEach(function(cap, i) { if (saved.enabled[i]) gl.enable(cap); });
    var m = saved.colourMask;
    gl.colorMask(m[0], m[1], m[2], m[3]);
    var v = saved.viewport;
    gl.viewport(v[0], v[1], v[2], v[3]);
    kit.originalBindFramebufferRaw(0x8D40, kit.framebuffer);
  },
  glBlitFramebufferEXT: 'glBlitFramebuffer',
};

autoAddDeps(LibraryWebGLKit, '$WebGLKit');
mergeInto(LibraryManager.library, LibraryWebGLKit);
