// The browser build in Debian's chromium, served from 127.0.0.1:
//   node browser_test.mjs <site> <run folder> <zepprobe> <shots> <native menu shot as raw RGB>
// The canvas is read back as PNG and checked by zepprobe, as the desktop
// window's screenshots are; keys are held until the game has read them.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { Launch, Serve } from './Chromium.mjs';

const [site, rundir, probe, shots, nativeshot] = process.argv.slice(2);
const problems = [];
let step = 0;

const Fail = why => { console.log(`FAIL: ${why}`); process.exit(1); };

const {origin, server} = await Serve({'/': site});
const browser = await Launch();
const page = await browser.newPage({viewport: {width: 800, height: 600}});
page.on('console', m => { if (m.type() == 'error') problems.push(`console: ${m.text()}`); });
page.on('pageerror', e => problems.push(`page error: ${e.message}`));
page.on('requestfailed', r => problems.push(`failed request: ${r.url()}`));
page.on('response', r => { if (r.status() >= 400) problems.push(`${r.status()}: ${r.url()}`); });
page.on('request', r => { if (!r.url().startsWith(origin) && !r.url().startsWith('data:')) problems.push(`other host: ${r.url()}`); });
// The canvas holds the 320x240 frame that the page shows doubled: doubled
// here by hand, as a 640x480 canvas, to compare with the desktop window's.
await page.addInitScript(() => {
  window.Doubled = () => {
    const small = Module.canvas.getContext('2d').getImageData(0, 0, 320, 240).data;
    const big = document.createElement('canvas');
    [big.width, big.height] = [640, 480];
    const image = big.getContext('2d').createImageData(640, 480);
    for (let i = 0; i < 640 * 480; i++) image.data.set(small.subarray(...[0, 4].map(k => 4 * (((i / 640 | 0) >> 1) * 320 + (i % 640 >> 1)) + k)), 4 * i);
    big.getContext('2d').putImageData(image, 0, 0);
    return big;
  };
  // frames shown on the page's canvas, counted as it is drawn
  window.Frames = 0;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function(...a) {
    if (this.canvas.id == 'screen') Frames++;
    return put.apply(this, a);
  };
  // a pad of 17 buttons, hidden until the test sets Pad, as browsers hide one
  // until pressed; Polls counts the game's looks at the buttons, pad and keys
  window.Pad = null;
  window.Polls = 0;
  navigator.getGamepads = () => (Polls++, [null, Pad && {connected: true, mapping: Pad.mapping ?? 'standard',
    buttons: [...Array(17).keys()].map(i => ({pressed: Pad.buttons.includes(i)})), axes: Pad.axes ?? [0, 0, 0, 0]}]);
});
const Wait = (what, fn, arg) => page.waitForFunction(fn, arg, {timeout: 10000}).catch(() => Fail(`${what} not seen`));

// WaitFor(what, checks): canvas shots until zepprobe passes every check,
// each its arguments but the file, split at '|'
async function WaitFor(what, checks) {
  const shot = path.join(shots, `browser-${String(++step).padStart(2, '0')}-${what}.png`);
  for (const deadline = Date.now() + 10000;;) {
    const url = await page.evaluate(() => Doubled().toDataURL('image/png'));
    fs.writeFileSync(shot, Buffer.from(url.split(',')[1], 'base64'));
    const out = [];
    try {
      for (const c of checks.map(c => c.split('|')))
        out.push(execFileSync(probe, [c[0], shot, ...c.slice(1)], {cwd: rundir}).toString().trim());
      console.log(`seen ${what}: ${out.join('; ')}`);
      return;
    } catch (e) {
      if (Date.now() > deadline) Fail(`${what} not seen (${e.stdout}; last shot ${shot})`);
    }
    const frames = await page.evaluate(() => Frames);
    await Wait(`a new frame on the way to ${what}`, f => Frames > f, frames);
  }
}

