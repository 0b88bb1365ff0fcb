#!/usr/bin/python3
"""The browser build held to the native one, in headless Chromium driven through selenium.

The page is served from 127.0.0.1 on a port of the test's own; the recorded inputs of this folder are
served beside it under inputs/. Each case starts a fresh browser profile.

Usage: web_test.py NATIVE_BUILD SITE     (NATIVE_BUILD holds rustwake and demo/; SITE is the packaged page)
"""
import base64
import functools
import http.server
import json
import os
import re
import shutil
import socketserver
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

HERE = os.path.dirname(os.path.abspath(__file__))
NATIVE = SITE = None

# The runner cases: name, input file (or None), frames, seed, step in ms, debug mode.
RUNS = [
    ("menu", None, 1000, 1, 10, False),
    ("new-game", "new-game.input", 3000, 3, 10, False),
    ("quick-save-load", "quick-save-load.input", 1800, 5, 10, False),
    ("debug-panel", "debug-panel.input", 300, 7, 10, True),
]

# An author's edit in the editor panel, as a recorded input's panel lines: a location opened, a critter's
# hit points changed.
EDITS = ["open data\\locations\\loc01.map", "page Critter", "select critter 2", "set HPSpinEdit 7",
         "click ApplyButton"]


class Handler(http.server.SimpleHTTPRequestHandler):
    """The site, with this folder's inputs under inputs/; quiet."""

    def translate_path(self, path):
        path = path.split("?", 1)[0].split("#", 1)[0]
        if path.startswith("/inputs/"):
            return os.path.join(HERE, "inputs", os.path.basename(path))
        return os.path.join(SITE, path.lstrip("/")) if path != "/" else os.path.join(SITE, "index.html")

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, *args):
        pass

    def handle(self):
        # A page reloaded mid-download drops its connection; that is the browser's business.
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError):
            pass


Handler.extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".wasm": "application/wasm"})


