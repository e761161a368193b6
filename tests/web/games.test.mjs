// Finished games on the page: a game played to its end is listed among your games, Watch shows it
// again with the same text, a Share link replays it in a browser that keeps nothing of it, a link
// that is damaged or too large is refused in one line, and a record crosses between the terminal's
// game and the page's both ways, with the same text.

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtemp, readFile, readdir, rm } from 'node:fs/promises';
import { deflateRawSync } from 'node:zlib';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { GamePage, repository, seedGame, testSite } from '../../tools/web/browser.mjs';
import { servedInChromium } from './shared.mjs';

// The native game and its replay tool, which the web tests build beside the page.
const native = process.env.ZANDREL_NATIVE ?? join(repository, 'build/web-build/tests/web/native');
const pausePrompt = 'Press any key to continue . . . ';

let server;
let browser;
let scratch;
servedInChromium(testSite, (served, chromium) => ([server, browser] = [served, chromium]));
before(async () => {
  scratch = await mkdtemp(join(tmpdir(), 'zandrel-games-'));
});
after(async () => {
  await rm(scratch, { recursive: true, force: true });
});

// The replay's terminal, as the page's own rows are read, and what it waits for.
const replayed = (game) =>
  game.tab.evaluate(async () => {
    const { replayTerminal } = await import('./games.mjs');
    const buffer = replayTerminal.buffer.active;
    const rows = Array.from({ length: buffer.length }, (_, i) => buffer.getLine(i).translateToString(true).trimEnd());
    while (rows.at(-1) === '') {
      rows.pop();
    }
    return rows;
  });
const replayWaits = (game, mark) =>
  game.tab.waitForFunction((mark) => document.getElementById('replay')?.dataset[mark] !== undefined, { timeout: 30_000 }, mark);
const status = (game) => game.tab.$eval('#replay-status', (p) => p.textContent);

// Watches a replay to its end: the first pause goes on with e, which shows the rest at once.
async function watchToTheEnd(game) {
  await replayWaits(game, 'awaiting');
  await game.tab.keyboard.press('e');
  await replayWaits(game, 'ended');
  return replayed(game);
}

// A game's text as a replay on a pipe writes it: no pause prompts, no blank lines.
const text = (lines) =>
  lines
    .join('\n')
    .replaceAll(pausePrompt.trimEnd(), '')
    .split('\n')
    .map((line) => line.trimEnd())
    .filter((line) => line !== '');

// What a replay that `act` starts adds to the transcript, as text(): the game's text under the two
// lines that head the replay.
async function replayedText(game, act) {
  const before = await game.transcript();
  await act();
  await watchToTheEnd(game);
  const transcript = await game.transcript();
  assert.ok(transcript.startsWith(before), 'the game in play is left as it was');
  return text(transcript.slice(before.length).split('\n').slice(3));
}

// Plays a seed game to its end on the test page that keeps its games.
async function playKept(seed) {
  const { address, answers } = await seedGame(seed);
  const game = await GamePage.open(browser, `${server.url}${address}&keep`);
  await game.waitForGame();
  assert.deepEqual(await game.playToTheEnd(answers), []);
  await game.tab.waitForFunction(async () => (await import('./games.mjs')) && true);
  return game;
}

async function yourGames(game) {
  await game.tab.click('#show-games');
  await game.tab.waitForSelector('#your-games:not([hidden])');
  return game.tab.$eval('#your-games', (list) => ({
    games: Array.from(list.querySelectorAll('ol > li'), (li) => li.firstChild.textContent),
    classes: Array.from(list.querySelectorAll('ul > li'), (li) => li.textContent),
    said: list.querySelector('p:not(.columns)')?.textContent ?? '',
  }));
}

