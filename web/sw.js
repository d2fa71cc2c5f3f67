// Keeps the page's own files so that the game starts offline once it has been
// played. The network comes first, so a new version is taken as soon as it is
// served; the copies here are used only when the network fails.
'use strict';
const CACHE = 'skorvane-1';  // a new name drops the old copies on activation
const FILES = ['./', 'index.html', 'skorvane.js', 'skorvane.wasm', 'skorvane.data.gz',
               'skorvane.svg', 'manifest.webmanifest', 'LICENSE.txt'];

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE).then(cache => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
      .then(names => Promise.all(names.filter(name => name !== CACHE).map(name => caches.delete(name))))
      .then(() => self.clients.claim()));
});

// The server's answer is checked against the HTTP cache's copy rather than taken
// from it, so that the game's script and WebAssembly always come as a pair. Only
// a whole good answer replaces the kept copy; a failed one falls back on it.
self.addEventListener('fetch', event => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== location.origin) return;
  const kept = () => caches.match(request);
  event.respondWith(fetch(request, {cache: 'no-cache'}).then(response => {
    if (response.status !== 200) return kept().then(copy => copy || response);
    const copy = response.clone();
    event.waitUntil(caches.open(CACHE).then(cache => cache.put(request, copy)));
    return response;
  }, () => kept().then(copy => copy || Response.error())));
});
