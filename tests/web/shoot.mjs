// Screenshots of the page in a browser (the headless Chromium unless VORLIX_ENGINE names
// firefox or webkit), each checked: the picture shows coloured blobs, the page logged no
// error, the browser ended cleanly. Used by the demo, the README's pictures and the release
// zip's check (in every engine).
//   node shoot.mjs [--page DIR] [--size WxH] [--query Q] [--panel] [--every SECONDS] OUT.png...
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { judge, engine, framesPast, launch, openPage, pageDir, problemsOf, decodePng } from './support.mjs';

const options = { page: pageDir, size: '1280x720', query: '', panel: false, every: 1 };
const outputs = [];
for (let args = process.argv.slice(2); args.length;) {
  const word = args.shift();
  if (word === '--panel') options.panel = true;
  else if (word.startsWith('--')) options[word.slice(2)] = args.shift();
  else outputs.push(resolve(word));
}
const [width, height] = options.size.split('x').map(Number);
if (!outputs.length || !(width > 0 && height > 0)) {
  console.error('usage: shoot.mjs [--page DIR] [--size WxH] [--query Q] [--panel] [--every SECONDS] OUT.png...');
  process.exit(2);
}

const url = pathToFileURL(join(resolve(options.page), 'index.html')).href + (options.query ? `?${options.query}` : '');
const browser = await launch();
let failure = '';
try {
  const page = await openPage(browser, url, { width, height, waitFrames: 0 });
  // Past the first frames, where the balls have just been dropped in.
  await framesPast(page, 10, 120000);
  if (options.panel) {
    await page.keyboard.press('s');
    await page.waitForFunction(() => !document.getElementById('panel').hidden, { timeout: 5000 });
  }
  for (const [i, out] of outputs.entries()) {
    if (i > 0) await new Promise((done) => setTimeout(done, options.every * 1000));
    await framesPast(page, 2, 120000);
    const { share, colours } = judge(decodePng(Buffer.from(await page.screenshot({ path: out }))));
    console.log(`shoot: ${engine}: ${out}: ${(share * 100).toFixed(1)} % lit, ${colours} colours`);
    if (share < 0.01 || colours < 2) failure ||= `${out} shows no coloured blobs`;
  }
  const problems = await problemsOf(page);
  if (problems.length) failure ||= `the page complained: ${problems.join('; ')}`;
} catch (error) {
  failure ||= error.message;
} finally {
  // NOTE: WebKit's browser is MiniBrowser under its driver; a session that quit in time is
  // its clean end.
  const child = engine === 'webkit' ? null : browser.process();
  try {
    await browser.close();
  } catch (error) {
    failure ||= `the browser did not close: ${error.message}`;
  }
  if (child && child.exitCode === null && child.signalCode === null)
    await new Promise((done) => child.once('exit', done));
  if (child && child.exitCode !== 0) failure ||= `${engine} ended with ${child.exitCode ?? child.signalCode}`;
}
if (failure) {
  console.error(`shoot: ${failure}`);
  process.exit(1);
}
