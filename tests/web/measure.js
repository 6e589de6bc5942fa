// Figures for the browser build, not a test: the site's size (every file, and what gzip
// sends), the time from opening the page to its first frame in headless Chromium, and the
// show's frame times in headless Chromium (?bench, SwiftShader) next to the native program
// (capture --bench, Mesa's llvmpipe) at the same size, one run after the other.
//
//   node tests/web/measure.js [--from MS --to MS] [--loads N] [--skip-bench]
//   node tests/web/measure.js --frames-every MS [--keep DIR]
//
// Run it on a quiet machine: both benchmarks use every core. --frames-every measures
// instead how far ?at frames are from capture --at at a moment every MS through the show
// (and every second through the loudspeaker field), the survey behind the frame tests'
// tolerance.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const h = require('./lib/harness');

const mib = (bytes) => `${(bytes / 1048576).toFixed(2)} MiB`;

function siteSize(site) {
    const rows = h.filesUnder(site).map((file) => {
        const bytes = fs.readFileSync(file);
        return {
            file: path.relative(site, file),
            size: bytes.length,
            gzip: zlib.gzipSync(bytes, { level: 6 }).length,
            gzip9: zlib.gzipSync(bytes, { level: 9 }).length,
        };
    });
    rows.sort((a, b) => b.size - a.size);
    const total = rows.reduce((t, r) => ({ size: t.size + r.size, gzip: t.gzip + r.gzip, gzip9: t.gzip9 + r.gzip9 }), { size: 0, gzip: 0, gzip9: 0 });
    console.log(`\nsite ${site}: ${rows.length} files`);
    for (const r of rows) console.log(`  ${r.file.padEnd(32)} ${mib(r.size).padStart(10)}  gzip ${mib(r.gzip).padStart(10)}`);
    console.log(`  ${'all'.padEnd(32)} ${mib(total.size).padStart(10)}  gzip ${mib(total.gzip).padStart(10)} (level 6; ${mib(total.gzip9)} at level 9)`);
    return total;
}

function quantile(sorted, q) {
    if (sorted.length === 0) return NaN;
    const i = Math.min(sorted.length - 1, Math.max(0, Math.ceil(q * sorted.length) - 1));
    return sorted[i];
}

function stats(values) {
    const sorted = [...values].sort((a, b) => a - b);
    return { n: sorted.length, median: quantile(sorted, 0.5), p95: quantile(sorted, 0.95), worst: sorted[sorted.length - 1] };
}

// Watches the page's stages from its first script on: the page-clock time (ms since the
// navigation began) at which each stage was first seen, and when the first frame was drawn
// while playing (after the animation-frame callback that drew it).
function recordStages() {
    const probe = (window.nimraProbe = window.nimraProbe || {});
    probe.stages = {};
    const look = () => {
        if (typeof window.nimraStatus !== 'function') return;
        const s = window.nimraStatus();
        if (!(s.stage in probe.stages)) probe.stages[s.stage] = performance.now();
        if (s.stage === 'playing' && s.demoTime > 0 && probe.firstFrameMs === undefined) {
            probe.firstFrameMs = performance.now();
        }
    };
    setInterval(look, 5);
    const original = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) =>
        original((time) => {
            try {
                callback(time);
            } finally {
                look();
            }
        });
}

async function loadTimes(args, server, count) {
    const results = [];
    for (let i = 0; i < count; i += 1) {
        // A fresh browser each time: nothing cached, as for a first visit.
        const chromium = await h.launchBrowser({ autoplay: true });
        try {
            const { page, log } = await h.openPage(chromium.browser, `${server.url}?mute&autostart`, {
                before: (p) => p.evaluateOnNewDocument(recordStages),
            });
            await h.waitForStatus(page, log, (s) => s.stage === 'playing' && s.demoTime > 500, 'play', 300000);
            const probe = await page.evaluate(() => window.nimraProbe);
            results.push(probe);
            console.log(`  load ${i + 1}: stages ${JSON.stringify(Object.fromEntries(Object.entries(probe.stages).map(([k, v]) => [k, Math.round(v)])))}, ` +
                `first frame at ${Math.round(probe.firstFrameMs)} ms`);
        } finally {
            await chromium.close();
        }
    }
    const first = stats(results.map((r) => r.firstFrameMs));
    console.log(`load to first frame (headless Chromium, ?mute&autostart, fresh profile): median ${Math.round(first.median)} ms ` +
        `over ${first.n} loads (worst ${Math.round(first.worst)} ms)`);
    return first;
}

// capture --bench's table: per window and "all".
function parseNativeBench(text) {
    const windows = [];
    for (const line of text.split('\n')) {
        const m = line.match(/^(\S.*?)\s+(\d+)-(\d+|end)\s+(\d+)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)/);
        if (m) {
            const to = m[3] === 'end' ? Infinity : +m[3];
            windows.push({ name: m[1].trim(), from: +m[2], to, n: +m[4], median: +m[5], p95: +m[6], worst: +m[7] });
        }
        const all = line.match(/^all\s+(\d+)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)/);
        if (all) windows.push({ name: 'all', n: +all[1], median: +all[2], p95: +all[3], worst: +all[4] });
    }
    return windows;
}

