// The page on a phone and a tablet, in Chromium's touch emulation: the
// picture and the page's controls in landscape, the bars, the name field a
// phone's keyboard types into, the portrait hint, gestures that must not move
// the page, the manifest and its icons, the offline copy, and the frame rate
// with the processor slowed down. Taps that shoot and reload are the game's
// own touch translation: run with --touch yes where the tree has it.
import path from 'node:path';
import { GamePage, args, base, check, figures, out, served, sleep, test } from './harness.mjs';

const phone = { width: 915, height: 412, isMobile: true, hasTouch: true, isLandscape: true, deviceScaleFactor: 2 };
const upright = { ...phone, width: 412, height: 915, isLandscape: false };
const tablet = { width: 1024, height: 768, isMobile: true, hasTouch: true, isLandscape: true, deviceScaleFactor: 1 };
const androidAgent = 'Mozilla/5.0 (Linux; Android 13; Pixel 7) AppleWebKit/537.36 (KHTML, like Gecko) ' +
  'Chrome/120.0.0.0 Mobile Safari/537.36';
const touchPlay = args.touch === 'yes';

// A fresh profile of its own (its own offline copy and stored table), as a
// phone that visits for the first time; German or English by its language.
async function openDevice(viewport, language) {
  const game = await GamePage.fresh();
  await game.page.emulate({ viewport, userAgent: androidAgent });
  await game.page.evaluateOnNewDocument((language) => {
    Object.defineProperty(navigator, 'languages', { get: () => [language] });
    Object.defineProperty(navigator, 'language', { get: () => language });
  }, language);
  return game;
}

const rectOf = (game, selector) => game.page.evaluate((s) => {
  const e = document.querySelector(s);
  const r = e.getBoundingClientRect();
  return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height,
    shown: !e.hidden && getComputedStyle(e).display !== 'none' && r.width > 0 };
}, selector);

// Where the page's events went: context menus (and whether the page
// refused them), and what became of scrolling, zoom and selection.
const watchPage = (game) => game.page.evaluate(() => {
  window.menus = [];
  window.addEventListener('contextmenu', (e) => menus.push(e.defaultPrevented));
});
const pageState = (game) => game.page.evaluate(() => ({
  x: window.scrollX, y: window.scrollY, scale: window.visualViewport ? visualViewport.scale : 1,
  selected: String(getSelection()), menus: window.menus,
}));

// Two reads a second apart of the landscape between the clock and the
// magazine: how much of it moved.
async function landscapeMotion(game, ms) {
  await game.grab('m1');
  await sleep(ms);
  await game.grab('m2');
  return (await game.diff('m1', 'm2', 0, 48, 640, 400)).n / (640 * 352);
}

async function holdFinger(game, x, y, ms) {
  await game.grab('before-hold');
  await game.touch('touchStart', [[x, y]]);
  await sleep(ms);
  await game.grab('held');
  const moved = (await game.diff('before-hold', 'held', 0, 48, 640, 400)).n / (640 * 352);
  await game.touch('touchEnd', []);
  await sleep(300);
  return { moved, after: await landscapeMotion(game, 1000) };
}

