// A game recorded in the page (?record) replays with the desktop build: a
// short round with a hit and a name, to the end of the game, the recording
// taken from the page's download link and played back by `vandrel --replay`
// with the same data set, which must reach the same end.
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { GamePage, args, base, check, out, shortZip, sleep, test } from './harness.mjs';

export async function recordTests() {
  const nativeGame = args.native && path.resolve(args.native);
  await test('a game recorded in the page replays with the desktop build to the same end', async () => {
    check(nativeGame && fs.existsSync(nativeGame), 'no desktop build given (--native)');
    const game = await GamePage.fresh();
    const page = game.page;
    try {
      // A table any hit beats, stored before the recorded game starts.
      await game.loadToTitle(`${base}/short/`);
      await game.seedShortTable();
      await game.loadToTitle(`${base}/short/?record`);
      const help = await page.evaluate(() => document.getElementById('help').textContent);
      check(/recorded/.test(help), `the help line does not say that the game is recorded: "${help}"`);
      await game.startRound();
      const roundStart = Date.now();
      check(await game.shootFigures(25) > 0, 'no figure hit in the recorded round');
      await game.waitForTable(roundStart);
      await page.keyboard.type('Rec');
      await page.keyboard.press('Enter');
      await sleep(300);
      for (let i = 0; i < 3; i++) {
        await page.keyboard.press('Escape');
        await sleep(400);
      }
      await page.waitForFunction(() => document.body.dataset.state === 'ended' && !document.getElementById('recording').hidden,
        { timeout: 10000 });
      const link = await page.evaluate(async () => {
        const a = document.getElementById('recording');
        const bytes = new Uint8Array(await (await fetch(a.href)).arrayBuffer());
        let text = '';
        for (const b of bytes) text += String.fromCharCode(b);
        return { name: a.download, base64: btoa(text) };
      });
      check(/^vandrel-\d{8}-\d{4}\.vrec$/.test(link.name), `download named "${link.name}"`);
      const file = path.join(out, 'browser.vrec');
      fs.writeFileSync(file, Buffer.from(link.base64, 'base64'));
      const replay = await new Promise((resolve) => {
        execFile(nativeGame, ['--data', shortZip, '--replay', file], { timeout: 120000, env: { ...process.env, VANDREL_BACKEND: 'null' } },
          (error, stdout, stderr) => resolve({ code: error ? error.code : 0, text: `${stdout}${stderr}`.trim() }));
      });
      check(replay.code === 0, `the desktop replay ended with ${replay.code}: ${replay.text.slice(0, 400)}`);
      check(/\nRec, [1-9]/.test(replay.text), `the replayed table has no scoring row "Rec": ${replay.text.slice(-300)}`);
      return `${fs.statSync(file).size} bytes; ${replay.text.split('\n').find((l) => l.startsWith('replayed'))}`;
    } finally {
      await game.context.close();
    }
  });
}
