// The script of the web display's page: shows the program's panels as it sends them and sends
// the operator's pointer, keys, text and dropped files back.
//
// From the program (over the WebSocket at /ws): text messages in JSON
//   {"t":"layout", windows:[{id,title,left,top,width,height,titlebar,closable,frame,z}],
//    popup, keyboard, menu:{left,top,width,height}|null, message:{id,title,text}|null}
//   {"t":"ended", text}    the program ended: the page says so and stays as it is
//   {"t":"pong", n}       the answer to "ping n": everything sent before it was applied, and
//                         what it changed is drawn (window.rteSync() waits for it)
// and binary frames: "F", the surface (a window's id, 0 the popup menu), x, y (32-bit
// little-endian), then a PNG image to draw there. To the program: lines of words (see
// rte/display/web_input.cpp). Everything received is handled in order, one after the other.
'use strict';

(() => {
  const desk = document.getElementById('desk');
  const keys = document.getElementById('keys');
  const statusLine = document.getElementById('status');
  const windows = new Map();   // id -> {element, canvas, title, info}
  let layout = null;
  let socket = null;
  let ended = false;
  let failures = 0;
  let chain = Promise.resolve();
  let menuCanvas = null;
  let menuCatcher = null;
  let backdrop = null;
  let messageBox = null;
  let captured = 0;            // the window that took a button's press, until the buttons are up
  const maxDropBytes = 64 * 1024 * 1024;
  const maxDropFiles = 64;
  const chunkBytes = 256 * 1024;

  // What tests, benchmarks and tools read: the connection, bytes and messages received (frameBytes:
  // those of images), frames drawn and when the last ones were (performance.now()), the lists of
  // windows applied, and the program's farewell.
  const stats = window.rteStats = {
    connected: false, connections: 0, bytes: 0, frameBytes: 0, messages: 0, frames: 0, frameTimes: [],
    pictures: 0, ended: '',
  };

  // Resolves once the program has applied everything sent so far and the page has drawn what
  // that changed: tests and tools wait for it instead of for a time.
  let pings = 0;
  const pongs = new Map();
  window.rteSync = () => new Promise((resolve, reject) => {
    const n = ++pings;
    pongs.set(n, {resolve, reject});
    send('ping ' + n);
  });

  function send(line) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(line);
  }

  function setStatus(text, trouble) {
    statusLine.textContent = text;
    statusLine.classList.toggle('trouble', !!trouble);
  }

  function showNotice(text) {
    document.getElementById('notice-text').textContent = text;
    document.getElementById('notice').hidden = false;
  }

  // ---- the connection ----

  function connect() {
    const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
    socket = new WebSocket(scheme + '//' + location.host + '/ws');
    socket.binaryType = 'arraybuffer';
    socket.onopen = () => {
      failures = 0;
      stats.connected = true;
      stats.connections++;
      setStatus('Connected');
      document.getElementById('notice').hidden = true;
      send('hello ' + Math.max(1, window.innerWidth - 24) + ' ' + Math.max(1, window.innerHeight - 46));
    };
    socket.onmessage = (event) => {
      const data = event.data;
      stats.bytes += typeof data === 'string' ? new TextEncoder().encode(data).length : data.byteLength;
      stats.messages++;
      if (typeof data === 'string') {
        const message = JSON.parse(data);
        chain = chain.then(() => onMessage(message)).catch((error) => console.error('message not applied:', error));
      } else {
        stats.frameBytes += data.byteLength;
        onFrame(data);
      }
    };
    socket.onclose = () => {
      stats.connected = false;
      for (const pong of pongs.values()) pong.reject(new Error('the connection to the program was lost'));
      pongs.clear();
      if (ended) return;
      // Tried again and again, less often as it keeps failing: the program may come back.
      failures++;
      setStatus('Connection lost: trying again…', true);
      if (failures === 8) {
        showNotice('The program cannot be reached, or no longer accepts this page. If it still runs, open the address it printed at its start again.');
      }
      setTimeout(connect, Math.min(5000, 250 * 2 ** failures));
    };
  }

  function onMessage(message) {
    if (message.t === 'layout') {
      applyLayout(message);
    } else if (message.t === 'pong') {
      pongs.get(message.n)?.resolve();
      pongs.delete(message.n);
    } else if (message.t === 'ended') {
      ended = true;
      stats.ended = message.text;
      setStatus('Ended');
      showNotice(message.text + ' You can close this page.');
      socket.close();
    }
  }

  function onFrame(buffer) {
    const view = new DataView(buffer);
    if (buffer.byteLength < 13 || view.getUint8(0) !== 0x46) return;
    const surface = view.getUint32(1, true), x = view.getUint32(5, true), y = view.getUint32(9, true);
    const decoded = createImageBitmap(new Blob([new Uint8Array(buffer, 13)], {type: 'image/png'}));
    chain = chain.then(() => decoded).then((bitmap) => {
      const canvas = surface === 0 ? menuCanvas : windows.get(surface)?.canvas;
      if (canvas) canvas.getContext('2d').drawImage(bitmap, x, y);
      bitmap.close();
      stats.frames++;
      stats.frameTimes.push(performance.now());
      if (stats.frameTimes.length > 64) stats.frameTimes.shift();
    }).catch((error) => console.error('frame not drawn:', error));
  }

  // ---- windows ----

  function makeWindow(info) {
    const element = document.createElement('div');
    element.className = 'window';
    const bar = document.createElement('div');
    bar.className = 'titlebar';
    const title = document.createElement('span');
    title.className = 'title';
    bar.appendChild(title);
    const close = document.createElement('button');
    close.className = 'close';
    close.title = 'Close';
    close.textContent = '×';
    close.addEventListener('mousedown', (e) => e.stopPropagation());
    close.addEventListener('click', () => send('close ' + info.id));
    bar.appendChild(close);
    bar.addEventListener('mousedown', (e) => {
      e.preventDefault();
      send('focus ' + info.id);
      keys.focus({preventScroll: true});
    });
    const canvas = document.createElement('canvas');
    canvas.dataset.panel = String(info.id);
    element.append(bar, canvas);
    desk.appendChild(element);
    const win = {element, canvas, bar, title, close, info};
    attachPointer(win);
    attachDrop(win);
    return win;
  }

  function applyLayout(next) {
    layout = next;
    const seen = new Set();
    for (const info of next.windows) {
      seen.add(info.id);
      let win = windows.get(info.id);
      if (!win) {
        win = makeWindow(info);
        windows.set(info.id, win);
      }
      win.info = info;
      win.title.textContent = info.title;
      win.bar.hidden = !info.titlebar;
      win.close.hidden = !info.closable;
      if (win.canvas.width !== info.width) win.canvas.width = info.width;
      if (win.canvas.height !== info.height) win.canvas.height = info.height;
      // The canvas sits where the program put the panel; title bar and border around it.
      win.element.style.left = (info.left - 1) + 'px';
      win.element.style.top = (info.top - 1 - (info.titlebar ? 24 : 0)) + 'px';
      win.element.classList.toggle('keyboard', info.id === next.keyboard);
    }
    for (const [id, win] of windows) {
      if (!seen.has(id)) {
        win.element.remove();
        windows.delete(id);
      }
    }
    // Back to front: the panels' own order, the modal popup above them all.
    const order = [...next.windows].sort((a, b) => b.z - a.z);
    let z = 1;
    for (const info of order) {
      if (info.id !== next.popup) windows.get(info.id).element.style.zIndex = String(z++);
    }
    if (next.popup && windows.has(next.popup)) {
      if (!backdrop) {
        backdrop = document.createElement('div');
        backdrop.className = 'backdrop';
        backdrop.addEventListener('mousedown', (e) => e.preventDefault());
        document.body.appendChild(backdrop);
      }
      backdrop.style.zIndex = String(z++);
      windows.get(next.popup).element.style.zIndex = String(z++);
    } else if (backdrop) {
      backdrop.remove();
      backdrop = null;
    }
    applyMenu(next.menu, z);
    applyMessage(next.message);
    const first = next.windows.find((w) => w.id === next.keyboard) || next.windows[0];
    document.title = first ? first.title : 'Panels';
    let right = 0, bottom = 0;
    for (const info of next.windows) {
      right = Math.max(right, info.left + info.width);
      bottom = Math.max(bottom, info.top + info.height);
    }
    desk.style.width = right + 'px';
    desk.style.height = bottom + 'px';
    stats.pictures++;
  }

  function applyMenu(menu, z) {
    if (!menu) {
      menuCanvas?.remove();
      menuCatcher?.remove();
      menuCanvas = menuCatcher = null;
      return;
    }
    if (!menuCanvas) {
      menuCatcher = document.createElement('div');
      menuCatcher.id = 'menu-catcher';
      menuCatcher.addEventListener('mousedown', (e) => {
        e.preventDefault();
        const p = deskPoint(e);
        send('down 0 ' + p.x + ' ' + p.y + ' ' + e.button + ' 1');
      });
      menuCatcher.addEventListener('contextmenu', (e) => e.preventDefault());
      document.body.appendChild(menuCatcher);
      menuCanvas = document.createElement('canvas');
      menuCanvas.id = 'menu';
      menuCanvas.addEventListener('mousemove', (e) => {
        const p = deskPoint(e);
        send('move 0 ' + p.x + ' ' + p.y + ' 0');
      });
      menuCanvas.addEventListener('mousedown', (e) => {
        e.preventDefault();
        const p = deskPoint(e);
        send('down 0 ' + p.x + ' ' + p.y + ' ' + e.button + ' 1');
      });
      menuCanvas.addEventListener('contextmenu', (e) => e.preventDefault());
      desk.appendChild(menuCanvas);
    }
    menuCatcher.style.zIndex = String(z);
    menuCanvas.style.zIndex = String(z + 1);
    menuCanvas.width = menu.width;
    menuCanvas.height = menu.height;
    menuCanvas.style.left = menu.left + 'px';
    menuCanvas.style.top = menu.top + 'px';
    keys.focus({preventScroll: true});
  }

  function applyMessage(message) {
    if (messageBox && (!message || messageBox.dataset.id !== String(message.id))) {
      messageBox.remove();
      messageBox = null;
      keys.focus({preventScroll: true});
    }
    if (!message || messageBox) return;
    messageBox = document.createElement('div');
    messageBox.className = 'message';
    messageBox.dataset.id = String(message.id);
    messageBox.setAttribute('role', 'alertdialog');
    const box = document.createElement('div');
    box.className = 'box';
    const title = document.createElement('h2');
    title.textContent = message.title;
    const text = document.createElement('p');
    text.textContent = message.text;
    const ok = document.createElement('button');
    ok.textContent = 'OK';
    ok.addEventListener('click', () => send('answer ' + message.id));
    box.append(title, text, ok);
    messageBox.appendChild(box);
    messageBox.style.zIndex = '100000';
    document.body.appendChild(messageBox);
    ok.focus();
  }

  // ---- the pointer ----

  function deskPoint(e) {
    const r = desk.getBoundingClientRect();
    return {x: Math.floor(e.clientX - r.left), y: Math.floor(e.clientY - r.top)};
  }

  function canvasPoint(win, e) {
    const r = win.canvas.getBoundingClientRect();
    return {x: Math.floor(e.clientX - r.left), y: Math.floor(e.clientY - r.top)};
  }

  function buttonsOf(e) {
    return (e.buttons & 1 ? 1 : 0) | (e.buttons & 2 ? 2 : 0);
  }

  function attachPointer(win) {
    const id = win.info.id;
    const canvas = win.canvas;
    canvas.addEventListener('pointerdown', (e) => {
      canvas.setPointerCapture(e.pointerId);
    });
    canvas.addEventListener('mousedown', (e) => {
      e.preventDefault();
      if (e.button !== 0 && e.button !== 2) return;
      captured = id;
      const p = canvasPoint(win, e);
      send('down ' + id + ' ' + p.x + ' ' + p.y + ' ' + e.button + ' ' + Math.min(3, Math.max(1, e.detail)));
      keys.focus({preventScroll: true});
    });
    canvas.addEventListener('mouseup', (e) => {
      if (e.button !== 0 && e.button !== 2) return;
      const p = canvasPoint(win, e);
      send('up ' + id + ' ' + p.x + ' ' + p.y + ' ' + e.button);
      if (!e.buttons) captured = 0;
    });
    canvas.addEventListener('mousemove', (e) => {
      if (captured && captured !== id) return;
      const p = canvasPoint(win, e);
      send('move ' + id + ' ' + p.x + ' ' + p.y + ' ' + buttonsOf(e));
    });
    canvas.addEventListener('mouseleave', (e) => {
      if (captured) return;
      const p = canvasPoint(win, e);
      send('move ' + id + ' ' + p.x + ' ' + p.y + ' ' + buttonsOf(e));
    });
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      const p = canvasPoint(win, e);
      const lines = e.deltaMode === 0 ? Math.round(-e.deltaY / 40) || -Math.sign(e.deltaY) : -Math.sign(e.deltaY) * Math.max(1, Math.round(Math.abs(e.deltaY)));
      if (lines) send('wheel ' + id + ' ' + p.x + ' ' + p.y + ' ' + lines);
    }, {passive: false});
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  }

  // ---- the keyboard: keys as they go down, text as the browser's text input gives it ----

  function modifiers(e) {
    return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
  }

  keys.addEventListener('keydown', (e) => {
    if (e.isComposing || e.keyCode === 229) return;
    if (['Shift', 'Control', 'Alt', 'Meta', 'AltGraph', 'CapsLock'].includes(e.key)) return;
    send('key ' + modifiers(e) + ' ' + (e.repeat ? 1 : 0) + ' ' + e.key);
    // A character's text comes through the input event; every other key is the panel's alone.
    if (e.key.length !== 1 || e.ctrlKey || e.altKey || e.metaKey) e.preventDefault();
  });
  keys.addEventListener('input', (e) => {
    if (e.isComposing) return;
    const text = e.data ?? keys.value;
    keys.value = '';
    if (text) send('text ' + text);
  });
  keys.addEventListener('compositionend', (e) => {
    keys.value = '';
    if (e.data) send('text ' + e.data);
  });

  // ---- files dropped on a window ----

  function attachDrop(win) {
    const canvas = win.canvas;
    canvas.addEventListener('dragover', (e) => {
      e.preventDefault();
      e.dataTransfer.dropEffect = 'copy';
      win.element.classList.add('drop-target');
    });
    canvas.addEventListener('dragleave', () => win.element.classList.remove('drop-target'));
    canvas.addEventListener('drop', (e) => {
      e.preventDefault();
      win.element.classList.remove('drop-target');
      const files = [...(e.dataTransfer?.files || [])];
      if (!files.length) return;
      const total = files.reduce((sum, f) => sum + f.size, 0);
      if (files.length > maxDropFiles || total > maxDropBytes) {
        setStatus('Not dropped: at most ' + maxDropFiles + ' files of 64 MiB together', true);
        return;
      }
      const p = canvasPoint(win, e);
      uploadDrop(win.info.id, p, files);
    });
  }

  async function uploadDrop(id, p, files) {
    const names = new Set();
    let lines = 'drop ' + id + ' ' + p.x + ' ' + p.y;
    for (const file of files) {
      let name = file.name.replace(/[\r\n]/g, '_');
      while (names.has(name)) name = '_' + name;
      names.add(name);
      lines += '\nfile ' + file.size + ' ' + name;
    }
    send(lines);
    for (const file of files) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      for (let at = 0; at < bytes.length; at += chunkBytes) send(bytes.subarray(at, at + chunkBytes));
    }
  }

  window.addEventListener('dragover', (e) => e.preventDefault());
  window.addEventListener('drop', (e) => e.preventDefault());
  window.addEventListener('focus', () => keys.focus({preventScroll: true}));

  keys.focus({preventScroll: true});
  connect();
})();