def png_pixels(data):
    """(width, height, rows of RGB tuples) of an 8-bit RGB or RGBA PNG without interlace."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat, width = 8, b"", 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * channels, [], bytearray(width * channels)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        prev = line
    return width, height, rows


def colours(png, step=4):
    _, _, rows = png_pixels(png)
    return {p for row in rows[::step] for p in row[::step]}


def browser_cpu(driver):
    """CPU seconds used so far by the browser's processes: (the pages' renderers, all of them)."""
    parent, ticks, renderers = {}, {}, set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if b"--type=renderer" in f.read():
                    renderers.add(int(pid))
        except OSError:
            continue
        parent[int(pid)], ticks[int(pid)] = int(fields[1]), int(fields[11]) + int(fields[12])
    ours, grew = {driver.service.process.pid}, True
    while grew:
        more = {p for p, pp in parent.items() if pp in ours} - ours
        grew = bool(more)
        ours |= more
    hz = os.sysconf("SC_CLK_TCK")
    return sum(ticks[p] for p in ours & renderers) / hz, sum(ticks[p] for p in ours) / hz


def browser(profile):
    options = webdriver.ChromeOptions()
    # Downloads land in the profile's own folder, without asking.
    options.add_experimental_option("prefs", {
        "download.default_directory": os.path.join(profile, "downloads"), "download.prompt_for_download": False,
        "profile.default_content_setting_values.automatic_downloads": 1})
    options.binary_location = "/usr/bin/chromium"
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--autoplay-policy=no-user-gesture-required", "--window-size=1100,800",
              "--user-data-dir=" + profile):
        options.add_argument(a)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class WebTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Handler)
        cls.server.daemon_threads = True
        cls.url = "http://127.0.0.1:%d/" % cls.server.server_address[1]
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()
        cls.scratch = tempfile.mkdtemp(prefix="rustwake-web-")

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        self.profile = tempfile.mkdtemp(dir=self.scratch)
        self.driver = browser(self.profile)
        self.driver.set_script_timeout(30)

    def tearDown(self):
        for entry in self.driver.get_log("browser") if self.failed() else []:
            print("  console:", entry.get("message"), file=sys.stderr)
        self.driver.quit()

    def failed(self):
        outcome = getattr(self, "_outcome", None)
        errors = getattr(outcome, "errors", None) or getattr(getattr(outcome, "result", None), "failures", [])
        return any(e[1] for e in errors) if errors else False

    def downloaded(self, pattern, timeout=30):
        """The bytes of the first finished download whose name matches pattern."""
        folder = os.path.join(self.profile, "downloads")
        end = time.time() + timeout
        while time.time() < end:
            names = [n for n in os.listdir(folder) if re.fullmatch(pattern, n)] if os.path.isdir(folder) else []
            if names:
                with open(os.path.join(folder, names[0]), "rb") as f:
                    return f.read()
            time.sleep(0.2)
        self.fail("nothing matching %s was downloaded" % pattern)

    def stored_paths(self):
        """The paths the page keeps in the browser's storage."""
        return self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            const open = indexedDB.open('/home/web_user');
            open.onerror = () => done(null);
            open.onsuccess = () => {
              const keys = open.result.transaction(['FILE_DATA']).objectStore('FILE_DATA').getAllKeys();
              keys.onsuccess = () => { done(keys.result); open.result.close(); };
            };""")

    def wait(self, script, timeout=120, what=None):
        return WebDriverWait(self.driver, timeout, poll_frequency=0.2).until(
            lambda d: d.execute_script(script), message=what or script)

    def native(self, name, input_file, frames, seed, step, debug):
        out = os.path.join(self.scratch, "native-" + name)
        home = out + "-home"
        os.makedirs(home, exist_ok=True)
        command = [os.path.join(NATIVE, "rustwake"), "--headless"] + (["debug"] if debug else []) + [
            "--data", os.path.join(NATIVE, "demo"), "--frames", str(frames), "--seed", str(seed),
            "--step-ms", str(step), "--dump", out + ".json", "--screenshot", out + ".png"]
        if input_file:
            command += ["--input", os.path.join(HERE, "inputs", input_file)]
        env = dict(os.environ, HOME=home, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        for var in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME", "XDG_PICTURES_DIR"):
            env.pop(var, None)
        code = subprocess.run(command, env=env, stderr=subprocess.DEVNULL).returncode
        with open(out + ".json", encoding="utf-8") as d, open(out + ".png", "rb") as s:
            return code, d.read(), s.read(), home

    def test_runner_matches_native(self):
        for name, input_file, frames, seed, step, debug in RUNS:
            with self.subTest(name):
                code, dump, png, home = self.native(name, input_file, frames, seed, step, debug)
                query = "headless&frames=%d&seed=%d&step=%d" % (frames, seed, step)
                if input_file:
                    query += "&input=inputs/" + input_file
                if debug:
                    query += "&debug"
                self.driver.get(self.url + "index.html?" + query)
                self.wait("return document.title === 'rustwake: done'", what=name + ": the runner did not finish")
                result = self.driver.execute_script("return window.rustwakeResult")
                self.assertEqual(result["exitCode"], code)
                # The same game in other folders: the data folder and the player's home are spelt differently.
                native = dump.replace(os.path.join(NATIVE, "demo"), "<data>").replace(home, "<home>")
                web = result["dump"].replace("/game", "<data>").replace("/home/web_user", "<home>")
                self.assertEqual(web, native)
                self.assertEqual(base64.b64decode(result["screenshot"].split(",", 1)[1]), png)

    def start_playing(self, query=""):
        self.driver.get(self.url + "index.html" + query)
        self.wait("return !document.getElementById('start').hidden", what="the page did not load")
        self.driver.find_element(By.ID, "start").click()
        self.clicked = time.time()
        self.wait("return window.rustwakeState && window.rustwakeState().screen !== undefined")

    def state(self):
        return self.driver.execute_script("return window.rustwakeState()")

    def click_game(self, x, y):
        """A click on the game's picture at (x, y) in its own 800 x 600 pixels, whatever its scale."""
        canvas = self.driver.find_element(By.ID, "canvas")
        size = canvas.size
        width = self.driver.execute_script("return arguments[0].width", canvas)
        k = size["width"] / width
        ActionChains(self.driver).move_to_element_with_offset(
            canvas, int(x * k - size["width"] / 2), int(y * k - size["height"] / 2)).pause(0.2).click().perform()

    def wait_menu(self):
        self.wait("return window.rustwakeState().menuReady", what="no main menu")

    def test_real_clock_menu_and_new_game(self):
        self.start_playing()
        self.wait_menu()
        menu_ms = (time.time() - self.clicked) * 1000
        time.sleep(0.5)
        shot = self.driver.find_element(By.ID, "canvas").screenshot_as_png
        _, _, menu_png, _ = self.native("menu", None, 1000, 1, 10, False)
        # The scaled picture's colours are blends, so look for the menu's own strong colours among them.
        seen, wanted = colours(shot, 2), colours(menu_png, 8)
        near = lambda c: any(sum(abs(a - b) for a, b in zip(c, s)) < 24 for s in seen)
        common = [c for c in wanted if near(c)]
        self.assertGreater(len(common), len(wanted) * 0.6, "the canvas does not show the menu")
        self.new_game()
        # Music and effects reach the speakers: loc01's music has started, and what the game hands the browser's
        # audio is not silence.
        self.assertTrue(self.state()["dump"]["music"]["on"])
        heard = self.driver.execute_script("return window.rustwakeSound.loud")
        self.wait("return window.rustwakeSound.loud > %d + 44100" % heard, 30, "the game plays no sound")
        # The figures the page measures itself: loading, and the game's frames on the first location (a few
        # hundred of them), with the CPU time the browser spent meanwhile.
        first = self.driver.execute_script("return window.rustwakeStats(true).frames")
        cpu, wall = browser_cpu(self.driver), time.time()
        self.wait("return window.rustwakeStats().frames >= %d" % (first + 300), 60, "the game's frames stopped")
        cpu_after, wall = browser_cpu(self.driver), time.time() - wall
        ready, stats = self.driver.execute_script("return [window.rustwakeReadyMs, window.rustwakeStats()]")
        frames = stats["frames"] - first
        print("\n  page ready %.0f ms after opening, menu %.0f ms after the click; on loc01 over %d frames: "
              "mean %.2f ms, 95th percentile %.2f ms, worst %.2f ms a frame, %.1f frames/s; CPU a frame: "
              "renderer %.2f ms, whole browser %.2f ms"
              % (ready, menu_ms, stats["measured"], stats["meanMs"], stats["p95Ms"], stats["worstMs"],
                 frames / wall, (cpu_after[0] - cpu[0]) * 1000 / frames, (cpu_after[1] - cpu[1]) * 1000 / frames),
              file=sys.stderr)

    def player(self):
        me = self.state()["dump"]["critters"][0]
        return me["x"], me["y"]

    def new_game(self):
        self.wait_menu()
        self.click_game(127, 138)
        self.wait("return window.rustwakeState().screen === 'game'", 30, "Новая игра did not start a game")

    def test_save_survives_reload(self):
        self.start_playing()
        self.new_game()
        start = self.player()
        # Out of the bunker, so the saved game differs from a new one.
        self.click_game(500, 400)
        self.wait("const c = window.rustwakeState().dump.critters[0]; return c.state === 0 && (c.x !== %d || c.y !== %d)"
                  % start, 30, "the player did not walk")
        saved = self.player()
        canvas = self.driver.find_element(By.ID, "canvas")
        ActionChains(self.driver).send_keys_to_element(canvas, Keys.F5).perform()
        self.wait("return window.rustwakeState().console.includes('Игра сохранена.')", 30, "no quick save")
        self.wait("return window.rustwakeSynced()", 30, "the save was not stored")
        # The menu's music gave way to loc01's, whose working copy, like the log, is no player's file.
        stored = self.stored_paths()
        self.assertTrue(any("/.local/share/rustwake/saves/" in p for p in stored), stored)
        self.assertEqual([p for p in stored if re.search(r"\.mp3$|/\.cache\b|/\.local/state\b", p)], [])
        self.driver.refresh()
        self.start_playing()
        self.wait_menu()
        self.assertTrue(self.state()["saveListed"], "the main menu lists no save after a reload")
        self.new_game()
        self.assertEqual(self.player(), start)
        canvas = self.driver.find_element(By.ID, "canvas")
        ActionChains(self.driver).send_keys_to_element(canvas, Keys.F9).perform()
        self.wait("const c = window.rustwakeState().dump.critters[0]; return c.x === %d && c.y === %d" % saved, 30,
                  "the quick save did not load")

    def test_game_keys_stay_in_the_game(self):
        self.start_playing()
        self.driver.execute_script("""
            window.stayed = true;
            window.seen = [];
            window.addEventListener('keydown', (e) => window.seen.push([e.code, e.defaultPrevented]));""")
        canvas = self.driver.find_element(By.ID, "canvas")
        for key in (Keys.F5, Keys.F12, Keys.ESCAPE, Keys.ARROW_DOWN, Keys.F9):
            ActionChains(self.driver).send_keys_to_element(canvas, key).perform()
        time.sleep(1)
        self.assertTrue(self.driver.execute_script("return window.stayed === true"), "the page was reloaded")
        seen = self.driver.execute_script("return window.seen")
        self.assertEqual(len(seen), 5)
        self.assertTrue(all(prevented for _, prevented in seen), seen)
        # F12 offered the picture the game wrote as a download.
        png = self.downloaded(r"rustwake-.*\.png")
        self.assertEqual(struct.unpack(">II", png[16:24]), (800, 600))
        written = self.driver.execute_script("""
            const folder = '/home/web_user/Pictures/rustwake', FS = window.Module.FS;
            const names = FS.readdir(folder).filter((n) => n.endsWith('.png'));
            return names.length === 1 ? Array.from(FS.readFile(folder + '/' + names[0])) : names;""")
        self.assertEqual(bytes(written), png)

    def test_authoring(self):
        # The native editor's save of the edits, all on one frame.
        native_map = os.path.join(self.scratch, "edited.map")
        edits = os.path.join(self.scratch, "edits.input")
        with open(edits, "w", encoding="utf-8") as f:
            f.writelines("2 panel %s\n" % line for line in EDITS + ["save " + native_map])
        self.native("edits", edits, 10, 1, 10, True)
        self.start_playing("?debug")
        # An author uploads loc01's script with a greeting of their own...
        with open(os.path.join(NATIVE, "demo", "data", "scripts", "loc01.sc"), "rb") as f:
            script = f.read()
        greeting = "Свалка у старой трассы.".encode("cp1251")
        self.assertIn(greeting, script)
        upload = os.path.join(self.profile, "loc01.sc")
        with open(upload, "wb") as f:
            f.write(script.replace(greeting, "Свалка автора.".encode("cp1251")))
        Select(self.driver.find_element(By.ID, "upload-folder")).select_by_value("data/scripts")
        self.driver.find_element(By.ID, "upload").send_keys(upload)
        self.wait("return window.Module.FS.analyzePath('/home/web_user/authored/data/scripts/loc01.sc').exists", 30,
                  "the upload was not kept")
        # ...and opens the location in the panel, makes the edits and saves it (all at once, so the game has no
        # frames between them, as in the native run): the location plays the uploaded script at once...
        self.driver.execute_script("for (const line of arguments[0]) window.rustwakePanel(line)",
                                   EDITS + ["save data\\locations\\loc01.map"])
        self.assertIn("Свалка автора.", self.state()["console"])
        # ...and the saved location downloads as the very file the native editor writes.
        self.driver.find_element(By.LINK_TEXT, "loc01.map").click()
        with open(native_map, "rb") as f:
            self.assertEqual(self.downloaded(r"loc01\.map"), f.read())


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    NATIVE, SITE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
