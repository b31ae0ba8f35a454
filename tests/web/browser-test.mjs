// The browser build played in Debian's Chromium, headless, through
// puppeteer-core: the page served from 127.0.0.1, the game's own loading
// screen after the page's bar, the title read from canvas pixels, a round, shots at figures found by comparing two canvas reads, the
// right button, the arrow keys, a short round into the high-score table that
// survives a reload, the page's "play again" state and the frame rate.
//
//   node tests/web/browser-test.mjs --dist dist/web --short SHORT.zip --out DIR [--port N]
//
// Ends with one "N passed, N failed" line; exit status 1 when any failed.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import os from 'node:os';
import { createRequire } from 'node:module';
import crypto from 'node:crypto';

const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, a, i, all) => (a.startsWith('--') ? [...pairs, [a.slice(2), all[i + 1]]] : pairs), []));
const dist = path.resolve(args.dist || 'dist/web');
const shortZip = args.short && path.resolve(args.short);
const out = path.resolve(args.out || 'build-web/test-web');
const port = Number(args.port || 18731);
const require = createRequire(path.join(args.modules || process.cwd(), 'noop.js'));
const puppeteer = require('puppeteer-core');
fs.mkdirSync(out, { recursive: true });

// --- The page, served on the loopback interface only. /short/ is the same
// page with the short-round data set.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.zip': 'application/zip', '.png': 'image/png' };
const server = http.createServer((req, res) => {
  let name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
  let file;
  if (name.startsWith('/short/')) {
    name = name.slice('/short'.length);
    file = name === '/vandrel.zip' ? shortZip : path.join(dist, name);
  } else {
    file = path.join(dist, name);
  }
  if (name.endsWith('/')) file = path.join(file, 'index.html');
  if (!file || !file.startsWith(dist) && file !== shortZip || !fs.existsSync(file)) {
    res.writeHead(404).end();
    return;
  }
  const body = fs.readFileSync(file);
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream', 'Content-Length': body.length });
  res.end(body);
});
await new Promise((resolve, reject) => server.listen(port, '127.0.0.1', resolve).on('error', reject));
const base = `http://127.0.0.1:${port}`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vandrel-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--no-first-run', '--disable-gpu', '--mute-audio'],
  defaultViewport: { width: 1000, height: 820 },
});
const page = await browser.newPage();
const problems = [];
page.on('console', (m) => { if (m.type() === 'error') problems.push(`console: ${m.text()}`); });
page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()}`));

// --- Canvas reads, done in the page; only summaries come back.
async function installProbe() {
  await page.evaluate(() => {
    const shots = new Map();
    const grabber = document.createElement('canvas');
    grabber.width = 640;
    grabber.height = 480;
    const ctx = grabber.getContext('2d', { willReadFrequently: true });
    window.probe = {
      grab(name) {
        ctx.drawImage(document.getElementById('canvas'), 0, 0, 640, 480);
        shots.set(name, ctx.getImageData(0, 0, 640, 480).data);
      },
      // Pixels with colour (not grey), pixels that are lit at all, and the
      // rightmost column with colour: the loading screen uncovers the colour
      // title from the left as far as the progress has come.
      colourful(name) {
        return colourOf(shots.get(name));
      },
      // Changed pixels of a region between two reads, and their centroid.
      diff(a, b, x0 = 0, y0 = 0, x1 = 640, y1 = 480) {
        const p = shots.get(a), q = shots.get(b);
        let n = 0, sx = 0, sy = 0;
        for (let y = y0; y < y1; y++)
          for (let x = x0; x < x1; x++) {
            const i = (y * 640 + x) * 4;
            if (Math.abs(p[i] - q[i]) + Math.abs(p[i + 1] - q[i + 1]) + Math.abs(p[i + 2] - q[i + 2]) > 48) {
              n++; sx += x; sy += y;
            }
          }
        return { n, x: n ? sx / n : -1, y: n ? sy / n : -1 };
      },
      // The 16 x 16 cells that changed most between two reads, away from
      // the clock, the score and the magazine: where figures move.
      movers(a, b) {
        const cells = [];
        for (let cy = 48; cy < 400; cy += 16)
          for (let cx = 0; cx < 640; cx += 16) {
            const d = this.diff(a, b, cx, cy, cx + 16, cy + 16);
            if (d.n > 24) cells.push(d);
          }
        return cells.sort((u, v) => v.n - u.n).slice(0, 6);
      },
    };
  });
}
const grab = (name) => page.evaluate((n) => probe.grab(n), name);
const diff = (a, b, ...r) => page.evaluate((a, b, r) => probe.diff(a, b, ...r), a, b, r);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Page coordinates of a frame pixel, wherever the canvas sits and however it is scaled.
async function at(fx, fy) {
  const r = await page.evaluate(() => {
    const b = document.getElementById('canvas').getBoundingClientRect();
    return { x: b.left, y: b.top, w: b.width, h: b.height };
  });
  return [r.x + ((fx + 0.5) * r.w) / 640, r.y + ((fy + 0.5) * r.h) / 480];
}
const move = async (fx, fy) => page.mouse.move(...(await at(fx, fy)));
const click = async (fx, fy, button = 'left') => page.mouse.click(...(await at(fx, fy)), { button });

// What colourful() counts, in the page; also run there at every animation
// frame by watchLoading().
function colourOf(d) {
  let coloured = 0, lit = 0, right = -1;
  for (let i = 0; i < d.length; i += 4) {
    const max = Math.max(d[i], d[i + 1], d[i + 2]), min = Math.min(d[i], d[i + 1], d[i + 2]);
    if (max > 64) lit++;
    if (max - min > 60) {
      coloured++;
      right = Math.max(right, (i >> 2) % 640);
    }
  }
  return { coloured, lit, right };
}
// The title in full colour, the bar at 100: colour to the right edge.
const fullTitle = (c) => c.coloured > 20000 && c.lit > 100000 && c.right >= 636;

// Loads a page and waits for the title in full colour; returns the time
// from the start of navigation, in ms.
async function loadToTitle(url) {
  await page.goto(url, { waitUntil: 'load' });
  await page.evaluate(`window.colourOf = ${colourOf}`);
  await installProbe();
  for (let i = 0; i < 400; i++) {
    const state = await page.evaluate(() => document.body.dataset.state);
    if (state === 'failed') throw new Error('the page says the game failed to start');
    if (state === 'running') {
      await grab('title');
      const c = await page.evaluate(() => probe.colourful('title'));
      if (fullTitle(c)) return page.evaluate(() => performance.now());
    }
    await sleep(50);
  }
  throw new Error('no title in full colour within 20 s');
}

// Clicks on the title until the round shows (a click during the last loading
// frame starts nothing).
async function startRound() {
  await move(320, 240);
  for (let i = 0; i < 10; i++) {
    await click(320, 240);
    await sleep(300);
    await grab('round');
    const d = await diff('title', 'round');
    if (d.n > 640 * 480 * 0.2) return;
  }
  throw new Error('the round does not show after ten clicks');
}

// Shoots at whatever moves until the score changes or the tries run out;
// returns the number of shots. The pointer goes back to the middle after each
// shot, where it does not scroll the landscape.
async function shootFigures(tries) {
  await move(320, 240);
  await sleep(400);
  await grab('score-before');
  for (let shot = 1; shot <= tries; shot++) {
    await grab('a');
    await sleep(90);
    await grab('b');
    const cells = await page.evaluate(() => probe.movers('a', 'b'));
    if (cells.length) {
      const c = cells[0];
      await click(Math.round(c.x), Math.round(c.y));
      if (shot % 6 === 0) await click(320, 240, 'right');
      await move(320, 240);
      await sleep(450);
      await grab('score-after');
      if ((await diff('score-before', 'score-after', 420, 0, 640, 44)).n > 30) return shot;
    } else {
      await sleep(200);
    }
  }
  return 0;
}

// --- The tests.
const results = [];
async function test(name, body) {
  const started = Date.now();
  try {
    const note = await body();
    results.push(true);
    console.log(`ok    ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)${note ? ' - ' + note : ''}`);
  } catch (e) {
    results.push(false);
    console.log(`FAIL  ${name}: ${e.message}`);
  }
}
const check = (ok, why) => { if (!ok) throw new Error(why); };
const figures = {};

await test('the page loads and the title appears in full colour', async () => {
  figures.title = await loadToTitle(`${base}/`);
  check((await page.title()) === 'Vandrel', `page title "${await page.title()}"`);
  const icon = await page.evaluate(() => document.querySelector('link[rel=icon]').href);
  const got = await page.evaluate((u) => fetch(u).then((r) => r.headers.get('Content-Type')), icon);
  check(got === 'image/png', `favicon served as ${got}`);
  return `${Math.round(figures.title)} ms from page load to the title`;
});

await test("the game's own loading screen takes over from the page's bar", async () => {
  // The canvas read at every animation frame from the page's start to the
  // title in full colour: the pass runs over the browser's frames, so some
  // show the grey title partly coloured.
  const watch = await page.evaluateOnNewDocument((colourSource) => {
    const colourOf = new Function(`return ${colourSource}`)();
    const reads = (window.loadingReads = []);
    let ctx;
    (function look() {
      const canvas = document.getElementById('canvas');
      if (document.body && document.body.dataset.state === 'running' && canvas) {
        if (!ctx) {
          const grabber = document.createElement('canvas');
          grabber.width = 640;
          grabber.height = 480;
          ctx = grabber.getContext('2d', { willReadFrequently: true });
        }
        ctx.drawImage(canvas, 0, 0);
        const c = colourOf(ctx.getImageData(0, 0, 640, 480).data);
        reads.push(c);
        // The first loading frame is kept as a picture, to be looked at.
        if (!window.loadingShot && c.lit > 100000 && c.right < 620) window.loadingShot = ctx.canvas.toDataURL('image/png');
        if (c.right >= 636 || reads.length > 600) return;
      }
      requestAnimationFrame(look);
    })();
  }, colourOf.toString());
  try {
    await loadToTitle(`${base}/`);
  } finally {
    await page.removeScriptToEvaluateOnNewDocument(watch.identifier);
  }
  const reads = await page.evaluate(() => window.loadingReads);
  const shot = await page.evaluate(() => window.loadingShot || '');
  if (shot) fs.writeFileSync(path.join(out, 'loading.png'), Buffer.from(shot.split(',')[1], 'base64'));
  const full = reads.findIndex(fullTitle);
  check(full >= 0, `no read of the title in full colour among ${reads.length}`);
  // The page uncovers the canvas only once the game has drawn on it.
  check(reads[0].lit > 100000, `the first read after the page's bar is dark: ${JSON.stringify(reads[0])}`);
  // The title drawn, its colour short of the right edge.
  const loading = reads.slice(0, full).filter((c) => c.lit > 100000 && c.right < 620);
  check(loading.length > 0, `no loading screen among the ${full} reads before the title: ${JSON.stringify(reads.slice(0, full + 1))}`);
  figures.loadingFrames = loading.length;
  const bars = loading.map((c) => Math.round(((c.right + 1) * 100) / 640));
  return `${loading.length} of ${full + 1} reads before the title show the loading screen, its colour up to ${bars.join(', ')} %`;
});

