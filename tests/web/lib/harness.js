// What every browser test needs: the site served on a free port, Debian's Chromium started
// headless on its software renderer with a profile of its own, a page whose console and
// errors are kept, the page's title and state waited for, the canvas read back, and the
// Chromium processes gone afterwards whatever happened.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { PNG } = require('pngjs');

const chromiumPath = process.env.NIMRA_CHROMIUM || '/usr/bin/chromium';

// ---------------------------------------------------------------------------------------
// Pass/fail lines and the test's exit status

let failures = 0;
function pass(what) {
    console.log(`PASS: ${what}`);
}
function fail(what) {
    failures += 1;
    console.log(`FAIL: ${what}`);
}
function check(ok, what) {
    (ok ? pass : fail)(what);
    return ok;
}
function failureCount() {
    return failures;
}

// ---------------------------------------------------------------------------------------
// Every file under a folder, its subfolders' too, by path

function filesUnder(dir) {
    const out = [];
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
        const full = path.join(dir, entry.name);
        if (entry.isDirectory()) out.push(...filesUnder(full));
        else out.push(full);
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Arguments: every test takes --source DIR (the repository) and may take --build DIR and
// --site DIR (default SOURCE/build-web/site).

function parseArgs(argv) {
    const args = { source: path.resolve(__dirname, '..', '..', '..') };
    for (let i = 0; i < argv.length; i += 1) {
        const key = argv[i];
        if (!key.startsWith('--')) throw new Error(`unexpected argument ${key}`);
        const name = key.slice(2);
        const next = argv[i + 1];
        if (next === undefined || next.startsWith('--')) {
            args[name] = true;
        } else {
            args[name] = next;
            i += 1;
        }
    }
    args.source = path.resolve(args.source);
    args.build = path.resolve(args.build || path.join(args.source, 'build'));
    args.site = path.resolve(args.site || path.join(args.source, 'build-web', 'site'));
    args.data = path.resolve(args.data || path.join(args.source, 'data'));
    return args;
}

// ---------------------------------------------------------------------------------------
// A static file server over the site folder, as any plain host would serve it.

const mimeTypes = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.json': 'application/json',
    '.wasm': 'application/wasm',
    '.data': 'application/octet-stream',
    '.bin': 'application/octet-stream',
    '.mp3': 'audio/mpeg',
    '.png': 'image/png',
    '.jpg': 'image/jpeg',
    '.svg': 'image/svg+xml',
    '.ico': 'image/x-icon',
    '.txt': 'text/plain; charset=utf-8',
    '.map': 'application/json',
};

function mimeType(file) {
    return mimeTypes[path.extname(file).toLowerCase()] || 'application/octet-stream';
}

// Resolves with {url, close(), requests}: requests lists every path asked for, with its status.
// Paths in `missing` ('/nimra.data') answer 404, as from a host that lacks them.
function serveSite(root, { missing = [] } = {}) {
    const rootDir = path.resolve(root);
    const requests = [];
    const server = http.createServer((req, res) => {
        let status = 200;
        const done = () => requests.push({ method: req.method, url: req.url, status });
        try {
            const urlPath = decodeURIComponent(new URL(req.url, 'http://x').pathname);
            let file = path.normalize(path.join(rootDir, urlPath));
            if (file !== rootDir && !file.startsWith(rootDir + path.sep)) {
                status = 403;
            } else if (missing.includes(urlPath)) {
                status = 404;
            } else {
                if (fs.existsSync(file) && fs.statSync(file).isDirectory()) {
                    file = path.join(file, 'index.html');
                }
                if (!fs.existsSync(file) || !fs.statSync(file).isFile()) status = 404;
            }
            if (req.method !== 'GET' && req.method !== 'HEAD') status = 405;
            if (status !== 200) {
                res.writeHead(status, { 'Content-Type': 'text/plain' });
                res.end(`${status}\n`);
                done();
                return;
            }
            const size = fs.statSync(file).size;
            res.writeHead(200, {
                'Content-Type': mimeType(file),
                'Content-Length': size,
                'Cache-Control': 'no-store',
            });
            if (req.method === 'HEAD') {
                res.end();
            } else {
                fs.createReadStream(file).pipe(res);
            }
            done();
        } catch (error) {
            status = 500;
            res.writeHead(500);
            res.end();
            done();
        }
    });
    return new Promise((resolve, reject) => {
        server.on('error', reject);
        server.listen(0, '127.0.0.1', () => {
            const { port } = server.address();
            resolve({
                url: `http://127.0.0.1:${port}/`,
                port,
                requests,
                close: () =>
                    new Promise((done) => {
                        server.closeAllConnections();
                        server.close(() => done());
                    }),
            });
        });
    });
}

