// A round as a link: the share button after a short round yields this page's
// address with the round in its fragment; that link, opened in a profile of
// its own, replays the round to the score and the last frame's hash that the
// desktop build's replay of the same kept recording reaches. A link whose
// score was raised says the score is not true; a cut or altered link and a
// link for another data set are refused with the reason, never replayed.
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { GamePage, args, base, browser, check, out, shortZip, sleep, test } from './harness.mjs';

const toBase64Url = (bytes) => Buffer.from(bytes).toString('base64').replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
const linkOf = (page, recording) => `${page}#round=${toBase64Url(zlib.deflateSync(Buffer.from(recording, 'latin1')))}`;

// Opens a link in a fresh profile and waits until the page has replayed it
// or refused it; returns what the page says (page.replay).
async function openLink(link, timeout = 60000) {
  const game = await GamePage.fresh();
  try {
    await game.page.goto(link, { waitUntil: 'load' });
    await game.page.waitForFunction(() => window.vandrelPage.replay &&
      (window.vandrelPage.replay.ended || window.vandrelPage.replay.refused), { timeout, polling: 200 });
    const replay = await game.page.evaluate(() => ({
      ...window.vandrelPage.replay,
      banner: document.getElementById('replaytext').textContent,
      playSelf: [...document.querySelectorAll('.playself')].some((b) => b.offsetParent !== null),
    }));
    check(!game.problems.some((p) => /page error/.test(p)), `page errors: ${game.problems.join('; ')}`);
    return replay;
  } finally {
    await game.context.close();
  }
}

function nativeReplay(file) {
  return new Promise((resolve) => {
    execFile(path.resolve(args.native), ['--data', shortZip, '--replay', file],
      { timeout: 120000, env: { ...process.env, VANDREL_BACKEND: 'null' } },
      (error, stdout, stderr) => resolve({ code: error ? error.code : 0, text: `${stdout}${stderr}` }));
  });
}

