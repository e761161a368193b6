// The finished games on the page: the list of your games, a game watched again, and a game handed
// to someone else as a link or a file. The game's own code does the work, in a game of its own
// beside the one in play (zandrel --games, zandrel --replay): it lists the games and replays a
// record through the same rules, reading what is kept and writing nothing. This file only shows
// what it says, in a terminal of its own in place of the game in play's, which is only hidden.

import { Terminal } from './xterm.mjs';
import createZandrel from './zandrel.js';
import { keptGamesReader, openKeptGames } from './kept.mjs';

// A link holds no more than any record does, and a longer link is not offered: the file is.
export const recordCap = 786_432;
export const longestLink = 8192;
const finishedName = (number) => `finished-${String(number).padStart(4, '0')}`;

const never = () => new Promise(() => {});
// One connection to what is kept, opened when first needed.
let kept = null;
const keptGames = () => (kept ??= openKeptGames());
const sentence = (line) => `${line.charAt(0).toUpperCase()}${line.slice(1)}`;

// What a page of the game hands this file: its terminal (whose size and font the replay takes),
// the transcript's writer and its break at a cleared screen, and what is shown after the replay.
let page = null;
let replayBox = null;
let status = null;
let listBox = null;
// The replay's terminal, while one is shown; its number tells a replay from the one before it.
export let replayTerminal = null;
let replays = 0;

const element = (tag, properties = {}, ...children) => {
  const { attributes = {}, ...rest } = properties;
  const made = Object.assign(document.createElement(tag), rest);
  Object.entries(attributes).forEach(([name, value]) => made.setAttribute(name, value));
  made.append(...children);
  return made;
};

// Runs the game's code with these arguments, a store that only reads, and the page's calls; resolves
// with the exit status once it ends.
function runGame(args, calls, file = null) {
  return new Promise((resolve) => {
    keptGames().then((db) =>
      createZandrel({
        readLine: never,
        tell() {},
        beginAgain() {},
        print: (text) => calls.showText(`${text}\n`, true),
        printErr: (text) => calls.showText(`${text}\n`, true),
        ...calls,
        store: keptGamesReader(db, file),
        gameEnded: resolve,
        arguments: args,
      }).catch((problem) => calls.showText(`The game could not start: ${problem}\n`, true)),
    );
  });
}

// The list of your games, as zandrel --games shows it, read afresh each time it is opened: a row a
// game, newest first, each with what can be done with its record, then a line for each class.
async function showList() {
  let text = '';
  const problems = [];
  await runGame(['--games'], { showText: (shown, isError) => (isError ? problems.push(shown) : (text += shown)) });
  const db = await keptGames();
  const recorded = new Set(db ? (await keptGamesReader(db).namesStartingWith('finished-')).slice(6).split('\n') : []);
  const lines = text.split('\n').filter((line) => line !== '');
  const heading = element('h2', { id: 'games-heading', textContent: 'Your games' });
  if (problems.length > 0 || lines.length <= 1) {
    const said = problems.length > 0 ? sentence(problems.join('').trim().replace(/^zandrel: /, '')) : lines[0] ?? '';
    listBox.replaceChildren(heading, element('p', { textContent: said }));
    return;
  }
  const games = element('ol', { className: 'games', reversed: true });
  const classes = element('ul', { className: 'games' });
  let columns = null;
  for (const line of lines) {
    const number = /^\s*(\d+)\s/.exec(line)?.[1];
    if (columns === null) {
      columns = element('p', { className: 'columns', textContent: line });
    } else if (number && classes.childElementCount === 0) {
      games.append(gameItem(Number(number), line, recorded.has(finishedName(number))));
    } else {
      classes.append(element('li', { textContent: line }));
    }
  }
  listBox.replaceChildren(heading, columns, games, element('h3', { textContent: 'By class' }), classes);
}

