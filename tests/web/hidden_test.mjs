// A page hidden as a player hides it, its window minimized, in Debian's
// headless chromium driven through the DevTools protocol (playwright keeps
// its pages visible): play stands still, the sound with it, and goes on from
// the same frame at its own pace once the window is back.
//   node hidden_test.mjs <site> <scratch folder>
import fs from 'node:fs';
import path from 'node:path';
import { Serve, Speak } from './Chromium.mjs';
import { Fail, Instrument } from './Game.mjs';

const [site, scratch] = process.argv.slice(2);
if (!fs.existsSync(path.join(site, 'zep.wasm'))) { console.log(`SKIP: ${site} has not been built (./web.sh)`); process.exit(77); }
fs.rmSync(path.join(scratch, 'hidden-profile'), {recursive: true, force: true});

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
await Until('the sound running after a key', () => Heard.contexts.length == 1 && Heard.contexts[0].state == 'running');
await Key('keyUp');

await Window('minimized');
await Until('the page hidden', () => document.visibilityState == 'hidden');
await Until('the sound suspended', () => Heard.contexts[0].state == 'suspended');
const [frames, sleeps, picture] = await Eval(() => [Frames, Sleeps, Doubled().toDataURL()]);
await Until('the game sleeping on while hidden', s => Sleeps >= s + 3, sleeps);
const [after, still] = await Eval(() => [Frames, Doubled().toDataURL()]);
if (after != frames || still != picture) Fail(`${after - frames} frames drawn while hidden, the picture ${still == picture ? 'kept' : 'changed'}`);

await Window('normal');
await Until('the page shown', () => document.visibilityState == 'visible');
await Until('frames again', f => Frames >= f + 11, frames);
// the clock stood still: nothing to catch up, ten frames take their sixth of a second
const ms = await Eval(f => FrameTimes[f + 10] - FrameTimes[f], frames);
if (ms < 10 * 1000 / 60 * 0.8) Fail(`10 frames in ${ms.toFixed(0)} ms after the page came back`);
await Until('the sound running again', () => Heard.contexts[0].state == 'running');
console.log(`seen the game stand still while its window was minimized (${frames} frames, ${sleeps} sleeps) ` +
  `and go on at its pace (10 frames in ${ms.toFixed(0)} ms), the sound with it`);
browser.close();
server.close();
