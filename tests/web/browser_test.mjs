// The site in a real browser: Debian's Chromium, headless, driven through
// puppeteer-core (installed into the build folder on first use).
//   node browser_test.mjs saver|home --site DIR --check FRAME_CHECK.js --work DIR --npm DIR
// saver: saver.html for both patterns and the three sizes, each picture read
// back and checked cell by cell by FRAME_CHECK, twice, and the frame number
// must have moved on between the two; still pictures compared whole with the
// core's frame; query values it does not know; a screen wider than a canvas
// can be; then a resized window.
// home: index.html loads with no script error and no request to another
// host; its controls switch the live picture's pattern and size, the
// language switch the page's language; a reduced-motion visitor's picture
// waits for a click; the full-screen button opens saver.html over the page
// and a key ends it; without WebAssembly both pages say so.
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import zlib from 'node:zlib';
import path from 'node:path';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';

const [suite, ...rest] = process.argv.slice(2);
const opt = {};
for (let i = 0; i < rest.length; i += 2) opt[rest[i].replace(/^--/, '')] = rest[i + 1];
const site = path.resolve(opt.site);
const work = path.resolve(opt.work, suite);
fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(work, { recursive: true });

const failures = [];
function expect(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures.push(what);
}

// ------------------------------------------------------------ the browser

function puppeteer() {
  const npm = path.resolve(opt.npm);
  const require = createRequire(path.join(npm, 'package.json'));
  try {
    return require('puppeteer-core');
  } catch {
    fs.mkdirSync(npm, { recursive: true });
    execFileSync('npm', ['install', '--no-audit', '--no-fund', '--no-save', '--prefix', npm,
                         'puppeteer-core@24'], { stdio: 'inherit' });
    return require('puppeteer-core');
  }
}

// Every wait below is on a condition, with a bound that a loaded 2-core
// machine meets with room to spare; one that is not met fails its check (or
// the run) with what it waited for, well inside ctest's limit.
const kStartWait = 60000;  // a page's first frames: loading and compiling the module
const kFrameWait = 20000;  // a few more frames, or a page's reaction to input
// Any one request to the browser (an evaluate, a screenshot). Puppeteer's own
// default, 180 s, would let one hung request use up most of the test's time.
const kProtocolWait = 60000;

const browser = await puppeteer().launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  protocolTimeout: kProtocolWait,
  userDataDir: path.join(work, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--hide-scrollbars', '--force-color-profile=srgb',
         '--allow-file-access-from-files', '--lang=en-GB'],
});
const url = (page, query = '') => pathToFileURL(path.join(site, page)).href + query;

// A PNG as rows of RGB: 8 bits a sample, RGB or RGBA, not interlaced, as the
// browser writes its screenshots. Decoded here rather than in another page of
// the browser: a page in the background may wait for a frame of its own
// before it decodes an image, and none comes while another page is in front.
function decodePng(png) {
  let offset = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < png.length) {
    const length = png.readUInt32BE(offset);
    const type = png.toString('latin1', offset + 4, offset + 8);
    const body = png.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0) {
        throw new Error(`unexpected PNG format (depth ${body[8]}, colour ${body[9]})`);
      }
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? rows[y * stride + i - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = i >= channels && y > 0 ? rows[(y - 1) * stride + i - channels] : 0;
      let value = line[i];
      if (filter === 1) value += a;
      else if (filter === 2) value += b;
      else if (filter === 3) value += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        value += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + i] = value & 0xFF;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; j < rgb.length; i += channels, j += 3) rows.copy(rgb, j, i, i + 3);
  return { width, height, rgb };
}

// A screenshot of the page, written as a binary PPM.
async function readBack(page, file) {
  const { width, height, rgb } = decodePng(Buffer.from(await page.screenshot()));
  fs.writeFileSync(file, Buffer.concat([Buffer.from(`P6 ${width} ${height} 255\n`), rgb]));
  return { width, height };
}

// FRAME_CHECK over one picture: whether it passes, and what it printed.
function runCheck(args) {
  const r = spawnSync('node', [opt.check, ...args].map(String), { encoding: 'utf8' });
  return { passes: r.status === 0, out: r.stdout,
           report: (r.stdout + r.stderr).replace(/\n/g, '; ') };
}

