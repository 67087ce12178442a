// Plays the whole study in the web build: headless Chromium, real mouse events on
// the canvas, everything on the canvas checked on screenshots. Every wait is for
// something to show (a shot, a frame of the game, an element), never a fixed time.
//   node study.mjs <site folder> <artifacts folder> <torvane-replay>
import { execFileSync, spawn } from "node:child_process";
import { copyFileSync, existsSync, mkdtempSync, mkdirSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";
import { PNG } from "pngjs";
import { drawReference, letterLikeness, likeness, loadFont, readLine } from "./glyphs.mjs";

const [site, artifacts, replayTool] = process.argv.slice(2);
if (!replayTool) {
  console.error("usage: node study.mjs <site folder> <artifacts folder> <torvane-replay>");
  process.exit(2);
}
const webFolder = fileURLToPath(new URL("../../web/", import.meta.url));
const shippedFont = fileURLToPath(new URL("../../data/fonts/DejaVuSans.ttf", import.meta.url));

// Colours the game draws with.
const RAYWHITE = [245, 245, 245];
const RED = [230, 41, 55];
const YELLOW = [253, 249, 0];
const GREEN = [0, 228, 48];
const BLACK = [0, 0, 0];

// Canvas points of the widgets.
const PLAY = [300, 350];
const CONTINUE = [300, 250];
const QUIT = [300, 350];
const END_TURN = [100, 50];
const FORFEIT = [300, 50];

// The human Knight at the start of each scored map, and an open beige tile next to it.
const KNIGHT_MOVE = { 1: [[4, 8], [3, 8]], 2: [[5, 5], [6, 5]] };

const FORM = "https://forms.example.org/r?study=torvane";
// A study the site does not have: the browser notes its 404 as an error, which is meant.
const MISSING_STUDY = "no-such-study";
// A study with a mistake: the game says so on standard error, which the browser notes as an error.
const BROKEN_STUDY = "broken-study";

class CheckFailed extends Error {}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Counts the game's frames: each one starts by clearing the canvas. Runs in the page
// before the game does.
function countFrames() {
  window.__frames = 0;
  for (const gl of [WebGLRenderingContext, WebGL2RenderingContext]) {
    const clear = gl.prototype.clear;
    gl.prototype.clear = function (...args) {
      window.__frames += 1;
      return clear.apply(this, args);
    };
  }
}

// Waits for n frames drawn by the page (not the game, which may have stopped).
function pageFrames(page, n) {
  return page.evaluate((count) => new Promise((done) => {
    let left = count;
    const next = () => (--left <= 0 ? done() : requestAnimationFrame(next));
    requestAnimationFrame(next);
  }), n);
}

// Stands in for a browser without WebAssembly SIMD, before the page's scripts run: every SIMD
// instruction starts with the byte 0xfd, so a module holding that byte is refused.
function refuseSimd() {
  const validate = WebAssembly.validate;
  WebAssembly.validate = (bytes) => !new Uint8Array(bytes).includes(0xfd) && validate(bytes);
}

// The game's scripts and modules a page asked for, by name: index.js and index.wasm are the build
// with SIMD, index-plain.js and index-plain.wasm the other.
function buildsAsked(requests) {
  const names = requests.map((r) => new URL(r.slice(r.indexOf(" ") + 1)).pathname.slice(1));
  return [...new Set(names.filter((name) => /^index(-plain)?\.(js|wasm)$/.test(name)))].sort().join(" ");
}

// ---------------------------------------------------------------- screenshots

function decodePng(buffer) {
  const image = PNG.sync.read(buffer);
  return {
    width: image.width,
    height: image.height,
    png: buffer,
    px(x, y) {
      const i = (y * image.width + x) * 4;
      return [image.data[i], image.data[i + 1], image.data[i + 2]];
    },
  };
}

function near(c, ref, tol = 3) {
  return Math.abs(c[0] - ref[0]) <= tol && Math.abs(c[1] - ref[1]) <= tol && Math.abs(c[2] - ref[2]) <= tol;
}

// An open beige tile under the translucent move highlight (55, 55, 150, 100).
function highlighted(c) {
  const a = 100 / 255;
  return near(c, [211, 176, 131].map((v, i) => Math.round(v * (1 - a) + [55, 55, 150][i] * a)));
}

function bluish(c) {
  // The human side's pieces are tinted blue; no tile colour comes close.
  return c[2] >= 80 && c[2] > c[0] + 50 && c[2] > c[1] + 50;
}

// Which kind of scene a 1600 x 900 screenshot shows, from a few pixels each scene owns.
function sceneOf(s) {
  if (near(s.px(20, 20), RED) && near(s.px(220, 20), YELLOW)) return "board";
  const blankCorner = near(s.px(1500, 850), RAYWHITE);
  if (near(s.px(250, 320), GREEN) && blankCorner) return "title";
  if (near(s.px(250, 220), RED) && near(s.px(250, 320), RAYWHITE) && blankCorner) return "transition";
  if (near(s.px(250, 320), RED) && near(s.px(250, 220), RAYWHITE) && blankCorner) return "end";
  // A board whose End Turn and Forfeit are hidden: the opponent's turn.
  if (!blankCorner && !near(s.px(20, 20), RED)) return "board-busy";
  return "unknown";
}

// Map1.txt has blocked tiles at (7,4) and (8,4) and open ones at (8,6), (9,6); Map2 the
// other way round. Blocked tiles are black whatever the fog.
function mapNumber(s) {
  const black = (tx, ty) => near(s.px(100 * tx + 50, 100 * ty + 50), BLACK, 0);
  const first = black(7, 4) && black(8, 4) && !black(8, 6) && !black(9, 6);
  const second = black(8, 6) && black(9, 6) && !black(7, 4) && !black(8, 4);
  if (first && !second) return 1;
  if (second && !first) return 2;
  return null;
}

function countInTile(s, [tx, ty], pred) {
  let n = 0;
  for (let y = 100 * ty + 3; y < 100 * ty + 97; y++) {
    for (let x = 100 * tx + 3; x < 100 * tx + 97; x++) {
      if (pred(s.px(x, y))) n++;
    }
  }
  return n;
}

// Reads the result code drawn at (50, 60) in raylib's default font at size 32, glyph by
// glyph from its strokes: '1' is narrow, 'a' is x-height only, 'b' has an empty top
// right, '2' an empty upper left side, '0' is a closed box.
function readCode(s) {
  const [x0, x1, y0, y1] = [45, 800, 45, 115];
  const dark = (x, y) => {
    const c = s.px(x, y);
    return c[0] + c[1] + c[2] < 300;
  };
  const anyDark = (ax0, ax1, ay0, ay1) => {
    for (let y = ay0; y <= ay1; y++) for (let x = ax0; x <= ax1; x++) if (dark(x, y)) return true;
    return false;
  };
  const glyphs = [];
  let start = null;
  for (let x = x0; x <= x1; x++) {
    const filled = x < x1 && anyDark(x, x, y0, y1 - 1);
    if (filled && start === null) start = x;
    else if (!filled && start !== null) {
      const gx0 = start;
      const gx1 = x - 1;
      const rows = [];
      for (let y = y0; y < y1; y++) if (anyDark(gx0, gx1, y, y)) rows.push(y);
      glyphs.push([gx0, gx1, rows[0], rows[rows.length - 1]]);
      start = null;
    }
  }
  if (glyphs.length === 0) return "";
  const top = Math.min(...glyphs.map((g) => g[2]));
  const bottom = Math.max(...glyphs.map((g) => g[3]));
  const height = bottom - top + 1;
  const widest = Math.max(...glyphs.map((g) => g[1] - g[0] + 1));
  let text = "";
  for (const [gx0, gx1, gy0] of glyphs) {
    const w = gx1 - gx0 + 1;
    const quarter = Math.max(1, Math.floor(w / 4));
    if (w <= 0.6 * widest) text += "1";
    else if (gy0 > top + 0.2 * height) text += "a";
    else if (!anyDark(gx1 - quarter + 1, gx1, top, top + Math.floor(0.25 * height))) text += "b";
    else if (!anyDark(gx0, gx0 + quarter - 1, top + Math.floor(0.2 * height), top + Math.floor(0.4 * height))) text += "2";
    else text += "0";
  }
  return text;
}

// ---------------------------------------------------------------- the page

class Run {
  constructor(page, name) {
    this.page = page;
    this.name = name;
    this.shots = 0;
    this.scale = 1;
    this.touch = null;  // a CDP session that sends touches in place of the mouse
  }

  log(text) {
    console.log(`  [${this.name}] ${text}`);
  }

  async shot() {
    // A touch run's page has as many device pixels per game pixel as there are game pixels, so
    // the shot is 1600 x 900 whatever the page's size.
    const clip = { x: 0, y: 0, width: 1600 * this.scale, height: 900 * this.scale };
    return decodePng(await this.page.screenshot({ clip }));
  }

  save(label, s) {
    const dir = join(artifacts, this.name);
    mkdirSync(dir, { recursive: true });
    this.shots += 1;
    writeFileSync(join(dir, `${String(this.shots).padStart(2, "0")}-${label}.png`), s.png);
  }

  check(condition, message, s) {
    if (!condition) {
      if (s) this.save("failed-check", s);
      throw new CheckFailed(`${this.name}: ${message}`);
    }
  }

  async waitUntil(what, pred, timeoutMs) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      const s = await this.shot();
      if (pred(s)) return s;
      if (Date.now() > deadline) {
        this.save(`timeout-${what.replace(/[^a-z0-9]+/gi, "-")}`, s);
        throw new CheckFailed(`${this.name}: waited ${timeoutMs / 1000} s for ${what}; the screen looks like ${sceneOf(s)}`);
      }
      await sleep(50);
    }
  }

  waitScene(scene, timeoutMs = 20000) {
    return this.waitUntil(`the ${scene} screen`, (s) => sceneOf(s) === scene, timeoutMs);
  }

  // Waits until the game has drawn n more frames: it has then read the input sent before.
  async frames(n) {
    const target = (await this.page.evaluate(() => window.__frames)) + n;
    await this.page.waitForFunction((t) => window.__frames >= t, target, { timeout: 20000 });
  }

  // The game reads the mouse once a frame and drops a press and a release read together:
  // a frame passes between them, and after the move that comes first. A touch run taps instead.
  async click([x, y]) {
    const px = x * this.scale;
    const py = y * this.scale;
    if (this.touch) {
      await this.touchPath([[px, py]]);
      return;
    }
    await this.page.mouse.move(px + 7, py + 5);
    await this.page.mouse.move(px, py);
    await this.frames(1);
    await this.page.mouse.down();
    await this.frames(2);
    await this.page.mouse.up();
  }

  // One finger down at the first page point, through the others a frame apart, and up at the
  // last, as a touch screen sends them.
  async touchPath(points) {
    const send = (type, [x, y]) =>
      this.touch.send("Input.dispatchTouchEvent", { type, touchPoints: type === "touchEnd" ? [] : [{ x, y }] });
    await send("touchStart", points[0]);
    for (const point of points.slice(1)) {
      await this.frames(1);
      await send("touchMove", point);
    }
    await this.frames(2);
    await send("touchEnd", points[points.length - 1]);
  }

  async next(button, scene) {
    await this.click(button);
    return this.waitScene(scene);
  }
}

