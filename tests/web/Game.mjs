// What the web tests do with the game's page, shared: the counters they put
// into every page before its scripts (the shipped page has none), waits that
// fail the test by name, keys held until the game has read them, and canvas
// shots checked by zepprobe as the desktop window's screenshots are.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

export const Fail = why => { console.log(`FAIL: ${why}`); process.exit(1); };

// In every page and frame, before its scripts: Frames drawn on the canvas and
// when (FrameTimes), the game's Sleeps (it sleeps through setTimeout), a
// pad of 17 buttons hidden until a test sets Pad, as browsers hide one until
// pressed, with Polls counting the game's looks at pad and keys; Doubled(),
// the game's canvas doubled by hand to compare with the desktop's window.
// Heard notes Web Audio: contexts made, sounds decoding and decoded
// ({bytes, buffer}), sources started ({buffer, loop, ended}), and the nodes
// that feed the speakers (outs); Music() while a looping source goes.
export function Instrument() {
  [window.Frames, window.FrameTimes, window.Sleeps, window.Polls, window.Pad] = [0, [], 0, 0, null];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function(...a) {
    if (this.canvas.id == 'screen') FrameTimes[Frames++] = performance.now();
    return put.apply(this, a);
  };
  const later = window.setTimeout;
  window.setTimeout = function(...a) { Sleeps++; return later.apply(this, a); };
  navigator.getGamepads = () => (Polls++, [null, Pad && {connected: true, mapping: Pad.mapping ?? 'standard',
    buttons: [...Array(17).keys()].map(i => ({pressed: Pad.buttons.includes(i)})), axes: Pad.axes ?? [0, 0, 0, 0]}]);
  window.Doubled = () => {
    const screen = document.getElementById('screen'), [w, h] = [screen.width, screen.height];
    const small = screen.getContext('2d').getImageData(0, 0, w, h).data;
    const big = document.createElement('canvas');
    [big.width, big.height] = [2 * w, 2 * h];
    const image = big.getContext('2d').createImageData(2 * w, 2 * h);
    for (let i = 0; i < 4 * w * h; i++) image.data.set(small.subarray(...[0, 4].map(k => 4 * (((i / (2 * w) | 0) >> 1) * w + (i % (2 * w) >> 1)) + k)), 4 * i);
    big.getContext('2d').putImageData(image, 0, 0);
    return big;
  };
  const heard = window.Heard = {contexts: [], decoding: 0, decoded: [], sources: [], outs: []};
  const Context = window.AudioContext;
  if (!Context) return;
  window.AudioContext = class extends Context { constructor(...a) { super(...a); heard.contexts.push(this); } };
  const decode = BaseAudioContext.prototype.decodeAudioData;
  BaseAudioContext.prototype.decodeAudioData = function(data, ...rest) {
    const bytes = new Uint8Array(data.slice(0));
    heard.decoding++;
    const done = decode.call(this, data, ...rest);
    done.then(buffer => heard.decoded.push({bytes, buffer}), () => {}).finally(() => heard.decoding--);
    return done;
  };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function(...a) {
    const source = {buffer: this.buffer, loop: this.loop, ended: false};
    heard.sources.push(source);
    this.addEventListener('ended', () => source.ended = true);
    return start.apply(this, a);
  };
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function(to, ...a) {
    if (to instanceof AudioDestinationNode) heard.outs.push(this);
    return connect.call(this, to, ...a);
  };
  window.Music = () => heard.sources.some(s => s.loop && !s.ended);
}

// Wait(where, what, fn, arg): until fn(arg) holds in the page or frame, for 10 seconds
export const Wait = (where, what, fn, arg) => where.waitForFunction(fn, arg, {timeout: 10000}).catch(() => Fail(`${what} not seen`));

// HeldStill(where, why, hold, release, sleeps = 5): once held, the sound suspended, and no frame nor change
// of the picture while the game sleeps that many times more; once released, frames again, no faster than 60
// a second (nothing caught up), and the sound running.
export async function HeldStill(where, why, hold, release, sleeps = 5) {
  await hold();
  await Wait(where, `the sound suspended when ${why}`, () => Heard.contexts.every(c => c.state == 'suspended'));
  const [frames, slept, picture] = await where.evaluate(() => [Frames, Sleeps, Doubled().toDataURL()]);
  await Wait(where, `the game sleeping when ${why}`, s => Sleeps >= s, slept + sleeps);
  const [after, still] = await where.evaluate(() => [Frames, Doubled().toDataURL()]);
  if (after != frames || still != picture) Fail(`${after - frames} frames drawn when ${why}, the picture ${still == picture ? 'kept' : 'changed'}`);
  await release();
  await Wait(where, `frames again after ${why}`, f => Frames >= f + 11, frames);
  const ms = await where.evaluate(f => FrameTimes[f + 10] - FrameTimes[f], frames);
  if (ms < 10 * 1000 / 60 * 0.8) Fail(`10 frames in ${ms.toFixed(0)} ms after ${why}`);
  await Wait(where, `the sound running after ${why}`, () => Heard.contexts.every(c => c.state == 'running'));
  console.log(`seen the game held still when ${why} (${frames} frames) and go on at its pace (10 frames in ${ms.toFixed(0)} ms)`);
}

// Read(where, what, act): act, then wait for a look the game took after it,
// counted after the act: a look from before it must not pass for one that saw it
export async function Read(where, what, act) {
  await act();
  await Wait(where, `the game reading ${what}`, p => Polls > p, await where.evaluate(() => Polls));
}
// Press(page, where, key...): each held until the game has read it down and up
export async function Press(page, where, ...keys) {
  for (const key of keys)
    for (const action of ['down', 'up']) await Read(where, `${key} ${action}`, () => page.keyboard[action](key));
}

// Prober(probe, rundir, shots, name) gives WaitFor(where, what, checks):
// canvas shots into <shots>/<name>-<step>-<what>.png until zepprobe passes
// every check, each its arguments but the file, split at '|'.
export function Prober(probe, rundir, shots, name) {
  let step = 0;
  return async function WaitFor(where, what, checks) {
    const shot = path.join(shots, `${name}-${String(++step).padStart(2, '0')}-${what}.png`);
    for (const deadline = Date.now() + 10000;;) {
      const url = await where.evaluate(() => Doubled().toDataURL('image/png'));
      fs.writeFileSync(shot, Buffer.from(url.split(',')[1], 'base64'));
      try {
        const out = checks.map(c => c.split('|')).map(c => execFileSync(probe, [c[0], shot, ...c.slice(1)], {cwd: rundir}).toString().trim());
        return console.log(`seen ${what}: ${out.join('; ')}`);
      } catch (e) {
        if (Date.now() > deadline) Fail(`${what} not seen (${e.stdout}; last shot ${shot})`);
      }
      await Wait(where, `a frame on the way to ${what}`, f => Frames > f, await where.evaluate(() => Frames));
    }
  };
}
