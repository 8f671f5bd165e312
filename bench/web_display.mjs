// Benchmark of the web display with a real browser (headless Chromium through puppeteer-core, as
// the browser tests use it), on the tips_and_mouse example, whose panel has a numeric control.
// Run by hand after a build and scripts/setup, with the program to measure:
//
//   cmake --preset bench && cmake --build --preset bench
//   node bench/web_display.mjs build/bench/examples/tips_and_mouse/tips_and_mouse
//
// It prints, each beside its reference measured in the same run:
//   - from a click on the numeric's up arrow in the page to the changed frame drawn there
//     (median, 99th percentile), beside a round trip through the program that draws nothing
//     (the page's rteSync: the WebSocket, the main thread's queue and back);
//   - the bytes of images sent for one value change, beside the whole panel's image;
//   - the program's CPU while idle with one viewer connected, beside the same program idle on
//     the headless display with nobody looking.
import {spawn} from 'node:child_process';
import {mkdtempSync, readFileSync, rmSync} from 'node:fs';
import {createRequire} from 'node:module';
import {tmpdir} from 'node:os';
import {dirname, join, resolve} from 'node:path';

const require = createRequire(new URL('../rte/display/web_browser/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');

const program = process.argv[2] && resolve(process.argv[2]);
const rounds = Number(process.argv[3] || 200);
if (!program) {
  console.error('usage: node bench/web_display.mjs PATH/TO/tips_and_mouse [ROUNDS]');
  process.exit(2);
}

function start(display) {
  const child = spawn(program, [], {
    cwd: dirname(program),
    env: {...process.env, RTE_DISPLAY: display, RTE_WEB_LISTEN: '127.0.0.1:0'},
    stdio: ['ignore', 'ignore', 'pipe'],
  });
  const url = new Promise((resolve, reject) => {
    let text = '';
    child.stderr.on('data', (chunk) => {
      text += chunk;
      const found = /rte: panels at (\S+)/.exec(text);
      if (found) resolve(found[1]);
    });
    child.on('exit', () => reject(new Error('the program ended: ' + text)));
  });
  url.catch(() => {});  // the headless run has no address
  return {child, url};
}

// Seconds of CPU the process used (user and system), from /proc.
function cpuSeconds(pid) {
  const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return (Number(fields[11]) + Number(fields[12])) / 100;
}

async function idleCpu(pid, seconds) {
  const before = cpuSeconds(pid);
  await new Promise((r) => setTimeout(r, seconds * 1000));
  return (cpuSeconds(pid) - before) / seconds * 100;
}

function summary(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  return `median ${at(0.5).toFixed(2)} ms, p99 ${at(0.99).toFixed(2)} ms (${values.length} rounds)`;
}

const profile = mkdtempSync(join(tmpdir(), 'rte-bench-'));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
const web = start('web');
try {
  const page = await browser.newPage();
  await page.setViewport({width: 1000, height: 700});
  await page.goto(await web.url);
  await page.waitForFunction(() => window.rteStats?.frames > 0, {timeout: 60000});
  await page.evaluate(() => window.rteSync());
  await page.evaluate(() => window.addEventListener('mousedown', () => { window.benchDownAt = performance.now(); }, true));

  // The numeric control's up arrow, at its left end (the control is at 20, 30 of the panel).
  const arrow = await page.evaluate(() => {
    const r = document.querySelector('canvas').getBoundingClientRect();
    return {x: r.left + 20 + 7, y: r.top + 30 + 4};
  });
  const whole = await page.evaluate(() => window.rteStats.frameBytes);

  const sync = [];
  for (let i = 0; i < rounds; i++) {
    sync.push(await page.evaluate(async () => {
      const t0 = performance.now();
      await window.rteSync();
      return performance.now() - t0;
    }));
  }

  const latency = [], bytes = [];
  for (let i = 0; i < rounds; i++) {
    const before = await page.evaluate(() => window.rteStats.frameBytes);
    await page.mouse.move(arrow.x, arrow.y);
    await page.mouse.down();
    latency.push(await page.evaluate(async () => {
      const seen = () => window.rteStats.frameTimes.find((t) => t > window.benchDownAt);
      while (seen() === undefined) await new Promise((r) => setTimeout(r, 0));
      return seen() - window.benchDownAt;
    }));
    await page.mouse.up();
    await page.evaluate(() => window.rteSync());
    bytes.push(await page.evaluate(() => window.rteStats.frameBytes) - before);
  }
  bytes.sort((a, b) => a - b);

  await page.evaluate(() => window.rteSync());
  const idleWeb = await idleCpu(web.child.pid, 10);
  const headless = start('headless');
  await new Promise((r) => setTimeout(r, 2000));
  const idleHeadless = await idleCpu(headless.child.pid, 10);
  headless.child.kill();

  console.log(`click to changed frame drawn: ${summary(latency)}`);
  console.log(`  reference, a round trip that draws nothing: ${summary(sync)}`);
  console.log(`bytes of images for one value change: median ${bytes[bytes.length >> 1]}, max ${bytes[bytes.length - 1]}`);
  console.log(`  reference, the whole panel's image: ${whole}`);
  console.log(`idle CPU with one viewer: ${idleWeb.toFixed(2)} % of a core`);
  console.log(`  reference, the same program headless with nobody looking: ${idleHeadless.toFixed(2)} % of a core`);
} finally {
  web.child.kill();
  await browser.close();
  rmSync(profile, {recursive: true, force: true});
}
