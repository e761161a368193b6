// Measures the web page as built by `cmake --workflow --preset web`, in headless Chromium from a
// local server, and reports against its budgets:
// - everything the page loads, gzip-compressed: each file and the total (at most 400 KB);
// - from navigation to the banner on screen (at most 1 s): the median of a few loads;
// - from a key press to the next screen shown: the median over whole games (the test page's
//   seed games, so that every run plays the same games);
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
const seedGames = ['knight_wins', 'priest_loses'];

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 === 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// The files one load of the page fetches, each gzipped as a server would send it.
async function loadedSizes(browser, url) {
  const tab = await browser.newPage();
  const files = new Map();
  tab.on('response', async (response) => {
    files.set(new URL(response.url()).pathname.slice(1) || 'index.html', response.buffer());
  });
  await tab.goto(url);
  await tab.waitForFunction(() => document.getElementById('terminal').dataset.awaiting);
  const sizes = [];
  for (const [name, body] of files) {
    sizes.push({ name, gzipped: gzipSync(await body, { level: 9 }).length });
  }
  await tab.close();
  return sizes.sort((a, b) => b.gzipped - a.gzipped);
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

// Plays the seed game as the browser tests do, and times each key press to the frame that
// shows the game's next wait (or its end).
async function keyToScreenTimes(browser, url, seed) {
  const { address, answers } = await seedGame(seed);
  const game = await GamePage.open(browser, url + address);
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
  await game.playToTheEnd(answers); // of each answer, only Enter is timed: it alone shows a new screen
  const times = await game.tab.evaluate(() => window.keyToScreen);
  await game.close();
  return times;
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
  const sizes = await loadedSizes(browser, server.url);
  const total = sizes.reduce((sum, file) => sum + file.gzipped, 0);
  console.log('Loaded by the page, gzipped:');
  for (const { name, gzipped } of sizes) {
    console.log(`  ${name.padEnd(16)} ${(gzipped / 1024).toFixed(1).padStart(6)} KB`);
  }
  console.log(`  ${'total'.padEnd(16)} ${(total / 1024).toFixed(1).padStart(6)} KB (budget ${sizeBudget / 1024} KB)`);
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
    keyTimes.push(...(await keyToScreenTimes(browser, scripted.url, seed)));
  }
  console.log(
    `Key press to the next screen shown: median ${median(keyTimes).toFixed(1)} ms, ` +
      `slowest ${Math.max(...keyTimes).toFixed(1)} ms, over ${keyTimes.length} keys of ${seedGames.length} whole games`,
  );

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
