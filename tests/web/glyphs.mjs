// Tells whether a text on the game's canvas is drawn with a TrueType font file: the page draws the
// same string with that file on a 2D canvas, each glyph where raylib puts it, and the two are
// compared pixel by pixel once both are thresholded to ink and no ink.
import { readFileSync } from "node:fs";

// The font's units per em and its hhea ascent and descent: raylib sizes a font by ascent - descent
// (stb_truetype's pixel height), a 2D canvas by the em.
function fontMetrics(bytes) {
  const tables = bytes.readUInt16BE(4);
  const offsets = {};
  for (let i = 0; i < tables; i++) {
    offsets[bytes.toString("latin1", 12 + 16 * i, 16 + 16 * i)] = bytes.readUInt32BE(20 + 16 * i);
  }
  return {
    unitsPerEm: bytes.readUInt16BE(offsets.head + 18),
    ascent: bytes.readInt16BE(offsets.hhea + 4),
    descent: bytes.readInt16BE(offsets.hhea + 6),
  };
}

// Makes the font file a face of the page, once per page.
export async function loadFont(page, file) {
  const bytes = readFileSync(file);
  const metrics = fontMetrics(bytes);
  await page.evaluate(async (base64) => {
    if (window.__referenceFont) return;
    const data = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    window.__referenceFont = new FontFace("TorvaneReference", data.buffer);
    document.fonts.add(await window.__referenceFont.load());
  }, bytes.toString("base64"));
  return { page, metrics };
}

// `text` drawn by the page at raylib's `size` from its top-left corner: each glyph at the sum of the
// whole-pixel advances before it, as raylib's font atlas keeps them, without kerning. Returns the ink
// of each pixel and where each glyph starts.
export async function drawReference(font, text, size) {
  const { unitsPerEm, ascent, descent } = font.metrics;
  const scale = size / (ascent - descent);
  const drawn = await font.page.evaluate(({ text, em, baseline, height }) => {
    const canvas = document.createElement("canvas");
    let ctx = canvas.getContext("2d");
    const font = `${em}px TorvaneReference`;
    ctx.font = font;
    const glyphs = [...text];
    const pens = [0];
    for (const glyph of glyphs) pens.push(pens.at(-1) + Math.trunc(ctx.measureText(glyph).width));
    canvas.width = pens.at(-1) + Math.ceil(em);
    canvas.height = height;
    ctx = canvas.getContext("2d");
    ctx.fillStyle = "#fff";
    ctx.fillRect(0, 0, canvas.width, canvas.height);
    ctx.font = font;
    ctx.fontKerning = "none";
    ctx.fillStyle = "#000";
    glyphs.forEach((glyph, i) => ctx.fillText(glyph, pens[i], baseline));
    const pixels = ctx.getImageData(0, 0, canvas.width, canvas.height).data;
    const ink = [];
    for (let i = 0; i < pixels.length; i += 4) ink.push(pixels[i] < 128 ? 1 : 0);
    return { width: canvas.width, height, pens, ink };
  }, { text, em: scale * unitsPerEm, baseline: Math.trunc(ascent * scale), height: Math.ceil(1.3 * size) });
  return { ...drawn, at: (x, y) => drawn.ink[y * drawn.width + x] === 1 };
}

// How alike the shot's ink (`inked(colour)`) in the columns [x0, x1) of a text drawn at `origin` is
// to the reference's ink there: the smaller of the shares of each side's ink pixels that have ink of
// the other side within a pixel. 1 is the same drawing; a glyph of another font scores far lower.
export function likeness(shot, origin, inked, reference, [x0, x1] = [0, reference.width]) {
  const [ox, oy] = origin;
  const shotAt = (x, y) => {
    const [sx, sy] = [ox + x, oy + y];
    return sx >= 0 && sy >= 0 && sx < shot.width && sy < shot.height && inked(shot.px(sx, sy));
  };
  const refAt = (x, y) => x >= 0 && y >= 0 && x < reference.width && y < reference.height && reference.at(x, y);
  const near = (at, x, y) => [-1, 0, 1].some((dx) => [-1, 0, 1].some((dy) => at(x + dx, y + dy)));
  const counts = { shot: 0, shotMatched: 0, ref: 0, refMatched: 0 };
  for (let y = 0; y < reference.height; y++) {
    for (let x = x0; x < x1; x++) {
      if (shotAt(x, y)) {
        counts.shot += 1;
        counts.shotMatched += near(refAt, x, y) ? 1 : 0;
      }
      if (refAt(x, y)) {
        counts.ref += 1;
        counts.refMatched += near(shotAt, x, y) ? 1 : 0;
      }
    }
  }
  if (counts.shot === 0 || counts.ref === 0) return 0;
  return Math.min(counts.shotMatched / counts.shot, counts.refMatched / counts.ref);
}

// The likeness of each letter of `text` beyond ASCII, in the shot of `text` drawn at `origin`, to the
// font's own glyph and to the '?' that raylib draws for a letter its font lacks, each in the letter's
// columns.
export async function letterLikeness(font, shot, origin, inked, text, size) {
  const line = await drawReference(font, text, size);
  const question = await drawReference(font, "?", size);
  const letters = [];
  for (const [i, letter] of [...text].entries()) {
    if (letter.codePointAt(0) < 128) continue;
    const [from, to] = [line.pens[i], line.pens[i + 1]];
    const own = likeness(shot, origin, inked, line, [from, to]);
    const placed = { ...line, at: (x, y) => x >= from && x - from < question.width && question.at(x - from, y) };
    const asQuestion = likeness(shot, origin, inked, placed, [from, to]);
    letters.push({ letter, own, asQuestion });
  }
  return letters;
}

// Reads a line drawn with the font at `origin` glyph by glyph: at each place the likeliest of that
// place's `choices`, the next place a whole-pixel advance of it further. Returns the text and the
// likeness of its least certain glyph.
export async function readLine(font, shot, origin, inked, size, choices) {
  let text = "";
  let pen = 0;
  let worst = 1;
  for (const options of choices) {
    let best = null;
    for (const glyph of options) {
      const ref = await drawReference(font, glyph, size);
      const from = pen;
      const placed = { ...ref, width: from + ref.width, at: (x, y) => x >= from && x - from < ref.width && ref.at(x - from, y) };
      const like = likeness(shot, origin, inked, placed, [from, from + ref.pens[1]]);
      if (best === null || like > best.like) best = { glyph, like, advance: ref.pens[1] };
    }
    text += best.glyph;
    pen += best.advance;
    worst = Math.min(worst, best.like);
  }
  return { text, worst };
}
