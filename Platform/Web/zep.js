// The browser side of the platform layer, linked with --js-library: keys,
// the gamepad, the canvas, the end of the game, and the sound's voices over
// Web Audio (Platform/Audio.h, through Platform/Web/Audio.cpp).
mergeInto(LibraryManager.library, {
  $ZEP__postset: 'ZEP.init();',
  $ZEP__deps: ['$ZEPAUDIO'],
  $ZEP: {
    buttons: 0,
    early: 0,    // keys pressed while input was held back
    bits: {},    // the game's keys (zep_keys): the bit of each by its name
    bycode: {},  // the bit each held key set, by KeyboardEvent.code
    frames: 0,
    ready: function() { return Module['soundsIn'] && !ZEPAUDIO.decoding(); },
    init: function() {
      if (typeof window == 'undefined') return;
      // for the page's line saying that keys wait
      Module['keysWait'] = function() { return !ZEP.ready(); };
      // for touch.js, which asks for sound at each touch
      Module['unlock'] = function() { ZEPAUDIO.unlock(); };
      window.addEventListener('keydown', function(e) {
        ZEPAUDIO.unlock();
        // letters by what the layout types, the other keys by their place
        var bit = ZEP.bits[e.code] || ZEP.bits[(e.key || '').toLowerCase()] || 0;
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

  zep_keys__deps: ['$ZEP'],
  zep_keys: function(names, bits, count) {
    for (var i = 0; i < count; i++) ZEP.bits[UTF8ToString(HEAPU32[(names >> 2) + i])] = HEAPU32[(bits >> 2) + i];
  },

  zep_buttons__deps: ['$ZEP', '$ZEPAUDIO'],
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
  zep_pad__deps: ['$ZEP', '$ZEPAUDIO'],
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
      ZEPAUDIO.unlock();
      if (window['ZepTouch']) window['ZepTouch'].hide();
    }
    HEAPU32[buttons >> 2] = bits >>> 0;
    for (var i = 0; i < 8; i++) HEAPF32[(axes >> 2) + i] = i < pad.axes.length ? pad.axes[i] : 0;
    HEAP32[nbuttons >> 2] = pad.buttons.length;
    HEAP32[naxes >> 2] = pad.axes.length;
    return pad.mapping == 'standard' ? 1 : 2;
  },

  zep_bundles_coming: function() { return Module['soundsIn'] ? 0 : 1; },

  zep_present__deps: ['$ZEP'],
  zep_present: function(pixels, width, height) {
    // a view of the frame where it lies (memory never grows), made once,
    // with the canvas the frame's size
    if (!ZEP.image) {
      var canvas = Module['canvas'];
      canvas.width = width;
      canvas.height = height;
      ZEP.ctx = canvas.getContext('2d', {alpha: false});
      ZEP.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
    }
    ZEP.ctx.putImageData(ZEP.image, 0, 0);
    if (++ZEP.frames > 1) return;
    if (Module['onFirstFrame']) Module['onFirstFrame']();
  },

  zep_ended: function(status) {
    if (Module['onEnded']) Module['onEnded'](status);
  },
  // the link takes none of Emscripten's own SDL: the game's exit() tells the page
  SDL_Quit: function() {},

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
    context: function() { return ZEPAUDIO.ctx; },
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

  // Voices over Web Audio: sounds decoded from the game's bytes, a sound
  // started on a channel at a volume and per-side levels, and the music. Which
  // channel, and when it is free again, the game decides (Game/AudioMixer).
  $ZEPAUDIO__deps: ['$ZEPSTILL'],
  $ZEPAUDIO: {
    ctx: null,       // made at the first key press: browsers let sound out only after one
    decoder: null,
    pending: 0,      // sounds still being decoded
    sounds: [null],  // by number, 0 none: {buffer, failed}
    voices: [],      // the node playing on each channel
    music: null,     // {sound, start, fade, node}; a paused one is gone
    musicvolume: 1,
    decoding: function() { return ZEPAUDIO.pending > 0; },
    // at a user gesture; the music already started comes in where it is by now
    unlock: function() {
      if (!ZEPAUDIO.decoder) return;
      if (!ZEPAUDIO.ctx) {
        ZEPAUDIO.ctx = new AudioContext();
        ZEPAUDIO.musicsound();
      }
      ZEPSTILL.sound();
    },
    stop: function(node) {
      if (node) try { node.stop(); } catch (e) {}
    },
    musicsound: function() {
      var m = ZEPAUDIO.music, ctx = ZEPAUDIO.ctx;
      if (!m) return;
      ZEPAUDIO.stop(m.node);
      m.node = null;
      var s = ZEPAUDIO.sounds[m.sound];
      if (!ctx || !s || !s.buffer) return;
      var src = ctx.createBufferSource(), gain = ctx.createGain();
      src.buffer = s.buffer;
      src.loop = true;
      src.connect(gain);
      gain.connect(ZEPSTILL.output(ctx));
      var elapsed = ZEPSTILL.now() - m.start, full = ZEPAUDIO.musicvolume, t = ctx.currentTime;
      if (elapsed < m.fade) {
        gain.gain.setValueAtTime(full * elapsed / m.fade, t);
        gain.gain.linearRampToValueAtTime(full, t + (m.fade - elapsed) / 1000);
      } else gain.gain.value = full;
      src.start(0, (elapsed / 1000) % s.buffer.duration);
      m.node = src;
    }
  },

  zep_audio_open__deps: ['$ZEPAUDIO'],
  zep_audio_open: function() {
    // Ogg Vorbis is what Web Audio decodes here
    if (typeof OfflineAudioContext == 'undefined') return 0;
    ZEPAUDIO.decoder = ZEPAUDIO.decoder || new OfflineAudioContext(2, 1, 22050);
    return 1;
  },
  zep_sound_decode__deps: ['$ZEPAUDIO'],
  zep_sound_decode: function(data, size) {
    if (!ZEPAUDIO.decoder) return 0;
    var s = {buffer: null, failed: false}, id = ZEPAUDIO.sounds.push(s) - 1;
    ZEPAUDIO.pending++;
    ZEPAUDIO.decoder.decodeAudioData(HEAPU8.slice(data, data + size).buffer).then(function(buffer) {
      s.buffer = buffer;
    }, function() {
      s.failed = true;
      err('zEP: a sound could not be decoded');
    }).then(function() {
      ZEPAUDIO.pending--;
      if (ZEPAUDIO.music && ZEPAUDIO.music.sound == id) ZEPAUDIO.musicsound();
    });
    return id;
  },
  zep_sound_length__deps: ['$ZEPAUDIO'],
  zep_sound_length: function(id) {
    var s = ZEPAUDIO.sounds[id];
    return !s || s.failed ? 0 : s.buffer ? Math.ceil(s.buffer.duration * 1000) : -1;
  },
  zep_sound_free__deps: ['$ZEPAUDIO', 'zep_voice_stop'],
  zep_sound_free: function(id) {
    var m = ZEPAUDIO.music;
    if (m && m.sound == id) {
      ZEPAUDIO.stop(m.node);
      ZEPAUDIO.music = null;
    }
    ZEPAUDIO.voices.forEach(function(v, i) { if (v && v.sound == id) _zep_voice_stop(i); });
    ZEPAUDIO.sounds[id] = null;
  },
  zep_voice_start__deps: ['$ZEPAUDIO', 'zep_voice_stop'],
  zep_voice_start: function(channel, id, volume, left, right) {
    var s = ZEPAUDIO.sounds[id], ctx = ZEPAUDIO.ctx;
    if (!s || s.failed) return 0;
    _zep_voice_stop(channel);
    // not yet let out, or not yet decoded: too late for it when it is
    if (!ctx || !s.buffer) return 1;
    var src = ctx.createBufferSource(), vol = ctx.createGain();
    var split = ctx.createChannelSplitter(2), merge = ctx.createChannelMerger(2);
    var l = ctx.createGain(), r = ctx.createGain();
    src.buffer = s.buffer;
    // a mono sound goes to both sides, as SDL_mixer converts it
    vol.channelCount = 2;
    vol.channelCountMode = 'explicit';
    vol.gain.value = volume / 128;
    l.gain.value = left / 255;
    r.gain.value = right / 255;
    src.connect(vol);
    vol.connect(split);
    split.connect(l, 0);
    split.connect(r, 1);
    l.connect(merge, 0, 0);
    r.connect(merge, 0, 1);
    merge.connect(ZEPSTILL.output(ctx));
    src.start();
    ZEPAUDIO.voices[channel] = {sound: id, node: src};
    return 1;
  },
  zep_voice_stop__deps: ['$ZEPAUDIO'],
  zep_voice_stop: function(channel) {
    var v = ZEPAUDIO.voices[channel];
    if (v) ZEPAUDIO.stop(v.node);
    ZEPAUDIO.voices[channel] = null;
  },
  zep_music_start__deps: ['$ZEPAUDIO'],
  zep_music_start: function(id, fade) {
    if (ZEPAUDIO.music) ZEPAUDIO.stop(ZEPAUDIO.music.node);
    ZEPAUDIO.music = {sound: id, start: ZEPSTILL.now(), fade: Math.max(fade, 0), node: null};
    ZEPAUDIO.musicsound();
  },
  zep_music_pause__deps: ['$ZEPAUDIO'],
  zep_music_pause: function() {
    if (ZEPAUDIO.music) ZEPAUDIO.stop(ZEPAUDIO.music.node);
    ZEPAUDIO.music = null;
  },
  zep_music_volume__deps: ['$ZEPAUDIO'],
  zep_music_volume: function(volume) {
    ZEPAUDIO.musicvolume = volume / 128;
    ZEPAUDIO.musicsound();
  }
});
