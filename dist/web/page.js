// The page around the game: loads the program and the adventure's data with a progress bar, waits for a
// click (browsers start sound only after one), keeps the player's files in the browser's storage, and in
// debug mode lets an author upload data files and download the locations they saved.
//   index.html                 play
//   index.html?debug           debug mode: the game with the editor panel
//   index.html?headless&frames=N&seed=S&step=MS&input=FILE[&debug]
//                              runs the recorded input on the virtual clock, then sets
//                              window.rustwakeResult = {dump, screenshot, exitCode} and the title "rustwake: done"
"use strict";
(function () {
  const query = new URLSearchParams(location.search);
  const debug = query.has("debug");
  const headless = query.has("headless");
  const HOME = "/home/web_user";        // the game's HOME: settings, saves, log and screenshots below it
  const GAME = "/game";                 // the adventure's folder (holds data/)
  const AUTHORED = HOME + "/authored";  // debug mode: files saved or uploaded into GAME, kept across visits
  const canvas = document.getElementById("canvas");
  const $ = (id) => document.getElementById(id);

  // Error reports go over the page; nothing may block the game's loop.
  function report(text) {
    const box = document.createElement("div");
    box.textContent = String(text);
    const close = document.createElement("button");
    close.textContent = "×";
    close.onclick = () => box.remove();
    box.appendChild(close);
    $("errors").appendChild(box);
    console.error(text);
  }
  window.alert = report;  // the game's own error boxes arrive here
  window.addEventListener("error", (e) => report(e.message || e));
  window.addEventListener("unhandledrejection", (e) => report(e.reason && e.reason.message || e.reason));

  const mib = (n) => (n / 1048576).toFixed(1) + " МБ";
  function progress(text, done, total) {
    $("loading-text").textContent = text;
    const bar = $("loading-bar");
    if (total) { bar.max = total; bar.value = done; } else { bar.removeAttribute("value"); }
  }

  // Fetches a file, counting bytes into the bar; a gzip stream (by its first bytes) is unpacked here, so a
  // host that already unpacked it (Content-Encoding) works as well.
  async function fetchBytes(url, label) {
    const response = await fetch(url);
    if (!response.ok) throw new Error("cannot load " + url + " (" + response.status + ")");
    const total = Number(response.headers.get("Content-Length")) || 0;
    const reader = response.body.getReader();
    const parts = [];
    let received = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      received += value.length;
      progress(label + ": " + mib(received) + (total ? " из " + mib(total) : ""), received, total);
    }
    let bytes = new Uint8Array(received);
    let at = 0;
    for (const p of parts) { bytes.set(p, at); at += p.length; }
    if (bytes.length > 2 && bytes[0] === 0x1f && bytes[1] === 0x8b) {
      progress(label + ": распаковка", 0, 0);
      const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
      bytes = new Uint8Array(await new Response(stream).arrayBuffer());
    }
    return { bytes, received };
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const s = document.createElement("script");
      s.src = src;
      s.onload = resolve;
      s.onerror = () => reject(new Error("cannot load " + src));
      document.body.appendChild(s);
    });
  }

  function download(name, bytes, type) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const a = document.createElement("a");
    a.href = url;
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  function base64(bytes) {
    let s = "";
    for (let i = 0; i < bytes.length; i += 0x8000) s += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(s);
  }

  // --- the browser's storage -------------------------------------------------------------------------
  let FS = null;
  let syncing = false, again = false, asked = 0, stored = 0;
  // Writes the memory copy of HOME to the browser's storage; a write during a sync asks for another.
  function sync() {
    ++asked;
    if (syncing) { again = true; return; }
    syncing = true;
    const upTo = asked;
    FS.syncfs(false, (err) => {
      syncing = false;
      stored = upTo;
      if (err) report("Не удалось сохранить файлы в хранилище браузера: " + err);
      if (again) { again = false; sync(); }
    });
  }
  const under = (path, folder) => path === folder || path.startsWith(folder + "/");

  // Every finished write below HOME is synced at once; a screenshot is also offered as a download, and in
  // debug mode whatever lands in the adventure's folder is kept for the next visit.
  function watchWrites() {
    const written = (path) => {
      if (under(path, AUTHORED)) return;
      if (under(path, HOME)) {
        sync();
        if (/\.png$/i.test(path) && under(path, HOME + "/Pictures"))
          download(path.split("/").pop(), FS.readFile(path), "image/png");
      } else if (debug && under(path, GAME)) {
        keepAuthored(path);
      }
    };
    const close = FS.close, rename = FS.rename, unlink = FS.unlink;
    FS.close = function (stream) {
      const path = stream.path, writing = (stream.flags & 3) !== 0;
      const r = close.apply(this, arguments);
      // The game writes a hidden file beside the target and renames it over; the rename counts.
      if (writing && path && !path.split("/").pop().startsWith(".")) written(path);
      return r;
    };
    FS.rename = function (from, to) {
      const r = rename.apply(this, arguments);
      written(to);
      return r;
    };
    FS.unlink = function (path) {
      const r = unlink.apply(this, arguments);
      if (under(path, HOME)) sync();
      return r;
    };
  }

  function mkdirs(path) {
    let at = "";
    for (const part of path.split("/").filter(Boolean)) {
      at += "/" + part;
      try { FS.mkdir(at); } catch (e) { /* already there */ }
    }
  }
  function walk(folder, visit) {
    let names = [];
    try { names = FS.readdir(folder); } catch (e) { return; }
    for (const n of names) {
      if (n === "." || n === "..") continue;
      const p = folder + "/" + n;
      if (FS.isDir(FS.stat(p).mode)) walk(p, visit); else visit(p);
    }
  }

  function keepAuthored(path) {
    const copy = AUTHORED + path.slice(GAME.length);
    mkdirs(copy.slice(0, copy.lastIndexOf("/")));
    FS.writeFile(copy, FS.readFile(path));
    sync();
    listMaps();
  }
  // Debug mode starts with the author's own files over the package's.
  function restoreAuthored() {
    walk(AUTHORED, (p) => {
      const target = GAME + p.slice(AUTHORED.length);
      mkdirs(target.slice(0, target.lastIndexOf("/")));
      FS.writeFile(target, FS.readFile(p));
    });
  }
  function listMaps() {
    const list = $("maps");
    list.textContent = "";
    walk(AUTHORED, (p) => {
      if (!/\.map$/i.test(p)) return;
      const a = document.createElement("a");
      a.href = "#";
      a.textContent = p.split("/").pop();
      a.title = p.slice(AUTHORED.length + 1);
      a.onclick = (e) => { e.preventDefault(); download(a.textContent, FS.readFile(p), "application/octet-stream"); };
      list.appendChild(a);
      list.appendChild(document.createTextNode(" "));
    });
  }
  function setUpAuthoring() {
    $("author").hidden = false;
    const select = $("upload-folder");
    const folders = [];
    (function dirs(folder) {
      folders.push(folder.slice(GAME.length + 1) || ".");
      for (const n of FS.readdir(folder))
        if (n !== "." && n !== ".." && FS.isDir(FS.stat(folder + "/" + n).mode)) dirs(folder + "/" + n);
    })(GAME + "/data");
    for (const f of folders.sort()) select.add(new Option(f, f));
    $("upload").onchange = async (e) => {
      for (const file of e.target.files) {
        const path = GAME + "/" + select.value + "/" + file.name;
        FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
        keepAuthored(path);
      }
      e.target.value = "";
      canvas.focus();
    };
    listMaps();
  }

  // --- the picture's size ----------------------------------------------------------------------------
  // The settings' scaling modes: 0 keeps the proportions, 1 uses whole multiples with sharp pixels,
  // 2 fills the space (the game's own TScaling order).
  let scaling = 0;
  function fit() {
    const stage = $("stage");
    const w = canvas.width, h = canvas.height;
    const roomW = stage.clientWidth, roomH = stage.clientHeight;
    let cssW = w, cssH = h;
    if (scaling === 2) {
      cssW = roomW; cssH = roomH;
    } else {
      let k = Math.min(roomW / w, roomH / h);
      if (scaling === 1) k = Math.max(1, Math.floor(k));
      cssW = Math.floor(w * k); cssH = Math.floor(h * k);
    }
    canvas.style.width = cssW + "px";
    canvas.style.height = cssH + "px";
    canvas.classList.toggle("pixelated", scaling === 1);
  }
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", () => { fit(); canvas.focus(); });
  $("fullscreen").onclick = () => { $("stage").requestFullscreen().catch((e) => report(e.message)); };

  // The game's keys stay with the game while the picture has the focus: no reload, no scrolling, no menus.
  const gameKeys = /^(F\d+|Escape|Arrow\w+|Tab|Backspace|Space|PageUp|PageDown|Home|End)$/;
  canvas.addEventListener("keydown", (e) => {
    if (gameKeys.test(e.code) || e.ctrlKey || e.altKey) e.preventDefault();
  });
  canvas.addEventListener("keyup", (e) => { if (gameKeys.test(e.code)) e.preventDefault(); });
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  canvas.addEventListener("mousedown", () => canvas.focus());
  canvas.addEventListener("wheel", (e) => e.preventDefault(), { passive: false });

  // --- the program -------------------------------------------------------------------------------------
  function gameArguments() {
    const args = ["--data", GAME, "--verbose"];
    if (headless) {
      const num = (name, fallback) => String(Number.parseInt(query.get(name) || fallback, 10));
      args.push("--headless", "--frames", num("frames", "1"), "--step-ms", num("step", "10"),
                "--dump", "/tmp/dump.json", "--screenshot", "/tmp/screenshot.png");
      if (query.has("seed")) args.push("--seed", num("seed", "0"));
      if (query.get("input")) args.push("--input", "/tmp/input.txt");
    }
    if (debug) args.unshift("debug");
    return args;
  }

  // For tests and the curious: the game's state as its dump tells it, and whether every write is stored.
  let running = false;
  window.rustwakeState = () => {
    if (!running || headless) return undefined;
    const d = JSON.parse(Module.UTF8ToString(Module._rustwake_dump()));
    let saves = [];
    try { saves = FS.readdir(HOME + "/.local/share/rustwake/saves").filter((n) => !n.startsWith(".")); } catch (e) { /* none yet */ }
    return {
      screen: d.mode === 0 ? "game" : d.mode === 2 ? "dialog" : "menu",
      menuReady: d.mode === 3 && d.menu.subState === 0,
      console: d.console.join("\n"),
      saveListed: saves.length > 0,
      dump: d,
    };
  };
  window.rustwakeSynced = () => !syncing && stored === asked;

  // The work of each of the game's frames, as its loop measures it: the figures over the frames since the
  // page opened or since the last call asked for a new start (at most the last thousand).
  let frames = 0, times = [];
  window.rustwakeStats = (restart) => {
    const sorted = times.slice().sort((a, b) => a - b), n = sorted.length;
    const figures = {
      frames, measured: n,
      meanMs: n ? sorted.reduce((sum, t) => sum + t, 0) / n : 0,
      p95Ms: n ? sorted[Math.min(n - 1, Math.floor(n * 0.95))] : 0,
      worstMs: n ? sorted[n - 1] : 0,
    };
    if (restart) times = [];
    return figures;
  };
  function frameTime(ms) {
    ++frames;
    times.push(ms);
    if (times.length > 1000) times.shift();
  }

  // What the game sent to the speakers: blocks of samples, and how many of them were not silence.
  const sound = { blocks: 0, samples: 0, loud: 0 };
  window.rustwakeSound = sound;
  function listen() {
    const audio = Module.SDL2 && Module.SDL2.audio;
    const node = audio && audio.scriptProcessorNode;
    if (!node) return;
    const fill = node.onaudioprocess;
    node.onaudioprocess = (e) => {
      fill(e);
      const out = e.outputBuffer;
      for (let c = 0; c < out.numberOfChannels; ++c) {
        const data = out.getChannelData(c);
        for (let i = 0; i < data.length; ++i) if (Math.abs(data[i]) > 1 / 1024) ++sound.loud;
        sound.samples += data.length;
      }
      ++sound.blocks;
    };
  }

  // One line of the editor panel's commands, as a recorded input's "panel" lines say them (debug mode).
  window.rustwakePanel = (line) => {
    if (running && debug) Module.ccall("rustwake_panel", null, ["string"], [line]);
  };
  const Module = window.Module = {
    canvas,
    noInitialRun: true,
    print: (line) => console.log(line),
    printErr: (line) => console.log(line),
    locateFile: (name) => name,
    preRun: [],
    onAbort: (what) => report("Игра остановилась: " + what),
    // The picture's scaling mode, from the game's settings.
    setScaling: (mode) => { scaling = mode; fit(); },
    // How long the last frame's work took.
    frameTime,
    // The player left the game (Выход): say so where the picture was.
    ended: (exitCode) => {
      running = false;
      const cover = $("start");
      cover.textContent = exitCode === 0 ? "Игра окончена. Обновите страницу, чтобы сыграть снова."
                                         : "Игра остановилась (код " + exitCode + "); подробности в консоли браузера.";
      cover.style.cursor = "default";
      cover.hidden = false;
    },
    // The headless run has ended: hand its dump and picture to whoever drives the page.
    finished: (exitCode) => {
      const read = (p, text) => { try { return FS.readFile(p, text ? { encoding: "utf8" } : {}); } catch (e) { return null; } };
      const png = read("/tmp/screenshot.png", false);
      window.rustwakeResult = {
        exitCode,
        dump: read("/tmp/dump.json", true),
        screenshot: png ? "data:image/png;base64," + base64(png) : null,
      };
      document.title = "rustwake: done";
    },
  };

  async function main() {
    let inputText = null;
    if (headless && query.get("input")) {
      const r = await fetch(new URL(query.get("input"), location.href));
      if (!r.ok) throw new Error("cannot load input file " + query.get("input") + " (" + r.status + ")");
      inputText = await r.text();
    }
    const { bytes, received } = await fetchBytes("rustwake.data.gz", "Данные");
    window.rustwakeDownload = { data: received };
    Module.getPreloadedPackage = () => bytes.buffer;
    Module.preRun.push(() => {
      FS = Module.FS;
      if (inputText !== null) FS.writeFile("/tmp/input.txt", inputText);
      // A recorded run starts from nothing stored, as the native runner does with a fresh home.
      if (headless) return;
      mkdirs(HOME);
      FS.mount(FS.filesystems.IDBFS, {}, HOME);
      Module.addRunDependency("storage");
      FS.syncfs(true, (err) => {
        if (err) report("Хранилище браузера недоступно; сохранения пропадут при закрытии страницы: " + err);
        Module.removeRunDependency("storage");
      });
    });
    const ready = new Promise((resolve) => { Module.onRuntimeInitialized = resolve; });
    progress("Программа", 0, 0);
    await loadScript("rustwake-data.js");
    await loadScript("rustwake.js");
    await ready;
    window.rustwakeReadyMs = performance.now();
    $("loading").hidden = true;
    const start = () => {
      $("start").hidden = true;
      // The adventure is unpacked by now: the author's own files go over it, and writes are watched.
      if (!headless) watchWrites();
      if (debug && !headless) { restoreAuthored(); setUpAuthoring(); }
      canvas.focus();
      running = true;
      Module.callMain(gameArguments());
      if (!headless) listen();
      fit();
    };
    if (headless) {
      start();
    } else {
      $("start").hidden = false;
      $("start").addEventListener("click", start, { once: true });
    }
  }
  if (headless) $("bar").hidden = true;
  fit();
  main().catch((e) => report(e.message || e));
})();
