// The page as an app of its own: installed from the browser's menu and started from the home
// screen, played with no server once it has been visited (its worker, sw.js, keeps every file of
// the page), and its kept game kept by the browser as an app's data, not dropped when room runs
// short. Browsers offer all this only to a secure page (https, localhost); elsewhere the page
// plays and keeps its game as it always did, and says nothing of the rest.

const workers = globalThis.isSecureContext ? navigator.serviceWorker : undefined;

// The browser may refuse, as it may for a page seldom visited: the game is kept all the same,
// only not beyond the browser's need for room, and the player is not troubled with it.
function persist() {
  navigator.storage?.persist?.().catch(() => {});
}

// Before a game is made here: a newer page, which the worker fetched on an earlier visit, takes
// over now when no other tab of the page is open, by loading the page again; never later, in the
// middle of a game. Otherwise the page goes on as it is, and the worker looks for a newer page.
export async function startAsApp() {
  if (!workers) {
    return;
  }
  addEventListener('appinstalled', persist);
  try {
    const waiting = (await workers.getRegistration())?.waiting;
    if (waiting && workers.controller && (await takesOver(waiting))) {
      return new Promise(() => {}); // the page loads again once the new worker has taken over
    }
  } catch {
    // the page plays as one without a worker
  }
  workers.register('sw.js').catch(() => {});
}

// The new worker may take over before its answer reaches the page, so the page listens for it
// before it asks. A worker that an even newer one has replaced never answers: the page goes on.
function takesOver(waiting) {
  return new Promise((resolve) => {
    const reload = () => location.reload();
    const stays = () => {
      workers.removeEventListener('controllerchange', reload);
      resolve(false);
    };
    const replaced = () => waiting.state === 'redundant' && stays();
    workers.addEventListener('controllerchange', reload);
    waiting.addEventListener('statechange', replaced);
    const answer = new MessageChannel();
    answer.port1.onmessage = ({ data }) => (data ? resolve(true) : stays());
    waiting.postMessage('take over?', [answer.port2]);
    replaced();
  });
}

// The store of a game that asks the browser, once, to keep the game as an app's data, as soon as
// there is a game to keep.
export function keptAsApp(store) {
  if (!workers || !store.sync) {
    return store;
  }
  let asked = false;
  return {
    ...store,
    async sync() {
      const answer = await store.sync();
      if (answer === 'ok' && !asked) {
        asked = true;
        persist();
      }
      return answer;
    },
  };
}
