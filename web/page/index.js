// The page's script: starts the downloads, makes the game's WebGL context and
// hands both to the game's script; shows the game's output, its end and its
// failures; fullscreen; mute and music; the audio resumed; a pad coming and
// going. index.html names the build's files (data-game).
(function() {
  'use strict';
  var files = document.currentScript.dataset.game;  // e.g. skorvane.1a2b3c4d5e6f
  var game = document.getElementById('game');
  var text = document.getElementById('text');
  var notice = document.getElementById('notice');
  var message = document.getElementById('message');
  var progress = document.getElementById('progress');
  var again = document.getElementById('again');
  var output = document.getElementById('output');
  var state = 'loading';  // then 'playing', and at last 'ended'
  var lastLine = '';

  // The page says why the game is over and offers, if anything, a new start.
  function stop(text, button) {
    state = 'ended';
    if (window.Module && Module.calledRun) Module._layerEnd();  // once the game runs
    message.textContent = text;
    progress.hidden = true;
    again.textContent = button || '';
    again.hidden = !button;
    notice.hidden = false;
    if (button) again.focus();
  }

  // Standard output goes to the console and to the panel under the game, which
  // keeps the last 200 lines; it takes the lines of one run of the game's code
  // at once.
  var shownLines = [], unshown = [];
  function print(line) {
    console.log(line);
    if (line) lastLine = line;
    if (!unshown.length) Promise.resolve().then(showPrinted);
    unshown.push(line);
  }
  function showPrinted() {
    shownLines = shownLines.concat(unshown).slice(-200);
    unshown = [];
    output.textContent = shownLines.join('\n') + '\n';
    output.scrollTop = output.scrollHeight;
  }

  // A download that stops arriving for this long is given up, naming the file.
  var patience = 10000;
  // Fetches the file and gives its response, every part of which counts as
  // arriving, to use(response); what fails is said with the file's name.
  function download(name, use) {
    var abort = new AbortController(), timer;
    function arriving() {
      clearTimeout(timer);
      timer = setTimeout(function() { abort.abort(); }, patience);
    }
    arriving();
    return fetch(name, {signal: abort.signal}).then(function(response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      var watched = new TransformStream({transform: function(part, out) { arriving(); out.enqueue(part); },
                                         flush: function() { clearTimeout(timer); }});  // all here
      return use(new Response(response.body.pipeThrough(watched), {headers: response.headers}));
    }).catch(function(error) {
      throw new Error(name + (abort.signal.aborted ? ' stopped arriving' : ': ' + error.message));
    }).finally(function() { clearTimeout(timer); });
  }
  function corrupt() { throw new Error('the file is corrupt'); }

  // The downloads, the unpacking of the data files (gzipped, a third of their
  // size) and the compiling of the WebAssembly all start first, and go on while
  // the browser makes the WebGL context below, which can take it a second. A
  // host that sends the file with Content-Encoding: gzip has the browser unpack
  // it already: only what still starts with gzip's magic bytes is unpacked.
  var data = download(files + '.data.gz', function(response) {
    return response.arrayBuffer().then(function(bytes) {
      var head = new Uint8Array(bytes, 0, Math.min(2, bytes.byteLength));
      if (head[0] !== 0x1f || head[1] !== 0x8b) return bytes;
      return new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip')))
          .arrayBuffer().catch(corrupt);
    });
  });
  // Streaming compilation takes only a response typed application/wasm; from a
  // host that types it otherwise, the code is compiled from its bytes.
  var code = download(files + '.wasm', function(response) {
    return WebAssembly.compileStreaming(response.clone()).catch(function() {
      return response.arrayBuffer().then(function(bytes) { return WebAssembly.compile(bytes).catch(corrupt); });
    });
  });

  // The game's window is the canvas: its drawing buffer has the display's own
  // pixels, so the picture is as sharp as the screen, up to a count of pixels
  // that a phone still draws 60 times a second. The text canvas over it
  // matches. Returns the drawing buffer's pixels per CSS pixel; the game calls
  // it again whenever the canvas's size or the display's density changes.
  var maxPixels = 1.5e6;
  function fitCanvas() {
    var width = game.clientWidth, height = game.clientHeight;
    var scale = Math.min(devicePixelRatio, Math.max(Math.sqrt(maxPixels / Math.max(width * height, 1)), 1));
    [game, text].forEach(function(canvas) {
      var w = Math.round(width * scale), h = Math.round(height * scale);
      if (canvas.width !== w || canvas.height !== h) canvas.width = w, canvas.height = h;  // a new buffer
    });
    return scale;
  }
  fitCanvas();
  if (!game.getContext('webgl', {alpha: false, depth: true, stencil: false, antialias: false})) {
    stop('The game cannot start: this browser gives it no WebGL to draw with.');
    return;
  }

  window.Module = {
    canvas: game,
    textCanvas: text,
    fitCanvas: fitCanvas,
    print: print,
    printErr: function(line) { console.warn(line); },
    instantiateWasm: function(imports, receive) {
      code.then(function(module) {
        return WebAssembly.instantiate(module, imports).then(function(instance) {
          receive(instance, module);
        });
      }).catch(function(error) { stop('The game cannot start: ' + error.message + '.', 'Try again'); });
      return {};
    },
    postRun: function() {
      if (state !== 'loading') return Module._layerEnd();  // given up on while it came
      state = 'playing';
      notice.hidden = true;
      game.focus();
      applyMute();
      applyMusic();
    },
    // A page cannot close itself: 'q' (status 0) ends the game on the page.
    onExit: function(status) {
      if (status === 0) {
        stop('The game has ended.', 'Play again');
      } else {
        stop('The game could not start: ' + lastLine + ' (exit status ' + status + ')', 'Try again');
      }
    },
    onAbort: function(what) { stop('The game stopped: ' + what, 'Start again'); },
  };

  // exit() ends the game by unwinding the stack with an ExitStatus: no error.
  window.addEventListener('error', function(event) {
    if (event.error && event.error.name === 'ExitStatus') {
      event.preventDefault();
    } else if (state !== 'ended') {
      stop('The game stopped: ' + event.message, 'Start again');
    }
  });
  game.addEventListener('contextmenu', function(event) { event.preventDefault(); });
  game.addEventListener('mousedown', function() { game.focus(); });
  again.addEventListener('click', function() { location.reload(); });

  // A lost context (a GPU reset, or a phone taking the GPU from a background
  // tab), loading or playing, is asked back at once (the browser gives it back
  // only if the loss is cancelled); the game pauses until it comes. If it does
  // not come while the page is seen, the page says so.
  var waitForRestore = 5000, lost = null;
  function lostForGood() {
    if (document.hidden) lost = setTimeout(lostForGood, waitForRestore);
    else if (state !== 'ended') stop('The browser took the game\'s graphics away and did not give them back.', 'Start again');
  }
  game.addEventListener('webglcontextlost', function(event) {
    event.preventDefault();
    lost = setTimeout(lostForGood, waitForRestore);
  });
  game.addEventListener('webglcontextrestored', function() { clearTimeout(lost); });

  // Fullscreen, where the browser has it: a button, or 'f'.
  var fullscreens = document.querySelectorAll('.fullscreen');
  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.getElementById('screen').requestFullscreen().catch(function() {});
    game.focus();  // keys go on to the game, not to the button
  }
  fullscreens.forEach(function(button) {
    button.hidden = !document.fullscreenEnabled;
    button.addEventListener('click', toggleFullscreen);
  });

  // The player's choices, kept for the next visit where the browser lets the
  // page keep site data; where it refuses, they last for this visit.
  function remembered(key) {
    try { return localStorage.getItem(key); } catch (refused) { return null; }
  }
  function remember(key, value) {
    try { localStorage.setItem(key, value); } catch (refused) {}
  }

  // Sound off or on: the Mute button, or 'm'. The choice is kept for the next
  // visit and given to the game once it runs.
  var mute = document.getElementById('mute');
  var muted = remembered('skorvane.muted') === '1';
  function applyMute() {
    mute.setAttribute('aria-pressed', String(muted));
    mute.textContent = muted ? 'Unmute (m)' : 'Mute (m)';
    if (state === 'playing') Module._skorvane_mute(muted ? 1 : 0);
  }
  function toggleMute() {
    muted = !muted;
    remember('skorvane.muted', muted ? '1' : '0');
    applyMute();
    game.focus();  // keys go on to the game, not to the button
  }
  mute.addEventListener('click', toggleMute);
  applyMute();

  // The music off or on, the other sounds kept: the Music button, or 'n'. Kept
  // as mute is; a browser that keeps no site data plays with the music on.
  var music = document.getElementById('music');
  var musicOff = remembered('skorvane.music') === 'off';
  function applyMusic() {
    music.setAttribute('aria-pressed', String(musicOff));
    music.textContent = musicOff ? 'Music on (n)' : 'Music off (n)';
    if (state === 'playing') Module._skorvane_music(musicOff ? 0 : 1);
  }
  function toggleMusic() {
    musicOff = !musicOff;
    remember('skorvane.music', musicOff ? 'off' : 'on');
    applyMusic();
    game.focus();  // keys go on to the game, not to the button
  }
  music.addEventListener('click', toggleMusic);
  applyMusic();

  // The browser may hold the game's audio back (before the first gesture, for
  // a phone call, in a background tab): it is resumed on each event that may
  // start it, and when the page is seen again.
  function resumeAudio() {
    var audio = Module.audioContext;
    if (audio && audio.state !== 'running' && !document.hidden) audio.resume().catch(function() {});
  }
  ['touchend', 'pointerup', 'mousedown', 'keydown'].forEach(function(type) {
    window.addEventListener(type, resumeAudio, true);
  });
  document.addEventListener('visibilitychange', resumeAudio);

  // The page's own keys, in either case, not repeated while held and never
  // with a modifier; the game ignores them.
  var pageKeys = {
    f: function() { if (document.fullscreenEnabled && state === 'playing') toggleFullscreen(); },
    m: toggleMute,
    n: toggleMusic,
  };
  window.addEventListener('keydown', function(event) {
    var act = pageKeys[String(event.key).toLowerCase()];
    if (act && !event.repeat && !event.ctrlKey && !event.altKey && !event.metaKey) act();
  });

  // A pad plugged in or out is said for a few seconds; one without the
  // standard layout, which the game ignores, is left to the console.
  var padNote = document.getElementById('pad-note'), padNoteShown = null;
  function notePad(event, what) {
    if (event.gamepad.mapping !== 'standard') return;
    padNote.textContent = what;
    clearTimeout(padNoteShown);
    padNoteShown = setTimeout(function() { padNote.textContent = ''; }, 4000);
  }
  window.addEventListener('gamepadconnected', function(event) { notePad(event, 'Pad connected'); });
  window.addEventListener('gamepaddisconnected', function(event) { notePad(event, 'Pad unplugged'); });

  // The game's script starts once it can have its data files. A script shows
  // nothing of its arriving: it has the patience of a whole download.
  data.then(function(packed) {
    Module.getPreloadedPackage = function() { return packed; };
    var script = document.createElement('script'), name = files + '.js';
    var late = setTimeout(function() { stop('The game cannot start: ' + name + ' stopped arriving.', 'Try again'); },
                          patience);
    script.onload = function() { clearTimeout(late); };
    script.onerror = function() {
      clearTimeout(late);
      stop('The game cannot start: ' + name + ' did not load.', 'Try again');
    };
    script.src = name;
    document.body.appendChild(script);
  }, function(error) { stop('The game cannot start: ' + error.message + '.', 'Try again'); });

  // Once the game's files have come, a service worker keeps them for playing
  // offline; the game runs the same without one.
  if ('serviceWorker' in navigator) {
    Promise.all([data, code]).then(function() {
      return navigator.serviceWorker.register('sw.js');
    }).catch(function() {});
  }
})();
