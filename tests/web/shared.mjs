// What the browser tests share: their site served, and a Chromium that opens it, for as long as a
// test file runs (also as zandrel.test, a plain-http address of another machine, where asked); and
// the lines the page shows as it resumes a game or begins one.

import { after, before } from 'node:test';
import { launchChromium, serve } from '../../tools/web/browser.mjs';

export const resumed = /^Resuming your game, started \d{4}-\d\d-\d\d \d\d:\d\d\.$/;
export const banner = /^\n\n\n {16}Welcome to Zandrel/;

// Serves the folder and starts Chromium before the file's tests, hands both to `take`, and ends
// both after the tests.
export function servedInChromium(folder, take, { prefix = '/', plainHttp = false } = {}) {
  let server;
  let browser;
  before(async () => {
    server = await serve(folder, prefix);
    browser = await launchChromium(plainHttp ? ['--host-resolver-rules=MAP zandrel.test 127.0.0.1'] : []);
    take(server, browser);
  });
  after(async () => {
    await browser?.close();
    await server?.close();
  });
}
