// bench/web/run.sh's measurements, a phone's last: node bench.mjs <site> <wasm bench folder> <loads> <native crowded frame lines>
import { Launch, Serve, SlowLink } from '../../tests/web/Chromium.mjs';
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
async function FirstFrameOverSlowLink(length) {
  const plain = await Serve({'/': site}, {length});
  const firsts = [], befores = [];
  for (let i = 0; i < +loads; i++) {
    const page = await browser.newPage({viewport: {width: 800, height: 600}});
    await page.addInitScript(Instrument);
    await SlowLink(page);
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
for (const length of [true, false]) await FirstFrameOverSlowLink(length);

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

// A phone: touch, 390x844 at 3 device pixels to the CSS pixel, the CPU slowed
// four times once the menu shows. A touch's delay is counted in frames
// drawn from the finger down to the first frame showing its effect, the
// menu's highlight moved (its yellow, R = G and B = 128, on the item's row).
{
  const context = await browser.newContext({viewport: {width: 390, height: 844}, deviceScaleFactor: 3, isMobile: true, hasTouch: true});
  const phone = await context.newPage();
  await phone.addInitScript(Instrument);
  // the touch being timed, and the frames after it (Instrument counts them)
  await phone.addInitScript(() => {
    window.Touched = window.Row = null;
    addEventListener('pointerdown', e => {
      Touched = {frames: Frames, time: e.timeStamp, handled: performance.now(), row: Row, seen: null};
    }, true);
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function(image, ...rest) {
      put.call(this, image, ...rest);
      if (this.canvas.id != 'screen' || !Touched || Touched.seen || Touched.row == null) return;
      const d = image.data;
      for (let y = Touched.row; y < Touched.row + 12; y++)
        for (let x = 187; x < 260; x++) {
          const i = 4 * (320 * y + x);
          if (d[i] == d[i + 1] && d[i] >= 128 && d[i + 2] == 128)
            return void (Touched.seen = {frames: Frames - Touched.frames, ms: performance.now() - Touched.time,
              page: performance.now() - Touched.handled});
        }
    };
  });
  const pcdp = await context.newCDPSession(phone);
  await phone.goto(origin + '/');
  await phone.waitForFunction(() => Polls > 0);
  const Touch = (type, ...at) => pcdp.send('Input.dispatchTouchEvent', {type, touchPoints: at.map(([x, y], id) => ({x, y, id}))});
  const Centre = async c => { const r = await phone.locator(`#touch .${c}`).boundingBox(); return [r.x + r.width / 2, r.y + r.height / 2, r.width / 2]; };
  await Touch('touchStart', [195, 120]);
  await Touch('touchEnd');
  await phone.waitForFunction(() => !document.getElementById('touch').hidden);
  await pcdp.send('Emulation.setCPUThrottlingRate', {rate: 4});
  const [sx, sy, sr] = await Centre('stick');
  const delays = [];
  // down to Credits (row 156), up to Start game (row 140), five times each
  for (let i = 0; i < 10; i++) {
    await phone.evaluate(row => { Row = row; }, i % 2 ? 140 : 156);
    await Touch('touchStart', [sx, sy + (i % 2 ? -0.9 : 0.9) * sr]);
    await phone.waitForFunction(() => Touched.seen, null, {timeout: 10000});
    delays.push(await phone.evaluate(() => Touched.seen));
    await Touch('touchEnd');
  }
  // ms from the touch's own time stamp, and from the page's handling of it
  const frames = delays.map(d => d.frames), ms = delays.map(d => d.ms), page = delays.map(d => d.page);
  console.log(`phone, CPU slowed 4x: a touch in the picture after ${median(frames)} frames, ${median(ms).toFixed(0)} ms ` +
    `from the touch, ${median(page).toFixed(0)} ms from the page's handling (medians of ${delays.length}; at most ` +
    `${Math.max(...frames)} frames, ${Math.max(...ms).toFixed(0)} ms, ${Math.max(...page).toFixed(0)} ms)`);
  await phone.evaluate(() => { Row = null; });
  // Start game; the menu leaves once the finger is up
  const [fx, fy] = await Centre('fire');
  const polled = await phone.evaluate(() => Polls);
  await Touch('touchStart', [fx, fy]);
  await phone.waitForFunction(p => Polls >= p + 2, polled);
  await Touch('touchEnd');
  const started = await phone.evaluate(() => Frames);
  await phone.waitForFunction(f => Frames >= f + 60, started, {timeout: 60000});
  await Touch('touchStart', [fx, fy]);
  await pcdp.send('Performance.enable');
  const pmetric = async () => Object.fromEntries((await pcdp.send('Performance.getMetrics')).metrics.map(m => [m.name, m.value]));
  const [p0, g0] = [await pmetric(), await phone.evaluate(() => Frames)];
  await phone.waitForFunction(f => Frames >= f + 300, g0, {timeout: 60000});
  const [p1, g1] = [await pmetric(), await phone.evaluate(() => Frames)];
  await Touch('touchEnd');
  const pseconds = p1.Timestamp - p0.Timestamp;
  console.log(`phone, CPU slowed 4x, in play firing: main thread busy ${(100 * (p1.TaskDuration - p0.TaskDuration) / pseconds).toFixed(1)} %, ` +
    `${((g1 - g0) / pseconds).toFixed(1)} frames a second`);
  await context.close();
}

await browser.close();
server.close();
