// The page's options panel and pause: a setting chosen in the panel is
// written to the browser's vandrel.ini and holds across a reload, where the
// game draws with it; the pause button; a hidden page and a phone held
// upright pause a round (unless the panel said otherwise); the left-handed
// phone's layout, its reload corner and the vibration on an empty magazine.
import path from 'node:path';
import { GamePage, args, base, check, out, sleep, test } from './harness.mjs';

const phone = { width: 915, height: 412, isMobile: true, hasTouch: true, isLandscape: true, deviceScaleFactor: 2 };
const upright = { ...phone, width: 412, height: 915, isLandscape: false };
const androidAgent = 'Mozilla/5.0 (Linux; Android 13; Pixel 7) AppleWebKit/537.36 (KHTML, like Gecko) ' +
  'Chrome/120.0.0.0 Mobile Safari/537.36';

const iniOf = async (game) => {
  await game.waitForStore();
  return (await game.page.evaluate(() => Module.storedFiles()))['/store/vandrel/vandrel.ini'] || '';
};
// Picks a value in the panel as a player would: opens it with its button,
// chooses, closes it with Escape.
async function choose(game, name, value) {
  const page = game.page;
  await page.click('#options');
  check(await page.evaluate(() => !document.getElementById('panel').hidden), 'the panel does not open');
  await page.select(`#option-${name}`, value);
  await page.keyboard.press('Escape');
  check(await page.evaluate(() => document.getElementById('panel').hidden), 'Escape leaves the panel open');
}
// The cross-hair's pixels: the change around the pointer when it moves away.
async function crossHairSize(game) {
  await game.move(200, 240);
  await sleep(200);
  await game.grab('at');
  await game.move(440, 240);
  await sleep(200);
  await game.grab('away');
  return (await game.diff('at', 'away', 130, 170, 270, 310)).n;
}
// The page out of sight for ms: the browser's window minimised, as a phone
// call or another app does to the page.
async function outOfSight(game, ms) {
  const cdp = await game.page.createCDPSession();
  const { windowId } = await cdp.send('Browser.getWindowForTarget');
  await cdp.send('Browser.setWindowBounds', { windowId, bounds: { windowState: 'minimized' } });
  const state = await game.page.evaluate(() => document.visibilityState);
  await game.grab('hidden');
  await sleep(ms);
  await cdp.send('Browser.setWindowBounds', { windowId, bounds: { windowState: 'normal' } });
  await game.page.bringToFront();
  await sleep(600);
  await game.grab('shown');
  check(state === 'hidden', `the minimised page is ${state}`);
  // The clock, between the words TIME and SCORE.
  return (await game.diff('hidden', 'shown', 60, 0, 200, 44)).n;
}
const pauseButton = (game) => game.page.evaluate(() => {
  const b = document.getElementById('pause');
  return b.hidden ? 'hidden' : b.textContent;
});

