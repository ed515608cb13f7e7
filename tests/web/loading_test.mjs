// The site loading over a slow link from a plain server that sends no
// Content-Length (CDP's emulation: 1.5 Mbit/s each way, 150 ms latency):
// the loading screen names the game and what loads, its bar moves; after
// the first frame a line says that the sounds load and keys wait, and while
// it shows keys are held back, counted once when the sounds are in.
//   node loading_test.mjs <site>
import fs from 'node:fs';
import { Launch, Serve, SlowLink } from './Chromium.mjs';
import { Fail, Instrument, Press } from './Game.mjs';

const [site] = process.argv.slice(2);
if (!fs.existsSync(`${site}/zep.wasm`)) {
  console.log(`SKIP: ${site} has not been built (./web.sh)`);
  process.exit(77);
}
const problems = [];

const {origin, server} = await Serve({'/': site}, {length: false});
const browser = await Launch();
const page = await browser.newPage({viewport: {width: 800, height: 600}});
page.on('pageerror', e => problems.push(`page error: ${e.message}`));
page.on('console', m => { if (m.type() == 'error') problems.push(`console: ${m.text()}`); });
await page.addInitScript(Instrument);
await SlowLink(page);
const Wait = (what, fn, arg) => page.waitForFunction(fn, arg, {timeout: 60000}).catch(() => Fail(`${what} not seen`));
// a bar part-way, with its line of text, where nothing else says how far
const Partway = (what, selector) => Wait(what, s => {
  const e = document.querySelector(s), width = e && parseFloat(e.querySelector('.bar div').style.width);
  return e && !e.hidden && width > 0 && width < 100 && e.innerText;
}, selector).then(h => h.jsonValue());

await page.goto(origin + '/', {waitUntil: 'commit'});
const loading = await Partway('the loading bar part-way before the first frame', '#loading');
if (!/^zEP\s+Loading the game and its pictures \(\d+ of \d+ KB\)$/.test(loading.trim())) Fail(`the loading screen says "${loading}"`);
if (await page.evaluate(() => Frames)) Fail('a frame before the loading bar was seen part-way');
console.log(`seen the loading screen part-way: ${loading.replace(/\s+/g, ' ')}`);

// The menu's highlighted item, 0 to 2: the one of the most pixels of the
// highlight's yellows (red as green, blue 128) in its row of text.
const Highlighted = () => page.evaluate(() => {
  const pixels = document.getElementById('screen').getContext('2d').getImageData(187, 140, 100, 44).data;
  const yellow = [0, 0, 0];
  for (let i = 0; i < pixels.length; i += 4)
    if (pixels[i] == pixels[i + 1] && pixels[i + 2] == 128) yellow[Math.min(2, Math.floor(i / 4 / 100 / 16))]++;
  return yellow.indexOf(Math.max(...yellow));
});
const sounds = await Partway('the sounds line part-way after the first frame', '#sounds');
if (!await page.evaluate(() => Frames > 0 && document.getElementById('loading').hidden)) Fail('the loading screen stays');
if (!/^Loading the sounds, keys wait \(\d+ of \d+ KB\)$/.test(sounds.trim())) Fail(`the sounds line says "${sounds}"`);
console.log(`seen the menu with the line under it: ${sounds.trim()}`);
await page.keyboard.press('ArrowDown');
const frames = await page.evaluate(() => Frames);
await Wait('two frames after a key', f => Frames >= f + 2, frames);
const held = await page.evaluate(() => !document.getElementById('sounds').hidden);
if (held && await Highlighted() != 0) Fail('a key answered while the line said keys wait');
await Wait('the sounds line gone', () => document.getElementById('sounds').hidden);
for (const deadline = Date.now() + 10000; await Highlighted() != 1;)
  if (Date.now() > deadline) Fail('the key pressed while the sounds loaded never counted');
await Press(page, page, 'ArrowDown');
for (const deadline = Date.now() + 10000; await Highlighted() != 2;)
  if (Date.now() > deadline) Fail('a key after the sounds did not count');
console.log(`seen the key ${held ? 'held back while the line showed, then counted once' : 'counted'}, and the next`);
await browser.close();
server.close();
if (problems.length) Fail(problems.join('\n'));
console.log('seen no console error');
