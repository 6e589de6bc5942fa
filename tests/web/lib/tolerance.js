// How close a frame drawn in Chromium (SwiftShader) must come to the capture tool's
// (Mesa's llvmpipe), shared by every test that compares the two.
//
// The two software renderers differ slightly in texture filtering, level-of-detail choice,
// edge coverage and rounding. Measured over the whole show (a frame every 4 s, and every
// second through the loudspeaker field; 90 moments), the web build's frames differ from
// the native ones by a mean of 0.03 to 0.27 per channel, with at most 0.05 % of pixels more
// than 24 levels apart and no 32 x 32 block worse than 4.3 on average. The loudspeaker
// field is the exception: its cabinets stand on a ground of two huge triangles under a
// projection whose near plane is 0.01, where a step of the 24-bit depth buffer is about
// half a unit at the cabinets' distance, and the two renderers let the ground cut the
// cabinets' feet a few pixels apart (and filter its stone seams differently): means up to
// 2.5, up to 3.4 % of pixels far apart, and a worst block of 24.
//
// A wrong frame leaves a dense patch somewhere: the native frame 500 ms later, or the frame
// without its thinnest layer (the frame overlay, 1.5 % of the picture), has a 32 x 32 block
// at least 43 apart on average at every moment tested, and over 1.3 % of its pixels far
// apart. So the worst block is held to 16 (33 in the loudspeaker field, 1.4 times the worst
// seen there and 1.3 times below the nearest wrong frame), and the mean and the share of
// far pixels to 1.6 to 10 times what the renderers give: outside the loudspeaker field
// that turns the wrong frames down on those counts too, and with them any small shift of
// the whole picture's colour.
'use strict';

const h = require('./harness');

// A frame passes when all of these hold (R, G and B levels, 0 to 255):
const tolerance = {
    mean: 0.75, // mean absolute difference over every channel of every pixel
    farShare: 0.005, // share of pixels with a channel more than `far` apart
    far: 24,
    block: 16, // mean difference in the worst 32 x 32 block (a missing or moved object)
};
const loudspeakerField = { from: 86210, to: 123505 };
const loudspeakerTolerance = { ...tolerance, mean: 4.0, farShare: 0.06, block: 33 };

// The tolerance for a frame of the show at ms.
function toleranceAt(ms) {
    return ms >= loudspeakerField.from && ms < loudspeakerField.to ? loudspeakerTolerance : tolerance;
}

// The worst 32 x 32 block's mean difference, blocks every 16 pixels: what a missing or
// displaced object leaves, where rasterisation differences spread thin along edges.
function worstBlock(a, b, size = 32) {
    const step = size / 2;
    let worst = 0;
    for (let by = 0; by < a.height; by += step) {
        for (let bx = 0; bx < a.width; bx += step) {
            let sum = 0;
            let n = 0;
            for (let y = by; y < Math.min(by + size, a.height); y += 1) {
                for (let x = bx; x < Math.min(bx + size, a.width); x += 1) {
                    const p = (y * a.width + x) * 4;
                    for (let c = 0; c < 3; c += 1) sum += Math.abs(a.data[p + c] - b.data[p + c]);
                    n += 3;
                }
            }
            worst = Math.max(worst, sum / n);
        }
    }
    return worst;
}

// {mean, max, farShare, block, within} of web against native, a frame of the show at ms.
function measureFrame(web, native, ms, diffFile) {
    const t = toleranceAt(ms);
    const c = h.compareImages(web, native, { far: t.far, diffFile });
    c.block = worstBlock(web, native);
    c.within = c.mean <= t.mean && c.farShare <= t.farShare && c.block <= t.block;
    return c;
}

function describeFrame(c) {
    return `mean ${c.mean.toFixed(3)}, largest ${c.max}, over ${tolerance.far}: ${(c.farShare * 100).toFixed(3)} %, ` +
        `worst block ${c.block.toFixed(1)}`;
}

function describeTolerance() {
    const line = (t) => `mean <= ${t.mean}, pixels over ${t.far} <= ${t.farShare * 100} %, worst 32x32 block mean <= ${t.block}`;
    return `${line(tolerance)}; in the loudspeaker field (${loudspeakerField.from}-${loudspeakerField.to} ms) ` +
        line(loudspeakerTolerance);
}

module.exports = { tolerance, toleranceAt, measureFrame, describeFrame, describeTolerance };
