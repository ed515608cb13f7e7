// The browser side of the platform layer, linked with --js-library: keys,
// the gamepad, the canvas, the end of the game, and SDL_mixer 1.2's calls as
// the game makes them, over Web Audio. Emscripten's own SDL_mixer lacks channel
// groups, timed channels, loop counts and fades; these replace it whole.
// The mixer keeps its channels on the page's millisecond clock, so which
// channel is free or oldest does not depend on whether the browser lets
// sound out yet: nodes are started for what is still playing once it does.
mergeInto(LibraryManager.library, {
  $ZEP__postset: 'ZEP.init();',
  $ZEP__deps: ['$ZEPMIX'],
  $ZEP: {
    buttons: 0,
    early: 0,    // keys pressed while input was held back
    bycode: {},  // the bit each held key set, by KeyboardEvent.code
    frames: 0,
    ready: function() { return Module['soundsIn'] && !ZEPMIX.pending; },
    init: function() {
      if (typeof window == 'undefined') return;
      // for touch.js, which asks for sound at each touch
      Module['unlock'] = function() { ZEPMIX.unlock(); };
      var bits = {ArrowLeft: 0x1, ArrowRight: 0x2, ArrowUp: 0x4, ArrowDown: 0x8, ShiftLeft: 0x80,
                  Enter: 0x10000000, Space: 0x20000000, Escape: 0x80000000};
      // letters by what the layout types, as SDL 1.2's key symbols are
      var letters = {z: 0x10, x: 0x20, y: 0x40};
      window.addEventListener('keydown', function(e) {
        ZEPMIX.unlock();
        var bit = bits[e.code] || letters[(e.key || '').toLowerCase()] || 0;
        if (!bit) return;
        e.preventDefault();
        ZEP.bycode[e.code] = bit;
        ZEP.buttons = (ZEP.buttons | bit) >>> 0;
        if (!ZEP.ready()) ZEP.early = (ZEP.early | bit) >>> 0;
      });
      window.addEventListener('keyup', function(e) {
        var bit = ZEP.bycode[e.code];
        if (!bit) return;
        e.preventDefault();
        delete ZEP.bycode[e.code];
        ZEP.buttons = (ZEP.buttons & ~bit) >>> 0;
      });
      // a key let go in another window never sends its keyup here
      window.addEventListener('blur', function() { ZEP.buttons = 0; ZEP.bycode = {}; });
    }
  },

  zep_buttons__deps: ['$ZEP', '$ZEPMIX'],
  zep_buttons: function() {
    // Held back until the sounds are in, so that the first game has them;
    // a key pressed before then is seen down once.
    if (!ZEP.ready()) return 0;
    // touch.js's controls, where the page has them
    var state = (ZEP.buttons | ZEP.early | (window['ZepTouch'] ? window['ZepTouch'].take() : 0)) >>> 0;
    ZEP.early = 0;
    return state;
  },

  // The first connected pad, raw: what its buttons mean is GetPadButtonState's
  // business. Held back with the keys; a page the browser does not let
  // see pads (an embedding frame's policy) has none.
  zep_pad__deps: ['$ZEP', '$ZEPMIX'],
  zep_pad: function(buttons, axes, nbuttons, naxes) {
    if (!ZEP.ready()) return 0;
    var pads = [];
    try { pads = navigator.getGamepads ? navigator.getGamepads() : []; } catch (e) {}
    var pad = Array.prototype.find.call(pads || [], function(p) { return p && p.connected; });
    if (!pad) return 0;
    var bits = 0;
    for (var i = 0; i < pad.buttons.length && i < 32; i++)
      if (pad.buttons[i].pressed) bits |= 1 << i;
    // sound starts here where the browser counts a pad's button as a gesture;
    // touch.js's controls give way to the pad
    if (bits) {
      ZEPMIX.unlock();
      if (window['ZepTouch']) window['ZepTouch'].hide();
    }
    HEAPU32[buttons >> 2] = bits >>> 0;
    for (var i = 0; i < 8; i++) HEAPF32[(axes >> 2) + i] = i < pad.axes.length ? pad.axes[i] : 0;
    HEAP32[nbuttons >> 2] = pad.buttons.length;
    HEAP32[naxes >> 2] = pad.axes.length;
    return pad.mapping == 'standard' ? 1 : 2;
  },

  zep_take_sounds: function() {
    if (!Module['soundsArrived']) return 0;
    Module['soundsArrived'] = false;
    return 1;
  },

  zep_present__deps: ['$ZEP'],
  zep_present: function(pixels) {
    // a view of the frame where it lies (memory never grows), copied once
    if (!ZEP.image) {
      ZEP.ctx = Module['canvas'].getContext('2d', {alpha: false});
      ZEP.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, 320 * 240 * 4), 320, 240);
    }
    ZEP.ctx.putImageData(ZEP.image, 0, 0);
    if (++ZEP.frames > 1) return;
    if (Module['onFirstFrame']) Module['onFirstFrame']();
  },

  zep_ended: function(status) {
    if (Module['onEnded']) Module['onEnded'](status);
  },

  // The game holds still while the page is hidden or its portal asks it to
  // pause: the page's clock stands still, so the frame pacer and the sounds
  // go on from the same moment with nothing to catch up, and the sound is
  // suspended. A portal talks to it with window messages from the page that
  // embeds it: {zep: 'pause'}, 'resume', 'mute', 'unmute'.
  $ZEPSTILL__postset: 'ZEPSTILL.init();',
  $ZEPSTILL: {
    holds: {hidden: false, paused: false},
    stoppedat: null,  // the time the clock stopped, null while it runs
    lost: 0,          // all the time it stood still
    muted: false,
    master: null,     // the gain every sound goes through, for muting
    held: function() { return ZEPSTILL.holds.hidden || ZEPSTILL.holds.paused; },
    now: function() {
      return (ZEPSTILL.stoppedat === null ? performance.now() : ZEPSTILL.stoppedat) - ZEPSTILL.lost;
    },
    // the sound's context, once a key press has made it
    context: function() { return ZEPMIX.ctx; },
    // where sounds go: the destination through the master gain
    output: function(ctx) {
      if (!ZEPSTILL.master || ZEPSTILL.master.context != ctx) {
        ZEPSTILL.master = ctx.createGain();
        ZEPSTILL.master.connect(ctx.destination);
      }
      ZEPSTILL.master.gain.value = ZEPSTILL.muted ? 0 : 1;
      return ZEPSTILL.master;
    },
    // The sound as the holds and the mute have it; resuming is allowed
    // without a new gesture once one has made the context.
    sound: function() {
      var ctx = ZEPSTILL.context();
      if (!ctx) return;
      ZEPSTILL.output(ctx);
      if (ZEPSTILL.held()) { if (ctx.state == 'running') ctx.suspend(); }
      // iOS has an 'interrupted' state too, after a call or another app
      else if (ctx.state != 'running') ctx.resume().catch(function() {});
    },
    // Stops the clock at once; it starts again when the game next looks
    // (go), so that game and sound go on together.
    hold: function(why, on) {
      ZEPSTILL.holds[why] = on;
      if (ZEPSTILL.held() && ZEPSTILL.stoppedat === null) {
        ZEPSTILL.stoppedat = performance.now();
        ZEPSTILL.sound();
      }
    },
    go: function() {
      if (ZEPSTILL.held()) return false;
      if (ZEPSTILL.stoppedat !== null) {
        ZEPSTILL.lost += performance.now() - ZEPSTILL.stoppedat;
        ZEPSTILL.stoppedat = null;
        ZEPSTILL.sound();
      }
      return true;
    },
    init: function() {
      if (typeof document == 'undefined') return;
      var hidden = function() { ZEPSTILL.hold('hidden', document.visibilityState == 'hidden'); };
      document.addEventListener('visibilitychange', hidden);
      hidden();
      window.addEventListener('message', function(e) {
        // from the embedding page only (itself, for a page on its own)
        if (e.source !== window.parent || !e.data || typeof e.data != 'object') return;
        var what = e.data.zep;
        if (what == 'pause' || what == 'resume') ZEPSTILL.hold('paused', what == 'pause');
        else if (what == 'mute' || what == 'unmute') {
          ZEPSTILL.muted = what == 'mute';
          ZEPSTILL.sound();
        }
      });
    }
  },

  // the page's clock in milliseconds, standing still while the game is held
  zep_now__deps: ['$ZEPSTILL'],
  zep_now: function() { return ZEPSTILL.now(); },
  // 1 while the game is held still, 0 once it may go on
  zep_still__deps: ['$ZEPSTILL'],
  zep_still: function() { return ZEPSTILL.go() ? 0 : 1; },

  // the mixer and its calls, for the browser test
  $ZEPMIX__postset: 'Module["mixer"] = ZEPMIX; Module["Mix"] = {' +
    ['AllocateChannels', 'ReserveChannels', 'GroupChannels', 'GroupAvailable', 'GroupOldest', 'PlayChannelTimed', 'Playing', 'HaltChannel', 'FadeInMusic', 'HaltMusic', 'PauseMusic', 'ResumeMusic', 'PlayingMusic', 'PausedMusic', 'FadingMusic', 'Volume', 'VolumeMusic'].map(function(f) { return f + ': _Mix_' + f; }).join(', ') + '};',
  $ZEPMIX__deps: ['$ZEPSTILL', 'Mix_AllocateChannels', 'Mix_ReserveChannels', 'Mix_GroupChannels', 'Mix_GroupAvailable', 'Mix_GroupOldest', 'Mix_PlayChannelTimed', 'Mix_Playing', 'Mix_HaltChannel', 'Mix_FadeInMusic', 'Mix_HaltMusic', 'Mix_PauseMusic', 'Mix_ResumeMusic', 'Mix_PlayingMusic', 'Mix_PausedMusic', 'Mix_FadingMusic', 'Mix_Volume', 'Mix_VolumeMusic'],
  $ZEPMIX: {
    open: false,
    ctx: null,       // made at the first key press: browsers let sound out only after one
    decoder: null,
    pending: 0,      // sounds still being decoded
    channels: [],
    reserved: 0,
    chunks: [null],  // by id; 0 is no chunk
    rw: [null],
    music: null,     // what plays: {chunk, loops, start, fade, paused, at}
    musicvolume: 128,
    now: function() { return ZEPSTILL.now(); },
    unlock: function() {
      if (!ZEPMIX.open) return;
      if (!ZEPMIX.ctx) {
        ZEPMIX.ctx = new AudioContext();
        ZEPMIX.channels.forEach(function(c, i) { ZEPMIX.sound(i); });
        ZEPMIX.musicsound();
      }
      ZEPSTILL.sound();
    },
    chunklength: function(c, loops) {
      return c.buffer ? c.buffer.duration * 1000 * (loops + 1) : c.failed ? 0 : Infinity;
    },
    playing: function(i) {
      var c = ZEPMIX.channels[i];
      return c.chunk != 0 && ZEPMIX.now() < c.end;
    },
    stop: function(node) {
      if (node) try { node.stop(); } catch (e) {}
    },
    // Starts the Web Audio nodes of channel i where its sound is by now.
    sound: function(i) {
      var c = ZEPMIX.channels[i], ctx = ZEPMIX.ctx, chunk = ZEPMIX.chunks[c.chunk];
      ZEPMIX.stop(c.node);
      c.node = null;
      if (!ctx || !chunk || !chunk.buffer || !ZEPMIX.playing(i)) return;
      var src = ctx.createBufferSource(), vol = ctx.createGain();
      var split = ctx.createChannelSplitter(2), merge = ctx.createChannelMerger(2);
      var left = ctx.createGain(), right = ctx.createGain();
      src.buffer = chunk.buffer;
      src.loop = c.loops != 0;
      // a mono sound goes to both sides, as SDL_mixer converts it
      vol.channelCount = 2;
      vol.channelCountMode = 'explicit';
      vol.gain.value = c.volume / 128;
      left.gain.value = c.left / 255;
      right.gain.value = c.right / 255;
      src.connect(vol);
      vol.connect(split);
      split.connect(left, 0);
      split.connect(right, 1);
      left.connect(merge, 0, 0);
      right.connect(merge, 0, 1);
      merge.connect(ZEPSTILL.output(ctx));
      var elapsed = ZEPMIX.now() - c.start;
      src.start(0, (elapsed / 1000) % chunk.buffer.duration);
      if (c.end != Infinity) src.stop(ctx.currentTime + (c.end - ZEPMIX.now()) / 1000);
      c.node = src;
    },
    musicplaying: function() {
      var m = ZEPMIX.music;
      if (!m) return false;
      var c = ZEPMIX.chunks[m.chunk];
      if (m.loops < 0 || !c) return true;
      // SDL_mixer plays music once for a count of 0 or 1
      return (m.paused ? m.at : ZEPMIX.now() - m.start) < ZEPMIX.chunklength(c, Math.max(m.loops, 1) - 1);
    },
    musicsound: function() {
      var m = ZEPMIX.music, ctx = ZEPMIX.ctx;
      if (!m) return;
      ZEPMIX.stop(m.node);
      m.node = null;
      var c = ZEPMIX.chunks[m.chunk];
      if (!ctx || m.paused || !c || !c.buffer || !ZEPMIX.musicplaying()) return;
      var src = ctx.createBufferSource(), gain = ctx.createGain();
      src.buffer = c.buffer;
      src.loop = m.loops < 0 || m.loops > 1;
      src.connect(gain);
      gain.connect(ZEPSTILL.output(ctx));
      var elapsed = ZEPMIX.now() - m.start, full = ZEPMIX.musicvolume / 128, t = ctx.currentTime;
      if (elapsed < m.fade) {
        gain.gain.setValueAtTime(full * elapsed / m.fade, t);
        gain.gain.linearRampToValueAtTime(full, t + (m.fade - elapsed) / 1000);
      } else gain.gain.value = full;
      src.start(0, (elapsed / 1000) % c.buffer.duration);
      if (m.loops >= 0) src.stop(t + (ZEPMIX.chunklength(c, Math.max(m.loops, 1) - 1) - elapsed) / 1000);
      m.node = src;
      m.gain = gain;
    },
    load: function(rw, freesrc) {
      var r = ZEPMIX.rw[rw];
      if (!r || !ZEPMIX.decoder) return 0;
      var bytes = HEAPU8.slice(r.ptr, r.ptr + r.size);
      if (freesrc) ZEPMIX.rw[rw] = null;
      var chunk = {buffer: null, failed: false};
      var id = ZEPMIX.chunks.push(chunk) - 1;
      ZEPMIX.pending++;
      var done = function() {
        ZEPMIX.pending--;
        // channels that started it while it was decoded now know their end
        ZEPMIX.channels.forEach(function(c, i) {
          if (c.chunk != id) return;
          c.end = c.start + Math.min(ZEPMIX.chunklength(chunk, c.loops), c.ticks < 0 ? Infinity : c.ticks);
          ZEPMIX.sound(i);
        });
        if (ZEPMIX.music && ZEPMIX.music.chunk == id) ZEPMIX.musicsound();
      };
      ZEPMIX.decoder.decodeAudioData(bytes.buffer).then(function(buffer) {
        chunk.buffer = buffer;
        done();
      }, function() {
        chunk.failed = true;
        err('zEP: a sound could not be decoded');
        done();
      });
      return id;
    }
  },

  SDL_RWFromConstMem__deps: ['$ZEPMIX'],
  SDL_RWFromConstMem: function(ptr, size) {
    return ZEPMIX.rw.push({ptr: ptr, size: size}) - 1;
  },
  SDL_RWFromMem: 'SDL_RWFromConstMem',
  SDL_FreeRW: function(rw) { ZEPMIX.rw[rw] = null; },

  Mix_Init: function(flags) {
    // Ogg Vorbis (8) is what Web Audio decodes here
    return typeof OfflineAudioContext != 'undefined' ? flags & 8 : 0;
  },
  Mix_Quit: function() {},
  Mix_OpenAudio__deps: ['Mix_AllocateChannels'],
  Mix_OpenAudio: function(frequency, format, channels, chunksize) {
    if (typeof OfflineAudioContext == 'undefined') return -1;
    ZEPMIX.decoder = new OfflineAudioContext(2, 1, frequency);
    ZEPMIX.open = true;
    _Mix_AllocateChannels(8);
    return 0;
  },
  Mix_CloseAudio__deps: ['Mix_HaltChannel', 'Mix_HaltMusic'],
  Mix_CloseAudio: function() {
    _Mix_HaltChannel(-1);
    _Mix_HaltMusic();
    ZEPMIX.open = false;
  },
  Mix_QuerySpec: function(frequency, format, channels) {
    if (!ZEPMIX.open) return 0;
    if (frequency) HEAP32[frequency >> 2] = ZEPMIX.decoder.sampleRate;
    if (format) HEAP16[format >> 1] = 0x8010;
    if (channels) HEAP32[channels >> 2] = 2;
    return 1;
  },
  Mix_AllocateChannels: function(n) {
    if (n < 0) return ZEPMIX.channels.length;
    for (var i = n; i < ZEPMIX.channels.length; i++) ZEPMIX.stop(ZEPMIX.channels[i].node);
    ZEPMIX.channels.length = Math.min(ZEPMIX.channels.length, n);
    while (ZEPMIX.channels.length < n)
      ZEPMIX.channels.push({chunk: 0, tag: -1, volume: 128, left: 255, right: 255, start: 0, end: 0, loops: 0, ticks: -1, node: null});
    return n;
  },
  Mix_ReserveChannels: function(n) {
    ZEPMIX.reserved = Math.max(0, Math.min(n, ZEPMIX.channels.length));
    return ZEPMIX.reserved;
  },
  Mix_GroupChannel: function(which, tag) {
    if (which < 0 || which >= ZEPMIX.channels.length) return 0;
    ZEPMIX.channels[which].tag = tag;
    return 1;
  },
  Mix_GroupChannels__deps: ['Mix_GroupChannel'],
  Mix_GroupChannels: function(from, to, tag) {
    var n = 0;
    for (var i = from; i <= to; i++) n += _Mix_GroupChannel(i, tag);
    return n;
  },
  // the lowest channel of the group that is not playing
  Mix_GroupAvailable: function(tag) {
    for (var i = 0; i < ZEPMIX.channels.length; i++)
      if ((tag == -1 || ZEPMIX.channels[i].tag == tag) && !ZEPMIX.playing(i)) return i;
    return -1;
  },
  // the channel of the group playing longest; of equal starts the later channel
  Mix_GroupOldest: function(tag) {
    var chosen = -1, oldest = ZEPMIX.now();
    for (var i = 0; i < ZEPMIX.channels.length; i++) {
      var c = ZEPMIX.channels[i];
      if ((tag == -1 || c.tag == tag) && ZEPMIX.playing(i) && c.start <= oldest) {
        oldest = c.start;
        chosen = i;
      }
    }
    return chosen;
  },
  Mix_Volume: function(which, volume) {
    if (which < 0) {
      var sum = 0;
      for (var i = 0; i < ZEPMIX.channels.length; i++) sum += _Mix_Volume(i, volume);
      return ZEPMIX.channels.length ? Math.floor(sum / ZEPMIX.channels.length) : 0;
    }
    var c = ZEPMIX.channels[which];
    if (!c) return 0;
    var was = c.volume;
    if (volume >= 0) c.volume = Math.min(volume, 128);
    return was;
  },
  Mix_SetPanning: function(which, left, right) {
    var c = ZEPMIX.channels[which];
    if (!c) return 0;
    c.left = left & 255;
    c.right = right & 255;
    return 1;
  },
  Mix_PlayChannelTimed: function(which, chunk, loops, ticks) {
    if (!ZEPMIX.open || !ZEPMIX.chunks[chunk]) return -1;
    if (which == -1) {
      for (which = ZEPMIX.reserved; which < ZEPMIX.channels.length && ZEPMIX.playing(which); which++);
      if (which == ZEPMIX.channels.length) return -1;
    }
    var c = ZEPMIX.channels[which];
    if (!c) return -1;
    c.chunk = chunk;
    c.loops = loops;
    c.ticks = ticks;
    c.start = ZEPMIX.now();
    // a count of -1 loops for ever
    c.end = c.start + Math.min(loops < 0 ? Infinity : ZEPMIX.chunklength(ZEPMIX.chunks[chunk], loops),
                               ticks < 0 ? Infinity : ticks);
    ZEPMIX.sound(which);
    return which;
  },
  Mix_PlayChannel__deps: ['Mix_PlayChannelTimed'],
  Mix_PlayChannel: function(which, chunk, loops) { return _Mix_PlayChannelTimed(which, chunk, loops, -1); },
  Mix_Playing: function(which) {
    if (which >= 0) return which < ZEPMIX.channels.length && ZEPMIX.playing(which) ? 1 : 0;
    var n = 0;
    for (var i = 0; i < ZEPMIX.channels.length; i++) n += ZEPMIX.playing(i) ? 1 : 0;
    return n;
  },
  Mix_HaltChannel: function(which) {
    for (var i = 0; i < ZEPMIX.channels.length; i++) {
      if (which != -1 && which != i) continue;
      ZEPMIX.channels[i].chunk = 0;
      ZEPMIX.sound(i);
    }
    return 0;
  },
  Mix_LoadWAV_RW: function(rw, freesrc) { return ZEPMIX.load(rw, freesrc); },
  Mix_LoadMUS_RW: function(rw) { return ZEPMIX.load(rw, 0); },
  Mix_FreeChunk__deps: ['Mix_HaltChannel'],
  Mix_FreeChunk: function(chunk) {
    ZEPMIX.channels.forEach(function(c, i) { if (c.chunk == chunk) _Mix_HaltChannel(i); });
    ZEPMIX.chunks[chunk] = null;
  },
  Mix_FreeMusic__deps: ['Mix_HaltMusic'],
  Mix_FreeMusic: function(music) {
    if (ZEPMIX.music && ZEPMIX.music.chunk == music) _Mix_HaltMusic();
    ZEPMIX.chunks[music] = null;
  },
  Mix_FadeInMusic__deps: ['Mix_HaltMusic'],
  Mix_FadeInMusic: function(music, loops, ms) {
    if (!ZEPMIX.open || !ZEPMIX.chunks[music]) return -1;
    _Mix_HaltMusic();
    ZEPMIX.music = {chunk: music, loops: loops, start: ZEPMIX.now(), fade: Math.max(ms, 0), paused: false, at: 0, node: null};
    ZEPMIX.musicsound();
    return 0;
  },
  Mix_PlayMusic__deps: ['Mix_FadeInMusic'],
  Mix_PlayMusic: function(music, loops) { return _Mix_FadeInMusic(music, loops, 0); },
  Mix_HaltMusic: function() {
    if (ZEPMIX.music) ZEPMIX.stop(ZEPMIX.music.node);
    ZEPMIX.music = null;
    return 0;
  },
  Mix_PauseMusic: function() {
    var m = ZEPMIX.music;
    if (!m || m.paused) return;
    m.at = ZEPMIX.now() - m.start;
    m.paused = true;
    ZEPMIX.musicsound();
  },
  Mix_ResumeMusic: function() {
    var m = ZEPMIX.music;
    if (!m || !m.paused) return;
    m.start = ZEPMIX.now() - m.at;
    m.paused = false;
    ZEPMIX.musicsound();
  },
  Mix_PlayingMusic: function() { return ZEPMIX.musicplaying() ? 1 : 0; },
  Mix_PausedMusic: function() { return ZEPMIX.music && ZEPMIX.music.paused ? 1 : 0; },
  // MIX_FADING_IN (2) while a fade-in is under way, else MIX_NO_FADING (0)
  Mix_FadingMusic: function() {
    var m = ZEPMIX.music;
    return m && ZEPMIX.musicplaying() && (m.paused ? m.at : ZEPMIX.now() - m.start) < m.fade ? 2 : 0;
  },
  Mix_VolumeMusic: function(volume) {
    var was = ZEPMIX.musicvolume;
    if (volume >= 0) {
      ZEPMIX.musicvolume = Math.min(volume, 128);
      ZEPMIX.musicsound();
    }
    return was;
  }
});
