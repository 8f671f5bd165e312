// The browser side of the web display's tests: starts Debian's headless Chromium once through
// puppeteer-core and works it on commands read from standard input, one JSON array a line,
// answering each with one line: "ok VALUE" or "error MESSAGE" (with what the page's console
// said). Each viewer is a page in a browser context of its own, so two viewers are two browsers
// to the program (cookies apart).
//
//   ["open", V, URL]              a page for viewer V at URL; waits until the panels are drawn
//   ["goto", V, URL]              the same without waiting; VALUE: the HTTP status
//   ["sync", V]                   waits until the program applied and drew all V sent so far
//   ["eval", V, EXPRESSION]       VALUE: the expression's value in the page, as JSON
//   ["wait", V, EXPRESSION, S]    waits up to S seconds until the expression is true
//   ["click", V, PANEL, X, Y, BUTTON, COUNT]  a click at (X, Y) of a panel's canvas
//   ["mouse", V, ACTION, PANEL, X, Y]         move, down or up there (PANEL 0: the desk)
//   ["key", V, KEYS]              a key stroke such as "Tab", "Shift+Tab" or "Control+a"
//   ["type", V, TEXT]             keys typed one by one; characters no key makes are sent as
//                                 the browser's text input sends them
//   ["insert", V, TEXT]           text as one piece of the browser's text input (a paste)
//   ["drop", V, PANEL, X, Y, NAME, TEXT]  a file dropped on a panel's canvas
//   ["pixels", V, PANEL]          VALUE: "WIDTH HEIGHT" and the canvas as hexadecimal RGB
//   ["close", V]                  closes the viewer's page and context
import {mkdtempSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {createInterface} from 'node:readline';
import puppeteer from 'puppeteer-core';

const profile = mkdtempSync(join(tmpdir(), 'rte-browser-'));
const browser = await puppeteer.launch({
  executablePath: process.env.RTE_TEST_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  acceptInsecureCerts: true,
  protocolTimeout: 120000,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
});

const viewers = new Map();  // name -> {context, page, console: []}

async function viewer(name) {
  let v = viewers.get(name);
  if (!v) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({width: 1100, height: 760});
    v = {context, page, console: []};
    page.on('console', (m) => v.console.push(m.type() + ': ' + m.text()));
    page.on('pageerror', (e) => v.console.push('page error: ' + e.message));
    viewers.set(name, v);
  }
  return v;
}

// A point of a panel's canvas (panel 0: of the desk) in the page's coordinates.
async function point(page, panel, x, y) {
  const where = await page.evaluate((panel) => {
    const element = panel === 0 ? document.getElementById('desk') : document.querySelector(`canvas[data-panel="${panel}"]`);
    if (!element) return null;
    const r = element.getBoundingClientRect();
    return {left: r.left, top: r.top};
  }, panel);
  if (!where) throw new Error(`panel ${panel} has no canvas in the page`);
  return {x: where.left + x + 0.5, y: where.top + y + 0.5};
}

