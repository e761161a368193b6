// Whole games on the test page, whose game draws its chance from a game script: the fuzzer's
// seed games, with their answers typed on the keyboard and a key pressed at each pause. The
// terminal must show, screen by screen, exactly what the console game shows for the same
// answers and draws (their transcripts in tests/games/seeds, which a native test keeps equal to
// what the console game plays): nothing lost, doubled or reordered.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { GamePage, repository, seedGame, testSite } from '../../tools/web/browser.mjs';
import { servedInChromium } from './shared.mjs';

const columns = 80;
const pausePrompt = 'Press any key to continue . . . ';

// The console game's text with its marks, as the page's terminal shows it:
// - the transcript's last line ("<== exit status N") goes;
// - [cls] ends a screen: the terminal wipes its screen and its scrollback there;
// - [answer y] is the player's line as the page echoes it while it is typed: y, then the line
//   end of Enter;
// - [pause] is the pause's prompt and the line end written once a key is pressed (the key
//   itself is not echoed);
// - a tab moves to the next 8-column stop, and a row longer than the terminal wraps onto the
//   next row;
// - trailing blanks drop from each row, and blank rows from the end of each screen.
function asTerminalScreens(transcript) {
  const game = transcript.replace(/\n<== exit status \d+\n$/, '');
  return game.split('[cls]').map((screen) => {
    const text = screen
      .replace(/\[answer ([^\]\n]*)\]/g, '$1\n')
      .replaceAll('[pause]', `${pausePrompt}\n`);
    const rows = text.split('\n').flatMap(terminalRows);
    while (rows.length > 0 && rows.at(-1) === '') {
      rows.pop();
    }
    return rows;
  });
}

function terminalRows(line) {
  const rows = [''];
  for (const c of line) {
    if (rows.at(-1).length === columns) {
      rows.push('');
    }
    rows[rows.length - 1] += c === '\t' ? ' '.repeat(8 - (rows.at(-1).length % 8)) : c;
  }
  return rows.map((row) => row.trimEnd());
}

let server;
let browser;
servedInChromium(testSite, (served, chromium) => ([server, browser] = [served, chromium]));

async function play(seed) {
  const { address, answers } = await seedGame(seed);
  const game = await GamePage.open(browser, server.url + address);
  await game.waitForGame();
  assert.equal((await game.terminalSize()).cols, columns);
  await game.recordScreens();
  assert.deepEqual(await game.playToTheEnd(answers), [], 'the game ended before its script did');
  return game;
}

// Plays the seed game on the test page as a person would, and checks each of its screens.
async function playWholeGame(seed) {
  const expected = asTerminalScreens(await readFile(join(repository, 'tests/games/seeds', `${seed}.transcript`), 'utf8'));
  const game = await play(seed);
  const screens = await game.screens();
  for (const [i, screen] of expected.entries()) {
    assert.deepEqual(screens[i], screen, `screen ${i + 1} of ${expected.length}`);
  }
  assert.equal(screens.length, expected.length);
  return game;
}

async function focused(game) {
  return game.tab.evaluate(() => document.activeElement.id || document.activeElement.className);
}

async function expectBannerOfNewGame(game) {
  await game.waitForGame();
  assert.match((await game.screen()).join('\n'), /^\n\n\n {16}Welcome to Zandrel Version 2\.0/);
  assert.doesNotMatch(await game.transcript(), /GAME OVER|THE END/);
  assert.equal(await game.ended(), false);
}

test('a won game: every screen as the console shows it, then the news of the victory and a new game on N', async () => {
  const game = await playWholeGame('knight_wins');
  assert.equal(await game.tab.$eval('#ending', (p) => p.textContent), 'You won. The game is over. Press N for a new game, or Tab to the New game button.');
  assert.match(await game.transcript(), /You killed the Boss[\s\S]*THE END!/);

  await game.tab.keyboard.press('n');
  await expectBannerOfNewGame(game);
  assert.equal(await game.tab.$eval('#ending', (p) => p.textContent), '');
  assert.match(await focused(game), /xterm-helper-textarea/);
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('a lost game: every screen as the console shows it, then the news of the loss and the New game button by Tab', async () => {
  const game = await playWholeGame('priest_loses');
  assert.match(await game.tab.$eval('#ending', (p) => p.textContent), /^You lost\. The game is over\./);

  // xterm would keep Tab for itself; the page lets it move on to the button.
  await game.tab.keyboard.press('Tab');
  assert.equal(await focused(game), 'new-game');
  await game.tab.keyboard.press('Enter');
  await expectBannerOfNewGame(game);
  assert.deepEqual(game.problems, []);
  await game.close();
});

test('what the game writes to its error stream is shown on the page, and not in the console', async () => {
  // The game runs out of chance before it runs out of answers: the test page says so there.
  const { address, answers } = await seedGame('merchant_runs_out_of_chance');
  const game = await GamePage.open(browser, server.url + address);
  await game.waitForGame();
  await game.playToTheEnd(answers);
  assert.equal((await game.screen()).at(-1), 'The game script holds no more chance.');
  assert.match(await game.transcript(), /\nThe game script holds no more chance\.$/);
  assert.match(await game.tab.$eval('#ending', (p) => p.textContent), /^The game is over\./);
  assert.deepEqual(game.problems, []);
  await game.close();
});
