// Two tabs of the page opened together where the browser has no lock to share between them: a
// page served on plain HTTP from another machine's address (zandrel.test, mapped to this one).
// Whatever the moment the second tab opens, exactly one plays; the other writes nothing, keeps no
// key typed into it, and plays the kept game once the first is closed and it is reloaded.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { GamePage, site } from '../../tools/web/browser.mjs';
import { servedInChromium } from './shared.mjs';

let server;
let browser;
servedInChromium(site, (served, chromium) => ([server, browser] = [served, chromium]), { plainHttp: true });

const pairs = 50;

// Whether the tab plays (its game waits for the player) or waits for the other (says so).
function plays(game) {
  return game.tab
    .waitForFunction(
      () => document.getElementById('terminal').dataset.awaiting || document.getElementById('notice').textContent,
      { polling: 50, timeout: 30_000 }, // a tab behind another draws no frames
    )
    .then(() => game.awaiting())
    .then((awaiting) => awaiting !== '');
}

test(`${pairs} pairs of tabs on plain HTTP, the second opened 0 to 300 ms after the first: exactly one plays`, async () => {
  const address = server.url.replace('127.0.0.1', 'zandrel.test');
  const alone = await GamePage.open(browser, address);
  assert.equal(await alone.tab.evaluate(() => 'locks' in navigator), false, 'no lock on plain HTTP');
  await alone.close();
  for (let pair = 0; pair < pairs; pair++) {
    const context = await browser.createBrowserContext();
    const opening = GamePage.open(browser, address, undefined, context);
    await new Promise((resolve) => setTimeout(resolve, Math.floor(Math.random() * 300)));
    const tabs = await Promise.all([opening, GamePage.open(browser, address, undefined, context)]);
    const playing = await Promise.all(tabs.map(plays));
    assert.equal(playing.filter(Boolean).length, 1, `pair ${pair}: ${playing.filter(Boolean).length} tabs play`);
    const [player, waiter] = playing[0] ? tabs : [...tabs].reverse();
    assert.match(await waiter.notice(), /^This game is being played in another tab of this browser; it goes on there\./);

    await player.tab.bringToFront();
    await player.press('x');
    await player.answer('k');
    const left = await player.screen();
    const { game: record } = await player.kept();
    await waiter.tab.bringToFront();
    for (const key of ['w', 'Enter', 'y', 'Enter', 'x']) {
      await waiter.tab.keyboard.press(key);
    }
    assert.deepEqual(await waiter.screen(), [], `pair ${pair}: nothing shown in the waiting tab`);
    assert.equal((await player.kept()).game, record, `pair ${pair}: the waiting tab wrote nothing`);

    await player.tab.close();
    await waiter.tab.reload();
    await waiter.waitForGame();
    const screen = await waiter.screen();
    assert.match(screen[0], /^Resuming your game/, `pair ${pair}`);
    assert.deepEqual(screen.slice(1), left, `pair ${pair}: the game as the first tab left it`);
    assert.deepEqual([...player.problems, ...waiter.problems], [], `pair ${pair}`);
    await context.close();
  }
});
