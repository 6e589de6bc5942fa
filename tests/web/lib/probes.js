// Scripts put into a page before its own run, through the DevTools protocol: they watch
// what the page does without changing it.
'use strict';

// Counts the AudioContexts the page makes (window.nimraProbe.audioContexts), keeping the
// constructors themselves as they are.
function countAudioContexts() {
    window.nimraProbe = window.nimraProbe || {};
    window.nimraProbe.audioContexts = 0;
    for (const name of ['AudioContext', 'webkitAudioContext']) {
        const Original = window[name];
        if (typeof Original !== 'function') continue;
        const Counted = function (...args) {
            window.nimraProbe.audioContexts += 1;
            return Reflect.construct(Original, args, new.target || Counted);
        };
        Counted.prototype = Original.prototype;
        Object.setPrototypeOf(Counted, Original);
        window[name] = Counted;
    }
}

// Keeps the first frame the show draws while playing: after every animation-frame callback
// (the loop the page hands to the browser) the page's state is read, and the first time
// it is "playing" with the clock at or past `from`, the canvas is read back at once, before
// the browser shows and clears it. Also records how long the page took to draw it.
function keepFirstPlayingFrame(from) {
    window.nimraProbe = window.nimraProbe || {};
    const probe = window.nimraProbe;
    probe.firstFrame = null;
    const read = () => {
        if (probe.firstFrame || typeof window.nimraStatus !== 'function') return;
        const s = window.nimraStatus();
        if (s.stage !== 'playing' || s.demoTime < from) return;
        const canvas = document.querySelector('canvas');
        const gl = canvas && (canvas.getContext('webgl2') || canvas.getContext('webgl'));
        const found = { demoTime: s.demoTime, atMs: performance.now(), width: 0, height: 0, pixels: null };
        if (gl) {
            const w = gl.drawingBufferWidth;
            const h = gl.drawingBufferHeight;
            const pixels = new Uint8Array(w * h * 4);
            // The page may have left a read framebuffer or pack buffer bound.
            const isGl2 = typeof WebGL2RenderingContext !== 'undefined' && gl instanceof WebGL2RenderingContext;
            const framebuffer = gl.getParameter(isGl2 ? gl.READ_FRAMEBUFFER_BINDING : gl.FRAMEBUFFER_BINDING);
            const packBuffer = isGl2 ? gl.getParameter(gl.PIXEL_PACK_BUFFER_BINDING) : null;
            const alignment = gl.getParameter(gl.PACK_ALIGNMENT);
            gl.bindFramebuffer(isGl2 ? gl.READ_FRAMEBUFFER : gl.FRAMEBUFFER, null);
            if (isGl2) gl.bindBuffer(gl.PIXEL_PACK_BUFFER, null);
            gl.pixelStorei(gl.PACK_ALIGNMENT, 4);
            gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
            gl.pixelStorei(gl.PACK_ALIGNMENT, alignment);
            if (isGl2) gl.bindBuffer(gl.PIXEL_PACK_BUFFER, packBuffer);
            gl.bindFramebuffer(isGl2 ? gl.READ_FRAMEBUFFER : gl.FRAMEBUFFER, framebuffer);
            // Rows bottom-up, as GL reads them; kept as text to travel out of the page.
            let text = '';
            for (let i = 0; i < pixels.length; i += 0x8000) {
                text += String.fromCharCode.apply(null, pixels.subarray(i, i + 0x8000));
            }
            Object.assign(found, { width: w, height: h, pixels: btoa(text) });
        }
        probe.firstFrame = found;
    };
    const original = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) =>
        original((time) => {
            try {
                callback(time);
            } finally {
                read();
            }
        });
}

module.exports = { countAudioContexts, keepFirstPlayingFrame };
