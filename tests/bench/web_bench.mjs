// The web page's part of scripts/bench, in the tests' browser of one engine (VORLIX_ENGINE:
// the headless Chromium on SwiftShader, Firefox or WebKitGTK on Mesa's llvmpipe under a
// private Xvfb): the page's frames per second against its bare ceiling (bare_page.html: the
// page's own shader texts and blend, no simulation, no wasm), taking turns in rounds; the CPU
// of the browser's processes over the same spans; the first frame from the start of
// navigation; the wasm memory, the JS heap (where the engine tells it) and the browser's
// memory over time; the page's bytes. Prints numbers, judges nothing.
//   node web_bench.mjs OUT_DIR SECONDS ROUNDS STARTS MEMORY_MINUTES SIZE...
// Writes OUT_DIR/web-ENGINE.txt (key=value lines) for scripts/bench's report.
// VORLIX_BENCH_SETTINGS=NAME[,NAME] measures only those settings (default, ghosting, rich).
// VORLIX_BENCH_QUALITIES=Q,Q (of auto, exact, fast) takes turns between the page drawn with
// each quality instead of the page and its ceiling: keys Q_fps_SIZE_NAME, Q_cpu_..., Q_rounds_...,
// Q_cpu_ms_per_frame_... and Q_path_... (the path the page drew with at the end).
import { copyFileSync, cpSync, mkdirSync, readdirSync, readFileSync, statSync, writeFileSync }
  from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { engine, launch, pageDir, preloadedPage, serve } from '../web/support.mjs';

const [outDir, secondsText, roundsText, startsText, minutesText, ...sizes] = process.argv.slice(2);
const seconds = Number(secondsText), rounds = Number(roundsText), starts = Number(startsText);
const memoryMinutes = Number(minutesText);
const chosen = process.env.VORLIX_BENCH_SETTINGS?.split(',');
const qualities = process.env.VORLIX_BENCH_QUALITIES?.split(',');
// NOTE: the exact drawing path where the page meets its ceiling: the ceiling draws the exact
// path's shader texts, and auto may take the coarse field on one engine and not on another.
const settings = [['default', 'count=12&ghosting=0'], ['ghosting', 'count=12&ghosting=1'],
  ['rich', 'count=20&feather=1&contour=1&ghosting=0']].filter(([name]) => !chosen || chosen.includes(name));
const ticksPerSecond = 100;  // the kernel's USER_HZ for /proc/PID/stat
const lines = [];
const note = (key, value) => { lines.push(`${key}=${value}`); console.error(`web (${engine}): ${key}=${value}`); };

// Records the shader texts and the last uniform values the page hands to WebGL, and the
// time (from the start of navigation) at which the page's frame count first moves.
function probe() {
  const proto = WebGL2RenderingContext.prototype;
  window.capturedGl = { shaders: [], uniforms: {} };
  const shaderSource = proto.shaderSource, location = proto.getUniformLocation;
  proto.shaderSource = function (shader, text) {
    window.capturedGl.shaders.push(text);
    return shaderSource.call(this, shader, text);
  };
  proto.getUniformLocation = function (program, name) {
    const found = location.call(this, program, name);
    if (found) found.capturedName = name.replace(/\[0\]$/, '');
    return found;
  };
  for (const kind of ['uniform1f', 'uniform1fv', 'uniform3fv']) {
    const real = proto[kind];
    // NOTE: emscripten passes arrays as (the whole heap, offset, length).
    proto[kind] = function (at, data, offset, length) {
      if (at?.capturedName) {
        const values = !kind.endsWith('v') ? [data]
          : Array.from(offset === undefined ? data : data.subarray(offset, offset + length));
        window.capturedGl.uniforms[at.capturedName] = { kind, values };
      }
      return real.apply(this, arguments);
    };
  }
  Object.defineProperty(window, 'vorlixss', { configurable: true, set(hook) {
    let frames = hook.frames;
    Object.defineProperty(hook, 'frames', { get: () => frames, set: (value) => {
      if (frames === 0 && value > 0) window.firstFrameMs = performance.now();
      frames = value;
    } });
    Object.defineProperty(window, 'vorlixss', { value: hook, writable: true, configurable: true });
  } });
}

