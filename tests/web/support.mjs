// What the page's tests share: the browser of the engine under test (Chromium and Firefox
// through puppeteer-core, WebKit through selenium-webdriver behind the same calls), a local
// static server, a page opened with its console watched, and the judging of a screenshot
// (lit pixels, hues, change).
import { spawn } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { createServer as createNetServer } from 'node:net';
import { tmpdir } from 'node:os';
import { extname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { inflateSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';
import { Builder, By, Key } from 'selenium-webdriver';

// The built page; scripts/test builds it before the tests run.
export const pageDir = resolve(process.env.VORLIX_WEB_DIR ?? new URL('../../build/web', import.meta.url).pathname);
export const pageFileUrl = pathToFileURL(join(pageDir, 'index.html')).href;
// The Linux build's helpers the page is held to (ctest names them; these are its places).
const linuxBuild = new URL('../../build/linux/', import.meta.url).pathname;
export const composedShader = process.env.VORLIX_COMPOSED_SHADER ?? `${linuxBuild}tests/web/composed_shader`;
export const sameFrame = process.env.VORLIX_SAME_FRAME ?? `${linuxBuild}tests/x11/same_frame`;

// The engine this run drives: chromium (the default), firefox or webkit. ctest runs every
// page test once per engine with VORLIX_ENGINE set.
export const engines = ['chromium', 'firefox', 'webkit'];
export const engine = process.env.VORLIX_ENGINE ?? 'chromium';
if (!engines.includes(engine)) throw new Error(`VORLIX_ENGINE=${engine}: not an engine`);

// Chromium draws WebGL 2 through ANGLE on SwiftShader here; naming it keeps the choice
// explicit should a later Chromium stop falling back by itself.
const chromium = process.env.VORLIX_CHROMIUM ?? '/usr/bin/chromium-headless-shell';
const baseArgs = ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'];
const firefox = process.env.VORLIX_FIREFOX ?? '/usr/bin/firefox-esr';
const miniBrowser = process.env.VORLIX_MINIBROWSER ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// Starts a browser of the engine under test (or of the one named): an object with
// puppeteer's Browser calls the tests use (newPage, close, version, process).
// withoutWebgl2 takes WebGL 2 away for a failure test; proxy (host:port, see serve) takes
// the browser's outside requests.
export async function launch({ withoutWebgl2 = false, engine: name = engine, proxy = '' } = {}) {
  if (name === 'chromium') {
    return puppeteer.launch({
      executablePath: chromium, headless: 'shell',
      args: [...baseArgs, ...(withoutWebgl2 ? ['--disable-webgl2'] : []),
        ...(proxy ? [`--proxy-server=http://${proxy}`] : [])],
      // NOTE: ctest gives no terminal; Chromium must not wait for one.
      pipe: true,
    });
  }
  // NOTE: headless Firefox gets WebGL 2 on llvmpipe only with an X server named in DISPLAY
  // (without one: FEATURE_FAILURE_WEBGL_EXHAUSTED_DRIVERS, whatever the preferences), and
  // WebKit's session request hangs without one; both get a private Xvfb, big enough for a
  // full-screen test and WebKit's window at 1920x1080.
  const xvfb = await startXvfb('2048x1280');
  try {
    const browser = name === 'firefox'
      ? await puppeteer.launch({
        browser: 'firefox', executablePath: firefox, headless: true,
        env: { ...process.env, DISPLAY: xvfb.display, MOZ_REMOTE_SETTINGS_DEVTOOLS: '1' },
        extraPrefsFirefox: {
          // NOTE: Firefox fetches its remote settings on its own; pointed nowhere (which a
          // release build allows only with MOZ_REMOTE_SETTINGS_DEVTOOLS=1 in its environment),
          // the proxy's record of outside requests holds only the page's.
          'services.settings.server': 'data:,#remote-settings-dummy/v1',
          // Firefox ESR 140 (Debian 12's before its security updates) also looks for a captive
          // portal, which puppeteer's preferences leave on there.
          'network.captive-portal-service.enabled': false,
          // NOTE: Firefox has a switch for WebGL 2 alone, as Chromium has.
          ...(withoutWebgl2 ? { 'webgl.enable-webgl2': false } : {}),
          ...(proxy ? proxyPrefs(proxy) : {}),
        },
      })
      // NOTE: WebKit's settings have no switch for WebGL 2 alone: without WebGL the page
      // meets the same missing context.
      : new WebKitBrowser(xvfb.display, withoutWebgl2 ? ['--enable-webgl=false'] : [], proxy);
    const close = browser.close.bind(browser);
    browser.close = async () => { try { await close(); } finally { xvfb.stop(); } };
    return browser;
  } catch (error) {
    xvfb.stop();
    throw error;
  }
}

// Firefox's preferences for one HTTP proxy, secure requests included.
function proxyPrefs(proxy) {
  const [host, port] = proxy.split(':');
  return { 'network.proxy.type': 1, 'network.proxy.http': host, 'network.proxy.http_port': Number(port),
    'network.proxy.ssl': host, 'network.proxy.ssl_port': Number(port) };
}

// A free TCP port on 127.0.0.1.
async function freePort() {
  const probe = createNetServer();
  await new Promise((done) => probe.listen(0, '127.0.0.1', done));
  const { port } = probe.address();
  await new Promise((done) => probe.close(done));
  return port;
}

// Waits for a promise at most milliseconds, then fails saying what hung.
function within(milliseconds, what, promise) {
  let timer;
  const late = new Promise((_, fail) => {
    timer = setTimeout(() => fail(new Error(`${what}: no answer in ${milliseconds} ms`)), milliseconds);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// WebKitGTK's MiniBrowser through WebKitWebDriver (W3C WebDriver; this version refuses
// BiDi's webSocketUrl). Each tab is a session of a driver of its own: a fresh MiniBrowser,
// closed with its tab.
class WebKitBrowser {
  constructor(display, extraArgs, proxy) {
    this.display = display;
    this.extraArgs = extraArgs;
    this.proxy = proxy;
    this.pages = new Set();
    this.lastDriver = null;
  }

  async newPage() {
    const port = await freePort();
    const driver = spawn('WebKitWebDriver', [`--port=${port}`],
      { env: { ...process.env, DISPLAY: this.display }, stdio: 'ignore' });
    this.lastDriver = driver;
    const server = `http://127.0.0.1:${port}`;
    try {
      for (const end = Date.now() + 10000; ;) {
        try {
          if ((await fetch(`${server}/status`)).ok) break;
        } catch { /* not listening yet */ }
        if (Date.now() > end) throw new Error('WebKitWebDriver did not start');
        await new Promise((done) => setTimeout(done, 50));
      }
      // NOTE: without an X display this request hangs instead of failing.
      const session = await within(30000, 'WebKit session', new Builder().usingServer(server).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation', ...this.extraArgs] },
        ...(this.proxy ? { proxy: { proxyType: 'manual', httpProxy: this.proxy, sslProxy: this.proxy } } : {}),
      }).build());
      const page = new WebKitPage(session, driver, () => this.pages.delete(page));
      this.pages.add(page);
      return page;
    } catch (error) {
      driver.kill();
      throw error;
    }
  }

  async close() {
    for (const page of [...this.pages]) await page.close();
  }

  async version() {
    const page = await this.newPage();
    try {
      const caps = await page.session.getCapabilities();
      return `${caps.get('browserName')} ${caps.get('browserVersion')} (WebKitGTK)`;
    } finally {
      await page.close();
    }
  }

  process() { return this.lastDriver; }
}

// What a page records of its own faults, installed after each load.
// NOTE: classic WebDriver reports no console messages and cannot run a script before the
// page's own, and MiniBrowser's console switch writes nothing under automation: errors
// thrown while the page loads show instead as a page that draws nothing or says why.
function watchProblems() {
  if (window.vorlixProblems) return;
  window.vorlixProblems = [];
  window.addEventListener('error', (e) => window.vorlixProblems.push(e.error || e.message
    ? `exception: ${e.message}` : `load failed: ${e.target?.src || e.target?.href}`), true);
  window.addEventListener('unhandledrejection', (e) => window.vorlixProblems.push(`exception: ${e.reason}`));
  const error = console.error;
  console.error = (...words) => { window.vorlixProblems.push(`console: ${words.join(' ')}`); error.apply(console, words); };
}

// A tab of WebKitBrowser with the puppeteer Page calls the tests use.
class WebKitPage {
  constructor(session, driver, forget) {
    Object.assign(this, { session, driver, forget, problems: [], requests: [] });
    this.keyboard = { press: (key) => this.session.actions().sendKeys(keyNames[key] ?? key).perform() };
  }

  async evaluate(fn, ...args) {
    return this.session.executeScript(`return (${fn}).apply(null, arguments);`, ...args);
  }

  async goto(url) {
    await this.session.get(url);
    await this.evaluate(watchProblems);
  }

  async reload() {
    await this.session.navigate().refresh();
    await this.evaluate(watchProblems);
  }

  async waitForFunction(fn, { timeout = 30000 } = {}, ...args) {
    for (const end = Date.now() + timeout; ;) {
      const value = await this.evaluate(fn, ...args);
      if (value) return { jsonValue: async () => value };
      if (Date.now() > end) throw new Error(`waited ${timeout} ms for ${fn}`);
      await new Promise((done) => setTimeout(done, 50));
    }
  }

  // Sizes the window so that the page gets width x height CSS pixels.
  async setViewport({ width, height }) {
    for (let attempt = 0; attempt < 3; ++attempt) {
      const [innerWidth, innerHeight] = await this.evaluate(() => [window.innerWidth, window.innerHeight]);
      if (innerWidth === width && innerHeight === height) return;
      const rect = await this.session.manage().window().getRect();
      await this.session.manage().window().setRect({ width: rect.width + width - innerWidth,
        height: rect.height + height - innerHeight });
      await new Promise((done) => setTimeout(done, 100));
    }
    throw new Error(`the page did not get ${width}x${height}`);
  }

  async screenshot({ path } = {}) {
    const png = Buffer.from(await this.session.takeScreenshot(), 'base64');
    if (path) writeFileSync(path, png);
    return png;
  }

  async click(selector) {
    await (await this.session.findElement(By.css(selector))).click();
  }

  // Picks an option of a <select> as a hand does: WebDriver clicks the option.
  async select(selector, value) {
    await (await this.session.findElement(By.css(`${selector} option[value="${value}"]`))).click();
  }

  async $eval(selector, fn, ...args) {
    return this.session.executeScript(
      `return (${fn}).apply(null, [document.querySelector(arguments[0]), ...Array.from(arguments).slice(1)]);`,
      selector, ...args);
  }

  async close() {
    this.forget();
    try {
      await within(15000, 'closing the WebKit session', this.session.quit());
    } finally {
      this.driver.kill();
    }
  }
}
const keyNames = { Escape: Key.ESCAPE };

// Every problem the page has shown so far (see openPage).
export async function problemsOf(page) {
  if (page instanceof WebKitPage) {
    page.problems.push(...await page.evaluate(() => window.vorlixProblems?.splice(0) ?? []));
  }
  return page.problems;
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png', '.svg': 'image/svg+xml' };

// Serves dir on 127.0.0.1 at a free port: { url, close(), proxy, outside }. Launched with
// { proxy }, a browser sends every other request through it too: those are answered 404
// and their URLs kept in outside (how the tests see a page reach out in every engine, as
// classic WebDriver reports no requests and puppeteer's Firefox none from file://).
export async function serve(dir = pageDir) {
  const outside = [];
  const server = createServer((request, response) => {
    const target = new URL(request.url, 'http://x');
    if (/^[a-z]+:/.test(request.url) && target.host !== `127.0.0.1:${server.address().port}`) {
      outside.push(request.url);
      response.writeHead(404).end();
      return;
    }
    const path = decodeURIComponent(target.pathname);
    const file = join(dir, path.endsWith('/') ? path + 'index.html' : path);
    try {
      if (!file.startsWith(dir) || !statSync(file).isFile()) throw new Error('not a file');
      response.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream' });
      response.end(readFileSync(file));
    } catch {
      response.writeHead(404).end();
    }
  });
  // A secure request through a proxy starts with CONNECT: kept, and refused.
  server.on('connect', (request, socket) => { outside.push(`https://${request.url}`); socket.destroy(); });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  const { port } = server.address();
  return { url: `http://127.0.0.1:${port}/`, close: () => server.close(), proxy: `127.0.0.1:${port}`, outside };
}

// A new tab at url, sized width x height, with every console error, uncaught exception and
// failed load collected in page.problems (read them through problemsOf), and, where the
// engine reports them (Chromium, Firefox), every URL it asked for in page.requests. Waits until the page has drawn a few
// frames unless waitFrames is 0.
export async function openPage(browser, url, { width = 480, height = 360, waitFrames = 3 } = {}) {
  const page = await browser.newPage();
  if (!(page instanceof WebKitPage)) {
    page.problems = [];
    page.requests = [];
    page.on('request', (r) => page.requests.push(r.url()));
    page.on('console', (m) => { if (m.type() === 'error') page.problems.push(`console: ${m.text()}`); });
    page.on('pageerror', (e) => page.problems.push(`exception: ${e.message}`));
    page.on('requestfailed', (r) => page.problems.push(`load failed: ${r.url()}`));
  } else {
    // WebKit opens at a size of its own; the page's first frames must see the asked one.
    await page.goto('about:blank');
  }
  await resize(page, width, height);
  await page.goto(url, { waitUntil: 'load' });
  if (waitFrames > 0) await framesPast(page, waitFrames);
  return page;
}

// Gives the page width x height CSS pixels. Beside the viewport, puppeteer asks for a screen
// orientation, a command Firefox ESR 140 (Debian 12's before its security updates) does not
// know; the viewport is set all the same.
export async function resize(page, width, height) {
  await page.setViewport({ width, height, deviceScaleFactor: 1 }).catch((error) => {
    if (!/unknown command emulation\.setScreenOrientationOverride/.test(error.message)) throw error;
  });
}

// Waits until the page's loop has drawn count more frames than now; gives up at once when
// the page has complained (a broken page would otherwise only time out).
export async function framesPast(page, count = 5, timeout = 15000) {
  const frames = () => page.evaluate(() => window.vorlixss?.frames ?? 0);
  const goal = (await frames()) + count, end = Date.now() + timeout;
  for (;;) {
    const problems = page.problems ? await problemsOf(page) : [];
    if (problems.length) throw new Error(`the page complained: ${problems.join('; ')}`);
    const now = await frames();
    if (now >= goal) return;
    if (Date.now() > end) throw new Error(`${now} of ${goal} frames drawn in ${timeout} ms`);
    await new Promise((done) => setTimeout(done, 50));
  }
}

// A copy of the page in scratch space whose preload.js (the text of the function prelude)
// runs before the page's own scripts: how a test hooks WebGL in every engine, as classic
// WebDriver cannot run a script ahead of a page. Returns the copy's file:// URL.
export function preloadedPage(prelude) {
  const copy = mkdtempSync(join(tmpdir(), 'vorlix-page-'));
  cpSync(pageDir, copy, { recursive: true, filter: (f) => statSync(f).isDirectory() ? f === pageDir : /\.(html|js|css|wasm)$/.test(f) });
  process.once('exit', () => rmSync(copy, { recursive: true, force: true }));
  writeFileSync(join(copy, 'preload.js'), `(${prelude})();\n`);
  const html = readFileSync(join(pageDir, 'index.html'), 'utf8');
  if (!html.includes('<script src="vorlixss.js">')) throw new Error('index.html no longer loads vorlixss.js as the tests expect');
  writeFileSync(join(copy, 'index.html'), html.replace('<script src="vorlixss.js">', '<script src="preload.js"></script>\n<script src="vorlixss.js">'));
  return pathToFileURL(join(copy, 'index.html')).href;
}

// The page's notice text ('' when there is none or it is hidden).
export function noticeOf(page) {
  return page.evaluate(() => {
    const n = document.getElementById('notice');
    return n && !n.hidden && getComputedStyle(n).display !== 'none' ? n.textContent.trim() : '';
  });
}

// Calls one of the page's exported functions with strings and numbers (Module.ccall).
export function call(page, name, ...args) {
  return page.evaluate((n, a) => {
    const types = a.map((v) => (typeof v === 'string' ? 'string' : 'number'));
    const text = n === 'vorlix_message' || n === 'vorlix_settings_json';
    return window.vorlixss.module.ccall(n, text ? 'string' : 'number', types, a);
  }, name, args);
}

// Decodes a PNG of 8-bit RGB or RGBA (what Chromium's screenshots are) to
// { width, height, rgba }.
export function decodePng(bytes) {
  const width = bytes.readUInt32BE(16), height = bytes.readUInt32BE(20);
  const depth = bytes[24], type = bytes[25], interlace = bytes[28];
  const channels = { 2: 3, 6: 4 }[type];
  if (depth !== 8 || !channels || interlace) throw new Error(`unexpected PNG (type ${type}, depth ${depth})`);
  const chunks = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at), kind = bytes.toString('latin1', at + 4, at + 8);
    if (kind === 'IDAT') chunks.push(bytes.subarray(at + 8, at + 8 + length));
    at += length + 12;
  }
  const raw = inflateSync(Buffer.concat(chunks));
  const stride = width * channels, rgba = Buffer.alloc(width * height * 4);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? line[i - channels] : 0, b = previous[i];
      const c = i >= channels ? previous[i - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predicted = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      line[i] = (line[i] + predicted) & 255;
    }
    for (let x = 0; x < width; ++x) {
      line.copy(rgba, (y * width + x) * 4, x * channels, x * channels + 3);
      rgba[(y * width + x) * 4 + 3] = 255;
    }
    previous = line;
  }
  return { width, height, rgba };
}

// A screenshot of the page's viewport, decoded.
export async function screenshot(page) {
  return decodePng(Buffer.from(await page.screenshot({ type: 'png' })));
}

// Rows at the bottom where the floor glow lights dim pixels of its own; a blob's pixel
// is far brighter than litLow, the black outside is 0 (as the desktop tests judge).
const floorRows = 80, litLow = 38;

// Hue in degrees 0..360, or -1 for a grey.
function hueOf(r, g, b) {
  const high = Math.max(r, g, b), low = Math.min(r, g, b);
  if (high === low) return -1;
  const span = high - low;
  if (high === r) return 60 * (((g - b) / span + 6) % 6);
  if (high === g) return 60 * ((b - r) / span + 2);
  return 60 * ((r - g) / span + 4);
}

// Lit pixels above the floor and the hue sectors (of six) holding a twentieth of them or more.
export function judge(picture) {
  const { width, height, rgba } = picture;
  const sectors = new Array(6).fill(0);
  let lit = 0;
  for (let y = 0; y < height - floorRows; ++y) {
    for (let x = 0; x < width; ++x) {
      const i = (y * width + x) * 4, r = rgba[i], g = rgba[i + 1], b = rgba[i + 2];
      if (Math.max(r, g, b) < litLow) continue;
      ++lit;
      const hue = hueOf(r, g, b);
      if (hue >= 0) ++sectors[Math.min(5, Math.floor(hue / 60))];
    }
  }
  return { lit, share: lit / (width * (height - floorRows)),
    colours: sectors.filter((n) => n * 20 >= lit && n > 0).length };
}

// Pixels that differ between two pictures of the same size.
export function changedPixels(a, b) {
  let changed = 0;
  for (let i = 0; i < a.rgba.length; i += 4)
    if (a.rgba[i] !== b.rgba[i] || a.rgba[i + 1] !== b.rgba[i + 1] || a.rgba[i + 2] !== b.rgba[i + 2]) ++changed;
  return changed;
}

// Asserts that the page shows moving, coloured blobs: two screenshots some frames apart.
export async function expectMovingColour(assert, page, what) {
  const first = await screenshot(page);
  await framesPast(page, 5);
  const second = await screenshot(page);
  const { share, colours } = judge(second);
  assert.ok(share > 0.01, `${what}: only ${(share * 100).toFixed(2)} % of the picture is lit`);
  assert.ok(colours >= 2, `${what}: the blobs show ${colours} colour(s)`);
  assert.ok(changedPixels(first, second) > 100, `${what}: the picture does not move`);
  return second;
}

// Starts a private Xvfb of size WxH: { display, stop() }.
export async function startXvfb(size = '640x480') {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp', '-noreset', '-screen', '0', `${size}x24`],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const number = await new Promise((done, fail) => {
    let text = '';
    xvfb.stdio[3].on('data', (d) => { text += d; if (text.includes('\n')) done(text.trim()); });
    xvfb.on('exit', (code) => fail(new Error(`Xvfb ended with code ${code}`)));
  });
  return { display: `:${number}`, stop: () => xvfb.kill() };
}