// ---------------------------------------------------------------------------------------
// Chromium

// Every Chromium this process started and its profile, so that an exit of any kind can end
// and remove what is left.
const livePids = new Set();
const liveProfiles = new Set();
function killLeftovers() {
    for (const pid of livePids) {
        // The browser leads its own process group (started detached): its renderer, GPU
        // and utility processes go with it.
        try {
            process.kill(-pid, 'SIGKILL');
        } catch (error) {
            /* already gone */
        }
    }
    livePids.clear();
    for (const profile of liveProfiles) fs.rmSync(profile, { recursive: true, force: true });
    liveProfiles.clear();
}
process.on('exit', killLeftovers);
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
    process.on(signal, () => {
        killLeftovers();
        process.exit(128 + os.constants.signals[signal]);
    });
}

// The contract's flags: WebGL on the CPU through SwiftShader, no sandbox (tests run as
// root), nothing talking to the network, a fresh profile. autoplay lets a page start sound
// without a gesture; the start-screen test must run without it.
function chromiumArgs(profile, { autoplay = false } = {}) {
    const args = [
        '--headless',
        '--use-angle=swiftshader',
        '--enable-unsafe-swiftshader',
        '--no-sandbox',
        '--disable-background-networking',
        '--disable-component-update',
        '--disable-sync',
        '--no-first-run',
        '--disable-quic',
        `--user-data-dir=${profile}`,
        // A page left behind another must not be slowed down or paused.
        '--disable-background-timer-throttling',
        '--disable-renderer-backgrounding',
        '--disable-backgrounding-occluded-windows',
    ];
    if (autoplay) args.push('--autoplay-policy=no-user-gesture-required');
    return args;
}

// Starts Chromium; resolves with {browser, close()}. close() may be called more than once.
async function launchBrowser({ autoplay = false, width = 800, height = 600, extraArgs = [] } = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'nimra-chromium-'));
    liveProfiles.add(profile);
    const browser = await puppeteer.launch({
        executablePath: chromiumPath,
        headless: true,
        pipe: true,
        ignoreDefaultArgs: true,
        args: [...chromiumArgs(profile, { autoplay }), `--window-size=${width},${height}`, ...extraArgs],
        defaultViewport: { width, height, deviceScaleFactor: 1 },
        handleSIGINT: false,
        handleSIGTERM: false,
        handleSIGHUP: false,
        detached: true,
        protocolTimeout: 600000,
        dumpio: !!process.env.NIMRA_CHROMIUM_LOG,
    });
    const pid = browser.process() && browser.process().pid;
    if (pid) livePids.add(pid);
    let closed = false;
    const close = async () => {
        if (closed) return;
        closed = true;
        // A polite close first, then the whole process group whatever state it is in.
        await Promise.race([
            browser.close().catch(() => {}),
            new Promise((resolve) => setTimeout(resolve, 5000)),
        ]);
        if (pid) {
            try {
                process.kill(-pid, 'SIGKILL');
            } catch (error) {
                /* already gone */
            }
            livePids.delete(pid);
        }
        fs.rmSync(profile, { recursive: true, force: true });
        liveProfiles.delete(profile);
    };
    return { browser, close, profile, pid };
}

// ---------------------------------------------------------------------------------------
// Pages

// Opens url in a new page and keeps its console, its uncaught errors and its failed
// requests. before(page) runs before navigation (scripts for new documents, say).
async function openPage(browser, url, { before, width = 800, height = 600 } = {}) {
    const page = await browser.newPage();
    await page.setViewport({ width, height, deviceScaleFactor: 1 });
    const log = { console: [], errors: [], failedRequests: [], requests: [] };
    page.on('console', (message) => {
        log.console.push({ type: message.type(), text: message.text() });
        if (process.env.NIMRA_PAGE_LOG) console.log(`  [page ${message.type()}] ${message.text()}`);
    });
    page.on('pageerror', (error) => log.errors.push(String(error && error.message ? error.message : error)));
    page.on('request', (request) => log.requests.push(request.url()));
    page.on('requestfailed', (request) =>
        log.failedRequests.push(`${request.url()}: ${request.failure() ? request.failure().errorText : 'failed'}`),
    );
    page.on('response', (response) => {
        if (response.status() >= 400) log.failedRequests.push(`${response.url()}: HTTP ${response.status()}`);
    });
    if (before) await before(page);
    await page.goto(url, { waitUntil: 'load', timeout: 120000 });
    return { page, log };
}