function gameItem(number, line, recordKept) {
  const item = element('li', { textContent: line });
  if (!recordKept) {
    item.append(element('span', { textContent: '  (only its summary is kept)' }));
    return item;
  }
  const button = (label, act) => element('button', { type: 'button', textContent: label, onclick: act });
  const record = async () => (await keptGamesReader(await keptGames()).readFile(finishedName(number), recordCap)).slice(6);
  const actions = element(
    'span',
    { className: 'actions' },
    button('Watch', () => watch(['--replay', String(number)])),
    button('Share link', async () => {
      const link = await linkTo(await record());
      const shown = item.querySelector('input') ?? item.appendChild(element('input', { type: 'url', readOnly: true }));
      if (link.length > longestLink) {
        shown.remove();
        say(`Game ${number} is too long for a link (${link.length} characters): Download gives its file to share.`);
        return;
      }
      shown.value = link;
      shown.setAttribute('aria-label', `Link to game ${number}`);
      shown.select();
      shown.focus();
      navigator.clipboard?.writeText(link).then(
        () => say(`The link to game ${number} is copied.`),
        () => say(`The link to game ${number} is selected: copy it to share the game.`),
      );
    }),
    button('Download', async () => {
      const link = element('a', {
        href: URL.createObjectURL(new Blob([await record()], { type: 'text/plain' })),
        download: `zandrel-game-${number}.txt`,
      });
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
    }),
  );
  item.append(' ', actions);
  return item;
}

const say = (line) => (status.textContent = line);

// The record in a link: compressed, then base64url, in the fragment, which no server is sent.
export async function linkTo(record) {
  const packed = new Uint8Array(
    await new Response(new Blob([record]).stream().pipeThrough(new CompressionStream('deflate-raw'))).arrayBuffer(),
  );
  let binary = '';
  for (const byte of packed) {
    binary += String.fromCharCode(byte);
  }
  const encoded = btoa(binary).replaceAll('+', '-').replaceAll('/', '_').replace(/=+$/, '');
  return `${location.origin}${location.pathname}#game=${encoded}`;
}

// The record a link holds, or why it is refused. Unpacking stops as soon as it passes the cap, so a
// small link that would unpack into a huge record costs no more than the cap.
export async function recordIn(fragment) {
  let packed;
  try {
    packed = Uint8Array.from(atob(fragment.replaceAll('-', '+').replaceAll('_', '/')), (c) => c.charCodeAt(0));
  } catch {
    return { refused: 'This link is damaged: the game in it cannot be read.' };
  }
  const unpacking = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const parts = [];
  let size = 0;
  try {
    for (let part = await unpacking.read(); !part.done; part = await unpacking.read()) {
      size += part.value.length;
      if (size > recordCap) {
        unpacking.cancel().catch(() => {});
        return { refused: `This link holds more than any game's record (${recordCap} bytes), so it is refused.` };
      }
      parts.push(part.value);
    }
  } catch {
    return { refused: 'This link is damaged: the game in it cannot be read.' };
  }
  return { record: new TextDecoder().decode(await new Blob(parts).arrayBuffer()) };
}

// Replays a record in the replay's terminal, in place of the game in play, whose terminal is only
// hidden. Keys step as in the terminal's replay: q or Escape ends it, e shows the rest, and any
// other key goes on; once it is over, any key returns to the game in play. A record the game
// refuses is said in one line, and nothing is shown.
export async function watch(args, file = null) {
  stopWatching();
  const number = ++replays;
  const current = () => number === replays;
  const terminal = new Terminal({
    convertEol: true,
    scrollback: 10000,
    fontFamily: page.terminal.options.fontFamily,
    fontSize: page.terminal.options.fontSize,
  });
  let keyWaiting = null;
  let over = false;
  let quitting = false;
  let problems = '';
  const box = replayBox;
  const marked = (fields) => Object.assign(box.dataset, fields);
  terminal.attachCustomKeyEventHandler((event) => event.key !== 'Tab');
  terminal.onData((data) => {
    if (over) {
      stopWatching();
    } else if (keyWaiting) {
      const resolve = keyWaiting;
      keyWaiting = null;
      delete box.dataset.awaiting;
      const key = data === '\x1b' ? 'q' : data;
      quitting = key === 'q' || key === 'Q';
      resolve(key.charCodeAt(0));
    }
  });
  const heard = (call) => (...args) => (current() ? call(...args) : undefined);
  const ended = await runGame(
    args,
    {
      showText: heard((text, isError) => {
        if (isError) {
          problems += text;
          return;
        }
        if (!replayTerminal) {
          show(terminal);
        }
        terminal.write(text);
        page.record(text);
      }),
      readKey: () =>
        current()
          ? new Promise((resolve) => {
              keyWaiting = resolve;
              terminal.write('', () => current() && marked({ awaiting: 'key', waits: String(Number(box.dataset.waits ?? 0) + 1) }));
            })
          : never(),
      clearScreen: heard(() => {
        terminal.write('\x1b[H\x1b[2J\x1b[3J');
        page.cleared();
      }),
    },
    file,
  );
  if (!current()) {
    return;
  }
  if (ended === 0 && quitting) {
    stopWatching();
    return;
  }
  if (ended !== 0) {
    stopWatching();
    say(sentence(problems.trim().replace(/^zandrel: /, '')) || 'This game cannot be replayed.');
    return;
  }
  over = true;
  terminal.write('', () => current() && marked({ ended: '0' }));
  say('The replay is over. Press any key to return to your game.');
}

