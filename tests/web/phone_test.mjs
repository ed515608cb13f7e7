// The browser build on an emulated phone (touch only, 3 device pixels to the
// CSS pixel), upright at 390x844 and then sideways at 844x390:
//   node phone_test.mjs <site> <run folder> <zepprobe> <shots>
// Fingers are CDP touch events, several at once; the canvas is read back and
// checked by zepprobe as browser_test.mjs checks it. Each page's look is kept
// as phone-<orientation>.png in <shots>.
import fs from 'node:fs';
import path from 'node:path';
import { Launch, Serve } from './Chromium.mjs';
import { Fail, Instrument, Prober, Read as ReadIn, Wait as WaitIn } from './Game.mjs';

const [site, rundir, probe, shots] = process.argv.slice(2);
if (!fs.existsSync(path.join(site, 'zep.wasm'))) {
  console.log(`SKIP: ${site} has not been built (./web.sh)`);
  process.exit(77);
}
const problems = [];
const Expect = (what, ok, seen) => { if (!ok) Fail(`${what} (seen ${JSON.stringify(seen)})`); };

// the player's shot, as the build made it
const shotsound = [...fs.readFileSync(path.join(rundir, '..', 'sounds', 'zorvabullet.ogg'))];
const {origin, server} = await Serve({'/': site});
const browser = await Launch();
fs.mkdirSync(shots, {recursive: true});

// A phone page with the web tests' counters (Game.mjs), the player's shot
// heard (Firing), orientation locks asked for, and fingers through CDP.
async function Phone(name, width, height) {
  const context = await browser.newContext({viewport: {width, height}, deviceScaleFactor: 3, isMobile: true, hasTouch: true});
  const page = await context.newPage();
  page.on('console', m => { if (m.type() == 'error') problems.push(`${name} console: ${m.text()}`); });
  page.on('pageerror', e => problems.push(`${name} page error: ${e.message}`));
  await page.addInitScript(Instrument);
  await page.addInitScript(() => {
    window.Firing = () => Heard.sources.some(s => s.buffer === Heard.shot && !s.ended);
    window.Orientations = [];
    if (screen.orientation) screen.orientation.lock = o => (Orientations.push(o), Promise.reject(new Error('not here')));
  });
  const cdp = await context.newCDPSession(page);
  const Wait = (what, fn, arg) => WaitIn(page, `${name}: ${what}`, fn, arg);
  const Read = (what, act) => ReadIn(page, `${name}: ${what}`, act);
  const Probe = Prober(probe, rundir, shots, `phone-${name}`), WaitFor = (what, checks) => Probe(page, what, checks);
  // Touch(type, [x, y], ...): every finger down at once, by its place
  const Touch = (type, ...at) => cdp.send('Input.dispatchTouchEvent', {type, touchPoints: at.map(([x, y], id) => ({x, y, id}))});
  // the middle of a control, in CSS pixels, and its radius
  const Centre = async control => {
    const r = await page.locator(`#touch .${control}`).boundingBox();
    return [r.x + r.width / 2, r.y + r.height / 2, r.width / 2];
  };
  // Tap(what, at): the finger held and let go, each until the game has read it
  const Tap = async (what, at) => {
    await Read(`${what} down`, () => Touch('touchStart', at));
    await Read(`${what} up`, () => Touch('touchEnd'));
  };
  const Shown = () => page.evaluate(() => !document.getElementById('touch').hidden);
  // where the canvas or a control lies, in whole device pixels (layout keeps
  // 1/64 of a CSS pixel: 1280 device pixels are 426.66 CSS pixels)
  const Box = async selector => page.evaluate(s => {
    const r = document.querySelector(s).getBoundingClientRect(), k = devicePixelRatio;
    return Object.fromEntries(['left', 'top', 'right', 'bottom', 'width', 'height'].map(side => [side, Math.round(r[side] * k)]));
  }, selector);

  await page.goto(origin + '/');
  await WaitFor('menu', Menu(0));
  // input is taken once every sound is decoded: the shot among them
  await Wait('the game taking input', () => Polls > 0);
  const known = await page.evaluate(shot => {
    Heard.shot = Heard.decoded.find(d => d.bytes.length == shot.length && d.bytes.every((b, i) => b == shot[i]))?.buffer;
    return !!Heard.shot;
  }, shotsound);
  Expect(`${name}: the shot's sound among those decoded`, known, 'none like it');
  return {page, Wait, Touch, Centre, WaitFor, Read, Tap, Shown, Box};
}

const Menu = lit => [`menu|${lit}`];
const Play = ['text|8|312|4|right|white|Score: 00000', 'sprite|Graphics/Sprites/OL|68|86|3', 'sky|-160|40'];
// the picture is a whole multiple of 320x240 device pixels
const Picture = (box, k) => box.width == 320 * k && box.height == 240 * k;

