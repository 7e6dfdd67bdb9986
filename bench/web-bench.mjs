// Runs bench/web_bench.html in headless Chromium (Debian's) and prints its
// result; build the web preset first. Uses puppeteer-core from the web build's
// npm folder (the browser tests install it there).
//   node bench/web-bench.mjs [BUILD_DIR [FRAMES [WxH]]]  (default build/web, 600, 1920x1080)
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const build = path.resolve(process.argv[2] || path.join(here, '..', 'build', 'web'));
const frames = Number(process.argv[3] || 600);
const [width, height] = (process.argv[4] || '1920x1080').split('x').map(Number);
const puppeteer = createRequire(path.join(build, 'npm', 'package.json'))('puppeteer-core');
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--allow-file-access-from-files'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width, height });
  await page.goto(pathToFileURL(path.join(build, 'bench', 'web_bench.html')).href + `?frames=${frames}&screen=${width}x${height}`);
  await page.waitForFunction(() => document.getElementById('result').textContent !== 'running',
                             { timeout: 120000 });
  console.log(await page.$eval('#result', (e) => e.textContent));
} finally {
  await browser.close();
}