function show(terminal) {
  replayTerminal = terminal;
  page.cleared(); // the replay's text starts apart in the transcript, as it does on the screen
  page.terminal.element.hidden = true;
  replayBox.hidden = false;
  terminal.open(replayBox);
  terminal.resize(page.terminal.cols, page.terminal.rows);
  terminal.focus();
  say('Watching a game again: any key goes on, e shows the rest at once, q or Escape ends the replay.');
}

// Back to the game in play, just as it was left.
export function stopWatching() {
  replays++;
  if (!replayTerminal) {
    return;
  }
  replayTerminal.dispose();
  replayTerminal = null;
  replayBox.hidden = true;
  replayBox.replaceChildren();
  for (const mark of ['awaiting', 'waits', 'ended']) {
    delete replayBox.dataset[mark];
  }
  page.terminal.element.hidden = false;
  page.cleared();
  page.record('The replay is over; back to your game.\n');
  say('');
  page.terminal.focus();
}

export const watching = () => replayTerminal !== null;

// A record file, opened or dropped on the page, replayed under its own name.
async function open(file) {
  if (file) {
    const bytes = new Uint8Array(await file.slice(0, recordCap + 1).arrayBuffer());
    watch(['--replay', file.name], new TextDecoder().decode(bytes));
  }
}

// Puts the controls beside New game, and replays the game of a link the page was opened with.
export function offerGames(given) {
  page = given;
  // In the terminal's own box, so that the terminal keeps its size while it is hidden.
  replayBox = element('div', { id: 'replay', hidden: true });
  page.terminal.element.after(replayBox);
  status = element('p', { id: 'replay-status', attributes: { role: 'status', 'aria-live': 'polite' } });
  listBox = element('section', { id: 'your-games', hidden: true, attributes: { 'aria-labelledby': 'games-heading' } });
  const yours = element('button', {
    type: 'button',
    id: 'show-games',
    textContent: 'Your games',
    attributes: { 'aria-expanded': 'false', 'aria-controls': 'your-games' },
  });
  yours.onclick = async () => {
    const opening = listBox.hidden;
    if (opening) {
      await showList();
    }
    listBox.hidden = !opening;
    yours.setAttribute('aria-expanded', String(opening));
  };
  const picker = element('input', { type: 'file', hidden: true, onchange: () => open(picker.files[0]) });
  const opener = element('button', { type: 'button', textContent: 'Open a record', onclick: () => picker.click() });
  page.after.after(yours, opener, picker);
  page.after.parentElement.after(status, listBox);
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    open(event.dataTransfer?.files[0]);
  });
  followLink();
  window.addEventListener('hashchange', followLink);
}

// The game of a link the page is opened with, or that is pasted into its address.
function followLink() {
  const fragment = /^#game=(.*)$/.exec(location.hash)?.[1];
  if (fragment !== undefined) {
    history.replaceState(null, '', location.pathname + location.search);
    recordIn(fragment).then(({ record, refused }) =>
      refused ? say(refused) : watch(['--replay', 'a shared link'], record),
    );
  }
}
