// The page as a player meets it: a copy of a build's page/ folder served on localhost
// by a server that can also misbehave, opened in the engine SKORVANE_ENGINE names (chromium or
// firefox-esr through puppeteer-core, WebKitGTK's MiniBrowser through selenium-webdriver),
// its game read back from real screenshots as RGB bytes (by ImageMagick).
'use strict';
const {execFileSync, spawn} = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const puppeteer = require('puppeteer-core');

// What this process started, stopped when it ends.
const started = [];
process.on('exit', () => started.forEach(child => child.kill('SIGKILL')));

// Serves the folder on a free port from this process. `rules` are [pattern, rule]
// pairs for the files whose names match: {delay: ms}, {hang: true} (no answer while
// the rule holds),
// {half: true} (half the file, then nothing), {corrupt: true} (bytes changed in its
// middle) or {type} (another content type).
const types = {html: 'text/html', js: 'text/javascript', css: 'text/css', wasm: 'application/wasm',
               gz: 'application/gzip', svg: 'image/svg+xml', webmanifest: 'application/manifest+json', txt: 'text/plain'};
async function serve(folder) {
  const rules = [];
  const server = http.createServer((request, response) => {
    const path = `${folder}${decodeURIComponent(new URL(request.url, 'http://any').pathname)}`;
    const file = path.endsWith('/') ? `${path}index.html` : path;
    const name = file.replace(/.*\//, '');
    const ruled = () => Object.assign({}, ...rules.filter(([pattern]) => pattern.test(name)).map(([, r]) => r));
    const rule = ruled();
    if (!fs.existsSync(file)) return response.writeHead(404).end();
    const body = fs.readFileSync(file);
    if (rule.corrupt) body.fill(0x55, body.length >> 1, (body.length >> 1) + 64);
    if (rule.hang) {  // till the rule goes, then the connection is dropped, as by a network that comes back
      const hanging = setInterval(() => ruled().hang || (clearInterval(hanging), request.socket.destroy()), 100);
      return;
    }
    setTimeout(() => {
      response.writeHead(200, {'Content-Type': rule.type || types[name.replace(/.*\./, '')], 'Content-Length': body.length});
      if (rule.half) response.write(body.subarray(0, body.length >> 1));
      else response.end(body);
    }, rule.delay || 0);
  });
  await new Promise(listening => server.listen(0, '127.0.0.1', listening));
  return {address: `http://127.0.0.1:${server.address().port}/`, rules, close: () => server.close()};
}

// A folder of this process's own, gone when it ends.
function scratch() {
  const folder = fs.mkdtempSync(`${os.tmpdir()}/skorvane-page-`);
  started.push({kill: () => fs.rmSync(folder, {recursive: true, force: true})});
  return folder;
}

// Adds hook.js, running `hook` first, to a published page's folder: served first, and
// kept by the service worker too, for a reload offline.
function hooked(copy, hook = '') {
  fs.writeFileSync(`${copy}/test-hook.js`, `${fs.readFileSync(`${__dirname}/hook.js`)}(${hook || '() => {}'})();`);
  const edit = (file, from, to) => fs.writeFileSync(`${copy}/${file}`,
                                                   fs.readFileSync(`${copy}/${file}`, 'utf8').replace(from, to));
  edit('index.html', '<head>', '<head><script src="test-hook.js"></script>');
  edit('sw.js', "'index.html',", "'index.html', 'test-hook.js',");
}

// Opens the game; `messages` gathers the console's lines and the page's errors as
// [type, text]. `flags` go to chromium, `prefs` to firefox, `viewport` to the page (by
// default one where the game is 500 x 500 with no scrollbar over it); `change(folder)`
// edits the served copy, `hook` runs first in the page, `prepare(page, address)` before
// it loads `path`. Resolves once `ready` holds (by default, once the game runs), with
// the canvas's place and the server's rules.
const running = () => document.getElementById('notice').hidden;
async function openGame(folder, messages, {engine = process.env.SKORVANE_ENGINE || 'chromium', flags = [], prefs = {},
                                           ready = running, webgl = true, change = () => {}, hook = '', path = '',
                                           prepare = () => {}, viewport = {width: 500, height: 1400}} = {}) {
  const copy = scratch();
  fs.cpSync(`${folder}/page`, copy, {recursive: true});
  hooked(copy, hook);
  change(copy);
  const {address, rules} = await serve(copy);
  const {browser, page, close} = await launch[engine](messages, {flags, prefs, webgl}, viewport);
  await prepare(page, address);
  await page.goto(address + path);
  await page.waitForFunction(ready, {timeout: 60000});
  const box = await (await page.$('#game')).boundingBox();
  return {browser, page, address, rules, close, at: (x, y) => [box.x + x, box.y + y]};
}

const launch = {
  // WebGL in software; no calls home, which this machine's closed network refuses.
  chromium: (messages, {flags, webgl}, viewport) => listen(puppeteer.launch({executablePath: '/usr/bin/chromium',
      headless: true, args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
      ...flags, ...(webgl ? [] : ['--disable-webgl'])]}), messages, viewport),
  // WebGL only with an X display, even headless; overlay scrollbars, or one
  // would narrow the game; a touch screen's coarse pointer for a phone.
  firefox: (messages, {prefs, webgl}, viewport) => listen(puppeteer.launch({browser: 'firefox', headless: true,
      executablePath: '/usr/bin/firefox-esr', extraPrefsFirefox: {...prefs, 'ui.useOverlayScrollbars': 1,
      'webgl.disabled': !webgl, ...(viewport.hasTouch ? {'ui.primaryPointerCapabilities': 1,
      'ui.allPointerCapabilities': 1} : {})}}), messages, viewport),
  async webkit(messages, {webgl}, viewport) {
    const {Builder} = require('selenium-webdriver');
    const {DriverService} = require('selenium-webdriver/remote');
    const service = new DriverService.Builder('/usr/bin/WebKitWebDriver').setLoopback(true).build();
    started.push(service);
    const lib = fs.readdirSync('/usr/lib').find(d => fs.existsSync(`/usr/lib/${d}/webkit2gtk-4.1/MiniBrowser`));
    const driver = await new Builder().usingServer(await service.start()).withCapabilities({
      browserName: 'MiniBrowser', 'webkitgtk:browserOptions': {binary: `/usr/lib/${lib}/webkit2gtk-4.1/MiniBrowser`,
                                                             args: ['--automation', `--enable-webgl=${webgl}`]}}).build();
    const page = new WebKitPage(driver, messages);
    await page.setViewport(viewport);
    return {page, close: () => driver.quit()};
  },
};