// The shared cell check over one picture: its frame numbers, or null.
function check(file, area, pattern) {
  const r = runCheck([file, area.left, area.top, area.width, area.height, pattern]);
  return { ...r, frames: /frames(.*)/.exec(r.out)?.[1].trim() ?? '' };
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Polls `condition` (an async function; a throw counts as not yet, as while
// a frame reloads) until it returns a true value or `limit` ms have passed;
// returns its last value.
async function until(condition, limit) {
  const end = Date.now() + limit;
  for (;;) {
    let value;
    try {
      value = await condition();
    } catch {
      value = undefined;
    }
    if (value || Date.now() > end) return value;
    await sleep(50);
  }
}

// The saver page's frame count, and a wait until it has drawn more than `n`.
const framesOf = (page) => page.evaluate(() => window.varomineaSaver.frames);
const framesPast = (page, n) =>
  page.waitForFunction((n) => window.varomineaSaver.frames > n, { timeout: kFrameWait }, n);

// Until the hint has faded out (it covers a margin until then).
const hintGone = (page) => page.waitForFunction(() => {
  const hint = document.getElementById('hint');
  return hint.hidden || getComputedStyle(hint).opacity === '0';
}, { timeout: kFrameWait });

// ------------------------------------------------------------ saver.html

async function saverSuite() {
  const looks = [
    { w: 1000, h: 700, size: 'full', area: [0, 0, 1000, 700] },
    { w: 1000, h: 700, size: '800x600', area: [100, 50, 800, 600] },
    { w: 1000, h: 700, size: '640x480', area: [180, 110, 640, 480] },
    // Smaller than the area, by an odd number of pixels: centred (the half
    // pixel rounded to even) and cut off.
    // (Squares only: the cells rings keep unsmoothed lie along the edges.)
    { w: 775, h: 545, size: '800x600', area: [-12, -28, 800, 600], squaresOnly: true },
  ];
  for (const pattern of ['square', 'ring']) {
    for (const look of looks) {
      if (look.squaresOnly && pattern !== 'square') continue;
      const what = `saver.html?pattern=${pattern}&size=${look.size} in ${look.w} x ${look.h}`;
      const page = await browser.newPage();
      await page.setViewport({ width: look.w, height: look.h });
      const errors = [];
      page.on('pageerror', (e) => errors.push(String(e)));
      await page.goto(url('saver.html', `?pattern=${pattern}&size=${look.size}`));
      await page.waitForFunction(() => window.varomineaSaver?.frames > 2, { timeout: kStartWait });
      await hintGone(page);
      const state = await page.evaluate(() => window.varomineaSaver);
      const [left, top, width, height] = look.area;
      expect(JSON.stringify(state.area) === JSON.stringify({ left, top, width, height }),
             `${what}: drawing area ${JSON.stringify(state.area)}`);
      const seen = [];
      for (const n of [1, 2]) {
        const file = path.join(work, `${pattern}-${look.size}-${look.w}x${look.h}-${n}.ppm`);
        const drawn = await framesOf(page);
        await readBack(page, file);
        const r = check(file, { left, top, width, height }, pattern);
        expect(r.passes, `${what}, picture ${n}: ${r.report}`);
        seen.push(r.frames);
        // A few frames on, so that the next picture shows another one.
        await framesPast(page, drawn + 3);
      }
      expect(seen[0] !== seen[1], `${what}: moves (frames ${seen[0]} then ${seen[1]})`);
      expect(errors.length === 0, `${what}: no script error ${errors.join(' ')}`);
      await page.close();
    }
  }

  // Still squares compared whole with the frame the core draws for the other
  // front ends, where pixel centres fall exactly on cell boundaries (columns
  // 62, 187, ... of a 1000-pixel area, a row in every 175 of a 700-pixel one)
  // as well as between them; cut off at an odd offset too.
  const sizeNumbers = { full: 0, '800x600': 1, '640x480': 2 };
  for (const look of [{ w: 1000, h: 700, size: 'full' }, { w: 1000, h: 700, size: '800x600' },
                      { w: 775, h: 545, size: '800x600' }]) {
    const page = await browser.newPage();
    await page.setViewport({ width: look.w, height: look.h });
    await page.goto(url('saver.html', `?embed=1&run=0&size=${look.size}`));
    await page.waitForFunction(() => document.documentElement.dataset.ready === '1',
                               { timeout: kStartWait });
    const file = path.join(work, `still-${look.size}-${look.w}x${look.h}.ppm`);
    await readBack(page, file);
    const r = runCheck([file, 'still', sizeNumbers[look.size]]);
    expect(r.passes, `still ${look.size} in ${look.w} x ${look.h} is the core's frame: ${r.report}`);
    await page.close();
  }

  // Query values the page does not know are ignored: the window's size, squares, full size.
  for (const q of ['screen=00x00', 'screen=0000x0000', 'pattern=constructor&size=__proto__']) {
    const page = await browser.newPage();
    await page.setViewport({ width: 640, height: 480 });
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.goto(url('saver.html', `?embed=1&${q}`));
    const state = await until(async () => {
      const s = await page.evaluate(() => window.varomineaSaver);
      return (errors.length > 0 || s.frames > 2) && s;
    }, kStartWait);
    expect(errors.length === 0 && state?.frames > 2 && state.width === 640 &&
           state.pattern === 'square' && state.size === 0,
           `saver.html?${q} runs as without it (${JSON.stringify(state)} ${errors.join(' ')})`);
    await page.close();
  }

  // A screen wider than the browser's canvases (66,000 device pixels): the
  // canvas holds it at a fraction and the page enlarges it, instead of a
  // canvas that stays transparent.
  const wide = await browser.newPage();
  await wide.setViewport({ width: 22000, height: 10, deviceScaleFactor: 3 });
  await wide.goto(url('saver.html', '?embed=1'));
  await wide.waitForFunction(() => window.varomineaSaver?.frames > 2, { timeout: kStartWait });
  const held = await wide.evaluate(() => {
    const { area, reduction = 1 } = window.varomineaSaver;
    const canvas = document.getElementById('screen');
    const row = canvas.getContext('2d').getImageData(0, canvas.height >> 1,
                                                     Math.floor(area.width / reduction), 1).data;
    let clear = 0, coloured = 0;
    for (let i = 0; i < row.length; i += 4) {
      if (row[i + 3] !== 255) ++clear;
      else if (row[i] || row[i + 1] || row[i + 2]) ++coloured;
    }
    return { reduction, clear, coloured, shown: canvas.getBoundingClientRect().width };
  });
  expect(held.clear === 0 && held.coloured > 1000 && held.shown === 22000,
         `a 66,000-pixel screen is drawn (${JSON.stringify(held)})`);
  await wide.close();

  // A resized window: laid out again at once, no reload.
  const page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 700 });
  await page.goto(url('saver.html', '?size=640x480'));
  await page.waitForFunction(() => window.varomineaSaver?.frames > 2, { timeout: kStartWait });
  await hintGone(page);
  await page.setViewport({ width: 700, height: 500 });
  await page.waitForFunction(() => window.varomineaSaver.width === 700, { timeout: kFrameWait });
  // A frame drawn after the new layout.
  await framesPast(page, (await framesOf(page)) + 1);
  const file = path.join(work, 'resized.ppm');
  await readBack(page, file);
  const r = check(file, { left: 30, top: 10, width: 640, height: 480 }, 'square');
  expect(r.passes, `resized to 700 x 500: ${r.report}`);
  await page.close();

  // Input ends it: back to the home page, as the saver ends on Windows.
  for (const [what, act] of [
    ['a key', (p) => p.keyboard.press('a')],
    ['a button', (p) => p.mouse.down({ button: 'middle' })],
    ['a real mouse move', async (p) => { await p.mouse.move(10, 10); await p.mouse.move(40, 60); }],
  ]) {
    const p = await browser.newPage();
    await p.goto(url('saver.html'));
    await p.waitForFunction(() => window.varomineaSaver?.frames > 0, { timeout: kStartWait });
    await Promise.all([p.waitForNavigation({ timeout: kFrameWait }).catch(() => null), act(p)]);
    expect(p.url().endsWith('/index.html'), `${what} leaves for the home page (${p.url()})`);
    await p.close();
  }
  // A move along one axis only is not a real move.
  const still = await browser.newPage();
  await still.goto(url('saver.html'));
  await still.waitForFunction(() => window.varomineaSaver?.frames > 0, { timeout: kStartWait });
  await still.mouse.move(10, 10);
  await still.mouse.move(10, 80);
  // Frames drawn after the moves: the page has handled them.
  await framesPast(still, (await framesOf(still)) + 3);
  const ended = await still.evaluate(() => window.varomineaSaver.ended);
  expect(!ended && still.url().includes('saver.html'), 'a move along one axis keeps the saver');
  await still.close();
}

