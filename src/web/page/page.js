// The page around the game: speaks German or English by the browser's
// language, downloads the game and its data set with a progress bar, scales
// the canvas to the window with its aspect kept (on a phone or in full
// screen over the whole screen, the page's buttons and help in the bars),
// asks a phone held upright to be turned (a round pauses under that hint),
// offers another game once one has ended, and registers the worker that keeps
// the game for offline visits. The player's input around the canvas is
// controls.js's, the options panel options.js's.
'use strict';
(function () {
  var frameWidth = 640, frameHeight = 480;
  var stage = document.getElementById('stage');
  var canvas = document.getElementById('canvas');
  var covers = { loading: 'loading', ended: 'ended', failed: 'failed', refused: 'refused' };
  var page = (window.vandrelPage = { state: 'loading', startedAt: 0, layout: {} });

  // --- The page's words.
  var texts = {
    de: {
      loading: 'Vandrel wird geladen \u2026',
      ended: 'Das Spiel ist beendet.',
      again: 'Noch einmal spielen',
      failed: 'Vandrel konnte nicht gestartet werden.',
      turn: 'Bitte dreh dein Ger\u00e4t quer: Vandrel wird im Querformat gespielt.',
      back: 'Zur\u00fcck',
      fullscreen: 'Vollbild',
      soundOff: 'Ton aus (M)',
      soundOn: 'Ton an (M)',
      mouse: 'Zielen: Maus \u00b7 Schie\u00dfen: linke Taste \u00b7 Nachladen: rechte Taste \u00b7 ' +
        'Landschaft schieben: Pfeiltasten \u00b7 Zur\u00fcck: Esc \u00b7 Vollbild: Alt+Enter',
      touch: 'Tippen: schie\u00dfen \u00b7 Tippen aufs Magazin oder mit zwei Fingern: nachladen \u00b7 ' +
        'Finger im Rand links oder rechts halten: Landschaft schieben',
      touchNoBars: 'Tippen: schie\u00dfen \u00b7 Tippen aufs Magazin oder mit zwei Fingern: nachladen \u00b7 ' +
        'Finger am linken oder rechten Bildrand halten: Landschaft schieben',
      pad: 'Linker Stick: zielen (linke Schultertaste: langsamer) \u00b7 A oder rechter Trigger: schie\u00dfen \u00b7 ' +
        'X, B oder linker Trigger: nachladen \u00b7 Steuerkreuz oder rechter Stick: Landschaft schieben \u00b7 ' +
        'Start: weiter \u00b7 Back: zur\u00fcck',
      recording: 'Dieses Spiel wird aufgezeichnet; die Aufnahme wird am Ende zum Herunterladen angeboten.',
      recorded: 'Aufnahme herunterladen',
      guide: 'Eigene Galerie bauen (englisch)',
      access: 'Barrierefreiheit: was hilft (englisch)',
      pause: 'Pause (P)',
      resume: 'Weiter (P)',
      options: 'Optionen',
      close: 'Schlie\u00dfen',
      notKept: 'Konnte nicht gespeichert werden; gilt bis zum Ende dieses Spiels.',
      touchLeft: 'Tippen unten links: ebenfalls nachladen',
      crosshair_size: 'Fadenkreuz: Gr\u00f6\u00dfe',
      crosshair_outline: 'Fadenkreuz: dunkler Rand',
      crosshair_colour: 'Fadenkreuz: Farbe',
      pause_when_hidden: 'Pause, wenn die Seite nicht zu sehen ist',
      touch_layout: 'Tasten und Nachladen-Ecke (Touch)',
      haptics: 'Vibration bei Treffer und leerem Magazin',
      game_speed: 'Hilfe: Tempo der Figuren',
      round_length: 'Hilfe: L\u00e4nge einer Runde',
      auto_reload: 'Hilfe: von selbst nachladen',
      practice: '\u00dcben ohne Uhr und ohne Punkte',
      standard: 'wie die Galerie',
      later: 'Gilt ab dem n\u00e4chsten Laden der Seite; Runden mit Hilfen haben eine eigene Tabelle.',
      yes: 'ja', no: 'nein', drawn: 'wie gezeichnet', white: 'wei\u00df', yellow: 'gelb', cyan: 'cyan',
      right: 'rechts (Rechtsh\u00e4nder)', left: 'links (Linksh\u00e4nder)',
    },
    en: {
      loading: 'Loading Vandrel \u2026',
      ended: 'The game has ended.',
      again: 'Play again',
      failed: 'Vandrel could not be started.',
      turn: 'Please turn your device sideways: Vandrel is played in landscape.',
      back: 'Back',
      fullscreen: 'Full screen',
      soundOff: 'Sound off (M)',
      soundOn: 'Sound on (M)',
      mouse: 'Aim: mouse \u00b7 Shoot: left button \u00b7 Reload: right button \u00b7 ' +
        'Scroll the landscape: arrow keys \u00b7 Back: Esc \u00b7 Full screen: Alt+Enter',
      touch: 'Tap: shoot \u00b7 Tap the magazine or tap with two fingers: reload \u00b7 ' +
        'Hold a finger in the left or right border: scroll the landscape',
      touchNoBars: 'Tap: shoot \u00b7 Tap the magazine or tap with two fingers: reload \u00b7 ' +
        "Hold a finger at the picture's left or right edge: scroll the landscape",
      pad: 'Left stick: aim (left shoulder: slower) \u00b7 A or right trigger: shoot \u00b7 ' +
        'X, B or left trigger: reload \u00b7 D-pad or right stick: scroll the landscape \u00b7 ' +
        'Start: go on \u00b7 Back: back',
      recording: 'This game is being recorded; the recording is offered as a download when it ends.',
      recorded: 'Download the recording',
      guide: 'Make your own gallery',
      access: 'Accessibility: what helps',
      pause: 'Pause (P)',
      resume: 'Play on (P)',
      options: 'Options',
      close: 'Close',
      notKept: 'Could not be stored; holds until this game ends.',
      touchLeft: 'Tap at the bottom left: reload as well',
      crosshair_size: 'Cross-hair size',
      crosshair_outline: 'Cross-hair: dark outline',
      crosshair_colour: 'Cross-hair colour',
      pause_when_hidden: 'Pause while the page is out of sight',
      touch_layout: 'Buttons and reload corner (touch)',
      haptics: 'Vibrate on a hit and an empty magazine',
      game_speed: 'Help: the figures\' pace',
      round_length: 'Help: length of a round',
      auto_reload: 'Help: reload by itself',
      practice: 'Practise without a clock or points',
      standard: 'as the gallery has it',
      later: 'Holds from the next load of the page; rounds with help have a table of their own.',
      yes: 'yes', no: 'no', drawn: 'as drawn', white: 'white', yellow: 'yellow', cyan: 'cyan',
      right: 'right-handed', left: 'left-handed',
    },
  };
  // The first of the browser's languages that is German or English; English
  // for everyone else.
  page.language = 'en';
  var languages = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
  for (var i = 0; i < languages.length; i++) {
    var code = String(languages[i]).toLowerCase();
    if (code.indexOf('de') === 0 || code.indexOf('en') === 0) {
      page.language = code.slice(0, 2);
      break;
    }
  }
  document.documentElement.lang = page.language;
  page.text = function (key) { return texts[page.language][key]; };
  page.hasText = function (key) { return Object.prototype.hasOwnProperty.call(texts[page.language], key); };
  Array.prototype.forEach.call(document.querySelectorAll('[data-text]'), function (element) {
    element.textContent = page.text(element.dataset.text);
  });

  page.recording = /(^|[?&])record(=|&|$)/.test(location.search.slice(1));

  function setState(state) {
    page.state = state;
    document.body.dataset.state = state;
    Object.keys(covers).forEach(function (name) {
      document.getElementById(covers[name]).hidden = name !== state;
    });
  }
  page.setState = setState;

  // --- The picture as large as the window (or the screen) allows, aspect
  // kept, centred. A touch screen, the browser's full screen and a window
  // where the help line would cost the picture a tenth of its size give the
  // whole window to the play area.
  var touchScreen = window.matchMedia && window.matchMedia('(pointer: coarse)').matches ||
    (navigator.maxTouchPoints || 0) > 0 && !(window.matchMedia && window.matchMedia('(pointer: fine)').matches);
  page.touchScreen = touchScreen;
  function fit() {
    var full = !!(document.fullscreenElement || document.webkitFullscreenElement);
    var width = window.innerWidth, height = window.innerHeight;
    var below = document.getElementById('help').offsetHeight + document.getElementById('buttons').offsetHeight;
    var framed = Math.min((width - 16) / frameWidth, (height - below - 32) / frameHeight);
    var whole = Math.min(width / frameWidth, height / frameHeight);
    var fill = full || touchScreen || framed < 0.9 * whole;
    var scale = Math.max(0.25, fill ? whole : framed);
    var w = Math.floor(frameWidth * scale), h = Math.floor(frameHeight * scale);
    var bar = fill ? Math.floor((width - w) / 2) : 0;
    document.body.classList.toggle('fill', fill);
    // Bars too narrow for a button leave the buttons over the picture.
    document.body.classList.toggle('nobars', fill && bar < 96);
    var root = document.documentElement.style;
    root.setProperty('--w', w + 'px');
    root.setProperty('--h', h + 'px');
    root.setProperty('--bar', Math.max(0, bar - 16) + 'px');
    // Upright on a phone or tablet: the game shows dimmed under the hint,
    // and a round pauses as it does when the page is hidden.
    var upright = touchScreen && height > width;
    document.getElementById('turn').hidden = !upright;
    if (upright && !page.layout.upright) page.outOfSight();
    page.layout = { fill: fill, bar: bar, upright: upright, width: w, height: h };
    if (page.onLayout) page.onLayout(page.layout);
  }
  page.fit = fit;
  // The player cannot see the round: the game pauses it where its setting
  // (pause_when_hidden) says so. Said at once: a hidden page gets no frames,
  // so the game would hear of it only on the player's return.
  page.outOfSight = function () {
    if (page.state === 'running' && window.Module && Module._vandrel_page_hidden) Module._vandrel_page_hidden();
  };
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState === 'hidden') page.outOfSight();
  });
  window.addEventListener('resize', fit);
  window.addEventListener('orientationchange', fit);
  document.addEventListener('fullscreenchange', fit);
  document.addEventListener('webkitfullscreenchange', fit);

  // Another game: the page starts afresh once the last save is in storage.
  document.getElementById('again').addEventListener('click', function () {
    var tries = 0;
    (function reloadWhenWritten() {
      var store = window.Module && Module.store;
      if (store && (store.writing || store.written < store.saves) && tries++ < 50) setTimeout(reloadWhenWritten, 20);
      else location.reload();
    })();
  });

  // --- Downloads with a progress bar over all three files.
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

  // A recorded game (?record) as a file to keep, named after its start.
  var recordingStart = new Date();
  function offerRecording(bytes) {
    var link = document.getElementById('recording');
    var at = new Date(recordingStart.getTime() - recordingStart.getTimezoneOffset() * 60000).toISOString();
    link.download = 'vandrel-' + at.slice(0, 16).replace(/[-:]/g, '').replace('T', '-') + '.vrec';
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.hidden = false;
    page.recordingBytes = bytes.length;
  }

  // The game's own events: running, name entry, a recording, the end.
  var listeners = [];
  page.onGameEvent = function (listener) { listeners.push(listener); };
  function gameEvent(event, value, text) {
    if (event === 'started') {
      page.startedAt = performance.now();
      setState('running');
      canvas.focus();
    } else if (event === 'ended') {
      if (document.fullscreenElement) document.exitFullscreen();
      setState('ended');
    } else if (event === 'failed') {
      fail(text);
    } else if (event === 'recorded') {
      offerRecording(Module.FS.readFile(text));
    }
    listeners.forEach(function (listener) { listener(event, value, text); });
  }

  // The worker that keeps the page, the game and the data set for the next
  // visit, offline too (only where the page comes from a server).
  if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
    page.worker = navigator.serviceWorker.register('sw.js').catch(function (e) {
      console.warn('Vandrel: no offline copy', e);
    });
  }

  setState('loading');
  fit();
  Promise.all(files.map(download)).then(function (got) {
    window.Module = {
      canvas: canvas,
      wasmBinary: got[1],
      dataSet: new Uint8Array(got[2]),
      recordGame: page.recording,
      // A shared round to replay instead of a game (share.js).
      roundLink: /^#round=/.test(location.hash) ? location.hash : '',
      onGameEvent: gameEvent,
      onAbort: fail,
    };
    var script = document.createElement('script');
    script.src = URL.createObjectURL(new Blob([got[0]], { type: 'text/javascript' }));
    document.body.appendChild(script);
  }).catch(fail);
})();