test('a finished game is listed, Watch shows it again with its text, and its link replays it in a fresh browser', async () => {
  const game = await playKept('priest_loses');
  const played = await game.transcript();
  assert.match(Object.keys(await game.kept()).join(' '), /^finished-0001 finished-games$/);

  const list = await yourGames(game);
  assert.equal(list.games.length, 1);
  assert.match(list.games[0], /^ +1 +\d{4}-\d\d-\d\d \d\d:\d\d +Priest +no /);
  assert.match(list.classes.join('\n'), /^Class +Games +Wins/);
  assert.match(list.classes.join('\n'), /\nPriest +1 +0 +-$/);

  // By keyboard: Tab reaches Watch, and Enter starts it.
  const again = await replayedText(game, async () => {
    await game.tab.focus('#your-games ol > li button');
    await game.tab.keyboard.press('Enter');
  });
  assert.deepEqual(again, text(played.split('\n')));
  const watched = await replayed(game);
  assert.match(watched[0], /^Game 1, begun \d{4}-\d\d-\d\d \d\d:\d\d, as it was played\.$/);
  await game.tab.keyboard.press('x');
  await game.tab.waitForSelector('#replay', { hidden: true });
  assert.equal(await game.tab.$eval('#terminal > .xterm', (shown) => shown.hidden), false);

  await game.tab.click('#your-games ol > li button:nth-of-type(2)');
  const link = await (await game.tab.waitForSelector('#your-games input')).evaluate((input) => input.value);
  assert.match(link, /#game=[\w-]+$/);
  assert.ok(link.length < 8192);

  const opened = await GamePage.open(browser, link);
  const shown = await watchToTheEnd(opened);
  assert.match(shown[0], /^The game in a shared link, begun /);
  assert.deepEqual(shown.slice(1), watched.slice(1));
  assert.deepEqual(Object.keys(await opened.kept()).filter((name) => name.startsWith('finished')), [], 'nothing of it kept');
  // q ends a replay at once, and Escape too, back to the game in play.
  await opened.tab.goto(link);
  await replayWaits(opened, 'awaiting');
  await opened.tab.keyboard.press('Escape');
  await opened.tab.waitForSelector('#replay', { hidden: true });
  assert.deepEqual([...game.problems, ...opened.problems], []);
  await opened.close();
  await game.close();
});

test('a damaged link, one too large, and one that holds no game are each refused in one line', async () => {
  const game = await GamePage.open(browser, server.url);
  let tries = 0;
  const refusal = async (fragment) => {
    await game.tab.goto(`${server.url}?try=${++tries}#game=${fragment}`);
    // Until the page has made its status line there is none: nothing is said yet.
    await game.tab.waitForFunction(() => (document.getElementById('replay-status')?.textContent ?? '') !== '');
    assert.equal(await game.tab.$eval('#replay', (box) => box.hidden), true);
    return status(game);
  };
  assert.equal(await refusal('%%%'), 'This link is damaged: the game in it cannot be read.');
  assert.equal(await refusal('AAAA'), 'This link is damaged: the game in it cannot be read.');
  const huge = deflateRawSync(Buffer.alloc(786_433, 'x')).toString('base64url');
  assert.ok(huge.length < 8192);
  assert.match(await refusal(huge), /^This link holds more than any game's record \(786432 bytes\), so it is refused\.$/);
  const notAGame = deflateRawSync(Buffer.from('zandrel record 9\n')).toString('base64url');
  assert.equal(await refusal(notAGame), 'The game in a shared link cannot be replayed: its record is of another format');
  await game.close();
});

test("the terminal's record plays on the page, and the page's in the terminal, with the same text", async () => {
  const nativeReplay = (file) =>
    text(
      execFileSync(join(native, 'zandrel'), ['--replay', file], { env: { XDG_STATE_HOME: scratch, HOME: scratch } })
        .toString()
        .split('\n'),
    );

  // The terminal's: a recorded game kept as a person plays it, opened on the page.
  const fromTerminal = join(scratch, 'knight.record');
  execFileSync(join(native, 'tools/fuzz/zandrel_fuzz_replay'), ['--keep', join(repository, 'tests/games/knight_meets_every_guardian.game'), fromTerminal]);
  const game = await GamePage.open(browser, server.url);
  await game.waitForGame();
  const input = await game.tab.$('input[type=file]');
  const shown = await replayedText(game, () => input.uploadFile(fromTerminal));
  assert.match((await replayed(game))[0], /^The game in knight\.record, begun /);
  assert.deepEqual(shown, nativeReplay(fromTerminal));
  await game.close();

  // The page's: a game kept on the page, downloaded, and replayed by the terminal's game.
  const played = await playKept('knight_wins');
  const downloads = join(scratch, 'downloads');
  const cdp = await played.tab.createCDPSession();
  await cdp.send('Page.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await yourGames(played);
  await played.tab.click('#your-games ol > li button:nth-of-type(3)');
  let names = [];
  while (!names.includes('zandrel-game-1.txt')) {
    await new Promise((resolve) => setTimeout(resolve, 100));
    names = await readdir(downloads).catch(() => []);
  }
  const record = join(downloads, 'zandrel-game-1.txt');
  assert.equal(await readFile(record, 'utf8'), (await played.kept())['finished-0001']);
  const watched = await replayedText(played, () => played.tab.click('#your-games ol > li button'));
  assert.deepEqual(nativeReplay(record), watched);
  await played.close();
});
