// The browser build played in Debian's Chromium, headless, through
// puppeteer-core: the page served from 127.0.0.1, the game's own loading
// screen after the page's bar, the title read from canvas pixels, a round,
// shots at figures found by comparing two canvas reads, the right button, the
// arrow keys, a short round into the high-score table that survives a reload,
// the page's "play again" state and the frame rate. Then the phone and tablet
// (phone-test.mjs), the pad (pad-test.mjs), a recorded game
// (record-test.mjs), the settings and the options panel (settings-test.mjs,
// options-test.mjs), a round shared as a link and replayed (share-test.mjs).
//
//   node tests/web/browser-test.mjs --dist dist/web --short SHORT.zip --out DIR [--port N]
//     [--native GAME] [--pad yes] [--touch yes] [--only REGEX]
//
// Ends with one "N passed, N failed" line; exit status 1 when any failed.
import fs from 'node:fs';
import path from 'node:path';
import { GamePage, base, check, colourOf, figures, finish, fullTitle, out, shortZip, sleep, test } from './harness.mjs';
import { phoneTests } from './phone-test.mjs';
import { padTests } from './pad-test.mjs';
import { recordTests } from './record-test.mjs';
import { settingsTests } from './settings-test.mjs';
import { optionsTests } from './options-test.mjs';
import { shareTests } from './share-test.mjs';

const game = await GamePage.open();
const page = game.page;
const grab = (name) => game.grab(name);
const diff = (...a) => game.diff(...a);
const move = (x, y) => game.move(x, y);
const click = (...a) => game.click(...a);
const loadToTitle = (url) => game.loadToTitle(url);

await test('the page loads and the title appears in full colour', async () => {
  figures.title = await loadToTitle(`${base}/`);
  check((await page.title()) === 'Vandrel', `page title "${await page.title()}"`);
  const icon = await page.evaluate(() => document.querySelector('link[rel=icon]').href);
  const got = await page.evaluate((u) => fetch(u).then((r) => r.headers.get('Content-Type')), icon);
  check(got === 'image/png', `favicon served as ${got}`);
  return `${Math.round(figures.title)} ms from page load to the title`;
});

await test("the help line links the maker's guide, served as text to read", async () => {
  const link = await page.evaluate(() => {
    const a = document.getElementById('guide');
    return a && { href: a.href, text: a.textContent, help: document.getElementById('helpline').textContent };
  });
  check(link && link.text.length > 0, `the guide's link is ${JSON.stringify(link)}`);
  check(link.help.length > 0, 'the help line lost its text to the link');
  const got = await page.evaluate((u) => fetch(u).then(async (r) => [r.status, r.headers.get('Content-Type'),
    await r.text()]), link.href);
  check(got[0] === 200 && /^text\/plain/.test(got[1]), `the guide is served as ${got[0]} ${got[1]}`);
  check(got[2].includes('gallery.toml') && got[2].includes('## Every key'), 'the served guide is not the maker\'s guide');
  return `"${link.text}" -> ${link.href.replace(base, '')}`;
});

await test('the options panel links the accessibility notes, served as text to read', async () => {
  const link = await page.evaluate(() => {
    const a = document.getElementById('access');
    return a && { href: a.href, text: a.textContent, inPanel: !!a.closest('#panel') };
  });
  check(link && link.text.length > 0 && link.inPanel, `the notes' link is ${JSON.stringify(link)}`);
  const got = await page.evaluate((u) => fetch(u).then(async (r) => [r.status, r.headers.get('Content-Type'),
    await r.text()]), link.href);
  check(got[0] === 200 && /^text\/plain/.test(got[1]), `the notes are served as ${got[0]} ${got[1]}`);
  check(got[2].startsWith('# Accessibility') && got[2].includes('crosshair_outline'),
    'the served notes are not doc/accessibility.md');
  return `"${link.text}" -> ${link.href.replace(base, '')}`;
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
  await game.startRound();
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
    element: document.fullscreenElement && document.fullscreenElement.tagName,
    canvas: document.getElementById('canvas').getBoundingClientRect().toJSON(),
    screen: [window.innerWidth, window.innerHeight],
  }));
  check(full.element === 'HTML', `full screen element ${full.element}`);
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
  const shots = await game.shootFigures(40);
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
  // The cartridges as the touch tests count them: none, then a full magazine.
  const counts = await page.evaluate((empty) => [probe.cartridges(empty), probe.cartridges('reloaded')], empty);
  check(counts[0] === 0 && counts[1] === 10, `cartridges counted ${counts.join(' then ')}`);
  const menus = await page.evaluate(() => window.menus);
  check(menus.length === 1 && menus[0] === true, `context menu events ${JSON.stringify(menus)}`);
});