// The page, the page with the probe in front of its scripts (how every engine can run a
// script ahead of a page: see preloadedPage), and the bare ceiling, served from one folder.
const site = join(outDir, `site-${engine}`);
mkdirSync(join(site, 'bare'), { recursive: true });
const pageFiles = readdirSync(pageDir).filter((f) => /\.(html|js|css|wasm)$/.test(f));
mkdirSync(join(site, 'page'), { recursive: true });
for (const f of pageFiles) copyFileSync(join(pageDir, f), join(site, 'page', f));
cpSync(dirname(fileURLToPath(preloadedPage(probe))), join(site, 'probe'), { recursive: true });
copyFileSync(new URL('bare_page.html', import.meta.url), join(site, 'bare', 'index.html'));
const server = await serve(site);
const browser = await launch();

// The processes below this one: the browser's (and for Firefox and WebKit their Xvfb).
function descendants() {
  const parents = new Map();
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      parents.set(pid, readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /, '').split(' ')[1]);
    } catch { /* ended meanwhile */ }
  }
  const root = String(process.pid);
  return [...parents.keys()].filter((pid) => {
    for (let at = parents.get(pid); at && at !== '0'; at = parents.get(at)) if (at === root) return true;
    return false;
  });
}

// CPU seconds so far of the browser's processes and its X server.
function browserCpuSeconds() {
  let total = 0;
  for (const pid of descendants()) {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /, '').split(' ');
      total += (Number(fields[11]) + Number(fields[12])) / ticksPerSecond;
    } catch { /* ended meanwhile */ }
  }
  return total;
}