// Read(what, act): act, then wait until the game has read the state twice
// (the pad is read with the keys once the sounds are in)
async function Read(what, act) {
  const polls = await page.evaluate(() => Polls);
  await act();
  await Wait(`the game reading ${what}`, p => Polls >= p + 2, polls);
}
// Press(key, ...): each held until the game has read it
async function Press(...keys) {
  for (const key of keys)
    for (const action of ['down', 'up']) await Read(`${key} ${action}`, () => page.keyboard[action](key));
}

const Menu = lit => [`menu|${lit}`], Credits = ['credits'];
const Play = ['text|8|312|4|right|white|Score: 00000', 'sprite|Graphics/Sprites/OL|68|86|3', 'sky|-160|40'];

await page.goto(origin + '/');
await WaitFor('menu', Menu(0));

// The same pixels as the desktop window's menu, but for the highlighted item,
// whose colour pulses with the frame: there both must be of its yellows.
const native = fs.readFileSync(nativeshot).toString('base64');
const differing = await page.evaluate(native => {
  const rgb = Uint8Array.from(atob(native), c => c.charCodeAt(0));
  const canvas = Doubled().getContext('2d').getImageData(0, 0, 640, 480).data;
  const out = [];
  const yellow = (p, i) => p[i] == p[i + 1] && p[i + 2] == 128;
  for (let i = 0; i < 640 * 480; i++) {
    const [y, same] = [Math.floor(i / 640), [0, 1, 2].every(k => canvas[4 * i + k] == rgb[3 * i + k])];
    if (!same && !(y >= 280 && y < 310 && yellow(canvas, 4 * i) && yellow(rgb, 3 * i))) out.push(i);
  }
  return out.length;
}, native);
if (differing) Fail(`${differing} pixels of the menu differ from the desktop window's`);
console.log('seen the menu as the desktop window shows it');

await Wait('the sounds', () => Module.soundsIn && Module.mixer.pending == 0);
await Press('ArrowDown');
await WaitFor('down-to-credits', Menu(1));
const sound = await page.evaluate(() => [Module.mixer.ctx.state, Module.mixer.chunks.filter(c => c && c.buffer).length]);
if (sound[0] != 'running' || sound[1] != 9) Fail(`sound ${sound[0]} with ${sound[1]} of 9 sounds and music decoded`);
console.log('seen sound running after the first key, the 8 sounds and the music decoded');
await Press('z');
await WaitFor('credits', Credits);
await Press('Escape');
await WaitFor('menu-after-credits', Menu(1));
await Press('ArrowUp', 'z');
await WaitFor('play', Play);
await page.keyboard.down('z');
await Wait('the player firing on channel 0', () => Module.Mix.Playing(0) == 1 && Module.Mix.PlayingMusic() == 1);
await page.keyboard.up('z');
console.log('seen the player fire and the music play');
await Press('Escape');
await WaitFor('menu-after-play', Menu(0));
if (!await page.evaluate(() => Module.Mix.PausedMusic())) Fail('the music plays on in the menu');

// The pad in the browser's standard numbering (0 south, 8 Back, 9 Start, 13 D-pad
// down, axis 1 stick down), each row held until read: a stick within 30 % moves
// nothing (else the D-pad goes on to Quit), south selects and fires, Back and Start
// leave, another mapping's first button selects, and a pad pulled out holds nothing.
for (const [what, pad, then, checks] of [
  ['pad-stick-resting', {buttons: [], axes: [0.29, 0.29]}, 'let go', Menu(0)],
  ['pad-dpad-down', {buttons: [13]}, 'let go', Menu(1)],
  ['pad-other-mapping-first-button', {buttons: [0], mapping: ''}, 'let go', Credits],
  ['pad-back', {buttons: [8]}, 'let go', Menu(1)],
  ['pad-stick-up', {buttons: [], axes: [0, -1]}, 'let go', Menu(0)],
  ['pad-south', {buttons: [0]}, 'let go', Play],
  ['pad-start-pulled-out', {buttons: [9]}, 'pulled out', Menu(0)],
]) {
  if (then == 'pulled out') {  // fire first, in play
    await Wait('the player not firing', () => Module.Mix.Playing(0) == 0);
    await page.evaluate(() => Pad = {buttons: [0]});
    await Wait('the player firing with the pad', () => Module.Mix.Playing(0) == 1);
  }
  await Read(what, () => page.evaluate(pad => Pad = pad, pad));
  await Read(`the pad ${then}`, () => page.evaluate(out => Pad = out ? null : {buttons: []}, then == 'pulled out'));
  await WaitFor(what, checks);
}
await Press('ArrowUp');
// Quit ends the game while Z is down: nothing reads the key up
await page.keyboard.down('z');
await Wait('the ended page', () => /zEP has ended/.test(document.body.innerText) && document.querySelector('#message button'));
console.log('seen the ended page with a way to play again');