await test('the pointer lands on the frame pixel under it on a scaled canvas', async () => {
  const scale = await page.evaluate(() => document.getElementById('canvas').getBoundingClientRect().width / 640);
  check(Math.abs(scale - 1) > 0.1, `the canvas is not scaled (${scale})`);
  await move(160, 120);
  await sleep(150);
  await grab('p1');
  await move(480, 360);
  await sleep(150);
  await grab('p2');
  // The cross-hair left one place and arrived at the other.
  const left = await diff('p1', 'p2', 0, 0, 320, 240);
  const right = await diff('p1', 'p2', 320, 240, 640, 480);
  check(left.n > 20 && right.n > 20, `the cross-hair did not move (${left.n}, ${right.n} pixels)`);
  check(Math.hypot(left.x - 160, left.y - 120) < 24, `cross-hair near (${left.x | 0}, ${left.y | 0}), not (160, 120)`);
  check(Math.hypot(right.x - 480, right.y - 360) < 24, `cross-hair near (${right.x | 0}, ${right.y | 0}), not (480, 360)`);
  return `canvas scaled ${scale.toFixed(2)}x`;
});

await test('a click on the title starts a round, and the sound with it', async () => {
  await startRound();
  // Browsers hold audio back until the player's first click or key.
  let state;
  for (let i = 0; i < 20 && state !== 'running'; i++) {
    state = await page.evaluate(() => Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state);
    await sleep(50);
  }
  check(state === 'running', `the game's audio is ${state}`);
});