function consoleErrors(log) {
    return [...log.console.filter((m) => m.type === 'error').map((m) => m.text), ...log.errors];
}

// The page's own state, or null while the page has not defined it yet.
async function status(page) {
    return page.evaluate(() => (typeof window.nimraStatus === 'function' ? window.nimraStatus() : null));
}

// Waits until the title is `title` (a string or a RegExp). A page that reports the error
// stage, or the time running out, throws with the page's console errors.
async function waitForTitle(page, log, title, timeoutMs) {
    const source = title instanceof RegExp ? { re: title.source, flags: title.flags } : { text: title };
    const started = Date.now();
    for (;;) {
        const state = await page.evaluate((want) => {
            const t = document.title;
            const ok = want.re ? new RegExp(want.re, want.flags).test(t) : t === want.text;
            const s = typeof window.nimraStatus === 'function' ? window.nimraStatus() : null;
            return { ok, title: t, stage: s && s.stage };
        }, source);
        if (state.ok) return Date.now() - started;
        if (state.stage === 'error') {
            throw new Error(`page reports an error (title "${state.title}"): ${consoleErrors(log).join(' | ')}`);
        }
        if (Date.now() - started > timeoutMs) {
            throw new Error(
                `no title ${title} after ${timeoutMs} ms (title "${state.title}", stage ${state.stage}); ` +
                    `console errors: ${consoleErrors(log).join(' | ') || 'none'}`,
            );
        }
        await sleep(100);
    }
}

// Waits until pred(status) holds; returns that status.
async function waitForStatus(page, log, pred, what, timeoutMs) {
    const started = Date.now();
    let last = null;
    for (;;) {
        last = await status(page);
        if (last && pred(last)) return last;
        if (last && last.stage === 'error' && what.indexOf('error') < 0) {
            throw new Error(`page reports an error while waiting for ${what}: ${consoleErrors(log).join(' | ')}`);
        }
        if (Date.now() - started > timeoutMs) {
            throw new Error(`no ${what} after ${timeoutMs} ms (last state ${JSON.stringify(last)})`);
        }
        await sleep(50);
    }
}

function sleep(ms) {
    return new Promise((resolve) => setTimeout(resolve, ms));
}

// The top-left width x height CSS pixels of the page as shown (the canvas, for ?at), as
// {width, height, data} with 4 bytes a pixel.
async function grabPicture(page, width, height) {
    const png = await page.screenshot({
        type: 'png',
        clip: { x: 0, y: 0, width, height },
        captureBeyondViewport: false,
    });
    return PNG.sync.read(Buffer.from(png));
}

// ---------------------------------------------------------------------------------------
// Pictures

function readPng(file) {
    return PNG.sync.read(fs.readFileSync(file));
}

function writePng(file, image) {
    const png = new PNG({ width: image.width, height: image.height });
    image.data.copy ? image.data.copy(png.data) : png.data.set(image.data);
    fs.writeFileSync(file, PNG.sync.write(png));
}

// How far two pictures of one size are apart, over the R, G and B of every pixel (0 to 255):
// the mean absolute difference, the largest, and the share of pixels where any channel is
// more than `far` apart. With diffFile, a picture of the differences (scaled by 4) goes there.
function compareImages(a, b, { far = 24, diffFile } = {}) {
    if (a.width !== b.width || a.height !== b.height) {
        throw new Error(`sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}`);
    }
    const pixels = a.width * a.height;
    let sum = 0;
    let max = 0;
    let farPixels = 0;
    const diff = diffFile ? Buffer.alloc(pixels * 4) : null;
    for (let p = 0; p < pixels; p += 1) {
        let pixelMax = 0;
        for (let c = 0; c < 3; c += 1) {
            const d = Math.abs(a.data[p * 4 + c] - b.data[p * 4 + c]);
            sum += d;
            if (d > pixelMax) pixelMax = d;
            if (diff) diff[p * 4 + c] = Math.min(255, d * 4);
        }
        if (diff) diff[p * 4 + 3] = 255;
        if (pixelMax > max) max = pixelMax;
        if (pixelMax > far) farPixels += 1;
    }
    if (diff) writePng(diffFile, { width: a.width, height: a.height, data: diff });
    return { mean: sum / (pixels * 3), max, farShare: farPixels / pixels };
}

