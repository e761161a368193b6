// The game kept in the browser's IndexedDB for the page's site, and the one tab that plays it.
// The game decides what is written and when (src/record); this is only where it is kept: the
// record of the unfinished game, up to five records set aside beside it, the finished games and
// their list, and the claim of the tab that plays. Tabs may tell each other who plays, but only
// the claim decides: every change is one transaction that reads the claim and writes the record
// together, so a tab that no longer holds the claim cannot write a byte, whatever it believes.

const databaseName = 'zandrel';
const recordsStore = 'records'; // the unfinished game ('game') and those set aside
const tabsStore = 'tabs'; // the claim of the tab that plays, and the mark of a 2.1.0 record taken over
const recordName = 'game';
const setAsidePrefix = 'game-set-aside-';
// Where a page of 2.1.0 kept its game: the browser's local storage, under these names.
const oldPrefix = 'zandrel/';

// How long a tab waits for the tab named in the claim to say that it still plays.
const answerWait = 1000;

// How long each change waits before it is made, so that it is on disk that much later: only the
// test page of a killed browser holds its changes back, to catch a page that shows a draw first.
let commitHold = 0;
export const holdCommits = (ms) => (commitHold = ms);

const why = (problem) => (problem?.name === 'QuotaExceededError' ? "the browser's storage is full" : `${problem}`);
const never = () => new Promise(() => {});

// Said by a write that found the claim no longer this tab's.
class ClaimLost extends Error {}

function open(indexedDB) {
  return new Promise((resolve, reject) => {
    const opening = indexedDB.open(databaseName, 1);
    opening.onupgradeneeded = () => {
      opening.result.createObjectStore(recordsStore);
      opening.result.createObjectStore(tabsStore);
    };
    opening.onsuccess = () => resolve(opening.result);
    opening.onerror = () => reject(opening.error);
  });
}

// One transaction over everything kept: `work` gets the transaction, a way to act on a request's
// result, and a way to set the answer. Resolves with the answer once the transaction has
// committed; rejects when it was aborted, whatever aborted it.
async function transact(db, mode, work) {
  const writes = mode === 'readwrite';
  if (writes && commitHold > 0) {
    await new Promise((resolve) => setTimeout(resolve, commitHold));
  }
  return new Promise((resolve, reject) => {
    let answer;
    let problem = null;
    try {
      // Every transaction is opened here, and only here. A change is complete only once the
      // browser has written it to disk, as the terminal's store syncs: its game shows nothing
      // before.
      const t = db.transaction([recordsStore, tabsStore], mode, writes ? { durability: 'strict' } : {});
      const guarded = (act) => {
        try {
          act();
        } catch (error) {
          problem ??= error;
          try {
            t.abort();
          } catch {
            // already over: it is rejected all the same
          }
        }
      };
      const step = (request, then) => {
        request.onsuccess = () => guarded(() => then(request.result));
      };
      t.oncomplete = () => (problem ? reject(problem) : resolve(answer));
      t.onabort = () => reject(problem ?? t.error ?? new DOMException('the browser gave the change up', 'AbortError'));
      guarded(() => work(t, step, (value) => (answer = value)));
    } catch (error) {
      reject(error);
    }
  });
}

// A change to what is kept, made only while this tab holds the claim, in the same transaction.
function change(db, me, work) {
  return transact(db, 'readwrite', (t, step, answer) => {
    step(t.objectStore(tabsStore).get('claim'), (claim) => {
      if (claim?.tab !== me) {
        throw new ClaimLost('another tab plays this game now');
      }
      work(t.objectStore(recordsStore), step, answer, t);
    });
  });
}

// Takes the claim for this tab where none stands, or where `mayTake` lets the standing one go;
// answers null once the claim is this tab's, or else the claim that stands.
function takeClaim(db, me, mayTake) {
  return transact(db, 'readwrite', (t, step, answer) => {
    const tabs = t.objectStore(tabsStore);
    step(tabs.get('claim'), (claim) => {
      if (claim && claim.tab !== me && !mayTake(claim)) {
        answer(claim);
        return;
      }
      tabs.put({ tab: me, at: Date.now() }, 'claim');
      answer(null);
    });
  });
}

