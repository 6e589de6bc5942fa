// The page around the show: its parameters, the loading and start screens, the WebGL context,
// the canvas kept the largest 4:3 rectangle of the window at the window's own resolution,
// full screen, the keys, Web Audio, and the browser's frames driving the show (web/main.cpp)
// one step at a time. Parameters:
//   ?start=MS  begin at MS, reached as the capture tool reaches it    ?loop  play again at the end
//   ?mute      no sound at all (no AudioContext)                      ?autostart  no start screen
//   ?at=MS&size=WxH  the capture tool's frame at MS, then stop        ?spectrum=MS,...  the bins
//   ?rand=N    the first N rand() values, then after srand(1)         ?bench[&from=MS&to=MS]
'use strict';

(function () {
  const showLength = @SHOW_LENGTH@;  // demo/show.h's, written in by web/build.sh
  const canvas = document.getElementById('canvas');
  const screen = document.getElementById('screen');
  const bar = document.getElementById('bar');
  const message = document.getElementById('message');
  const params = new URLSearchParams(window.location.search);

  const status = { stage: 'loading', round: 1, muted: params.has('mute') };
  let audioContext = null;
  let failed = false;

  window.nimraStatus = function () {
    const time = status.stage === 'playing' || status.stage === 'ended'
      ? Module._nimra_demo_time() : 0;
    return {
      stage: status.stage,
      demoTime: time,
      round: status.round,
      muted: status.muted,
      audio: audioContext ? audioContext.state : 'none',
    };
  };

  function show(text, kind) {
    message.textContent = text;
    screen.className = kind || '';
  }

  function fail(reason) {
    if (failed) return;
    failed = true;
    status.stage = 'error';
    const text = 'nimra cannot play here: ' + reason;
    show(text, 'error');
    console.error(text);
    if (audioContext) audioContext.close().catch(() => {});
  }

  window.addEventListener('error', (event) => {
    fail(event.message || String(event.error || 'an error in the page'));
  });
  window.addEventListener('unhandledrejection', (event) => {
    fail(String(event.reason && event.reason.message || event.reason));
  });

  // A whole number parameter within [low, high]; null when absent, a failure when malformed.
  function whole(name, low, high) {
    if (!params.has(name)) return null;
    const text = params.get(name);
    if (!/^\d{1,9}$/.test(text) || +text < low || +text > high) {
      throw new Error('?' + name + ' must be a whole number from ' + low + ' to ' + high);
    }
    return +text;
  }

  function size() {
    if (!params.has('size')) return [800, 600];
    const match = /^(\d{1,5})[xX](\d{1,5})$/.exec(params.get('size'));
    if (!match || +match[1] < 4 || +match[2] < 3 || +match[1] > 16384 || +match[2] > 16384) {
      throw new Error('?size must be WxH, each side 4 to 16384');
    }
    return [+match[1], +match[2]];
  }

  // Hands control back to the browser between steps: a task of its own, with no clamping.
  const yieldChannel = new MessageChannel();
  const yieldQueue = [];
  yieldChannel.port1.onmessage = () => { const resolve = yieldQueue.shift(); if (resolve) resolve(); };
  function breathe() {
    return new Promise((resolve) => { yieldQueue.push(resolve); yieldChannel.port2.postMessage(0); });
  }
  function nextFrame() {
    return new Promise((resolve) => requestAnimationFrame(resolve));
  }

  // --- the canvas in the window -------------------------------------------------------------

  // The largest 4:3 rectangle of the window, in the window's own pixels, centred.
  function fitted() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(4, Math.round(window.innerWidth * ratio));
    const height = Math.max(3, Math.round(window.innerHeight * ratio));
    let w, h;
    if (width * 3 >= height * 4) { h = height; w = Math.floor(height * 4 / 3); }
    else { w = width; h = Math.floor(width * 3 / 4); }
    return { width: w, height: h, ratio: ratio };
  }

  let started = false;  // the show has its picture: resizes reach it
  function layout() {
    const fit = fitted();
    const cssWidth = fit.width / fit.ratio, cssHeight = fit.height / fit.ratio;
    canvas.style.width = cssWidth + 'px';
    canvas.style.height = cssHeight + 'px';
    canvas.style.left = Math.floor((window.innerWidth - cssWidth) / 2) + 'px';
    canvas.style.top = Math.floor((window.innerHeight - cssHeight) / 2) + 'px';
    if (canvas.width !== fit.width || canvas.height !== fit.height) {
      canvas.width = fit.width;
      canvas.height = fit.height;
      if (started) Module._nimra_resize(fit.width, fit.height);
    }
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }

  // --- WebGL ----------------------------------------------------------------------------------

  // The show's context: WebGL 1, no alpha in the picture and no antialiasing (as the native
  // window has neither), depth with stencil (24 bits of depth where there is no more).
  const noWebGL = 'this browser has no WebGL (or it is turned off), which the show needs to draw';
  function webglAvailable() {
    const probe = document.createElement('canvas');
    return !!(window.WebGLRenderingContext && (probe.getContext('webgl') || probe.getContext('experimental-webgl')));
  }

  function makeContext(keepPicture) {
    if (!webglAvailable()) throw new Error(noWebGL);
    const context = Module.createContext(canvas, true, true, {
      majorVersion: 1, alpha: false, depth: true, stencil: true, antialias: false,
      premultipliedAlpha: true, preserveDrawingBuffer: !!keepPicture,
    });
    if (!context) throw new Error('WebGL would not start on this page');
    // What the show cannot draw without: 32-bit indices (its meshes), and textures read in
    // vertex shaders (its palettes and the sphere scene's grid, two at once).
    if (!context.getExtension('OES_element_index_uint')) {
      throw new Error("this browser's WebGL has no 32-bit indices (OES_element_index_uint), which the show's meshes need");
    }
    if (context.getParameter(context.MAX_VERTEX_TEXTURE_IMAGE_UNITS) < 2) {
      throw new Error("this browser's WebGL cannot read textures in vertex shaders, which the show needs");
    }
    if (!context.getExtension('EXT_shader_texture_lod')) {
      console.warn('nimra: no EXT_shader_texture_lod here; a few surfaces will look a little sharper');
    }
    canvas.addEventListener('webglcontextlost', (event) => {
      event.preventDefault();
      fail('the graphics card stopped the show (WebGL context lost); reload the page to try again');
    });
  }

  // --- sound ----------------------------------------------------------------------------------

  // The output web/audio_output.cpp feeds: blocks of 16-bit stereo at 44.1 kHz, each
  // scheduled to start exactly where the one before ends, and when each will be heard.
  function makeAudio() {
    let context;
    try {
      context = new AudioContext({ sampleRate: 44100, latencyHint: 'interactive' });
    } catch (e) {
      context = new AudioContext();
    }
    audioContext = context;
    const lead = 0.05;  // how far ahead of now a queue that starts anew begins
    const sources = new Set();
    let end = 0;  // the context time where the queue ends; 0 when empty
    // The page's time (performance.now) at which context time t is heard.
    const heardAt = (t) => {
      const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
      if (stamp && stamp.performanceTime > 0 && stamp.contextTime > 0) {
        return stamp.performanceTime + (t - stamp.contextTime) * 1000;
      }
      const latency = (context.outputLatency || 0) + (context.baseLatency || 0);
      return performance.now() + (t - context.currentTime + latency) * 1000;
    };
    Module.nimraAudio = {
      running: () => context.state === 'running',
      queuedSeconds: () => (end === 0 ? 0 : end - context.currentTime),
      nextHeardAt: () => heardAt(end === 0 ? context.currentTime + lead : end),
      queue: (pointer, count) => {
        const start = end === 0 ? context.currentTime + lead : end;
        const buffer = context.createBuffer(2, count, 44100);
        const left = buffer.getChannelData(0), right = buffer.getChannelData(1);
        const samples = HEAP16.subarray(pointer >> 1, (pointer >> 1) + 2 * count);
        for (let i = 0; i < count; ++i) {
          left[i] = samples[2 * i] / 32768;
          right[i] = samples[2 * i + 1] / 32768;
        }
        const source = context.createBufferSource();
        source.buffer = buffer;
        source.connect(context.destination);
        source.onended = () => sources.delete(source);
        source.start(start);
        sources.add(source);
        end = start + count / 44100;
        return heardAt(start);
      },
      skip: (count) => { end = (end === 0 ? context.currentTime : end) + count / 44100; },
      flush: () => {
        for (const source of sources) {
          try { source.stop(); } catch (e) { /* already stopped */ }
        }
        sources.clear();
        end = 0;
      },
    };
    return context.resume();
  }

  // --- the show -------------------------------------------------------------------------------

  function progress(done, total, text) {
    bar.style.width = (total > 0 ? Math.min(100, 100 * done / total) : 0) + '%';
    if (text) message.textContent = text;
  }

  async function prepare(canvasWidth, canvasHeight, mute, frames) {
    if (!Module._nimra_open(canvasWidth, canvasHeight, mute ? 1 : 0, frames ? 1 : 0)) {
      throw new Error('the show could not start');
    }
    const total = Module._nimra_init_count();
    for (let left = total; left > 0;) {
      progress(total - left, total, 'preparing the scenes');
      await nextFrame();
      left = Module._nimra_init_step();
    }
    progress(1, 1, '');
  }

  // The show's rules played on towards ms, a slice at a time.
  async function reach(ms, text) {
    while (!Module._nimra_reach_step(ms, 40)) {
      if (text) progress(Module._nimra_demo_time(), ms, text);
      await breathe();
    }
  }

  function keySymbol(event) {
    if (event.key === 'Escape') return 27;
    if (event.key && event.key.length === 1) {
      const code = event.key.toLowerCase().charCodeAt(0);
      return code < 256 ? code : -1;
    }
    return -1;
  }

  async function play() {
    const startMs = whole('start', 0, showLength - 1) || 0;
    const loop = params.has('loop');
    const mute = params.has('mute');
    const autostart = params.has('autostart');

    layout();
    makeContext(false);
    await prepare(canvas.width, canvas.height, mute, false);
    started = true;
    window.addEventListener('resize', layout);
    if (startMs > 0) await reach(startMs, 'reaching ' + Math.floor(startMs / 60000) + ':' +
                                         String(Math.floor(startMs / 1000) % 60).padStart(2, '0'));

    if (!autostart) {
      status.stage = 'start';
      show('click or press a key', 'start');
      await new Promise((resolve) => {
        const go = (event) => {
          if (event.type === 'keydown' && (event.key === 'Escape' || event.repeat)) return;
          window.removeEventListener('pointerdown', go);
          window.removeEventListener('keydown', go);
          resolve();
        };
        window.addEventListener('pointerdown', go);
        window.addEventListener('keydown', go);
      });
    }
    if (!mute) await Promise.race([makeAudio(), new Promise((r) => setTimeout(r, 1000))]);

    window.addEventListener('keydown', (event) => {
      if (event.key === 'f' || event.key === 'F') toggleFullScreen();
      const k = keySymbol(event);
      if (k >= 0) Module._nimra_key(k, 1);
    });
    window.addEventListener('keyup', (event) => {
      const k = keySymbol(event);
      if (k >= 0) Module._nimra_key(k, 0);
    });
    // A browser that held the sound back (no gesture before ?autostart) lets it start now.
    const resume = () => { if (audioContext && audioContext.state === 'suspended') audioContext.resume(); };
    window.addEventListener('pointerdown', resume);
    window.addEventListener('keydown', resume);
    canvas.addEventListener('dblclick', toggleFullScreen);
    screen.addEventListener('dblclick', toggleFullScreen);

    Module._nimra_play(startMs, loop ? 1 : 0);
    status.stage = 'playing';
    show('', 'hidden');
    canvas.focus();
    const frame = () => {
      if (failed) return;
      const result = Module._nimra_frame();
      Module._nimra_keys_seen();
      if (result === 2) status.round = Module._nimra_round();
      if (result === 1) {
        status.stage = 'ended';
        show('the end', 'ended');
        return;
      }
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  }

  // ?at: the capture tool's frame, shown at exactly W x H CSS pixels at the top left.
  async function drawAt(ms) {
    const [width, height] = size();
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    makeContext(true);
    await prepare(width, height, true, true);
    await reach(ms, 'reaching ' + ms + ' ms');
    Module._nimra_draw_at(ms);
    show('', 'hidden');
    status.stage = 'ended';
    document.title = 'nimra: frame ' + ms;
  }

  async function spectrum(list) {
    const moments = list.split(',').map((text) => {
      if (!/^\d{1,9}$/.test(text) || +text >= 1e9) throw new Error('?spectrum takes milliseconds, comma-separated');
      return +text;
    });
    const bins = Module._malloc(512 * 4);
    const result = [];
    for (const ms of moments) {
      if (!Module._nimra_spectrum_at(ms, bins)) throw new Error('the music cannot be read');
      result.push(Array.from(HEAPF32.subarray(bins >> 2, (bins >> 2) + 512)));
      await breathe();
    }
    Module._free(bins);
    window.nimraSpectrum = result;
    status.stage = 'ended';
    show('', 'hidden');
    document.title = 'nimra: spectrum';
  }

  // ?state=MS,...: every number the show carries from frame to frame, at each moment (in
  // increasing order) reached on the 60 fps step, undrawn.
  async function showState(list) {
    const moments = list.split(',').map((text) => {
      if (!/^\d{1,9}$/.test(text) || +text >= showLength) throw new Error('?state takes moments of the show in milliseconds, comma-separated');
      return +text;
    }).sort((a, b) => a - b);
    canvas.width = 800;
    canvas.height = 600;
    makeContext(false);
    await prepare(800, 600, true, true);
    const capacity = 1 << 16;
    const values = Module._malloc(capacity * 8);
    const result = [];
    let last = -1;
    for (const ms of moments) {
      if (ms === last) continue;
      await reach(ms, 'reaching ' + ms + ' ms');
      const count = Math.min(capacity, Module._nimra_show_state(ms, values, capacity));
      result.push({ t: ms, values: Array.from(HEAPF64.subarray(values >> 3, (values >> 3) + count)) });
      last = ms;
    }
    Module._free(values);
    window.nimraState = result;
    status.stage = 'ended';
    show('', 'hidden');
    document.title = 'nimra: state';
  }

  function rand(count) {
    const draws = [];
    for (let i = 0; i < count; ++i) draws.push(Module._nimra_rand());
    Module._nimra_srand(1);
    const after = [];
    for (let i = 0; i < count; ++i) after.push(Module._nimra_rand());
    window.nimraRand = draws;
    window.nimraRandAfterSrand1 = after;
    status.stage = 'ended';
    show('', 'hidden');
    document.title = 'nimra: rand';
  }

  // ?bench: every frame of the 60 fps step from `from` to `to`, drawn and finished, timed.
  async function bench() {
    const from = whole('from', 0, showLength - 1) || 0;
    // To the frame that sees the end, as the capture tool's benchmark does.
    const to = params.has('to') ? whole('to', 0, showLength) : showLength;
    const [width, height] = size();
    canvas.width = width;
    canvas.height = height;
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    makeContext(false);
    await prepare(width, height, true, true);
    show('', 'hidden');
    status.stage = 'playing';
    const frames = [];
    let startupMs = null;
    let undrawn = 0;
    for (let k = 0; ; ++k) {
      const t = Math.floor((k * 1000 + 30) / 60);  // frame k of the 60 fps step
      if (t > to) break;
      const drawn = t >= from;
      const ms = Module._nimra_bench_frame(t, drawn ? 1 : 0);
      if (drawn) {
        if (startupMs === null) startupMs = performance.now();
        frames.push([t, ms]);
        await breathe();
      } else if (++undrawn % 200 === 0) {
        await breathe();
      }
    }
    window.nimraBench = { startupMs: startupMs === null ? performance.now() : startupMs, frames: frames };
    status.stage = 'ended';
    document.title = 'nimra: bench';
  }

  async function run() {
    if (params.has('rand')) return rand(whole('rand', 0, 1000000));
    if (params.has('spectrum')) return spectrum(params.get('spectrum'));
    if (params.has('at')) return drawAt(whole('at', 0, showLength - 1));
    if (params.has('bench')) return bench();
    if (params.has('state')) return showState(params.get('state'));
    return play();
  }

  // --- loading --------------------------------------------------------------------------------

  window.Module = {
    canvas: canvas,
    print: (text) => console.log(text),
    // Emscripten's own notes (the GL emulation's warning among them) are no errors.
    printErr: (text) => console.warn(text),
    setStatus: (text) => {
      const match = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text || '');
      if (match) progress(+match[1], +match[2], 'loading ' + Math.round(+match[2] / 1048576) + ' MB');
    },
    onAbort: (what) => fail('the program stopped (' + what + ')'),
    onRuntimeInitialized: () => {
      run().catch((error) => fail(error && error.message ? error.message : String(error)));
    },
    nimraFail: (what) => fail(what),
  };

  try {
    // Checked before anything loads, so that a bad address is told at once.
    if (params.has('start')) whole('start', 0, showLength - 1);
    if (params.has('at')) whole('at', 0, showLength - 1);
    if (params.has('size')) size();
    // Said at once, before the files load, where nothing could be drawn with them.
    if (!params.has('rand') && !params.has('spectrum') && !webglAvailable()) throw new Error(noWebGL);
  } catch (error) {
    fail(error.message);
    return;
  }
  const script = document.createElement('script');
  script.src = 'nimra.js';
  script.onerror = () => fail('nimra.js could not be loaded');
  document.body.appendChild(script);
})();