async function startServer(folder) {
  // The way the README tells a researcher to try the site.
  const server = spawn("python3", ["-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder], {
    stdio: ["ignore", "pipe", "pipe"],
  });
  const port = await new Promise((resolve, reject) => {
    let seen = "";
    const timer = setTimeout(() => reject(new Error(`the web server did not start: ${seen}`)), 10000);
    server.stdout.on("data", (chunk) => {
      seen += chunk;
      const m = seen.match(/port (\d+)/);
      if (m) {
        clearTimeout(timer);
        resolve(Number(m[1]));
      }
    });
    server.on("exit", (code) => reject(new Error(`the web server exited (${code}): ${seen}`)));
  });
  server.stderr.resume();
  return { server, base: `http://127.0.0.1:${port}` };
}

// From the tutorial's board to the first scored one by Forfeit and Continue: its shot and map.
async function toFirstScoredBoard(run) {
  await run.next(FORFEIT, "transition");
  await run.next(CONTINUE, "board");
  await run.next(FORFEIT, "transition");
  const board = await run.next(CONTINUE, "board");
  const map = mapNumber(board);
  run.check(map !== null, "first scored board: the layout matches neither map", board);
  return { board, map };
}

// The participant's Knight moved by two clicks (or taps) on a scored board of `map`.
async function moveKnight(run, board, map) {
  const [from, to] = KNIGHT_MOVE[map];
  run.check(countInTile(board, from, bluish) > 500, `no blue Knight on ${from} of Map${map}`, board);
  await run.click([100 * from[0] + 50, 100 * from[1] + 50]);
  await run.waitUntil("the Knight's moves", (s) => countInTile(s, to, highlighted) > 4000, 5000);
  await run.click([100 * to[0] + 50, 100 * to[1] + 50]);
  const moved = await run.waitUntil("the Knight's move", (s) => countInTile(s, to, bluish) > 500, 5000);
  run.check(countInTile(moved, from, bluish) === 0, `the Knight still shows on ${from} after the move`, moved);
  return moved;
}

// Title to end screen with Forfeit on every board; returns the maps of the scored boards.
async function forfeitThrough(run) {
  await run.next(PLAY, "board");
  const { map } = await toFirstScoredBoard(run);
  return forfeitScoredGames(run, [map]);
}

// From the first scored board to the end screen by Forfeit and Continue; adds the second board's
// map to `maps` and returns them.
async function forfeitScoredGames(run, maps) {
  await run.next(FORFEIT, "transition");
  const second = await run.next(CONTINUE, "board");
  maps.push(mapNumber(second));
  run.check(maps[1] !== null, "second scored board: the layout matches neither map", second);
  await run.next(FORFEIT, "end");
  return maps;
}

// The code on the end screen: two groups, one per scored game, both opponents, the maps seen.
function checkCode(run, end, maps, outcomes) {
  const code = readCode(end);
  run.log(`result code on the canvas: ${code}`);
  run.check(/^[ab][01][12][ab][01][12]$/.test(code), `the end screen's code reads ${JSON.stringify(code)}`, end);
  run.check(code[0] !== code[3], `both games were against opponent ${code[0]}`, end);
  run.check(code[1] + code[4] === outcomes, `outcomes ${code[1]}${code[4]}; every game was forfeited (${outcomes})`, end);
  run.check(code[2] + code[5] === maps.join(""), `the code names maps ${code[2]}${code[5]}, the boards were Map${maps[0]} and Map${maps[1]}`, end);
  return code;
}

// What the page shows after Quit.
async function finishedPage(page) {
  await page.waitForSelector("#finished:not([hidden])", { timeout: 10000 });
  return page.evaluate(() => {
    const code = document.getElementById("code");
    window.getSelection().selectAllChildren(code);
    const selected = window.getSelection().toString();
    const error = document.getElementById("next-error");
    return {
      text: document.getElementById("finished").innerText,
      code: code.textContent,
      selected,
      canvasShown: !document.getElementById("canvas").hidden,
      linkShown: !document.getElementById("next").hidden,
      href: document.getElementById("next-link").getAttribute("href"),
      error: error.hidden ? "" : error.textContent,
      errorElements: error.children.length,
      recordError: document.getElementById("record-error").hidden ? "" : document.getElementById("record-error").textContent,
      recordErrorElements: document.getElementById("record-error").children.length,
      farewellElements: document.getElementById("farewell").children.length,
      pwned: window.__pwned !== undefined,
      javascriptLinks: [...document.querySelectorAll("a[href]")].filter((a) => !/^(https?|blob):/.test(a.href)).length,
    };
  });
}

