// The same frame from the page and from the Linux program: one seed, one sequence of tick
// times. The simulation must agree bit for bit; the pixels come from different software
// renderers (SwiftShader here, Mesa there), so their agreement is reported as a share.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { launch, openPage, pageFileUrl, sameFrame, startXvfb } from './support.mjs';

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

// The page's frame with the Linux side's settings and ticks, driven through its exports.
async function pageFrame() {
  const browser = await launch();
  try {
    const page = await openPage(browser, `${pageFileUrl}?saver=1`, { width, height });
    const frame = await page.evaluate((w, h, words) => {
      const { module } = window.vorlixss;
      window.vorlixss.stopLoop();
      module._vorlix_reset_settings();
      const settings = { count: '20', ghosting: '1', feather: '1', contour: '1', blobbiness: '40',
        spring: '60', damping: '10' };
      for (const [option, value] of Object.entries(settings))
        if (module.ccall('vorlix_set', 'number', ['string', 'string'], [option, value]) !== 0)
          throw new Error(`${option}=${value}: ${module.UTF8ToString(module._vorlix_message())}`);
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
    assert.deepEqual(page.problems, []);
    const rgb = Buffer.alloc(width * height * 3);
    for (let i = 0, o = 0; i < frame.rgba.length; i += 4) {
      rgb[o++] = frame.rgba[i]; rgb[o++] = frame.rgba[i + 1]; rgb[o++] = frame.rgba[i + 2];
    }
    return { positions: Buffer.from(frame.positions), rgb };
  } finally {
    await browser.close();
  }
}

test('the page and the Linux program make the same frame', async () => {
  const [linux, web] = await Promise.all([linuxFrame(), pageFrame()]);
  assert.equal(linux.rgb.length, width * height * 3, 'the Linux frame has the wrong size');
  let near = 0, worst = 0, lit = 0;
  for (let i = 0; i < web.rgb.length; ++i) {
    const difference = Math.abs(web.rgb[i] - linux.rgb[i]);
    near += difference <= 2;
    worst = Math.max(worst, difference);
    lit += linux.rgb[i] > 40;
  }
  const share = near / web.rgb.length;
  console.log(`same frame: positions ${web.positions.equals(linux.positions) ? 'identical' : 'DIFFER'}; ` +
    `${(share * 100).toFixed(2)} % of channels within 2/255, worst ${worst}/255; lit channels ${lit}`);
  assert.ok(web.positions.equals(linux.positions), 'the balls are not where the Linux program has them');
  assert.ok(lit > 1000, 'the Linux frame is dark');
  // Two software renderers round differently at blob edges; a wrong pass or a wrong
  // uniform changes far more than a few per cent of the channels.
  assert.ok(share >= 0.95, 'the pictures clearly differ');
});