await test('the game runs at the browser frame rate over 5 s of play', async () => {
  await move(320, 240);
  const fps = await game.frameRate(5000);
  figures.fps = fps;
  check(fps >= 20, `${fps.toFixed(1)} frames per second`);
  return `${fps.toFixed(1)} frames per second`;
});

await test('a short round ends in the table; the typed name survives a reload', async () => {
  check(shortZip && fs.existsSync(shortZip), 'no short-round data set given (--short)');
  await loadToTitle(`${base}/short/`);
  await game.seedShortTable();
  await loadToTitle(`${base}/short/`);
  await game.startRound();
  const roundStart = Date.now();
  const shots = await game.shootFigures(25);
  check(shots > 0, 'no figure hit in the short round');
  await game.waitForTable(roundStart);
  await page.keyboard.type('Webtest');
  await page.keyboard.press('Enter');
  await sleep(300);
  await page.screenshot({ path: path.join(out, 'named.png') });
  // Written through to IndexedDB right after the save.
  await game.waitForStore();
  await loadToTitle(`${base}/short/`);
  const row = await game.storedRow('Webtest');
  check(row && Number(row.split(', ')[1]) > 0, `no scoring row for the name: ${row}`);
  return `"${row}" after the reload`;
});

// A name left with Escape keeps its row, as the desktop keeps it when the
// program ends; a page can be reloaded or closed on the closing screen, or
// end the game within one frame.
await test('a name left with Escape keeps its row across a reload on the closing screen', async () => {
  await game.shortRoundToTable();
  await page.keyboard.type('Flucht');
  const saves = await game.saves();
  await page.keyboard.press('Escape');
  await game.waitForStore(saves);
  await loadToTitle(`${base}/short/`);
  const row = await game.storedRow('Flucht');
  check(row && Number(row.split(', ')[1]) > 0, `no scoring row for the name: ${row}`);
  return `"${row}" after the reload`;
});

await test('"Back" twice in one frame from a name entry ends the game with the row stored', async () => {
  await game.shortRoundToTable();
  await page.keyboard.type('Eilig');
  // The table, then the closing screen, then the end, all before the next frame.
  await page.evaluate(() => {
    document.getElementById('back').click();
    document.getElementById('back').click();
  });
  let state;
  for (let i = 0; i < 40 && state !== 'ended'; i++) {
    state = await page.evaluate(() => document.body.dataset.state);
    await sleep(50);
  }
  check(state === 'ended', `the page is ${state} after "Back" twice`);
  // "Play again" reloads once the last save is written.
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#again')]);
  await loadToTitle(page.url());
  const row = await game.storedRow('Eilig');
  check(row && Number(row.split(', ')[1]) > 0, `no scoring row for the name: ${row}`);
  return `"${row}" after "play again"`;
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
  // Nothing else is left to do: the side text and the page's buttons go.
  const left = await page.evaluate(() => ['help', 'back', 'fullscreen']
    .filter((id) => document.getElementById(id).getClientRects().length > 0));
  check(left.length === 0, `still shown after the end: ${left.join(', ')}`);
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#again')]);
  await loadToTitle(page.url());
});

await test('no console errors, page errors or failed requests', async () => {
  check(game.problems.length === 0, game.problems.slice(0, 5).join('; '));
});

await phoneTests();
await padTests();
await recordTests();
await settingsTests();
await optionsTests();
await shareTests();
await finish();