async function playWholeStudy(context, base, timings) {
  const page = await context.newPage();
  const run = new Run(page, "whole-study");
  const url = `${base}/index.html?next=${encodeURIComponent(FORM)}`;
  await page.addInitScript(countFrames);
  const requests = [];
  page.on("request", (request) => requests.push(`${request.method()} ${request.url()}`));

  // Holds the packed files back a moment so the progress line can be seen.
  let release;
  const held = new Promise((done) => (release = done));
  await page.route("**/index.data", async (route) => {
    await held;
    await route.continue();
  });
  const started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => {
    const s = document.getElementById("status");
    return s && !s.hidden && s.textContent.startsWith("Loading the game");
  }, null, { timeout: 10000 });
  const title = await page.title();
  run.check(title === "Strategy Game", `the browser title is ${JSON.stringify(title)}`);
  release();

  const first = await run.waitScene("title", 60000);
  timings.firstFrame = Date.now() - started;
  run.log(`title screen drawn ${timings.firstFrame} ms after the page was asked for`);
  run.check(!(await page.isVisible("#status")), "the progress line is still shown over the game", first);
  run.check(buildsAsked(requests) === "index.js index.wasm", `a browser with SIMD loaded ${buildsAsked(requests)}`);

  // At 1600 x 900 the canvas fills the page exactly, with nothing to scroll.
  const layout = await page.evaluate(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return {
      rect: [r.left, r.top, r.width, r.height],
      scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
      inner: [window.innerWidth, window.innerHeight],
      title: document.title,
    };
  });
  run.check(layout.rect.join() === "0,0,1600,900", `the canvas sits at ${layout.rect} in the 1600 x 900 page`, first);
  run.check(layout.scroll.join() === "1600,900", `the page scrolls to ${layout.scroll}`, first);
  run.check(layout.title === "Strategy Game", `the title became ${JSON.stringify(layout.title)} once the game ran`);

  // Escape cannot close a tab; the game must go on.
  await page.keyboard.down("Escape");
  await run.frames(2);
  await page.keyboard.up("Escape");
  await run.frames(10);
  run.check(sceneOf(await run.shot()) === "title", "Escape left the title screen");

  // In a smaller window the canvas shrinks with its aspect kept, and a click lands where
  // the button is drawn: (300, 350) on the canvas is the Play button, (187, 218) is not.
  await page.setViewportSize({ width: 1000, height: 700 });
  await page.waitForFunction(() => document.getElementById("canvas").getBoundingClientRect().width < 1600);
  const small = await page.evaluate(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return [r.left, r.top, r.width, r.height, document.documentElement.scrollHeight];
  });
  run.check(small.join() === "0,0,1000,562.5,700", `in a 1000 x 700 window the canvas is at ${small.slice(0, 4)}, page height ${small[4]}`);
  run.scale = 1000 / 1600;
  await run.click(PLAY);
  run.scale = 1;
  await page.setViewportSize({ width: 1600, height: 900 });
  const tutorial = await run.waitScene("board");
  run.check(near(tutorial.px(50, 500), RAYWHITE), "the tutorial board does not show its margin", tutorial);

  await page.keyboard.down("Escape");
  await run.frames(2);
  await page.keyboard.up("Escape");
  // The first scored game: move the Knight, end the turn, and watch the opponent play.
  const { board, map } = await toFirstScoredBoard(run);
  const maps = [map];
  run.save("knight-moved", await moveKnight(run, board, map));

  const ended = Date.now();
  await run.click(END_TURN);
  const busy = await run.waitUntil("the opponent's turn", (s) => sceneOf(s) === "board-busy", 60000);
  run.save("opponent-turn", busy);
  const back = await run.waitScene("board", 90000);
  timings.opponentTurn = Date.now() - ended;
  run.log(`the opponent's first turn on Map${maps[0]} took ${timings.opponentTurn} ms, End Turn to buttons back`);
  run.save("turn-back", back);

  await forfeitScoredGames(run, maps);
  const end = await run.shot();
  run.save("end", end);
  const code = checkCode(run, end, maps, "00");

  await run.click(QUIT);
  const done = await finishedPage(page);
  run.check(!done.canvasShown, "the game still shows after Quit");
  run.check(/finished/i.test(done.text) && /close this tab/i.test(done.text), `after Quit the page says: ${done.text}`);
  run.check(done.code === code, `the page shows the code ${JSON.stringify(done.code)}, the canvas showed ${code}`);
  run.check(done.selected === code, `selecting the code gives ${JSON.stringify(done.selected)}`);
  const expected = new URL(FORM);
  expected.searchParams.set("code", code);
  run.check(done.linkShown && done.href === expected.href, `questionnaire link ${done.href}, expected ${expected.href}`);
  run.check(done.error === "", `an error is shown: ${done.error}`);
  await pageFrames(page, 60);
  run.check(page.url() === url, `the page went to ${page.url()} by itself`);

  // Following the link by hand reaches the questionnaire with the code.
  await page.route("https://forms.example.org/**", (route) =>
    route.fulfill({ status: 200, contentType: "text/html", body: "<title>form</title>" }));
  await Promise.all([page.waitForURL("https://forms.example.org/**", { timeout: 10000 }), page.click("#next-link")]);
  const reached = new URL(page.url());
  run.check(reached.searchParams.get("code") === code && reached.searchParams.get("study") === "torvane",
    `the link led to ${page.url()}`);
  await page.close();
  return code;
}

// The fraction of sampled board points that show, in `after`, what `before` showed `[dx, dy]`
// game pixels away, give or take a pixel and a shade: a page that scales the canvas by a fraction
// blends its rows a little differently at each scroll position.
function shifted(before, after, [dx, dy]) {
  let same = 0;
  let all = 0;
  for (let y = 250; y < 750; y += 7) {
    for (let x = 300; x < 1300; x += 7) {
      all += 1;
      const seen = (ex, ey) => near(after.px(x + dx + ex, y + dy + ey), before.px(x, y), 24);
      if ([-1, 0, 1].some((ex) => [-1, 0, 1].some((ey) => seen(ex, ey)))) same += 1;
    }
  }
  return same / all;
}

// Reloads the page from within, as a participant's reload does, and says whether the browser
// asked first. An asked reload is refused: the page stays.
async function reloadAsks(run, dialogs) {
  const asked = dialogs.length;
  const loaded = run.page.waitForEvent("load", { timeout: 60000 });
  await run.page.evaluate(() => setTimeout(() => window.location.reload(), 0));
  const outcome = await Promise.race([
    loaded.then(() => "loaded"),
    run.page.waitForEvent("dialog", { timeout: 60000 }).then(() => "asked"),
  ]);
  loaded.catch(() => {});
  run.check(outcome === "loaded" || dialogs[asked] === "beforeunload", `a ${dialogs[asked]} dialog opened`);
  return outcome === "asked";
}

