// The page's worker: it keeps every file of the page, fetched as it is installed, so that after
// one visit the page starts, and resumes its kept game, with no server. Each build of the page
// has a cache of its own, named after its release and what its files hold (web/worker.cmake); a
// newer worker waits until a page it would serve asks it to take over, which a page does only as
// it loads, with no other tab of it open (offline.mjs), and the older cache goes then.

const scope = self.registration.scope;
const cacheName = `zandrel @release@ ${scope}`;
const files = ['./', @files@];

self.addEventListener('install', (event) => {
  // Fetched past the browser's own cache, so that the cache holds this build and no other.
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: 'no-cache' })))));
});

self.addEventListener('activate', (event) => {
  const older = (name) => name.startsWith('zandrel ') && name.endsWith(` ${scope}`) && name !== cacheName;
  event.waitUntil(caches.keys().then((names) => Promise.all(names.filter(older).map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || !request.url.startsWith(scope)) {
    return;
  }
  // The test page's game script is in the page's address: one page, whatever it asks.
  event.respondWith(
    caches.open(cacheName).then(async (cache) => (await cache.match(request, { ignoreSearch: true })) ?? fetch(request)),
  );
});

self.addEventListener('message', (event) => {
  if (event.data !== 'take over?') {
    return;
  }
  event.waitUntil(
    self.clients.matchAll({ type: 'window', includeUncontrolled: true }).then(async (pages) => {
      const alone = pages.length <= 1;
      if (alone) {
        await self.skipWaiting();
      }
      event.ports[0]?.postMessage(alone);
    }),
  );
});