await test('Alt+Enter switches the browser full screen and the round goes on', async () => {
  const press = async () => {
    await page.keyboard.down('Alt');
    await page.keyboard.press('Enter');
    await page.keyboard.up('Alt');
    await sleep(400);
  };
  await press();
  const full = await page.evaluate(() => ({
    element: document.fullscreenElement && document.fullscreenElement.id,
    canvas: document.getElementById('canvas').getBoundingClientRect().toJSON(),
    screen: [window.innerWidth, window.innerHeight],
  }));
  check(full.element === 'stage', `full screen element ${full.element}`);
  const aspect = full.canvas.width / full.canvas.height;
  check(Math.abs(aspect - 4 / 3) < 0.01, `canvas ${full.canvas.width} x ${full.canvas.height} loses the aspect`);
  check(Math.abs(full.canvas.width - full.screen[0]) < 2 || Math.abs(full.canvas.height - full.screen[1]) < 2,
    `canvas ${full.canvas.width} x ${full.canvas.height} does not fill ${full.screen}`);
  await grab('full');
  check((await diff('title', 'full')).n > 640 * 480 * 0.2, 'the game went back to the title');
  await press();
  check(await page.evaluate(() => document.fullscreenElement === null), 'Alt+Enter did not leave full screen');
});

await test('the arrow keys scroll the landscape and not the page', async () => {
  await move(320, 240);
  await page.evaluate(() => {
    window.keyLog = [];
    window.addEventListener('keydown', (e) => keyLog.push([e.key, e.defaultPrevented]));
  });
  await sleep(300);
  await grab('still');
  await page.keyboard.down('ArrowRight');
  await sleep(600);
  await page.keyboard.up('ArrowRight');
  await grab('scrolled');
  const d = await diff('still', 'scrolled', 0, 48, 640, 400);
  check(d.n > 640 * 352 * 0.2, `the landscape hardly changed (${d.n} pixels)`);
  const log = await page.evaluate(() => ({ keys: keyLog, y: window.scrollY, x: window.scrollX }));
  check(log.keys.length > 0 && log.keys.every(([k, prevented]) => k !== 'ArrowRight' || prevented), `keys ${JSON.stringify(log.keys.slice(0, 3))}`);
  check(log.x === 0 && log.y === 0, `the page scrolled to ${log.x}, ${log.y}`);
});

