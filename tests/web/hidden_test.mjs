// A page hidden as a player hides it, its window minimized, in Debian's
// headless chromium driven through the DevTools protocol (playwright keeps
// its pages visible): play stands still, the sound with it, and goes on from
// the same frame at its own pace once the window is back.
//   node hidden_test.mjs <site> <scratch folder>
import fs from 'node:fs';
import path from 'node:path';
import { Serve, Speak } from './Chromium.mjs';
import { Fail, HeldStill, Instrument, Wait } from './Game.mjs';

const [site, scratch] = process.argv.slice(2);
if (!fs.existsSync(path.join(site, 'zep.wasm'))) { console.log(`SKIP: ${site} has not been built (./web.sh)`); process.exit(77); }
fs.rmSync(path.join(scratch, 'hidden-profile'), {recursive: true, force: true});

const {origin, server} = await Serve({'/': site});
const browser = Speak(path.join(scratch, 'hidden-profile'));
process.on('exit', browser.close);
const {targetInfos} = await browser.send('Target.getTargets');
const target = targetInfos.find(t => t.type == 'page').targetId;
const {sessionId} = await browser.send('Target.attachToTarget', {targetId: target, flatten: true});
const send = (method, params) => browser.send(method, params, sessionId);
// the page as playwright's evaluate and waitForFunction see it, for the shared waits
const evaluate = async (f, arg) => {
  const r = await send('Runtime.evaluate', {expression: `(${f})(${JSON.stringify(arg)})`, returnByValue: true, awaitPromise: true});
  if (r.exceptionDetails) Fail(`in the page: ${r.exceptionDetails.text} ${r.exceptionDetails.exception?.description}`);
  return r.result.value;
};
const page = {evaluate, async waitForFunction(f, arg, {timeout}) {
  for (const deadline = Date.now() + timeout; !await evaluate(f, arg);) {
    if (Date.now() > deadline) throw new Error('timeout');
    await new Promise(done => setTimeout(done, 20));
  }
}};
const Key = async type => send('Input.dispatchKeyEvent', {type, key: 'ArrowDown', code: 'ArrowDown', windowsVirtualKeyCode: 40});
const Window = async windowState => send('Browser.setWindowBounds', {windowId, bounds: {windowState}});
const {windowId} = await browser.send('Browser.getWindowForTarget', {targetId: target});

await send('Page.enable');
await send('Page.addScriptToEvaluateOnNewDocument', {source: `(${Instrument})()`});
await send('Page.navigate', {url: origin + '/'});
await Wait(page, 'the first frame', () => window.Frames > 0);
await Key('keyDown');
await Wait(page, 'the sound running after a key', () => Heard.contexts.length == 1 && Heard.contexts[0].state == 'running');
await Key('keyUp');
await HeldStill(page, 'its window was minimized', async () => {
  await Window('minimized');
  await Wait(page, 'the page hidden', () => document.visibilityState == 'hidden');
}, async () => {
  await Window('normal');
  await Wait(page, 'the page shown', () => document.visibilityState == 'visible');
}, 3);
browser.close();
server.close();
