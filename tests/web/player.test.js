// The player's options as the page's parameters: ?start=MS begins at MS (its first frame is
// the capture tool's at that moment), ?loop goes round at the end where without it the show
// ends, and ?mute plays with no AudioContext at all, still waiting for a gesture unless
// ?autostart is given too. While it plays, the picture is the largest 4:3 rectangle of the
// window at the window's resolution, black around it, and follows a resize.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const h = require('./lib/harness');
const probes = require('./lib/probes');
const { measureFrame, describeFrame } = require('./lib/tolerance');
const { PNG } = require('pngjs');

const startMs = 100000;

// The probe's frame (rows bottom-up, RGBA) as a picture.
function probeFrame(frame) {
    const raw = Buffer.from(frame.pixels, 'base64');
    const png = new PNG({ width: frame.width, height: frame.height });
    const row = frame.width * 4;
    for (let y = 0; y < frame.height; y += 1) {
        raw.copy(png.data, y * row, (frame.height - 1 - y) * row, (frame.height - y) * row);
    }
    for (let i = 3; i < png.data.length; i += 4) png.data[i] = 255;
    return png;
}

// Samples the page's state every 100 ms for ms milliseconds.
async function watch(page, ms) {
    const seen = [];
    const until = Date.now() + ms;
    while (Date.now() < until) {
        seen.push(await h.status(page));
        await h.sleep(100);
    }
    return seen;
}

// Resizes the window to width x height and checks the picture: the largest 4:3 rectangle,
// centred, drawn at that many pixels, with black around it.
async function fitsWindow(page, width, height) {
    await page.setViewport({ width, height, deviceScaleFactor: 1 });
    const w = Math.min(width, Math.floor((height * 4) / 3));
    const hgt = Math.min(height, Math.floor((width * 3) / 4));
    const want = [Math.floor((width - w) / 2), Math.floor((height - hgt) / 2), w, hgt];
    let got = null;
    for (let i = 0; i < 20; i += 1) {
        await h.sleep(100);
        got = await page.evaluate(() => {
            const c = document.querySelector('canvas');
            const r = c.getBoundingClientRect();
            return { rect: [r.left, r.top, r.width, r.height], buffer: [c.width, c.height] };
        });
        if (got.rect.every((v, k) => Math.abs(v - want[k]) < 1) && got.buffer[0] === w && got.buffer[1] === hgt) break;
    }
    await h.sleep(300);
    const shot = await h.grabPicture(page, width, height);
    // Lit pixels inside the rectangle and none outside it.
    let inside = 0;
    let outside = 0;
    for (let y = 0; y < height; y += 2) {
        for (let x = 0; x < width; x += 2) {
            const p = (y * width + x) * 4;
            const lit = shot.data[p] + shot.data[p + 1] + shot.data[p + 2] > 24;
            const within = x >= want[0] && x < want[0] + w && y >= want[1] && y < want[1] + hgt;
            if (lit && within) inside += 1;
            if (lit && !within) outside += 1;
        }
    }
    h.check(got.rect.every((v, k) => Math.abs(v - want[k]) < 1) && got.buffer[0] === w && got.buffer[1] === hgt &&
        inside > (w * hgt) / 40 && outside === 0,
        `a ${width}x${height} window: the picture at ${got.rect.map(Math.round).join(',')} drawn ${got.buffer.join('x')} ` +
            `(want ${want.join(',')}), ${inside} lit samples inside, ${outside} outside`);
}