// A tablet with touch alone (1180 x 820, its canvas showing the game's pixels one to one):
// the whole study by taps, a drag that scrolls the board, the page held upright, and reloads.
async function touchStudy(context, base) {
  const page = await context.newPage();
  const run = new Run(page, "touch-tablet");
  const dialogs = [];
  page.on("dialog", (dialog) => {
    dialogs.push(dialog.type());
    dialog.dismiss().catch(() => {});
  });
  run.touch = await context.newCDPSession(page);
  await page.addInitScript(countFrames);
  await page.goto(`${base}/index.html`);
  await run.waitScene("title", 60000);
  await run.touchPath([[700, 500]]);  // a tap beside Play: the page has been used, and may ask
  const width = await page.evaluate(() => document.getElementById("canvas").getBoundingClientRect().width);
  run.check(width === 1180, `the canvas is ${width} wide on the 1180-wide tablet`);
  run.scale = width / 1600;
  run.check(!(await reloadAsks(run, dialogs)), "a reload on the title screen asked first");
  await run.waitScene("title", 60000);

  await run.next(PLAY, "board");
  const { board, map } = await toFirstScoredBoard(run);
  const maps = [map];

  // A finger dragged from the board's middle by (-160, -80) game pixels takes the board with it;
  // dragged back, everything is where it was.
  const css = (x, y) => [x * run.scale, y * run.scale];
  const path = (dx, dy) => [0, 0.25, 0.5, 0.75, 1].map((f) => css(800 + f * dx, 500 + f * dy));
  await run.touchPath(path(-160, -80));
  await run.frames(3);
  const dragged = await run.shot();
  const carried = shifted(board, dragged, [-160, -80]);
  run.log(`drag by (-160, -80): ${(100 * carried).toFixed(1)} % of the board moved with it, ${(100 * shifted(board, dragged, [0, 0])).toFixed(1)} % stayed`);
  run.check(carried > 0.99 && shifted(board, dragged, [0, 0]) < 0.8, "the board did not follow the finger", dragged);
  await run.touchPath(path(160, 80));
  await run.frames(3);
  const back = await run.shot();
  run.check(shifted(board, back, [0, 0]) > 0.99, "dragged back, the board is not where it was", back);

  // Held upright, the page shows the notice and no tap or key reaches the game; turned back,
  // the game is as it was, the opponent still waiting for End Turn.
  await page.setViewportSize({ width: 390, height: 844 });
  await page.waitForSelector("#turn:not([hidden])", { timeout: 10000 });
  const notice = await page.innerText("#turn");
  run.check(/turn your device/i.test(notice), `upright, the page says ${JSON.stringify(notice)}`);
  const upright = await page.evaluate(() => document.getElementById("canvas").getBoundingClientRect().width / 1600);
  for (const point of [END_TURN, FORFEIT, KNIGHT_MOVE[maps[0]][0].map((v) => 100 * v + 50)]) {
    await run.touchPath([[point[0] * upright, point[1] * upright]]);
  }
  await page.keyboard.down("d");
  await run.frames(10);
  await page.keyboard.up("d");
  await page.setViewportSize({ width: 1180, height: 820 });
  await page.waitForSelector("#turn", { state: "hidden", timeout: 10000 });
  await run.frames(3);
  const turned = await run.shot();
  run.check(shifted(back, turned, [0, 0]) > 0.99, "input passed the upright notice to the game", turned);

  await moveKnight(run, turned, map);
  run.check(await reloadAsks(run, dialogs), "a reload in the middle of a game did not ask");
  await run.frames(3);
  run.check(sceneOf(await run.shot()) === "board", "the game did not go on after the reload was refused");

  await run.click(END_TURN);
  await run.waitUntil("the opponent's turn", (s) => sceneOf(s) === "board-busy", 60000);
  await run.waitScene("board", 90000);
  await forfeitScoredGames(run, maps);
  const code = checkCode(run, await run.shot(), maps, "00");
  await run.click(QUIT);
  const done = await finishedPage(page);
  run.check(done.code === code, `the page shows the code ${JSON.stringify(done.code)}, the canvas showed ${code}`);
  run.check(!(await reloadAsks(run, dialogs)), "a reload after Quit asked first");
  run.log(`played by touch alone: code ${code}; dialogs ${dialogs.join(", ")}`);
  await page.close();
}

// ---------------------------------------------------------------- the record sent to a receiver

// A receiver in this process: it answers 204 with the CORS header the page needs, or 503 while
// `refuse` counts down, and notes every request.
async function startReceiver() {
  const receiver = { pieces: [], attempts: [], refuse: 0 };
  const server = createServer((request, response) => {
    let body = "";
    request.setEncoding("utf8");
    request.on("data", (chunk) => (body += chunk));
    request.on("end", () => {
      const url = new URL(request.url, "http://receiver");
      const piece = { run: url.searchParams.get("run"), seq: Number(url.searchParams.get("seq")), body };
      receiver.attempts.push({ ...piece, method: request.method, bytes: Buffer.byteLength(body) });
      const refused = receiver.refuse > 0;
      if (refused) receiver.refuse -= 1;
      else if (request.method === "POST") receiver.pieces.push(piece);
      response.writeHead(refused ? 503 : 204, { "Access-Control-Allow-Origin": "*" }).end();
    });
  });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  receiver.url = `http://127.0.0.1:${server.address().port}/receive`;
  receiver.close = () => server.close();
  return receiver;
}

// The pieces of one run put together in order, repeats dropped; throws on a gap.
function assemble(pieces, run) {
  const bySeq = new Map();
  for (const piece of pieces.filter((p) => p.run === run)) {
    if (bySeq.has(piece.seq) && bySeq.get(piece.seq) !== piece.body) throw new CheckFailed(`piece ${piece.seq} arrived twice, different`);
    bySeq.set(piece.seq, piece.body);
  }
  let text = "";
  for (let seq = 0; seq < bySeq.size; seq++) {
    if (!bySeq.has(seq)) throw new CheckFailed(`run ${run}: piece ${seq} of ${bySeq.size} never arrived`);
    text += bySeq.get(seq);
  }
  return text;
}

// Replays a record with torvane-replay; returns its report, throws when it does not match.
function replay(run, text, label) {
  const file = join(artifacts, run.name, `${label}.jsonl`);
  mkdirSync(join(artifacts, run.name), { recursive: true });
  writeFileSync(file, text);
  try {
    return execFileSync(replayTool, [file], { encoding: "utf8" }).trim();
  } catch (error) {
    throw new CheckFailed(`${run.name}: torvane-replay refused ${file}: ${error.stdout}${error.stderr}`);
  }
}

// What has arrived of a run so far, without a gap; "" until it has.
function assembled(pieces, run) {
  try {
    return assemble(pieces, run);
  } catch (error) {
    return "";
  }
}

const events = (text) => text.trim().split("\n").map((line) => JSON.parse(line));

// Opens the page with `query`, after `init` if given, and returns its run, a list of the dialogs
// it opened and its requests.
async function openStudy(context, base, name, query, init) {
  const page = await context.newPage();
  const run = new Run(page, name);
  run.dialogs = [];
  run.requests = [];
  page.on("dialog", (dialog) => {
    run.dialogs.push(dialog.type());
    (run.acceptDialogs ? dialog.accept() : dialog.dismiss()).catch(() => {});
  });
  page.on("request", (request) => run.requests.push(`${request.method()} ${request.url()}`));
  await page.addInitScript(countFrames);
  if (init) await page.addInitScript(init);
  await page.goto(`${base}/index.html?${query}`);
  await run.waitScene("title", 60000);
  return run;
}

// Up to a scored board and a Knight moved there: the move is the last thing recorded.
async function moveOnFirstScoredBoard(run) {
  await run.next(PLAY, "board");
  const { board, map } = await toFirstScoredBoard(run);
  await moveKnight(run, board, map);
}

async function waitFor(what, condition, timeoutMs = 30000) {
  const deadline = Date.now() + timeoutMs;
  while (!condition()) {
    if (Date.now() > deadline) throw new CheckFailed(`waited ${timeoutMs / 1000} s for ${what}`);
    await sleep(50);
  }
}

const IDS = [["PROLIFIC_PID", "5f0c3e1a9b8d7c6e5f4a3b2c"], ["STUDY_ID", "64ab01"], ["note", "a b&c<d>#é ü—文=?"]];

// A port nothing listens on.
function freePort() {
  return new Promise((done) => {
    const probe = createServer().listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => done(port));
    });
  });
}

// The documented receiver, web/receive.php under PHP's own server, with a store of its own.
async function startPhpReceiver() {
  const folder = mkdtempSync(join(tmpdir(), "torvane-receiver-"));
  const store = join(folder, "store");
  mkdirSync(join(folder, "site"));
  copyFileSync(join(webFolder, "receive.php"), join(folder, "site", "receive.php"));
  const port = await freePort();
  const php = spawn("php", ["-S", `127.0.0.1:${port}`, "-t", join(folder, "site")],
    { stdio: "ignore", env: { ...process.env, TORVANE_STORE: store } });
  const address = `http://127.0.0.1:${port}/receive.php`;
  for (let up = false; !up; ) {
    up = await fetch(address).then((r) => r.status === 405, () => false);
    if (!up) await sleep(100);
  }
  return { folder, store, address, close: () => { php.kill(); rmSync(folder, { recursive: true, force: true }); } };
}

// A browser without SIMD gets the plain build and plays the study to its code on it; the record
// it offers to save replays.
async function plainBuild(context, base) {
  const started = Date.now();
  const run = await openStudy(context, base, "plain-build", `next=${encodeURIComponent(FORM)}`, refuseSimd);
  run.check(buildsAsked(run.requests) === "index-plain.js index-plain.wasm", `a browser without SIMD loaded ${buildsAsked(run.requests)}`);
  const maps = await forfeitThrough(run);
  const code = checkCode(run, await run.shot(), maps, "00");
  await run.click(QUIT);
  const done = await finishedPage(run.page);
  run.check(done.code === code, `the page shows the code ${JSON.stringify(done.code)}, the canvas showed ${code}`);
  run.check(done.linkShown && new URL(done.href).searchParams.get("code") === code, `questionnaire link ${done.href}`);
  const saved = await run.page.evaluate(async () => (await fetch(document.getElementById("save-link").href)).text());
  run.log(`code ${code} (${Date.now() - started} ms); ${replay(run, saved, "saved")}`);
  await run.page.close();
}

