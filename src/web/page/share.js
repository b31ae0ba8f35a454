// A round as a link: after a round the "Share this round" button makes the
// link of the round just kept (this page's address with the round in its
// fragment) and hands it to the system's share sheet, or copies it. A page
// opened with such a link, or with a recording dropped onto it, replays the
// round under a banner with its name and points, says at the end what score
// the replay reached and whether the recording claimed another, and offers to
// play oneself. The game reads and checks the link (src/web/PageReplay.cpp).
'use strict';
(function () {
  var page = window.vandrelPage;
  var shareButton = document.getElementById('share');
  var banner = document.getElementById('replay');
  var bannerText = document.getElementById('replaytext');
  var verdict = document.getElementById('verdict');
  var texts = {
    de: {
      share: 'Runde teilen', copied: 'Link kopiert', notCopied: 'Link nicht kopiert: der Browser erlaubt es nicht',
      tooLong: 'Diese Runde ist zu lang f\u00fcr einen Link', playSelf: 'Selbst spielen',
      replay: function (name, points) {
        return 'Wiedergabe: ' + name + (points >= 0 ? ', ' + points + ' Punkte' : '');
      },
      reached: function (n) { return 'Die Wiedergabe erreichte ' + n + ' Punkte.'; },
      differs: function (claimed, n) {
        return 'Die Aufnahme nennt ' + claimed + ' Punkte, die Wiedergabe erreichte aber ' + n +
          ': diese Punkte stimmen nicht.';
      },
      diverged: 'Die Wiedergabe lief anders als aufgezeichnet: die Aufnahme wurde ver\u00e4ndert.',
      stopped: 'Die Wiedergabe wurde abgebrochen.',
      refused: 'Diese Runde l\u00e4sst sich nicht abspielen: ',
      other: function (gallery, hash, ours, ourHash) {
        return 'Diese Runde braucht die Galerie \u201e' + gallery + '\u201c (Datensatz ' + hash +
          '); diese Seite hat \u201e' + ours + '\u201c (Datensatz ' + ourHash + ').';
      },
    },
    en: {
      share: 'Share this round', copied: 'Link copied', notCopied: 'Link not copied: the browser does not allow it',
      tooLong: 'This round is too long for a link', playSelf: 'Play yourself',
      replay: function (name, points) { return 'Replay: ' + name + (points >= 0 ? ', ' + points + ' points' : ''); },
      reached: function (n) { return 'The replay reached ' + n + ' points.'; },
      differs: function (claimed, n) {
        return 'The recording names ' + claimed + ' points, but the replay reached ' + n + ': those points are not true.';
      },
      diverged: 'The replay went otherwise than recorded: the recording was changed.',
      stopped: 'The replay was stopped.',
      refused: 'This round cannot be replayed: ',
      other: function (gallery, hash, ours, ourHash) {
        return 'This round needs the gallery \u201c' + gallery + '\u201d (data set ' + hash +
          '); this page has \u201c' + ours + '\u201d (data set ' + ourHash + ').';
      },
    },
  };
  var say = texts[page.language];
  shareButton.textContent = say.share;
  Array.prototype.forEach.call(document.querySelectorAll('.playself'), function (button) {
    button.textContent = say.playSelf;
    button.addEventListener('click', function () { location.replace(location.href.split('#')[0]); });
  });

  // --- Sharing the round just kept.
  var fragment = null;
  function flash(text) {
    shareButton.textContent = text;
    clearTimeout(flash.timer);
    flash.timer = setTimeout(function () { shareButton.textContent = say.share; }, 2500);
  }
  shareButton.addEventListener('click', function (e) {
    e.currentTarget.blur();
    if (!fragment) {
      flash(say.tooLong);
      return;
    }
    var link = location.href.split('#')[0] + fragment;
    page.sharedLink = link;
    if (navigator.share) {
      navigator.share({ title: 'Vandrel', url: link }).catch(function () {});
    } else if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(link).then(function () { flash(say.copied); },
        function () { flash(say.notCopied); });
    } else {
      flash(say.notCopied);
    }
  });

  // --- The replay's banner and its end.
  function refuse(text) {
    document.getElementById('whyrefused').textContent = text;
    page.setState('refused');
    page.replay = { refused: text };
  }
  page.onGameEvent(function (event, value, text) {
    if (event === 'roundKept') {
      fragment = text || null;
      shareButton.hidden = false;
    } else if (event === 'round' && value) {
      shareButton.hidden = true;
    } else if (event === 'replayStarted') {
      page.replay = { claimed: value, gallery: text };
      document.body.classList.add('replay');
      bannerText.textContent = say.replay(text || '?', value);
      banner.hidden = false;
      page.setState('replay');
    } else if (event === 'replayEnded') {
      var parts = text.split('\t');
      var claimed = Number(parts[1]);
      var lines = [say.reached(value)];
      if (parts[0] === 'stopped') lines = [say.stopped];
      else if (claimed >= 0 && claimed !== value) lines.push(say.differs(claimed, value));
      if (parts[0] === 'diverged') lines.push(say.diverged);
      verdict.textContent = lines.join(' ');
      verdict.hidden = false;
      page.replay.ended = true;
      page.replay.reached = value;
      page.replay.same = parts[0] === 'same';
      page.replay.frameHash = parts[2];
      page.replay.turns = Number(parts[3]);
      page.replay.report = parts.slice(4).join('\t');
      page.replay.verdict = verdict.textContent;
    } else if (event === 'replayRefused') {
      refuse(say.refused + text);
    } else if (event === 'replayOther') {
      refuse(say.other.apply(null, text.split('\t')));
    }
  });

  // --- A recording dropped onto the page, or a link typed over this one's
  // fragment: the page opens afresh on that round.
  function openRound(hash) {
    location.hash = hash;
    location.reload();
  }
  window.addEventListener('hashchange', function () {
    if (/^#round=/.test(location.hash)) location.reload();
  });
  function base64Url(bytes) {
    var text = '';
    for (var i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }
  document.addEventListener('dragover', function (e) { e.preventDefault(); });
  document.addEventListener('drop', function (e) {
    e.preventDefault();
    var file = e.dataTransfer && e.dataTransfer.files[0];
    if (!file) return;
    file.arrayBuffer().then(function (buffer) {
      var bytes = new Uint8Array(buffer);
      var text = new TextDecoder().decode(bytes.subarray(0, 1 << 21)).trim();
      // A file holding a link is that link; anything else is taken as a
      // recording, and the game's reading of it says what is wrong.
      if (!/^vandrel-replay/.test(text) && text.indexOf('round=') >= 0) {
        openRound(text.slice(text.indexOf('round=')));
      } else if (window.CompressionStream) {
        var packed = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate'));
        new Response(packed).arrayBuffer().then(function (zipped) {
          openRound('round=' + base64Url(new Uint8Array(zipped)));
        });
      } else {
        refuse(say.refused + 'this browser cannot pack a recording into a link');
      }
    });
  });
})();