// ---------------------------------------------------------------------------------------
// Native programs

const { spawn } = require('child_process');

// Runs a program; resolves with {code, stdout, stderr}. Killed after timeoutMs.
function runProgram(program, args, { cwd, env, timeoutMs = 600000 } = {}) {
    return new Promise((resolve, reject) => {
        const child = spawn(program, args, { cwd, env: { ...process.env, ...env }, detached: true });
        let stdout = '';
        let stderr = '';
        child.stdout.on('data', (chunk) => (stdout += chunk));
        child.stderr.on('data', (chunk) => (stderr += chunk));
        const timer = setTimeout(() => {
            try {
                process.kill(-child.pid, 'SIGKILL');
            } catch (error) {
                /* gone */
            }
        }, timeoutMs);
        const cleanup = () => {
            try {
                process.kill(-child.pid, 'SIGKILL');
            } catch (error) {
                /* gone */
            }
        };
        process.on('exit', cleanup);
        child.on('error', reject);
        child.on('close', (code, signal) => {
            clearTimeout(timer);
            process.removeListener('exit', cleanup);
            resolve({ code: signal ? 128 : code, signal, stdout, stderr });
        });
    });
}

// The frames `capture --at` draws at the moments, as {ms: file}, in one run of the tool.
async function nativeFrames(args, moments, outDir, { size } = {}) {
    const capture = path.join(args.build, 'capture');
    const xvfb = path.join(args.source, 'tests', 'with-xvfb.sh');
    const captureArgs = [capture, '--data', args.data, '--out', outDir];
    if (size) captureArgs.push('--size', size);
    for (const ms of moments) captureArgs.push('--at', String(ms));
    const result = await runProgram(xvfb, captureArgs, { env: { SDL_AUDIODRIVER: 'dummy' } });
    if (result.code !== 0) {
        throw new Error(`capture failed (${result.code}): ${result.stdout}${result.stderr}`);
    }
    const files = {};
    for (const ms of moments) files[ms] = path.join(outDir, `at_${ms}.png`);
    return files;
}

// ---------------------------------------------------------------------------------------
// A test's frame: the site served, the work run, everything closed, the verdict printed.

async function runTest(name, body, { timeoutMs = 300000 } = {}) {
    const args = parseArgs(process.argv.slice(2));
    const started = Date.now();
    const cleanups = [];
    const onCleanup = (fn) => cleanups.push(fn);
    const timer = setTimeout(() => {
        fail(`${name}: did not finish within ${timeoutMs / 1000} s`);
        killLeftovers();
        process.exit(1);
    }, timeoutMs);
    try {
        if (!fs.existsSync(path.join(args.site, 'index.html'))) {
            throw new Error(`${args.site}/index.html missing: build the site first (./run.sh web --build)`);
        }
        await body({ args, onCleanup });
    } catch (error) {
        fail(`${name}: ${error && error.stack ? error.stack : error}`);
    } finally {
        for (const fn of cleanups.reverse()) {
            try {
                await fn();
            } catch (error) {
                /* teardown goes on */
            }
        }
        clearTimeout(timer);
    }
    const seconds = ((Date.now() - started) / 1000).toFixed(1);
    if (failureCount() === 0) {
        console.log(`${name}: all passed in ${seconds} s`);
        process.exit(0);
    }
    console.log(`${name}: ${failureCount()} failed (${seconds} s)`);
    process.exit(1);
}

// The site served and a browser, both closed when the test ends.
async function siteAndBrowser(args, onCleanup, options = {}) {
    const server = await serveSite(args.site);
    onCleanup(server.close);
    const chromium = await launchBrowser(options);
    onCleanup(chromium.close);
    return { server, chromium, browser: chromium.browser };
}

module.exports = {
    pass,
    fail,
    check,
    failureCount,
    parseArgs,
    filesUnder,
    serveSite,
    mimeType,
    launchBrowser,
    chromiumArgs,
    openPage,
    consoleErrors,
    status,
    waitForTitle,
    waitForStatus,
    sleep,
    grabPicture,
    readPng,
    writePng,
    compareImages,
    runProgram,
    nativeFrames,
    runTest,
    siteAndBrowser,
    killLeftovers,
};
