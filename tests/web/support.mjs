// What the page's tests share: the headless Chromium, a local static server, a page opened
// with its console watched, and the judging of a screenshot (lit pixels, hues, change).
import { spawn } from 'node:child_process';
import { readFileSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { inflateSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

// The built page; scripts/test builds it before the tests run.
export const pageDir = resolve(process.env.VORLIX_WEB_DIR ?? new URL('../../build/web', import.meta.url).pathname);
export const pageFileUrl = pathToFileURL(join(pageDir, 'index.html')).href;
// The Linux build's helpers the page is held to (ctest names them; these are its places).
const linuxBuild = new URL('../../build/linux/', import.meta.url).pathname;
export const composedShader = process.env.VORLIX_COMPOSED_SHADER ?? `${linuxBuild}tests/web/composed_shader`;
export const sameFrame = process.env.VORLIX_SAME_FRAME ?? `${linuxBuild}tests/x11/same_frame`;

// Chromium draws WebGL 2 through ANGLE on SwiftShader here; naming it keeps the choice
// explicit should a later Chromium stop falling back by itself.
const chromium = process.env.VORLIX_CHROMIUM ?? '/usr/bin/chromium-headless-shell';
const baseArgs = ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'];

// Starts the browser; extraArgs for fault injection (e.g. --disable-webgl2).
export function launch(extraArgs = []) {
  return puppeteer.launch({
    executablePath: chromium, headless: 'shell', args: [...baseArgs, ...extraArgs],
    // NOTE: ctest gives no terminal; Chromium must not wait for one.
    pipe: true,
  });
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png', '.svg': 'image/svg+xml' };

// Serves dir on 127.0.0.1 at a free port: { url, close() }.
export async function serve(dir = pageDir) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = join(dir, path.endsWith('/') ? path + 'index.html' : path);
    try {
      if (!file.startsWith(dir) || !statSync(file).isFile()) throw new Error('not a file');
      response.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream' });
      response.end(readFileSync(file));
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// A new tab at url, sized width x height, with every console error, uncaught exception and
// failed load collected in page.problems, and every URL it asked for in page.requests.
// Waits until the page has drawn a few frames unless waitFrames is 0.
export async function openPage(browser, url, { width = 480, height = 360, waitFrames = 3 } = {}) {
  const page = await browser.newPage();
  page.problems = [];
  page.requests = [];
  page.on('request', (r) => page.requests.push(r.url()));
  page.on('console', (m) => { if (m.type() === 'error') page.problems.push(`console: ${m.text()}`); });
  page.on('pageerror', (e) => page.problems.push(`exception: ${e.message}`));
  page.on('requestfailed', (r) => page.problems.push(`load failed: ${r.url()}`));
  await page.setViewport({ width, height, deviceScaleFactor: 1 });
  await page.goto(url, { waitUntil: 'load' });
  if (waitFrames > 0) await framesPast(page, waitFrames);
  return page;
}

// Waits until the page's loop has drawn count more frames than now; gives up at once when
// the page has complained (a broken page would otherwise only time out).
export async function framesPast(page, count = 5, timeout = 15000) {
  const frames = () => page.evaluate(() => window.vorlixss?.frames ?? 0);
  const goal = (await frames()) + count, end = Date.now() + timeout;
  for (;;) {
    if (page.problems?.length) throw new Error(`the page complained: ${page.problems.join('; ')}`);
    const now = await frames();
    if (now >= goal) return;
    if (Date.now() > end) throw new Error(`${now} of ${goal} frames drawn in ${timeout} ms`);
    await new Promise((done) => setTimeout(done, 50));
  }
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

// Starts a private Xvfb: { display, stop() }.
export async function startXvfb() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp', '-noreset', '-screen', '0', '640x480x24'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const number = await new Promise((done, fail) => {
    let text = '';
    xvfb.stdio[3].on('data', (d) => { text += d; if (text.includes('\n')) done(text.trim()); });
    xvfb.on('exit', (code) => fail(new Error(`Xvfb ended with code ${code}`)));
  });
  return { display: `:${number}`, stop: () => xvfb.kill() };
}