// A file kept beside the record, as the game reads one: at most `limit` of it.
async function readKept(db, name, limit) {
  let kept;
  try {
    kept = await transact(db, 'readonly', (t, step, answer) => step(t.objectStore(recordsStore).get(name), answer));
  } catch (error) {
    return `unreadable:${why(error)}`;
  }
  return kept === undefined ? 'none' : `found:${String(kept).slice(0, limit)}`;
}

async function namesKept(db, prefix) {
  const names = await transact(db, 'readonly', (t, step, answer) => step(t.objectStore(recordsStore).getAllKeys(), answer));
  return `names:${names.filter((name) => `${name}`.startsWith(prefix)).join('\n')}`;
}

// The finished games as a list or a replay reads them, in a game of their own beside the one in
// play: it holds no claim and writes nothing, so it never stands in the way of the game in play,
// and the list is mended only by that game. `file` is the record the player opened, or followed a
// link to.
export function keptGamesReader(db, file = null) {
  let problem = 'the browser keeps no storage for this page';
  return {
    lock: () => 'unusable:only read here',
    lastProblem: () => problem,
    readFile: (name, limit) => (db ? readKept(db, name, limit) : 'none'),
    async namesStartingWith(prefix) {
      try {
        return db ? await namesKept(db, prefix) : 'names:';
      } catch (error) {
        problem = why(error);
        return 'failed';
      }
    },
    readRecordFile: (_, limit) => (file === null ? 'none' : `found:${file.slice(0, limit)}`),
  };
}

// Where the finished games are kept; null where the browser keeps nothing for the page.
export const openKeptGames = (where = globalThis) => open(where.indexedDB).catch(() => null);

function releaseClaim(db, me) {
  transact(db, 'readwrite', (t, step) => {
    const tabs = t.objectStore(tabsStore);
    step(tabs.get('claim'), (claim) => claim?.tab === me && tabs.delete('claim'));
  }).catch(() => {});
}

