// The page's figures in headless chromium: time from navigation to the first
// frame, frames per second at the start of a game and at full load (three
// rockets with their trails, and bullets), where a full-load frame's time goes,
// the draws a frame and the bytes the page loads, at a desktop's size, as a
// phone at three times its pixels, with no Web Audio (no sound) and with a pad connected; beside them the desktop
// game's own frames per second at full load on Mesa's software renderer,
// measured in the same run; each engine's first frame and full-load frames
// per second side by side (Firefox and WebKit need an X display); and
// Lighthouse's scores of the page as served, as a phone and as a desktop.
// Usage: node web_bench.js BUILD_WEB BUILD_BENCH
'use strict';
const {execFile, execFileSync} = require('child_process');
const execFileAsync = require('util').promisify(execFile);
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const {serve, openGame, frames, phone} = require('../tests/web/page.js');

const [folder, benchFolder] = process.argv.slice(2);
const runs = 3;
const median = values => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

// The desktop's full-load frames per second: frame_bench's median.
function desktopFullLoad() {
  const json = execFileSync('xvfb-run', ['-a', '-s', '-screen 0 1280x1024x24',
      path.resolve(benchFolder, 'bench/frame_bench'), '--benchmark_filter=FullLoad',
      '--benchmark_repetitions=3', '--benchmark_format=json'],
      {cwd: path.join(benchFolder, 'data'), env: {...process.env, LIBGL_ALWAYS_SOFTWARE: '1'}});
  return JSON.parse(json).benchmarks.find(b => b.aggregate_name === 'median').fps;
}

// Before the page's own script: every frame's start, script time and WebGL draws.
function recordFrames() {
  window.benchFrames = [];
  window.benchContext = 0;  // the time the browser took to make the WebGL context
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function(type) {
    const start = performance.now(), context = getContext.apply(this, arguments);
    if (type === 'webgl' && !window.benchContext) window.benchContext = performance.now() - start;
    return context;
  };
  let draws = 0;
  for (const call of ['drawArrays', 'drawElements']) {
    const draw = WebGLRenderingContext.prototype[call];
    WebGLRenderingContext.prototype[call] = function() {
      ++draws;
      return draw.apply(this, arguments);
    };
  }
  window.benchTicks = 0;  // timers fired: the game's ticks, which the page's own few timers hardly add to
  const setTimer = window.setTimeout.bind(window);
  window.setTimeout = (callback, ...rest) => setTimer((...args) => (++window.benchTicks, callback(...args)), ...rest);
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = callback => request(time => {
    const start = performance.now();
    draws = 0;
    callback(time);
    window.benchFrames.push({start, script: performance.now() - start, draws});
  });
}

// Frames per second, the share of the time the game's frames kept the script
// busy, and draws per frame, over the next `seconds` of real time, while the
// player does `act` ten times a second.
async function measure(page, seconds, act = async () => {}, engine = 'chromium') {
  const cdp = engine === 'chromium' && await page.createCDPSession();  // the main thread's busy time, all tasks
  if (cdp) await cdp.send('Performance.enable');
  const tasks = async () => (cdp ? (await cdp.send('Performance.getMetrics')).metrics
      .find(m => m.name === 'TaskDuration').value : 0);
  const busyFrom = await tasks(), wallFrom = Date.now();
  const [from, ticksFrom] = await page.evaluate(() => [window.benchFrames.length, window.benchTicks]);
  for (let i = 0; i < 10 * seconds; ++i) {
    await act();
    await new Promise(resume => setTimeout(resume, 100));
  }
  const elapsed = (Date.now() - wallFrom) / 1000, mainThread = (await tasks() - busyFrom) / elapsed;
  const [all, ticksTo] = await page.evaluate(() => [window.benchFrames, window.benchTicks]);
  const shown = all.slice(from), ticks = (ticksTo - ticksFrom) / elapsed;
  if (shown.length < 2) return {fps: shown.length / elapsed, ticks, busy: 0, draws: 0, mainThread};
  const span = shown[shown.length - 1].start - shown[0].start;
  const sum = key => shown.slice(1).reduce((total, f) => total + f[key], 0);
  return {fps: shown.length / elapsed, ticks, busy: sum('script') / span,
          draws: sum('draws') / (shown.length - 1), mainThread,
          capacity: (1000 * (shown.length - 1)) / sum('script')};  // frames/s if drawn back to back
}

