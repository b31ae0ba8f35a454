// A pad in the page: a test pad handed to the page before it loads (the
// browser's getGamepads answered by the test, a gamepadconnected event at
// load), with the buttons and sticks of a standard mapping set from the test.
// It starts a round, checks that a stick pushed once and held moves the
// cross-hair as far and where it pushes, steers it onto a figure found in
// canvas reads and shoots it, fires once per press, reloads, and spells a
// name into the table; the help
// line names the pad's buttons once it is used (the page's part, always
// tested). The game's part runs with --pad yes, where the SDL window opens pads.
import { GamePage, args, base, check, sleep, test } from './harness.mjs';

// Standard mapping: 0 A, 2 X, 9 Start, 12-15 D-pad up, down, left, right.
const button = { a: 0, x: 2, start: 9, up: 12, down: 13, left: 14, right: 15 };

function installPad() {
  const pad = {
    index: 0, id: 'Vandrel test pad (STANDARD GAMEPAD)', connected: true, mapping: 'standard', timestamp: 1,
    axes: [0, 0, 0, 0],
    buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
  };
  const changed = () => { pad.timestamp = performance.now(); };
  window.testPad = {
    set(index, down) {
      pad.buttons[index] = { pressed: down, touched: down, value: down ? 1 : 0 };
      changed();
    },
    stick(x, y) {
      pad.axes[0] = x;
      pad.axes[1] = y;
      changed();
    },
  };
  Object.defineProperty(navigator, 'getGamepads', { value: () => [pad, null, null, null] });
  window.addEventListener('load', () => {
    const event = new Event('gamepadconnected');
    Object.defineProperty(event, 'gamepad', { value: pad });
    window.dispatchEvent(event);
  });
}

// The cross-hair: the white ring, found as the 40 x 40 window with the most
// near-white pixels below the clock and above the magazine.
export function findCrossHair(name) {
  const d = probe.pixels(name);
  const cell = 8, cols = 80, rows = 60, counts = new Array(cols * rows).fill(0);
  for (let y = 48; y < 420; y++)
    for (let x = 0; x < 640; x++) {
      const k = (y * 640 + x) * 4;
      if (d[k] > 215 && d[k + 1] > 215 && d[k + 2] > 190) counts[((y / cell) | 0) * cols + ((x / cell) | 0)]++;
    }
  let best = 0, bx = -1, by = -1;
  for (let cy = 6; cy + 5 <= 53; cy++)
    for (let cx = 0; cx + 5 <= cols; cx++) {
      let n = 0;
      for (let j = 0; j < 5; j++) for (let i = 0; i < 5; i++) n += counts[(cy + j) * cols + cx + i];
      if (n > best) { best = n; bx = cx; by = cy; }
    }
  let sx = 0, sy = 0, n = 0;
  for (let y = by * cell; y < (by + 5) * cell; y++)
    for (let x = bx * cell; x < (bx + 5) * cell; x++) {
      const k = (y * 640 + x) * 4;
      if (d[k] > 215 && d[k + 1] > 215 && d[k + 2] > 190) { sx += x; sy += y; n++; }
    }
  return n > 20 ? { x: sx / n, y: sy / n, n } : null;
}

