// The page keeps its game in the browser's IndexedDB: a reload resumes the very screen, a second
// tab leaves the game to the first and keeps none of the keys typed into it, New game sets the
// unfinished one aside, a record that cannot be resumed is set aside for a new game, and storage
// that fails never brings back a screen older than the one the player saw.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { GamePage, seedGame, site } from '../../tools/web/browser.mjs';
import { banner, resumed, servedInChromium } from './shared.mjs';

let server;
let browser;
servedInChromium(site, (served, chromium) => ([server, browser] = [served, chromium]), { plainHttp: true });

const header = /^zandrel record 2\nbegan \d+\nrules 1\n/;
const setAsideNames = (records) => Object.keys(records).filter((name) => name.startsWith('game-set-aside-'));

// A Knight, then a key at each pause and a no to each question, until a die is shown and the game
// waits again.
async function playSomeTurns(game) {
  await game.waitForGame();
  await game.press('x');
  await game.answer('k');
  await game.answer('y');
  await playOn(game, 8);
  while (!(await game.screen()).some((row) => row.startsWith('You rolled a'))) {
    await playOn(game, 1);
  }
}

async function playOn(game, waits) {
  for (let i = 0; i < waits && !(await game.ended()); i++) {
    await ((await game.awaiting()) === 'key' ? game.press('x') : game.answer('n'));
  }
}

async function reloaded(game) {
  await game.tab.reload();
  await game.waitForGame();
  return game.screen();
}

test('a reload resumes the very screen, says so under the terminal too, and the game goes on', async () => {
  const game = await GamePage.open(browser, server.url);
  await playSomeTurns(game);
  const left = await game.screen();
  const waitsFor = await game.awaiting();
  assert.match((await game.kept()).game, header);

  const screen = await reloaded(game);
  assert.match(screen[0], resumed);
  assert.deepEqual(screen.slice(1), left);
  assert.equal(await game.notice(), screen[0], 'said where a long screen cannot scroll it away');
  assert.equal(await game.awaiting(), waitsFor);
  assert.match(await game.transcript(), /^Resuming your game/);
  await (waitsFor === 'key' ? game.press('x') : game.answer('n'));
  assert.notDeepEqual(await game.screen(), screen, 'the game goes on');
  assert.deepEqual(game.problems, []);
  await game.close();
});

// With the browser's lock, as at 127.0.0.1, a secure page; on plain HTTP, where there is none, the
// tabs' own claim does the same (tabs.test.mjs).
test('a second tab leaves the game to the first, keeps no key typed into it, and plays it once the first is gone', async () => {
  const first = await GamePage.open(browser, server.url);
  await playSomeTurns(first);
  const left = await first.screen();
  const record = (await first.kept()).game;
  const second = await GamePage.open(browser, server.url, undefined, first.context);
  await second.tab.waitForFunction(() => document.getElementById('notice').textContent !== '');
  assert.match(await second.notice(), /^This game is being played in another tab of this browser; it goes on there/);
  assert.equal(await second.awaiting(), '');
  assert.equal(await second.tab.$eval('#new-game', (button) => button.disabled), true, 'nor may it start one');
  for (const key of ['k', 'Enter', 'y', 'Enter', 'n', 'Enter', 'x']) {
    await second.tab.keyboard.press(key);
  }
  // Long enough for the browser to warn of anything loaded in vain.
  await new Promise((resolve) => setTimeout(resolve, 3500));
  assert.equal((await first.kept()).game, record, 'the second tab left the record alone');
  assert.deepEqual(second.problems, [], 'nor did it load the game');

  await first.tab.close(); // the tab alone: the second shares its browser context, and takes the lock
  await second.waitForGame();
  const screen = await second.screen();
  assert.match(screen[0], resumed);
  assert.deepEqual(screen.slice(1), left, 'none of the keys typed while it waited answered the game');
  assert.equal((await second.kept()).game, record);
  await second.close();
  await first.context.close();
});