// Upright: nothing before the first touch, not even after a click; after it
// the controls below a picture of 960x720 device pixels at the top, and sound.
{
  const {page, Wait, Touch, Centre, WaitFor, Read, Tap, Shown, Box} = await Phone('portrait', 390, 844);
  await page.mouse.click(195, 700);
  Expect('no controls before the first touch, a click included', !await Shown(), 'controls');
  Expect('no AudioContext before the first touch', await page.evaluate(() => Heard.contexts.length == 0), 'one');
  await Tap('the first touch', [195, 120]);
  await Wait('the controls after the first touch', () => !document.getElementById('touch').hidden);
  await Wait('sound running after the first tap', () => Heard.contexts.some(c => c.state == 'running'));
  const picture = await Box('#screen'), stick = await Box('#touch .stick'), fire = await Box('#touch .fire');
  Expect('a picture of 960x720 device pixels at the top', Picture(picture, 3) && picture.top == 0 &&
    picture.left == (1170 - 960) / 2, picture);
  Expect('the stick and the buttons below the picture, stick left and fire right',
    stick.top >= picture.bottom && fire.top >= picture.bottom && stick.right < 585 && fire.left > 585, [stick, fire]);
  await WaitFor('menu-after-first-touch', Menu(0));
  // sound stopped by the browser (another app, a call) runs again when the
  // page is back in view, or else at the next tap
  await page.evaluate(() => Heard.contexts[0].suspend());
  await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
  await Wait('sound running again when the page is back', () => Heard.contexts[0].state == 'running');
  await page.evaluate(() => Heard.contexts[0].suspend());
  await Tap('a tap on the picture', [195, 120]);
  await Wait('sound running again after a tap', () => Heard.contexts[0].state == 'running');
  console.log('portrait: seen the controls only after the first touch, the picture 960x720 at the top, sound running, again after a stop');

  // the thumb drags down, then slides up without lifting
  const [sx, sy, sr] = await Centre('stick');
  await Touch('touchStart', [sx, sy]);
  await Touch('touchMove', [sx + 0.2 * sr, sy + 0.8 * sr]);
  await WaitFor('stick-down', Menu(1));
  await Touch('touchMove', [sx - 0.1 * sr, sy - 0.9 * sr]);
  await WaitFor('stick-slid-up', Menu(0));
  await Touch('touchEnd');
  await Tap('fire', await Centre('fire'));
  await WaitFor('play', Play);

  // The player is safe for the first two seconds of a game, so the checks
  // that need it alive come first. One thumb between fire and focus holds
  // both: the player fires and the view leads further, 120 pixels instead
  // of 80.
  const [fx, fy] = await Centre('fire'), [gx, gy] = await Centre('focus');
  await Touch('touchStart', [(fx + gx) / 2, (fy + gy) / 2]);
  await WaitFor('fire-and-focus', ['sky|58|62', 'sprite|Graphics/Sprites/OL|28|86|3']);
  await Wait('the player firing, focused', () => Firing());
  await Touch('touchEnd');

  // two fingers: the stick held down and fire, at once
  await Touch('touchStart', [sx, sy + 0.9 * sr]);
  await Touch('touchStart', [sx, sy + 0.9 * sr], [fx, fy]);
  await Wait('the player firing with the stick held', () => Firing());
  await WaitFor('moved-down-firing', ['sprite|Graphics/Sprites/OL|68|223|3']);
  await Wait('the player still firing at the bottom', () => Firing());
  await Touch('touchEnd');

  // a tap on Escape leaves nothing: play goes on, whatever became of the
  // player; held, it leaves play
  const esc = await Centre('escape');
  await Tap('escape tapped', esc);
  const polls = await page.evaluate(() => Polls);
  await Wait('30 more looks at the buttons', p => Polls >= p + 30, polls);
  await WaitFor('play-after-escape-tap', ['sky|-200|200']);

  // held long enough, Escape shows itself done; the menu waits for every
  // finger up before it draws
  await Touch('touchStart', esc);
  await Wait('Escape held', () => document.querySelector('#touch .escape.held'));
  await Read('Escape', async () => {});
  await Touch('touchEnd');
  await WaitFor('menu-after-escape-held', Menu(0));
  console.log('portrait: seen the stick and fire move and fire together, fire and focus under one thumb, and Escape leave play only when held');

  // a key hides the controls and gives the page its own layout back; a swipe
  // and a pinch after the next touch neither scroll nor zoom
  await Read('a key down', () => page.keyboard.down('ArrowDown'));
  await page.keyboard.up('ArrowDown');
  await Wait('the controls hidden by a key', () => document.getElementById('touch').hidden);
  Expect('the picture centred again without the controls', (await Box('#screen')).top > 0, await Box('#screen'));
  await WaitFor('menu-after-key', Menu(1));
  await Tap('a touch after the key', [195, 400]);
  await Wait('the controls back after a touch', () => !document.getElementById('touch').hidden);
  for (let i = 0; i <= 10; i++) await Touch(i ? 'touchMove' : 'touchStart', [195, 700 - 50 * i]);
  await Touch('touchEnd');
  for (let i = 0; i <= 10; i++) await Touch(i ? 'touchMove' : 'touchStart', [195 - 10 * i, 400 - 10 * i], [205 + 10 * i, 410 + 10 * i]);
  await Touch('touchEnd');
  await Read('after the swipe', async () => {});
  const view = await page.evaluate(() => [scrollX, scrollY, visualViewport.scale, visualViewport.offsetTop, document.scrollingElement.scrollTop]);
  Expect('no scroll or zoom after a swipe and a pinch', view.join() == '0,0,1,0,0', view);
  await WaitFor('menu-after-swipe', Menu(1));
  await page.screenshot({path: path.join(shots, 'phone-portrait.png'), scale: 'css'});
  // a pad's button that the menu does not use (north, Fire3) hides them too
  await page.evaluate(() => Pad = {buttons: [3]});
  await Wait('the controls hidden by a pad', () => document.getElementById('touch').hidden);
  await page.evaluate(() => Pad = null);
  console.log('portrait: seen a key and a pad hide the controls, and no scroll or zoom after a swipe or a pinch');
  await page.context().close();
}