export async function optionsTests() {
  const game = await GamePage.fresh();
  const page = game.page;
  await test('an option set in the panel is kept across a reload, and the game draws with it', async () => {
    await game.loadToTitle(`${base}/short/`);
    const before = await crossHairSize(game);
    await page.click('#options');
    // Every field has its label; Tab stays inside the panel.
    const fields = await page.evaluate(() => Array.from(document.querySelectorAll('#panel select'))
      .map((s) => (document.querySelector(`label[for="${s.id}"]`) || {}).textContent || ''));
    check(fields.length === 10 && fields.every((t) => t.length > 3), `labels ${JSON.stringify(fields)}`);
    for (let i = 0; i < 14; i++) await page.keyboard.press('Tab');
    check(await page.evaluate(() => document.getElementById('panel').contains(document.activeElement)), 'Tab left the panel');
    await page.keyboard.press('Escape');
    await choose(game, 'crosshair_size', '200');
    await choose(game, 'crosshair_outline', 'yes');
    const ini = await iniOf(game);
    check(/^crosshair_size = 200$/m.test(ini) && /^crosshair_outline = yes$/m.test(ini), `vandrel.ini: ${ini}`);
    const now = await crossHairSize(game);
    await game.loadToTitle(`${base}/short/`, { reload: true });
    const reloaded = await crossHairSize(game);
    const shown = await page.evaluate(() => { vandrelPage.openOptions(); return document.getElementById('option-crosshair_size').value; });
    await page.keyboard.press('Escape');
    check(shown === '200', `the panel shows ${shown} after the reload`);
    // Twice the size is four times the pixels, and the outline adds more.
    check(now > 3 * before && reloaded > 3 * before, `cross-hair pixels ${before}, then ${now}, after the reload ${reloaded}`);
    return `cross-hair pixels ${before} at 100 %, ${reloaded} at 200 % with the outline after the reload`;
  });

  await test('a hidden page pauses the round; the pause button plays it on; not with pause_when_hidden = no', async () => {
    await game.loadToTitle(`${base}/`, { reload: false });
    check((await pauseButton(game)) === 'hidden', 'a pause button on the title');
    await game.startRound();
    check((await pauseButton(game)) === 'Pause (P)', `the pause button says "${await pauseButton(game)}"`);
    await game.move(320, 240);
    const paused = await outOfSight(game, 2500);
    const label = await pauseButton(game);
    check(paused < 10 && label !== 'Pause (P)', `after 2.5 s hidden the clock changed by ${paused} pixels, the button says "${label}"`);
    await page.click('#pause');
    await sleep(1500);
    await game.grab('playing');
    const playing = (await game.diff('shown', 'playing', 60, 0, 200, 44)).n;
    check(playing > 10 && (await pauseButton(game)) === 'Pause (P)', `the clock changed by ${playing} pixels after the button`);
    // The panel pauses the round while it is open; the button plays on.
    await choose(game, 'pause_when_hidden', 'no');
    check((await pauseButton(game)) !== 'Pause (P)', 'the round ran on behind the panel');
    await page.click('#pause');
    const runOn = await outOfSight(game, 1500);
    check(runOn > 10 && (await pauseButton(game)) === 'Pause (P)', `with pause_when_hidden = no: clock changed by ${runOn} pixels`);
    return `clock pixels changed: ${paused} over 2.5 s hidden, ${runOn} with the setting off`;
  });
  await game.context.close();

  const touchPlay = args.touch === 'yes';
  const left = await GamePage.fresh();
  await left.page.emulate({ viewport: phone, userAgent: androidAgent });
  await left.page.evaluateOnNewDocument(() => {
    Object.defineProperty(navigator, 'languages', { get: () => ['de-DE'] });
    window.vibrations = [];
    Object.defineProperty(navigator, 'vibrate', { value: (ms) => { vibrations.push(ms); return true; } });
  });
  await test('phone, left-handed: buttons left, help right, the bottom left reloads; upright pauses', async () => {
    const p = left.page;
    await left.loadToTitle(`${base}/`);
    await p.tap('#options');
    await p.select('#option-touch_layout', 'left');
    await p.tap('#close');
    const rect = (s) => p.evaluate((s) => document.querySelector(s).getBoundingClientRect().toJSON(), s);
    const canvas = await rect('#canvas'), buttons = await rect('#buttons'), help = await rect('#help');
    check(buttons.right <= canvas.left + 1 && help.left >= canvas.right - 1,
      `buttons ${JSON.stringify(buttons)}, help ${JSON.stringify(help)}, picture ${canvas.left}-${canvas.right}`);
    const helpText = await p.evaluate(() => document.getElementById('help').textContent);
    check(/unten links/.test(helpText), `help "${helpText}"`);
    await left.startRound((x, y) => left.tap(x, y));
    let note = '';
    if (touchPlay) {
      for (let i = 0; i < 10; i++) {
        await left.tap(320, 100);
        await sleep(120);
      }
      const empty = await left.cartridges();
      await left.tap(80, 450);
      await sleep(250);
      const after = await left.cartridges();
      const felt = await p.evaluate(() => window.vibrations);
      check(empty === 0 && after === 10, `${empty} cartridges, then ${after} after a tap at the bottom left`);
      check(felt.includes(35), `vibrations ${JSON.stringify(felt)}: none for the empty magazine`);
      note = `; vibrations ${JSON.stringify(felt)}`;
    }
    await p.screenshot({ path: path.join(out, 'phone-left.png') });
    await p.emulate({ viewport: upright, userAgent: androidAgent });
    await sleep(400);
    const label = await pauseButton(left);
    await p.emulate({ viewport: phone, userAgent: androidAgent });
    check(label === 'Weiter (P)', `upright, the pause button says "${label}"`);
    return `picture ${Math.round(canvas.left)}-${Math.round(canvas.right)}, buttons to ${Math.round(buttons.right)}${note}`;
  });
  await left.context.close();
}
