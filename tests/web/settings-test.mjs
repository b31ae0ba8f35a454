// The player's settings in the browser: the level keys and the speaker button
// beside "Vollbild" are written to /store/vandrel/vandrel.ini in IndexedDB at
// once, and a reload of the page starts muted at the level left.
import { GamePage, base, check, sleep, test } from './harness.mjs';

export async function settingsTests() {
  const game = await GamePage.fresh();
  const page = game.page;
  const url = `${base}/short/`;
  const settings = async () => {
    await game.waitForStore();
    const files = await page.evaluate(() => Module.storedFiles());
    return files['/store/vandrel/vandrel.ini'] || '';
  };

  await test('a level and the mute are kept across a reload', async () => {
    await game.loadToTitle(url);
    check(await page.evaluate(() => !document.getElementById('sound').hidden), 'no speaker button');
    // The speaker is drawn (no emoji font needed): waves with the sound on, a cross with it off.
    const speakerShows = () => page.evaluate(() => ['waves', 'cross']
      .filter((part) => getComputedStyle(document.querySelector(`#sound .${part}`)).display !== 'none').join());
    check((await speakerShows()) === 'waves', `the speaker with the sound on shows "${await speakerShows()}"`);
    // The keys go to the game's canvas, as after a click on the page.
    await page.bringToFront();
    await page.focus('#canvas');
    await page.keyboard.type('--');
    await page.click('#sound');
    await sleep(200);
    let text = await settings();
    check(/^master_volume = 80$/m.test(text) && /^mute = yes$/m.test(text), `the settings file holds: ${text}`);
    check(await page.evaluate(() => document.getElementById('sound').getAttribute('aria-pressed')) === 'true',
      'the speaker does not show the sound off');
    check((await speakerShows()) === 'cross', `the speaker with the sound off shows "${await speakerShows()}"`);

    await game.loadToTitle(url, { reload: true });
    await page.focus('#canvas');
    check(await page.evaluate(() => Module._vandrel_page_muted()) === 1, 'the reloaded game is not muted');
    check(await page.evaluate(() => document.getElementById('sound').getAttribute('aria-pressed')) === 'true',
      'the speaker after the reload does not show the sound off');
    // One step up from the level kept, which also brings the sound back.
    await page.keyboard.type('+');
    await sleep(200);
    text = await settings();
    check(/^master_volume = 90$/m.test(text) && /^mute = no$/m.test(text), `after the reload and +: ${text}`);
    return 'level 80 and mute kept, then 90 and sound on';
  });
  await game.context.close();

  // The page passes the sound keys on to the game, whichever key made the
  // character; the game's canvas must not take them as typed text as well.
  // The keys as a keyboard sends them: "-" of the main row and of the keypad,
  // "+" as Shift and the key beside it, M.
  const fresh = await GamePage.fresh();
  await test('one press of -, + or M changes the level one step or the mute once', async () => {
    const keys = fresh.page.keyboard;
    const presses = {
      '-': () => keys.press('Minus'),
      'keypad -': () => keys.press('NumpadSubtract'),
      '+': async () => {
        await keys.down('Shift');
        await keys.press('Equal');
        await keys.up('Shift');
      },
      m: () => keys.press('KeyM'),
    };
    const after = async (name) => {
      const saves = await fresh.saves();
      await presses[name]();
      // Time for a second change, were there one.
      await sleep(300);
      await fresh.waitForStore(saves);
      const text = (await fresh.page.evaluate(() => Module.storedFiles()))['/store/vandrel/vandrel.ini'] || '';
      const speaker = await fresh.page.evaluate(() => document.getElementById('sound').getAttribute('aria-pressed'));
      const mute = text.match(/^mute = (\w+)$/m)?.[1] || 'no';
      return `${name}: ${text.match(/^master_volume = (\d+)$/m)?.[1]} ${mute}${speaker === String(mute === 'yes') ? '' : ' (speaker shows otherwise)'}`;
    };
    await fresh.loadToTitle(url);
    await fresh.page.bringToFront();
    await fresh.page.focus('#canvas');
    const seen = [];
    for (const name of ['-', 'keypad -', '+', 'm', 'm']) seen.push(await after(name));
    check(seen.join(', ') === '-: 90 no, keypad -: 80 no, +: 90 no, m: 90 yes, m: 90 no', `from level 100, sound on: ${seen.join(', ')}`);
    return seen.join(', ');
  });
  await fresh.context.close();
}