// Sideways: a picture of 1280x960 device pixels in the middle, the controls
// beside it; full screen asks to hold landscape, and where the browser has no
// full screen the control is not there.
{
  const {page, Wait, Touch, Centre, WaitFor, Tap, Box} = await Phone('landscape', 844, 390);
  await Tap('the first touch', [422, 195]);
  await Wait('the controls after the first touch', () => !document.getElementById('touch').hidden);
  const picture = await Box('#screen');
  const boxes = await Promise.all(['stick', 'fire', 'focus', 'bomb', 'escape', 'full'].map(c => Box(`#touch .${c}`)));
  Expect('a picture of 1280x960 device pixels in the middle', Picture(picture, 4) &&
    picture.left == (2532 - 1280) / 2 && picture.top == (1170 - 960) / 2, picture);
  Expect('every control beside the picture', boxes.every(b => b.right <= picture.left || b.left >= picture.right), boxes);
  // a thumb landing just below the stick's ring still takes it
  await Tap('the stick pushed down', await Centre('stick').then(([x, y, r]) => [x, y + 1.1 * r]));
  await WaitFor('stick-down', Menu(1));
  await page.screenshot({path: path.join(shots, 'phone-landscape.png'), scale: 'css'});
  // a tap shorter than a frame still counts, once: into the credits and out
  const fire = await Centre('fire');
  for (const [what, checks] of [['credits-by-a-short-tap', ['credits']], ['menu-by-a-short-tap', Menu(1)]]) {
    await Touch('touchStart', fire);
    await Touch('touchEnd');
    await WaitFor(what, checks);
  }
  await Tap('full screen', await Centre('full'));
  await Wait('full screen, holding landscape', () => document.fullscreenElement && Orientations.join() == 'landscape');
  console.log('landscape: seen the picture 1280x960 in the middle, the controls beside it, full screen held sideways');
  await page.addInitScript(() => Object.defineProperty(Document.prototype, 'fullscreenEnabled', {get: () => false}));
  await page.reload();
  await WaitFor('menu-without-full-screen', Menu(0));
  await Tap('the first touch', [422, 195]);
  await Wait('no full-screen control without full screen',
    () => !document.getElementById('touch').hidden && document.querySelector('#touch .full').hidden);
  console.log('landscape: seen no full-screen control where the browser has none');
  // Quit, and the page's own button, tapped, plays again
  const stick = await Centre('stick');
  for (const lit of [1, 2]) {
    await Tap('the stick pushed down', [stick[0], stick[1] + stick[2]]);
    await WaitFor(`stick-down-${lit}`, Menu(lit));
  }
  await Touch('touchStart', await Centre('fire'));
  await Wait('the ended page', () => /zEP has ended/.test(document.body.innerText) && document.querySelector('#message button'));
  await Touch('touchEnd');
  const again = await page.locator('#message button').boundingBox();
  const reloaded = page.waitForEvent('load', {timeout: 10000}).catch(() => Fail('landscape: no new page after Play again'));
  await Touch('touchStart', [again.x + again.width / 2, again.y + again.height / 2]);
  await Touch('touchEnd');
  await reloaded;
  await WaitFor('menu-played-again', Menu(0));
  console.log('landscape: seen Quit end the game, and a tap on Play again start it anew');
  await page.context().close();
}

await browser.close();
server.close();
if (problems.length) Fail(problems.join('\n'));
console.log('seen no console error');