await test('shots at the figures raise the score', async () => {
  const shots = await shootFigures(40);
  check(shots > 0, 'forty shots at moving things and the score never changed');
  await page.screenshot({ path: path.join(out, 'round.png') });
  return `the score rose after ${shots} shot(s)`;
});

await test('the right button reloads an empty magazine and opens no context menu', async () => {
  await page.evaluate(() => {
    window.menus = [];
    window.addEventListener('contextmenu', (e) => menus.push(e.defaultPrevented));
  });
  await move(320, 120);
  // Empty the magazine: shots into the sky until one leaves it as it was.
  await grab('mag-0');
  let empty = '';
  for (let i = 1; i <= 30 && !empty; i++) {
    await click(320, 120);
    await sleep(120);
    await grab(`mag-${i}`);
    if ((await diff(`mag-${i - 1}`, `mag-${i}`, 400, 410, 640, 480)).n < 10) empty = `mag-${i}`;
  }
  check(empty, 'the magazine never ran empty');
  await click(320, 120, 'right');
  await sleep(200);
  await grab('reloaded');
  const d = await diff(empty, 'reloaded', 400, 410, 640, 480);
  check(d.n > 30, `the magazine did not change on the right button (${d.n} pixels)`);
  const menus = await page.evaluate(() => window.menus);
  check(menus.length === 1 && menus[0] === true, `context menu events ${JSON.stringify(menus)}`);
});

await test('the game runs at the browser frame rate over 5 s of play', async () => {
  await move(320, 240);
  const fps = await page.evaluate(
    () => new Promise((resolve) => {
      let frames = 0;
      const start = performance.now();
      (function tick(now) {
        frames++;
        if (now - start < 5000) requestAnimationFrame(tick);
        else resolve((frames * 1000) / (now - start));
      })(start);
    }));
  figures.fps = fps;
  check(fps >= 20, `${fps.toFixed(1)} frames per second`);
  return `${fps.toFixed(1)} frames per second`;
});

