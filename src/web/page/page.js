// The page around the game: downloads the game and its data set with a
// progress bar, scales the canvas to the window with its aspect kept, keeps
// the browser's own uses of the game's keys and buttons away, switches the
// browser's full screen, and offers another game once one has ended.
'use strict';
(function () {
  var frameWidth = 640, frameHeight = 480;
  var stage = document.getElementById('stage');
  var canvas = document.getElementById('canvas');
  var covers = { loading: 'loading', ended: 'ended', failed: 'failed' };
  var page = (window.vandrelPage = { state: 'loading', startedAt: 0 });

  function setState(state) {
    page.state = state;
    document.body.dataset.state = state;
    Object.keys(covers).forEach(function (name) {
      document.getElementById(covers[name]).hidden = name !== state;
    });
  }

  // As large as the window (or the screen) allows, aspect kept, centred.
  function fit() {
    var full = document.fullscreenElement === stage;
    var controls = document.getElementById('controls');
    var availW = full ? window.innerWidth : window.innerWidth - 16;
    var availH = full ? window.innerHeight : window.innerHeight - controls.offsetHeight - 24;
    var scale = Math.max(0.25, Math.min(availW / frameWidth, availH / frameHeight));
    var w = Math.floor(frameWidth * scale), h = Math.floor(frameHeight * scale);
    document.documentElement.style.setProperty('--w', w + 'px');
    document.documentElement.style.setProperty('--h', h + 'px');
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  fit();

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(function () {});
  }
  document.getElementById('fullscreen').addEventListener('click', function (e) {
    toggleFullScreen();
    e.currentTarget.blur();
  });

  // The right button reloads the magazine: no context menu over the game.
  stage.addEventListener('contextmenu', function (e) { e.preventDefault(); });

  // Seen before the game's own key handling (capture on the window).
  var pageKeys = { ArrowLeft: 1, ArrowRight: 1, ArrowUp: 1, ArrowDown: 1, ' ': 1, PageUp: 1, PageDown: 1, Home: 1, End: 1 };
  window.addEventListener('keydown', function (e) {
    if (e.key === 'Enter' && e.altKey) {
      // The browser's full screen, asked for inside the key's own event as
      // browsers require; the game keeps running in the page as it was.
      e.preventDefault();
      e.stopImmediatePropagation();
      toggleFullScreen();
      return;
    }
    // The arrow keys scroll the landscape, not the page.
    if (page.state === 'running' && pageKeys[e.key]) e.preventDefault();
  }, true);

  // Another game: the page starts afresh once the last save is in storage.
  document.getElementById('again').addEventListener('click', function () {
    var tries = 0;
    (function reloadWhenWritten() {
      var store = window.Module && Module.store;
      if (store && (store.writing || store.written < store.saves) && tries++ < 50) setTimeout(reloadWhenWritten, 20);
      else location.reload();
    })();
  });

  // Downloads with a progress bar over all three files.
  var files = ['vandrel.js', 'vandrel.wasm', 'vandrel.zip'];
  var loaded = {}, totals = {};
  var bar = document.querySelector('#bar > div');
  function progress() {
    var done = 0, total = 0;
    files.forEach(function (f) { done += loaded[f] || 0; total += totals[f] || 0; });
    page.progress = total ? done / total : 0;
    bar.style.width = Math.round(100 * page.progress) + '%';
  }
  function download(name) {
    return fetch(name).then(function (response) {
      if (!response.ok) throw new Error(name + ': HTTP ' + response.status);
      totals[name] = Number(response.headers.get('Content-Length')) || 0;
      if (!response.body || !response.body.getReader) return response.arrayBuffer();
      var reader = response.body.getReader(), parts = [], size = 0;
      return (function pump() {
        return reader.read().then(function (step) {
          if (step.done) {
            var all = new Uint8Array(size), at = 0;
            parts.forEach(function (p) { all.set(p, at); at += p.length; });
            totals[name] = size;
            progress();
            return all.buffer;
          }
          parts.push(step.value);
          size += step.value.length;
          loaded[name] = size;
          progress();
          return pump();
        });
      })();
    });
  }

  function fail(why) {
    document.getElementById('why').textContent = String(why);
    setState('failed');
    console.error('Vandrel: ' + why);
  }

  setState('loading');
  Promise.all(files.map(download)).then(function (got) {
    window.Module = {
      canvas: canvas,
      wasmBinary: got[1],
      dataSet: new Uint8Array(got[2]),
      onGameEvent: function (event, value, text) {
        if (event === 'started') {
          page.startedAt = performance.now();
          setState('running');
          canvas.focus();
        } else if (event === 'ended') {
          if (document.fullscreenElement) document.exitFullscreen();
          setState('ended');
        } else if (event === 'failed') {
          fail(text);
        }
      },
      onAbort: fail,
    };
    var script = document.createElement('script');
    script.src = URL.createObjectURL(new Blob([got[0]], { type: 'text/javascript' }));
    document.body.appendChild(script);
  }).catch(fail);
})();