// Three rockets with their trails, and bullets, for a second.
async function load(page, at, engine) {
  await page.mouse.move(...at(250, 250));
  for (const key of ['r', 'r', 'r']) await page.keyboard.press(key);
  await measure(page, 1, () => page.keyboard.press(' '), engine);  // the trails build up
}

// One engine's first frame and full-load frames per second, at a desktop's size.
async function engineRun(engine) {
  const {page, at, close} = await openGame(folder, [], {engine, hook: recordFrames});
  await page.waitForFunction(() => window.benchFrames.length > 0);
  const firstFrame = await page.evaluate(() => window.benchFrames[0].start);
  await load(page, at, engine);
  const full = await measure(page, 10, () => page.keyboard.press(' '), engine);
  await close();
  return {firstFrame, fps: full.fps, capacity: full.capacity};
}

const uncapped = ['--disable-gpu-vsync', '--disable-frame-rate-limit'];
// No Web Audio at all: the game finds no sound device and plays silent, as the desktop's does.
const silent = `() => { delete window.AudioContext; delete window.webkitAudioContext; (${recordFrames})(); }`;

async function run(flags, viewport = undefined, hook = recordFrames, pad = false) {
  const {browser, page, at, address} = await openGame(folder, [], {flags, viewport, hook});
  await page.waitForFunction(() => window.benchFrames.length > 0, {polling: 'raf'});
  if (pad) await page.evaluate(() => plugPad());  // the test hook's scripted pad, polled as a real one
  const firstFrame = await page.evaluate(() => window.benchFrames[0].start);
  const context = await page.evaluate(() => window.benchContext);
  await frames(page, 30);
  const start = await measure(page, 10);
  await load(page, at);
  const full = await measure(page, 10, () => page.keyboard.press(' '));
  await page.keyboard.press('p');
  const paused = await measure(page, 10);
  // Again in the same browser, as in one that a player has had open: WebGL is
  // up, which in a browser just started takes it most of the first second.
  await page.close();
  const again = await browser.newPage();
  await again.setViewport(viewport || {width: 500, height: 1400});
  await again.goto(address);
  await again.waitForFunction(() => window.benchFrames.length > 0, {polling: 'raf'});
  const warmFirstFrame = await again.evaluate(() => window.benchFrames[0].start);
  await browser.close();
  return {firstFrame, context, warmFirstFrame, start, full, paused};
}

// Lighthouse (its own headless chromium) on the shipped page, as a web server
// serves it: the four scores, Total Blocking Time, Largest Contentful Paint and
// the longest task of the page's own code.
async function lighthouse(preset) {
  const {address, close} = await serve(path.join(folder, 'page'));
  const cli = path.join(path.dirname(require.resolve('lighthouse/package.json')), 'cli/index.js');
  const report = JSON.parse((await execFileAsync(process.execPath, [cli, address, '--quiet', '--output=json',
      '--output-path=stdout', '--chrome-path=/usr/bin/chromium', ...(preset === 'desktop' ? ['--preset=desktop'] : []),
      '--chrome-flags=--headless=new --no-sandbox --use-angle=swiftshader --enable-unsafe-swiftshader ' +
      '--disable-background-networking --disable-component-update --disable-sync --no-first-run'],
      {maxBuffer: 1 << 28})).stdout);  // the server answers meanwhile, in this process
  close();
  const audit = name => report.audits[name];
  const own = (audit('long-tasks').details?.items || []).filter(task => task.url.startsWith(address));
  return {...Object.fromEntries(Object.entries(report.categories).map(([name, c]) => [name, 100 * c.score])),
          tbt: audit('total-blocking-time').numericValue, lcp: audit('largest-contentful-paint').numericValue,
          longest: Math.max(0, ...own.map(task => task.duration)),
          longestIn: own.sort((a, b) => b.duration - a.duration).map(task => task.url.replace(address, ''))[0] || '-'};
}

