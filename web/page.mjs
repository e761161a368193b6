// The page around the game: the terminal the game prints to and reads the player's keys from,
// the transcript that screen readers follow, the game kept in the browser (kept.mjs), and the
// offer of a new game. The game itself (zandrel.js) is the console game compiled to
// WebAssembly; each game is a new instance of it, so a new game starts from a fresh record and a
// fresh seed, and a reloaded page resumes the kept game where it was left.

import { Terminal } from './xterm.mjs';
import { FitAddon } from './addon-fit.mjs';
import createZandrel from './zandrel.js';
import { holdCommits, holdTheGame } from './kept.mjs';
import { offerGames, stopWatching, watching } from './games.mjs';
import { startAsApp, keptAsApp } from './offline.mjs';
import { commitHold, scriptedChance } from './site.mjs';

const box = document.getElementById('terminal');
const log = document.getElementById('transcript');
const ending = document.getElementById('ending');
const notice = document.getElementById('notice');
const newGameButton = document.getElementById('new-game');

// The game's own lines never end in CR: the terminal shows each line end as a console does.
export const terminal = new Terminal({
  convertEol: true,
  scrollback: 10000,
  fontFamily: '"DejaVu Sans Mono", "Cascadia Mono", Menlo, Consolas, "Liberation Mono", monospace',
});
const fit = new FitAddon();
terminal.loadAddon(fit);
terminal.open(box);
// Where the player types: its accessible description says how to answer.
terminal.textarea.setAttribute('aria-describedby', 'hint');

// Eighty columns wherever they fit at a readable size, as in a laptop window. A phone's screen
// is too narrow for that: eighty columns would need a font of about 8 pixels there, and
// scrolling sideways would hide the end of most of the game's sentences. So a narrow window
// keeps a readable font and gets fewer columns, and the terminal wraps the longer lines as a
// narrow console window would.
const columns = 80;
const largestFont = 18;
const smallestFont = 13;

function fitTerminal() {
  for (let size = largestFont; size >= smallestFont; size--) {
    terminal.options.fontSize = size;
    const room = fit.proposeDimensions();
    if (!room) {
      return;
    }
    if (room.cols >= columns || size === smallestFont) {
      terminal.resize(Math.min(columns, room.cols), room.rows);
      return;
    }
  }
}
fitTerminal();
new ResizeObserver(fitTerminal).observe(box);

// Backspace at the start of a wrapped row goes back up to the row before, as it must when a
// long answer wraps.
const reverseWraparound = '\x1b[?45h';
terminal.write(reverseWraparound);

// What the player has typed that no read has taken yet: keys pressed while the game was busy,
// and the further lines of a pasted block, each of which answers a question of its own.
let typedAhead = '';
// The answer being typed, and the read the game is waiting in, if any.
let answer = '';
let waiting = null;
let waits = 0;
// Whether a game plays in this tab: only then are keys kept for it.
let running = false;
// The number of the game in play. A game of an earlier number is over for the page, even while its
// instance still finishes what it was doing: it shows nothing more and waits for good.
let games = 0;
// Makes the store of each game, once this tab plays.
let stores = null;

// Marks what the game waits for once the terminal shows everything written before it, so that
// whoever watches the page (a test, a benchmark) knows the screen is complete.
function wait(kind, resolve) {
  waiting = { kind, resolve };
  const current = waiting;
  terminal.write('', () => {
    if (waiting === current) {
      box.dataset.awaiting = kind;
      box.dataset.waits = String(++waits);
    }
  });
}

function stopWaiting() {
  const { resolve } = waiting;
  waiting = null;
  delete box.dataset.awaiting;
  return resolve;
}

// The transcript holds the game's own text, line by line, and the answers as they were given.
let openLine = null;
function record(text) {
  text.split('\n').forEach((piece, index) => {
    if (index > 0) {
      openLine = null;
    }
    if (piece !== '') {
      if (!openLine) {
        openLine = log.appendChild(document.createElement('p'));
      }
      openLine.textContent += piece;
    }
  });
}

