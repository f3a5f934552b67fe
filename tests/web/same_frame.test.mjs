// The same frame from the page and from the Linux program: one seed, one sequence of tick
// times. The simulation must agree bit for bit; the pixels come from different software
// renderers (SwiftShader in Chromium, Mesa in Firefox, WebKit and the Linux program), so
// their agreement is reported as a share. Each engine's run also holds its frame to the
// next engine's, so that the three runs compare every pair of engines.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { engine, engines, launch, problemsOf, openPage, pageFileUrl, sameFrame, startXvfb } from './support.mjs';

const width = 256, height = 192, positionWords = 60;
const frameBytes = positionWords * 4 + width * height * 3;

// The Linux program's last frame (the file holds several): positions, then RGB rows from
// the bottom up.
async function linuxFrame() {
  const xvfb = await startXvfb();
  const scratch = mkdtempSync(join(tmpdir(), 'same-frame-'));
  try {
    execFileSync(sameFrame, [join(scratch, 'linux.frame')],
      { env: { ...process.env, DISPLAY: xvfb.display }, timeout: 60000 });
    const bytes = readFileSync(join(scratch, 'linux.frame'));
    const last = bytes.subarray(bytes.length - frameBytes);
    return { positions: last.subarray(0, positionWords * 4), rgb: last.subarray(positionWords * 4) };
  } finally {
    xvfb.stop();
    rmSync(scratch, { recursive: true, force: true });
  }
}

// The page's frame in an engine with the Linux side's settings and ticks, driven through
// its exports.
async function pageFrame(name) {
  const browser = await launch({ engine: name });
  try {
    // The window may be larger (MiniBrowser keeps a minimum width): _vorlix_start sizes
    // the drawing buffer itself.
    const page = await openPage(browser, `${pageFileUrl}?saver=1`);
    const frame = await page.evaluate((w, h, words) => {
      const { module } = window.vorlixss;
      window.vorlixss.stopLoop();
      module._vorlix_reset_settings();
      const settings = { count: '20', ghosting: '1', feather: '1', contour: '1', blobbiness: '40',
        spring: '60', damping: '10' };
      for (const [option, value] of Object.entries(settings))
        if (module.ccall('vorlix_set', 'number', ['string', 'string'], [option, value]) !== 0)
          throw new Error(`${option}=${value}: ${module.UTF8ToString(module._vorlix_message())}`);
      // The exact path, which the Linux side draws here; auto would try it and may leave it.
      if (module.ccall('vorlix_set_quality', 'number', ['string'], ['exact']) !== 0)
        throw new Error(`quality: ${module.UTF8ToString(module._vorlix_message())}`);
      if (module._vorlix_start(w, h, 20261207) !== 0)
        throw new Error(`start: ${module.UTF8ToString(module._vorlix_message())}`);
      let now = 5000;
      for (let tick = 0; tick < 40; ++tick) {
        now += 10 + (tick * 7) % 23;
        module._vorlix_frame(now);
      }
      // Read in the same task as the last draw, before the browser presents it.
      const gl = document.getElementById('canvas').getContext('webgl2');
      gl.bindFramebuffer(gl.READ_FRAMEBUFFER, null);
      const rgba = new Uint8Array(w * h * 4);
      gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
      const at = module._vorlix_ball_positions() / 4;
      return { positions: Array.from(new Uint8Array(module.HEAPF32.slice(at, at + words).buffer)),
        rgba: Array.from(rgba) };
    }, width, height, positionWords);
    assert.deepEqual(await problemsOf(page), []);
    const rgb = Buffer.alloc(width * height * 3);
    for (let i = 0, o = 0; i < frame.rgba.length; i += 4) {
      rgb[o++] = frame.rgba[i]; rgb[o++] = frame.rgba[i + 1]; rgb[o++] = frame.rgba[i + 2];
    }
    return { positions: Buffer.from(frame.positions), rgb };
  } finally {
    await browser.close();
  }
}

// Channels within 2/255 of each other, and the worst difference.
function agreement(a, b) {
  let near = 0, worst = 0;
  for (let i = 0; i < a.length; ++i) {
    const difference = Math.abs(a[i] - b[i]);
    near += difference <= 2;
    worst = Math.max(worst, difference);
  }
  return { share: near / a.length, worst };
}

test(`the page in ${engine}, the Linux program and the page in the next engine make the same frame`, async () => {
  const next = engines[(engines.indexOf(engine) + 1) % engines.length];
  const [linux, web, other] = await Promise.all([linuxFrame(), pageFrame(engine), pageFrame(next)]);
  assert.equal(linux.rgb.length, width * height * 3, 'the Linux frame has the wrong size');
  let lit = 0;
  for (const value of linux.rgb) lit += value > 40;
  assert.ok(lit > 1000, 'the Linux frame is dark');
  for (const [name, theirs] of [['the Linux program', linux], [`the page in ${next}`, other]]) {
    const { share, worst } = agreement(web.rgb, theirs.rgb);
    console.log(`same frame, ${engine} against ${name}: positions ` +
      `${web.positions.equals(theirs.positions) ? 'identical' : 'DIFFER'}; ` +
      `${(share * 100).toFixed(2)} % of channels within 2/255, worst ${worst}/255; lit channels ${lit}`);
    assert.ok(web.positions.equals(theirs.positions), `the balls are not where ${name} has them`);
    // Two software renderers round differently at blob edges; a wrong pass or a wrong
    // uniform changes far more than a few per cent of the channels.
    assert.ok(share >= 0.95, `the picture clearly differs from ${name}'s`);
  }
});