async function listen(launched, messages, viewport) {
  const browser = await launched;
  started.push(browser.process());
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on('console', m => messages.push([m.type(), m.text()]));
  page.on('pageerror', e => messages.push(['pageerror', e.message]));
  return {browser, page, close: () => browser.close()};
}

// WebKitGTK through WebDriver, with the puppeteer Page calls the checks make.
// The console is hook.js's list, collected with every script run; the window's
// screenshot is cropped, as an element's comes out black.
class WebKitPage {
  constructor(driver, messages) {
    const {Button, Key} = require('selenium-webdriver');
    const act = () => driver.actions();
    const to = (x, y) => ({x: Math.round(x), y: Math.round(y)});  // from the viewport's corner
    const buttons = {left: Button.LEFT, right: Button.RIGHT}, keys = {Escape: Key.ESCAPE, Enter: Key.ENTER};
    Object.assign(this, {driver, messages, keyboard: {press: key => act().sendKeys(keys[key] || key).perform()},
      mouse: {move: (x, y) => act().move(to(x, y)).perform(), click: (x, y, {button = 'left'} = {}) =>
          act().move(to(x, y)).press(buttons[button]).release(buttons[button]).perform()}});
  }
  async evaluate(fn, ...args) {
    const [value, lines] = await this.driver.executeScript(`return Promise.resolve((${fn}).apply(null, arguments))
        .then(value => [value, window.testMessages ? testMessages.splice(0) : []]);`, ...args);
    this.messages.push(...lines);
    return value;
  }
  waitForFunction(fn, {timeout = 30000} = {}, ...args) {
    return this.driver.wait(() => this.evaluate(fn, ...args), timeout);
  }
  goto(address) { return this.driver.get(address); }
  click(selector) { return this.driver.findElement(require('selenium-webdriver').By.css(selector)).click(); }
  async setViewport({width, height}) {  // the window, less what is not the page
    const window = this.driver.manage().window();
    await window.setRect({width, height});
    const [innerWidth, innerHeight] = await this.evaluate(() => [innerWidth, innerHeight]);
    await window.setRect({width: 2 * width - innerWidth, height: 2 * height - innerHeight});
  }
  async $(selector) {
    const boundingBox = () => this.evaluate(s => document.querySelector(s).getBoundingClientRect().toJSON(), selector);
    return {boundingBox, screenshot: async () => {
      const {x, y, width, height} = await boundingBox();
      return execFileSync('convert', ['png:-', '-crop', `${Math.round(width)}x${Math.round(height)}+${Math.round(x)}+${
          Math.round(y)}`, '+repage', 'png:-'], {input: Buffer.from(await this.driver.takeScreenshot(), 'base64')});
    }};
  }
}

// The game as shown, both canvases, in the display's pixels: RGB bytes, rows
// from the top.
async function frame(page) {
  const png = await (await page.$('#screen')).screenshot({type: 'png'});
  const rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], {input: png, maxBuffer: 1 << 26});
  const width = png.readUInt32BE(16), height = png.readUInt32BE(20);  // from the PNG's header
  const at = (x, y) => rgb.subarray(3 * (y * width + x), 3 * (y * width + x) + 3);
  return {png, rgb, width, height, at, count(test, x0 = 0, y0 = 0, x1 = width - 1, y1 = height - 1) {
    let n = 0;  // the box's ends included
    for (let y = Math.round(y0); y <= y1; ++y)
      for (let x = Math.round(x0); x <= x1; ++x) n += test(at(x, y)) ? 1 : 0;
    return n;
  }};
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

module.exports = {serve, scratch, hooked, openGame, running, frame, frameUntil, frames, lit, phone};
