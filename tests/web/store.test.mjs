// The page's store without a browser: web/kept.mjs under Node.js, over a stand-in IndexedDB
// (fake-indexeddb) whose N-th call fails, and a stand-in for the channel between tabs. The game is
// the page's own (build/web/zandrel.js), its clock held still so that every run plays the same
// game: its record is kept through the very calls it makes in the page. As storage engines test
// their recovery, each call fails in turn, once or from then on, by throwing or by the
// transaction giving up; the tab is closed a few moves later and the page opened again on what
// was kept. After every run: no draw the player saw is thrown again, no record that holds a game
// is lost (but for the oldest of more than five set aside), and a fault is said once.

import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { IDBDatabase, IDBFactory, IDBObjectStore } from 'fake-indexeddb';
import { holdCommits, holdTheGame } from '../../web/kept.mjs';
import { site } from '../../tools/web/browser.mjs';

const { default: createZandrel } = await import(pathToFileURL(join(site, 'zandrel.js')).href);
const compiled = await WebAssembly.compile(await readFile(join(site, 'zandrel.wasm')));
const instantiateWasm = (imports, receive) => {
  WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled));
  return {};
};

const problems = [];
process.on('unhandledRejection', (reason) => problems.push(`${reason}`));

// Storage that fails where the test says: its `at`-th call, or every one from then on, throws, or
// lets the transaction it belongs to give up, as a full disk does at the commit.
let fault = null;
for (const [prototype, name] of [
  [IDBFactory.prototype, 'open'],
  [IDBDatabase.prototype, 'transaction'],
  ...['get', 'put', 'delete', 'count', 'getAllKeys'].map((call) => [IDBObjectStore.prototype, call]),
]) {
  const real = prototype[name];
  prototype[name] = function (...args) {
    if (fault === null) {
      return real.apply(this, args);
    }
    fault.calls++;
    if (fault.calls !== fault.at && !(fault.fromThenOn && fault.calls > fault.at)) {
      return real.apply(this, args);
    }
    fault.struck = true;
    if (fault.kind === 'throws' || name === 'open') {
      throw new DOMException('no room left', 'QuotaExceededError');
    }
    const made = real.apply(this, args);
    (name === 'transaction' ? made : this.transaction).abort();
    return made;
  };
}

// What a browser keeps for the page's site: IndexedDB, and the local storage of 2.1.0.
function profile(localEntries = {}) {
  const local = {};
  for (const [name, value] of Object.entries({
    getItem: (key) => (Object.hasOwn(local, key) ? local[key] : null),
    setItem: (key, text) => (local[key] = String(text)),
    removeItem: (key) => delete local[key],
  })) {
    Object.defineProperty(local, name, { value });
  }
  Object.assign(local, localEntries);
  return { indexedDB: new IDBFactory(), local };
}

// Every record kept, by name: those in IndexedDB, and those left in local storage.
async function keptIn({ indexedDB, local }) {
  const db = await new Promise((resolve, reject) => {
    const opening = indexedDB.open('zandrel', 1);
    opening.onupgradeneeded = () => ['records', 'tabs'].forEach((name) => opening.result.createObjectStore(name));
    opening.onsuccess = () => resolve(opening.result);
    opening.onerror = () => reject(opening.error);
  });
  const records = await new Promise((resolve) => {
    const all = {};
    const t = db.transaction('records');
    t.objectStore('records').openCursor().onsuccess = ({ target }) => {
      if (target.result) {
        all[target.result.key] = target.result.value;
        target.result.continue();
      }
    };
    t.oncomplete = () => resolve(all);
  });
  db.close();
  return { ...records, ...Object.fromEntries(Object.keys(local).map((key) => [`local:${key}`, local[key]])) };
}

const clock = Date.UTC(2026, 11, 6, 14, 3);
const resumeLine = /^Resuming your game, started [^\n]*\n/;
const setAsidePlace = (name) => Number(/^(?:local:zandrel\/)?game-set-aside-(\d{1,9})-/.exec(name)?.[1] ?? 0);

const answerTo = (screen) =>
  /Are you sure you want to be \w+\?\n.*\n.*$/.test(screen) ? 'y' : /chose your character/.test(screen) ? 'k' : 'n';

// One tab with the page's game, played as the tests in the browser play it: a Knight, then a key
// at each pause and a no to each question. It closes after `moves` moves, or `afterFault` moves
// after the storage first failed. `screen` is the text since the last clear; `shownTo` is where
// the game's own text in it ends, the echo of an answer typed after it aside.
class Tab {
  constructor(browser, { moves = 60, afterFault = 3, locks = true, channel = null } = {}) {
    this.moves = moves;
    this.afterFault = afterFault;
    this.screen = '';
    this.shownTo = 0;
    this.told = [];
    this.games = 0;
    this.closed = new Promise((resolve) => (this.close = resolve));
    this.where = {
      indexedDB: browser.indexedDB,
      localStorage: browser.local,
      crypto: globalThis.crypto,
      BroadcastChannel: channel,
      navigator: locks ? { locks: { request: (name, options, granted) => Promise.resolve({ name }).then(granted) } } : {},
    };
  }