export async function shareTests() {
  let shared = null; // { link, recording }
  await test('a short round kept in the page: its share button yields a link that replays it', async () => {
    check(args.native && fs.existsSync(args.native), 'no desktop build given (--native)');
    const game = await GamePage.fresh();
    try {
      await game.context.overridePermissions(base, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
      await game.shortRoundToTable();
      const page = game.page;
      await page.waitForFunction(() => !document.getElementById('share').hidden, { timeout: 5000 });
      await page.click('#share');
      await page.waitForFunction(() => /Link (copied|kopiert)/.test(document.getElementById('share').textContent),
        { timeout: 5000 });
      const link = await page.evaluate(() => navigator.clipboard.readText());
      check(link.startsWith(`${base}/short/#round=`), `the copied link is "${link.slice(0, 80)}"`);
      const files = await page.evaluate(() => Module.storedFiles());
      const kept = Object.keys(files).filter((f) => /\/rounds\/round-.*\.vrec$/.test(f));
      check(kept.length === 1, `kept rounds in the store: ${Object.keys(files).join(', ')}`);
      shared = { link, recording: files[kept[0]] };
    } finally {
      await game.context.close();
    }
    const file = path.join(out, 'shared.vrec');
    fs.writeFileSync(file, shared.recording, 'latin1');
    const native = await nativeReplay(file);
    check(native.code === 0, `the desktop replay of the kept round ended with ${native.code}: ${native.text.slice(-400)}`);
    const end = native.text.match(/\nend: exit \d+, tick \d+, state (\d+), score (\d+), pending (\d+), frame ([0-9a-f]{16})/);
    check(end, `no end line in the desktop replay: ${native.text.slice(-300)}`);
    const nativeScore = Number(end[3]) || Number(end[2]);
    check(nativeScore > 0, `the desktop replay reached ${nativeScore} points`);

    const replay = await openLink(shared.link);
    check(!replay.refused, `the page refused its own link: ${replay.refused}`);
    check(replay.same, `the page's replay diverged: ${replay.report}`);
    check(replay.reached === nativeScore && replay.claimed === nativeScore,
      `the page reached ${replay.reached} (claimed ${replay.claimed}), the desktop ${nativeScore}`);
    check(replay.frameHash === end[4], `last frame ${replay.frameHash} in the page, ${end[4]} on the desktop`);
    check(new RegExp(`(Replay|Wiedergabe): Kurze Runde, ${nativeScore} (points|Punkte)`).test(replay.banner),
      `banner "${replay.banner}"`);
    check(replay.playSelf, 'no "play yourself" button during the replay');
    shared.claimed = replay.claimed;
    return `${shared.link.length} characters for a ${shared.recording.length}-byte round; ${nativeScore} points, ` +
      `${replay.turns} turns, last frame ${replay.frameHash}`;
  });

  await test('a link with a raised score replays to the true one and says the claim is false', async () => {
    check(shared, 'no shared round (the test before failed)');
    // The high-score screen's checkpoint carries the round's score: raised by 1000.
    const lines = shared.recording.split('\n');
    let at = -1;
    lines.forEach((l, i) => { if (/^c \d+ 4 /.test(l)) at = i; });
    check(at >= 0, 'no checkpoint on the high-score screen in the kept round');
    const f = lines[at].split(' ');
    const truth = Number(f[4]) || Number(f[3]);
    f[4] = String(truth + 1000);
    lines[at] = f.join(' ');
    const replay = await openLink(linkOf(`${base}/short/`, lines.join('\n')));
    check(replay.claimed === truth + 1000 && replay.reached === truth,
      `claimed ${replay.claimed}, reached ${replay.reached}, true ${truth}`);
    check(!replay.same && /(not true|stimmen nicht)/.test(replay.verdict), `verdict "${replay.verdict}"`);
  });

  await test('a recording dropped onto the page replays as its link does', async () => {
    check(shared, 'no shared round (the test before failed)');
    const game = await GamePage.fresh();
    try {
      await game.loadToTitle(`${base}/short/`);
      await game.page.evaluate((text) => {
        const data = new DataTransfer();
        data.items.add(new File([text], 'round.vrec'));
        document.dispatchEvent(new DragEvent('drop', { dataTransfer: data, cancelable: true }));
      }, shared.recording);
      await game.page.waitForFunction(() => window.vandrelPage && window.vandrelPage.replay, { timeout: 30000, polling: 200 });
      const seen = await game.page.evaluate(() => ({ hash: location.hash.slice(0, 7), ...window.vandrelPage.replay }));
      check(seen.hash === '#round=' && !seen.refused && seen.claimed === shared.claimed,
        `after the drop: ${JSON.stringify(seen)} (the round claims ${shared.claimed})`);
    } finally {
      await game.context.close();
    }
  });

  await test('cut, altered, enormous and foreign links are refused with their reason', async () => {
    check(shared, 'no shared round (the test before failed)');
    const payload = shared.link.slice(shared.link.indexOf('#round=') + 7);
    const cut = await openLink(`${base}/short/#round=${payload.slice(0, Math.floor(payload.length / 2))}`);
    check(/cut short|changed/.test(cut.refused || ''), `a cut link: ${JSON.stringify(cut)}`);
    const mid = payload.length >> 1;
    const flipped = payload.slice(0, mid) + (payload[mid] === 'A' ? 'B' : 'A') + payload.slice(mid + 1);
    const altered = await openLink(`${base}/short/#round=${flipped}`);
    check(/changed|damaged/.test(altered.refused || ''), `an altered link: ${JSON.stringify(altered)}`);
    const huge = await openLink(linkOf(`${base}/short/`, `vandrel-replay 1\n${'# x\n'.repeat(400000)}`));
    check(/larger than/.test(huge.refused || ''), `an enormous round: ${JSON.stringify(huge)}`);
    const version = await openLink(linkOf(`${base}/short/`, shared.recording.replace('vandrel-replay 1', 'vandrel-replay 2')));
    check(/another version/.test(version.refused || ''), `another version: ${JSON.stringify(version)}`);
    // The short round's link on the page with the full data set.
    const other = await openLink(`${base}/#round=${payload}`);
    check(/(needs the gallery|braucht die Galerie) .Kurze Runde/.test(other.refused || ''),
      `a link of another data set: ${JSON.stringify(other)}`);
  });
}
