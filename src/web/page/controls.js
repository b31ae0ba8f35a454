// The player's input around the canvas. Touches, clicks and pads on the
// picture are the game's own (SDL's canvas events); the page adds what lies
// outside it: the buttons "Back" (the game's Escape) and "Full screen", a
// finger resting in a bar beside the picture (the arrow key that way), the
// hidden name field the on-screen keyboard types into while the game asks
// for a name, the help line for the device last used, and the sound started
// by the first touch. It also keeps the browser's own uses of touches, keys
// and buttons (scroll, zoom, menus, selection) away from the game.
'use strict';
(function () {
  var page = window.vandrelPage;
  var stage = document.getElementById('stage');
  var canvas = document.getElementById('canvas');
  var help = document.getElementById('help');
  var helpLine = document.getElementById('helpline');
  var nameField = document.getElementById('name');
  var key = { back: 0x08, enter: 0x0d, escape: 0x1b, left: 0x25, right: 0x27, pause: 0x50 };

  // The game's keys, fed from the page (see src/web/PageBridge.cpp); nothing
  // before the game runs.
  function gameKey(code, down) {
    if (page.state === 'running' && window.Module && Module._vandrel_page_key) Module._vandrel_page_key(code, down ? 1 : 0);
  }
  function pressKey(code) {
    gameKey(code, true);
    gameKey(code, false);
  }
  function typeText(text) {
    if (page.state !== 'running' || !window.Module || !Module._vandrel_page_char) return;
    for (var i = 0; i < text.length; i++) Module._vandrel_page_char(text.charCodeAt(i));
  }

  // --- Full screen, where the browser has it (an iPhone's has not: there
  // the home-screen app is the full screen).
  var root = document.documentElement;
  var fullButton = document.getElementById('fullscreen');
  var canFull = !!(document.fullscreenEnabled || document.webkitFullscreenEnabled);
  fullButton.hidden = !canFull;
  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (document.webkitFullscreenElement) document.webkitExitFullscreen();
    else if (root.requestFullscreen) root.requestFullscreen({ navigationUI: 'hide' }).catch(function () {});
    else if (root.webkitRequestFullscreen) root.webkitRequestFullscreen();
  }
  fullButton.addEventListener('click', function (e) {
    toggleFullScreen();
    e.currentTarget.blur();
  });
  // --- The speaker: sound off and on, as M does, kept in the game's settings.
  var soundButton = document.getElementById('sound');
  function showSound() {
    var off = !!(window.Module && Module._vandrel_page_muted && Module._vandrel_page_muted());
    soundButton.setAttribute('aria-pressed', off ? 'true' : 'false');
    soundButton.title = off ? page.text('soundOn') : page.text('soundOff');
    soundButton.setAttribute('aria-label', soundButton.title);
  }
  soundButton.addEventListener('click', function (e) {
    if (page.state === 'running' && window.Module && Module._vandrel_page_mute) Module._vandrel_page_mute();
    showSound();
    e.currentTarget.blur();
  });
  page.onGameEvent(function (event) {
    if (event === 'started') showSound();
  });
  document.getElementById('back').addEventListener('click', function (e) {
    pressKey(key.escape);
    e.currentTarget.blur();
  });
  // --- Pause, as P: shown during a round only, where P does something; it
  // says what the next press does.
  var pauseButton = document.getElementById('pause');
  function showPause(inRound, paused) {
    pauseButton.hidden = !inRound;
    pauseButton.textContent = page.text(paused ? 'resume' : 'pause');
    pauseButton.setAttribute('aria-pressed', paused ? 'true' : 'false');
  }
  page.pause = function () { pressKey(key.pause); };
  pauseButton.addEventListener('click', function (e) {
    page.pause();
    e.currentTarget.blur();
  });
  page.inRound = page.paused = false;
  page.onGameEvent(function (event, value) {
    if (event === 'round') page.inRound = !!value;
    else if (event === 'paused') page.paused = !!value;
    else if (event === 'ended') page.inRound = page.paused = false;
    else return;
    showPause(page.inRound, page.paused);
  });

  // --- Keys, seen before the game's own key handling (capture on the window).
  var soundKeys = { m: 1, M: 1, '-': 1, '+': 1, '=': 1 };
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
    if (page.state === 'running' && pageKeys[e.key] && !page.panelOpen) e.preventDefault();
    // The sound keys: the game's canvas gets no typed text (its key handling
    // takes the keys' defaults), so the page passes them on, whichever key
    // made the character (the keypad's too); a name being typed keeps them
    // as letters.
    if (soundKeys[e.key] && !naming && !page.panelOpen && !e.altKey && !e.ctrlKey && !e.metaKey) {
      if (page.state === 'running' && window.Module && Module._vandrel_page_sound_key) {
        Module._vandrel_page_sound_key(e.key.charCodeAt(0));
      }
      showSound();
    }
  }, true);

  // --- No menus, selections, zoom or scrolling of the page: a long press,
  // a double tap or a pinch is the game's or nothing.
  document.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  document.addEventListener('selectstart', function (e) { if (e.target !== nameField) e.preventDefault(); });
  document.addEventListener('dblclick', function (e) { e.preventDefault(); });
  ['gesturestart', 'gesturechange'].forEach(function (type) {
    document.addEventListener(type, function (e) { e.preventDefault(); });
  });
  document.addEventListener('touchmove', function (e) { if (e.cancelable) e.preventDefault(); }, { passive: false });

  // --- A finger resting in a bar beside the picture scrolls the landscape
  // that way while it rests; lifted, nothing scrolls. Touches on the picture
  // are the game's.
  var barTouches = {};
  var held = { left: false, right: false };
  function barSide(touch) {
    var r = canvas.getBoundingClientRect();
    if (touch.clientY < r.top || touch.clientY > r.bottom) return null;
    if (touch.clientX < r.left) return 'left';
    if (touch.clientX > r.right) return 'right';
    return null;
  }
  function updateHeld() {
    ['left', 'right'].forEach(function (side) {
      var now = Object.keys(barTouches).some(function (id) { return barTouches[id] === side; });
      if (now !== held[side]) {
        held[side] = now;
        gameKey(key[side], now);
      }
    });
  }
  function onBarTouch(e) {
    var mine = false;
    Array.prototype.forEach.call(e.changedTouches, function (t) {
      if (t.target === canvas || t.target.closest && t.target.closest('button, #panel')) return;
      mine = true;
      if (e.type === 'touchend' || e.type === 'touchcancel') delete barTouches[t.identifier];
      else barTouches[t.identifier] = barSide(t);
    });
    if (!mine) return;
    if (e.cancelable) e.preventDefault();
    updateHeld();
  }
  ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
    stage.addEventListener(type, onBarTouch, { passive: false });
  });
  window.addEventListener('blur', function () {
    barTouches = {};
    updateHeld();
  });

  // --- Sound: browsers start it only on the player's gesture, and a touch
  // counts only when it ends. Tried on every gesture until it runs.
  function resumeSound() {
    var sdl = window.Module && Module.SDL2;
    if (sdl && sdl.audioContext && sdl.audioContext.state === 'suspended') sdl.audioContext.resume();
  }
  ['touchend', 'pointerup', 'mousedown', 'keydown'].forEach(function (type) {
    document.addEventListener(type, resumeSound, true);
  });

  // --- The name entry: while the game asks for a name the hidden field has
  // the focus, so a phone shows its keyboard. What the field receives is
  // passed on as typed characters (a keyboard's keys do not reach the game
  // twice), Enter ends the entry, Backspace deletes.
  var naming = false, typed = '';
  function startNaming() {
    naming = true;
    typed = nameField.value = '';
    nameField.focus({ preventScroll: true });
  }
  function endNaming() {
    naming = false;
    nameField.blur();
    nameField.value = typed = '';
    canvas.focus({ preventScroll: true });
  }
  // A phone opens its keyboard only for a focus inside a touch of the
  // player's: a tap on the picture while a name is asked for gives it, and
  // is nothing else. The game never sees that touch, since a tap is its left
  // click and a click on the table is Enter, which would end the name before
  // a letter was typed. Fingers already down when the entry began stay the
  // game's, so that it sees them lifted.
  var nameTouches = {};
  function onNameTouch(e) {
    var start = e.type === 'touchstart';
    var ours = e.changedTouches.length > 0 && Array.prototype.every.call(e.changedTouches, function (t) {
      return start ? naming && t.target === canvas : nameTouches[t.identifier];
    });
    if (!ours) return;
    Array.prototype.forEach.call(e.changedTouches, function (t) {
      if (start) nameTouches[t.identifier] = true;
      else if (e.type !== 'touchmove') delete nameTouches[t.identifier];
    });
    e.stopPropagation();
    // No mouse events made from the touch either.
    if (e.cancelable) e.preventDefault();
    if (e.type === 'touchend' && naming) {
      // Focused once more inside the touch: a field focused before, outside
      // one, has no keyboard shown.
      if (document.activeElement === nameField) nameField.blur();
      nameField.focus({ preventScroll: true });
    }
  }
  ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
    window.addEventListener(type, onNameTouch, { capture: true, passive: false });
  });
  ['keydown', 'keypress', 'keyup'].forEach(function (type) {
    nameField.addEventListener(type, function (e) {
      e.stopPropagation();
      if (type !== 'keydown') return;
      if (e.key === 'Enter') {
        e.preventDefault();
        pressKey(key.enter);
      } else if (e.key === 'Escape') {
        e.preventDefault();
        pressKey(key.escape);
      } else if (e.key === 'Backspace' && nameField.value === '') {
        pressKey(key.back);
      } else if (e.key === 'Tab') {
        e.preventDefault();
      }
    });
  });
  // The field's text against what was passed on: a keyboard that corrects
  // a word replaces its end, which is that many Backspaces and the new end.
  nameField.addEventListener('input', function () {
    var now = nameField.value, same = 0;
    while (same < now.length && same < typed.length && now[same] === typed[same]) same++;
    for (var i = same; i < typed.length; i++) pressKey(key.back);
    typeText(now.slice(same));
    typed = now;
  });

  // --- The help line names what the device in use offers: touch, mouse and
  // keys, or a pad once one is used.
  var device = page.touchScreen ? 'touch' : 'mouse';
  var fadeTimer = 0;
  function showHelp() {
    var words = device === 'touch' && page.layout.fill && document.body.classList.contains('nobars') ? 'touchNoBars' : device;
    helpLine.textContent = page.text(words);
    if (device === 'touch' && document.body.classList.contains('left')) helpLine.textContent += ' \u00b7 ' + page.text('touchLeft');
    help.dataset.device = device;
    if (page.recording) helpLine.textContent += ' \u00b7 ' + page.text('recording');
    // Over the picture it stays a few seconds only.
    help.classList.remove('faded');
    clearTimeout(fadeTimer);
    if (document.body.classList.contains('nobars')) fadeTimer = setTimeout(function () { help.classList.add('faded'); }, 6000);
  }
  function useDevice(next) {
    if (next === device) return;
    device = next;
    showHelp();
  }
  page.onLayout = showHelp;
  page.showHelp = showHelp;
  window.addEventListener('pointerdown', function (e) {
    useDevice(e.pointerType === 'touch' || e.pointerType === 'pen' ? 'touch' : 'mouse');
  }, true);
  window.addEventListener('keydown', function (e) { if (!naming && !e.repeat && device === 'pad') useDevice('mouse'); }, true);

  // A pad counts as used at its first press or push (the game reads it
  // itself; the page only looks, a few times a second, while one is there).
  var padTimer = 0;
  function lookAtPads() {
    var pads = navigator.getGamepads ? Array.prototype.slice.call(navigator.getGamepads() || []) : [];
    pads = pads.filter(function (p) { return p && p.connected; });
    if (!pads.length) {
      clearInterval(padTimer);
      padTimer = 0;
      return;
    }
    var used = pads.some(function (p) {
      return Array.prototype.some.call(p.buttons, function (b) { return b.pressed || b.value > 0.5; }) ||
        Array.prototype.some.call(p.axes, function (a) { return Math.abs(a) > 0.5; });
    });
    if (used) useDevice('pad');
  }
  window.addEventListener('gamepadconnected', function () {
    if (!padTimer) padTimer = setInterval(lookAtPads, 200);
  });

  page.onGameEvent(function (event, value) {
    if (event === 'nameEntry') {
      if (value) startNaming();
      else endNaming();
    } else if (event === 'ended') {
      barTouches = {};
      held = { left: false, right: false };
      if (naming) endNaming();
    }
  });
  showHelp();
  page.fit();
})();
