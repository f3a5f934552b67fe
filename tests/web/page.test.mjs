// The page in a real browser of each engine (VORLIX_ENGINE): it draws, follows its window and
// the full screen, survives a lost context and a hidden spell, composes the desktop's shader
// text, and says plainly when WebGL 2 is missing.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { call, composedShader, engine, expectMovingColour, framesPast, launch, noticeOf, openPage, pageDir,
  pageFileUrl, preloadedPage, problemsOf, resize, serve } from './support.mjs';

// What the page's files may weigh together; the release zip carries the same files.
const pageBudget = 200 * 1024;

describe(`the page in ${engine}`, () => {
  let browser, server;
  before(async () => { server = await serve(); browser = await launch({ proxy: server.proxy }); });
  after(async () => { await browser?.close(); server?.close(); });

  test('draws moving colour from disk and from a server, at every look, and after a resize', async () => {
    for (const [where, base] of [['file://', pageFileUrl], ['http://', server.url]]) {
      const page = await openPage(browser, base);
      await expectMovingColour(assert, page, `${where} defaults`);
      await resize(page, 560, 260);
      await framesPast(page, 3);
      const size = await page.evaluate(() => {
        const c = document.getElementById('canvas');
        return [c.width, c.height];
      });
      assert.deepEqual(size, [560, 260], `${where}: the canvas does not follow the window`);
      await expectMovingColour(assert, page, `${where} after a resize to 560x260`);
      assert.deepEqual(await problemsOf(page), [], `${where}: the page complained`);
      // NOTE: puppeteer's Firefox reports no requests from file://, WebDriver's WebKit none
      // at all; there the proxy's record below is the check.
      const foreign = (page.requests ?? []).filter((u) => !u.startsWith(base.replace(/index\.html$/, '')) && !/^(data|blob):/.test(u));
      assert.deepEqual(foreign, [], `${where}: the page loads from outside its folder`);
      assert.deepEqual(server.outside, [], `${where}: the page reached out`);
      await page.close();
    }
    const page = await openPage(browser, `${pageFileUrl}?ghosting=1&feather=1&contour=1&count=20`);
    await expectMovingColour(assert, page, 'ghosting, feather and contour');
    assert.deepEqual(await problemsOf(page), []);
    assert.equal(await noticeOf(page), '');
    assert.deepEqual(server.outside, [], 'the page reached out');
    // The record of outside requests sees one, in this engine.
    await page.evaluate(() => fetch('http://outside.invalid/probe').catch(() => {}));
    assert.deepEqual(server.outside, ['http://outside.invalid/probe'], 'the proxy missed a request');
    await page.close();
  });

  test('on a discharging battery draws at most 30 frames a second, fast unless a path was chosen', async () => {
    // The browser's word that its battery discharges, as navigator.getBattery gives it.
    const onBattery = preloadedPage(() => {
      navigator.getBattery = () => Promise.resolve({ charging: false, addEventListener() {} });
    });
    for (const [query, lighter, fast] of [['', true, 1], ['&quality=exact', true, 0], ['&battery=0', false, null]]) {
      const page = await openPage(browser, `${onBattery}?saver=1${query}`);
      await page.waitForFunction((on) => window.vorlixss.lighter === on, { polling: 50 }, lighter);
      await framesPast(page, 3);
      if (fast !== null) assert.equal(await call(page, 'vorlix_draw_path'), fast, `${query}: the path`);
      if (lighter) {
        const before = await page.evaluate(() => window.vorlixss.frames);
        await new Promise((done) => setTimeout(done, 2000));
        const rate = ((await page.evaluate(() => window.vorlixss.frames)) - before) / 2;
        assert.ok(rate > 5 && rate <= 32, `${query}: ${rate} frames a second on battery`);
      }
      assert.deepEqual(await problemsOf(page), [], `${query}: the page complained`);
      await page.close();
    }
  });

  test('composes the desktop fragment text, after a precision line only', async () => {
    const looks = [[], ['count=20', 'distance=1', 'feather=1'], ['count=3', 'distance=2', 'contour=1'],
      ['count=7', 'feather=1', 'contour=1', 'ghosting=1']];
    const names = ['exp', 'abs', 'cos'];
    // Every shader text the page hands to WebGL, as it hands it.
    const recorded = preloadedPage(() => {
      window.shaderTexts = [];
      const original = WebGL2RenderingContext.prototype.shaderSource;
      WebGL2RenderingContext.prototype.shaderSource = function (shader, text) {
        window.shaderTexts.push(text);
        return original.call(this, shader, text);
      };
    });
    for (const look of looks) {
      const desktop = execFileSync(composedShader, look, { encoding: 'utf8' });
      const query = look.map((w) => w.replace(/^distance=(\d)/, (_, d) => `distance=${names[d]}`)).join('&');
      // The exact path, whose text the desktop composes; auto may add the coarse field's.
      const page = await openPage(browser, `${recorded}?${query}&quality=exact`, { waitFrames: 0 });
      await page.waitForFunction(() => window.vorlixss?.frames > 0, { polling: 50 });
      const texts = await page.evaluate(() => window.shaderTexts.filter((t) => t.includes('MAX_BALLS')));
      assert.equal(texts.length, 1, `${query}: metaball texts built: ${texts.length}`);
      const [text] = texts;
      assert.ok(text.endsWith(desktop), `${query}: the page's text differs from the desktop's:\n${text}`);
      const prefix = text.slice(0, text.length - desktop.length);
      assert.match(prefix, /^(precision [a-z]+ [a-z0-9]+;\n)+$/, `${query}: in front of the text: ${JSON.stringify(prefix)}`);
      await page.close();
    }
  });

  test('the key f fills the screen with the picture and leaves it again', async () => {
    const page = await openPage(browser, pageFileUrl);
    const state = () => page.evaluate(() => {
      const c = document.getElementById('canvas');
      return { full: document.fullscreenElement === document.documentElement,
        canvas: [c.width, c.height], window: [window.innerWidth, window.innerHeight] };
    });
    await page.keyboard.press('f');
    await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 5000 });
    await framesPast(page, 3);
    const full = await state();
    console.log(`full screen: ${JSON.stringify(full)}`);
    assert.ok(full.full, 'the page itself is not what fills the screen');
    assert.deepEqual(full.canvas, full.window, 'the canvas does not follow the full screen');
    await expectMovingColour(assert, page, 'in full screen');
    await page.keyboard.press('f');
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 5000 });
    await framesPast(page, 3);
    const back = await state();
    assert.deepEqual(back.canvas, back.window, 'the canvas does not follow the window after full screen');
    assert.deepEqual(await problemsOf(page), []);
    await page.close();
  });

  test('a hidden page draws nothing and carries on without a jump', async () => {
    const page = await openPage(browser, pageFileUrl);
    // NOTE: the headless shell never hides a tab by itself, and freezing one stops its
    // frame callbacks for good; the page is told it is hidden as a browser tells it.
    const setVisibility = (state) => page.evaluate((s) => {
      Object.defineProperty(document, 'visibilityState', { value: s, configurable: true });
      Object.defineProperty(document, 'hidden', { value: s === 'hidden', configurable: true });
      document.dispatchEvent(new Event('visibilitychange'));
    }, state);
    const positions = () => page.evaluate(() => {
      const m = window.vorlixss.module, at = m._vorlix_ball_positions() / 4;
      return Array.from(m.HEAPF32.subarray(at, at + 60));
    });
    await setVisibility('hidden');
    const frames = await page.evaluate(() => window.vorlixss.frames);
    const where = await positions();
    await new Promise((done) => setTimeout(done, 700));
    assert.equal(await page.evaluate(() => window.vorlixss.frames), frames, 'frames were drawn while hidden');
    assert.deepEqual(await positions(), where, 'the balls moved while hidden');
    await setVisibility('visible');
    await framesPast(page, 3);

    // Five seconds away: the first tick back only takes its time, the next one steps.
    await page.evaluate(() => {
      window.vorlixss.stopLoop();
      window.vorlixss.module._vorlix_frame(1000000);
      window.vorlixss.module._vorlix_frame(1000020);
    });
    const before = await positions();
    await setVisibility('hidden');
    await setVisibility('visible');
    await page.evaluate(() => window.vorlixss.module._vorlix_frame(1005020));
    assert.deepEqual(await positions(), before, 'the balls jumped on return');
    await page.evaluate(() => window.vorlixss.module._vorlix_frame(1005040));
    assert.notDeepEqual(await positions(), before, 'the balls stood still after the return');
    await page.evaluate(() => window.vorlixss.startLoop());
    await expectMovingColour(assert, page, 'shown again');
    assert.deepEqual(await problemsOf(page), []);
    await page.close();
  });

  test('a lost WebGL context is rebuilt and drawing goes on', async () => {
    const page = await openPage(browser, `${pageFileUrl}?ghosting=1`);
    await page.evaluate(() => {
      const gl = document.getElementById('canvas').getContext('webgl2');
      window.loseContext = gl.getExtension('WEBGL_lose_context');
      window.loseContext.loseContext();
      // The loss event comes later: until it does, frames, a battery change and a resize
      // still reach the program, on a context that builds nothing.
      const m = window.vorlixss.module;
      m._vorlix_frame(performance.now());
      m._vorlix_lighter(1);
      window.dispatchEvent(new Event('resize'));
      m._vorlix_lighter(0);
    });
    await new Promise((done) => setTimeout(done, 300));
    await page.evaluate(() => window.loseContext.restoreContext());
    await framesPast(page, 3);
    await expectMovingColour(assert, page, 'after the context came back');
    assert.deepEqual(await problemsOf(page), []);
    await page.close();
  });

  test(`its files weigh at most ${pageBudget / 1024} KB`, () => {
    const files = readdirSync(pageDir).filter((f) => /\.(html|js|css|wasm)$/.test(f));
    const total = files.reduce((sum, f) => sum + statSync(join(pageDir, f)).size, 0);
    console.log(`page: ${files.map((f) => `${f} ${statSync(join(pageDir, f)).size}`).join(', ')}; total ${total} bytes`);
    assert.ok(total <= pageBudget, `the page is ${total} bytes`);
  });
  test('a metaball text the compiler refuses shows the compiler\'s own log', async () => {
    // The real compiler, handed a broken text: its log must reach the notice.
    const broken = preloadedPage(() => {
      const original = WebGL2RenderingContext.prototype.shaderSource;
      WebGL2RenderingContext.prototype.shaderSource = function (shader, text) {
        return original.call(this, shader, text.includes('MAX_BALLS') ? `${text}\n#error broken on purpose\n` : text);
      };
    });
    const page = await openPage(browser, broken, { waitFrames: 0 });
    await page.waitForFunction(() => document.getElementById('notice')?.textContent.includes('broken on purpose'),
      { timeout: 15000 });
    assert.deepEqual(await problemsOf(page), []);
    await page.close();
  });
});

test(`without WebGL 2 the page says so in plain words (${engine})`, async () => {
  const browser = await launch({ withoutWebgl2: true });
  try {
    const page = await openPage(browser, pageFileUrl, { waitFrames: 0 });
    await page.waitForFunction(() => document.getElementById('notice')?.textContent.includes('WebGL 2'),
      { timeout: 10000 });
    console.log(`notice: ${await noticeOf(page)}`);
    assert.match(await noticeOf(page), /WebGL 2/);
    assert.deepEqual(await problemsOf(page), []);
  } finally {
    await browser.close();
  }
});