  open() {
    holdTheGame({ play: (stores) => this.play(stores), tell: (line) => this.told.push(line), lost: () => this.close('lost') }, this.where);
    return this.closed;
  }

  play(stores) {
    this.stores = stores;
    this.start([]);
  }

  start(args) {
    const number = ++this.games;
    const mine = (call) => async (...a) => (number === this.games ? call(...a) : new Promise(() => {}));
    const store = Object.fromEntries(Object.entries(this.stores()).map(([name, call]) => [name, mine(call)]));
    createZandrel({
      instantiateWasm,
      arguments: args,
      store,
      showText: (text) => {
        this.showing?.(text);
        this.screen += text;
        this.shownTo = this.screen.length;
      },
      clearScreen: () => {
        this.screen = '';
        this.shownTo = 0;
      },
      readLine: mine(() => this.move(answerTo)),
      readKey: mine(() => this.move(() => '')),
      gameEnded: (status) => this.close(status),
      tell: (line) => this.told.push(line),
      beginAgain: () => setTimeout(() => this.start(['--new'])),
      print: (text) => problems.push(text),
      printErr: (text) => problems.push(text),
    }).catch((problem) => problems.push(`${problem}`));
  }

  // The next move, or never, once the tab is closed.
  move(answer) {
    const left = fault?.struck ? this.afterFault-- : this.moves--;
    if (left <= 0) {
      this.close('closed');
      return new Promise(() => {});
    }
    const line = answer(this.screen);
    return new Promise((resolve) =>
      setImmediate(() => {
        if (line !== '') {
          this.screen += `${line}\n`; // echoed as the page echoes it
        }
        resolve(line === '' ? undefined : `${line}\n`);
      }),
    );
  }
}

// A record that holds more than its header: a game, or what is left of one.
const holdsAGame = (text) => typeof text === 'string' && text.split('\n').length > 3;
// A record as it reads after its first line, which a record stopped in place has written over.
const body = (text) => text.slice(text.indexOf('\n'));

// No record that held a game before is gone after, but for a game that was won or lost, and
// for set-aside ones older than the five newest.
function expectNoGameLost(before, after, ended) {
  const setAside = [...new Set([...Object.keys(before), ...Object.keys(after)])]
    .filter((name) => setAsidePlace(name) > 0 || name.includes('game-set-aside-'))
    .sort((one, other) => setAsidePlace(one) - setAsidePlace(other) || one.localeCompare(other));
  const mayGo = new Set(setAside.slice(0, Math.max(0, setAside.length - 5)));
  for (const [name, text] of Object.entries(before)) {
    if (!holdsAGame(text) || mayGo.has(name) || (ended && name === 'game')) {
      continue;
    }
    assert.ok(
      Object.values(after).some((kept) => typeof kept === 'string' && body(kept).startsWith(body(text))),
      `${name} went:\n${text.slice(0, 200)}`,
    );
  }
}

// Where a game starts: nothing kept but five records set aside before, an unfinished game, the
// same with a damaged record in its place, or the unfinished game in a 2.1.0 page's local storage.
const disks = ['fresh', 'unfinished', 'damaged', 'of 2.1.0'];

function setUp(disk, unfinished) {
  const earlier = Object.fromEntries(
    [1, 2, 3, 4, 5].map((place) => [`game-set-aside-000${place}-20261201T000000Z`, `zandrel record 1\nbegan ${place}\np\n`]),
  );
  const browser = profile(disk === 'of 2.1.0' ? { 'zandrel/game': unfinished } : {});
  const records = { ...earlier };
  if (disk === 'unfinished') {
    records.game = unfinished;
  } else if (disk === 'damaged') {
    records.game = 'zandrel record 1\nbegan 7\nq\n';
  }
  return { browser, records };
}

async function put(browser, records) {
  const db = await new Promise((resolve) => {
    const opening = browser.indexedDB.open('zandrel', 1);
    opening.onupgradeneeded = () => ['records', 'tabs'].forEach((name) => opening.result.createObjectStore(name));
    opening.onsuccess = () => resolve(opening.result);
  });
  await new Promise((resolve) => {
    const t = db.transaction('records', 'readwrite');
    Object.entries(records).forEach(([name, text]) => t.objectStore('records').put(text, name));
    t.oncomplete = resolve;
  });
  db.close();
}