// Edits the answer with what was typed; true once Enter has submitted it.
function edit() {
  while (typedAhead !== '') {
    const escape = /^\x1b(\[[0-?]*[ -/]*[@-~]|O.|.)?/s.exec(typedAhead);
    if (escape) {
      typedAhead = typedAhead.slice(escape[0].length); // arrows and function keys edit nothing
      continue;
    }
    const key = String.fromCodePoint(typedAhead.codePointAt(0));
    typedAhead = typedAhead.slice(key.length);
    if (key === '\r' || key === '\n') {
      if (key === '\r' && typedAhead.startsWith('\n')) {
        typedAhead = typedAhead.slice(1);
      }
      return true;
    }
    if (key === '\x7f' || key === '\b') {
      if (answer !== '') {
        answer = Array.from(answer).slice(0, -1).join('');
        terminal.write('\b \b');
      }
    } else if (key >= ' ') {
      answer += key;
      terminal.write(key);
    }
  }
  return false;
}

function takeAnswer() {
  if (!edit()) {
    return;
  }
  const line = `${answer}\n`;
  answer = '';
  terminal.write('\n');
  record(line);
  stopWaiting()(line);
}

// Ctrl-C copies a selection (below) and otherwise does nothing, and Ctrl-D does nothing: a
// page's input cannot end, and there is no process to interrupt.
const ignoredKeys = new Set(['\x03', '\x04']);

terminal.onData((data) => {
  // A tab where no game plays keeps no key: none may answer a game that starts later.
  if (!running || ignoredKeys.has(data)) {
    return;
  }
  if (waiting?.kind === 'key') {
    stopWaiting()(); // any one key, arrow or paste, not echoed
    return;
  }
  typedAhead += data;
  if (waiting?.kind === 'line') {
    takeAnswer();
  }
});

terminal.attachCustomKeyEventHandler((event) => {
  // The game never asks for a Tab, so Tab leaves the terminal as it leaves any field, and
  // reaches the rest of the page.
  if (event.key === 'Tab') {
    return false;
  }
  // Left to the browser, which copies the selection.
  if (event.ctrlKey && event.key.toLowerCase() === 'c' && terminal.hasSelection()) {
    return false;
  }
  return true;
});

// The line a resumed game begins its screen with, said under the terminal too: the screen may be
// taller than the terminal.
const resumed = 'Resuming your game, started ';
let justCleared = false;

// What the games call on the page (the web platform of the game's sources).
const page = {
  // The game's errors in red on the terminal; the transcript has the text as it is.
  showText(text, isError) {
    if (justCleared && text.startsWith(resumed)) {
      notice.textContent = text.split('\n', 1)[0];
    }
    justCleared = false;
    terminal.write(isError ? `\x1b[31m${text}\x1b[39m` : text);
    record(text);
  },
  readLine() {
    return new Promise((resolve) => {
      wait('line', resolve);
      takeAnswer();
    });
  },
  readKey() {
    // Keys pressed before the pause began do not end it, as at a console.
    typedAhead = '';
    return new Promise((resolve) => wait('key', resolve));
  },
  clearScreen() {
    terminal.write('\x1b[H\x1b[2J\x1b[3J');
    if (log.hasChildNodes()) {
      log.appendChild(document.createElement('hr'));
    }
    openLine = null;
    justCleared = true;
  },
  gameEnded(status) {
    running = false;
    const outcome = { 0: 'You won. ', 1: 'You lost. ' }[status] ?? '';
    terminal.write('', () => {
      box.dataset.ended = String(status);
      ending.textContent = `${outcome}The game is over. Press N for a new game, or Tab to the New game button.`;
    });
  },
  // What became of the kept game, in one line under the terminal.
  tell(line) {
    notice.textContent = `${line.charAt(0).toUpperCase()}${line.slice(1)}.`;
  },
  // A kept game that turned out not to be resumable: a new game takes its place.
  beginAgain() {
    setTimeout(() => startGame(['--new']));
  },
};

// The page as one game sees it: once another game has taken its place, it is heard no more, and
// whatever it waits for never comes.
function pageFor(number, store) {
  const current = () => number === games;
  const never = () => new Promise(() => {});
  const heard = (call) => (...args) => (current() ? call(...args) : undefined);
  const answered = (call) => async (...args) => {
    if (!current()) {
      return never();
    }
    const answer = await call(...args);
    return current() ? answer : never();
  };
  const own = Object.fromEntries(
    Object.entries(page).map(([name, call]) => [name, ['readLine', 'readKey'].includes(name) ? answered(call) : heard(call)]),
  );
  // Emscripten's own messages (a failure to load, say) belong on the page, not in the console.
  const showProblem = (text) => own.showText(`${text}\n`, true);
  own.print = showProblem;
  own.printErr = showProblem;
  if (store) {
    own.store = Object.fromEntries(Object.entries(store).map(([name, call]) => [name, answered(call)]));
  }
  return own;
}

function startGame(args = []) {
  const number = ++games;
  running = true;
  const own = pageFor(number, stores?.());
  createZandrel({ ...own, arguments: args }).catch((problem) => own.print(`The game could not start: ${problem}`));
}

// A tab whose claim another tab has taken since: its game stops where it stands.
function lost() {
  games++;
  running = false;
  waiting = null;
  delete box.dataset.awaiting;
  newGameButton.disabled = true;
  notice.textContent = 'This game goes on in another tab of this browser. Reload this tab to play here.';
}

// A new game: while one is unfinished, only once the player confirms it, and the unfinished one
// is set aside. The game left behind is heard no more. The keys go to the terminal again,
// whichever way the question ends, so that the next Enter answers the game.
function newGame() {
  if (newGameButton.disabled) {
    return;
  }
  stopWatching();
  const confirmed = !running || window.confirm('Start a new game? Your unfinished game will be set aside.');
  terminal.focus();
  if (!confirmed) {
    return;
  }
  const setAside = running;
  waiting = null;
  terminal.reset();
  terminal.write(reverseWraparound);
  log.replaceChildren();
  openLine = null;
  typedAhead = '';
  answer = '';
  ending.textContent = '';
  notice.textContent = '';
  delete box.dataset.ended;
  delete box.dataset.awaiting;
  startGame(setAside ? ['--new'] : []);
}

newGameButton.addEventListener('click', newGame);
window.addEventListener(
  'keydown',
  (event) => {
    if (!running && !watching() && event.key.toLowerCase() === 'n' && !event.ctrlKey && !event.altKey && !event.metaKey) {
      event.preventDefault();
      event.stopPropagation();
      newGame();
    }
  },
  true,
);

// Your games, beside New game; the replay's text goes to the transcript too.
offerGames({
  terminal,
  record,
  cleared() {
    log.appendChild(document.createElement('hr'));
    openLine = null;
  },
  after: newGameButton,
});

terminal.focus();
// A page the browser kept and shows again, as after Back, holds neither the lock nor the claim:
// it starts over as a page just opened.
window.addEventListener('pageshow', (event) => event.persisted && location.reload());
if (scriptedChance && !new URLSearchParams(location.search).has('keep')) {
  startGame(); // the test page: its game keeps nothing, unless its address asks for it (?keep)
} else {
  // Only the tab that holds the game may start one.
  newGameButton.disabled = true;
  holdCommits(commitHold);
  await startAsApp();
  holdTheGame({
    play(makeStore) {
      stores = () => keptAsApp(makeStore());
      newGameButton.disabled = false;
      startGame();
    },
    tell: (text) => (notice.textContent = text),
    lost,
  });
}
