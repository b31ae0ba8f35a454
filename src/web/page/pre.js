// Runs inside the game's generated script, before main: the data set the page
// fetched goes into the file system, and the high-score folder is the
// browser's IndexedDB, read in before the game starts and written back at once
// after every save, so a tab closed right after a name entry loses nothing.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  // The canvas keeps the frame's 640 x 480 and the page scales it. On a
  // screen of two or three pixels per point SDL would otherwise make the
  // canvas that many times larger and draw the frame into its corner.
  ENV['SDL_VIDEO_HIGHDPI_DISABLED'] = '1';
  FS.mkdir('/data');
  if (Module['dataSet']) {
    FS.writeFile('/data/vandrel.zip', Module['dataSet']);
    delete Module['dataSet'];
  }
  // A shared round: the game reads its link from here (src/web/PageReplay.cpp).
  if (Module['roundLink']) FS.writeFile('/tmp/round-link', Module['roundLink']);
  var root = '/store';
  FS.mkdir(root);
  var store = (Module['store'] = { saves: 0, written: 0, failed: 0, writing: false, again: false });
  try {
    FS.mount(IDBFS, {}, root);
  } catch (e) {
    console.warn('Vandrel: no browser storage; high scores last until the tab closes', e);
    return;
  }
  function writeBack() {
    if (store.writing) {
      store.again = true;
      return;
    }
    store.writing = true;
    var saves = store.saves;
    FS.syncfs(false, function (err) {
      store.writing = false;
      if (err) {
        store.failed++;
        console.warn('Vandrel: the high scores could not be written to browser storage', err);
      } else {
        store.written = saves;
      }
      if (store.again) {
        store.again = false;
        writeBack();
      }
    });
  }
  // Every save of the table ends with its files renamed into place; one that
  // lands in the store's folder is written to IndexedDB there and then.
  var rename = FS.rename;
  FS.rename = function (from, to) {
    var result = rename.apply(this, arguments);
    if (String(to).indexOf(root + '/') === 0) {
      store.saves++;
      writeBack();
    }
    return result;
  };
  // Every file the browser keeps for the game, as text: for the curious
  // player in the console, and for the page's own tests.
  Module['storedFiles'] = function () {
    var files = {};
    (function walk(dir) {
      FS.readdir(dir).forEach(function (name) {
        if (name === '.' || name === '..') return;
        var path = dir + '/' + name;
        if (FS.isDir(FS.stat(path).mode)) walk(path);
        else files[path] = FS.readFile(path, { encoding: 'utf8' });
      });
    })(root);
    return files;
  };
  addRunDependency('vandrel-store');
  FS.syncfs(true, function (err) {
    if (err) console.warn('Vandrel: browser storage could not be read; starting with an empty table', err);
    removeRunDependency('vandrel-store');
  });
});
