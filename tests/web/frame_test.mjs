// The page as a game portal embeds it, and in windows of several sizes, in
// Debian's chromium:
//   node frame_test.mjs <site> <run folder> <zepprobe> <shots>
// The portal is a page of another origin (a second server) with the site in
// an <iframe>. What the test counts it counts itself, by an init script in
// every frame: frames drawn, the game's sleeps, the sound's contexts.
import fs from 'node:fs';
import path from 'node:path';
import { Launch, Serve } from './Chromium.mjs';
import { Fail, HeldStill, Instrument, Press, Prober, Wait } from './Game.mjs';

const [site, rundir, probe, shots] = process.argv.slice(2);
const WaitFor = Prober(probe, rundir, shots, 'frame');
if (!fs.existsSync(path.join(site, 'zep.wasm'))) { console.log(`SKIP: ${site} has not been built (./web.sh)`); process.exit(77); }

// the portal's page: an input to type in, a page tall enough to scroll, and
// the game in a frame of the size, permissions and sandbox its query asks
const portal = path.join(shots, 'portal');
fs.mkdirSync(portal, {recursive: true});
fs.writeFileSync(path.join(portal, 'index.html'), `<!doctype html>
<link rel="icon" href="data:,">
<body style="margin:0; height:4000px"><input id="search"><br>
<script>
  const q = new URLSearchParams(location.search), f = document.createElement('iframe');
  f.id = 'game';
  f.width = q.get('w');
  f.height = q.get('h');
  f.style.border = '0';
  if (q.get('allow')) f.allow = q.get('allow');
  if (q.get('sandbox')) f.sandbox = q.get('sandbox');
  f.src = q.get('src');
  document.body.appendChild(f);
</script>`);
const game = await Serve({'/': site}), other = await Serve({'/': portal});
if (game.origin == other.origin) Fail('the portal on the game\'s origin');
const browser = await Launch();

async function Open(url, viewport, deviceScaleFactor = 1, waitUntil = 'load', hold = null) {
  const context = await browser.newContext({viewport, deviceScaleFactor});
  await context.addInitScript(Instrument);
  // the code held back until hold resolves, for a load that takes its time
  if (hold) await context.route('**/zep.wasm', route => hold.then(() => route.continue()));
  const page = await context.newPage(), problems = [];
  // but the warning the test's own reading back of the canvas brings
  page.on('console', m => {
    if (['error', 'warning'].includes(m.type()) && !/willReadFrequently/.test(m.text())) problems.push(`console ${m.type()}: ${m.text()}`);
  });
  page.on('pageerror', e => problems.push(`page error: ${e.message}`));
  await page.goto(url, {waitUntil});
  return {page, problems};
}
const Frame = async page => (await (await page.waitForSelector('#game')).contentFrame());
const Started = where => Wait(where, 'the first frame', () => Frames > 0);

// The picture's rectangle in device pixels, and the button's if shown.
const Placed = where => where.evaluate(() => {
  const r = e => { const b = e.getBoundingClientRect(); return [b.left, b.top, b.width, b.height].map(v => v * devicePixelRatio); };
  const full = document.getElementById('full');
  return {picture: r(document.getElementById('screen')), button: full.hidden ? null : r(full),
    window: [innerWidth * devicePixelRatio, innerHeight * devicePixelRatio]};
});
function CheckPlaced(what, placed, size) {
  const [x, y, w, h] = placed.picture, [ww, wh] = placed.window;
  // to layout's sixty-fourths of a CSS pixel
  const near = (a, b) => Math.abs(a - b) < 0.05;
  if (!near(w, size[0]) || !near(h, size[1])) Fail(`${what}: a picture of ${w}x${h} device pixels, not ${size.join('x')}`);
  if (!near(x, Math.round(x)) || !near(y, Math.round(y))) Fail(`${what}: the picture at ${x},${y}, between device pixels`);
  if (x < 0 || y < 0 || x + w > ww + 1e-3 || y + h > wh + 1e-3) Fail(`${what}: the picture ${placed.picture} cropped by the window ${ww}x${wh}`);
  if (Math.abs(x - (ww - w) / 2) > 1 || Math.abs(y - (wh - h) / 2) > 1) Fail(`${what}: the picture ${placed.picture} not centred`);
  const b = placed.button;
  if (b && b[0] < x + w && x < b[0] + b[2] && b[1] < y + h && y < b[1] + b[3]) Fail(`${what}: the button ${b} covers the picture`);
  if (b && (b[0] < 0 || b[1] < 0 || b[0] + b[2] > ww || b[1] + b[3] > wh)) Fail(`${what}: the button ${b} outside the window`);
  console.log(`seen ${what}: the picture ${w}x${h} at ${x},${y}, the button ${b ? 'at ' + b.slice(0, 2).join(',') : 'hidden'}`);
}