// The store one game calls (through src/host/WebStore.cpp), one call at a time, each with a text
// and a number of which it uses what it needs; every answer is text, or a promise of it. Writes
// are awaited until they are committed, so that the game shows nothing its record lacks. A call
// that finds the claim gone never answers: the game stops where it stands, and `lost` says why.
export function keptGame(db, me, lost) {
  let kept = null; // the record as the game has written it, committed at each sync
  let problem = '';
  const failed = (error) => {
    if (error instanceof ClaimLost) {
      lost();
      return never();
    }
    problem = why(error);
    return 'failed';
  };
  const write = (work) => change(db, me, work);
  const store = {
    lock: () => 'taken',
    async read(_, limit) {
      const whole = await readKept(db, recordName, Infinity);
      kept = whole.startsWith('found:') ? whole.slice(6) : null;
      return kept === null ? whole : `found:${kept.slice(0, limit)}`;
    },
    async cut(_, length) {
      try {
        kept = await write((records, step, answer) =>
          step(records.get(recordName), (record) => {
            if (record !== undefined) {
              records.put(String(record).slice(0, length), recordName);
              answer(String(record).slice(0, length));
            }
          }),
        );
        kept ??= null;
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    append(text) {
      kept = (kept ?? '') + text;
      return 'ok';
    },
    // The record is committed before the game shows what follows it.
    async sync() {
      try {
        await write((records) => records.put(kept ?? '', recordName));
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    lastProblem: () => problem,
    moveAside: (name) => store.renameFile(`${recordName}\n${name}`),
    // Under its new name and gone from the old one in one commit, or not at all; the record too.
    async renameFile(names) {
      const [from, name] = names.split('\n');
      try {
        const moved = await write((records, step, answer) =>
          step(records.get(from), (record) => {
            if (record === undefined) {
              answer('noRecord');
              return;
            }
            step(records.count(name), (taken) => {
              if (taken > 0) {
                answer('nameTaken');
                return;
              }
              records.put(record, name);
              records.delete(from);
              answer('moved');
            });
          }),
        );
        if (moved === 'moved' && from === recordName) {
          kept = null;
        }
        return moved;
      } catch (error) {
        return failed(error);
      }
    },
    // The record as it was committed, its first line written over, and no longer than it was.
    async rewriteStart(text) {
      try {
        const marked = await write((records, step, answer) =>
          step(records.get(recordName), (record) => {
            if (record !== undefined) {
              const over = text.slice(0, String(record).length) + String(record).slice(text.length);
              records.put(over, recordName);
              answer(over);
            }
          }),
        );
        if (marked === undefined) {
          return failed('there is no record');
        }
        kept = marked;
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    namesSetAside: () => store.namesStartingWith(setAsidePrefix),
    async namesStartingWith(prefix) {
      try {
        return await namesKept(db, prefix);
      } catch (error) {
        return failed(error);
      }
    },
    removeSetAside: (name) => store.removeFile(name),
    async removeFile(name) {
      try {
        await write((records) => records.delete(name));
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    readFile: (name, limit) => readKept(db, name, limit),
    // Made where there is none, and committed before the game goes on.
    async appendFile(nameAndText) {
      const at = nameAndText.indexOf('\n');
      const [name, text] = [nameAndText.slice(0, at), nameAndText.slice(at + 1)];
      try {
        await write((records, step) => step(records.get(name), (file) => records.put((file ?? '') + text, name)));
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    async remove() {
      const removed = await store.removeFile(recordName);
      kept = removed === 'ok' ? null : kept;
      return removed;
    },
  };
  return store;
}

// The store of a page whose game cannot be kept: the game says why once and plays on.
const unkept = (reason) => ({ lock: () => `unusable:${reason}`, lastProblem: () => reason });

// A game that a page of 2.1.0 left in local storage, with those it set aside, is taken over once:
// committed here with the mark that it was, while nothing is kept here yet, and only then removed
// from local storage.
async function takeOverOldRecord(db, me, localStorage, tell) {
  let old;
  try {
    const storage = localStorage();
    old = Object.keys(storage)
      .filter((key) => key === oldPrefix + recordName || key.startsWith(oldPrefix + setAsidePrefix))
      .map((key) => [key, storage.getItem(key)]);
  } catch {
    return; // no local storage here: nothing to take over
  }
  if (old.length === 0) {
    return;
  }
  try {
    const taken = await change(db, me, (records, step, answer, t) => {
      const tabs = t.objectStore(tabsStore);
      step(tabs.get('upgraded'), (upgraded) =>
        step(records.count(recordName), (games) => {
          if (upgraded || games > 0) {
            answer(false);
            return;
          }
          for (const [key, text] of old) {
            const name = key.slice(oldPrefix.length);
            step(records.count(name), (taken) => taken === 0 && records.put(text, name));
          }
          tabs.put(true, 'upgraded');
          answer(true);
        }),
      );
    });
    for (const [key] of taken ? old : []) {
      try {
        localStorage().removeItem(key);
      } catch {
        // left behind, and never taken over again: the mark says it was
      }
    }
  } catch (error) {
    if (!(error instanceof ClaimLost)) {
      tell(`The game an earlier version of this page kept cannot be taken over yet (${why(error)}).`);
    }
  }
}

const elsewhere = 'This game is being played in another tab of this browser';

// One tab plays the game: `play` is called, once, in the tab that holds the claim, with a maker of
// stores for its games; another tab says so with `tell` and never writes. Where the page is a
// secure context the browser's lock says which tab plays, and a waiting tab takes the game over
// once the playing one is closed. Elsewhere (plain HTTP from another machine) a tab takes a claim
// that no live tab answers for. `lost` is heard by a tab whose claim another has taken since.
export async function holdTheGame({ play, tell, lost }, where = globalThis) {
  let db;
  try {
    db = await open(where.indexedDB);
  } catch {
    play(() => unkept('the browser keeps no storage for this page'));
    return;
  }
  const me = tabName(where.crypto);
  // The claim is let go as the page goes, where the browser still lets the change through; a tab
  // that goes without letting it go is found out by its silence.
  where.addEventListener?.('pagehide', () => releaseClaim(db, me));
  db.onversionchange = () => {
    db.close();
    lost();
  };
  const start = async (claiming) => {
    try {
      if (!(await claiming())) {
        tell(`${elsewhere}; it goes on there. Close that tab and reload this one to play here.`);
        return;
      }
    } catch (error) {
      play(() => unkept(why(error)));
      return;
    }
    await takeOverOldRecord(db, me, () => where.localStorage, tell);
    play(() => keptGame(db, me, lost));
  };
  const locks = where.navigator?.locks;
  if (!locks) {
    start(() => claimByAsking(db, me, where.BroadcastChannel, reloadedFrom(where, me)));
    return;
  }
  // The tab that holds the lock takes the claim whoever held it: no other tab is open then.
  const claimAll = async () => (await takeClaim(db, me, () => true)) === null;
  locks.request('zandrel-game', { ifAvailable: true }, (lock) => {
    if (lock) {
      start(claimAll);
      return never(); // held for as long as the page is open
    }
    tell(`${elsewhere}; it goes on there, and here once that tab is closed.`);
    return locks.request('zandrel-game', () => {
      tell('');
      start(claimAll);
      return never();
    });
  });
}

// The name this very tab had before it was reloaded, if it was: the page it had is gone, and the
// claim it left may be taken at once. Each page of a tab names itself anew, so that a tab copied
// from this one, which finds the same name, never takes this one's claim that way.
function reloadedFrom(where, me) {
  try {
    const before = where.sessionStorage.getItem('zandrel/tab');
    where.sessionStorage.setItem('zandrel/tab', me);
    return where.performance.getEntriesByType('navigation')[0]?.type === 'reload' ? before : null;
  } catch {
    return null;
  }
}

function tabName(crypto) {
  return Array.from(crypto.getRandomValues(new Uint32Array(4)), (n) => n.toString(36)).join('-');
}

// Without the browser's lock: the claim is this tab's when none stands, when it was this tab's
// before a reload, or when the tab it names does not answer; true once it is, false when a live
// tab holds it. A tab answers for its claim
// from the moment it may have taken it.
async function claimByAsking(db, me, BroadcastChannel, before) {
  const channel = new BroadcastChannel('zandrel-game');
  let mayHold = false;
  channel.onmessage = ({ data }) => {
    if (data?.asking !== undefined && mayHold) {
      channel.postMessage({ playing: me });
    }
  };
  try {
    for (;;) {
      mayHold = true;
      const held = await takeClaim(db, me, (claim) => claim.tab === before);
      if (held === null) {
        return true;
      }
      mayHold = false;
      if (await answersFor(channel, me, held.tab)) {
        channel.close();
        return false;
      }
      mayHold = true;
      if ((await takeClaim(db, me, (claim) => claim.tab === held.tab && claim.at === held.at)) === null) {
        return true;
      }
    }
  } catch (error) {
    channel.close();
    throw error;
  }
}

// Whether the tab that holds the claim says so in time.
function answersFor(channel, me, holder) {
  return new Promise((resolve) => {
    const listen = ({ data }) => {
      if (data?.playing === holder) {
        done(true);
      }
    };
    const timer = setTimeout(() => done(false), answerWait);
    const done = (answered) => {
      clearTimeout(timer);
      channel.removeEventListener('message', listen);
      resolve(answered);
    };
    channel.addEventListener('message', listen);
    channel.postMessage({ asking: me });
  });
}
