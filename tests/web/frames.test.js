// The web build draws the capture tool's frames: ?at=MS in headless Chromium (SwiftShader)
// against `capture --at MS` (Mesa's llvmpipe) at one moment or more in every scene window.
// The two software renderers rasterise, filter and round slightly differently, so frames
// are held to a tolerance, and the same tolerance must turn down two frames that are
// wrong: the native frame half a second later, and the native frame with one thin layer
// (the frame overlay) missing.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const h = require('./lib/harness');
const { measureFrame: measure, describeFrame: describe, describeTolerance } = require('./lib/tolerance');

// One moment in each scene window; the sculpture with and without its glass drops (from
// 67589 ms), the loudspeakers with and without smoke, the spheres before and after they
// turn to glass, and both closing composites.
const moments = [
    [14000, 'opening'],
    [39500, 'tunnel'],
    [58000, 'sculpture'],
    [75000, 'sculpture, glass drops'],
    [97000, 'loudspeakers'],
    [115000, 'loudspeakers, smoke'],
    [125500, 'picture interlude'],
    [137000, 'swimmers, blob fountain'],
    [155000, 'sphere pass'],
    [175000, 'sphere pass, glass'],
    [188000, 'closing composite'],
    [200000, 'final composite'],
];
// One more at a size that is not 4:3, drawn offscreen between bars on both sides.
const sized = { ms: 155000, width: 640, height: 360 };
const laterBy = 500;

// A copy of the show's files with the frame overlay cleared to transparent.
function withoutOverlay(args, dir) {
    fs.rmSync(dir, { recursive: true, force: true });
    fs.mkdirSync(dir, { recursive: true });
    for (const name of fs.readdirSync(args.data)) {
        if (name === 'sax_overlay.png') continue;
        fs.symlinkSync(path.join(args.data, name), path.join(dir, name));
    }
    const { PNG } = require('pngjs');
    const clear = new PNG({ width: 64, height: 64 });
    clear.data.fill(0);
    fs.writeFileSync(path.join(dir, 'sax_overlay.png'), PNG.sync.write(clear));
}

// The page's frame at ms (800 x 600 when no size is given), checked for its layout, and
// with `still`, for staying as it is once drawn.
async function webFrame(browser, server, ms, width, height, { still = false } = {}) {
    const sized = width !== 800 || height !== 600;
    const url = `${server.url}?at=${ms}${sized ? `&size=${width}x${height}` : ''}`;
    const started = Date.now();
    const { page, log } = await h.openPage(browser, url, { width, height });
    try {
        await h.waitForTitle(page, log, `nimra: frame ${ms}`, 180000);
        const seconds = (Date.now() - started) / 1000;
        // The canvas at exactly W x H CSS pixels at the top left, a drawing buffer of that
        // size, and nothing to scroll.
        const layout = await page.evaluate(() => {
            const canvas = document.querySelector('canvas');
            const r = canvas.getBoundingClientRect();
            const root = document.documentElement;
            return {
                audio: typeof window.nimraStatus === 'function' ? window.nimraStatus().audio : 'no status',
                rect: [r.left, r.top, r.width, r.height],
                buffer: [canvas.width, canvas.height],
                scrolls: root.scrollWidth > root.clientWidth || root.scrollHeight > root.clientHeight,
            };
        });
        const want = [0, 0, width, height];
        const laidOut =
            layout.rect.every((v, i) => Math.abs(v - want[i]) < 0.01) &&
            layout.buffer[0] === width && layout.buffer[1] === height && !layout.scrolls && layout.audio === 'none';
        h.check(laidOut, `?at=${ms}${sized ? `&size=${width}x${height}` : ''}: canvas at ${layout.rect.join(',')}, ` +
            `buffer ${layout.buffer.join('x')}, ${layout.scrolls ? 'scroll bars' : 'no scroll bars'}, audio ${layout.audio} (${seconds.toFixed(1)} s)`);
        const picture = await h.grabPicture(page, width, height);
        if (still) {
            await h.sleep(1000);
            const again = await h.grabPicture(page, width, height);
            h.check(picture.data.equals(again.data), `?at=${ms}: the frame stays as drawn a second later`);
        }
        const errors = h.consoleErrors(log);
        if (errors.length) h.fail(`?at=${ms}: console errors: ${errors.join(' | ')}`);
        return { picture, seconds };
    } finally {
        await page.close().catch(() => {});
    }
}

