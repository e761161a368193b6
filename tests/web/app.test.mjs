// The page as an app: its game on disk before a draw is shown, whatever ends the browser; the
// page played with its server gone; a newer page taking over only as the page loads alone; and
// nothing missing for the browser to offer to install it.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { cp, mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { GamePage, heldSite, launchChromium, serve, site } from '../../tools/web/browser.mjs';
import { banner, resumed, servedInChromium } from './shared.mjs';

let server;
let browser;
servedInChromium(site, (served, chromium) => ([server, browser] = [served, chromium]), { plainHttp: true });

const dice = (text) => text.match(/rolled a \d on one die/g)?.length ?? 0;

async function moveUntil(game, done) {
  while (!(await done())) {
    await game.move();
  }
}

// The page started offline (or after a kill) is the screen it left, and the game goes on.
async function expectResumed(game, left) {
  const screen = await game.screen();
  assert.match(screen[0], resumed);
  assert.deepEqual(screen.slice(1), left);
  await game.move();
  assert.notDeepEqual(await game.screen(), screen, 'the game goes on');
}

// What the page itself tells of the dice: how many it has shown, through new games too, and the
// lines of the game's screen as the transcript holds them, the line of a resume aside.
function watchDice() {
  const log = document.getElementById('transcript');
  const count = (text) => text.match(/rolled a \d on one die/g)?.length ?? 0;
  let earlier = 0;
  new MutationObserver((changes) => {
    changes.forEach((change) => change.removedNodes.forEach((line) => (earlier += count(line.textContent))));
  }).observe(log, { childList: true });
  window.diceShown = () => earlier + count(log.textContent);
  window.screenShown = () => {
    const lines = [];
    for (const line of log.children) {
      if (line.tagName === 'HR') {
        lines.length = 0;
      } else if (!line.textContent.startsWith('Resuming your game')) {
        lines.push(line.textContent);
      }
    }
    return lines;
  };
}

test('a browser killed as a die appears resumes at that die, each of 20 times', async () => {
  const held = await serve(heldSite);
  const profile = await mkdtemp(join(tmpdir(), 'zandrel-killed-'));
  let chromium = null;
  try {
    let atKill = null;
    for (let kill = 0; kill <= 20; kill++) {
      chromium = await launchChromium([], profile);
      const game = await GamePage.open(chromium, held.url, undefined, chromium.defaultBrowserContext());
      await game.waitForGame();
      await game.tab.evaluate(watchDice);
      if (atKill) {
        assert.match((await game.screen())[0], resumed, `after kill ${kill}`);
        const shown = await game.tab.evaluate(() => window.screenShown());
        assert.deepEqual(shown.slice(0, atKill.length), atKill, `after kill ${kill}: the screen and the die seen as it was killed`);
        assert.deepEqual(game.problems, []);
      }
      if (kill === 20) {
        break;
      }
      // The moment the page has shown one die more, the browser is gone, and only what the page
      // kept before it showed the die is left. The page holds each change back a second before it
      // is made, so that a die shown before its change is on disk is found out here.
      const before = await game.tab.evaluate(() => window.diceShown());
      const killing = game.tab
        .waitForFunction((count) => window.diceShown() > count && window.screenShown(), { polling: 'mutation', timeout: 60_000 }, before)
        .then(async (screen) => {
          const seen = await screen.jsonValue();
          process.kill(-chromium.process().pid, 'SIGKILL');
          return seen;
        });
      let killed = false;
      const over = () => (killed = true);
      killing.then(over, over);
      while (!killed) {
        await game.move().catch(() => {});
      }
      atKill = await killing;
    }
  } finally {
    if (chromium?.connected) {
      await chromium.close();
    }
    await held.close();
    await rm(profile, { recursive: true, force: true });
  }
});

// The page's worker, once it has every file of the page.
const workerReady = (game) =>
  game.tab.evaluate(async () => {
    const worker = (await navigator.serviceWorker.ready).active;
    while (worker.state !== 'activated') {
      await new Promise((resolve) => worker.addEventListener('statechange', resolve, { once: true }));
    }
  });
const cacheNames = (game) => game.tab.evaluate(() => caches.keys());