// The mixer after the game, through its own calls, against SDL_mixer's rules
// as the game relies on them: group 0 is channels 1-15 taken lowest free
// first, then oldest first; a timed channel stops at its time, a loop count
// of n plays n+1 times, a fade-in reports itself for its length.
const mixer = await page.evaluate(() => {
  const M = Module.Mix, chunks = Module.mixer.chunks;
  const ids = chunks.map((c, i) => i).filter(i => chunks[i]).sort((a, b) => chunks[a].buffer.duration - chunks[b].buffer.duration);
  const [short, long] = [ids[0], ids[ids.length - 1]];
  const tick = () => { const t = performance.now(); while (performance.now() == t); };
  // call(), then polls until done(): going is the last poll not done (from the
  // call's return), done the first done (from before it), so a right length L
  // has going < L <= done whatever the load; it gives up at 10 s
  const timed = (call, done) => {
    const t0 = performance.now(), result = call(), t1 = performance.now();
    for (let going = -1, t = t1; t - t0 < 10000; going = t - t1, t = performance.now())
      if (done()) return {result, going, done: performance.now() - t0};
    return {result};
  };
  const r = {duration: chunks[short].buffer.duration * 1000};
  M.HaltChannel(-1); M.AllocateChannels(16); M.ReserveChannels(1);
  r.grouped = M.GroupChannels(1, 15, 0);
  r.taken = [...Array(16)].map(() => {
    const c = M.GroupAvailable(0);
    if (c >= 0) M.PlayChannelTimed(c, long, -1, -1);
    return tick(), c;
  });
  r.oldest = M.GroupOldest(0);
  M.PlayChannelTimed(r.oldest, long, -1, -1);
  r.nextoldest = M.GroupOldest(0);
  M.HaltChannel(-1);
  r.timed = timed(() => M.PlayChannelTimed(0, long, 0, 150), () => !M.Playing(0));
  r.looped = timed(() => M.PlayChannelTimed(0, short, 2, -1), () => !M.Playing(0));
  r.faded = timed(() => (M.FadeInMusic(long, -1, 300), M.FadingMusic()), () => M.FadingMusic() == 0);
  return {...r, playing: M.PlayingMusic()};
});
const expect = (what, ok) => { if (!ok) Fail(`mixer: ${what} (${JSON.stringify(mixer)})`); };
expect('15 channels in group 0', mixer.grouped == 15);
expect('free channels 1 to 15 in order, then none', mixer.taken.join() == '1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,-1');
expect('the oldest channel first, then the next', mixer.oldest == 1 && mixer.nextoldest == 2);
const lasts = (t, ms) => t.going < ms + 1 && t.done >= ms - 1;  // to the clock's rounding
expect('a 150 ms channel stops after 150 ms', lasts(mixer.timed, 150));
expect('a loop count of 2 plays three times', lasts(mixer.looped, 3 * mixer.duration));
expect('a 300 ms fade-in fades for 300 ms', mixer.faded.result == 2 && lasts(mixer.faded, 300) && mixer.playing == 1);
console.log('seen the mixer keep its groups, times, loops and fades');

// a browser without WebAssembly's SIMD is told so in a sentence
await page.addInitScript(() => { WebAssembly.validate = () => false; });
await page.goto(origin + '/');
if (!/needs a browser with WebAssembly and its SIMD/.test(await page.innerText('#message'))) Fail('no sentence without SIMD');
await browser.close();
server.close();
if (problems.length) Fail(problems.join('\n'));
console.log('seen no console error and no failed or outside request');