export async function padTests() {
  const gamePlays = args.pad === 'yes';
  const game = await GamePage.fresh();
  const page = game.page;
  await page.evaluateOnNewDocument(installPad);
  const press = async (index, ms = 120) => {
    await page.evaluate((i) => testPad.set(i, true), index);
    await sleep(ms);
    await page.evaluate((i) => testPad.set(i, false), index);
    await sleep(ms);
  };
  const crossHair = async () => {
    await game.grab('aim');
    return page.evaluate(() => window.findCrossHair('aim'));
  };
  const prepareProbe = () => page.evaluate(`window.findCrossHair = ${findCrossHair}`);

  try {
    await test('pad: the help line names the pad\'s buttons once it is used' + (gamePlays ? '; A starts a round' : ''), async () => {
      await game.loadToTitle(`${base}/`);
      await prepareProbe();
      const before = await page.evaluate(() => document.getElementById('help').dataset.device);
      check(before !== 'pad', 'the help line names the pad before it is used');
      if (!gamePlays) {
        await press(button.a, 400);
        const help = await page.evaluate(() => document.getElementById('help').textContent);
        check(/Left stick/.test(help) && /right trigger/.test(help), `help line "${help}"`);
        return;
      }
      // Each press held past one of the page's looks at the pads (five a
      // second): a shorter one can fall between two and go unseen there.
      for (let i = 0; i < 10; i++) {
        await press(button.a, 250);
        await sleep(200);
        await game.grab('round');
        if ((await game.diff('title', 'round')).n > 640 * 480 * 0.2) break;
        check(i < 9, 'A on the title starts no round');
      }
      const help = await page.evaluate(() => document.getElementById('help').textContent);
      check(/Left stick/.test(help) && /right trigger/.test(help), `help line "${help}"`);
    });
    if (!gamePlays) return;

    // The stick's speed: none inside the 10 % dead zone, then the square of
    // the tilt beyond it, up to 640 pixels in 0.7 s at the rim.
    const fullSpeed = 640 / 0.7;
    const speedAt = (tilt) => fullSpeed * Math.max(0, (tilt - 0.1) / 0.9) ** 2;
    // One change of the stick, held for ms, then let go: where the
    // cross-hair was and where it went.
    const push = async (x, y, ms) => {
      const from = await crossHair();
      await page.evaluate((x, y) => testPad.stick(x, y), x, y);
      await sleep(ms);
      await page.evaluate(() => testPad.stick(0, 0));
      await sleep(80);
      return { from, to: await crossHair() };
    };
    const near = (a, x, y, d = 8) => a && Math.hypot(a.x - x, a.y - y) < d;

    await test('pad: a stick pushed once and held aims where it pushes for as long as it is held', async () => {
      // The mouse puts the cross-hair where the test knows it; the stick takes it from there.
      await game.move(320, 240);
      await sleep(200);
      const start = await crossHair();
      check(near(start, 320, 240), `cross-hair found at ${JSON.stringify(start)}, not (320, 240)`);
      // A real stick at its rim reports the same values all along: one change, held.
      const pushes = [[1, 0, 300], [-Math.SQRT1_2, -Math.SQRT1_2, 250], [0, 0.6, 400]];
      const moved = [];
      for (const [x, y, ms] of pushes) {
        const { from, to } = await push(x, y, ms);
        check(from && to, 'the cross-hair is not found');
        const dx = to.x - from.x, dy = to.y - from.y, distance = Math.hypot(dx, dy);
        const expected = (speedAt(Math.hypot(x, y)) * ms) / 1000;
        // The page's frames and the test's timers add a frame or two either way.
        check(distance > expected * 0.6 && distance < expected * 1.4 + 20,
          `stick (${x.toFixed(2)}, ${y.toFixed(2)}) held ${ms} ms moved the cross-hair ${distance.toFixed(0)} pixels, ` +
          `not about ${expected.toFixed(0)}`);
        const off = Math.acos(Math.min(1, (dx * x + dy * y) / (distance * Math.hypot(x, y)))) * (180 / Math.PI);
        check(off < 10, `stick (${x.toFixed(2)}, ${y.toFixed(2)}) moved it towards (${dx.toFixed(0)}, ${dy.toFixed(0)})`);
        moved.push(distance.toFixed(0));
      }
      return `moved ${moved.join(', ')} pixels`;
    });

    await test('pad: the stick aims at a figure, A shoots it and the score rises', async () => {
      await game.move(320, 240);
      await sleep(200);
      await game.grab('score-before');
      // Only figures in the still middle: a cross-hair beyond it scrolls the
      // landscape, and every cell would then look like a mover.
      const target = async () => {
        for (let look = 0; look < 20; look++) {
          await game.grab('a');
          await sleep(90);
          await game.grab('b');
          const [t] = (await game.movers('a', 'b')).filter((c) => c.x > 230 && c.x < 410);
          if (t) return t;
          await sleep(150);
        }
        throw new Error('no figure crossed the middle in twenty looks');
      };
      for (let attempt = 1; attempt <= 5; attempt++) {
        // From where the game shows the cross-hair, a push that covers the
        // distance in about 0.15 s; each must bring it nearer, and the last
        // one within a few pixels.
        let aim = await target();
        for (let step = 0; step < 3; step++) {
          const at = await crossHair();
          check(at, 'the cross-hair is not found');
          const dx = aim.x - at.x, dy = aim.y - at.y, distance = Math.hypot(dx, dy);
          if (distance < 6) break;
          const tilt = Math.min(1, 0.1 + 0.9 * Math.sqrt(distance / (fullSpeed * 0.15)));
          const ms = Math.round((1000 * distance) / speedAt(tilt));
          const { to } = await push((dx / distance) * tilt, (dy / distance) * tilt, ms);
          const after = Math.hypot(aim.x - to.x, aim.y - to.y);
          check(after < distance / 2 + 6,
            `a push of ${ms} ms from ${distance.toFixed(0)} pixels away left the cross-hair ${after.toFixed(0)} away`);
          // The figure went on meanwhile: the one nearest the cross-hair now.
          if (step === 0) aim = await target();
        }
        await press(button.a);
        await sleep(400);
        await game.grab('score-after');
        if ((await game.diff('score-before', 'score-after', 420, 0, 640, 44)).n > 30) return `scored at attempt ${attempt}`;
      }
      throw new Error('five aimed shots and the score never changed');
    });

    await test('pad: X reloads an empty magazine; A fires once per press, however long held', async () => {
      // Only an empty magazine takes new cartridges: shots into the sky first.
      let left = await game.cartridges();
      for (let i = 0; i < 10 && left > 0; i++) {
        await press(button.a);
        left = await game.cartridges();
      }
      check(left === 0, `${left} cartridges left after ten presses of A`);
      await press(button.x);
      await sleep(200);
      const counts = [await game.cartridges()];
      for (let i = 0; i < 3; i++) {
        await press(button.a, 300);
        counts.push(await game.cartridges());
      }
      check(counts.join() === '10,9,8,7', `cartridges after X, then after each press of A: ${counts.join(', ')}`);
    });

    await test('pad: a short round ends in the table; the D-pad spells a name that is stored', async () => {
      await game.loadToTitle(`${base}/short/`);
      await game.seedShortTable();
      await game.loadToTitle(`${base}/short/`);
      await prepareProbe();
      await game.startRound((x, y) => game.click(x, y));
      const roundStart = Date.now();
      await game.shootFigures(20);
      await game.waitForTable(roundStart);
      // Two characters: up twice and take it, up once and take it.
      await press(button.up);
      await press(button.up);
      await press(button.right);
      await press(button.up);
      await press(button.right);
      await press(button.start);
      await game.waitForStore();
      const files = await page.evaluate(() => Module.storedFiles());
      const table = Object.entries(files).find(([file]) => file.endsWith('/highscore.REG_SZ'))[1];
      const rows = table.split('\n').filter((line) => line && !/^(Ada|Bo), /.test(line));
      check(rows.length === 1 && /^\S+, [1-9]/.test(rows[0]), `rows besides the seeded ones: ${JSON.stringify(rows)}`);
      return `"${rows[0]}"`;
    });
  } finally {
    await game.context.close();
  }
}