// Numbers from 1 to `count`: the first few, and about 24 spread over the rest, the last among them.
function sampled(count) {
  const picked = [];
  for (let n = 1; n <= count; n += n < 6 ? 1 : Math.max(1, Math.floor(count / 24))) {
    picked.push(n);
  }
  return picked.at(-1) === count ? picked : [...picked, count];
}

test("each call of the page's storage fails in turn: no shown draw is thrown again, no game is lost, and the fault is said once", async () => {
  const realNow = Date.now;
  Date.now = () => clock;
  const tally = { runs: 0, failed: 0, resumed: 0, ended: 0 };
  try {
    // The unfinished game: this one, left after eight moves.
    const first = profile();
    await new Tab(first, { moves: 8 }).open();
    const unfinished = (await keptIn(first)).game;
    assert.match(unfinished, /^zandrel record 2\nbegan \d+\nrules 1\n/);

    for (const disk of disks) {
      const healthy = setUp(disk, unfinished);
      await put(healthy.browser, healthy.records);
      fault = { at: Infinity, calls: 0 };
      await new Tab(healthy.browser).open();
      const calls = fault.calls;
      fault = null;
      for (const kind of ['throws', 'aborts']) {
        for (const fromThenOn of [false, true]) {
          for (const at of sampled(calls)) {
            const how = `${disk}: call ${at} ${kind}${fromThenOn ? ', and every one after' : ''}`;
            const { browser, records } = setUp(disk, unfinished);
            await put(browser, records);
            const before = await keptIn(browser);
            fault = { at, fromThenOn, kind, calls: 0, struck: false };
            const tab = new Tab(browser);
            const ending = await tab.open();
            const struck = fault.struck;
            fault = null;
            await new Promise((resolve) => setTimeout(resolve, 5)); // what was under way settles
            const kept = await keptIn(browser);
            expectNoGameLost(before, kept, ending === 0 || ending === 1);
            const saidOnce = tab.told.filter((line) => line.includes('can no longer be kept'));
            assert.ok(saidOnce.length <= 1, `${how}: said ${saidOnce.length} times`);
            assert.notEqual(ending, 'lost', how);
            tally.ended += ending === 4 ? 1 : 0;

            // The page opened again, on what was kept.
            const again = new Tab(browser, { moves: 0 });
            await again.open();
            expectNoGameLost(kept, await keptIn(browser), false);
            if (resumeLine.test(again.screen)) {
              tally.resumed++;
              const resumed = again.screen.replace(resumeLine, '');
              const asLeft = kept.game === unfinished || kept['local:zandrel/game'] === unfinished;
              const seen = tab.screen.replace(resumeLine, '');
              const seenThen = seen.startsWith(resumed) && resumed.length >= tab.shownTo - (tab.screen.length - seen.length);
              assert.ok(seenThen || (asLeft && tab.told.length > 0), `${how}: resumed another screen than the one seen last:\n${resumed.slice(-300)}\n--- seen:\n${tab.screen.slice(-300)}`);
            } else {
              assert.match(again.screen, /^\n\n\n\t\tWelcome to Zandrel/, how);
            }
            assert.deepEqual(problems, [], how);
            tally.runs++;
            tally.failed += struck ? 1 : 0;
          }
        }
      }
    }
  } finally {
    Date.now = realNow;
    fault = null;
  }
  console.log(`${tally.runs} runs, ${tally.failed} with a failed call; ${tally.resumed} resumed; ${tally.ended} ended with status 4`);
});

test('every change is on disk, and strictly so, before the text that shows a draw reaches the terminal', async () => {
  // The page's changes as the stand-in database sees them: how each is opened, which are not yet
  // committed, and the record as the last committed change left it.
  const changes = { durabilities: new Set(), open: 0, record: undefined };
  const real = { transaction: IDBDatabase.prototype.transaction, put: IDBObjectStore.prototype.put };
  IDBDatabase.prototype.transaction = function (...args) {
    const t = real.transaction.apply(this, args);
    if (t.mode === 'readwrite') {
      changes.durabilities.add(t.durability);
      changes.open++;
      t.addEventListener('complete', () => {
        changes.open--;
        changes.record = t.record ?? changes.record;
      });
      t.addEventListener('abort', () => changes.open--);
    }
    return t;
  };
  IDBObjectStore.prototype.put = function (value, key) {
    if (key === 'game') {
      this.transaction.record = value;
    }
    return real.put.call(this, value, key);
  };
  holdCommits(5); // so that a text shown before its change completes is shown before it, here too
  try {
    const tab = new Tab(profile(), { moves: 120 });
    let written = '';
    let dice = 0;
    const play = tab.play.bind(tab);
    tab.play = (stores) =>
      play(() => {
        const store = stores();
        const append = (text) => {
          written += text;
          return store.append(text);
        };
        return { ...store, append };
      });
    const early = [];
    tab.showing = (text) => {
      const die = /rolled a \d on one die/.test(text);
      dice += die ? 1 : 0;
      if (changes.open > 0 || (die && changes.record !== written)) {
        early.push(text);
      }
    };
    await tab.open();
    assert.deepEqual(early, [], 'shown before the change before it was on disk');
    assert.ok(dice > 5, `${dice} dice shown`);
    assert.deepEqual([...changes.durabilities], ['strict']);
    assert.deepEqual(problems, []);
  } finally {
    holdCommits(0);
    Object.assign(IDBDatabase.prototype, { transaction: real.transaction });
    Object.assign(IDBObjectStore.prototype, { put: real.put });
  }
});

