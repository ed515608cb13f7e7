// A page hidden as a player hides it, its window minimized, in Debian's
// headless chromium driven through the DevTools protocol (playwright keeps
// its pages visible): play stands still, the sound with it, and goes on from
// the same frame at its own pace once the window is back.
//   node hidden_test.mjs <site> <scratch folder>
import fs from 'node:fs';
import path from 'node:path';
import { Serve, Speak } from './Chromium.mjs';

const [site, scratch] = process.argv.slice(2);
const Fail = why => { console.log(`FAIL: ${why}`); process.exit(1); };
if (!fs.existsSync(path.join(site, 'zep.wasm'))) { console.log(`SKIP: ${site} has not been built (./web.sh)`); process.exit(77); }
fs.rmSync(path.join(scratch, 'hidden-profile'), {recursive: true, force: true});

// what the test counts, in the page: frames drawn and when, the game's
// sleeps, the sound's contexts
const Instrument = () => {
  [window.Frames, window.FrameTimes, window.Sleeps, window.Contexts] = [0, [], 0, []];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function(...a) {
    if (this.canvas.id == 'screen') FrameTimes[Frames++] = performance.now();
    return put.apply(this, a);
  };
  const later = window.setTimeout;
  window.setTimeout = function(...a) { Sleeps++; return later.apply(this, a); };
  const Made = window.AudioContext;
  window.AudioContext = function(...a) { const c = new Made(...a); Contexts.push(c); return c; };
  window.AudioContext.prototype = Made.prototype;
  window.Picture = () => Array.from(document.getElementById('screen').getContext('2d').getImageData(0, 0, 320, 240).data
    .filter((v, i) => i % 4 != 3)).join();
};

const {origin, server} = await Serve({'/': site});
const browser = Speak(path.join(scratch, 'hidden-profile'));
const {targetInfos} = await browser.send('Target.getTargets');
const target = targetInfos.find(t => t.type == 'page').targetId;
const {sessionId} = await browser.send('Target.attachToTarget', {targetId: target, flatten: true});
const send = (method, params) => browser.send(method, params, sessionId);
const Eval = async (f, arg) => {
  const r = await send('Runtime.evaluate', {expression: `(${f})(${JSON.stringify(arg)})`, returnByValue: true, awaitPromise: true});
  if (r.exceptionDetails) Fail(`in the page: ${r.exceptionDetails.text} ${r.exceptionDetails.exception?.description}`);
  return r.result.value;
};
// Until(what, f, arg): looks until f(arg) holds in the page, for 10 seconds
async function Until(what, f, arg) {
  for (const deadline = Date.now() + 10000; !await Eval(f, arg);) {
    if (Date.now() > deadline) { browser.close(); Fail(`${what} not seen`); }
    await new Promise(done => setTimeout(done, 20));
  }
}
const Key = async type => send('Input.dispatchKeyEvent', {type, key: 'ArrowDown', code: 'ArrowDown', windowsVirtualKeyCode: 40});
const Window = async windowState => send('Browser.setWindowBounds', {windowId, bounds: {windowState}});
const {windowId} = await browser.send('Browser.getWindowForTarget', {targetId: target});

await send('Page.enable');
await send('Page.addScriptToEvaluateOnNewDocument', {source: `(${Instrument})()`});
await send('Page.navigate', {url: origin + '/'});
await Until('the first frame', () => window.Frames > 0);
await Key('keyDown');
await Until('the sound running after a key', () => Contexts.length == 1 && Contexts[0].state == 'running');
await Key('keyUp');

await Window('minimized');
await Until('the page hidden', () => document.visibilityState == 'hidden');
await Until('the sound suspended', () => Contexts[0].state == 'suspended');
const [frames, sleeps, picture] = await Eval(() => [Frames, Sleeps, Picture()]);
await Until('the game sleeping on while hidden', s => Sleeps >= s + 3, sleeps);
const [after, still] = await Eval(() => [Frames, Picture()]);
if (after != frames || still != picture) Fail(`${after - frames} frames drawn while hidden, the picture ${still == picture ? 'kept' : 'changed'}`);

await Window('normal');
await Until('the page shown', () => document.visibilityState == 'visible');
await Until('frames again', f => Frames >= f + 11, frames);
// the clock stood still: nothing to catch up, ten frames take their sixth of a second
const ms = await Eval(f => FrameTimes[f + 10] - FrameTimes[f], frames);
if (ms < 10 * 1000 / 60 * 0.8) Fail(`10 frames in ${ms.toFixed(0)} ms after the page came back`);
await Until('the sound running again', () => Contexts[0].state == 'running');
console.log(`seen the game stand still while its window was minimized (${frames} frames, ${sleeps} sleeps) ` +
  `and go on at its pace (10 frames in ${ms.toFixed(0)} ms), the sound with it`);
browser.close();
server.close();
