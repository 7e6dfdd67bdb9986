// The home page: the language (the visitor's choice, else the browser's),
// the live picture with its pattern and size controls, and the saver full
// screen over the page.
'use strict';

(function () {
  const root = document.documentElement;

  // ---------------------------------------------------------------- language

  const LANGUAGES = ['en', 'ja'];
  function chosenLanguage() {
    let stored = null;
    try { stored = localStorage.getItem('varominea-language'); } catch { /* storage off */ }
    if (LANGUAGES.includes(stored)) return stored;
    for (const l of navigator.languages || [navigator.language || 'en']) {
      const primary = String(l).toLowerCase().split('-')[0];
      if (LANGUAGES.includes(primary)) return primary;
    }
    return 'en';
  }
  function setLanguage(language, remember) {
    root.lang = language;
    document.title = language === 'ja' ? 'ヴァロミネア — 色が巡るスクリーンセーバー'
                                       : 'Varominea – a palette-cycling screen saver';
    for (const b of document.querySelectorAll('#language button')) {
      b.setAttribute('aria-pressed', String(b.dataset.lang === language));
    }
    for (const img of document.querySelectorAll('img[data-alt-ja]')) {
      if (!img.dataset.altEn) img.dataset.altEn = img.alt;
      img.alt = language === 'ja' ? img.dataset.altJa : img.dataset.altEn;
    }
    if (remember) {
      try { localStorage.setItem('varominea-language', language); } catch { /* storage off */ }
    }
  }
  setLanguage(chosenLanguage(), false);
  for (const b of document.querySelectorAll('#language button')) {
    b.addEventListener('click', () => setLanguage(b.dataset.lang, true));
  }

  // ---------------------------------------------------------------- live picture

  const live = document.getElementById('live');
  const play = document.getElementById('play');
  const calm = matchMedia('(prefers-reduced-motion: reduce)').matches;
  // Without WebAssembly (locked-down browser modes may leave a page without
  // it) the saver cannot run: the page says so in the picture's place and
  // offers neither the picture's button nor full screen; the rest works.
  const canRun = typeof WebAssembly === 'object';
  if (!canRun) {
    live.hidden = true;
    play.hidden = true;
    document.getElementById('no-wasm').hidden = false;
    document.getElementById('fullscreen').disabled = true;
  }
  // With reduced motion the picture stands still until the visitor starts it.
  let running = !calm;

  function choice(name) {
    return document.querySelector(`input[name=${name}]:checked`).value;
  }
  function query(extra) {
    return `?pattern=${choice('pattern')}&size=${choice('size')}${extra}`;
  }
  function showLive() {
    if (canRun) live.src = `saver.html${query(`&embed=1&screen=1280x720&run=${running ? 1 : 0}`)}`;
    document.getElementById('saver-link').href = `saver.html${query('')}`;
  }
  function showPlayState() {
    play.setAttribute('aria-pressed', String(!running));
    play.querySelector('[lang=en]').textContent = running ? 'Pause' : 'Play the animation';
    play.querySelector('[lang=ja]').textContent = running ? '一時停止' : 'アニメーションを再生';
  }
  play.addEventListener('click', () => {
    running = !running;
    live.contentWindow.postMessage(running ? 'varominea-run' : 'varominea-pause', '*');
    showPlayState();
  });
  for (const input of document.querySelectorAll('.controls input')) {
    input.addEventListener('change', showLive);
  }
  showLive();
  showPlayState();

  // ---------------------------------------------------------------- full screen

  const button = document.getElementById('fullscreen');
  let overlay = null;
  function closeOverlay() {
    if (!overlay) return;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    overlay.remove();
    overlay = null;
    button.focus();
  }
  button.addEventListener('click', () => {
    if (overlay) return;
    overlay = document.createElement('iframe');
    overlay.id = 'overlay';
    overlay.title = root.lang === 'ja' ? 'ヴァロミネア（全画面）' : 'Varominea, full screen';
    overlay.allow = 'fullscreen';
    overlay.src = `saver.html${query('&host=page')}`;
    overlay.addEventListener('load', () => overlay && overlay.contentWindow.focus());
    document.body.appendChild(overlay);
    // The browser may refuse (a phone, a frame): the saver still covers the page.
    if (overlay.requestFullscreen) overlay.requestFullscreen().catch(() => {});
    overlay.focus();
  });
  addEventListener('message', (e) => {
    if (e.data === 'varominea-saver-end') closeOverlay();
  });
  document.addEventListener('fullscreenchange', () => {
    // Left full screen by the browser's own means: the saver goes too.
    if (!document.fullscreenElement && overlay) closeOverlay();
  });
})();