h.runTest('web_frames', async ({ args, onCleanup }) => {
    const work = args.keep ? path.resolve(args.keep) : fs.mkdtempSync(path.join(os.tmpdir(), 'nimra-web-frames-'));
    fs.mkdirSync(work, { recursive: true });
    if (!args.keep) onCleanup(() => fs.rmSync(work, { recursive: true, force: true }));

    // The native frames first, in two runs of the capture tool (the show, and the show
    // without its frame overlay), then the page's at the same moments in one browser.
    const started = Date.now();
    const times = moments.map(([ms]) => ms);
    const native = await h.nativeFrames(args, [...times, ...times.map((ms) => ms + laterBy)], path.join(work, 'native'));
    withoutOverlay(args, path.join(work, 'data-no-overlay'));
    const bare = await h.nativeFrames({ ...args, data: path.join(work, 'data-no-overlay') }, times, path.join(work, 'native-no-overlay'));
    const sizedNative = await h.nativeFrames(args, [sized.ms], path.join(work, 'native-sized'), {
        size: `${sized.width}x${sized.height}`,
    });
    console.log(`native frames in ${((Date.now() - started) / 1000).toFixed(1)} s`);

    const { server, browser } = await h.siteAndBrowser(args, onCleanup);
    const rows = [];
    for (const [ms, what] of moments) {
        const { picture, seconds } = await webFrame(browser, server, ms, 800, 600, { still: ms === moments[0][0] });
        h.writePng(path.join(work, `web_${ms}.png`), picture);
        const same = measure(picture, h.readPng(native[ms]), ms, path.join(work, `diff_${ms}.png`));
        const later = measure(picture, h.readPng(native[ms + laterBy]), ms);
        const missing = measure(picture, h.readPng(bare[ms]), ms);
        rows.push({ ms, what, same, seconds });
        h.check(same.within, `${ms} ms (${what}) matches capture --at ${ms}: ${describe(same)}`);
        h.check(!later.within, `${ms} ms: the frame ${laterBy} ms later is told apart: ${describe(later)}`);
        h.check(!missing.within, `${ms} ms: the frame without its overlay is told apart: ${describe(missing)}`);
    }
    {
        const { ms, width, height } = sized;
        const { picture, seconds } = await webFrame(browser, server, ms, width, height);
        h.writePng(path.join(work, `web_${ms}_${width}x${height}.png`), picture);
        const same = measure(picture, h.readPng(sizedNative[ms]), ms);
        rows.push({ ms: `${ms} @${width}x${height}`, what: 'sphere pass, offscreen between bars', same, seconds });
        h.check(same.within, `${ms} ms at ${width}x${height} matches capture --size ${width}x${height}: ${describe(same)}`);
    }

    console.log('\nmoment (ms)          | what                               | mean  | largest | >24 (%) | worst block | page (s)');
    for (const r of rows) {
        console.log(`${String(r.ms).padEnd(20)} | ${r.what.padEnd(34)} | ${r.same.mean.toFixed(3)} | ${String(r.same.max).padStart(7)} | ` +
            `${(r.same.farShare * 100).toFixed(3).padStart(7)} | ${r.same.block.toFixed(1).padStart(11)} | ${r.seconds.toFixed(1)}`);
    }
    console.log(`tolerance: ${describeTolerance()}`);
    if (args.keep) console.log(`frames and differences kept in ${work}`);
}, { timeoutMs: 900000 });
