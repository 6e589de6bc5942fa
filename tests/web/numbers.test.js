// The web build hears and draws the numbers the native program does: the spectrum it reads
// through the capture tool's non-real-time path at five moments equals the native bins
// within 1e-5 each, and its rand() gives glibc's first draws, unseeded and after srand(1).
'use strict';

const path = require('path');
const h = require('./lib/harness');

// Across the show, some on the 60 fps grid and some between its steps, in no order (the
// channel is moved back as well as forward).
const spectrumMoments = [12000, 100017, 48939, 146829, 203999];
const binTolerance = 1e-5;
const randCount = 5000;

function tool(args, name) {
    return args[name] || path.join(args.build, 'tests', name);
}

async function nativeSpectrum(args) {
    const music = path.join(args.data, 'tromblo-slow_harbour.mp3');
    const result = await h.runProgram(tool(args, 'spectrum-at'), [music, ...spectrumMoments.map(String)]);
    if (result.code !== 0) throw new Error(`spectrum_at failed: ${result.stderr}`);
    const rows = {};
    for (const line of result.stdout.trim().split('\n')) {
        const [ms, ...bins] = line.trim().split(/\s+/).map(Number);
        rows[ms] = bins;
    }
    return rows;
}

async function nativeRand(args) {
    const result = await h.runProgram(tool(args, 'rand-draws'), [String(randCount)]);
    if (result.code !== 0) throw new Error(`rand_draws failed: ${result.stderr}`);
    const values = result.stdout.trim().split('\n').map(Number);
    return { unseeded: values.slice(0, randCount), afterSrand1: values.slice(randCount) };
}

function firstDifference(a, b) {
    const n = Math.max(a.length, b.length);
    for (let i = 0; i < n; i += 1) if (a[i] !== b[i]) return i;
    return -1;
}

h.runTest('web_numbers', async ({ args, onCleanup }) => {
    const { server, browser } = await h.siteAndBrowser(args, onCleanup);

    // Spectrum
    const native = await nativeSpectrum(args);
    {
        const { page, log } = await h.openPage(browser, `${server.url}?spectrum=${spectrumMoments.join(',')}`);
        const waited = await h.waitForTitle(page, log, 'nimra: spectrum', 240000);
        const web = await page.evaluate(() => window.nimraSpectrum);
        h.check(Array.isArray(web) && web.length === spectrumMoments.length,
            `?spectrum gives ${spectrumMoments.length} spectra (${Array.isArray(web) ? web.length : typeof web}) in ${(waited / 1000).toFixed(1)} s`);
        spectrumMoments.forEach((ms, i) => {
            const bins = (web && web[i]) || [];
            const want = native[ms];
            let worst = 0;
            let worstBin = -1;
            let wellFormed = bins.length === 512 && want.length === 512;
            for (let b = 0; b < 512; b += 1) {
                if (typeof bins[b] !== 'number' || !Number.isFinite(bins[b])) wellFormed = false;
                const d = Math.abs(bins[b] - want[b]);
                if (!(d <= worst)) {
                    worst = d;
                    worstBin = b;
                }
            }
            const loudest = Math.max(...want);
            h.check(wellFormed && loudest > 0.01 && worst <= binTolerance,
                `spectrum at ${ms} ms: ${bins.length} bins, largest difference ${worst.toExponential(2)} (bin ${worstBin}), ` +
                    `loudest native bin ${loudest.toFixed(4)}`);
        });
        const errors = h.consoleErrors(log);
        h.check(errors.length === 0, `?spectrum: no console error${errors.length ? `: ${errors.join(' | ')}` : ''}`);
        await page.close();
    }

    // rand()
    const glibc = await nativeRand(args);
    {
        const { page, log } = await h.openPage(browser, `${server.url}?rand=${randCount}`);
        await h.waitForTitle(page, log, 'nimra: rand', 120000);
        const web = await page.evaluate(() => ({ unseeded: window.nimraRand, afterSrand1: window.nimraRandAfterSrand1 }));
        for (const kind of ['unseeded', 'afterSrand1']) {
            const got = Array.isArray(web[kind]) ? web[kind] : [];
            const at = firstDifference(got, glibc[kind]);
            h.check(got.length === randCount && at < 0,
                `rand() ${kind === 'unseeded' ? 'unseeded' : 'after srand(1)'}: ${got.length} draws` +
                    (at < 0 ? ', all equal to glibc\'s' : `, first difference at draw ${at}: ${got[at]} (glibc ${glibc[kind][at]})`));
        }
        const errors = h.consoleErrors(log);
        h.check(errors.length === 0, `?rand: no console error${errors.length ? `: ${errors.join(' | ')}` : ''}`);
        await page.close();
    }
});
