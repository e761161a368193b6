// The game kept in the browser's local storage for the page's site, and the one tab that plays it.
// The game decides what is written and when (src/record); this is only where it is kept: the
// record of the unfinished game, and up to five records set aside beside it.

const prefix = 'zandrel/';
const recordKey = `${prefix}game`;
const setAsidePrefix = 'game-set-aside-';

// Throws where the browser keeps no storage for the page (blocked, or a private window).
const storage = () => window.localStorage;

const why = (problem) => (problem?.name === 'QuotaExceededError' ? "the browser's storage is full" : `${problem}`);

// The store the game calls, one synchronous call at a time, each with a text and a number of which
// it uses what it needs; every answer is text.
export function keptGame() {
  let kept = null; // the record as the game has written it, kept in storage at each sync
  let problem = '';
  const failed = (error) => {
    problem = why(error);
    return 'failed';
  };
  return {
    lock() {
      try {
        storage().getItem(recordKey);
        return 'taken';
      } catch {
        return 'unusable:the browser keeps no storage for this page';
      }
    },
    read(_, limit) {
      try {
        kept = storage().getItem(recordKey);
      } catch (error) {
        return `unreadable:${why(error)}`;
      }
      return kept === null ? 'none' : `found:${kept.slice(0, limit)}`;
    },
    cut(_, length) {
      kept = (kept ?? '').slice(0, length);
      return 'ok';
    },
    append(text) {
      kept = (kept ?? '') + text;
      return 'ok';
    },
    // The record is in storage before the game shows what follows it.
    sync() {
      try {
        storage().setItem(recordKey, kept ?? '');
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    lastProblem: () => problem,
    moveAside(name) {
      try {
        const record = storage().getItem(recordKey);
        if (record === null) {
          return 'noRecord';
        }
        if (storage().getItem(prefix + name) !== null) {
          return 'nameTaken';
        }
        storage().setItem(prefix + name, record);
        storage().removeItem(recordKey);
        kept = null;
        return 'moved';
      } catch (error) {
        return failed(error);
      }
    },
    // Needs no more room than the record already takes.
    rewriteStart(text) {
      try {
        const record = storage().getItem(recordKey);
        if (record === null) {
          return failed('there is no record');
        }
        kept = text.slice(0, record.length) + record.slice(text.length);
        storage().setItem(recordKey, kept);
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    namesSetAside() {
      try {
        const names = Object.keys(storage())
          .filter((key) => key.startsWith(prefix + setAsidePrefix))
          .map((key) => key.slice(prefix.length));
        return `names:${names.join('\n')}`;
      } catch (error) {
        return failed(error);
      }
    },
    removeSetAside(name) {
      try {
        storage().removeItem(prefix + name);
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
    remove() {
      try {
        storage().removeItem(recordKey);
        kept = null;
        return 'ok';
      } catch (error) {
        return failed(error);
      }
    },
  };
}

const elsewhere = 'This game is being played in another tab of this browser';

// One tab plays the game; another one opened meanwhile says so and never touches the record. Where
// the page is a secure context, the browser's lock does this, and a second tab takes the game over
// once the first is closed. Elsewhere (plain HTTP from another machine) the tabs ask each other.
export function holdTheGame(play, tell) {
  if (navigator.locks) {
    navigator.locks.request('zandrel-game', { ifAvailable: true }, (lock) => {
      if (lock) {
        play();
        return new Promise(() => {}); // held for as long as the page is open
      }
      tell(`${elsewhere}; it goes on there, and here once that tab is closed.`);
      return navigator.locks.request('zandrel-game', () => {
        tell('');
        play();
        return new Promise(() => {});
      });
    });
    return;
  }
  askTheOtherTabs(play, () => tell(`${elsewhere}; it goes on there. Close that tab and reload this one to play here.`));
}

// Each tab that starts asks the others; one that plays answers. Two tabs asking at once settle it
// by their numbers, the lower one playing.
function askTheOtherTabs(play, refuse) {
  const channel = new BroadcastChannel('zandrel-game');
  const me = Math.random();
  let state = 'asking';
  channel.onmessage = ({ data }) => {
    if (data.asking !== undefined && state === 'playing') {
      channel.postMessage({ playing: true });
    } else if ((data.playing || (data.asking !== undefined && data.asking < me)) && state === 'asking') {
      state = 'refused';
      refuse();
    }
  };
  channel.postMessage({ asking: me });
  setTimeout(() => {
    if (state === 'asking') {
      state = 'playing';
      play();
    }
  }, 300);
}