// Windows: the largest whole multiple of 320x240 in device pixels, at least
// 320x240; the button shown where there is room beside or below. Portal
// frames (a size in the portal's 1280x720 window): the whole picture,
// letterboxed; the button only where the frame allows full screen.
for (const [w, h, dpr, size, button, frame, allow] of [[1280, 720, 1, [960, 720]], [500, 400, 1, [320, 240], true],
  [800, 600, 1, [640, 480], true], [640, 480, 1, [640, 480], false], [1280, 720, 1.5, [1280, 960]],
  [640, 360, 1, [320, 240], false, true, ''], [836, 470, 1, [320, 240], false, true, ''],
  [1031, 580, 1, [640, 480], true, true, 'fullscreen']]) {
  const {page, problems} = frame ? await Open(`${other.origin}/?w=${w}&h=${h}&allow=${allow}&src=${game.origin}/`,
    {width: 1280, height: 720}) : await Open(game.origin + '/', {width: w, height: h}, dpr);
  const where = frame ? await Frame(page) : page;
  await Started(where);
  const placed = await Placed(where);
  const what = `a ${frame ? 'frame' : 'window'} of ${w}x${h} at ${dpr} device pixels a pixel${allow ? ' allowed full screen' : ''}`;
  CheckPlaced(what, placed, size);
  if (button !== undefined && !!placed.button != button) Fail(`the button ${button ? 'hidden' : 'shown'} in ${what}`);
  if (problems.length) Fail(problems.join('\n'));
  await page.close();
}

{
  // Typing into the portal while the game loads keeps every character there;
  // a click into the frame gives the game the keys, which scroll nothing of
  // the portal; F does nothing and logs nothing without full-screen permission.
  let loaded;
  const hold = new Promise(done => loaded = done);
  const {page, problems} = await Open(`${other.origin}/?w=836&h=470&src=${game.origin}/`, {width: 1280, height: 720}, 1, 'commit', hold);
  const search = await page.waitForSelector('#search');
  await search.focus();
  // z would start play, were the game to take it
  let typed = '', before = 0;
  for (let after = 0; after < 5; after += !!before) {
    await page.keyboard.type('z');
    typed += 'z';
    if (typed.length == 10) loaded();
    const frame = page.frames()[1];
    if (!before && frame && await frame.evaluate(() => Frames > 0).catch(() => false)) before = typed.length;
  }
  const kept = await search.evaluate(e => e.value);
  if (kept != typed) Fail(`the portal's input kept "${kept}" of "${typed}"`);
  console.log(`seen the portal's input keep all ${typed.length} characters, ${before} typed before the game's first frame`);
  const frame = await Frame(page);
  await WaitFor(frame, 'menu-untouched', ['menu|0']);
  await page.click('#game');
  // keys are read once the sounds are in, and the pad with them
  await Wait(frame, 'the game reading keys', () => Polls > 0);
  await Press(page, frame, 'ArrowDown');
  await WaitFor(frame, 'menu-down-after-click', ['menu|1']);
  for (const key of ['ArrowDown', 'ArrowUp', 'Space', 'PageDown', 'End', 'f']) await Press(page, frame, key);
  await WaitFor(frame, 'menu-after-the-keys', ['menu|1']);
  const scrolled = await page.evaluate(() => scrollY);
  if (scrolled) Fail(`the portal scrolled by ${scrolled} px`);
  if (await frame.evaluate(() => !!document.fullscreenElement || !document.getElementById('full').hidden)) Fail('full screen in a frame without permission');
  if (problems.length) Fail(problems.join('\n'));
  console.log('seen the keys reach the game after a click, no scroll of the portal, F do nothing and log nothing');

  // The portal's messages: pause holds the game and its sound still, resume
  // lets it go on, mute silences what plays.
  await Wait(frame, 'the sound running', () => Heard.contexts.length == 1 && Heard.contexts[0].state == 'running');
  const post = what => page.evaluate(what => document.getElementById('game').contentWindow.postMessage({zep: what}, '*'), what);
  await HeldStill(frame, 'paused by the portal', () => post('pause'), () => post('resume'));
  await post('mute');
  await Wait(frame, 'the sound muted', () => Heard.outs.length > 0 && Heard.outs.every(n => n.gain && n.gain.value == 0));
  await post('unmute');
  await Wait(frame, 'the sound unmuted', () => Heard.outs.every(n => n.gain && n.gain.value == 1));
  console.log('seen mute and unmute');
  if (problems.length) Fail(problems.join('\n'));
  await page.close();
}

{
  // A sandbox without allow-same-origin: a sentence saying what the frame needs
  const {page} = await Open(`${other.origin}/?w=640&h=360&sandbox=allow-scripts&src=${game.origin}/`, {width: 1280, height: 720});
  const frame = await Frame(page);
  await Wait(frame, 'the sandbox\'s sentence', () => /sandbox must allow-same-origin as well as allow-scripts/.test(document.body.innerText));
  console.log('seen the sentence for a sandbox without allow-same-origin');
  await page.close();
}
await browser.close();
game.server.close();
other.server.close();
console.log('seen the page in frames and windows as a portal shows it');