const commands = {
  async open(name, url) {
    const {page} = await viewer(name);
    await page.goto(url);
    await page.waitForFunction(() => window.rteStats?.connected && window.rteStats.pictures > 0, {timeout: 60000});
    return page.evaluate(() => window.rteSync().then(() => 'drawn'));
  },
  async goto(name, url) {
    const {page} = await viewer(name);
    const response = await page.goto(url);
    return String(response ? response.status() : 0);
  },
  async sync(name) {
    const {page} = await viewer(name);
    return page.evaluate(() => window.rteSync().then(() => 'synced'));
  },
  async eval(name, expression) {
    const {page} = await viewer(name);
    return JSON.stringify(await page.evaluate(expression));
  },
  async wait(name, expression, seconds) {
    const {page} = await viewer(name);
    await page.waitForFunction(expression, {timeout: Number(seconds) * 1000, polling: 50});
    return 'true';
  },
  async click(name, panel, x, y, button = 'left', count = '1') {
    const {page} = await viewer(name);
    const p = await point(page, Number(panel), Number(x), Number(y));
    const clicks = Number(count);
    await page.mouse.move(p.x, p.y);
    for (let i = 1; i <= clicks; i++) {
      await page.mouse.down({button, clickCount: i});
      await page.mouse.up({button, clickCount: i});
    }
    return 'clicked';
  },
  async mouse(name, action, panel, x, y) {
    const {page} = await viewer(name);
    const p = await point(page, Number(panel), Number(x), Number(y));
    await page.mouse.move(p.x, p.y);
    if (action === 'down') await page.mouse.down();
    if (action === 'up') await page.mouse.up();
    return action;
  },
  async key(name, keys) {
    const {page} = await viewer(name);
    const parts = keys.split('+');
    const main = parts.pop();
    for (const modifier of parts) await page.keyboard.down(modifier);
    await page.keyboard.press(main);
    for (const modifier of parts.reverse()) await page.keyboard.up(modifier);
    return 'pressed';
  },
  async type(name, text) {
    const {page} = await viewer(name);
    await page.keyboard.type(text);
    return 'typed';
  },
  async insert(name, text) {
    const {page} = await viewer(name);
    await page.keyboard.sendCharacter(text);
    return 'inserted';
  },
  async drop(name, panel, x, y, fileName, text) {
    const {page} = await viewer(name);
    const p = await point(page, Number(panel), Number(x), Number(y));
    await page.evaluate((panel, p, fileName, text) => {
      const canvas = document.querySelector(`canvas[data-panel="${panel}"]`);
      const data = new DataTransfer();
      data.items.add(new File([text], fileName, {type: 'text/plain'}));
      for (const type of ['dragenter', 'dragover', 'drop']) {
        canvas.dispatchEvent(new DragEvent(type, {bubbles: true, cancelable: true, clientX: p.x, clientY: p.y, dataTransfer: data}));
      }
    }, Number(panel), p, fileName, text);
    return 'dropped';
  },
  async pixels(name, panel) {
    const {page} = await viewer(name);
    return page.evaluate((panel) => {
      const canvas = document.querySelector(`canvas[data-panel="${panel}"]`);
      if (!canvas) return 'none';
      const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      const hex = new Array(canvas.width * canvas.height);
      for (let i = 0, j = 0; i < data.length; i += 4, j++) {
        hex[j] = ((data[i] << 16) | (data[i + 1] << 8) | data[i + 2]).toString(16).padStart(6, '0');
      }
      return canvas.width + ' ' + canvas.height + ' ' + hex.join('');
    }, Number(panel));
  },
  async close(name) {
    const v = viewers.get(name);
    if (v) await v.context.close();
    viewers.delete(name);
    return 'closed';
  },
};

let failures = 0;

async function run(line) {
  let args;
  try {
    args = JSON.parse(line);
  } catch {
    return 'error not a JSON array: ' + line;
  }
  const [command, ...rest] = args;
  try {
    if (!commands[command]) throw new Error('no command ' + command);
    const value = await commands[command](...rest);
    return 'ok ' + value;
  } catch (error) {
    // What the page showed and said, for the failure's report.
    const v = viewers.get(rest[0]);
    const said = v?.console.length ? ' | the page said: ' + v.console.slice(-20).join(' / ') : '';
    let shot = '';
    if (v) {
      const path = join(tmpdir(), `rte-browser-failure-${process.pid}-${++failures}.png`);
      shot = await v.page.screenshot({path}).then(() => ' | the page as it looked: ' + path, () => '');
    }
    return ('error ' + command + ': ' + error.message + said + shot).replace(/\n/g, ' ');
  }
}

const input = createInterface({input: process.stdin});
for await (const line of input) {
  if (line.trim()) process.stdout.write(await run(line) + '\n');
}
await browser.close();
rmSync(profile, {recursive: true, force: true});