// A stored table with rows any hit beats, so a short round's score earns a
// row: the text, and its check value, the MD5 of a fixed prefix, the text
// without its zero, the credits line and the table name, each byte XOR 0xA7.
function seededTable(tableName) {
  const header = fs.readFileSync(new URL('../../src/data/Credits.h', import.meta.url), 'utf8');
  const credits = [...header.slice(header.indexOf('creditsLine[] =')).split(';')[0].matchAll(/"((?:[^"\\]|\\.)*)"/g)]
    .map((m) => m[1]).join('');
  check(credits.length === 570, `credits line of ${credits.length} characters read from Credits.h`);
  const text = 'Ada, 5\nBo, 1\n';
  const md5 = crypto.createHash('md5').update('silent harbor(s)' + text + credits + tableName, 'latin1').digest();
  return { text: text + '\0', check: Array.from(md5, (b) => b ^ 0xa7) };
}

await test('a short round ends in the table; the typed name survives a reload', async () => {
  check(shortZip && fs.existsSync(shortZip), 'no short-round data set given (--short)');
  await loadToTitle(`${base}/short/`);
  const seed = seededTable('Kurze Runde');
  await page.evaluate((seed) => new Promise((resolve, reject) => {
    const folder = '/store/vandrel/Software/Orvandel/Kurze Runde';
    Module.FS.mkdirTree(folder);
    Module.FS.writeFile(folder + '/highscore.REG_SZ', seed.text);
    Module.FS.writeFile(folder + '/check.REG_BINARY', new Uint8Array(seed.check));
    Module.FS.syncfs(false, (err) => (err ? reject(err) : resolve()));
  }), seed);
  await loadToTitle(`${base}/short/`);
  await startRound();
  const roundStart = Date.now();
  const shots = await shootFigures(25);
  check(shots > 0, 'no figure hit in the short round');
  // The round lasts 12 s and ends a second after 0:00; the table wipes in.
  await sleep(Math.max(0, 16000 - (Date.now() - roundStart)));
  await grab('table-1');
  await sleep(400);
  await grab('table-2');
  check((await diff('table-1', 'table-2')).n < 640 * 480 * 0.02, 'the screen is not at rest after the round');
  check((await diff('round', 'table-2')).n > 640 * 480 * 0.15, 'the high-score screen does not show');
  await page.keyboard.type('Webtest');
  await page.keyboard.press('Enter');
  await sleep(300);
  await page.screenshot({ path: path.join(out, 'named.png') });
  // Written through to IndexedDB right after the save.
  let store;
  for (let i = 0; i < 100; i++) {
    store = await page.evaluate(() => ({ ...Module.store }));
    if (store.saves > 0 && store.written === store.saves && !store.writing) break;
    await sleep(50);
  }
  check(store.saves > 0 && store.written === store.saves,
    `store ${JSON.stringify(store)}, files ${JSON.stringify(await page.evaluate(() => Module.storedFiles()))}`);
  await loadToTitle(`${base}/short/`);
  const files = await page.evaluate(() => Module.storedFiles());
  const table = Object.entries(files).find(([name]) => name.endsWith('/highscore.REG_SZ'));
  check(table, `no stored table among ${Object.keys(files).join(', ')}`);
  const row = table[1].split('\n').find((line) => line.startsWith('Webtest, '));
  check(row && Number(row.split(', ')[1]) > 0, `no scoring row for the name in ${JSON.stringify(table[1])}`);
  return `"${row}" in ${table[0]} after the reload`;
});

await test('leaving the closing screen offers another game', async () => {
  for (let i = 0; i < 3; i++) {
    await page.keyboard.press('Escape');
    await sleep(500);
  }
  let state;
  for (let i = 0; i < 40 && state !== 'ended'; i++) {
    state = await page.evaluate(() => document.body.dataset.state);
    await sleep(50);
  }
  check(state === 'ended', `the page is ${state} after three Escapes`);
  check(await page.evaluate(() => !document.getElementById('ended').hidden), 'no "play again" shown');
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#again')]);
  await loadToTitle(page.url());
});

await test('no console errors, page errors or failed requests', async () => {
  check(problems.length === 0, problems.slice(0, 5).join('; '));
});

await browser.close();
server.close();
fs.rmSync(profile, { recursive: true, force: true });
const passed = results.filter(Boolean).length, failed = results.length - passed;
fs.writeFileSync(path.join(out, 'figures.json'), JSON.stringify(figures, null, 1));
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
