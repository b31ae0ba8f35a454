// What the browser tests share: the command line, the page served from
// 127.0.0.1 (/short/ is the same page with the short-round data set), Debian's
// Chromium through puppeteer-core, canvas reads done in the page (only
// summaries come back), pointer and touch input at frame pixels, and the
// list of results.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import os from 'node:os';
import { createRequire } from 'node:module';
import crypto from 'node:crypto';

export const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, a, i, all) => (a.startsWith('--') ? [...pairs, [a.slice(2), all[i + 1]]] : pairs), []));
export const dist = path.resolve(args.dist || 'dist/web');
export const shortZip = args.short && path.resolve(args.short);
export const out = path.resolve(args.out || 'build-web/test-web');
const port = Number(args.port || 18731);
const require = createRequire(path.join(args.modules || process.cwd(), 'noop.js'));
export const puppeteer = require('puppeteer-core');
fs.mkdirSync(out, { recursive: true });
export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// --- The server. `served.workerBuild` set makes sw.js name another build,
// as a new release of the page would.
export const served = { workerBuild: null, requests: [] };
const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.zip': 'application/zip',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json', '.txt': 'text/plain',
};
const server = http.createServer((req, res) => {
  let name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
  served.requests.push(name);
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
  let body = fs.readFileSync(file);
  if (name === '/sw.js' && served.workerBuild) {
    body = Buffer.from(body.toString().replace(/var build = '[^']*'/, `var build = '${served.workerBuild}'`));
  }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream', 'Content-Length': body.length });
  res.end(body);
});
await new Promise((resolve, reject) => server.listen(port, '127.0.0.1', resolve).on('error', reject));
export const base = `http://127.0.0.1:${port}`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vandrel-chromium-'));
export const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--no-first-run', '--disable-gpu', '--mute-audio'],
  defaultViewport: { width: 1000, height: 820 },
});

