// The page as a player meets it: a copy of a build's page/ folder served on localhost
// by Python's own server, opened in the engine SKORVANE_ENGINE names (chromium or
// firefox-esr through puppeteer-core, WebKitGTK's MiniBrowser through selenium-webdriver),
// its game read back from real screenshots as RGB bytes (by ImageMagick).
'use strict';
const {execFileSync, spawn} = require('child_process');
const fs = require('fs');
const os = require('os');
const puppeteer = require('puppeteer-core');

// What this process started, stopped when it ends (even a stopped server).
const started = [];
process.on('exit', () => started.forEach(child => child.kill('SIGKILL')));

// Serves the folder on a free port; resolves once listening with its address
// and its process, which can be stopped to leave the network hanging.
function serve(folder) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
                                   '--directory', folder], {stdio: ['ignore', 'pipe', 'ignore']});
  started.push(server);
  return new Promise((resolve, reject) => {
    server.stdout.on('data', text => {
      const port = /port (\d+)/.exec(String(text));
      if (port) resolve({address: `http://127.0.0.1:${port[1]}/`, server});
    });
    server.on('exit', () => reject(new Error('the file server stopped')));
  });
}

// Opens the game; `messages` gathers the console's lines and the page's errors as
// [type, text]. `flags` go to chromium, `viewport` to the page (by default one where
// the game is 500 x 500 with no scrollbar over it); `change(folder)` edits the served
// copy, `hook` runs first in the page, `prepare(page, address)` before it loads.
// Resolves once `ready` holds (by default, once the game runs), with the canvas's place.
const running = () => document.getElementById('notice').hidden;
async function openGame(folder, messages, {engine = process.env.SKORVANE_ENGINE || 'chromium', flags = [],
                                           ready = running, webgl = true, change = () => {}, hook = '',
                                           prepare = () => {}, viewport = {width: 500, height: 1400}} = {}) {
  const copy = fs.mkdtempSync(`${os.tmpdir()}/skorvane-page-`);
  started.push({kill: () => fs.rmSync(copy, {recursive: true, force: true})});
  fs.cpSync(`${folder}/page`, copy, {recursive: true});
  fs.writeFileSync(`${copy}/test-hook.js`, `${fs.readFileSync(`${__dirname}/hook.js`)}(${hook || '() => {}'})();`);
  const edit = (file, from, to) => fs.writeFileSync(`${copy}/${file}`,
                                                   fs.readFileSync(`${copy}/${file}`, 'utf8').replace(from, to));
  edit('index.html', '<head>', '<head><script src="test-hook.js"></script>');
  edit('sw.js', "'index.js',", "'index.js', 'test-hook.js',");  // kept too, for a reload offline
  change(copy);
  const {address, server} = await serve(copy);
  const {browser, page, close} = await launch[engine](messages, flags, webgl, viewport);
  await prepare(page, address);
  await page.goto(address);
  await page.waitForFunction(ready, {timeout: 60000});
  const box = await (await page.$('#game')).boundingBox();
  return {browser, page, address, server, close, at: (x, y) => [box.x + x, box.y + y]};
}

const launch = {
  // WebGL in software; no calls home, which this machine's closed network refuses.
  chromium: (messages, flags, webgl, viewport) => listen(puppeteer.launch({executablePath: '/usr/bin/chromium',
      headless: true, args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
      ...flags, ...(webgl ? [] : ['--disable-webgl'])]}), messages, viewport),
  // WebGL only with an X display, even headless; overlay scrollbars, or one
  // would narrow the game; a touch screen's coarse pointer for a phone.
  firefox: (messages, flags, webgl, viewport) => listen(puppeteer.launch({browser: 'firefox', headless: true,
      executablePath: '/usr/bin/firefox-esr', extraPrefsFirefox: {'ui.useOverlayScrollbars': 1,
      'webgl.disabled': !webgl, ...(viewport.hasTouch ? {'ui.primaryPointerCapabilities': 1,
      'ui.allPointerCapabilities': 1} : {})}}), messages, viewport),
  async webkit(messages, flags, webgl, viewport) {
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
  reload() { return this.driver.navigate().refresh(); }
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

module.exports = {serve, openGame, frame, frameUntil, frames, lit, phone};
