// What the browser test and the browser bench share: a static server for the
// built site on 127.0.0.1 and Debian's chromium started as this machine needs
// it (no sandbox as root, no background traffic to hosts it cannot reach).
//   Serve(folders, {gzip, length}): folders maps a URL prefix ('/', '/bench/')
//   to a folder; gzip compresses every file once, up front, as a host's cache
//   does; length false leaves out Content-Length, as a streaming server does.
//   Answers {origin, server, requests}; requests counts what was asked for.
//   Launch(options): playwright-core's chromium, options passed on.
//   SlowLink(page): the page's cache off and its link slowed to 1.5 Mbit/s
//   each way with 150 ms latency; answers its DevTools session.
//   Speak(): chromium driven through the DevTools protocol alone, for what
//   playwright hides: it keeps every page it drives focused, and so visible
//   even in a minimized window. Answers {send(method, params, session), close}.
import { chromium } from 'playwright-core';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png'};

export async function Serve(folders, {gzip = false, length = true, port = 0} = {}) {
  const prefixes = Object.keys(folders).sort((a, b) => b.length - a.length);
  const cache = new Map();
  const Body = file => {
    if (!cache.has(file)) {
      const bytes = fs.readFileSync(file);
      cache.set(file, gzip ? zlib.gzipSync(bytes, {level: 9}) : bytes);
    }
    return cache.get(file);
  };
  const requests = [];
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    requests.push(url);
    const prefix = prefixes.find(p => url.startsWith(p));
    const root = prefix && path.resolve(folders[prefix]);
    const file = root && path.join(root, url.slice(prefix.length).replace(/(^|\/)$/, '$1index.html'));
    if (!file || !file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile())
      return res.writeHead(404).end();
    const body = Body(file), head = {'Content-Type': types[path.extname(file)] || 'application/octet-stream'};
    if (gzip) head['Content-Encoding'] = 'gzip';
    if (length) head['Content-Length'] = body.length;
    res.writeHead(200, head).end(body);
  });
  await new Promise(done => server.listen(port, '127.0.0.1', done));
  return {origin: `http://127.0.0.1:${server.address().port}`, server, requests};
}

const flags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

export function Launch(options = {}) {
  return chromium.launch({executablePath: '/usr/bin/chromium', ...options, args: [...flags, ...(options.args || [])]});
}

export function Speak(profile) {
  const browser = spawn('/usr/bin/chromium', ['--headless', '--remote-debugging-pipe', `--user-data-dir=${profile}`,
    ...flags, 'about:blank'], {stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});
  const waiting = new Map();
  let last = 0, heard = '';
  // messages both ways are JSON, each ended by a NUL
  browser.stdio[4].on('data', data => {
    const parts = (heard + data).split('\0');
    heard = parts.pop();
    for (const m of parts.map(JSON.parse))
      if (waiting.has(m.id)) waiting.get(m.id)(m), waiting.delete(m.id);
  });
  const send = (method, params = {}, sessionId) => new Promise((done, fail) => {
    waiting.set(++last, m => m.error ? fail(new Error(`${method}: ${m.error.message}`)) : done(m.result));
    browser.stdio[3].write(JSON.stringify({id: last, method, params, ...(sessionId && {sessionId})}) + '\0');
  });
  return {send, close: () => browser.kill()};
}

export async function SlowLink(page) {
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', {cacheDisabled: true});
  await cdp.send('Network.emulateNetworkConditions',
    {offline: false, latency: 150, downloadThroughput: 1.5e6 / 8, uploadThroughput: 1.5e6 / 8});
  return cdp;
}
