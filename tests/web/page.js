// The page as a player meets it: a build's page/ folder served on localhost by
// Python's own server, opened in Debian's chromium headless through
// puppeteer-core, and its game read back as pixels from real screenshots
// (ImageMagick turns them into RGB bytes).
'use strict';
const {execFileSync, spawn} = require('child_process');
const puppeteer = require('puppeteer-core');

// What this process started, stopped when it ends (even a stopped server).
const started = [];
process.on('exit', () => started.forEach(child => child.kill('SIGKILL')));

// Serves the folder on a free port; resolves with the address once listening.
// Its `process` can be stopped, which leaves the network hanging.
function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
                                   '--directory', folder], {stdio: ['ignore', 'pipe', 'ignore']});
  started.push(server);
  return Object.assign(new Promise((resolve, reject) => {
    server.stdout.on('data', text => {
      const port = /port (\d+)/.exec(String(text));
      if (port) resolve(`http://127.0.0.1:${port[1]}/`);
    });
    server.on('exit', () => reject(new Error('the file server stopped')));
  }), {process: server});
}

// WebGL in software; no calls home, which this machine's closed network refuses.
const chromiumFlags = ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
                       '--disable-background-networking', '--disable-component-update',
                       '--disable-sync', '--no-first-run'];

// Opens the game; `messages` gathers the console's lines and the page's errors
// as [type, text]. `flags` go to chromium, `viewport` to the page (by default a
// desktop's, where the game is 500 x 500), and `prepare(page, address)` runs before the
// page loads. Resolves once `ready` holds in the page (by default, once the game
// runs), with the canvas's page position.
const running = () => document.getElementById('notice').hidden;
async function openGame(folder, messages, {flags = [], prepare = () => {}, ready = running,
                                           viewport = {width: 500, height: 1000}} = {}) {
  const server = serve(`${folder}/page`), address = await server;
  const browser = await puppeteer.launch({executablePath: '/usr/bin/chromium', headless: true,
                                          args: chromiumFlags.concat(flags)});
  started.push(browser.process());
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on('console', m => messages.push([m.type(), m.text()]));
  page.on('pageerror', e => messages.push(['pageerror', e.message]));
  await prepare(page, address);
  await page.goto(address);
  await page.waitForFunction(ready, {timeout: 60000});
  const box = await (await page.$('#game')).boundingBox();
  return {browser, page, address, server: server.process, at: (x, y) => [box.x + x, box.y + y]};
}

// The game as shown, both canvases, in the display's pixels: RGB bytes, rows
// from the top.
async function frame(page) {
  const png = await (await page.$('#screen')).screenshot({type: 'png'});
  const rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], {input: png, maxBuffer: 1 << 26});
  const width = png.readUInt32BE(16), height = png.readUInt32BE(20);  // from the PNG's header
  return {
    png,
    rgb,
    width,
    height,
    at: (x, y) => rgb.subarray(3 * (y * width + x), 3 * (y * width + x) + 3),
    count(test, x0 = 0, y0 = 0, x1 = width - 1, y1 = height - 1) {  // the box's ends included
      let n = 0;
      for (let y = Math.round(y0); y <= y1; ++y)
        for (let x = Math.round(x0); x <= x1; ++x) n += test(this.at(x, y)) ? 1 : 0;
      return n;
    },
  };
}

const lit = ([r, g, b]) => Math.max(r, g, b) > 40;

// Polls the frame until test(frame) holds; fails after half a minute.
async function frameUntil(page, test, what) {
  const end = Date.now() + 30000;
  for (;;) {
    const shown = await frame(page);
    if (test(shown)) return shown;
    if (Date.now() > end) throw new Error(`the game never showed ${what}`);
  }
}

// Resolves after the page has drawn n more frames.
function frames(page, n) {
  return page.evaluate(n => new Promise(done => {
    const next = () => (--n > 0 ? requestAnimationFrame(next) : done());
    requestAnimationFrame(next);
  }), n);
}

const phone = {width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true};  // upright

module.exports = {openGame, frame, frameUntil, frames, lit, phone};
