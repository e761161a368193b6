// Measures the web page as built by `cmake --workflow --preset web`, in headless Chromium from a
// local server, and reports against its budgets:
// - everything the first load fetches, the worker's share too, gzip-compressed: each file and
//   the total (at most 400 KB);
// - from navigation to the banner on screen (at most 1 s): the median of a few loads;
// - from a key press to the next screen shown: the median over whole games of the test page (its
//   seed games, so that every run plays the same games, and nothing kept), and over a game of the
//   page we ship, whose every move waits for its write (at most 50 ms); and the writes' own times;
// - from navigation to the resumed screen of a game of 300 moves, with the server and without it;
// - the characters of a Share link for a typical game and for one of 3000 turns (records that the
//   native replay tool writes, as the web tests build it), and from opening such a link to the
//   replay's first screen.
// Run it with `node tools/web/benchmark.mjs`; it exits with 1 when a budget is exceeded.

import { execFileSync } from 'node:child_process';
import { mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { GamePage, launchChromium, repository, seedGame, serve, site, testSite } from './browser.mjs';

const sizeBudget = 400 * 1024;
const loadBudget = 1000;
const loads = 5;
const keyBudget = 50;
const keptMoves = 80;
const longGame = 300;
const longGameClock = Date.UTC(2026, 11, 6, 14, 3, 1);
const seedGames = ['knight_wins', 'priest_loses'];

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 === 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// The files the first load of the page fetches, and its worker with it, each gzipped as a server
// would send it; a file fetched twice (the worker fetches again what the page did, to keep this
// build's) counts once, and `sent` is all that this server, which answers no revalidation,
// sent.
async function loadedSizes(browser) {
  const server = await serve(site);
  const context = await browser.createBrowserContext();
  const tab = await context.newPage();
  await tab.goto(server.url);
  await tab.waitForFunction(() => document.getElementById('terminal').dataset.awaiting);
  // Until the worker has kept every file, on a page that has one.
  await tab.evaluate(() => document.querySelector('link[rel="manifest"]') && navigator.serviceWorker.ready);
  const names = server.served.map((path) => path.slice(1) || 'index.html');
  const gzipped = async (name) => gzipSync(await readFile(join(site, name)), { level: 9 }).length;
  const sizes = [];
  for (const name of new Set(names)) {
    sizes.push({ name, gzipped: await gzipped(name) });
  }
  let sent = 0;
  for (const name of names) {
    sent += await gzipped(name);
  }
  await context.close();
  await server.close();
  return { sizes: sizes.sort((a, b) => b.gzipped - a.gzipped), sent };
}

// Milliseconds from the start of navigation until the banner is drawn on the screen: the page's
// rows are watched from before its first script runs.
async function timeToBanner(browser, url) {
  const tab = await browser.newPage();
  await tab.evaluateOnNewDocument(() => {
    window.bannerShown = new Promise((resolve) => {
      const watch = new MutationObserver(() => {
        if (document.querySelector('.xterm-rows')?.textContent.includes('Welcome to Zandrel')) {
          watch.disconnect();
          resolve(performance.now());
        }
      });
      watch.observe(document, { childList: true, subtree: true, characterData: true });
    });
  });
  await tab.goto(url);
  const elapsed = await tab.evaluate(() => window.bannerShown);
  await tab.close();
  return elapsed;
}

// Each change to the kept game, timed from its opening to its commit.
function timeWrites() {
  window.writeTimes = [];
  const open = IDBDatabase.prototype.transaction;
  IDBDatabase.prototype.transaction = function (...args) {
    const t = open.apply(this, args);
    const began = performance.now();
    if (t.mode === 'readwrite') {
      t.addEventListener('complete', () => window.writeTimes.push(performance.now() - began));
    }
    return t;
  };
}

// Plays a game with `play`, and times each key press to the frame that shows the game's next
// wait (or its end); and each write, where the page keeps its game.
async function keyToScreenTimes(browser, url, play) {
  const game = await GamePage.open(browser, 'about:blank');
  await game.tab.evaluateOnNewDocument(timeWrites);
  await game.tab.goto(url);
  await game.waitForGame();
  await game.tab.evaluate(() => {
    window.keyToScreen = [];
    let pressed = null;
    window.addEventListener('keydown', () => (pressed = performance.now()), true);
    const shown = () =>
      requestAnimationFrame(() => {
        if (pressed !== null) {
          window.keyToScreen.push(performance.now() - pressed);
          pressed = null;
        }
      });
    new MutationObserver(shown).observe(document.getElementById('terminal'), {
      attributeFilter: ['data-waits', 'data-ended'],
    });
  });
  await play(game); // of each answer, only Enter is timed: it alone shows a new screen
  const times = await game.tab.evaluate(() => ({ keys: window.keyToScreen, writes: window.writeTimes }));
  await game.close();
  return times;
}

async function playMoves(game, moves) {
  for (let i = 0; i < moves; i++) {
    await game.move();
  }
}

// Milliseconds from the start of navigation to the resumed screen, whole, waiting for the player.
function watchResumed() {
  window.resumedShown = new Promise((resolve) => {
    const watch = new MutationObserver(() => {
      const box = document.getElementById('terminal');
      if (box?.dataset.awaiting && document.getElementById('transcript').textContent.startsWith('Resuming')) {
        watch.disconnect();
        resolve(performance.now());
      }
    });
    watch.observe(document, { attributes: true, childList: true, subtree: true });
  });
}

async function timeToResumed(game) {
  const times = [];
  for (let i = 0; i < loads; i++) {
    await game.tab.reload();
    times.push(await game.tab.evaluate(() => window.resumedShown));
  }
  return times;
}

const summary = (times) => `median ${median(times).toFixed(0)} ms of ${times.length} loads (${times.map((t) => t.toFixed(0)).join(', ')})`;

// A game kept after 300 moves, resumed from navigation on: with its server, then without. The
// page's clock stands still at a moment whose game a Knight survives that long, played as
// GamePage.move plays: every run plays the same game.
async function resumeTimes(browser) {
  const server = await serve(site);
  const game = await GamePage.open(browser, 'about:blank');
  await game.tab.evaluateOnNewDocument((clock) => (Date.now = () => clock), longGameClock);
  await game.tab.goto(server.url);
  await game.waitForGame();
  await playMoves(game, longGame);
  await game.tab.evaluateOnNewDocument(watchResumed);
  const rows = (await game.screen()).length;
  const record = (await game.kept()).game ?? '';
  console.log(
    `Navigation to the resumed screen of a game of ${longGame} moves ` +
      `(a record of ${record.length} bytes, ${rows} rows on its screen):`,
  );
  console.log(`  with the server:    ${summary(await timeToResumed(game))}`);
  const offline = await game.tab.evaluate(() => Boolean(navigator.serviceWorker?.controller));
  await server.close();
  console.log(`  without the server: ${offline ? summary(await timeToResumed(game)) : 'not at all: the page has no worker'}`);
  await game.close();
}

// The record a game script leaves when played at a terminal, and its turns.
async function recordOf(script) {
  const folder = await mkdtemp(join(tmpdir(), 'zandrel-link-'));
  try {
    const file = join(folder, 'record');
    const tool = join(repository, 'build/web-build/tests/web/native/tools/fuzz/zandrel_fuzz_replay');
    execFileSync(tool, ['--keep', script, file]);
    const record = await readFile(file, 'utf8');
    // The turns played, from the line that ends a finished game's record.
    return { record, turns: /^ended \d+ (?:won|lost) \S+ \d+ \d+ \d+ \d+ (\d+)/m.exec(record)?.[1] ?? 'unfinished, its' };
  } finally {
    await rm(folder, { recursive: true, force: true });
  }
}

// A game of many turns: the answers of a Knight who never buys or fights where asked, and dice that
// keep him moving about the board.
async function longScript(turns) {
  const answers = ['k', 'y', ...Array(turns * 2).fill('n')].join('\n');
  const draws = Array.from({ length: turns * 6 }, (_, i) => [3, 1, 4, 1, 5, 2][i % 6]);
  const file = join(await mkdtemp(join(tmpdir(), 'zandrel-long-')), 'script');
  await writeFile(file, Buffer.concat([Buffer.from(`${answers}\n`), Buffer.from([0, ...draws])]));
  return file;
}

// The Share link of a record as the page makes it, and the time from opening it to the replay's first
// screen.
async function sharedLink(browser, url, record) {
  const tab = await browser.newPage();
  await tab.goto(url);
  const link = await tab.evaluate(async (record) => (await import('./games.mjs')).linkTo(record), record);
  await tab.close();
  const opened = await browser.newPage();
  const start = Date.now();
  await opened.goto(link);
  await opened.waitForFunction(() => document.getElementById('replay')?.dataset.awaiting, { polling: 'raf', timeout: 120_000 });
  const shown = Date.now() - start;
  await opened.close();
  return { length: link.length, shown };
}

const server = await serve(site);
const scripted = await serve(testSite);
const browser = await launchChromium();
let withinBudget = true;
try {
  const { sizes, sent } = await loadedSizes(browser);
  const total = sizes.reduce((sum, file) => sum + file.gzipped, 0);
  console.log('Fetched by the first load of the page and its worker, gzipped:');
  for (const { name, gzipped } of sizes) {
    console.log(`  ${name.padEnd(28)} ${(gzipped / 1024).toFixed(1).padStart(6)} KB`);
  }
  console.log(`  ${'total'.padEnd(28)} ${(total / 1024).toFixed(1).padStart(6)} KB (budget ${sizeBudget / 1024} KB)`);
  console.log(`  ${'sent, each fetch in full'.padEnd(28)} ${(sent / 1024).toFixed(1).padStart(6)} KB`);
  withinBudget &&= total <= sizeBudget;

  const first = await timeToBanner(browser, server.url);
  console.log(`Navigation to the banner on screen, the browser's first load: ${first.toFixed(0)} ms`);
  const bannerTimes = [];
  for (let i = 0; i < loads; i++) {
    bannerTimes.push(await timeToBanner(browser, server.url));
  }
  const toBanner = median(bannerTimes);
  console.log(
    `Navigation to the banner on screen: median ${toBanner.toFixed(0)} ms of ${loads} loads ` +
      `(${bannerTimes.map((t) => t.toFixed(0)).join(', ')}; budget ${loadBudget} ms)`,
  );
  withinBudget &&= toBanner <= loadBudget;

  const keyTimes = [];
  for (const seed of seedGames) {
    const { address, answers } = await seedGame(seed);
    keyTimes.push(...(await keyToScreenTimes(browser, scripted.url + address, (game) => game.playToTheEnd(answers))).keys);
  }
  const slowest = (times) => `slowest ${Math.max(...times).toFixed(1)} ms`;
  console.log(
    `Key press to the next screen shown, the test page, which keeps nothing: median ${median(keyTimes).toFixed(1)} ms, ` +
      `${slowest(keyTimes)}, over ${keyTimes.length} keys of ${seedGames.length} whole games`,
  );
  const kept = await keyToScreenTimes(browser, server.url, (game) => playMoves(game, keptMoves));
  console.log(
    `Key press to the next screen shown, each write in its path: median ${median(kept.keys).toFixed(1)} ms, ` +
      `${slowest(kept.keys)}, over ${kept.keys.length} keys of ${keptMoves} moves (budget ${keyBudget} ms)`,
  );
  console.log(`  the writes, opened to committed: median ${median(kept.writes).toFixed(1)} ms, ${slowest(kept.writes)}, of ${kept.writes.length}`);
  withinBudget &&= median(kept.keys) <= keyBudget;

  await resumeTimes(browser);

  const games = {
    typical: join(repository, 'tests/games/knight_meets_every_guardian.game'),
    long: await longScript(3000),
  };
  for (const [kind, script] of Object.entries(games)) {
    const { record, turns } = await recordOf(script);
    const { length, shown } = await sharedLink(browser, server.url, record);
    console.log(
      `Share link of a ${kind} game (${turns} turns, record ${record.length} bytes): ${length} characters` +
        `${length > 8192 ? ' (over 8192: only the file is offered)' : ''}; opened to its first screen in ${shown} ms`,
    );
  }
} finally {
  await browser.close();
  await server.close();
  await scripted.close();
}
console.log(withinBudget ? 'Within budget.' : 'OVER BUDGET.');
process.exitCode = withinBudget ? 0 : 1;
