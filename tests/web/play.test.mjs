// The page we ship, played as a person plays it: with the keyboard alone, on the game's own
// chance, from a plain static server at a path of its own.

import { before, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { GamePage, laptop, phone, screenshots, site } from '../../tools/web/browser.mjs';
import { servedInChromium } from './shared.mjs';

let server;
let browser;
servedInChromium(site, (served, chromium) => ([server, browser] = [served, chromium]), { prefix: '/games/zandrel/' });
before(() => mkdir(screenshots, { recursive: true }));

const pausePrompt = 'Press any key to continue . . .';
const classMenu = [
  '',
  'Now you must chose your character.',
  'Here are the possible choices.',
  '',
  '[K]night        Strength: 3 Craft: 3 Gold: 1',
];

function startsWith(rows, first) {
  assert.deepEqual(rows.slice(0, first.length), first);
}

test('a person opens the page and plays the first turns with the keyboard alone', async () => {
  const game = await GamePage.open(browser, server.url);
  await game.waitForGame();

  // Focused on load, eighty columns, the banner and its pause.
  assert.equal(await game.tab.evaluate(() => document.activeElement.className), 'xterm-helper-textarea');
  assert.equal((await game.terminalSize()).cols, 80);
  let screen = await game.screen();
  assert.equal(screen[3], '                Welcome to Zandrel Version 2.0 the Computer Edition.');
  assert.equal(screen.at(-1), `                ${pausePrompt}`);

  // Ctrl-C (with nothing selected) and Ctrl-D do nothing; one key ends the pause, unechoed,
  // and the class menu comes on a cleared screen.
  await game.tab.keyboard.down('Control');
  await game.tab.keyboard.press('c');
  await game.tab.keyboard.press('d');
  await game.tab.keyboard.up('Control');
  await game.press('x');
  screen = await game.screen();
  startsWith(screen, classMenu);
  assert.equal(screen.length, 11, 'the menu and nothing after it');

  // A refused letter: the menu again, on a cleared screen, with the reason.
  await game.answer('x');
  startsWith(await game.screen(), ['That is not one of the choices. Try again!', ...classMenu]);

  // Backspace corrects the answer before Enter sends it: a Wizard becomes a Knight.
  await game.tab.keyboard.type('w');
  await game.tab.keyboard.press('Backspace');
  await game.answer('k');
  screen = await game.screen();
  assert.deepEqual(screen.slice(-4), [
    'k',
    'Are you sure you want to be Knight?',
    'Valid Commands: [Y]es, [N]o',
    'What is your response:',
  ]);

  // Declined, then a pasted block answers both questions, one line each.
  await game.answer('n');
  startsWith(await game.screen(), classMenu);
  await game.tab.evaluate(() => {
    const paste = new DataTransfer();
    paste.setData('text/plain', 'k\ny\n');
    document.activeElement.dispatchEvent(new ClipboardEvent('paste', { clipboardData: paste, bubbles: true }));
  });
  await game.tab.waitForFunction(() => document.getElementById('terminal').dataset.awaiting === 'key');
  assert.deepEqual((await game.screen()).slice(-5), [
    'k',
    'Are you sure you want to be Knight?',
    'Valid Commands: [Y]es, [N]o',
    'What is your response: y',
    pausePrompt,
  ]);

  // An arrow key at a pause is one key: the status panel on a cleared screen, and its board
  // waits for the next key, the roll of the space die.
  await game.press('ArrowDown');
  screen = await game.screen();
  startsWith(screen, ['The Level 0 Knight!', '', 'Life: 3 Strength: 3 Craft: 3 Gold: 1 EXP: 0/1', '', '  1= Plains--Draw a card.']);
  assert.equal(screen.at(-1), pausePrompt);
  assert.equal(await game.awaiting(), 'key');
  await game.tab.screenshot({ path: join(screenshots, 'laptop.png') });

  // A few turns more: any key at a pause, and a letter and Enter for each question (no to each
  // offer, nothing before each battle), until three questions are answered or the game ends.
  let questions = 0;
  for (let waits = 0; questions < 3 && waits < 200 && !(await game.ended()); waits++) {
    if ((await game.awaiting()) === 'key') {
      await game.press('Enter');
      continue;
    }
    const asked = (await game.screen()).at(-1);
    assert.match(asked, /^What is your response:$|^\[N\]othing--Do nothing before battle\.$/);
    await game.answer('n');
    questions++;
    screen = await game.screen();
    assert.ok(screen.includes(asked.startsWith('What') ? 'What is your response: n' : 'n'), 'the answer is echoed');
  }
  assert.ok(questions === 3 || (await game.ended()), 'three questions answered, or the game over before');

  // Everything the game printed is also in the transcript, which screen readers find as a log
  // in the page's accessibility tree, beside the terminal's input.
  const transcript = await game.transcript();
  for (const text of ['Welcome to Zandrel Version 2.0', 'That is not one of the choices', 'The Level 0 Knight!', 'Life: 3 Strength: 3']) {
    assert.ok(transcript.includes(text), `the transcript holds "${text}"`);
  }
  const log = await game.tab.accessibility.snapshot({ root: await game.tab.$('[role="log"]') });
  assert.equal(log.role, 'log');
  assert.equal(log.name, 'Transcript');
  assert.match(log.children[0].name, /Welcome to Zandrel Version 2\.0/);
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('Ctrl-C copies a selection and leaves the pause alone; Tab leaves the terminal', async () => {
  const game = await GamePage.open(browser, server.url);
  await game.waitForGame();
  await game.tab.evaluate(async () => {
    const { terminal } = await import('./page.mjs');
    terminal.select(16, 3, 7);
    window.copied = new Promise((resolve) => {
      document.addEventListener('copy', (event) => resolve(event.clipboardData.getData('text/plain')), { once: true });
    });
  });
  await game.tab.keyboard.down('Control');
  await game.tab.keyboard.press('c');
  await game.tab.keyboard.up('Control');
  let timer;
  const noCopy = new Promise((resolve) => (timer = setTimeout(resolve, 10_000, 'no copy')));
  assert.equal(await Promise.race([game.tab.evaluate(() => window.copied), noCopy]), 'Welcome');
  clearTimeout(timer);
  assert.equal(await game.awaiting(), 'key');
  await game.tab.keyboard.press('Tab');
  assert.notEqual(await game.tab.evaluate(() => document.activeElement.className), 'xterm-helper-textarea');
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('on a phone the text stays readable: fewer columns at a readable size, and the hint to tap', async () => {
  const game = await GamePage.open(browser, server.url, phone);
  await game.waitForGame();
  await game.press('Enter');
  const { cols, fontSize } = await game.terminalSize();
  assert.ok(cols < 80 && cols >= 40, `${cols} columns`);
  assert.ok(fontSize >= 13, `${fontSize}px`);
  assert.match(await game.tab.$eval('#hint', (hint) => hint.textContent), /tap the terminal/);
  startsWith(await game.screen(), classMenu.slice(0, 4));
  await game.tab.screenshot({ path: join(screenshots, 'phone.png') });
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('opened from a file, the page says plainly that it needs a web server', async () => {
  const tab = await browser.newPage();
  await tab.goto(pathToFileURL(join(site, 'index.html')).href);
  assert.equal(await tab.$eval('#needs-server', (p) => p.hidden), false);
  assert.match(await tab.$eval('#needs-server', (p) => p.textContent), /needs a web server/);
  await tab.close();
});