test('New game: cancelled, the keys go on to the game; accepted, even while a game is resumed, it clears the screen and sets that game aside', async () => {
  const game = await GamePage.open(browser, server.url);
  await game.waitForGame();
  await game.press('x');
  let asked = 0;
  game.tab.on('dialog', (dialog) => {
    asked++;
    return dialog.dismiss();
  });
  await game.tab.click('#new-game');
  assert.equal(asked, 1);
  assert.match(await game.tab.evaluate(() => document.activeElement.className), /xterm-helper-textarea/);
  await game.answer('k');
  assert.equal(asked, 1, 'the Enter answered the game, and asked nothing');
  assert.equal((await game.screen()).at(-3), 'Are you sure you want to be Knight?');
  await game.answer('y');
  const record = (await game.kept()).game;

  // The game is fetched slowly; New game is pressed before the kept one is on the screen.
  game.tab.removeAllListeners('dialog');
  game.tab.on('dialog', (dialog) => dialog.accept());
  await game.tab.setRequestInterception(true);
  let release;
  const released = new Promise((resolve) => (release = resolve));
  game.tab.on('request', async (request) => {
    if (request.url().endsWith('.wasm')) {
      await released;
    }
    await request.continue();
  });
  await game.tab.reload();
  await game.tab.waitForFunction(() => !document.getElementById('new-game').disabled);
  await game.tab.click('#new-game');
  release();
  await game.waitForGame();
  await game.tab.setRequestInterception(false);
  await new Promise((resolve) => setTimeout(resolve, 500)); // time for the game left behind to show itself, if it could
  assert.match((await game.screen()).join('\n'), banner);
  assert.doesNotMatch(await game.transcript(), /Resuming/);
  assert.match(await game.tab.evaluate(() => document.activeElement.className), /xterm-helper-textarea/);
  assert.match(await game.notice(), /^Your unfinished game is set aside as game-set-aside-0001-\d{8}T\d{6}Z in this browser's storage\.$/);
  const records = await game.kept();
  assert.deepEqual(
    setAsideNames(records).map((name) => records[name]),
    [record],
  );
  assert.equal(records.game, undefined, 'nothing kept of the new game before its first key');
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('a record that cannot be resumed is set aside, and the newest five are kept', async () => {
  const game = await GamePage.open(browser, server.url);
  await game.waitForGame();
  for (let damaged = 0; damaged < 7; damaged++) {
    await game.kept('game', `zandrel record 1\nbegan 5\nnot an event ${damaged}\n`);
    await reloaded(game);
    assert.match(await game.notice(), /^Your unfinished game cannot be resumed \(its record is damaged\); it is set aside as game-set-aside-/);
    assert.match((await game.screen()).join('\n'), banner);
  }
  const records = await game.kept();
  assert.deepEqual(
    setAsideNames(records)
      .sort()
      .map((name) => records[name].slice(-2, -1)),
    ['2', '3', '4', '5', '6'],
  );

  // A record of nothing but pauses, as long as a record may be: within the page's memory, it is
  // set aside, as it fits no game.
  const pauses = 'zandrel record 1\nbegan 5\n';
  await game.kept('game', pauses + 'p\n'.repeat((786_432 - pauses.length) / 2));
  await reloaded(game);
  assert.match(await game.notice(), /^Your unfinished game cannot be resumed \(its record no longer fits the game\); it is set aside/);
  assert.match((await game.screen()).join('\n'), banner);
  assert.deepEqual(game.problems, []);
  await game.close();

  // Where the browser keeps nothing for the page, the game says so once and plays on.
  const blocked = await GamePage.open(browser, 'about:blank');
  await blocked.tab.evaluateOnNewDocument(() =>
    Object.defineProperty(window, 'indexedDB', {
      get() {
        throw new DOMException('storage is blocked', 'SecurityError');
      },
    }),
  );
  await blocked.tab.goto(server.url);
  await playSomeTurns(blocked);
  assert.equal(await blocked.notice(), 'This game is not kept, so it cannot be resumed (the browser keeps no storage for this page).');
  await blocked.close();
});

test('an answer longer than a line comes back whole after a reload, its characters too', async () => {
  const game = await GamePage.open(browser, server.url);
  await game.waitForGame();
  await game.press('x');
  const long = `k${'é'.repeat(50)}${'日本語'.repeat(10)}`;
  await game.answer(long);
  const left = await game.screen();
  assert.ok(left.join('').includes(long));
  const screen = await reloaded(game);
  assert.deepEqual(screen.slice(1), left);
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('the game a page of 2.1.0 kept in local storage is taken over once, and resumed', async () => {
  const before = await GamePage.open(browser, server.url);
  await playSomeTurns(before);
  const left = await before.screen();
  const { game: record } = await before.kept();
  await before.close();

  const upgraded = await GamePage.open(browser, `${server.url}LICENSE.txt`);
  const old = { 'zandrel/game': record, 'zandrel/game-set-aside-20261206T140300Z-01': 'zandrel record 1\nbegan 7\np\n' };
  await upgraded.tab.evaluate((old) => Object.entries(old).forEach(([key, text]) => localStorage.setItem(key, text)), old);
  await upgraded.tab.goto(server.url);
  await upgraded.waitForGame();
  const screen = await upgraded.screen();
  assert.match(screen[0], resumed);
  assert.deepEqual(screen.slice(1), left);
  assert.deepEqual(await upgraded.tab.evaluate(() => Object.keys(localStorage)), [], 'gone from local storage');
  const records = await upgraded.kept();
  assert.equal(records.game, record);
  assert.equal(records['game-set-aside-20261206T140300Z-01'], old['zandrel/game-set-aside-20261206T140300Z-01']);

  // Once only: a record left in local storage again is not taken over, nor is it removed.
  await upgraded.tab.evaluate(() => localStorage.setItem('zandrel/game', 'zandrel record 1\nbegan 9\n'));
  await upgraded.tab.evaluate(
    () =>
      new Promise((resolve) => {
        const opening = indexedDB.open('zandrel', 1);
        opening.onsuccess = () => {
          const t = opening.result.transaction('records', 'readwrite');
          t.objectStore('records').delete('game');
          t.oncomplete = () => resolve(opening.result.close());
        };
      }),
  );
  assert.match((await reloaded(upgraded)).join('\n'), banner);
  assert.deepEqual(await upgraded.tab.evaluate(() => Object.keys(localStorage)), ['zandrel/game']);
  assert.deepEqual(
    upgraded.problems.filter((problem) => !/favicon|Failed to load resource/.test(problem)),
    [],
    'but for the icon the licence has not',
  );
  await upgraded.close();
});

test('storage that fails in the middle of a game never brings back an older screen', async () => {
  // The page's writes fail as the test says: once; from then on; or wherever they need new room,
  // so that only the first line of the record can be written over.
  for (const failing of ['once', 'from then on', 'without new room']) {
    const game = await GamePage.open(browser, 'about:blank');
    await game.tab.evaluateOnNewDocument(() => {
      const put = IDBObjectStore.prototype.put;
      let longest = 0;
      IDBObjectStore.prototype.put = function (value, key) {
        const room = key === 'game' && typeof value === 'string' && value.length <= longest;
        if (window.failing && !(window.failing === 'without new room' && room)) {
          window.failing = window.failing === 'once' ? undefined : window.failing;
          throw new DOMException('no room left', 'QuotaExceededError');
        }
        longest = key === 'game' ? Math.max(longest, value.length) : longest;
        return put.call(this, value, key);
      };
    });
    await game.tab.goto(server.url);
    await playSomeTurns(game);
    const seen = await game.screen();
    await game.tab.evaluate((failing) => (window.failing = failing), failing);
    await playOn(game, 1);
    const told = await game.notice();
    if (failing === 'from then on') {
      assert.equal(
        told,
        "This game can no longer be kept (the browser's storage is full), nor its record stopped from being resumed (the browser's storage is full), so it ends here.",
      );
      assert.equal(await game.ended(), true);
      assert.deepEqual((await game.screen()).slice(0, seen.length - 1), seen.slice(0, -1), 'nothing more shown');
    } else {
      assert.match(told, /^This game can no longer be kept, so it cannot be resumed \(the browser's storage is full\)/);
      await playOn(game, 4);
      assert.equal(await game.notice(), told, 'said once');
    }
    const screen = await reloaded(game);
    if (failing === 'from then on') {
      assert.deepEqual(screen.slice(1), seen, 'the screen the player saw last, and no older one');
    } else {
      assert.match(screen.join('\n'), banner);
      assert.equal((await game.kept()).game, undefined);
    }
    assert.deepEqual(game.problems, []);
    await game.close();
  }
});

test('a tab whose claim another has taken stops where it stands', async () => {
  const game = await GamePage.open(browser, server.url);
  await playSomeTurns(game);
  const { game: record } = await game.kept();
  await game.tab.evaluate(
    () =>
      new Promise((resolve) => {
        const opening = indexedDB.open('zandrel', 1);
        opening.onsuccess = () => {
          const t = opening.result.transaction('tabs', 'readwrite');
          t.objectStore('tabs').put({ tab: 'another', at: Date.now() }, 'claim');
          t.oncomplete = () => resolve(opening.result.close());
        };
      }),
  );
  const screen = await game.screen();
  await game.tab.keyboard.press('x');
  await game.tab.keyboard.type('n\n');
  await game.tab.waitForFunction(() => document.getElementById('notice').textContent.includes('another tab'));
  assert.equal(await game.notice(), 'This game goes on in another tab of this browser. Reload this tab to play here.');
  assert.equal((await game.kept()).game, record);
  assert.deepEqual((await game.screen()).slice(0, screen.length - 1), screen.slice(0, -1));
  await game.close();
});

test('the page we ship takes no script for its chance: it keeps its game, and one tab plays', async () => {
  const { address } = await seedGame('knight_wins');
  const first = await GamePage.open(browser, server.url + address);
  await playSomeTurns(first);
  assert.match((await first.kept()).game, header);
  const second = await GamePage.open(browser, server.url + address, undefined, first.context);
  await second.tab.waitForFunction(() => document.getElementById('notice').textContent !== '');
  assert.match(await second.notice(), /^This game is being played in another tab/);
  await second.close();
  await first.close();
});
