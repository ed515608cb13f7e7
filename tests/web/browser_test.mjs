// The browser build in Debian's chromium, served from 127.0.0.1:
//   node browser_test.mjs <site> <run folder> <zepprobe> <shots> <native menu shot as raw RGB>
// The canvas is read back as PNG and checked by zepprobe, as the desktop
// window's screenshots are; keys are held until the game has read them.
import fs from 'node:fs';
import path from 'node:path';
import { Launch, Serve } from './Chromium.mjs';
import { Fail, Instrument, Press as PressIn, Prober, Read as ReadIn, Wait as WaitIn } from './Game.mjs';

const [site, rundir, probe, shots, nativeshot] = process.argv.slice(2);
const problems = [];

const {origin, server} = await Serve({'/': site});
const browser = await Launch();
const page = await browser.newPage({viewport: {width: 800, height: 600}});
page.on('console', m => { if (m.type() == 'error') problems.push(`console: ${m.text()}`); });
page.on('pageerror', e => problems.push(`page error: ${e.message}`));
page.on('requestfailed', r => problems.push(`failed request: ${r.url()}`));
page.on('response', r => { if (r.status() >= 400) problems.push(`${r.status()}: ${r.url()}`); });
page.on('request', r => { if (!r.url().startsWith(origin) && !r.url().startsWith('data:')) problems.push(`other host: ${r.url()}`); });
await page.addInitScript(Instrument);
// the player firing while a source of the shot's sound goes
await page.addInitScript(() => { window.Firing = () => Heard.sources.some(s => s.buffer === Heard.shot && !s.ended); });
// the player's shot, as the build made it
const shotsound = [...fs.readFileSync(path.join(rundir, '..', 'sounds', 'zorvabullet.ogg'))];
const Wait = (what, fn, arg) => WaitIn(page, what, fn, arg);
const Read = (what, act) => ReadIn(page, what, act);
const Press = (...keys) => PressIn(page, page, ...keys);
const Probe = Prober(probe, rundir, shots, 'browser'), WaitFor = (what, checks) => Probe(page, what, checks);

const Menu = lit => [`menu|${lit}`], Credits = ['credits'];
const Play = ['text|8|312|4|right|white|Score: 00000', 'sprite|Graphics/Sprites/OL|68|86|3', 'sky|-160|40'];

await page.goto(origin + '/');
await WaitFor('menu', Menu(0));

// The same pixels as the desktop window's menu, but for the highlighted item,
// whose colour pulses with the frame: there both must be of its yellows.
const native = fs.readFileSync(nativeshot).toString('base64');
const differing = await page.evaluate(native => {
  const rgb = Uint8Array.from(atob(native), c => c.charCodeAt(0));
  const big = Doubled(), canvas = big.getContext('2d').getImageData(0, 0, big.width, big.height).data;
  const out = [];
  const yellow = (p, i) => p[i] == p[i + 1] && p[i + 2] == 128;
  if (rgb.length != 3 * big.width * big.height) return -1;
  for (let i = 0; i < big.width * big.height; i++) {
    const [y, same] = [Math.floor(i / big.width), [0, 1, 2].every(k => canvas[4 * i + k] == rgb[3 * i + k])];
    if (!same && !(y >= 280 && y < 310 && yellow(canvas, 4 * i) && yellow(rgb, 3 * i))) out.push(i);
  }
  return out.length;
}, native);
if (differing) Fail(`${differing} pixels of the menu differ from the desktop window's`);
console.log('seen the menu as the desktop window shows it');

await Wait('the sounds', () => Module.soundsIn && Heard.decoding == 0);
await Press('ArrowDown');
await WaitFor('down-to-credits', Menu(1));
const sound = await page.evaluate(shot => {
  Heard.shot = Heard.decoded.find(d => d.bytes.length == shot.length && d.bytes.every((b, i) => b == shot[i]))?.buffer;
  return [Heard.contexts.map(c => c.state).join(), Heard.decoded.length, !!Heard.shot];
}, shotsound);
if (sound.join() != 'running,9,true') Fail(`sound ${sound[0]} with ${sound[1]} of 9 sounds and music decoded, the shot among them: ${sound[2]}`);
console.log('seen sound running after the first key, the 8 sounds and the music decoded');
await Press('z');
await WaitFor('credits', Credits);
await Press('Escape');
await WaitFor('menu-after-credits', Menu(1));
await Press('ArrowUp', 'z');
await WaitFor('play', Play);
await page.keyboard.down('z');
await Wait('the player firing', () => Firing() && Music());
await page.keyboard.up('z');
console.log('seen the player fire and the music play');
await Press('Escape');
await WaitFor('menu-after-play', Menu(0));
await Wait('the music paused in the menu', () => !Music());

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
    await Wait('the player not firing', () => !Firing());
    await page.evaluate(() => Pad = {buttons: [0]});
    await Wait('the player firing with the pad', () => Firing());
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

// a damaged bundle stops the game before its menu, and the page says what the game said
await page.route('**/Graphics/Title.laser', route => route.fulfill({body: Buffer.alloc(100)}));
await page.goto(origin + '/');
await Wait('the refusal', () => /cannot start: the bundle file "Graphics.Title.laser" was refused/.test(document.body.innerText));
await page.unroute('**/Graphics/Title.laser');
console.log('seen a damaged bundle named');

// a browser without WebAssembly's SIMD is told so in a sentence
await page.addInitScript(() => { WebAssembly.validate = () => false; });
await page.goto(origin + '/');
if (!/needs a browser with WebAssembly and its SIMD/.test(await page.innerText('#message'))) Fail('no sentence without SIMD');
await browser.close();
server.close();
if (problems.length) Fail(problems.join('\n'));
console.log('seen no console error and no failed or outside request');
