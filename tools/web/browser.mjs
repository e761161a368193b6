// What the browser tests and the benchmark share: a static server for a built site on
// 127.0.0.1, Debian's Chromium without a head, and a page of the game driven with the keyboard
// as a person plays it.

import { createServer } from 'node:http';
import { mkdtemp, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { extname, join, normalize, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

export const repository = fileURLToPath(new URL('../..', import.meta.url));

// The shipped site, the test site, and the shipped one whose changes are held back, where the web
// preset builds them.
export const site = process.env.ZANDREL_SITE ?? join(repository, 'build/web');
export const testSite = process.env.ZANDREL_TEST_SITE ?? join(repository, 'build/web-build/tests/web/test-site');
export const heldSite = process.env.ZANDREL_HELD_SITE ?? join(repository, 'build/web-build/tests/web/held-site');
export const screenshots = process.env.ZANDREL_SCREENSHOTS ?? join(repository, 'build/web-build/screenshots');

const contentTypes = {
  '.html': 'text/html; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves the folder as any plain static server would, at a path of the caller's choosing.
// The paths it served, in order, are in `served`.
export async function serve(folder, prefix = '/') {
  const served = [];
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    served.push(path);
    const inside = path.startsWith(prefix) ? path.slice(prefix.length) : null;
    const file = inside === null ? null : normalize(join(folder, inside === '' ? 'index.html' : inside));
    try {
      if (file === null || !file.startsWith(folder + sep)) {
        throw new Error('outside the site');
      }
      const body = await readFile(file);
      response.writeHead(200, { 'content-type': contentTypes[extname(file)] ?? 'text/plain; charset=utf-8' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}${prefix}`,
    served,
    // As a server that is gone: the browser's open connections go too.
    close: () => new Promise((resolve) => server.close(resolve) && server.closeAllConnections()),
  };
}

// A fresh profile each time, so that nothing carries over from an earlier run, unless the caller
// gives one of its own, to start the browser again on it; that one is left where it is.
export async function launchChromium(extraArgs = [], ownProfile = null) {
  const profile = ownProfile ?? (await mkdtemp(join(tmpdir(), 'zandrel-chromium-')));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      ...extraArgs,
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    if (!ownProfile) {
      await rm(profile, { recursive: true, force: true });
    }
  };
  return browser;
}

// A seed game of the fuzzer for the test page: its address there (the whole script, whose
// draws of chance the page's game takes), and the answers before the script's first zero byte,
// which the player types, one a line.
export async function seedGame(seed) {
  const script = await readFile(join(repository, 'tools/fuzz/corpus', seed));
  const answers = script.subarray(0, script.indexOf(0)).toString('latin1').split('\n');
  return { address: `?script=${script.toString('base64url')}`, answers: answers.slice(0, -1) };
}

export const laptop = { width: 1280, height: 800 };
export const phone = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

// One tab with the game's page. Every console message, uncaught error or failed request lands
// in `problems`: the page should give none. Each page opens in a browser context of its own, whose
// storage no other test's game shares, unless it is given the context of another.
export class GamePage {
  static async open(browser, url, viewport = laptop, context = null) {
    const own = context ?? (await browser.createBrowserContext());
    const tab = await own.newPage();
    await tab.setViewport(viewport);
    const game = new GamePage(tab);
    game.context = own;
    game.ownsContext = context === null;
    await tab.goto(url);
    return game;
  }

  constructor(tab) {
    this.tab = tab;
    this.problems = [];
    tab.on('console', (message) => this.problems.push(`console ${message.type()}: ${message.text()}`));
    tab.on('pageerror', (error) => this.problems.push(`uncaught: ${error.message}`));
    tab.on('requestfailed', (request) => this.problems.push(`failed: ${request.url()}`));
    tab.on('response', (response) => {
      if (response.status() >= 400) {
        this.problems.push(`${response.status()}: ${response.url()}`);
      }
    });
  }

  // What the game waits for once its screen is complete: 'key', 'line', or '' when nothing.
  awaiting() {
    return this.tab.$eval('#terminal', (box) => box.dataset.awaiting ?? '');
  }

  ended() {
    return this.tab.$eval('#terminal', (box) => box.dataset.ended !== undefined);
  }

  async #waitCount() {
    return Number(await this.tab.$eval('#terminal', (box) => box.dataset.waits ?? 0));
  }

  // Does what `act` does, then waits until the game waits for the player again, or has ended.
  async #andWaitForGame(act) {
    const before = await this.#waitCount();
    await act();
    await this.tab.waitForFunction(
      (count) =>
        Number(document.getElementById('terminal').dataset.waits ?? 0) > count ||
        document.getElementById('terminal').dataset.ended !== undefined,
      { polling: 'raf', timeout: 30_000 },
      before,
    );
  }

  // Until the game first waits (for the key after its banner).
  waitForGame() {
    return this.tab.waitForFunction(() => document.getElementById('terminal').dataset.awaiting, {
      polling: 'raf',
      timeout: 30_000,
    });
  }

  // One key, as puppeteer names keys ('Enter', 'ArrowUp', 'x'), and then the game's next wait.
  press(key) {
    return this.#andWaitForGame(() => this.tab.keyboard.press(key));
  }

  // Types the answer, presses Enter and waits for the game's next wait.
  async answer(text) {
    await this.tab.keyboard.type(text);
    await this.press('Enter');
  }

  // Plays on to the end of the game as a person would: a key at each pause, and the next of the
  // answers at each question. Gives back the answers left over.
  async playToTheEnd(answers) {
    const left = [...answers];
    while (!(await this.ended())) {
      if ((await this.awaiting()) === 'key') {
        await this.press('Space');
      } else if (left.length > 0) {
        await this.answer(left.shift());
      } else {
        throw new Error('the game asks for more answers than it was given');
      }
    }
    return left;
  }

  // One move, as a player of the real game's chance makes it: a key at a pause, a Knight at the
  // choice of class, yes to be sure of it, no to any other question, and N for a new game once
  // one is over.
  async move() {
    if (await this.ended()) {
      await this.tab.keyboard.press('n');
      await this.waitForGame();
      return;
    }
    if ((await this.awaiting()) === 'key') {
      await this.press('x');
      return;
    }
    const screen = (await this.screen()).join('\n');
    await this.answer(/Are you sure you want to be \w+\?\n.*\n.*$/.test(screen) ? 'y' : /chose your character/.test(screen) ? 'k' : 'n');
  }

  // The terminal's rows, scrollback included, as its buffer holds them, without trailing blanks
  // and without the blank rows below the text.
  async screen() {
    await this.#installRows();
    return this.tab.evaluate(() => window.terminalRows());
  }

  // From now on, keeps the screen as it was just before each clear; screens() gives them all,
  // the one still shown last.
  async recordScreens() {
    await this.#installRows();
    await this.tab.evaluate(async () => {
      const { terminal } = await import('./page.mjs');
      window.recordedScreens = [];
      terminal.parser.registerCsiHandler({ final: 'J' }, (params) => {
        if (params[0] === 2) {
          window.recordedScreens.push(window.terminalRows());
        }
        return false; // and the terminal erases as usual
      });
    });
  }

  async screens() {
    return [...(await this.tab.evaluate(() => window.recordedScreens)), await this.screen()];
  }

  #installRows() {
    return this.tab.evaluate(async () => {
      const { terminal } = await import('./page.mjs');
      window.terminalRows = () => {
        const buffer = terminal.buffer.active;
        const rows = [];
        for (let i = 0; i < buffer.length; i++) {
          rows.push(buffer.getLine(i).translateToString(true).trimEnd());
        }
        while (rows.length > 0 && rows.at(-1) === '') {
          rows.pop();
        }
        return rows;
      };
    });
  }

  terminalSize() {
    return this.tab.evaluate(async () => {
      const { terminal } = await import('./page.mjs');
      return { cols: terminal.cols, rows: terminal.rows, fontSize: terminal.options.fontSize };
    });
  }

  // The records the page keeps, by their names, as the page's own IndexedDB holds them; with a
  // text, the record of that name is put there first, as the page would have written it.
  kept(name = null, text = null) {
    return this.tab.evaluate(
      (name, text) =>
        new Promise((resolve, reject) => {
          const opening = indexedDB.open('zandrel', 1);
          opening.onerror = () => reject(opening.error);
          opening.onsuccess = () => {
            const db = opening.result;
            const t = db.transaction('records', 'readwrite');
            const records = t.objectStore('records');
            if (name !== null) {
              records.put(text, name);
            }
            const all = {};
            records.openCursor().onsuccess = ({ target }) => {
              if (target.result) {
                all[target.result.key] = target.result.value;
                target.result.continue();
              }
            };
            t.oncomplete = () => {
              db.close();
              resolve(all);
            };
            t.onabort = () => reject(t.error);
          };
        }),
      name,
      text,
    );
  }

  notice() {
    return this.tab.$eval('#notice', (p) => p.textContent);
  }

  // The transcript's lines, as screen readers find them.
  transcript() {
    return this.tab.$eval('[role="log"]', (log) => Array.from(log.querySelectorAll('p'), (p) => p.textContent).join('\n'));
  }

  async close() {
    await this.tab.close();
    if (this.ownsContext) {
      await this.context.close();
    }
  }
}