h.runTest('web_player', async ({ args, onCleanup }) => {
    const work = args.keep ? path.resolve(args.keep) : fs.mkdtempSync(path.join(os.tmpdir(), 'nimra-web-player-'));
    fs.mkdirSync(work, { recursive: true });
    if (!args.keep) onCleanup(() => fs.rmSync(work, { recursive: true, force: true }));
    // Sound may start without a gesture here: the start screen has its own test.
    const { server, browser } = await h.siteAndBrowser(args, onCleanup, { autoplay: true });
    const noErrors = (log, what) => {
        const errors = h.consoleErrors(log);
        h.check(errors.length === 0, `${what}: no console error${errors.length ? `: ${errors.join(' | ')}` : ''}`);
    };

    // ?start: the first frame drawn while playing is at the moment, and it is the capture
    // tool's frame there; the clock runs on from it.
    {
        const { page, log } = await h.openPage(browser, `${server.url}?start=${startMs}&autostart`, {
            before: (p) => p.evaluateOnNewDocument(probes.keepFirstPlayingFrame, startMs),
        });
        await h.waitForStatus(page, log, (s) => s.stage === 'playing' && s.demoTime > startMs + 1000, 'a second of play', 180000);
        const first = await page.evaluate(() => window.nimraProbe.firstFrame);
        const s = await h.status(page);
        h.check(first !== null && first.demoTime >= startMs && first.demoTime <= startMs + 50,
            `?start=${startMs}: the first frame while playing is at ${first ? first.demoTime : 'no frame seen'} ms`);
        h.check(s.audio === 'running', `?start=${startMs}: the sound runs (${s.audio})`);
        if (first && first.pixels) {
            const web = probeFrame(first);
            h.writePng(path.join(work, `web_start_${first.demoTime}.png`), web);
            const native = await h.nativeFrames(args, [first.demoTime], work, { size: `${web.width}x${web.height}` });
            const c = measureFrame(web, h.readPng(native[first.demoTime]), first.demoTime);
            h.check(c.within, `?start=${startMs}: that frame matches capture --at ${first.demoTime}: ${describeFrame(c)}`);
        }
        const later = await watch(page, 1500);
        const last = later[later.length - 1];
        h.check(later.every((x) => x.stage === 'playing') && last.demoTime > s.demoTime + 800,
            `?start=${startMs}: the clock runs on (${s.demoTime} -> ${last.demoTime} ms)`);
        noErrors(log, `?start=${startMs}`);
        await page.close();
    }

    // ?loop: round 2 begins from 0 after the end; without it the show ends there.
    {
        const { page, log } = await h.openPage(browser, `${server.url}?start=205000&loop&mute&autostart`);
        const again = await h.waitForStatus(page, log, (s) => s.round >= 2, 'round 2', 180000);
        const on = await watch(page, 1500);
        const last = on[on.length - 1];
        h.check(again.round === 2 && again.demoTime < 5000 && last.stage === 'playing' && last.demoTime > again.demoTime,
            `?loop: after the end round 2 plays from 0 (${JSON.stringify(again)} -> demoTime ${last.demoTime})`);
        noErrors(log, '?loop');
        await page.close();
    }
    {
        const { page, log } = await h.openPage(browser, `${server.url}?start=205000&mute&autostart`);
        const ended = await h.waitForStatus(page, log, (s) => s.stage === 'ended', 'the end', 180000);
        const after = await watch(page, 1000);
        h.check(ended.round === 1 && after.every((x) => x.stage === 'ended' && x.round === 1),
            `without ?loop the show ends and stays ended (${JSON.stringify(ended)})`);
        noErrors(log, 'the end');
        await page.close();
    }

    // ?mute: no AudioContext, and the show still plays; without ?autostart it waits for a
    // gesture (a key here).
    {
        const { page, log } = await h.openPage(browser, `${server.url}?mute&autostart`, {
            before: (p) => p.evaluateOnNewDocument(probes.countAudioContexts),
        });
        const playing = await h.waitForStatus(page, log, (s) => s.stage === 'playing', 'the show playing', 180000);
        const on = await watch(page, 2000);
        const last = on[on.length - 1];
        await fitsWindow(page, 1280, 720);
        await fitsWindow(page, 700, 900);
        const contexts = await page.evaluate(() => window.nimraProbe.audioContexts);
        h.check(contexts === 0 && on.every((x) => x.audio === 'none' && x.muted === true),
            `?mute: no AudioContext made (${contexts}), audio "${last.audio}", muted ${last.muted}`);
        h.check(last.stage === 'playing' && last.demoTime - playing.demoTime >= 1000,
            `?mute: the show plays (${playing.demoTime} -> ${last.demoTime} ms in 2 s)`);
        noErrors(log, '?mute&autostart');
        await page.close();
    }
    {
        const { page, log } = await h.openPage(browser, `${server.url}?mute`, {
            before: (p) => p.evaluateOnNewDocument(probes.countAudioContexts),
        });
        await h.waitForStatus(page, log, (s) => s.stage === 'start', 'the start screen', 180000);
        const waiting = await watch(page, 2000);
        h.check(waiting.every((x) => x.stage === 'start' && x.demoTime === 0),
            '?mute without ?autostart waits at the start screen');
        await page.keyboard.press('Space');
        await h.waitForStatus(page, log, (s) => s.stage === 'playing' && s.demoTime > 500, 'the show playing after a key', 30000);
        const contexts = await page.evaluate(() => window.nimraProbe.audioContexts);
        h.check(contexts === 0, `?mute: a key starts the show, still with no AudioContext (${contexts})`);
        noErrors(log, '?mute');
        await page.close();
    }
});
