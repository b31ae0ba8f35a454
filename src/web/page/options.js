// The page's options panel: some of the game's settings, each a labelled
// list to pick from, read from and written to the game's settings file in the
// browser's storage (/store/vandrel/vandrel.ini), so that they hold for the
// next visit. The running game takes a new cross-hair, pause, rumble or touch
// layout at once. The panel opens from its button in the bars, pauses a
// round, works with keys (Tab, the arrows, Escape) and with fingers.
'use strict';
(function () {
  var page = window.vandrelPage;
  // The settings offered, one line each: the name in vandrel.ini and, for a
  // setting the game leaves open until the file sets it, what the game does
  // then in a browser. The label is the page's text of that name, the values
  // the file's words (the page's text of a word where it has one).
  var offered = [
    { name: 'crosshair_size', unit: ' %' },
    { name: 'crosshair_outline' },
    { name: 'crosshair_colour' },
    { name: 'pause_when_hidden', open: 'yes' },
    { name: 'touch_layout' },
    { name: 'haptics' },
    // Help for a round: read when the game starts, so a choice holds from
    // the page's next load (a round never changes table halfway).
    { name: 'game_speed', unit: ' %', later: true },
    { name: 'round_length', unit: ' min', later: true },
    { name: 'auto_reload', later: true },
    { name: 'practice', later: true },
  ];

  var panel = document.getElementById('panel');
  var fields = document.getElementById('fields');
  var note = panel.querySelector('.note');
  var opener = document.getElementById('options');
  var closer = document.getElementById('close');
  page.panelOpen = false;

  function game() { return page.state === 'running' && window.Module && Module.ccall ? Module : null; }
  // The values a setting takes, as the game's table has them.
  function valuesOf(name) {
    var words = game().ccall('vandrel_page_option_values', 'string', ['string'], [name]);
    return words ? words.split('|') : [];
  }
  function valueOf(item) {
    return game().ccall('vandrel_page_option', 'string', ['string'], [item.name]) || item.open || '';
  }

  // The touch layout is the page's too: its buttons and help change sides.
  function applyLayout() {
    var left = game() && valueOf({ name: 'touch_layout' }) === 'left';
    document.body.classList.toggle('left', !!left);
    page.left = !!left;
    if (page.showHelp) page.showHelp();
  }

  function build() {
    fields.textContent = '';
    offered.forEach(function (item) {
      var values = valuesOf(item.name);
      if (!values.length) return;
      var row = document.createElement('div');
      row.className = 'row';
      var label = document.createElement('label');
      var select = document.createElement('select');
      select.id = 'option-' + item.name;
      select.name = item.name;
      label.htmlFor = select.id;
      label.textContent = page.hasText(item.name) ? page.text(item.name) : item.name;
      values.forEach(function (value) {
        var choice = document.createElement('option');
        choice.value = value;
        choice.textContent = page.hasText(value) ? page.text(value) : value + (item.unit || '');
        select.appendChild(choice);
      });
      select.value = valueOf(item);
      select.addEventListener('change', function () {
        var kept = game() && game().ccall('vandrel_page_choose', 'number', ['string', 'string'], [item.name, select.value]);
        note.textContent = !kept ? page.text('notKept') : item.later ? page.text('later') : '';
        if (item.name === 'touch_layout') applyLayout();
      });
      row.appendChild(label);
      row.appendChild(select);
      fields.appendChild(row);
    });
  }

  function open() {
    if (!game() || page.panelOpen) return;
    // A round does not run on behind the panel.
    if (page.inRound && !page.paused && page.pause) page.pause();
    build();
    note.textContent = '';
    panel.hidden = false;
    page.panelOpen = true;
    opener.setAttribute('aria-expanded', 'true');
    var first = fields.querySelector('select');
    (first || closer).focus({ preventScroll: true });
  }
  function close() {
    if (!page.panelOpen) return;
    panel.hidden = true;
    page.panelOpen = false;
    opener.setAttribute('aria-expanded', 'false');
    document.getElementById('canvas').focus({ preventScroll: true });
  }
  page.openOptions = open;
  page.closeOptions = close;
  opener.addEventListener('click', function () {
    if (page.panelOpen) close();
    else open();
  });
  closer.addEventListener('click', close);

  // Keys in the panel are the panel's: the game hears none of them (M is no
  // mute there, the arrows move through a list). Escape closes it; Tab stays
  // inside while it is open.
  ['keydown', 'keypress', 'keyup'].forEach(function (type) {
    panel.addEventListener(type, function (e) {
      e.stopPropagation();
      if (type !== 'keydown') return;
      if (e.key === 'Escape') {
        e.preventDefault();
        close();
      } else if (e.key === 'Tab') {
        var all = Array.prototype.slice.call(panel.querySelectorAll('select, button'));
        var at = all.indexOf(document.activeElement);
        var next = e.shiftKey ? (at <= 0 ? all.length - 1 : at - 1) : (at + 1) % all.length;
        e.preventDefault();
        all[next].focus();
      }
    });
  });

  page.onGameEvent(function (event) {
    if (event === 'started') applyLayout();
    else if (event === 'ended') close();
  });
  // Without a game to ask (a recorded game keeps the settings it started
  // with) there is no panel.
  opener.hidden = page.recording;
})();