// The receiver gets a whole study, with the participant's identifiers; its pieces, put together by
// web/assemble-records.sh, replay.
async function recordedStudy(context, base) {
  const { folder, store, address, close } = await startPhpReceiver();
  try {
    const query = new URLSearchParams([...IDS, ["next", FORM], ["record", address]]).toString();
    const run = await openStudy(context, base, "recorded-study", query);
    const maps = await forfeitThrough(run);
    const code = checkCode(run, await run.shot(), maps, "00");
    await run.click(QUIT);
    const done = await finishedPage(run.page);
    await run.page.waitForFunction(() => /whole study record has arrived/.test(document.getElementById("record-status").textContent),
      null, { timeout: 30000 });
    const link = new URL(done.href);
    for (const [name, value] of [...IDS, ["code", code]]) {
      run.check(link.searchParams.get(name) === value, `the link carries ${name}=${link.searchParams.get(name)}, not ${value}`);
    }
    const saved = await run.page.evaluate(async () => {
      const a = document.getElementById("save-link");
      return { name: a.download, text: await (await fetch(a.href)).text() };
    });
    run.check(/^torvane-\d{8}-\d{6}-[0-9a-f]{8}\.jsonl$/.test(saved.name), `the record to save is called ${saved.name}`);
    const out = join(folder, "records");
    execFileSync(join(webFolder, "assemble-records.sh"), [store, out]);
    const files = readdirSync(out);
    run.check(files.length === 1, `assembled ${files.length} records`);
    const received = readFileSync(join(out, files[0]), "utf8");
    run.check(received === saved.text, "the record that arrived differs from the one the page offers to save");
    const first = events(received)[0];
    run.check(JSON.stringify(Object.entries(first.participant)) === JSON.stringify(IDS),
      `the record's first line holds the identifiers ${JSON.stringify(first.participant)}`);
    run.check(events(received).at(-1).code === code, "the record does not end with the code");
    run.log(`${readdirSync(join(store, files[0].slice(0, 32))).length} pieces arrived at receive.php; ${replay(run, received, "received")}`);
    await run.page.close();
  } finally {
    close();
  }
}