// The browser's memory: the proportional set size of its processes (shared pages counted
// once over all of them), without the X server's.
function browserPssBytes() {
  let total = 0;
  for (const pid of descendants()) {
    try {
      if (readFileSync(`/proc/${pid}/comm`, 'utf8').trim() === 'Xvfb') continue;
      const pss = /^Pss:\s+(\d+) kB/m.exec(readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'));
      if (pss) total += Number(pss[1]) * 1024;
    } catch { /* ended meanwhile */ }
  }
  return total;
}

// Frames the tab draws over at least SECONDS and at least minFrames frames, timed from one
// frame's arrival to another's (in the page's clock), and the browser's CPU over the span.
const minFrames = 5;
async function countFrames(tab, counter) {
  // NOTE: waits on animation frames inside the page, so each edge is seen in the frame it
  // happens, in every engine (WebDriver's own polling would be tens of milliseconds late).
  const edge = (atLeast) => tab.evaluate((c, n) => new Promise((done) => {
    const look = () => {
      const frames = (c === 'page' ? window.vorlixss?.frames : window.bareFrames) ?? 0;
      if (frames >= n) done([frames, performance.now()]);
      else window.requestAnimationFrame(look);
    };
    look();
  }), counter, atLeast);
  const [warm] = await edge(2);
  const [f0, t0] = await edge(warm + 1);
  const cpu0 = browserCpuSeconds();
  await new Promise((done) => setTimeout(done, seconds * 1000));
  const [now] = await edge(0);
  const [f1, t1] = await edge(Math.max(now + 1, f0 + minFrames));
  return { frames: f1 - f0, seconds: (t1 - t0) / 1000, cpu: browserCpuSeconds() - cpu0 };
}

// The bare ceiling's configuration for one setting and size, taken from the real page: the
// balls where the page has them at that size, as the cost of a pixel depends on them.
async function bareConfigFor(query, width, height) {
  const tab = await browser.newPage();
  await tab.setViewport({ width, height });
  await tab.goto(`${server.url}probe/?${query}&seed=7`, { waitUntil: 'load' });
  await tab.waitForFunction(() => (window.vorlixss?.frames ?? 0) >= 10, { timeout: 120000 })
    .catch(async () => {
      throw new Error(`the page drew no frames: ${await tab.$eval('#notice', (n) => n.textContent)}`);
    });
  const { shaders, uniforms } = await tab.evaluate(() => window.capturedGl);
  await tab.close();
  const fragment = shaders.find((t) => t.includes('MAX_BALLS'));
  const ghostFragment = shaders.find((t) => t.includes('ancientFrame'));
  const ghostVertex = shaders.find((t) => t.includes('varying') && !t.includes('gl_FragColor'));
  const vertex = shaders.find((t) => t.includes('position') && t !== ghostVertex && !t.includes('gl_FragColor'));
  const ghosting = query.includes('ghosting=1');
  return { metaballVertex: vertex, metaballFragment: fragment, uniforms,
    ghostVertex: ghosting ? ghostVertex : null, ghostFragment: ghosting ? ghostFragment : null };
}

// Frames per second and CPU of the page and of its ceiling (or of the page with each
// quality), in turns.
for (const [name, query] of settings) {
  for (const size of sizes) {
    const [width, height] = size.split('x').map(Number);
    // [the keys' name, the folder, the query]
    const runs = qualities ? qualities.map((q) => [q, 'page', `${query}&quality=${q}`])
      : [['page', 'page', `${query}&quality=exact`], ['bare', 'bare', query]];
    if (!qualities) {
      writeFileSync(join(site, 'bare', 'bare-config.js'),
        `window.bareConfig = ${JSON.stringify(await bareConfigFor(`${query}&quality=exact`, width, height))};\n`);
    }
    const tab = await browser.newPage();
    await tab.setViewport({ width, height });
    const sum = {}, each = {}, path = {};
    for (const [which] of runs) { sum[which] = { frames: 0, seconds: 0, cpu: 0 }; each[which] = []; }
    for (let round = 0; round < rounds; ++round) {
      for (const [which, folder, address] of round % 2 ? [...runs].reverse() : runs) {
        await tab.goto(`${server.url}${folder}/?${address}&seed=7`, { waitUntil: 'load' });
        const got = await countFrames(tab, folder);
        for (const key of Object.keys(got)) sum[which][key] += got[key];
        each[which].push((got.frames / got.seconds).toFixed(2));
        if (qualities) {
          path[which] = await tab.evaluate(() => (window.vorlixss.module._vorlix_draw_path() ? 'fast' : 'exact'));
        }
      }
    }
    await tab.close();
    for (const [which] of runs) {
      const s = sum[which];
      note(`${which}_fps_${size}_${name}`, (s.frames / s.seconds).toFixed(2));
      note(`${which}_cpu_${size}_${name}`, (s.cpu / s.seconds * 100).toFixed(0));
      note(`${which}_rounds_${size}_${name}`, each[which].join(' '));
      if (qualities) {
        note(`${which}_cpu_ms_per_frame_${size}_${name}`, (s.cpu / s.frames * 1000).toFixed(2));
        note(`${which}_path_${size}_${name}`, path[which]);
      }
    }
  }
}

// First frames: a fresh tab each, without the HTTP cache, at 1280x720.
// NOTE: WebKit's tab is a fresh MiniBrowser (a session of its own); WebDriver cannot turn
// its cache off, and the local server sends no caching headers.
const firsts = [];
for (let i = 0; i < starts; ++i) {
  const tab = await browser.newPage();
  if (engine !== 'webkit') await tab.setCacheEnabled(false);
  await tab.setViewport({ width: 1280, height: 720 });
  await tab.goto(`${server.url}probe/?seed=7&quality=exact&first=${i}`, { waitUntil: 'load' });
  await tab.waitForFunction(() => window.firstFrameMs !== undefined, { timeout: 60000, polling: 20 });
  firsts.push(await tab.evaluate(() => window.firstFrameMs));
  await tab.close();
}
note('first_frame_ms', firsts.map((ms) => ms.toFixed(1)).join(' '));

// Memory with ghosting at 1280x720: at the start and after each minute.
if (memoryMinutes > 0) {
  const tab = await browser.newPage();
  await tab.setViewport({ width: 1280, height: 720 });
  await tab.goto(`${server.url}page/?ghosting=1&seed=7&quality=exact`, { waitUntil: 'load' });
  await tab.waitForFunction(() => (window.vorlixss?.frames ?? 0) >= 3, { timeout: 60000 });
  const samples = [];
  for (let minute = 0; minute <= memoryMinutes; ++minute) {
    if (minute > 0) await new Promise((done) => setTimeout(done, 60000));
    // NOTE: only Chromium tells the JS heap (over its DevTools protocol); the browser's
    // memory is every engine's figure.
    const heap = engine === 'chromium' ? (await tab.metrics()).JSHeapUsedSize : '-';
    const wasm = await tab.evaluate(() => window.vorlixss.module.HEAPU8.buffer.byteLength);
    const frames = await tab.evaluate(() => window.vorlixss.frames);
    samples.push(`${minute}:${wasm}:${heap}:${browserPssBytes()}:${frames}`);
  }
  await tab.close();
  note('memory_minute_wasm_heap_pss_frames', samples.join(' '));
}

// The page's files.
note('page_files', pageFiles.map((f) => `${f}:${statSync(join(pageDir, f)).size}`).join(' '));
note('browser', (await browser.version()).replace(/\s+/g, '_'));

await browser.close();
server.close();
writeFileSync(join(outDir, `web-${engine}.txt`), lines.join('\n') + '\n');