test('after one visit the page starts, resumes its kept game and plays on with its server gone', async () => {
  const ours = await serve(site);
  const game = await GamePage.open(browser, 'about:blank');
  // How often the page asks the browser to keep its storage: once a game is kept, not at each move.
  await game.tab.evaluateOnNewDocument(() => {
    const ask = StorageManager.prototype.persist;
    window.askedToPersist = 0;
    StorageManager.prototype.persist = function () {
      window.askedToPersist++;
      return ask.call(this);
    };
  });
  await game.tab.goto(ours.url);
  await game.waitForGame();
  await workerReady(game);
  await moveUntil(game, async () => dice(await game.transcript()) > 0);
  assert.equal(await game.tab.evaluate(() => window.askedToPersist), 1);
  const left = await game.screen();
  await ours.close();

  await game.tab.reload();
  await game.waitForGame();
  await expectResumed(game, left);
  // A new game too: its game is made again from what the worker keeps.
  game.tab.on('dialog', (dialog) => dialog.accept());
  await game.tab.click('#new-game');
  await game.waitForGame();
  assert.match((await game.screen()).join('\n'), banner);
  assert.deepEqual(
    game.problems.filter((problem) => !/sw\.js|Failed to load resource/.test(problem)),
    [],
    'nothing the page needs is missing',
  );
  await game.close();
});

test('a newer page takes over as the page loads with no other tab of it open, never in the middle of a game', async () => {
  const folder = await mkdtemp(join(tmpdir(), 'zandrel-site-'));
  await cp(site, folder, { recursive: true });
  const ours = await serve(folder);
  try {
    const first = await GamePage.open(browser, ours.url);
    await first.waitForGame();
    await workerReady(first);
    const [older] = await cacheNames(first);
    const newer = older.replace(/ \S+ /, ' 9.9.9-newer ');
    await moveUntil(first, async () => dice(await first.transcript()) > 0);

    // A build that changed: a second tab, which waits for the game, finds its worker, which waits.
    const worker = join(folder, 'sw.js');
    await writeFile(worker, (await readFile(worker, 'utf8')).replace(/(cacheName = `zandrel )\S+/, '$19.9.9-newer'));
    const second = await GamePage.open(browser, ours.url, undefined, first.context);
    const newerWaits = () =>
      second.tab.evaluate(async () => {
        const registration = await navigator.serviceWorker.getRegistration();
        await registration.update();
        while (!registration.waiting) {
          await new Promise((resolve) => setTimeout(resolve, 50));
        }
      });
    await newerWaits();
    await first.tab.bringToFront();
    await first.move();
    assert.deepEqual((await cacheNames(first)).sort(), [older, newer].sort(), 'the game goes on with the files it began with');

    // Loaded while another tab of the page is open, the page stays as it was.
    await second.tab.bringToFront();
    await second.tab.reload();
    await second.tab.waitForFunction(() => document.getElementById('notice').textContent !== '');
    await newerWaits();

    // Loaded again alone, it is the newer page, and the older one's files are gone.
    await second.close();
    await first.tab.bringToFront();
    const left = await first.screen();
    await first.tab.reload();
    await first.waitForGame();
    await expectResumed(first, left);
    assert.deepEqual(await cacheNames(first), [newer]);
    assert.equal(await first.tab.evaluate(async () => (await navigator.serviceWorker.getRegistration()).waiting), null);
    assert.deepEqual(first.problems, []);
    await first.close();
  } finally {
    await ours.close();
    await rm(folder, { recursive: true, force: true });
  }
});

test('the browser finds nothing missing to install the page; on plain http the page plays and keeps its game, and says nothing of the rest', async () => {
  const tab = await browser.newPage(); // in the browser's default context, as installing needs
  await tab.goto(server.url);
  await tab.waitForFunction(() => document.getElementById('terminal').dataset.awaiting);
  const devtools = await tab.createCDPSession();
  const { installabilityErrors } = await devtools.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, []);
  await tab.close();

  const plain = await GamePage.open(browser, server.url.replace('127.0.0.1', 'zandrel.test'));
  await plain.waitForGame();
  assert.equal(await plain.tab.evaluate(() => isSecureContext || 'serviceWorker' in navigator), false);
  await moveUntil(plain, async () => dice(await plain.transcript()) > 0);
  const left = await plain.screen();
  assert.equal(await plain.notice(), '');
  await plain.tab.reload();
  await plain.waitForGame();
  await expectResumed(plain, left);
  assert.deepEqual(plain.problems, []);
  await plain.close();
});
