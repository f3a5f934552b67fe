// The page's settings three ways, in each engine: the address (every option, good and bad
// values, saver mode), the panel (applied at once, kept across a reload, the dialog's radius
// rule) and defaults.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { call, engine, expectMovingColour, framesPast, launch, noticeOf, openPage, pageFileUrl, problemsOf,
  screenshot } from './support.mjs';

describe(`settings in ${engine}`, () => {
  let browser;
  before(async () => { browser = await launch(); });
  after(async () => { await browser?.close(); });

  test('every address parameter takes its range and names itself when it refuses a value', async () => {
    const page = await openPage(browser, pageFileUrl);
    // Each option's edges, default and a word, through the function the address goes through.
    const wrong = await page.evaluate(() => {
      const m = window.vorlixss.module;
      const set = (o, v) => m.ccall('vorlix_set', 'number', ['string', 'string'], [o, v]);
      const get = (o) => m.ccall('vorlix_get', 'number', ['string'], [o]);
      const message = () => m.UTF8ToString(m._vorlix_message());
      const wrong = [];
      for (const row of JSON.parse(m.UTF8ToString(m._vorlix_settings_json()))) {
        let good = [[row.low, row.low], [row.high, row.high], [row.default, row.default]];
        let bad = [row.low - 1, row.high + 1, '1.5', 'many', ''];
        if (row.kind === 'toggle') {
          good = [['1', 1], ['0', 0], ['on', 1], ['off', 0], ['true', 1], ['false', 0]];
          bad = ['2', 'maybe', ''];
        } else if (row.kind === 'choice') {
          good = row.choices.map((c, i) => [c, i]);
          bad = ['sin', 'EXP ', '1', ''];
        }
        for (const [value, expected] of good) {
          m._vorlix_reset_settings();
          if (set(row.option, String(value)) !== 0 || get(row.option) !== expected)
            wrong.push(`${row.option}=${value} gave ${get(row.option)} (${message()})`);
        }
        for (const value of bad) {
          m._vorlix_reset_settings();
          if (set(row.option, String(value)) === 0 || get(row.option) !== row.default || !message().includes(row.option))
            wrong.push(`${row.option}=${value} was not refused by name: ${get(row.option)}, "${message()}"`);
        }
      }
      for (const [value, result] of [['0', 0], ['4294967295', 0], ['-1', 1], ['4294967296', 1], ['x', 1]])
        if (set('seed', value) !== result) wrong.push(`seed=${value} gave ${1 - result}`);
      return wrong;
    });
    assert.deepEqual(wrong, []);
    await page.close();

    // A whole look in the address, radii the wrong way round included, as the desktop draws them.
    const look = await openPage(browser, `${pageFileUrl}?count=3&distance=cos&ghosting=on&max-radius=20&min-radius=60&seed=7`);
    for (const [option, value] of [['count', 3], ['distance', 2], ['ghosting', 1], ['max-radius', 20], ['min-radius', 60]])
      assert.equal(await call(look, 'vorlix_get', option), value, option);
    assert.equal(await noticeOf(look), '');
    await expectMovingColour(assert, look, 'a look from the address');
    assert.deepEqual(await problemsOf(look), []);
    await look.close();

    // Bad values and a name it does not know: a notice naming each, the defaults kept, the
    // picture still there.
    const bad = await openPage(browser, `${pageFileUrl}?count=99&distance=sin&seed=x&feather=1&cont=1&quality=best`);
    const notice = await noticeOf(bad);
    for (const option of ['count', 'distance', 'seed', 'cont is not a setting of VorlixSS',
      'quality takes auto, exact or fast, not "best"; kept auto'])
      assert.match(notice, new RegExp(option), notice);
    await bad.click('#notice');  // it closes, and no longer covers blobs
    assert.equal(await call(bad, 'vorlix_get', 'count'), 12);
    assert.equal(await call(bad, 'vorlix_get', 'feather'), 1);
    await expectMovingColour(assert, bad, 'after bad parameters');
    assert.deepEqual(await problemsOf(bad), []);
    await bad.close();

    // As a screen saver: the picture alone, even with a bad value or an unknown name; fps=1 adds
    // vorlixss --fps's line: white glyphs 8 to 22 pixels above the lower edge, from 8 pixels in;
    // "FPS: --" lights 232 of them, a reading after the first second more than 300.
    const saver = await openPage(browser, `${pageFileUrl}?saver=1&count=99&cont=1&fps=1&max-radius=10&min-radius=10`);
    assert.equal(await noticeOf(saver), '');
    assert.equal(await saver.$eval('#controls', (c) => c.hidden || getComputedStyle(c).display === 'none'), true);
    await new Promise((done) => setTimeout(done, 1500));
    const { width, height, rgba } = await screenshot(saver);
    let inCorner = 0, elsewhere = 0;
    for (let i = 0; i < rgba.length; i += 4) {
      if (Math.min(rgba[i], rgba[i + 1], rgba[i + 2]) < 250) continue;
      const x = (i / 4) % width, y = Math.floor(i / 4 / width);
      if (y >= height - 22 && y < height - 8 && x >= 8 && x < 8 + 2 * 97) ++inCorner;
      else ++elsewhere;
    }
    assert.ok(inCorner > 300 && elsewhere === 0, `${inCorner} glyph pixels in the corner, ${elsewhere} elsewhere`);
    await saver.close();
  });

  test('the panel applies at once, survives a reload, yields to the address and keeps the radius rule', async () => {
    const page = await openPage(browser, pageFileUrl);
    const panelShown = () => page.$eval('#panel', (p) => !p.hidden);
    await page.keyboard.press('s');
    assert.ok(await panelShown(), 'the key s did not open the panel');
    // A slider moved as a hand moves it: the value, then the change when it is let go.
    const slide = (option, value) => page.$eval(`#panel input[name="${option}"]`, (input, v) => {
      input.value = v;
      input.dispatchEvent(new Event('input', { bubbles: true }));
      input.dispatchEvent(new Event('change', { bubbles: true }));
    }, String(value));
    await slide('count', 20);
    await page.click('#panel input[name="ghosting"]');
    await page.select('#panel-quality', 'fast');
    assert.equal(await call(page, 'vorlix_get', 'count'), 20);
    assert.equal(await call(page, 'vorlix_get', 'ghosting'), 1);
    await framesPast(page, 2);
    // The panel says which path draws; the coarse field draws on this GL.
    assert.equal(await page.$eval('#panel-path', (e) => e.textContent), 'Drawn: fast');
    // The picture is judged with the panel closed: open, it covers most of it, and its blue
    // controls could outweigh the few blobs left beside it.
    await page.keyboard.press('Escape');
    assert.equal(await panelShown(), false, 'Escape did not close the panel');
    await expectMovingColour(assert, page, 'after the panel changed it');
    await page.keyboard.press('s');

    // The dialog's rule: a minimum above the maximum is refused with its words.
    await slide('min-radius', 150);
    assert.equal(await page.$eval('#panel-error', (e) => e.textContent), 'Cannot have min radius bigger than max');
    assert.equal(await call(page, 'vorlix_get', 'min-radius'), 30);
    assert.equal(await page.$eval('#panel input[name="min-radius"]', (i) => i.value), '30');

    await page.reload();
    await page.waitForFunction(() => window.vorlixss.frames > 2);
    assert.equal(await call(page, 'vorlix_get', 'count'), 20, 'the count was not kept');
    assert.equal(await call(page, 'vorlix_get', 'ghosting'), 1, 'ghosting was not kept');
    assert.equal(await call(page, 'vorlix_draw_path'), 1, 'the fast path was not kept');
    assert.equal(await panelShown(), false);
    await page.click('#settings-button');
    assert.ok(await panelShown(), 'the button did not open the panel');

    await page.goto(`${pageFileUrl}?count=9`);
    await page.waitForFunction(() => window.vorlixss.frames > 2);
    assert.equal(await call(page, 'vorlix_get', 'count'), 9, 'the address did not win');
    assert.equal(await call(page, 'vorlix_get', 'ghosting'), 1);
    assert.deepEqual(await problemsOf(page), []);
    await page.close();
  });
});
