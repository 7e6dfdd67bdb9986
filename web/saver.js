// The saver in a browser window: the window is the screen. The field, its
// step and the colour lookup run in the WebAssembly core and make the
// 256 x 256 source picture of the saver's blit; the canvas enlarges it over
// the drawing area without smoothing, one frame per display refresh, with the
// core's own column and row maps.
//
// Query: pattern=square|ring, size=full|800x600|640x480 (as the settings
// dialog offers them), and for the home page's use: embed=1 (a live picture
// in the page: input does not end it), run=0 (one still frame until the
// page reloads it), screen=WxH (draw as on a screen of that many pixels,
// 1 to 32,767 each way, and fit that screen into the window), host=page (full
// screen over the home page: ending it tells the page instead of going back
// to it). A value the page does not know is ignored.
'use strict';

(function () {
  const query = new URLSearchParams(location.search);
  // Maps, not objects: a name such as "constructor" is no pattern or size.
  const PATTERNS = new Map([['square', 0], ['ring', 1]]);
  const SIZES = new Map([['full', 0], ['800x600', 1], ['640x480', 2]]);
  const pattern = PATTERNS.get(query.get('pattern')) ?? 0;
  const size = SIZES.get(query.get('size')) ?? 0;
  const embedded = query.get('embed') === '1';
  const hosted = query.get('host') === 'page';
  let running = query.get('run') !== '0';
  const virtualScreen = screenOf(query.get('screen'));

  // A screen of W x H pixels, each a size a screen can have in the core's
  // 16 bits; null for anything else.
  function screenOf(text) {
    const match = /^(\d{1,5})x(\d{1,5})$/.exec(text || '');
    const extents = match ? [Number(match[1]), Number(match[2])] : [];
    return extents.length && extents.every((n) => n >= 1 && n <= 32767) ? extents : null;
  }

  const japanese = (navigator.languages || [navigator.language]).some((l) => /^ja\b/i.test(l));
  document.documentElement.lang = japanese ? 'ja' : 'en';
  // One of a note's two languages, the browser's.
  function showNote(note) {
    note.querySelector(japanese ? '[lang=en]' : '[lang=ja]').hidden = true;
    note.hidden = false;
  }

  // The page's canvas, and the drawing area's visible columns: each picture
  // column stretched over the canvas columns that show it, from where its
  // rows are then stretched the same way onto the canvas. Both are replaced
  // when the browser cannot hold them (see fitCanvas).
  let canvas = document.getElementById('screen');
  let context = canvas.getContext('2d', { alpha: false });
  let columns = document.createElement('canvas');
  let columnsContext = columns.getContext('2d', { alpha: false });
  const picture = document.createElement('canvas');
  picture.width = picture.height = 256;
  const pictureContext = picture.getContext('2d');
  if (virtualScreen) canvas.classList.add('fitted');

  // What the tests and the home page read: the frame count, the screen's
  // size, the drawing area on it, how many times the canvas is smaller than
  // the screen (see fitCanvas).
  const state = { pattern: pattern ? 'ring' : 'square', size, frames: 0, area: null,
                  width: 0, height: 0, reduction: 1, ended: false };
  window.varomineaSaver = state;

  // ---------------------------------------------------------------- ending

  // As the saver ends on Windows: any key or button, or a real mouse move,
  // one that changes both coordinates from the first position seen (the
  // events a window gets when the pointer merely appears under it do not).
  function end() {
    if (state.ended) return;
    state.ended = true;
    if (hosted) {
      parent.postMessage('varominea-saver-end', '*');
    } else {
      location.href = 'index.html';
    }
  }
  if (!embedded) {
    let first = null;
    addEventListener('keydown', (e) => {
      // F11 is the browser's own full-screen key, which the hint offers.
      if (e.key === 'F11') return;
      e.preventDefault();
      end();
    });
    addEventListener('mousedown', (e) => { e.preventDefault(); end(); });
    addEventListener('touchstart', end, { passive: true });
    addEventListener('contextmenu', (e) => e.preventDefault());
    addEventListener('mousemove', (e) => {
      if (first === null) {
        first = { x: e.screenX, y: e.screenY };
      } else if (e.screenX !== first.x && e.screenY !== first.y) {
        end();
      }
    });
    if (!hosted) {
      const hint = document.getElementById('hint');
      showNote(hint);
      setTimeout(() => hint.classList.add('gone'), 3000);
    }
    focus();
  }

  // ---------------------------------------------------------------- frames

  function screenSize() {
    if (virtualScreen) return virtualScreen;
    // Device pixels: "800 x 600" is 800 x 600 pixels at every display scale.
    const scale = devicePixelRatio || 1;
    return [Math.max(1, Math.round(innerWidth * scale)), Math.max(1, Math.round(innerHeight * scale))];
  }

  // The browser draws nothing on a canvas past its limits (Chromium's: 65,535
  // pixels a side, 2^28 pixels in all; other browsers' are lower) and tells
  // it only by reading back transparent black where a pixel was drawn; such
  // a canvas stays unusable for a while even at a size it could hold. The
  // canvas then holds the screen at a half, a third, ... of its size, the
  // first that the browser holds (on new canvases), and the page enlarges it
  // over the window; returns that divisor. A size no larger either way than
  // one held before needs no trial (each reads a pixel back).
  let held = { width: 0, height: 0 };
  function fitCanvas(width, height) {
    const holds = (c) => {
      if (c.canvas.width <= held.width && c.canvas.height <= held.height) return true;
      c.fillStyle = '#fff';
      c.fillRect(c.canvas.width - 1, c.canvas.height - 1, 1, 1);
      return c.getImageData(c.canvas.width - 1, c.canvas.height - 1, 1, 1).data[3] === 255;
    };
    for (let reduction = 1; ; ++reduction) {
      canvas.width = columns.width = Math.ceil(width / reduction);
      canvas.height = Math.ceil(height / reduction);
      columns.height = 256;
      if (holds(context) && holds(columnsContext)) {
        held = { width: Math.max(held.width, canvas.width),
                 height: Math.max(held.height, canvas.height) };
        return reduction;
      }
      if (canvas.width * canvas.height <= 1) return reduction;
      const fresh = canvas.cloneNode(false);
      canvas.replaceWith(fresh);
      canvas = fresh;
      context = canvas.getContext('2d', { alpha: false });
      columns = document.createElement('canvas');
      columnsContext = columns.getContext('2d', { alpha: false });
    }
  }

  // Locked-down browser modes may leave a page without WebAssembly, or refuse
  // to compile it: the page says so instead of the picture.
  function unavailable() {
    document.getElementById('hint').hidden = true;
    showNote(document.getElementById('unavailable'));
    document.documentElement.dataset.ready = 'unavailable';
  }

  function run(core) {
    const address = core._varominea_start(pattern);
    if (!address) return;
    const image = new ImageData(new Uint8ClampedArray(core.HEAPU8.buffer, address, 256 * 256 * 4),
                                256, 256);
    const layoutWords = core._varominea_layout_words();
    const layoutAddress = core._malloc(4 * layoutWords);
    // Per frame: the picture columns [picture, x, width] onto `columns`, its
    // rows [picture, y, height] onto the canvas at visibleX, visibleWidth wide.
    let columnDraws = [], rowDraws = [], visibleX = 0, visibleWidth = 0;

    // A new screen size: the drawing area placed again, the rest black.
    function layOut(width, height) {
      const reduction = fitCanvas(width, height);
      core._varominea_layout(width, height, size, layoutAddress);
      const words = core.HEAP32.subarray(layoutAddress >> 2, (layoutAddress >> 2) + layoutWords);
      const [left, top, w, h, shownLeft, , shownWidth, , columnRuns, rowRuns] = words;
      state.area = { left, top, width: w, height: h };
      state.width = width;
      state.height = height;
      state.reduction = reduction;
      // Screen pixels to canvas pixels: the same for every run's edges, so
      // that the runs still meet without a gap.
      const at = (v) => Math.round(v / reduction);
      visibleX = at(shownLeft);
      visibleWidth = at(shownLeft + shownWidth) - visibleX;
      const draws = (first, count, origin) => {
        const list = [];
        for (let i = first; i < first + 3 * count; i += 3) {
          const begin = at(words[i + 1]), end = at(words[i + 1] + words[i + 2]);
          if (end > begin) list.push([words[i], begin - origin, end - begin]);
        }
        return list;
      };
      columnDraws = draws(10, columnRuns, visibleX);
      rowDraws = draws(10 + 3 * columnRuns, rowRuns, 0);
      // Setting the size resets the contexts: no smoothing, black around.
      for (const c of [context, columnsContext]) {
        c.imageSmoothingEnabled = false;
        c.fillStyle = '#000';
        c.fillRect(0, 0, c.canvas.width, c.canvas.height);
      }
    }

    function draw() {
      const [width, height] = screenSize();
      if (width !== state.width || height !== state.height || !state.area) layOut(width, height);
      pictureContext.putImageData(image, 0, 0);
      for (const [x, at, w] of columnDraws) {
        columnsContext.drawImage(picture, x, 0, 1, 256, at, 0, w, 256);
      }
      for (const [y, at, h] of rowDraws) {
        context.drawImage(columns, 0, y, visibleWidth, 1, visibleX, at, visibleWidth, h);
      }
    }

    function frame() {
      if (state.ended || !running) return;
      core._varominea_step();
      draw();
      state.frames += 1;
      requestAnimationFrame(frame);
    }

    // Stopped: the field as filled, before its first step, laid out again
    // when the window changes size. Running: the first picture is that of
    // the first step, as on Windows.
    if (!running) draw();
    addEventListener('resize', () => { if (!running) draw(); });
    if (running) requestAnimationFrame(frame);
    if (embedded) {
      // The home page's play and pause button.
      addEventListener('message', (e) => {
        if (e.data === 'varominea-run' && !running) {
          running = true;
          requestAnimationFrame(frame);
        } else if (e.data === 'varominea-pause') {
          running = false;
        }
      });
    }
    document.documentElement.dataset.ready = '1';
  }

  if (typeof WebAssembly === 'object') {
    VaromineaCore().then(run, unavailable);
  } else {
    unavailable();
  }
})();
