// VorlixSS in the browser: loads the program (vorlixss.js), applies the settings (defaults,
// then the browser's stored panel choices, then the address's parameters), sizes the canvas,
// and feeds requestAnimationFrame's timestamps to the frame clock. Panel, full screen, the
// idle pointer and the saver parameter are here too.
'use strict';

(function () {
  const storageKey = 'vorlixss.settings';
  const idleMilliseconds = 3000;
  const canvas = document.getElementById('canvas');
  const notice = document.getElementById('notice');
  const panel = document.getElementById('panel');
  const panelRows = document.getElementById('panel-rows');
  const panelError = document.getElementById('panel-error');
  const qualitySelect = document.getElementById('panel-quality');
  const pathShown = document.getElementById('panel-path');
  const qualityNames = ['auto', 'exact', 'fast'];  // in the program's order
  const params = new URLSearchParams(window.location.search);
  const batteryFrameRate = 30;
  let lighter = false;       // on battery: at most batteryFrameRate frames a second
  let lastDrawn = -Infinity; // requestAnimationFrame time of the last frame drawn
  let qualityChosen = false; // the user chose the drawing path
  const isOn = (name) => ['1', 'true', 'on', 'yes'].includes(params.get(name));
  const saverMode = isOn('saver');

  let M = null;          // the program, once loaded
  let table = [];        // the settings table, from the program
  let seed = -1;         // the address's seed; -1: from the clock
  let frameRequest = 0;  // the pending animation frame; 0 while the loop is stopped
  let stopped = true;    // the scene cannot draw (not started, failed, or context lost)

  // The test hook: a test stops the loop and drives fixed tick times itself.
  const hook = { module: null, frames: 0, lighter: false, stopLoop, startLoop };
  window.vorlixss = hook;

  // Calls one of the program's C functions: text in as strings, and the two functions that
  // return text give a string.
  function call(name, ...args) {
    const types = args.map((a) => (typeof a === 'string' ? 'string' : 'number'));
    return M.ccall(name, name === 'vorlix_message' || name === 'vorlix_settings_json' ? 'string'
      : 'number', types, args);
  }
  const programMessage = () => call('vorlix_message');

  // A short notice for bad input; saver mode shows only the picture.
  function showNotice(text) {
    if (saverMode) return;
    notice.textContent = notice.hidden ? text : notice.textContent + '\n' + text;
    notice.hidden = false;
  }

  // A failure that leaves no picture: shown even in saver mode, in place of the picture.
  function showFatal(text) {
    stopped = true;
    document.getElementById('controls').hidden = true;
    panel.hidden = true;
    notice.textContent = text;
    notice.classList.add('fatal');
    notice.hidden = false;
  }

  // Stored panel choices as {option: text}; the browser may refuse storage altogether.
  function readStored() {
    try {
      const parsed = JSON.parse(window.localStorage.getItem(storageKey) || '{}');
      return parsed && typeof parsed === 'object' ? parsed : {};
    } catch (e) {
      return {};
    }
  }
  function writeStored(values) {
    try {
      window.localStorage.setItem(storageKey, JSON.stringify(values));
    } catch (e) { /* no storage here: the choice lasts until the page closes */ }
  }

  // Defaults, then stored choices (bad ones are dropped quietly), then the address.
  function applySettings() {
    call('vorlix_reset_settings');
    const stored = readStored();
    for (const row of table) {
      const text = stored[row.option];
      if (typeof text === 'string') call('vorlix_set', row.option, text);
    }
    for (const row of table) {
      if (params.has(row.option) && call('vorlix_set', row.option, params.get(row.option)) !== 0) {
        showNotice(programMessage() + '; kept ' + currentText(row) + '.');
      }
    }
    if (params.has('seed')) {
      if (call('vorlix_set', 'seed', params.get('seed')) === 0) seed = Number(params.get('seed'));
      else showNotice(programMessage() + '; the start is random.');
    }
    // The drawing path: stored, then the address, as the settings.
    call('vorlix_set_quality', 'auto');
    if (typeof stored.quality === 'string') call('vorlix_set_quality', stored.quality);
    if (params.has('quality') && call('vorlix_set_quality', params.get('quality')) !== 0) {
      showNotice(programMessage() + '; kept ' + qualityNames[call('vorlix_quality')] + '.');
    }
    // A path the user chose (the address's, or the panel's kept one) stands on battery too.
    qualityChosen = typeof stored.quality === 'string' || params.has('quality');
    // A mistyped name would otherwise be dropped without a word.
    const known = [...table.map((row) => row.option), 'seed', 'saver', 'fps', 'quality',
      'battery'];
    for (const name of new Set(params.keys())) {
      if (!known.includes(name)) {
        showNotice(`${name} is not a setting of VorlixSS; ignored.`);
      }
    }
    // The Linux programs' --fps: their frame-rate line, drawn by the same renderer.
    call('vorlix_show_fps', isOn('fps') ? 1 : 0);
    document.body.classList.toggle('fps', isOn('fps'));  // notices then stand above the line
  }

  // A setting's current value as the text the address and storage use.
  function currentText(row) {
    const value = call('vorlix_get', row.option);
    return row.kind === 'choice' ? row.choices[value] : String(value);
  }

  // NOTE: the drawing buffer is sized in CSS pixels, not device pixels: the radii are
  // pixels of the shared simulation, so balls look as big as on a desktop screen of the same
  // size. A high-density screen (devicePixelRatio 2) shows the picture scaled up, a little
  // softer, and draws a quarter of its device pixels.
  function canvasSize() {
    const side = (length) => Math.max(1, Math.round(length));
    return [side(window.innerWidth), side(window.innerHeight)];
  }

  // (Re)starts the scene with the current settings; false after showing why it cannot draw.
  function startScene() {
    const [width, height] = canvasSize();
    const status = call('vorlix_start', width, height, seed);
    if (status !== 0) {
      showFatal(programMessage());
      return false;
    }
    if (programMessage()) showNotice(programMessage());
    stopped = false;
    return true;
  }

  function frame(milliseconds) {
    frameRequest = window.requestAnimationFrame(frame);
    if (stopped || document.hidden) return;
    // Lighter: at most 30 frames a second (a few milliseconds early still counts, as frames
    // come at the screen's rate).
    if (lighter && milliseconds - lastDrawn < 1000 / batteryFrameRate - 4) return;
    lastDrawn = milliseconds;
    if (M._vorlix_frame(milliseconds)) hook.frames += 1;
    if (!panel.hidden) showPath();  // auto decides after a few frames
  }

  function showPath() {
    pathShown.textContent = 'Drawn: ' + (M._vorlix_draw_path() ? 'fast' : 'exact');
  }
  function startLoop() {
    if (frameRequest) return;
    M._vorlix_pause();  // the first tick after a stop only records its time
    frameRequest = window.requestAnimationFrame(frame);
  }
  function stopLoop() {
    if (frameRequest) window.cancelAnimationFrame(frameRequest);
    frameRequest = 0;
  }

  // One panel row per setting, built from the program's table.
  function buildPanel() {
    panelRows.textContent = '';
    for (const row of table) {
      const wrap = document.createElement(row.kind === 'choice' ? 'fieldset' : 'div');
      wrap.className = 'row';
      if (row.kind === 'choice') {
        const legend = document.createElement('legend');
        legend.textContent = row.label;
        wrap.appendChild(legend);
        row.choices.forEach((choice, index) => {
          const label = document.createElement('label');
          const input = document.createElement('input');
          Object.assign(input, { type: 'radio', name: row.option, value: choice });
          input.addEventListener('change', () => panelChange(row, choice));
          label.append(input, ' ' + row.choiceLabels[index]);
          wrap.appendChild(label);
        });
      } else {
        const label = document.createElement('label');
        const input = document.createElement('input');
        input.name = row.option;
        if (row.kind === 'toggle') {
          input.type = 'checkbox';
          input.addEventListener('change', () => panelChange(row, input.checked ? '1' : '0'));
          label.append(row.label, input);
          wrap.appendChild(label);
        } else {
          Object.assign(input, { type: 'range', min: row.low, max: row.high, step: 1 });
          const shown = document.createElement('output');
          input.addEventListener('input', () => { shown.textContent = input.value; });
          input.addEventListener('change', () => panelChange(row, input.value));
          const text = document.createElement('span');
          text.textContent = row.label;
          label.append(text, shown);
          wrap.append(label, input);
          wrap.shown = shown;
        }
      }
      row.element = wrap;
      panelRows.appendChild(wrap);
    }
  }

  // Shows the current settings in the panel's controls.
  function refreshPanel() {
    qualitySelect.value = qualityNames[call('vorlix_quality')];
    showPath();
    for (const row of table) {
      const value = call('vorlix_get', row.option);
      if (row.kind === 'choice') {
        for (const input of row.element.querySelectorAll('input')) {
          input.checked = input.value === row.choices[value];
        }
      } else if (row.kind === 'toggle') {
        row.element.querySelector('input').checked = value !== 0;
      } else {
        row.element.querySelector('input').value = String(value);
        row.element.shown.textContent = String(value);
      }
    }
  }

  // Applies a panel change at once, or refuses it with the dialog's words.
  function panelChange(row, text) {
    if (call('vorlix_panel_set', row.option, text) !== 0) {
      panelError.textContent = programMessage();
      refreshPanel();
      return;
    }
    panelError.textContent = '';
    const stored = readStored();
    stored[row.option] = text;
    writeStored(stored);
    startScene();
  }

  function qualityChange() {
    call('vorlix_set_quality', qualitySelect.value);
    qualityChosen = true;
    followBattery();
    const stored = readStored();
    stored.quality = qualitySelect.value;
    writeStored(stored);
    startScene();
    showPath();
  }

  function resetPanel() {
    writeStored({});
    call('vorlix_reset_settings');
    call('vorlix_set_quality', 'auto');
    qualityChosen = params.has('quality');
    followBattery();
    panelError.textContent = '';
    refreshPanel();
    startScene();
  }

  function togglePanel() {
    if (saverMode || !M || notice.classList.contains('fatal')) return;
    panel.hidden = !panel.hidden;
    if (!panel.hidden) refreshPanel();
  }

  function toggleFullscreen() {
    const request = document.fullscreenElement ? document.exitFullscreen()
      : document.documentElement.requestFullscreen();
    if (request) request.catch(() => {});  // refused (no user gesture, or not allowed here)
  }

  // The pointer and the buttons vanish after a few seconds without movement.
  let idleTimer = 0;
  function wake() {
    document.body.classList.remove('idle');
    window.clearTimeout(idleTimer);
    idleTimer = window.setTimeout(() => document.body.classList.add('idle'), idleMilliseconds);
  }

  function wireEvents() {
    document.getElementById('settings-button').addEventListener('click', togglePanel);
    qualitySelect.addEventListener('change', qualityChange);
    document.getElementById('fullscreen-button').addEventListener('click', toggleFullscreen);
    document.getElementById('panel-close').addEventListener('click', () => {
      panel.hidden = true;
    });
    document.getElementById('panel-defaults').addEventListener('click', resetPanel);
    notice.addEventListener('click', () => {
      if (!notice.classList.contains('fatal')) notice.hidden = true;
    });
    panel.addEventListener('submit', (event) => event.preventDefault());
    window.addEventListener('keydown', (event) => {
      if (event.ctrlKey || event.metaKey || event.altKey) return;
      if (event.key === 's' || event.key === 'S') togglePanel();
      else if (event.key === 'f' || event.key === 'F') toggleFullscreen();
      else if (event.key === 'Escape') panel.hidden = true;
    });
    window.addEventListener('resize', () => {
      const [width, height] = canvasSize();
      M._vorlix_resize(width, height);
    });
    document.addEventListener('visibilitychange', () => { M._vorlix_pause(); });
    canvas.addEventListener('webglcontextlost', (event) => {
      event.preventDefault();  // tells the browser that the page wants the context back
      M._vorlix_context_lost();
      stopped = true;
    });
    canvas.addEventListener('webglcontextrestored', () => {
      if (M._vorlix_context_restored() !== 0) showFatal(programMessage());
      else stopped = false;
    });
    for (const name of ['mousemove', 'mousedown', 'touchstart', 'keydown']) {
      window.addEventListener(name, wake, { passive: true });
    }
    wake();
  }

  // On battery the page is lighter, as the desktop programs are: where the browser tells
  // (navigator.getBattery), while it discharges, auto draws fast and at most 30 frames a
  // second are drawn; a path the user chose stands, and battery=0 turns it off. Where the
  // browser does not tell, nothing changes.
  let battery = null;
  function followBattery() {
    const on = !!battery && !battery.charging && params.get('battery') !== '0';
    M._vorlix_lighter(on && !qualityChosen ? 1 : 0);
    lighter = on;
    hook.lighter = on;
    if (!panel.hidden) showPath();
  }
  function watchBattery() {
    if (typeof navigator.getBattery !== 'function') return;
    navigator.getBattery().then((manager) => {
      battery = manager;
      manager.addEventListener('chargingchange', followBattery);
      followBattery();
    }, () => {});
  }

  function run(program) {
    M = program;
    hook.module = program;
    table = JSON.parse(call('vorlix_settings_json'));
    if (saverMode) document.getElementById('controls').hidden = true;
    buildPanel();
    applySettings();
    wireEvents();
    if (startScene()) startLoop();
    watchBattery();
  }

  // NOTE: the program's standard error carries the desktop's diagnostic lines; on the page
  // they are warnings, and what the user must know reaches the notice instead.
  // A folder copied without vorlixss.js leaves no loader: say so rather than throw.
  if (typeof createVorlixModule !== 'function') {
    showFatal('VorlixSS could not load its program (vorlixss.js is missing beside this page). ' +
              'Keep the page\'s files together in one folder.');
    return;
  }
  // NOTE: a fault while starting would otherwise end in an unhandled rejection and a black
  // page without a word.
  createVorlixModule({ printErr: (text) => console.warn(text) }).then((program) => {
    try {
      run(program);
    } catch (failure) {
      showFatal('VorlixSS could not start: ' + failure + '. Try a current browser.');
    }
  }, (failure) => {
    showFatal('VorlixSS could not load its program: ' + failure + '. Try a current browser.');
  });
}());