export async function phoneTests() {
  const game = await openDevice(phone, 'de-DE');
  const page = game.page;

  await test('phone, landscape: the picture fills the height; buttons and help sit in the bars, in German', async () => {
    figures.phoneTitle = await game.loadToTitle(`${base}/`);
    const canvas = await rectOf(game, '#canvas');
    check(Math.abs(canvas.height - 412) <= 1 && Math.abs(canvas.width - 549) <= 1, `canvas ${canvas.width} x ${canvas.height}`);
    const back = await rectOf(game, '#back'), full = await rectOf(game, '#fullscreen'), help = await rectOf(game, '#help');
    for (const [name, r] of [['Zurück', back], ['Vollbild', full], ['help', help]]) {
      check(r.shown, `${name} is not shown`);
      check(r.right <= canvas.left + 1 || r.left >= canvas.right - 1, `${name} lies over the picture: ${JSON.stringify(r)}`);
    }
    const texts = await page.evaluate(() => [document.getElementById('back').textContent, document.getElementById('help').textContent, document.documentElement.lang]);
    check(texts[0] === 'Zurück' && texts[2] === 'de', `button "${texts[0]}", language ${texts[2]}`);
    check(/Tippen/.test(texts[1]) && /Rand/.test(texts[1]) && !/Maus/.test(texts[1]), `help line "${texts[1]}"`);
    return `${Math.round(figures.phoneTitle)} ms to the title`;
  });

  await test('phone: the manifest names icons that load; the home-screen tags are there', async () => {
    const cdp = await page.createCDPSession();
    const manifest = await cdp.send('Page.getAppManifest');
    check(manifest.errors.length === 0, `manifest errors ${JSON.stringify(manifest.errors)}`);
    const data = JSON.parse(manifest.data);
    check(data.display === 'fullscreen' && data.orientation === 'landscape' && data.short_name === 'Vandrel',
      `manifest ${manifest.data}`);
    const icons = await page.evaluate((icons) => Promise.all(icons.map(async (icon) => {
      const response = await fetch(new URL(icon.src, location.href));
      const picture = await createImageBitmap(await response.blob());
      return { sizes: icon.sizes, type: response.headers.get('Content-Type'), got: `${picture.width}x${picture.height}` };
    })), data.icons);
    check(icons.length === 2 && icons.every((i) => i.type === 'image/png' && i.sizes === i.got), `icons ${JSON.stringify(icons)}`);
    const tags = await page.evaluate(() => ({
      capable: document.querySelector('meta[name=apple-mobile-web-app-capable]')?.content,
      touchIcon: document.querySelector('link[rel=apple-touch-icon]')?.href,
    }));
    check(tags.capable === 'yes' && /icon-192\.png$/.test(tags.touchIcon || ''), `iOS tags ${JSON.stringify(tags)}`);
    return icons.map((i) => i.got).join(', ');
  });

  await test('phone: a finger resting in the right bar scrolls the landscape; lifted, the landscape stands still', async () => {
    await game.startRound((x, y) => game.tap(x, y));
    const canvas = await rectOf(game, '#canvas');
    // Below the bar's buttons: a finger on one presses it (the pause among them).
    const buttons = await rectOf(game, '#buttons');
    check(buttons.bottom < canvas.bottom - 40, `the buttons leave no room in the bar (down to ${buttons.bottom})`);
    const { moved, after } = await holdFinger(game, (canvas.right + 915) / 2, (buttons.bottom + canvas.bottom) / 2, 700);
    check(moved > 0.2, `the landscape hardly moved under the finger (${(moved * 100).toFixed(1)} %)`);
    check(after < 0.05, `${(after * 100).toFixed(1)} % of the landscape moved in the second after the finger lifted`);
    await page.screenshot({ path: path.join(out, 'phone-round.png') });
    return `${(moved * 100).toFixed(0)} % moved while held, ${(after * 100).toFixed(1)} % in the second after`;
  });

  await test('phone: the first tap starts the sound', async () => {
    const state = await page.evaluate(() => Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state);
    check(state === 'running', `the game's audio is ${state}`);
  });

  if (touchPlay) {
    await test('phone: every tap costs one cartridge; a tap on the magazine or with two fingers reloads without a shot', async () => {
      const counts = [await game.cartridges()];
      check(counts[0] > 0, 'no cartridges read in the magazine');
      while (counts[counts.length - 1] > 0 && counts.length < 12) {
        await game.tap(320, 100);
        await sleep(150);
        counts.push(await game.cartridges());
      }
      check(counts.every((c, i) => i === 0 || c === counts[i - 1] - 1), `cartridges after each tap ${counts.join(', ')}`);
      await game.tap(560, 445);
      await sleep(250);
      const afterMagazine = await game.cartridges();
      check(afterMagazine === counts[0] || afterMagazine === 10, `${afterMagazine} cartridges after a tap on the magazine`);
      for (let i = 0; i < 10; i++) {
        await game.tap(320, 100);
        await sleep(120);
      }
      const empty = await game.cartridges();
      await game.touch('touchStart', [await game.at(200, 150), await game.at(440, 150)]);
      await sleep(60);
      await game.touch('touchEnd', []);
      await sleep(250);
      const afterTwo = await game.cartridges();
      check(empty === 0 && afterTwo === afterMagazine, `${empty} cartridges, then ${afterTwo} after a two-finger tap`);
      return `cartridges ${counts.join(' ')}; magazine tap: ${afterMagazine}; two fingers: ${afterTwo}`;
    });

    await test('phone: a tap on a figure scores', async () => {
      const shots = await game.shootFigures(9, { shoot: (x, y) => game.tap(x, y), reload: async () => {}, rest: async () => {} });
      check(shots > 0, 'nine taps at moving things and the score never changed');
      return `the score rose after ${shots} tap(s)`;
    });
  }

  await test('phone: taps, double taps, long presses and a pinch move, zoom and select nothing and open no menu', async () => {
    await watchPage(game);
    const canvas = await rectOf(game, '#canvas');
    const places = [[canvas.left + 100, 150], [(canvas.right + 915) / 2, 300], [40, 380], [(await rectOf(game, '#help')).left + 20, 206]];
    for (const [x, y] of places) {
      await page.touchscreen.tap(x, y);
      await page.touchscreen.tap(x, y);
      await sleep(80);
      await page.touchscreen.tap(x, y);
      await game.touch('touchStart', [[x, y]]);
      await sleep(900);
      await game.touch('touchEnd', []);
    }
    const cdp = await page.createCDPSession();
    await cdp.send('Input.synthesizePinchGesture', { x: 457, y: 206, scaleFactor: 2.5, relativeSpeed: 800, gestureSourceType: 'touch' });
    await cdp.send('Input.synthesizePinchGesture', { x: 100, y: 206, scaleFactor: 0.5, relativeSpeed: 800, gestureSourceType: 'touch' });
    await sleep(300);
    const s = await pageState(game);
    check(s.x === 0 && s.y === 0 && s.scale === 1, `page at ${s.x}, ${s.y}, zoom ${s.scale}`);
    check(s.selected === '', `selected "${s.selected}"`);
    check(s.menus.every((refused) => refused), `context menus ${JSON.stringify(s.menus)}`);
    // Chromium's emulation opens no menu on a long press; the one a phone
    // would open, over the picture and over the help, is refused.
    const refused = await page.evaluate(() => ['canvas', 'help', 'stage'].map((id) => {
      const menu = new MouseEvent('contextmenu', { bubbles: true, cancelable: true });
      document.getElementById(id).dispatchEvent(menu);
      return menu.defaultPrevented;
    }));
    check(refused.every(Boolean), `menus refused over canvas, help, stage: ${refused}`);
    const unselectable = await page.evaluate(() => getComputedStyle(document.getElementById('help')).userSelect);
    check(unselectable === 'none', `the help line's text is selectable (${unselectable})`);
  });

  await test('phone: "Zurück" is the game\'s Escape: the round ends in the table', async () => {
    await game.grab('before-back');
    await page.tap('#back');
    await sleep(1500);
    await game.grab('after-back');
    check((await game.diff('before-back', 'after-back')).n > 640 * 480 * 0.15, 'the round goes on after "Zurück"');
  });

  await test('phone: a short round ends in name entry; the hidden field takes the keyboard\'s text; a reload keeps it', async () => {
    await game.loadToTitle(`${base}/short/`);
    await game.seedShortTable();
    await game.loadToTitle(`${base}/short/`);
    await game.startRound((x, y) => game.tap(x, y));
    const roundStart = Date.now();
    await game.shootFigures(8, { shoot: (x, y) => game.tap(x, y), reload: async () => {}, rest: async () => {} });
    await game.waitForTable(roundStart);
    check(await page.evaluate(() => document.activeElement && document.activeElement.id === 'name'), 'the name field has no focus');
    // A phone's keyboard sends text, not keys; and corrects a word it typed.
    for (const c of 'Fingr') await page.keyboard.sendCharacter(c);
    await page.keyboard.press('Backspace');
    for (const c of 'er') await page.keyboard.sendCharacter(c);
    await page.keyboard.press('Enter');
    await sleep(300);
    check(await page.evaluate(() => document.activeElement.id !== 'name'), 'the name field keeps the focus after Enter');
    await game.waitForStore();
    await game.loadToTitle(`${base}/short/`);
    const row = await game.storedRow('Finger');
    check(row, 'no row for "Finger" after the reload');
    return `"${row}"`;
  });

  // Where taps are the game's clicks, a tap that asks for the keyboard must not
  // be one: on the table a click is Enter.
  if (touchPlay) {
    await test('phone: a tap on the picture during name entry gives the keyboard and ends no name; Enter does', async () => {
      // A phone of its own: in Chromium's emulation, a page left in the middle
      // of the tapping round above goes on to deliver later taps as mouse
      // clicks only (no touch events reach the page at all), which no phone
      // does. The taps here must be touches, and are checked to be.
      const own = await openDevice(phone, 'de-DE');
      try {
        return await nameEntryTaps(own);
      } finally {
        await own.context.close();
      }
    });
  }

  await test('phone: the page loaded once starts offline; a new build replaces the kept copy', async () => {
    await game.loadToTitle(`${base}/`);
    const kept = await page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      for (let i = 0; i < 100 && !navigator.serviceWorker.controller; i++) await new Promise((r) => setTimeout(r, 50));
      return caches.keys();
    });
    // This folder's copy and the short data set's, each under its own name.
    const mine = kept.filter((name) => name.startsWith(`vandrel ${base}/ `));
    check(kept.length === 2 && mine.length === 1 && kept.some((name) => name.startsWith(`vandrel ${base}/short/ `)),
      `caches ${JSON.stringify(kept)}`);
    await page.setOfflineMode(true);
    try {
      figures.phoneOffline = await game.loadToTitle(null, { reload: true });
    } finally {
      await page.setOfflineMode(false);
    }
    served.workerBuild = 'next-build';
    try {
      const next = await page.evaluate(async () => {
        await (await navigator.serviceWorker.getRegistration()).update();
        const done = (names) => names.length === 2 && names.includes(`vandrel ${location.origin}/ next-build`);
        for (let i = 0; i < 200; i++) {
          const names = await caches.keys();
          if (done(names)) return names;
          await new Promise((r) => setTimeout(r, 50));
        }
        return caches.keys();
      });
      // The new build's copy replaced this folder's; the other folder's stays.
      check(next.length === 2 && next.includes(`vandrel ${base}/ next-build`) && next.some((n) => n.startsWith(`vandrel ${base}/short/ `)),
        `caches after the new build ${JSON.stringify(next)}`);
    } finally {
      served.workerBuild = null;
    }
    return `"${mine[0]}" reached the title offline in ${Math.round(figures.phoneOffline)} ms`;
  });

  await test('phone, upright: the hint to turn it covers the picture, dimmed; turned back, it goes', async () => {
    await page.emulate({ viewport: upright, userAgent: androidAgent });
    await sleep(300);
    const turn = await rectOf(game, '#turn'), canvas = await rectOf(game, '#canvas');
    check(turn.shown && turn.left <= canvas.left && turn.right >= canvas.right && turn.top <= canvas.top && turn.bottom >= canvas.bottom,
      `hint ${JSON.stringify(turn)} over the picture ${JSON.stringify(canvas)}`);
    check(Math.abs(canvas.width - 412) <= 1, `picture ${canvas.width} wide upright`);
    await page.screenshot({ path: path.join(out, 'portrait.png') });
    await page.emulate({ viewport: phone, userAgent: androidAgent });
    await sleep(300);
    check(!(await rectOf(game, '#turn')).shown, 'the hint stays in landscape');
  });

  await test('phone: 10 s of a round with the processor slowed 4x', async () => {
    const cdp = await page.createCDPSession();
    await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
    try {
      await game.startRound((x, y) => game.tap(x, y));
      const fps = await game.frameRate(10000);
      figures.phoneFps4x = fps;
      // A figure to note, not to pass: it follows the machine's load. Only a
      // page whose frames stall fails here.
      check(fps >= 5, `${fps.toFixed(1)} frames per second`);
      // A first visit on the same profile: a new context, nothing kept.
      const fresh = await openDevice(phone, 'de-DE');
      const freshCdp = await fresh.page.createCDPSession();
      await freshCdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
      figures.phoneFirstLoad4x = await fresh.loadToTitle(`${base}/`);
      await fresh.context.close();
      return `${fps.toFixed(1)} frames per second; first visit to the title in ${Math.round(figures.phoneFirstLoad4x)} ms`;
    } finally {
      await cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });
    }
  });

  await test('phone: no console errors, page errors or failed requests', async () => {
    // Offline, the worker's own check for a newer copy fails; that is expected.
    const problems = game.problems.filter((p) => !/request failed: .*sw\.js/.test(p));
    check(problems.length === 0, problems.slice(0, 5).join('; '));
  });
  await game.context.close();

  const pad = await openDevice(tablet, 'en-GB');
  await test('tablet 4:3: the picture fills the screen; the buttons sit over it; the help is English', async () => {
    await pad.loadToTitle(`${base}/`);
    const canvas = await rectOf(pad, '#canvas');
    check(canvas.width === 1024 && canvas.height === 768, `canvas ${canvas.width} x ${canvas.height}`);
    // Between the clock and the score.
    const back = await rectOf(pad, '#back'), full = await rectOf(pad, '#fullscreen');
    check(back.shown && back.bottom < 80 && back.left > 260 && full.right < 680, `buttons at ${JSON.stringify([back, full])}`);
    const texts = await pad.page.evaluate(() => [document.getElementById('back').textContent, document.getElementById('help').textContent]);
    check(texts[0] === 'Back' && /Tap/.test(texts[1]) && /edge/.test(texts[1]), `texts ${JSON.stringify(texts)}`);
    await pad.startRound((x, y) => pad.tap(x, y));
    if (touchPlay) {
      const { moved, after } = await holdFinger(pad, ...(await pad.at(634, 240)), 700);
      check(moved > 0.2 && after < 0.05, `finger at the right edge: ${(moved * 100).toFixed(1)} % moved, then ${(after * 100).toFixed(1)} %`);
    }
    await pad.page.screenshot({ path: path.join(out, 'tablet.png') });
  });
  await test('a browser without a full-screen API (an iPhone\'s) shows no "Vollbild" button', async () => {
    const iphone = await GamePage.open(pad.context);
    await iphone.page.emulate({ viewport: phone, userAgent: androidAgent });
    await iphone.page.evaluateOnNewDocument(() => {
      for (const name of ['fullscreenEnabled', 'webkitFullscreenEnabled'])
        Object.defineProperty(Document.prototype, name, { get: () => undefined });
    });
    await iphone.page.goto(`${base}/`, { waitUntil: 'load' });
    check(!(await rectOf(iphone, '#fullscreen')).shown, 'the full-screen button is shown');
    check((await rectOf(iphone, '#back')).shown, 'the back button is not shown');
    await iphone.page.close();
  });
  await pad.context.close();
}

