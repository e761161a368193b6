// The page keeps its game in the browser's local storage: a reload resumes the very screen, a
// second tab leaves the game to the first, New game sets the unfinished one aside, and a record
// that cannot be resumed is set aside for a new game.

import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { GamePage, launchChromium, serve, site } from '../../tools/web/browser.mjs';

let server;
let browser;
before(async () => {
  server = await serve(site);
  browser = await launchChromium(['--host-resolver-rules=MAP zandrel.test 127.0.0.1']);
});
after(async () => {
  await browser?.close();
  await server?.close();
});

const resumed = /^Resuming your game, started \d{4}-\d\d-\d\d \d\d:\d\d\.$/;
const notice = (game) => game.tab.$eval('#notice', (p) => p.textContent);
const kept = (game) =>
  game.tab.evaluate(() => Object.fromEntries(Object.keys(localStorage).map((key) => [key, localStorage.getItem(key)])));

// A Knight, then a key at each pause and a no to each question, until a die is shown and the game
// waits again.
async function playSomeTurns(game) {
  await game.waitForGame();
  await game.press('x');
  await game.answer('k');
  await game.answer('y');
  for (let waits = 0; waits < 8 || !(await game.screen()).some((row) => row.startsWith('You rolled a')); waits++) {
    if ((await game.awaiting()) === 'key') {
      await game.press('x');
    } else {
      await game.answer('n');
    }
  }
}

test('a reload resumes the very screen, and the game goes on', async () => {
  const game = await GamePage.open(browser, server.url);
  await playSomeTurns(game);
  const left = await game.screen();
  const waitsFor = await game.awaiting();
  assert.match((await kept(game))['zandrel/game'], /^zandrel record 1\nbegan \d+\n/);

  await game.tab.reload();
  await game.waitForGame();
  const screen = await game.screen();
  assert.match(screen[0], resumed);
  assert.deepEqual(screen.slice(1), left);
  assert.equal(await game.awaiting(), waitsFor);
  assert.match(await game.transcript(), /^Resuming your game/);
  await (waitsFor === 'key' ? game.press('x') : game.answer('n'));
  assert.notDeepEqual(await game.screen(), screen, 'the game goes on');
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('a second tab leaves the game to the first, and New game sets the unfinished one aside', async () => {
  for (const address of [server.url, server.url.replace('127.0.0.1', 'zandrel.test')]) {
    const first = await GamePage.open(browser, address);
    await playSomeTurns(first);
    const second = await GamePage.open(browser, address, undefined, first.context);
    await second.tab.waitForFunction(() => document.getElementById('notice').textContent !== '');
    assert.match(await notice(second), /^This game is being played in another tab of this browser; it goes on there/);
    assert.equal(await second.awaiting(), '');
    assert.equal(await second.tab.$eval('#new-game', (button) => button.disabled), true, 'nor may it start one');
    const record = (await kept(first))['zandrel/game'];
    await second.close();
    assert.equal((await kept(first))['zandrel/game'], record, 'the second tab left the record alone');

    first.tab.once('dialog', (dialog) => dialog.accept());
    await first.tab.click('#new-game');
    await first.waitForGame();
    assert.match((await first.screen()).join('\n'), /^\n\n\n {16}Welcome to Zandrel/);
    assert.match(await notice(first), /^Your unfinished game is set aside as game-set-aside-0001-\d{8}T\d{6}Z in this browser's storage\.$/);
    const names = Object.keys(await kept(first)).filter((key) => key.startsWith('zandrel/game-set-aside-'));
    assert.equal(names.length, 1);
    assert.equal((await kept(first))[names[0]], record);
    await first.close();
  }
});

test('a record that cannot be resumed is set aside, and the newest five are kept', async () => {
  const game = await GamePage.open(browser, server.url);
  await game.waitForGame();
  for (let damaged = 0; damaged < 7; damaged++) {
    await game.tab.evaluate((n) => localStorage.setItem('zandrel/game', `zandrel record 1\nbegan 5\nnot an event ${n}\n`), damaged);
    await game.tab.reload();
    await game.waitForGame();
    assert.match(await notice(game), /^Your unfinished game cannot be resumed \(its record is damaged\); it is set aside as game-set-aside-/);
    assert.match((await game.screen()).join('\n'), /Welcome to Zandrel/);
  }
  const setAside = Object.entries(await kept(game))
    .filter(([key]) => key.startsWith('zandrel/game-set-aside-'))
    .sort();
  assert.deepEqual(
    setAside.map(([, record]) => record.slice(-2, -1)),
    ['2', '3', '4', '5', '6'],
  );
  assert.deepEqual(game.problems, []);
  await game.close();

  // Where the browser keeps nothing for the page, the game says so once and plays on.
  const blocked = await GamePage.open(browser, 'about:blank');
  await blocked.tab.evaluateOnNewDocument(() =>
    Object.defineProperty(window, 'localStorage', {
      get() {
        throw new DOMException('storage is blocked', 'SecurityError');
      },
    }),
  );
  await blocked.tab.goto(server.url);
  await playSomeTurns(blocked);
  assert.equal(
    await notice(blocked),
    'This game is not kept, so it cannot be resumed (the browser keeps no storage for this page).',
  );
  await blocked.close();
});
