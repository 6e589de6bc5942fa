// The page as a visitor opens it, in a browser that only plays sound after a gesture: it
// loads with nothing in its console, asks for nothing from another host, shows its start
// screen and waits there (no clock, no sound) until a click, which starts the show and the
// sound. Where it cannot play (no WebGL, its data missing on the host) it says so in words.
'use strict';

const path = require('path');
const h = require('./lib/harness');
const probes = require('./lib/probes');

const waitAtStartMs = 4000;

h.runTest('web_page', async ({ args, onCleanup }) => {
    // No autoplay flag here: the page must wait for a gesture as any browser makes it.
    const { server, browser } = await h.siteAndBrowser(args, onCleanup, { autoplay: false });
    const opened = Date.now();
    const { page, log } = await h.openPage(browser, server.url, {
        before: (p) => p.evaluateOnNewDocument(probes.countAudioContexts),
    });
    const seen = new Set();
    const atStart = await h.waitForStatus(page, log, (s) => (seen.add(s.stage), s.stage === 'start'), 'the start screen', 180000);
    const loadMs = Date.now() - opened;
    h.pass(`start screen after ${(loadMs / 1000).toFixed(1)} s (stages seen: ${[...seen].join(', ')})`);

    const text = await page.evaluate(() => document.body.innerText || '');
    h.check(/nimra/i.test(text) && /click or press a key/i.test(text),
        `the start screen shows the title and "click or press a key" (page text: ${JSON.stringify(text.slice(0, 120))})`);
    if (args.keep) {
        require('fs').mkdirSync(args.keep, { recursive: true });
        await page.screenshot({ path: path.join(args.keep, 'start_screen.png') });
    }

    // Nothing moves while it waits.
    const waited = Date.now();
    let moved = null;
    while (Date.now() - waited < waitAtStartMs) {
        const s = await h.status(page);
        if (s.stage !== 'start' || s.demoTime !== 0 || s.audio === 'running') {
            moved = s;
            break;
        }
        await h.sleep(200);
    }
    h.check(moved === null,
        `without a gesture the page stays at the start screen for ${waitAtStartMs / 1000} s: stage start, demoTime 0, no sound running` +
            (moved ? ` (but saw ${JSON.stringify(moved)})` : ''));
    h.check(atStart.round === 1 && atStart.muted === false, `round 1, not muted (${JSON.stringify(atStart)})`);

    // A click starts the show and the sound.
    await page.mouse.click(400, 300);
    const playing = await h.waitForStatus(page, log, (s) => s.stage === 'playing', 'the show playing after a click', 30000);
    const first = playing.demoTime;
    await h.sleep(2000);
    const later = await h.status(page);
    h.check(later.stage === 'playing' && later.demoTime - first >= 1000 && later.demoTime - first <= 4000,
        `after a click the show plays: demoTime ${first} -> ${later.demoTime} ms in 2 s`);
    const running = await h.waitForStatus(page, log, (s) => s.audio === 'running', 'the sound running', 10000).catch(() => null);
    const contexts = await page.evaluate(() => window.nimraProbe.audioContexts);
    h.check(running !== null && contexts >= 1, `the sound runs after the click (audio ${later.audio}, ${contexts} AudioContext made)`);

    // The whole visit: no error in the console or thrown, every request answered, all local.
    const errors = h.consoleErrors(log);
    h.check(errors.length === 0, `no console error or uncaught exception${errors.length ? `: ${errors.join(' | ')}` : ''}`);
    h.check(log.failedRequests.length === 0, `every request answered${log.failedRequests.length ? `: ${log.failedRequests.join(', ')}` : ''}`);
    const foreign = log.requests.filter((url) => !url.startsWith(server.url) && !/^(data|blob):/.test(url));
    h.check(foreign.length === 0, `nothing asked of another host${foreign.length ? `: ${foreign.join(', ')}` : ''}`);
    const warnings = log.console.filter((m) => m.type === 'warning' || m.type === 'warn').map((m) => m.text);
    if (warnings.length) console.log(`console warnings (not failures): ${warnings.slice(0, 10).join(' | ')}`);

    // Where it cannot play: a browser without WebGL, and a host without the packed data.
    const noWebGL = await h.launchBrowser({ extraArgs: ['--disable-3d-apis'] });
    onCleanup(noWebGL.close);
    await saysWhy(noWebGL.browser, server.url, 'without WebGL', /webgl/i);
    const partial = await h.serveSite(args.site, { missing: ['/nimra.data'] });
    onCleanup(partial.close);
    await saysWhy(browser, partial.url, 'with its data missing', /./);
});

// The page reaches the error stage, shows a message a visitor can read and writes it to the
// console.
async function saysWhy(browser, url, what, pattern) {
    const { page, log } = await h.openPage(browser, url);
    const s = await h.waitForStatus(page, log, (x) => x.stage === 'error', `the error stage ${what}`, 60000).catch(() => null);
    const shown = await page.evaluate(() => {
        const visible = (el) => el.offsetParent !== null || el === document.body;
        return [...document.querySelectorAll('body *')]
            .filter((el) => visible(el) && el.children.length === 0 && el.textContent.trim())
            .map((el) => el.textContent.trim())
            .join(' / ');
    });
    const errors = h.consoleErrors(log);
    h.check(s !== null && pattern.test(shown) && shown.length > 10 && errors.length > 0,
        `${what} the page says why (stage ${s ? s.stage : (await h.status(page) || {}).stage}): "${shown.slice(0, 160)}"; ` +
            `console: ${errors[0] || 'nothing'}`);
    await page.close();
}