// During name entry a tap on the picture focuses the name field (a phone's
// keyboard) and is no click; Enter ends the name.
async function nameEntryTaps(game) {
  const page = game.page;
  await game.shortRoundToTable({ tap: true });
  await page.screenshot({ path: path.join(out, 'phone-table.png') });
  check(await page.evaluate(() => document.activeElement && document.activeElement.id === 'name'), 'no name entry after the round');
  await page.evaluate(() => {
    window.nameEvents = [];
    vandrelPage.onGameEvent((event, value) => { if (event === 'nameEntry') nameEvents.push(value); });
    // What the page would have the browser do with the tap: a field
    // focused inside it shows the keyboard.
    window.nameFocus = [];
    document.getElementById('name').addEventListener('focus', () => nameFocus.push(performance.now()));
    window.touchStarts = 0;
    window.addEventListener('touchstart', () => touchStarts++, true);
  });
  for (let i = 0; i < 2; i++) {
    await game.tap(320, 240);
    await sleep(250);
  }
  const after = await page.evaluate(() => ({
    events: window.nameEvents, focused: window.nameFocus.length, touches: window.touchStarts,
    field: document.activeElement && document.activeElement.id,
  }));
  check(after.touches === 2, `Chromium gave the page ${after.touches} touches for two taps`);
  check(after.events.length === 0, `the name entry ended on a tap: events ${JSON.stringify(after.events)}`);
  check(after.field === 'name' && after.focused === 2, `after two taps the focus is on "${after.field}", given ${after.focused} time(s)`);
  for (const c of 'Tipp') await page.keyboard.sendCharacter(c);
  await sleep(200);
  await page.screenshot({ path: path.join(out, 'phone-name.png') });
  await page.keyboard.press('Enter');
  await sleep(300);
  const ended = await page.evaluate(() => ({ events: window.nameEvents, field: document.activeElement && document.activeElement.id }));
  check(ended.events.join() === '0' && ended.field !== 'name', `after Enter: ${JSON.stringify(ended)}`);
  await game.waitForStore();
  await game.loadToTitle(`${base}/short/`);
  const row = await game.storedRow('Tipp');
  check(row && Number(row.split(', ')[1]) > 0, `no scoring row for "Tipp": ${row}`);
  return `"${row}"`;
}