async function benchmarks(args, server, from, to) {
    const load = fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
    console.log(`\nbenchmarks, 800 x 600, ${from}-${to} ms (load average before: ${load})`);
    const nativeArgs = [path.join(args.build, 'capture'), '--data', args.data, '--bench'];
    if (from !== 0 || to !== 207000) nativeArgs.push('--from', String(from), '--to', String(to));
    const started = Date.now();
    const nativeRun = await h.runProgram(path.join(args.source, 'tests', 'with-xvfb.sh'), nativeArgs, {
        env: { SDL_AUDIODRIVER: 'dummy' },
        timeoutMs: 3600000,
    });
    if (nativeRun.code !== 0) throw new Error(`capture --bench failed: ${nativeRun.stderr}`);
    const native = parseNativeBench(nativeRun.stdout);
    console.log(`  native done in ${((Date.now() - started) / 1000).toFixed(0)} s`);

    const chromium = await h.launchBrowser({ autoplay: true });
    let web;
    try {
        const query = from !== 0 || to !== 207000 ? `?bench&from=${from}&to=${to}` : '?bench';
        const webStarted = Date.now();
        const { page, log } = await h.openPage(chromium.browser, server.url + query);
        await h.waitForTitle(page, log, 'nimra: bench', 3600000);
        web = await page.evaluate(() => window.nimraBench);
        console.log(`  Chromium done in ${((Date.now() - webStarted) / 1000).toFixed(0)} s (page start-up ${Math.round(web.startupMs)} ms)`);
    } finally {
        await chromium.close();
    }

    console.log('\nwindow           ms              frames | native median   p95  worst | Chromium median   p95  worst | ratio (median)');
    for (const w of native) {
        const inWindow = w.name === 'all' ? web.frames : web.frames.filter(([t]) => t >= w.from && t < w.to);
        const s = stats(inWindow.map(([, ms]) => ms));
        const range = w.name === 'all' ? '' : `${w.from}-${w.to === Infinity ? 'end' : w.to}`;
        console.log(`${w.name.padEnd(16)} ${range.padEnd(15)} ${String(w.n).padStart(6)} | ` +
            `${w.median.toFixed(2).padStart(13)} ${w.p95.toFixed(2).padStart(5)} ${w.worst.toFixed(1).padStart(6)} | ` +
            `${s.median.toFixed(2).padStart(15)} ${s.p95.toFixed(2).padStart(5)} ${s.worst.toFixed(1).padStart(6)} | ${(s.median / w.median).toFixed(2)}x` +
            (w.name === 'all' ? ` (${s.n} frames in Chromium)` : ''));
    }
    const nativeAll = native.find((w) => w.name === 'all');
    return { native: nativeAll, web: stats(web.frames.map(([, ms]) => ms)) };
}

// The frame differences at many moments, one browser and one capture run.
async function frameSurvey(args, server, every) {
    const { measureFrame, describeFrame, describeTolerance, toleranceAt } = require('./lib/tolerance');
    const moments = new Set();
    for (let t = every / 2; t < 207000; t += every) moments.add(Math.round(t));
    for (let t = 86500; t < 123505; t += 1000) moments.add(t);
    const list = [...moments].sort((a, b) => a - b);
    const work = args.keep ? path.resolve(args.keep) : fs.mkdtempSync(path.join(os.tmpdir(), 'nimra-survey-'));
    fs.mkdirSync(work, { recursive: true });
    const native = await h.nativeFrames(args, list, path.join(work, 'native'));
    const chromium = await h.launchBrowser({});
    const worst = {};
    try {
        for (const ms of list) {
            const { page, log } = await h.openPage(chromium.browser, `${server.url}?at=${ms}`);
            await h.waitForTitle(page, log, `nimra: frame ${ms}`, 180000);
            const picture = await h.grabPicture(page, 800, 600);
            await page.close();
            if (args.keep) h.writePng(path.join(work, `web_${ms}.png`), picture);
            const c = measureFrame(picture, h.readPng(native[ms]), ms);
            const kind = toleranceAt(ms) === toleranceAt(0) ? 'elsewhere' : 'loudspeaker field';
            const w = (worst[kind] = worst[kind] || { n: 0, mean: 0, farShare: 0, block: 0, outside: [] });
            w.n += 1;
            for (const key of ['mean', 'farShare', 'block']) w[key] = Math.max(w[key], c[key]);
            if (!c.within) w.outside.push(ms);
            console.log(`  ${String(ms).padStart(6)} ms: ${describeFrame(c)}${c.within ? '' : '  OUTSIDE'}`);
        }
    } finally {
        await chromium.close();
        if (!args.keep) fs.rmSync(work, { recursive: true, force: true });
    }
    for (const [kind, w] of Object.entries(worst)) {
        console.log(`${kind}: ${w.n} moments, worst mean ${w.mean.toFixed(3)}, worst share over 24 ` +
            `${(w.farShare * 100).toFixed(3)} %, worst block ${w.block.toFixed(1)}; outside the tolerance: ${w.outside.join(', ') || 'none'}`);
    }
    console.log(`tolerance: ${describeTolerance()}`);
}

(async () => {
    const args = h.parseArgs(process.argv.slice(2));
    if (args['frames-every']) {
        const server = await h.serveSite(args.site);
        try {
            await frameSurvey(args, server, +args['frames-every']);
        } finally {
            await server.close();
            h.killLeftovers();
        }
        return;
    }
    const from = args.from ? +args.from : 0;
    const to = args.to ? +args.to : 207000;
    const cpu = os.cpus();
    console.log(`machine: ${cpu.length} x ${cpu[0].model}; ${execText('/usr/bin/chromium --version')}`);
    siteSize(args.site);
    const server = await h.serveSite(args.site);
    try {
        console.log('\nload to first frame');
        await loadTimes(args, server, args.loads ? +args.loads : 3);
        if (!args['skip-bench']) await benchmarks(args, server, from, to);
    } finally {
        await server.close();
        h.killLeftovers();
    }
})().catch((error) => {
    console.error(error);
    h.killLeftovers();
    process.exit(1);
});

function execText(command) {
    try {
        return require('child_process').execSync(command, { stdio: ['ignore', 'pipe', 'ignore'] }).toString().trim();
    } catch (error) {
        return '';
    }
}