// ------------------------------------------------------------ index.html

async function homeSuite() {
  const page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 900 });
  const errors = [];
  const foreign = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('request', (r) => { if (!/^(file|data|blob|about):/.test(r.url())) foreign.push(r.url()); });
  await page.goto(url('index.html'), { waitUntil: 'load' });
  const live = async () => {
    const frame = page.frames().find((f) => f.url().includes('saver.html'));
    return frame && frame.evaluate(() => window.varomineaSaver && { ...window.varomineaSaver, url: location.search });
  };
  await page.waitForFunction(() => document.querySelector('iframe#live') !== null,
                             { timeout: kStartWait });
  let state = await until(async () => {
    const s = await live();
    return s && s.frames > 0 && s;
  }, kStartWait);
  expect(state && state.frames > 0 && state.pattern === 'square' && state.size === 0,
         `the live picture runs squares at full size (${JSON.stringify(state)})`);
  await page.screenshot({ path: path.join(work, 'home.png') });
  await page.screenshot({ path: path.join(work, 'home-full.png'), fullPage: true });

  // Pattern and size controls, by keyboard and by mouse.
  await page.click('input[name=pattern][value=ring]');
  await page.focus('input[name=size][value=full]');
  await page.keyboard.press('ArrowRight');  // to 800 x 600
  state = await until(async () => {
    const s = await live();
    return s && s.pattern === 'ring' && s.size === 1 && s.frames > 0 && s;
  }, kStartWait) ?? await live().catch(() => null);
  expect(state && state.pattern === 'ring' && state.size === 1 && state.frames > 0,
         `the controls switch to rings at 800 x 600 (${JSON.stringify(state)})`);
  await page.click('input[name=size][value="640x480"]');
  state = await until(async () => {
    const s = await live();
    return s && s.size === 2 && s;
  }, kStartWait) ?? await live().catch(() => null);
  expect(state && state.size === 2, `and to 640 x 480 (${JSON.stringify(state)})`);

  // Language: the browser's (English here) first, then the switch.
  expect(await page.evaluate(() => document.documentElement.lang) === 'en', 'English first for an English browser');
  await page.click('#language button[data-lang=ja]');
  const ja = await page.evaluate(() => ({ lang: document.documentElement.lang,
                                          h1: document.querySelector('h1:not([hidden])')?.innerText ?? '' ,
                                          visible: getComputedStyle(document.querySelector('p[lang=ja]')).display }));
  expect(ja.lang === 'ja' && ja.visible !== 'none', `the switch shows Japanese (${JSON.stringify(ja)})`);
  await page.screenshot({ path: path.join(work, 'home-ja.png') });
  await page.click('#language button[data-lang=en]');

  // Full screen over the page; a key ends it and returns to the page.
  await page.click('#fullscreen');
  await page.waitForSelector('iframe#overlay', { timeout: kFrameWait });
  const overlay = page.frames().find((f) => f.url().includes('host=page'));
  await overlay.waitForFunction(() => window.varomineaSaver?.frames > 2, { timeout: kStartWait });
  await page.keyboard.press('x');
  await page.waitForFunction(() => !document.querySelector('iframe#overlay'), { timeout: kFrameWait })
    .then(() => expect(true, 'the full-screen saver opens over the page and a key ends it'),
          () => expect(false, 'the full-screen saver opens over the page and a key ends it'));

  // The downloads: SHA256SUMS linked, and links to files beside the page only
  // with the note that they are not in the page's own zip.
  const downloads = await page.evaluate(() => {
    const links = [...document.querySelectorAll('section[aria-labelledby=download] a[href]')]
      .filter((a) => a.checkVisibility()).map((a) => a.getAttribute('href'));
    const where = document.getElementById('where');
    return { links, note: where?.checkVisibility() ? where.innerText : '' };
  });
  expect(downloads.links.some((h) => h.endsWith('SHA256SUMS')) &&
         (downloads.links.every((h) => /^https?:/.test(h)) || /not inside/.test(downloads.note)),
         `the downloads link SHA256SUMS and say where the files are (${JSON.stringify(downloads)})`);

  expect(errors.length === 0, `no script error on the console: ${errors.join(' | ')}`);
  expect(foreign.length === 0, `no request to another host: ${foreign.join(' ')}`);
  const images = await page.evaluate(() => [...document.images].filter((i) => !i.alt || !i.complete || !i.naturalWidth).map((i) => i.src));
  expect(images.length === 0, `every picture loads and has an alt text: ${images.join(' ')}`);
  await page.close();

  // A visitor who asks for less motion: a still picture until a click.
  const calm = await browser.newPage();
  await calm.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
  await calm.goto(url('index.html'), { waitUntil: 'load' });
  const calmFrame = () => calm.frames().find((f) => f.url().includes('saver.html'));
  // Ready (its first picture drawn), then a few of the page's animation
  // frames, in which a running picture would have drawn frames of its own.
  const calmReady = await until(() => calmFrame()?.evaluate(async () => {
    if (document.documentElement.dataset.ready !== '1') return false;
    for (let i = 0; i < 5; ++i) await new Promise((done) => requestAnimationFrame(done));
    return true;
  }), kStartWait);
  const calmState = () => calmFrame()?.evaluate(() => window.varomineaSaver && window.varomineaSaver.frames);
  expect(calmReady && (await calmState()) === 0, 'with reduced motion the live picture waits');
  await calm.click('#play');
  expect(await until(async () => (await calmState()) > 0, kFrameWait), 'and runs after a click');
  await calm.close();

  // Without WebAssembly (as locked-down modes leave a page): both pages say
  // so, with no script error, and the home page's language switch still works.
  const bare = await browser.newPage();
  const bareErrors = [];
  bare.on('console', (m) => { if (m.type() === 'error') bareErrors.push(m.text()); });
  bare.on('pageerror', (e) => bareErrors.push(String(e)));
  await bare.evaluateOnNewDocument(() => { delete globalThis.WebAssembly; });
  await bare.goto(url('index.html'), { waitUntil: 'load' });
  const told = (language) => bare.evaluate((language) => {
    const note = document.querySelector(`#no-wasm [lang=${language}]`);
    return { text: note?.checkVisibility() ? note.innerText : '',
             play: document.getElementById('play').checkVisibility() };
  }, language);
  const en = await told('en');
  await bare.click('#language button[data-lang=ja]');
  const jaNote = await told('ja');
  expect(/WebAssembly/.test(en.text) && /WebAssembly/.test(jaNote.text) && !en.play,
         `without WebAssembly the home page says so (${JSON.stringify([en, jaNote])})`);
  await bare.goto(url('saver.html'));
  const saverTold = await bare.waitForFunction(() => {
    const note = document.querySelector('#unavailable [lang=en]');
    return document.documentElement.dataset.ready === 'unavailable' && note.checkVisibility() &&
           note.innerText;
  }, { timeout: kFrameWait }).then((h) => h.jsonValue(), () => '');
  expect(/WebAssembly/.test(saverTold), `and so does the saver page (${saverTold})`);
  expect(bareErrors.length === 0, `with no script error: ${bareErrors.join(' | ')}`);
  await bare.close();

  // A phone's width: nothing wider than the screen.
  const phone = await browser.newPage();
  await phone.setViewport({ width: 360, height: 740, isMobile: true, hasTouch: true });
  await phone.goto(url('index.html'), { waitUntil: 'load' });
  const wide = await phone.evaluate(() => document.documentElement.scrollWidth);
  expect(wide <= 360, `no sideways scrolling at a phone's width (${wide} px)`);
  // Each checksum on one line (the table scrolls instead).
  const broken = await phone.evaluate(() => [...document.querySelectorAll('.sum')]
    .filter((c) => c.checkVisibility() && c.getClientRects().length > 1).length);
  expect(broken === 0, `every checksum on one line at a phone's width (${broken} broken)`);
  await phone.screenshot({ path: path.join(work, 'home-phone.png') });
  await phone.close();
}

try {
  await (suite === 'saver' ? saverSuite() : homeSuite());
} catch (e) {
  expect(false, `the run: ${e.stack || e}`);
} finally {
  await browser.close();
}
console.log(failures.length ? `${failures.length} failed` : 'all passed');
process.exit(failures.length ? 1 : 0);