// The balanced study takes its condition from receive.php, `condition=` forces one without asking,
// a receiver that never answers leaves the run to its draws, and with the receiver down the study
// runs to its end on a drawn condition. The record's first
// line, written as the study starts, tells each; it arrives with the tutorial's forfeit.
async function balancedConditions(context, base) {
  const php = await startPhpReceiver();
  const node = await startReceiver();
  const firstLine = async (run, pieceAt) => {
    await run.next(PLAY, "board");
    await run.next(FORFEIT, "transition");
    await waitFor("the record's first piece", () => pieceAt() !== null);
    await run.page.close();
    return JSON.parse(pieceAt().split("\n")[0]);
  };
  try {
    let run = await openStudy(context, base, "condition-balanced", `study=balanced&record=${encodeURIComponent(php.address)}`);
    const assigned = join(php.store, ".assign");
    const table = () => (existsSync(assigned) ? readdirSync(assigned) : []).find((name) => name.endsWith(".tsv"));
    run.check(table() !== undefined, "the page asked receive.php for no condition");
    const [runId, condition] = readFileSync(join(assigned, table()), "utf8").split(" ");
    let first = await firstLine(run, () => {
      try {
        return readFileSync(join(php.store, runId, "0.jsonl"), "utf8");
      } catch (error) {
        return null;
      }
    });
    run.check(first.assigned === "balanced" && first.condition === Number(condition) && first.conditions === 8,
      `the receiver gave condition ${condition}; the record says ${first.condition} of ${first.conditions}, ${first.assigned}`);
    run.check(first.studyHash === `fnv1a64:${table().slice(0, -4)}`, `the page asked for ${table()}, the study is ${first.studyHash}`);
    run.log(`receive.php gave run ${runId.slice(0, 8)} condition ${condition}`);

    // A reload asks with the run it replaces: the same condition, and the old run no longer counts.
    run = await openStudy(context, base, "condition-reload", `study=balanced&record=${encodeURIComponent(php.address)}`);
    const asked = () => readFileSync(join(assigned, table()), "utf8").trim().split("\n");
    const before = asked().at(-1).split(" ");
    await run.page.reload();
    await waitFor("the reloaded page's request", () => asked().at(-1) === `moved ${before[0]}`);
    run.check(asked().at(-2).split(" ")[1] === before[1],
      `before the reload condition ${before[1]}, after it ${asked().at(-2).split(" ")[1]}`);
    await run.page.close();

    run = await openStudy(context, base, "condition-forced", `study=balanced&condition=5&record=${encodeURIComponent(node.url)}`);
    first = await firstLine(run, () => node.pieces.find((piece) => piece.seq === 0)?.body ?? null);
    run.check(first.condition === 5 && first.assigned === "forced", `condition=5 recorded ${first.condition}, ${first.assigned}`);
    run.check(!node.attempts.some((a) => a.method === "GET"), "the page asked for a condition although it was forced");

    // A receiver that takes requests and never answers: the study starts once the page gives up.
    const bodies = [];
    const hung = createServer((request) => {
      let body = "";
      request.on("data", (chunk) => (body += chunk)).on("end", () => bodies.push(body));
    });
    await new Promise((done) => hung.listen(0, "127.0.0.1", done));
    try {
      run = await openStudy(context, base, "condition-unanswered",
        `study=balanced&record=${encodeURIComponent(`http://127.0.0.1:${hung.address().port}/receive`)}`);
      first = await firstLine(run, () => bodies.find((body) => body !== "") ?? null);
      run.check(first.assigned === "fallback", `with no answer from the receiver the record says ${first.assigned}`);
    } finally {
      hung.closeAllConnections();
      hung.close();
    }

    // A closed port named like the driver's receiver, whose refusals the browser reports as meant.
    const down = `http://127.0.0.1:${await freePort()}/receive`;
    run = await openStudy(context, base, "condition-fallback", `study=balanced&record=${encodeURIComponent(down)}`);
    const maps = await forfeitThrough(run);
    const code = checkCode(run, await run.shot(), maps, "00");
    await run.click(QUIT);
    await finishedPage(run.page);
    const saved = await run.page.evaluate(async () => (await fetch(document.getElementById("save-link").href)).text());
    first = events(saved)[0];
    run.check(first.assigned === "fallback" && first.condition >= 0 && first.condition < 8 && events(saved).at(-1).code === code,
      `with the receiver down the record says ${first.condition}, ${first.assigned}, and ends with ${events(saved).at(-1).event}`);
    run.log(`receiver down: drawn condition ${first.condition}; ${replay(run, saved, "saved")}`);
    await run.page.close();

    // A condition the study lacks, or that is no number, stops the page before the study.
    for (const [given, reason] of [["8", "the study has conditions 0 to 7"], ["-1", "is not a whole number from 0"],
      ["1&condition=2", "condition is given twice"]]) {
      const page = await context.newPage();
      await page.goto(`${base}/index.html?study=balanced&condition=${given}`);
      const done = await finishedPage(page);
      run.check(!done.canvasShown && done.text.includes(reason), `with condition=${given} the page says: ${done.text}`);
      await page.close();
    }
  } finally {
    php.close();
    node.close();
    await clearStoredPieces(context, base);
  }
}

// What a receiver gets when it refuses at first, when the tab is closed in a game, and when the
// page is reloaded with pieces unsent: every line up to the end, in order, and it replays.
async function recordLosses(context, base) {
  const receiver = await startReceiver();
  const query = `record=${encodeURIComponent(receiver.url)}`;
  try {
    receiver.refuse = 3;
    let run = await openStudy(context, base, "record-refused", query);
    const maps = await forfeitThrough(run);
    checkCode(run, await run.shot(), maps, "00");
    await run.click(QUIT);
    await finishedPage(run.page);
    await run.page.waitForFunction(() => /whole study record has arrived/.test(document.getElementById("record-status").textContent),
      null, { timeout: 60000 });
    const id = receiver.pieces[0].run;
    const saved = await run.page.evaluate(async () => (await fetch(document.getElementById("save-link").href)).text());
    run.check(assemble(receiver.pieces, id) === saved, "what arrived differs from the record the page offers");
    run.log(`${receiver.attempts.length} requests, 3 refused, ${new Set(receiver.pieces.map((p) => p.seq)).size} pieces of ${Buffer.byteLength(saved)} bytes, the largest ${Math.max(...receiver.attempts.map((a) => a.bytes))}; ${replay(run, saved, "received")}`);
    await run.page.close();

    // The tab closed in the middle of a game: the move made just before is there.
    const before = receiver.attempts.length;
    run = await openStudy(context, base, "record-tab-closed", query);
    await moveOnFirstScoredBoard(run);
    run.acceptDialogs = true;
    await run.page.close({ runBeforeUnload: true });
    const closedRun = () => receiver.attempts[before].run;
    await waitFor("the move to arrive after the tab closed", () =>
      receiver.attempts.length > before && /"event":"move"/.test(assembled(receiver.pieces, closedRun())));
    const closed = assemble(receiver.pieces, closedRun());
    run.check(run.dialogs.join() === "beforeunload", `closing the tab opened ${run.dialogs}`);
    run.check(events(closed).at(-1).event === "move", `the record of the closed tab ends with ${events(closed).at(-1).event}`);
    run.log(`closed in a game: ${closed.split("\n").length - 1} lines arrived; ${replay(run, closed, "received")}`);

    // Reloaded while the receiver refuses everything: the new page sends the old pieces again.
    receiver.refuse = Infinity;
    const refusedFrom = receiver.attempts.length;
    run = await openStudy(context, base, "record-reloaded", query);
    await moveOnFirstScoredBoard(run);
    // The closed tab's pieces arrived, but it was gone before it heard so: they go again too.
    const oldRun = receiver.attempts.slice(refusedFrom).find((a) => a.run !== closedRun()).run;
    run.acceptDialogs = true;
    const reloaded = run.page.waitForEvent("load", { timeout: 60000 });
    await run.page.evaluate(() => setTimeout(() => window.location.reload(), 0));
    await reloaded;
    const unsent = receiver.attempts.filter((a) => a.run === oldRun).length;
    receiver.refuse = 0;
    await waitFor("the pieces left from before the reload", () => /"event":"move"/.test(assembled(receiver.pieces, oldRun)), 60000);
    const left = assemble(receiver.pieces, oldRun);
    run.check(events(left).at(-1).event === "move", `the reloaded run's record ends with ${events(left).at(-1).event}`);
    await run.page.waitForFunction(() => !Object.keys(localStorage).some((k) => k.startsWith("torvane-piece ")),
      null, { timeout: 60000 });
    run.log(`reloaded: ${unsent} refused requests before, ${left.split("\n").length - 1} lines arrived after; ${replay(run, left, "received")}`);
    await run.page.close();
  } finally {
    receiver.close();
  }
}

// A link whose identifiers would not reach the game and the questionnaire unchanged stops the
// page before the study, saying why.
async function refusedIds(context, base) {
  const next = encodeURIComponent(`${FORM}&id=42`);
  const links = [
    ["too long", `PROLIFIC_PID=${"x".repeat(257)}`, /PROLIFIC_PID is too long/],
    ["a name holding =", "a%3Db=1", /"a=b" holds "="/],
    ["a value holding NUL", "pid=ab%00cd", /"pid" holds a NUL/],
    ["a name the questionnaire has", "id=43", /"id" is also in the questionnaire's address/],
  ];
  for (const [what, ids, reason] of links) {
    const page = await context.newPage();
    const run = new Run(page, "ids-refused");
    await page.goto(`${base}/index.html?${ids}&next=${next}`);
    const done = await finishedPage(page);
    run.check(!done.canvasShown && reason.test(done.text), `with ${what} the page says: ${done.text}`);
    await page.close();
  }
}

// A study picked by name: three-games, whose third game is against the opponent of the first. Its
// code has three groups, one per scored game, with the maps the boards showed.
async function studyByName(context, base) {
  const run = await openStudy(context, base, "study-by-name", "study=three-games");
  await run.next(PLAY, "board");
  const { map } = await toFirstScoredBoard(run);
  const maps = [map];
  for (let game = 1; game < 3; game++) {
    await run.next(FORFEIT, "transition");
    maps.push(mapNumber(await run.next(CONTINUE, "board")));
  }
  const end = await run.next(FORFEIT, "end");
  const code = readCode(end);
  run.check(/^([ab]0[12]){3}$/.test(code) && code[0] !== code[3] && code[6] === code[0],
    `the three-game study's code reads ${JSON.stringify(code)}`, end);
  run.check(code[2] + code[5] + code[8] === maps.join(""), `the code names maps ${code}, the boards were ${maps}`, end);
  await run.click(QUIT);
  const done = await finishedPage(run.page);
  run.check(done.code === code, `the page shows the code ${JSON.stringify(done.code)}, the canvas showed ${code}`);
  run.log(`three-games picked by name: code ${code}`);
  await run.page.close();
}

// A text of a study file, by its key's first appearance (a one-line TOML string, which JSON reads too).
function studyText(toml, key) {
  return JSON.parse(toml.match(new RegExp(`^${key} = (".*")$`, "m"))[1]);
}

const dark = (c) => c[0] + c[1] + c[2] < 384;
const white = (c) => c[1] > 140;  // a white caption on a red or maroon button

// A text on the canvas drawn with the shipped font: the whole line like the page's own drawing of it
// with the font file, and each letter beyond ASCII like its own glyph, not like '?'.
async function checkDrawnInFont(run, font, shot, [text, size, origin, inked]) {
  const line = likeness(shot, origin, inked, await drawReference(font, text, size));
  const letters = await letterLikeness(font, shot, origin, inked, text, size);
  run.log(`"${text}": ${line.toFixed(3)} like the font; ${letters.map((l) => `${l.letter} ${l.own.toFixed(2)}/${l.asQuestion.toFixed(2)}`).join(", ")}`);
  run.check(line > 0.95, `"${text}" is not drawn with the shipped font (${line.toFixed(3)})`, shot);
  for (const { letter, own, asQuestion } of letters) {
    run.check(own > 0.9 && asQuestion < own - 0.3, `"${letter}" in "${text}" looks like '?' (${own.toFixed(2)}, ${asQuestion.toFixed(2)})`, shot);
  }
}

// Title to the first transition of `study`, by Play and Forfeit: the transition's shot.
async function firstTransition(context, base, name, study) {
  const run = await openStudy(context, base, name, `study=${study}&next=${encodeURIComponent(FORM)}`);
  await run.next(PLAY, "board");
  return { run, shot: await run.next(FORFEIT, "transition") };
}

// The German study by real clicks, from the title to its end page: each screen's German text with
// umlauts or ß drawn in the shipped font, the code read off the canvas, the end page in German. The
// same announcement in the plain study's built-in font is the control: it must not pass for the font.
async function germanStudy(context, base) {
  const toml = readFileSync(join(site, "studies", "german.toml"), "utf8");
  const announcement = studyText(toml, "text");
  const builtInStudy = readFileSync(join(site, "study.toml"), "utf8").replace(/"((Tutorial)?Map\d?\.txt)"/g, '"../$1"')
    .replace(/^text = .*$/m, `text = ${JSON.stringify(announcement)}`);
  const builtInFile = join(site, "studies", "built-in-letters.toml");
  writeFileSync(builtInFile, builtInStudy);
  const { run: control, shot: builtIn } = await firstTransition(context, base, "german-control", "built-in-letters")
    .finally(() => rmSync(builtInFile, { force: true }));
  const font = await loadFont(control.page, shippedFont);
  const controlLikeness = likeness(builtIn, [0, 0], dark, await drawReference(font, announcement, 30));
  control.log(`"${announcement}" in the built-in font: ${controlLikeness.toFixed(3)} like the shipped one`);
  control.check(controlLikeness < 0.7, "the built-in font passes for the shipped one", builtIn);
  await control.page.close();

  const { run, shot } = await firstTransition(context, base, "german", "german");
  const german = await loadFont(run.page, shippedFont);
  await checkDrawnInFont(run, german, shot, [announcement, 30, [0, 0], dark]);
  run.check(likeness(shot, [0, 0], dark, { width: 1600, height: 40, at: (x, y) => dark(builtIn.px(x, y)) }) < 0.7,
    "the announcement looks as the built-in font draws it", shot);
  await run.next(CONTINUE, "board");
  await run.next(FORFEIT, "transition");
  const map = mapNumber(await run.next(CONTINUE, "board"));
  run.check(map !== null, "the first scored board matches neither map");

  // The purchase menu of the participant's castle: its Exit caption, a white ß on red.
  const castle = { 1: [3, 7], 2: [4, 4] }[map];
  await run.click([100 * castle[0] + 50, 100 * castle[1] + 50]);
  const menu = await run.waitUntil("the purchase menu", (s) => near(s.px(660, 660), RED) && near(s.px(840, 740), RED), 5000);
  const exit = studyText(toml, "exit");
  const exitWidth = (await drawReference(german, exit, 18)).pens.at(-1);
  await checkDrawnInFont(run, german, menu, [exit, 18, [750 - Math.trunc(exitWidth / 2), 691], white]);
  await run.click([750, 700]);
  await run.waitUntil("the purchase menu to close", (s) => !near(s.px(660, 660), RED), 5000);

  const maps = await forfeitScoredGames(run, [map]);
  const end = await run.shot();
  run.save("end", end);
  await checkDrawnInFont(run, german, end, [studyText(toml, "thanks"), 32, [0, 0], dark]);
  // The code read off the canvas glyph by glyph: an opponent, an outcome and a map for each scored game.
  const read = await readLine(german, end, [50, 60], dark, 32, ["ab", "01", "12", "ab", "01", "12"]);
  const code = read.text;
  run.log(`result code on the canvas: ${code} (its least certain glyph ${read.worst.toFixed(3)} like the font's)`);
  run.check(read.worst > 0.9 && code[0] !== code[3] && code[1] + code[4] === "00" && code[2] + code[5] === maps.join(""),
    `the end screen's code reads ${code} (${read.worst.toFixed(3)}); both games forfeited on Map${maps[0]} and Map${maps[1]}`, end);

  await run.click(QUIT);
  const done = await finishedPage(run.page);
  const lang = await run.page.evaluate(() => document.documentElement.lang);
  run.check(done.code === code, `the page shows the code ${JSON.stringify(done.code)}, the canvas showed ${code}`);
  for (const key of ["finished", "farewell", "code_label", "questionnaire"]) {
    run.check(done.text.includes(studyText(toml, key)), `the end page lacks ${key} "${studyText(toml, key)}": ${done.text}`);
  }
  run.check(lang === "de" && !done.canvasShown, `the end page's language is ${JSON.stringify(lang)}`);
  run.log(`played to its end page: ${done.text.split("\n")[0]} | ${studyText(toml, "farewell")}`);
  await run.page.close();
}

// A study name that is not a plain name, or names no study of the site, stops the page before the
// study, saying why as text; a name that is not plain is never asked for.
async function refusedStudies(context, base) {
  const names = [
    ["a name with /", "studies/three-games", false],
    ["a name with ..", "..", false],
    ["a name with \\", "three-games\\", false],
    ["a name with %", "three%2Dgames", false],
    ["markup", '<img src=x onerror="window.__pwned=1">', false],
    ["a name not on the site", MISSING_STUDY, true],
  ];
  for (const [what, name, plain] of names) {
    const page = await context.newPage();
    const run = new Run(page, "study-refused");
    const asked = [];
    page.on("request", (request) => asked.push(new URL(request.url()).pathname));
    await page.goto(`${base}/index.html?${new URLSearchParams({ study: name })}`);
    const done = await finishedPage(page);
    const reason = plain ? `there is no study "${name}" on this site (studies/${name}.toml)` : "is not a plain name";
    run.check(!done.canvasShown && done.text.includes(reason), `with ${what} the page says: ${done.text}`);
    run.check(done.farewellElements === 0 && !done.pwned, `with ${what} the name became markup`);
    const files = asked.filter((path) => /\.(toml|txt)$/.test(path));
    run.check(files.join() === (plain ? `/studies/${name}.toml` : ""), `with ${what} the page asked for ${files}`);
    await page.close();
  }
}

// A study file with a mistake stops the page before the study, naming the file, the line and the
// mistake as the game's loader does.
async function brokenStudy(context, base) {
  const study = readFileSync(join(site, "study.toml"), "utf8").replace(/"((Tutorial)?Map\d?\.txt)"/g, '"../$1"')
    .replace('button = "Quit"', 'button = "Quit"\ncolour = "red"');
  const line = study.split("\n").indexOf('colour = "red"') + 1;
  const file = join(site, "studies", `${BROKEN_STUDY}.toml`);
  writeFileSync(file, study);
  try {
    const page = await context.newPage();
    const run = new Run(page, "study-broken");
    await page.goto(`${base}/index.html?study=${BROKEN_STUDY}`);
    const done = await finishedPage(page);
    const reason = `studies/${BROKEN_STUDY}.toml:${line}: unknown key \`colour\` in the end scene`;
    run.check(!done.canvasShown && done.text.includes(reason), `the broken study's page says: ${done.text}`);
    await page.close();
  } finally {
    rmSync(file, { force: true });
  }
}

// The study's own page texts reach the page as text: the loading line, the notice over a page held
// upright and the end page with the record's status. A copy of the plain study with other texts.
async function studyPageTexts(context, base) {
  const texts = {
    language: "de", loading: "Lädt <b>", turn_device: "Bitte quer <i>halten</i>", finished: "Fertig",
    farewell: "Danke & tschüss", code_label: "Ihr Code:", copy_hint: "Kopieren Sie ihn.", questionnaire: "Zum Fragebogen",
    save_record: "Speichern", save_note: "(für <u>uns</u>)", record_arrived: "Alles da: {parts} Teile <s>",
  };
  let study = readFileSync(join(site, "study.toml"), "utf8").replace(/"((Tutorial)?Map\d?\.txt)"/g, '"../$1"');
  for (const [key, value] of Object.entries(texts)) {
    study = study.replace(new RegExp(`^${key} = .*$`, "m"), `${key} = ${JSON.stringify(value)}`);
  }
  const file = join(site, "studies", "page-texts.toml");
  writeFileSync(file, study);
  const receiver = await startReceiver();
  const page = await context.newPage();
  const run = new Run(page, "page-texts");
  try {
    let release;
    const held = new Promise((done) => (release = done));
    await page.route("**/index.data", async (route) => {
      await held;
      await route.continue();
    });
    await page.addInitScript(countFrames);
    await page.goto(`${base}/index.html?study=page-texts&next=${encodeURIComponent(FORM)}&record=${encodeURIComponent(receiver.url)}`);
    await page.waitForFunction((loading) => document.getElementById("status").textContent.startsWith(loading),
      texts.loading, { timeout: 10000 });
    release();
    await run.waitScene("title", 60000);
    await page.setViewportSize({ width: 390, height: 844 });
    await page.waitForSelector("#turn:not([hidden])", { timeout: 10000 });
    const notice = await page.evaluate(() => [document.getElementById("turn").textContent.trim(), document.querySelectorAll("#turn *").length]);
    run.check(notice.join() === `${texts.turn_device},1`, `upright, the page says ${notice}`);
    await page.setViewportSize({ width: 1600, height: 900 });
    await forfeitThrough(run);
    await run.click(QUIT);
    await finishedPage(page);
    await page.waitForFunction(() => /^Alles/.test(document.getElementById("record-status").textContent), null, { timeout: 30000 });
    const shown = await page.evaluate(() => {
      const text = (selector) => document.querySelector(selector).textContent;
      return {
        language: document.documentElement.lang, finished: text("#finished h1"), farewell: text("#farewell"),
        code_label: text("#code-label"), copy_hint: text("#copy-hint"), questionnaire: text("#next-link"),
        save_record: text("#save-link"), save_note: text("#save-note"), record_arrived: text("#record-status"),
        markup: ["#finished h1", "#farewell", "#code-label", "#copy-hint", "#next-link", "#save-note", "#record-status"]
          .reduce((n, selector) => n + document.querySelector(selector).children.length, 0),
      };
    });
    const parts = new Set(receiver.pieces.map((piece) => piece.seq)).size;
    const expected = { ...texts, record_arrived: texts.record_arrived.replace("{parts}", parts), markup: 0 };
    for (const [key, value] of Object.entries(expected)) {
      if (key !== "loading" && key !== "turn_device") {
        run.check(shown[key] === value, `the end page shows ${key} as ${JSON.stringify(shown[key])}, not ${JSON.stringify(value)}`);
      }
    }
    run.log(`the study's page texts shown: ${shown.finished} | ${shown.farewell} | ${shown.record_arrived}`);
    await page.close();
  } finally {
    receiver.close();
    rmSync(file, { force: true });
  }
}

// Pieces an earlier page left in local storage go again while they are fresh; expired ones are
// deleted unsent.
async function expiredPieces(context, base) {
  const receiver = await startReceiver();
  const page = await context.newPage();
  const run = new Run(page, "pieces-expired");
  try {
    await page.goto(`${base}/index.html`);
    const day = 24 * 3600 * 1000;
    await page.evaluate(({ to, day }) => {
      const piece = (run, age) => localStorage.setItem(`torvane-piece ${run} 000000000`,
        JSON.stringify({ to: `${to}?run=${run}&seq=0`, body: "{}\n", at: Date.now() - age }));
      piece("e".repeat(32), 31 * day);
      piece("f".repeat(32), day);
    }, { to: receiver.url, day });
    await page.goto(`${base}/index.html?record=${encodeURIComponent(receiver.url)}`);
    await waitFor("the fresh piece to arrive", () => receiver.pieces.some((p) => p.run === "f".repeat(32)));
    await page.waitForFunction(() => !Object.keys(localStorage).some((k) => k.startsWith("torvane-piece ")));
    run.check(!receiver.attempts.some((a) => a.run === "e".repeat(32)), "a piece kept for 31 days was sent");
  } finally {
    await page.close();
    await clearStoredPieces(context, base);
    receiver.close();
  }
}

// Closed, a page keeps what it had not heard arrive; a page without a receiver clears it, so that no
// later page sends to a receiver once it is gone.
async function clearStoredPieces(context, base) {
  const cleaner = await context.newPage();
  await cleaner.goto(`${base}/index.html`);
  await cleaner.evaluate(() => Object.keys(localStorage).forEach((k) => k.startsWith("torvane-piece ") && localStorage.removeItem(k)));
  await cleaner.close();
}

async function hostileNext(context, base, name, next, record) {
  const page = await context.newPage();
  const run = new Run(page, name);
  const dialogs = [];
  page.on("dialog", (dialog) => {
    dialogs.push(dialog.message());
    dialog.dismiss().catch(() => {});
  });
  const url = `${base}/index.html?${new URLSearchParams({ next, record })}`;
  const requests = [];
  page.on("request", (request) => requests.push(`${request.method()} ${request.url()}`));
  await page.addInitScript(countFrames);
  const started = Date.now();
  await page.goto(url);
  await run.waitScene("title", 60000);
  run.log(`title screen drawn ${Date.now() - started} ms after the page was asked for`);
  const maps = await forfeitThrough(run);
  const code = checkCode(run, await run.shot(), maps, "00");
  await run.click(QUIT);
  const done = await finishedPage(page);
  await pageFrames(page, 30);
  run.check(done.code === code, `the page shows the code ${JSON.stringify(done.code)}, the canvas showed ${code}`);
  run.check(!done.linkShown === (next !== FORM), `a questionnaire link is offered for ${next}`);
  run.check(done.error.includes(next) === (next !== FORM), `the error does not name the address: ${JSON.stringify(done.error)}`);
  run.check(done.errorElements === 0, "the address became markup in the error");
  run.check(done.recordError.includes(record) && done.recordErrorElements === 0, `the record address is shown as ${done.recordError}`);
  const elsewhere = requests.filter((r) => r.startsWith("POST") || !r.includes(base));
  run.check(elsewhere.length === 0, `the page sent ${elsewhere.join(", ")}`);
  run.check(!done.pwned, "the address ran as a script");
  run.check(done.javascriptLinks === 0, "a link that is not http(s) is on the page");
  run.check(dialogs.length === 0, `a dialog opened: ${dialogs}`);
  run.check(page.url() === url, `the page went to ${page.url()}`);
  run.log(`shown as errors: ${done.error || "-"} | ${done.recordError}`);
  await page.close();
}

async function main() {
  rmSync(artifacts, { recursive: true, force: true });
  const { server, base } = await startServer(site);
  const profiles = [];
  const contexts = [];
  const problems = [];
  // A browser of its own for each kind of device, reporting the page's errors.
  const launch = async (device) => {
    const profile = mkdtempSync(join(tmpdir(), "torvane-chromium-"));
    profiles.push(profile);
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: "/usr/bin/chromium",
      headless: true,
      ...device,
      args: [
        "--no-sandbox", "--headless", "--disable-gpu", "--disable-quic", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
      ],
    });
    contexts.push(context);
    context.on("page", (page) => {
      page.on("pageerror", (error) => problems.push(`page error: ${error.message}`));
      // A receiver's refusals are meant: the browser notes them as failed loads.
      page.on("console", (m) => {
        const meant = ["/receive?", `/studies/${MISSING_STUDY}.toml`].some((url) => m.location().url.includes(url)) ||
          m.text().includes(`studies/${BROKEN_STUDY}.toml`) || m.text() === "The game cannot start: the study file is broken." ||
          m.text().startsWith("The game cannot start: the link asks for condition");
        if (m.type() === "error" && !meant) problems.push(`console error: ${m.text()}`);
      });
    });
    return context;
  };
  let failed = null;
  const timings = {};
  try {
    const desktop = await launch({ viewport: { width: 1600, height: 900 }, deviceScaleFactor: 1 });
    const begun = Date.now();
    const code = await playWholeStudy(desktop, base, timings);
    console.log(`whole study played, result code ${code} (${Date.now() - begun} ms)`);
    await plainBuild(desktop, base);
    await hostileNext(desktop, base, "next-javascript", "javascript:window.__pwned=1;alert(1)",
      "javascript:navigator.sendBeacon('http://127.0.0.1:9/')");
    await hostileNext(desktop, base, "next-markup", 'https://forms.example.org/"><script>window.__pwned=1</script>',
      '<img src=x onerror="window.__pwned=1">');
    await hostileNext(desktop, base, "record-no-host", FORM, "http://");
    await refusedIds(desktop, base);
    await refusedStudies(desktop, base);
    await brokenStudy(desktop, base);
    await studyByName(desktop, base);
    await germanStudy(desktop, base);
    await studyPageTexts(desktop, base);
    await expiredPieces(desktop, base);
    await recordedStudy(desktop, base);
    await recordLosses(desktop, base);
    await balancedConditions(desktop, base);
    const tablet = await launch({
      viewport: { width: 1180, height: 820 }, deviceScaleFactor: 1600 / 1180, hasTouch: true, isMobile: true,
    });
    const touched = Date.now();
    await touchStudy(tablet, base);
    console.log(`whole study played by touch (${Date.now() - touched} ms)`);
    if (problems.length > 0) {
      throw new CheckFailed(`the page reported problems:\n    ${problems.join("\n    ")}`);
    }
  } catch (error) {
    failed = error;
  } finally {
    for (const context of contexts) await context.close().catch(() => {});
    server.kill();
    for (const profile of profiles) rmSync(profile, { recursive: true, force: true });
  }
  if (failed) {
    console.error(`FAILED: ${failed instanceof CheckFailed ? failed.message : failed.stack}`);
    console.error(`screenshots: ${artifacts}`);
    process.exit(1);
  }
  console.log(`web study: passed (first frame ${timings.firstFrame} ms, opponent's turn ${timings.opponentTurn} ms)`);
}

await main();
