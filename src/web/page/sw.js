// Keeps the page, the game and its data set in the browser, so that the next
// visit starts offline too. The cache is named after this build (the build
// script writes its version and the hash of its files below): a new build's
// worker fills its own cache, and once it takes over the old one is deleted.
// The high scores are not in here: they live in IndexedDB.
'use strict';
var build = '@BUILD@';
// One cache per copy of the game on a host (its folder), so that two copies
// in two folders never delete each other's.
var cachePrefix = 'vandrel ' + self.registration.scope + ' ';
var cacheName = cachePrefix + build;
var files = ['./', 'index.html', 'page.js', 'controls.js', 'options.js', 'share.js', 'vandrel.js', 'vandrel.wasm', 'vandrel.zip',
  'manifest.webmanifest', 'icon-192.png', 'icon-512.png', 'favicon-16.png', 'favicon-32.png',
  'making-galleries.txt', 'accessibility.txt'];

self.addEventListener('install', function (event) {
  // Fresh from the server, not from the browser's HTTP cache.
  event.waitUntil(caches.open(cacheName).then(function (cache) {
    return cache.addAll(files.map(function (f) { return new Request(f, { cache: 'reload' }); }));
  }).then(function () { return self.skipWaiting(); }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf(cachePrefix) === 0 && name !== cacheName;
    }).map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

// The kept copy first (a page option such as ?record asks for the same page);
// what is not kept comes from the server.
self.addEventListener('fetch', function (event) {
  var request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(cacheName).then(function (cache) {
    return cache.match(request, { ignoreSearch: true }).then(function (kept) {
      return kept || fetch(request);
    });
  }));
});
