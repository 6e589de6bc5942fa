// How close a frame drawn in Chromium (SwiftShader) must come to the capture tool's
// (Mesa's llvmpipe), shared by every test that compares the two. The numbers, and why they
// are what they are, are in the frame test's comment.
'use strict';

const h = require('./harness');

// A frame passes when all of these hold (R, G and B levels, 0 to 255):
const tolerance = {
    mean: 1.0, // mean absolute difference over every channel of every pixel
    farShare: 0.005, // share of pixels with a channel more than `far` apart
    far: 24,
    block: 24, // mean difference in the worst 16 x 16 block (a missing or moved object)
};

// The worst 16 x 16 block's mean difference: what a missing or displaced object leaves,
// where rasterisation differences spread thin along edges.
function worstBlock(a, b, size = 16) {
    let worst = 0;
    for (let by = 0; by < a.height; by += size) {
        for (let bx = 0; bx < a.width; bx += size) {
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

// {mean, max, farShare, block, within} of web against native.
function measureFrame(web, native, diffFile) {
    const c = h.compareImages(web, native, { far: tolerance.far, diffFile });
    c.block = worstBlock(web, native);
    c.within = c.mean <= tolerance.mean && c.farShare <= tolerance.farShare && c.block <= tolerance.block;
    return c;
}

function describeFrame(c) {
    return `mean ${c.mean.toFixed(3)}, largest ${c.max}, over ${tolerance.far}: ${(c.farShare * 100).toFixed(3)} %, ` +
        `worst block ${c.block.toFixed(1)}`;
}

function describeTolerance() {
    return `mean <= ${tolerance.mean}, pixels over ${tolerance.far} <= ${tolerance.farShare * 100} %, ` +
        `worst 16x16 block mean <= ${tolerance.block}`;
}

module.exports = { tolerance, measureFrame, describeFrame, describeTolerance };
