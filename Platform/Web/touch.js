// The page on a touch screen. Nothing of it shows until a finger touches the
// page; then an 8-way stick, the fire, bomb and focus buttons, an Escape that
// acts only when held and a full-screen control appear, and the picture is
// laid out around them. Their button bits join the keyboard's and the pad's:
// zep.js's zep_buttons takes them through ZepTouch.take(). A key, or a pad
// button (zep.js's zep_pad calls ZepTouch.hide()), hides them again. Sound
// is asked for (Module.unlock, from zep.js) at every touch gesture until it
// runs, on the events where iOS grants it (touchend, pointerup), and again
// when the page comes back into view.
// Needs: the page's canvas #screen and its Module.fit.
'use strict';
(function() {
  // the button bits of Platform/Input.h
  var Left = 0x1, Right = 0x2, Up = 0x4, Down = 0x8, Fire1 = 0x10, Fire2 = 0x20, Fire4 = 0x80, Escape = 0x80000000;
  // the stick's eight ways, from pointing right clockwise (y grows down) in 45 degree sectors
  var ways = [Right, Right | Down, Down, Down | Left, Left, Left | Up, Up, Up | Right];
  var deadzone = 0.25;   // of the stick's radius: a resting thumb moves nothing
  var holdms = 500;      // how long Escape must be held: a stray thumb leaves nothing
  var reach = 0.35;      // a control answers this far beyond its edge, in units (below)
  // Everything is sized from one unit, u CSS pixels: radii, and the buttons'
  // places from the centre of their cluster. Fire and focus answer together
  // in the narrow gap between them, so that one thumb can hold both.
  var stickr = 1.5, knobr = 0.6, cornerr = 0.45, clusterw = 3.2;
  var buttons = [
    {name: 'fire', label: 'Fire', bit: Fire1, r: 0.8, x: 0.8, y: 0.3},
    {name: 'focus', label: 'Focus', bit: Fire4, r: 0.6, x: -0.7, y: 0.7},
    {name: 'bomb', label: 'Bomb', bit: Fire2, r: 0.6, x: -0.45, y: -1.2}
  ];

  var style = document.createElement('style'), placed = document.createElement('style');
  // touch-action from the start, or the first touch could already zoom
  style.textContent =
    'html, body { touch-action: none; }\n' +
    'html.zep-touch, html.zep-touch body { user-select: none; -webkit-user-select: none; -webkit-touch-callout: none; }\n' +
    'html.zep-touch #full { display: none !important; }\n' +
    '#touch { position: fixed; left: 0; top: 0; right: 0; bottom: 0; pointer-events: none; z-index: 1; }\n' +
    '#touch div { position: absolute; box-sizing: border-box; border-radius: 50%; display: flex;\n' +
    '  align-items: center; justify-content: center; color: var(--text); font-family: sans-serif;\n' +
    '  border: 2px solid rgba(224, 255, 224, 0.5); background: rgba(0, 0, 0, 0.3); }\n' +
    '#touch [hidden] { display: none; }\n' +
    '#touch div.down { background: rgba(224, 255, 224, 0.35); }\n' +
    '#touch .knob { background: rgba(224, 255, 224, 0.25); }\n' +
    '#touch .escape { overflow: hidden; }\n' +
    '#touch .escape span { position: absolute; left: 0; right: 0; bottom: 0; height: 0;\n' +
    '  background: rgba(224, 255, 224, 0.5); transition: height 0s; }\n' +
    '#touch .escape.down span { height: 100%; transition: height ' + holdms + 'ms linear; }\n' +
    '#touch .escape.held { border-color: var(--text); }\n';
  document.head.appendChild(style);
  document.head.appendChild(placed);

  var overlay = document.createElement('div');
  overlay.id = 'touch';
  overlay.hidden = true;
  function Control(name, label) {
    var el = document.createElement('div');
    el.className = name;
    el.textContent = label;
    overlay.appendChild(el);
    return {el: el, x: 0, y: 0, r: 0};
  }
  var stick = Control('stick', ''), knob = Control('knob', '');
  var escape = Control('escape', 'Esc'), full = Control('full', 'Full');
  escape.el.appendChild(document.createElement('span'));
  buttons.forEach(function(b) { b.control = Control(b.name, b.label); });
  document.body.appendChild(overlay);

  var shown = false, u = 0;
  var pointers = {};   // what each finger holds, by pointerId: {on, bits, ...}
  var latched = 0;     // bits pressed since the game last took them, so that a short tap counts
  var was = 0;         // the bits held at the last change

  function Place(c, x, y, r) {
    c.x = x;
    c.y = y;
    c.r = r;
    var s = c.el.style;
    s.left = x - r + 'px';
    s.top = y - r + 'px';
    s.width = s.height = 2 * r + 'px';
    s.fontSize = Math.round(0.32 * u) + 'px';
  }

  // The picture as the page fits it (Module.fit: whole multiples of 320x240
  // device pixels, never blurred). Portrait: at the top, the controls below
  // it. Landscape: centred, the controls beside it, or over its edges where
  // the sides are too narrow for them.
  function Layout() {
    if (!shown || !window.Module || !Module.fit) return;
    var W = innerWidth, H = innerHeight, landscape = W > H;
    u = Math.max(24, Math.min(64, Math.min(W, H) / 8));
    var picture = Module.fit({left: 0, top: 0, width: W, height: landscape ? H : H - 5 * u});
    if (!landscape) picture.top = 0;
    var px = picture.left, ph = picture.height;
    placed.textContent = '#screen { left: ' + px + 'px !important; top: ' + picture.top + 'px !important; width: ' +
      picture.width + 'px !important; height: ' + ph + 'px !important; }';
    var R = stickr * u, sx, bx, cy, by;
    if (landscape) {
      sx = px >= 2 * R + u ? px / 2 : R + 0.5 * u;
      bx = px >= (clusterw + 1) * u ? W - px / 2 : W - (clusterw / 2 + 0.4) * u;
      cy = H - R - 0.6 * u;
      by = H - 2.1 * u;
      Place(escape, 0.7 * u, 0.7 * u, cornerr * u);
      Place(full, W - 0.7 * u, 0.7 * u, cornerr * u);
    } else {
      cy = Math.min((ph + 1.4 * u + H) / 2, H - R - 0.5 * u);
      by = cy;
      sx = R + 0.5 * u;
      bx = W - (clusterw / 2 + 0.4) * u;
      Place(escape, 0.7 * u, ph + 0.7 * u, cornerr * u);
      Place(full, W - 0.7 * u, ph + 0.7 * u, cornerr * u);
    }
    Place(stick, sx, cy, R);
    Place(knob, sx, cy, knobr * u);
    buttons.forEach(function(b) { Place(b.control, bx + b.x * u, by + b.y * u, b.r * u); });
    full.el.hidden = !document.fullscreenEnabled;
  }

  function Near(c, x, y) { return Math.hypot(x - c.x, y - c.y) <= c.r + reach * u; }
  function StickBits(x, y) {
    var dx = x - stick.x, dy = y - stick.y, d = Math.hypot(dx, dy), R = stick.r - knob.r;
    var k = d > R ? R / d : 1;
    knob.el.style.transform = 'translate(' + dx * k + 'px, ' + dy * k + 'px)';
    return d < deadzone * stick.r ? 0 : ways[(Math.round(Math.atan2(dy, dx) / (Math.PI / 4)) + 8) % 8];
  }
  function ButtonBits(x, y) {
    var bits = 0;
    buttons.forEach(function(b) { if (Near(b.control, x, y)) bits |= b.bit; });
    return bits;
  }

  // Shows what is held, and keeps it for the game's next look.
  function Held() {
    var held = 0;
    for (var id in pointers) held |= pointers[id].bits;
    return held >>> 0;
  }
  function Changed() {
    var held = Held(), stickheld = false;
    for (var id in pointers) stickheld = stickheld || pointers[id].on == stick;
    latched = (latched | (held & ~was)) >>> 0;
    was = held;
    buttons.forEach(function(b) { b.control.el.classList.toggle('down', (held & b.bit) != 0); });
    if (!stickheld) knob.el.style.transform = '';
  }

  function Press(e) {
    var x = e.clientX, y = e.clientY, p = {on: null, bits: 0};
    if (Near(escape, x, y)) {
      p.on = escape;
      escape.el.classList.add('down');
      p.timer = setTimeout(function() {
        p.bits = Escape;
        escape.el.classList.add('held');
        Changed();
      }, holdms);
    } else if (!full.el.hidden && Near(full, x, y)) p.on = full;
    else if (Near(stick, x, y)) {
      p.on = stick;
      p.bits = StickBits(x, y);
    } else p.bits = ButtonBits(x, y);
    pointers[e.pointerId] = p;
    Changed();
  }
  function Move(e) {
    var p = pointers[e.pointerId];
    if (!p) return;
    if (p.on == stick) p.bits = StickBits(e.clientX, e.clientY);
    else if (p.on == escape || p.on == full) {
      // sliding off a corner control lets it go
      if (!Near(p.on, e.clientX, e.clientY)) return Release(e, false);
    } else p.bits = ButtonBits(e.clientX, e.clientY);
    Changed();
  }
  function Release(e, up) {
    var p = pointers[e.pointerId];
    if (!p) return;
    delete pointers[e.pointerId];
    clearTimeout(p.timer);
    if (p.on == escape) escape.el.classList.remove('down', 'held');
    if (p.on == full && up) FullScreen();
    Changed();
  }

  // In full screen the phone is held sideways: the lock fails where the
  // browser does not allow it, and full screen still holds.
  function FullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function() {});
      return;
    }
    document.documentElement.requestFullscreen().then(function() {
      if (screen.orientation && screen.orientation.lock) return screen.orientation.lock('landscape');
    }).catch(function() {});
  }

  function Show() {
    shown = true;
    document.documentElement.classList.add('zep-touch');
    overlay.hidden = false;
    Layout();
  }
  function Hide() {
    if (!shown) return;
    shown = false;
    for (var id in pointers) clearTimeout(pointers[id].timer);
    pointers = {};
    latched = 0;
    escape.el.classList.remove('down', 'held');
    Changed();
    document.documentElement.classList.remove('zep-touch');
    overlay.hidden = true;
    placed.textContent = '';
    // the page's own layout again
    window.dispatchEvent(new Event('resize'));
  }

  // the first touch only shows the controls: it lands where none were seen
  window.addEventListener('pointerdown', function(e) {
    if (e.pointerType == 'mouse') return;
    if (shown) Press(e);
    else Show();
  });
  window.addEventListener('pointermove', function(e) { if (shown) Move(e); });
  window.addEventListener('pointerup', function(e) { Release(e, true); });
  window.addEventListener('pointercancel', function(e) { Release(e, false); });
  window.addEventListener('keydown', Hide, true);
  window.addEventListener('resize', Layout);
  window.addEventListener('contextmenu', function(e) { if (shown) e.preventDefault(); });
  // A touch is the page's own: it scrolls and clicks nothing, and Chromium
  // does not hold the game's timers back for a gesture that might follow (it
  // did, some 90 ms after each touch, with the CPU slowed). The page's
  // buttons keep their clicks.
  window.addEventListener('touchstart', function(e) {
    if (!(e.target.closest && e.target.closest('button'))) e.preventDefault();
  }, {passive: false});
  // iOS zooms on its own gesture events, whatever touch-action says
  document.addEventListener('gesturestart', function(e) { e.preventDefault(); });

  function Unlock() { if (window.Module && Module.unlock) Module.unlock(); }
  window.addEventListener('touchend', Unlock);
  window.addEventListener('pointerup', function(e) { if (e.pointerType != 'mouse') Unlock(); });
  document.addEventListener('visibilitychange', function() { if (!document.hidden) Unlock(); });
  // iOS: game sound as media, not silenced by the ringer switch
  try { if (navigator.audioSession) navigator.audioSession.type = 'playback'; } catch (e) {}

  window.ZepTouch = {
    // the bits held now and those pressed and let go since the last call
    take: function() {
      var bits = (latched | Held()) >>> 0;
      latched = 0;
      return bits;
    },
    // zep.js's zep_pad, when a pad's button is down
    hide: Hide
  };
})();