(async () => {
  const results = {capped: [], uncapped: [], phone: [], silent: [], pad: []}, desktop = [];
  const engines = {chromium: [], firefox: [], webkit: []};
  for (let i = 0; i < runs; ++i) {
    results.capped.push(await run([]));
    results.uncapped.push(await run(uncapped));
    results.phone.push(await run([], phone));
    results.silent.push(await run([], undefined, silent));
    results.pad.push(await run([], undefined, recordFrames, true));
    desktop.push(desktopFullLoad());
    for (const engine in engines) engines[engine].push(await engineRun(engine));
  }
  const kinds = Object.keys(results);
  const row = (name, pick, format) => console.log(name.padEnd(48) +
      kinds.map(k => format(median(results[k].map(pick))).padStart(15)).join(''));
  console.log(`Medians of ${runs} runs, each in a new browser (load average now: ${
      fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ')})`);
  console.log('the page, as a desktop\'s (500 x 500) and as a phone\'s (390 x 390 at 3x); silent: capped, no Web Audio; ' +
              'pad: capped, a pad connected');
  console.log(''.padEnd(48) + ['capped', 'uncapped', 'phone, capped', 'silent', 'pad'].map(k => k.padStart(15)).join(''));
  row('navigation to first frame, new browser', r => r.firstFrame, v => `${(v / 1000).toFixed(2)} s`);
  row('  of which the browser makes WebGL\'s context', r => r.context, v => `${(v / 1000).toFixed(2)} s`);
  row('  the same, browser running (target <= 1.0 s)', r => r.warmFirstFrame, v => `${(v / 1000).toFixed(2)} s`);
  row('frames/s, start (a frame a tick: 24.4)', r => r.start.fps, v => v.toFixed(1));
  row('ticks/s, start', r => r.start.ticks, v => v.toFixed(1));
  row('frames/s, full load (ticks, and frames input asks)', r => r.full.fps, v => v.toFixed(1));
  row('ticks/s, full load', r => r.full.ticks, v => v.toFixed(1));
  row('frames/s it could draw at full load', r => r.full.capacity, v => v.toFixed(1));
  row('WebGL draws a frame, start', r => r.start.draws, v => v.toFixed(0));
  row('WebGL draws a frame, full load', r => r.full.draws, v => v.toFixed(0));
  row('script busy in frames, full load', r => r.full.busy, v => `${(100 * v).toFixed(0)}%`);
  // A frame is drawn only when a tick (every 41 ms: 24.4 a second) or an input asks.
  row('main thread busy, paused (phone, pad: <= 1%)', r => r.paused.mainThread, v => `${(100 * v).toFixed(1)}%`);
  row('main thread busy, start', r => r.start.mainThread, v => `${(100 * v).toFixed(1)}%`);
  row('main thread busy, full load', r => r.full.mainThread, v => `${(100 * v).toFixed(1)}%`);
  row('frames/s paused', r => r.paused.fps, v => v.toFixed(1));
  const page = median(results.uncapped.map(r => r.full.capacity)), own = median(desktop);
  console.log(`full load uncapped: the page could draw ${page.toFixed(1)} frames/s, the desktop game on Mesa ` +
              `${own.toFixed(1)}: ${(page / own).toFixed(2)} times (target >= 1)`);
  console.log(`each engine, capped, new browser: ${Object.keys(engines).map(engine => `${engine} first frame ${
      (median(engines[engine].map(r => r.firstFrame)) / 1000).toFixed(2)} s, full load ${
      median(engines[engine].map(r => r.fps)).toFixed(1)} frames/s (could draw ${
      median(engines[engine].map(r => r.capacity)).toFixed(1)})`).join('; ')}`);
  const presets = {mobile: [], desktop: []};
  for (let i = 0; i < runs; ++i) for (const preset in presets) presets[preset].push(await lighthouse(preset));
  console.log(`Lighthouse 12.2.3, medians of ${runs} runs: ${Object.entries(presets).map(([preset, reports]) => {
    const m = key => median(reports.map(r => r[key]));
    return `${preset} performance ${m('performance')}, accessibility ${m('accessibility')}, best practices ${
        m('best-practices')}, SEO ${m('seo')}, TBT ${m('tbt').toFixed(0)} ms, LCP ${(m('lcp') / 1000).toFixed(2)} s, ` +
        `longest task of our own ${m('longest').toFixed(0)} ms (${reports[0].longestIn})`;
  }).join('; ')}`);
  // Everything the page and its service worker may fetch: the page's folder.
  let raw = 0, gzip = 0;
  const files = fs.readdirSync(path.join(folder, 'page'));
  for (const file of files) {
    const bytes = fs.readFileSync(path.join(folder, 'page', file));
    raw += bytes.length;
    gzip += zlib.gzipSync(bytes, {level: 9}).length;
  }
  console.log(`the page's files, ${files.join(', ')}: ${raw} bytes (target <= 400 KB), ` +
              `${gzip} with gzip -9`);
  process.exit(0);
})();