// A stand-in for the channel between the tabs of one browser: a message reaches every other open
// channel of its name a moment later. Each tab's channels close with the tab.
function browserChannels() {
  const open = new Set();
  return () => {
    const own = new Set();
    class Channel extends EventTarget {
      constructor(name) {
        super();
        this.name = name;
        open.add(this);
        own.add(this);
      }
      set onmessage(listen) {
        this.addEventListener('message', listen);
      }
      postMessage(data) {
        for (const other of open) {
          if (other !== this && other.name === this.name) {
            setTimeout(() => open.has(other) && other.dispatchEvent(new MessageEvent('message', { data: structuredClone(data) })));
          }
        }
      }
      close() {
        open.delete(this);
      }
    }
    return { Channel, closeAll: () => own.forEach((channel) => channel.close()) };
  };
}

// A tab of a page served on plain HTTP, where the browser has no lock: it plays, or says that
// another tab does. Its store is what its game would write with.
function plainTab(browser, channels, { session = new Map(), navigation = 'navigate' } = {}) {
  const { Channel, closeAll } = channels();
  const where = Object.assign(new EventTarget(), {
    indexedDB: browser.indexedDB,
    localStorage: browser.local,
    sessionStorage: { getItem: (key) => session.get(key) ?? null, setItem: (key, text) => session.set(key, text) },
    performance: { getEntriesByType: () => [{ type: navigation }] },
    crypto: globalThis.crypto,
    BroadcastChannel: Channel,
    navigator: {},
  });
  const tab = { told: [], lost: false };
  tab.plays = new Promise((resolve) => {
    holdTheGame(
      {
        play: (stores) => resolve((tab.store = stores())),
        tell: (line) => {
          tab.told.push(line);
          resolve(null);
        },
        lost: () => (tab.lost = true),
      },
      where,
    );
  });
  // Closed as a tab is closed, letting its claim go, or as it is killed, without a word.
  tab.close = (killed) => {
    if (!killed) {
      where.dispatchEvent(new Event('pagehide'));
    }
    closeAll();
  };
  return tab;
}

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function keepSome(store, text) {
  assert.equal(await store.read('', 1e6), 'none');
  assert.equal(store.append(text), 'ok');
  assert.equal(await store.sync(), 'ok');
}

test('a tab that no longer answers for its claim loses it, and its next write is refused', async () => {
  const browser = profile();
  const channels = browserChannels();
  const silent = plainTab(browser, channels);
  const store = await silent.plays;
  await keepSome(store, 'zandrel record 1\nbegan 1\np\n');
  silent.close(true); // its page hangs: it answers no one, yet its game may still write
  const other = plainTab(browser, channels);
  const taken = await other.plays;
  assert.ok(taken);
  assert.equal(store.append('d 3\n'), 'ok');
  const refused = await Promise.race([store.sync(), pause(200).then(() => 'no answer')]);
  assert.equal(refused, 'no answer', 'the write never returns to the game');
  assert.equal(silent.lost, true);
  assert.equal(await taken.read('', 1e6), 'found:zandrel record 1\nbegan 1\np\n');
  other.close(false);
});

test('a tab reloaded takes its claim back at once, and a tab copied from it asks first', async () => {
  const browser = profile();
  const channels = browserChannels();
  const session = new Map();
  const first = plainTab(browser, channels, { session });
  await keepSome(await first.plays, 'zandrel record 1\nbegan 1\np\n');
  const copied = new Map(session);
  first.close(true); // no word as it goes, as Chromium lets a page go
  const began = Date.now();
  const reloaded = plainTab(browser, channels, { session, navigation: 'reload' });
  assert.ok(await reloaded.plays);
  assert.ok(Date.now() - began < 500, `played after ${Date.now() - began} ms`);
  const copy = plainTab(browser, channels, { session: copied });
  assert.equal(await copy.plays, null);
  reloaded.close(false);
});
