// The site folder is all a host needs: index.html, every file it names, the program's
// WebAssembly, and nothing named on another host. A plain static server (ours, as any host
// would) gives each file its type. What the scripts then load is checked by the page test,
// which sees every request answered.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const h = require('./lib/harness');

// Every local file a page or script names by a quoted relative path ("nimra.wasm",
// 'data/x.bin'); URLs with a scheme are returned apart.
function references(text) {
    const local = new Set();
    const remote = new Set();
    const attribute = /\b(?:src|href)\s*=\s*["']([^"']+)["']/gi;
    let m;
    while ((m = attribute.exec(text))) {
        const ref = m[1];
        if (/^(?:[a-z]+:)?\/\//i.test(ref)) remote.add(ref);
        else if (!/^(?:data|blob|javascript|about|mailto):/i.test(ref) && !ref.startsWith('#')) {
            local.add(ref.split(/[?#]/)[0]);
        }
    }
    return { local: [...local].filter((r) => r.length > 0), remote: [...remote] };
}

function get(url) {
    return new Promise((resolve, reject) => {
        http.get(url, (res) => {
            const chunks = [];
            res.on('data', (c) => chunks.push(c));
            res.on('end', () => resolve({ status: res.statusCode, type: res.headers['content-type'], body: Buffer.concat(chunks) }));
        }).on('error', reject);
    });
}

h.runTest('web_site', async ({ args, onCleanup }) => {
    const site = args.site;
    const index = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
    h.pass(`${site}/index.html exists (${index.length} bytes)`);

    const files = h.filesUnder(site);
    const total = files.reduce((sum, f) => sum + fs.statSync(f).size, 0);
    console.log(`site: ${files.length} files, ${(total / 1048576).toFixed(2)} MiB`);

    const wasm = files.filter((f) => f.endsWith('.wasm'));
    h.check(wasm.length > 0, `the program's WebAssembly is there (${wasm.map((f) => path.relative(site, f)).join(', ') || 'none'})`);
    const empty = files.filter((f) => fs.statSync(f).size === 0);
    h.check(empty.length === 0, `no empty file${empty.length ? `: ${empty.map((f) => path.relative(site, f)).join(', ')}` : ''}`);

    // What index.html names, and what its scripts name by file name (the loader names the
    // .wasm and the packed data).
    const named = references(index);
    h.check(named.remote.length === 0, `index.html loads nothing from another host${named.remote.length ? `: ${named.remote.join(', ')}` : ''}`);
    const missing = named.local.filter((ref) => !fs.existsSync(path.join(site, decodeURIComponent(ref))));
    h.check(named.local.length > 0 && missing.length === 0,
        `every file index.html names exists (${named.local.join(', ')})${missing.length ? `; missing: ${missing.join(', ')}` : ''}`);

    // Served by a plain static server, with the types a browser needs to stream-compile.
    const server = await h.serveSite(site);
    onCleanup(server.close);
    for (const file of [path.join(site, 'index.html'), ...wasm]) {
        const rel = path.relative(site, file).split(path.sep).join('/');
        const res = await get(server.url + rel);
        h.check(res.status === 200 && res.body.length === fs.statSync(file).size && res.type === h.mimeType(file),
            `${rel} served whole as ${res.type}`);
    }
});
