// A pad in the page: a test pad handed to the page before it loads (the
// browser's getGamepads answered by the test, a gamepadconnected event at
// load), with the buttons and sticks of a standard mapping set from the test.
// It starts a round, aims at a figure found in canvas reads and shoots it,
// fires once per press, reloads, and spells a name into the table; the help
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

    await test('pad: the stick aims at a figure, A shoots it and the score rises', async () => {
      // The mouse puts the cross-hair where the test knows it; the stick takes it from there.
      await game.move(320, 240);
      await sleep(200);
      const start = await crossHair();
      check(start && Math.hypot(start.x - 320, start.y - 240) < 8, `cross-hair found at ${JSON.stringify(start)}, not (320, 240)`);
      await game.grab('score-before');
      for (let attempt = 1; attempt <= 30; attempt++) {
        await game.grab('a');
        await sleep(90);
        await game.grab('b');
        const [target] = await game.movers('a', 'b');
        if (!target) continue;
        for (let step = 0; step < 8; step++) {
          const at = await crossHair();
          if (!at) break;
          const dx = target.x - at.x, dy = target.y - at.y, distance = Math.hypot(dx, dy);
          if (distance < 8) break;
          const tilt = Math.min(1, 0.25 + distance / 300);
          await page.evaluate((x, y) => testPad.stick(x, y), (dx / distance) * tilt, (dy / distance) * tilt);
          await sleep(Math.min(250, 40 + distance / 2));
          await page.evaluate(() => testPad.stick(0, 0));
          await sleep(60);
        }
        await press(button.a);
        // Ten shots empty the magazine; only an empty one reloads.
        if (attempt % 10 === 0) await press(button.x);
        await sleep(400);
        await game.grab('score-after');
        if ((await game.diff('score-before', 'score-after', 420, 0, 640, 44)).n > 30) return `scored at attempt ${attempt}`;
      }
      throw new Error('thirty aimed shots and the score never changed');
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