// --- Results. `--only REGEX` runs just the tests whose names match (those
// that load their own page, as the short rounds do, stand alone).
const results = [];
export const figures = {};
const only = args.only && new RegExp(args.only);
export async function test(name, body) {
  if (only && !only.test(name)) return;
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
export const check = (ok, why) => { if (!ok) throw new Error(why); };
export async function finish() {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
  const passed = results.filter(Boolean).length, failed = results.length - passed;
  fs.writeFileSync(path.join(out, 'figures.json'), JSON.stringify(figures, null, 1));
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

// What colourful() counts: pixels with colour (not grey), pixels that are
// lit at all, and the rightmost column with colour (the loading screen
// uncovers the colour title from the left as far as the progress has come).
export function colourOf(d) {
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
export const fullTitle = (c) => c.coloured > 20000 && c.lit > 100000 && c.right >= 636;

// A page of the game with its problems collected and the canvas reads.
export class GamePage {
  constructor(page) {
    this.page = page;
    this.problems = [];
    page.on('console', (m) => { if (m.type() === 'error') this.problems.push(`console: ${m.text()}`); });
    page.on('pageerror', (e) => this.problems.push(`page error: ${e.message}`));
    page.on('requestfailed', (r) => this.problems.push(`request failed: ${r.url()}`));
  }
  static async open(context = browser) {
    return new GamePage(await context.newPage());
  }
  // A page in a profile of its own (`context`): nothing stored, no offline copy.
  static async fresh() {
    const context = await browser.createBrowserContext();
    const game = await GamePage.open(context);
    game.context = context;
    return game;
  }

  async installProbe() {
    await this.page.evaluate((colourSource) => {
      const colourOf = new Function(`return ${colourSource}`)();
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
        colourful(name) {
          return colourOf(shots.get(name));
        },
        pixels(name) {
          return shots.get(name);
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
        // The cartridges in the magazine along the bottom right: runs of
        // brass-coloured columns, a spent one leaves none.
        cartridges(name) {
          const d = shots.get(name);
          let count = 0, run = 0;
          for (let x = 330; x < 640; x++) {
            let brass = 0;
            for (let y = 428; y < 468; y++) {
              const k = (y * 640 + x) * 4;
              if (d[k] > 150 && d[k + 1] > 100 && d[k] - d[k + 2] > 70) brass++;
            }
            if (brass >= 12) run++;
            else {
              if (run >= 3) count++;
              run = 0;
            }
          }
          return count + (run >= 3 ? 1 : 0);
        },
      };
    }, colourOf.toString());
  }
  grab(name) { return this.page.evaluate((n) => probe.grab(n), name); }
  diff(a, b, ...r) { return this.page.evaluate((a, b, r) => probe.diff(a, b, ...r), a, b, r); }
  movers(a, b) { return this.page.evaluate((a, b) => probe.movers(a, b), a, b); }
  async cartridges() {
    await this.grab('cartridges');
    return this.page.evaluate(() => probe.cartridges('cartridges'));
  }

  // The browser's animation frames per second over `ms` of whatever the page is doing.
  frameRate(ms) {
    return this.page.evaluate((ms) => new Promise((resolve) => {
      let frames = 0;
      const start = performance.now();
      (function tick(now) {
        frames++;
        if (now - start < ms) requestAnimationFrame(tick);
        else resolve((frames * 1000) / (now - start));
      })(start);
    }), ms);
  }

  // Page coordinates of a frame pixel, wherever the canvas sits and however it is scaled.
  async at(fx, fy) {
    const r = await this.page.evaluate(() => {
      const b = document.getElementById('canvas').getBoundingClientRect();
      return { x: b.left, y: b.top, w: b.width, h: b.height };
    });
    return [r.x + ((fx + 0.5) * r.w) / 640, r.y + ((fy + 0.5) * r.h) / 480];
  }
  async move(fx, fy) { await this.page.mouse.move(...(await this.at(fx, fy))); }
  async click(fx, fy, button = 'left') { await this.page.mouse.click(...(await this.at(fx, fy)), { button }); }
  async tap(fx, fy) { await this.page.touchscreen.tap(...(await this.at(fx, fy))); }
  // Fingers through the DevTools protocol: touchStart, touchMove or
  // touchEnd with the points (page pixels) still down after it.
  async touch(type, points) {
    if (!this.cdp) this.cdp = await this.page.createCDPSession();
    await this.cdp.send('Input.dispatchTouchEvent', {
      type, touchPoints: points.map(([x, y], id) => ({ x, y, id, radiusX: 4, radiusY: 4, force: 1 })),
    });
  }

  // Loads a page and waits for the title in full colour; returns the time
  // from the start of navigation, in ms.
  async loadToTitle(url, { reload = false } = {}) {
    if (reload) await this.page.reload({ waitUntil: 'load' });
    else await this.page.goto(url, { waitUntil: 'load' });
    await this.installProbe();
    for (let i = 0; i < 600; i++) {
      const state = await this.page.evaluate(() => document.body.dataset.state);
      if (state === 'failed') throw new Error('the page says the game failed to start');
      if (state === 'running') {
        await this.grab('title');
        const c = await this.page.evaluate(() => probe.colourful('title'));
        if (fullTitle(c)) return this.page.evaluate(() => performance.now());
      }
      await sleep(50);
    }
    throw new Error('no title in full colour within 30 s');
  }

  // Clicks (or taps) on the title until the round shows (a click during the
  // last loading frame starts nothing).
  async startRound(press = (x, y) => this.click(x, y)) {
    for (let i = 0; i < 10; i++) {
      await press(320, 240);
      await sleep(300);
      await this.grab('round');
      const d = await this.diff('title', 'round');
      if (d.n > 640 * 480 * 0.2) return;
    }
    throw new Error('the round does not show after ten clicks');
  }

  // Shoots at whatever moves until the score changes or the tries run out;
  // returns the number of shots. With the mouse the pointer goes back to the
  // middle after each shot, where it does not scroll the landscape; every
  // sixth shot is followed by a reload.
  async shootFigures(tries, { shoot = (x, y) => this.click(x, y), reload = () => this.click(320, 240, 'right'),
    rest = () => this.move(320, 240) } = {}) {
    await rest();
    await sleep(400);
    await this.grab('score-before');
    for (let shot = 1; shot <= tries; shot++) {
      await this.grab('a');
      await sleep(90);
      await this.grab('b');
      const cells = await this.movers('a', 'b');
      if (cells.length) {
        const c = cells[0];
        await shoot(Math.round(c.x), Math.round(c.y));
        if (shot % 6 === 0) await reload();
        await rest();
        await sleep(450);
        await this.grab('score-after');
        if ((await this.diff('score-before', 'score-after', 420, 0, 640, 44)).n > 30) return shot;
      } else {
        await sleep(200);
      }
    }
    return 0;
  }

  // Waits out a short round from its start: it lasts 12 s and ends a second
  // after 0:00, then the table wipes in and comes to rest.
  async waitForTable(roundStart) {
    await sleep(Math.max(0, 16000 - (Date.now() - roundStart)));
    await this.grab('table-1');
    await sleep(400);
    await this.grab('table-2');
    check((await this.diff('table-1', 'table-2')).n < 640 * 480 * 0.02, 'the screen is not at rest after the round');
    check((await this.diff('round', 'table-2')).n > 640 * 480 * 0.15, 'the high-score screen does not show');
  }

  // Waits until every save of the table is written through to IndexedDB,
  // and there have been more than `after` saves.
  async waitForStore(after = 0) {
    let store;
    for (let i = 0; i < 100; i++) {
      store = await this.page.evaluate(() => ({ ...Module.store }));
      if (store.saves > after && store.written === store.saves && !store.writing) return store;
      await sleep(50);
    }
    throw new Error(`store ${JSON.stringify(store)}`);
  }
  // How many saves the page has seen land in its store so far.
  saves() { return this.page.evaluate(() => Module.store.saves); }
  // A short round on a table any hit beats, played until its table shows
  // (`tap` plays it with taps instead of clicks).
  async shortRoundToTable({ tap = false } = {}) {
    await this.loadToTitle(`${base}/short/`);
    await this.seedShortTable();
    await this.loadToTitle(`${base}/short/`);
    const press = tap ? (x, y) => this.tap(x, y) : (x, y) => this.click(x, y);
    await this.startRound(press);
    const roundStart = Date.now();
    // Taps reload on the magazine; no pointer is left resting anywhere.
    const shots = await this.shootFigures(25,
      tap ? { shoot: press, reload: () => this.tap(560, 445), rest: async () => {} } : {});
    check(shots > 0, 'no figure hit in the short round');
    await this.waitForTable(roundStart);
  }

  // The stored table's row for a name, or undefined.
  async storedRow(name) {
    const files = await this.page.evaluate(() => Module.storedFiles());
    const table = Object.entries(files).find(([file]) => file.endsWith('/highscore.REG_SZ'));
    check(table, `no stored table among ${Object.keys(files).join(', ')}`);
    return table[1].split('\n').find((line) => line.startsWith(name + ', '));
  }

  // Seeds the short data set's table with rows any hit beats.
  async seedShortTable() {
    const seed = seededTable('Kurze Runde');
    await this.page.evaluate((seed) => new Promise((resolve, reject) => {
      const folder = '/store/vandrel/Software/Orvandel/Kurze Runde';
      Module.FS.mkdirTree(folder);
      Module.FS.writeFile(folder + '/highscore.REG_SZ', seed.text);
      Module.FS.writeFile(folder + '/check.REG_BINARY', new Uint8Array(seed.check));
      Module.FS.syncfs(false, (err) => (err ? reject(err) : resolve()));
    }), seed);
  }
}

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
