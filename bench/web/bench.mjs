// bench/web/run.sh's measurements: node bench.mjs <site> <wasm bench folder> <loads> <native crowded frame lines>
import { Launch, Serve } from '../../tests/web/Chromium.mjs';
import { Instrument } from '../../tests/web/Game.mjs';

const [site, benchdir, loads, native] = process.argv.slice(2);
// compressed once before the first load, as a web host serves from its cache:
// compressing on each request held each response up by 15 to 35 ms here,
// and that was the server's time, not the page's
const {origin, server} = await Serve({'/': site, '/bench/': benchdir}, {gzip: true});
const browser = await Launch();
const median = a => a.slice().sort((x, y) => x - y)[Math.floor(a.length / 2)];
const kb = bytes => (bytes / 1024).toFixed(0) + ' KB';

// counted by the bench itself (Instrument): frames drawn and when, the
// game's looks at pad and keys, the page's Web Audio
async function Load() {
  const page = await browser.newPage({viewport: {width: 800, height: 600}});
  await page.addInitScript(Instrument);
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', {cacheDisabled: true});
  await page.goto(origin + '/');
  await page.waitForFunction(() => window.Module && Frames && Module.soundsIn && Heard.decoding == 0);
  const r = await page.evaluate(() => {
    const all = performance.getEntriesByType('navigation').concat(performance.getEntriesByType('resource'));
    const sum = list => list.reduce((s, e) => s + e.transferSize, 0);
    return {first: FrameTimes[0], before: sum(all.filter(e => e.responseEnd <= FrameTimes[0])), all: sum(all)};
  });
  return [page, cdp, r];
}

// The first menu frame over an emulated slow link (CDP: 1.5 Mbit/s each way,
// 150 ms latency) from a plain server that does not compress, with and
// without Content-Length, and the bytes before it.
async function SlowLink(length) {
  const plain = await Serve({'/': site}, {length});
  const firsts = [], befores = [];
  for (let i = 0; i < +loads; i++) {
    const page = await browser.newPage({viewport: {width: 800, height: 600}});
    await page.addInitScript(Instrument);
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Network.enable');
    await cdp.send('Network.setCacheDisabled', {cacheDisabled: true});
    await cdp.send('Network.emulateNetworkConditions',
      {offline: false, latency: 150, downloadThroughput: 1.5e6 / 8, uploadThroughput: 1.5e6 / 8});
    await page.goto(plain.origin + '/');
    await page.waitForFunction(() => window.Frames, null, {timeout: 60000});
    const r = await page.evaluate(() => {
      const all = performance.getEntriesByType('navigation').concat(performance.getEntriesByType('resource'));
      return {first: FrameTimes[0], before: all.filter(e => e.responseEnd <= FrameTimes[0]).reduce((s, e) => s + e.transferSize, 0)};
    });
    firsts.push(r.first);
    befores.push(r.before);
    await page.close();
  }
  plain.server.close();
  console.log(`slow link, plain server${length ? '' : ' without Content-Length'}: first menu frame median ` +
    `${median(firsts).toFixed(0)} ms of ${loads} loads (${firsts.map(f => f.toFixed(0)).join(', ')}), ` +
    `transferred before it ${kb(median(befores))}`);
}

const firsts = [], befores = [];
let page, cdp, r;
for (let i = 0; i < +loads; i++) {
  if (page) await page.close();
  [page, cdp, r] = await Load();
  firsts.push(r.first);
  befores.push(r.before);
}
console.log(`first menu frame after navigation: median ${median(firsts).toFixed(0)} ms of ${loads} loads (${firsts.map(f => f.toFixed(0)).join(', ')})`);
console.log(`transferred before it: ${kb(median(befores))}; everything: ${kb(r.all)}`);
for (const length of [true, false]) await SlowLink(length);

// play, standing still and firing, for 300 frames
await cdp.send('Performance.enable');
const polls = await page.evaluate(() => Polls);
await page.keyboard.down('z');
await page.waitForFunction(p => Polls >= p + 2, polls);
await page.keyboard.up('z');
await page.waitForFunction(() => Music());
await page.keyboard.down('z');
const metric = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map(m => [m.name, m.value]));
const [m0, f0] = [await metric(), await page.evaluate(() => Frames)];
await page.waitForFunction(f => Frames >= f + 300, f0, {timeout: 60000});
const [m1, f1] = [await metric(), await page.evaluate(() => Frames)];
const seconds = m1.Timestamp - m0.Timestamp;
console.log(`in play: main thread busy ${(100 * (m1.TaskDuration - m0.TaskDuration) / seconds).toFixed(1)} %, ` +
  `${((f1 - f0) / seconds).toFixed(1)} frames a second`);

const wasm = [];
for (let run = 0; run < 3; run++) {
  const bench = await browser.newPage();
  const line = new Promise(done => bench.on('console', m => { if (/crowded frame/.test(m.text())) done(m.text()); }));
  await bench.goto(origin + '/bench/crowded_frame.html');
  wasm.push(await line);
  await bench.close();
}
// the frame, then its parts timed alone: run, draw, double
const us = (lines, k) => median(lines.map(text => +text.match(/[0-9]+\.[0-9]+/g)[k]));
const nativelines = native.trim().split('\n');
console.log(`crowded frame, medians of 3 runs: native ${us(nativelines, 0)} us, wasm ${us(wasm, 0)} us, ` +
  `wasm/native ${(us(wasm, 0) / us(nativelines, 0)).toFixed(2)}`);
console.log('  alone, native / wasm: ' + ['run', 'draw', 'double'].map((part, k) =>
  `${part} ${us(nativelines, k + 1)} / ${us(wasm, k + 1)} us`).join(', '));
await browser.close();
server.close();
