"""Drives Typomancer like a user: a virtual display with a window manager, Wine in a prefix of
its own, real mouse clicks through xdotool, and the probe program to read the windows back.

Every process started here is remembered and ended by its own id; Wine's programs end with
the wineserver of their prefix.
"""

import json
import os
import random
import select
import shutil
import subprocess
import tempfile
import time

# Identifiers of window/control_ids.h.
ID_SCRIPT = 100
ID_RUN = 101
ID_WAIT = 102
ID_PICTURE1 = 110
ID_PICTURE2 = 111
ID_CMD_FIRST = 200
MAIN_CLASS = "TypomancerMainWindow"
TARGET_CLASS = "TypomancerTestTarget"

SAMPLE_SCRIPT = "\r\n".join([
    "hello world!",
    "{ENTER}",
    "10 spaces:          this is a test",
    "{ENTER}",
    "{ENTER}",
    "2 Tabs:{TAB}{TAB}some more text",
    "{ENTER}",
    "h 10 times: {h 10}",
    "{ENTER}",
    "single space",
    " ",
    "{ENTER}",
    "wait 5 seconds",
    "{ENTER}",
    "{WAIT 5}",
    "{ENTER}",
    "ALT-TAB",
    "%{TAB}",
    "CTRL-Escape",
    "^{ESC}",
])

# What the sample script leaves in Notepad, worked out by hand from the notation. Notepad
# shows Enter as CR LF. Alt+Tab switches nothing under Wine, so the last line still reaches
# Notepad, and Ctrl+Esc types nothing.
SAMPLE_TYPED = (
    "hello world!\r\n"
    "10 spaces:          this is a test\r\n"
    "\r\n"
    "2 Tabs:\t\tsome more text\r\n"
    "h 10 times: hhhhhhhhhh\r\n"
    "single space \r\n"
    "wait 5 seconds\r\n"
    "\r\n"
    "ALT-TABCTRL-Escape"
)

CAPTION_IDLE = "Typomancer"
CAPTION_RUNNING = "Running..."


def utf16_length(text):
    return len(text.encode("utf-16-le", "surrogatepass")) // 2


def escaped(text):
    """The notation for typing `text` literally: every character that means something in it
    goes inside braces."""
    return "".join("{" + ch + "}" if ch in "+^%~(){}" else ch for ch in text)


class E2EError(AssertionError):
    """A condition the tests wait for did not come, or a helper failed."""


def wait_for(what, check, timeout, interval=0.1):
    """Calls check() until it returns (True, value), and returns the value; after `timeout`
    seconds raises E2EError naming `what` and the last value seen."""
    deadline = time.monotonic() + timeout
    while True:
        ok, value = check()
        if ok:
            return value
        if time.monotonic() > deadline:
            raise E2EError(f"timed out after {timeout} s waiting for {what}; last seen: "
                           f"{shorten(value)}")
        time.sleep(interval)


def shorten(value, limit=1500):
    text = repr(value)
    return text if len(text) <= limit else text[:limit] + f"... ({len(text)} characters)"


class Processes:
    """The processes this run started, ended by their own ids."""

    def __init__(self):
        self._started = []

    def start(self, args, env=None, log=None, pass_fds=()):
        out = open(log, "ab") if log else subprocess.DEVNULL
        try:
            process = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.STDOUT, pass_fds=pass_fds)
        finally:
            if log:
                out.close()
        self._started.append(process)
        return process

    def stop(self, process, timeout=10):
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.forget(process)

    def forget(self, process):
        if process in self._started:
            self._started.remove(process)

    def stop_all(self):
        for process in reversed(list(self._started)):
            self.stop(process)


class Display:
    """An Xvfb display, with the openbox window manager unless told otherwise. Openbox makes a
    minimised window give up the foreground, as on Windows; without it Wine keeps a minimised
    window in front."""

    def __init__(self, processes, log_dir, size="1600x1400", window_manager=True):
        self._processes = processes
        self._log_dir = log_dir
        self._size = size
        self._window_manager = window_manager
        self.has_window_manager = window_manager
        self._xvfb = None
        self._openbox = None
        self.name = None

    def start(self):
        # Other Xvfb servers come and go on this machine, and a display number that looked free
        # can be taken by the time ours listens: it then exits at once, and we try another.
        # High random numbers keep out of the way of servers that count up from :0.
        for _ in range(10):
            number = random.randrange(100, 1000)
            if not os.path.exists(f"/tmp/.X{number}-lock") and self._start_server(number):
                break
        else:
            raise E2EError(f"Xvfb did not start; see {self._log('xvfb')}")
        if self._window_manager:
            self._start_window_manager()
        return self

    def _start_window_manager(self):
        # On a busy machine openbox now and then gives up while it starts; it is cheap to ask
        # again.
        for _ in range(3):
            self._openbox = self._processes.start(["openbox", "--sm-disable"], env=self.env(),
                                                  log=self._log("openbox"))
            running = wait_for("openbox to manage the display or to exit",
                               lambda: self._has_window_manager()
                               if self._openbox.poll() is None else (True, False), 30)
            if running:
                return
            self._processes.stop(self._openbox)
        raise E2EError(f"openbox did not start on {self.name}; see {self._log('openbox')}")

    def _log(self, program):
        return os.path.join(self._log_dir, program + ".log")

    def _start_server(self, number):
        self.name = f":{number}"
        read_end, write_end = os.pipe()
        try:
            # -displayfd tells when the server is ready: it writes the number to the pipe.
            self._xvfb = self._processes.start(
                ["Xvfb", self.name, "-displayfd", str(write_end), "-screen", "0",
                 f"{self._size}x24", "-nolisten", "tcp"], log=self._log("xvfb"),
                pass_fds=(write_end,))
            os.close(write_end)
            write_end = None
            ready, _, _ = select.select([read_end], [], [], 20)
            reported = os.read(read_end, 64).decode().strip() if ready else ""
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        if reported == str(number) and wait_for("Xvfb to accept clients", self._accepts_clients,
                                                20):
            return True
        self._processes.stop(self._xvfb)
        return False

    def _accepts_clients(self):
        if self._xvfb.poll() is not None:
            return True, False
        result = subprocess.run(["xprop", "-root", "-display", self.name, "_NET_WM_NAME"],
                                stdin=subprocess.DEVNULL, capture_output=True)
        return result.returncode == 0, True

    def env(self):
        env = os.environ.copy()
        env["DISPLAY"] = self.name
        return env

    def _has_window_manager(self):
        result = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env(),
                                stdin=subprocess.DEVNULL, capture_output=True, text=True)
        return "window id" in result.stdout, True

    def click(self, x, y):
        # No --sync: it waits for a motion event, which never comes when the pointer is
        # already there. The server handles the move and the click in the order sent.
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"],
                       env=self.env(), stdin=subprocess.DEVNULL, check=True, timeout=30)

    def active_window_name(self):
        """The title of the window that the window manager shows as active, where the user's
        own keys go."""
        result = subprocess.run(["xdotool", "getactivewindow", "getwindowname"], env=self.env(),
                                stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                timeout=30)
        return result.stdout.strip()

    def screenshot(self, path):
        """Saves the whole screen as PNG and returns it as a Picture for pixel checks."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        raw = path + ".ppm"
        subprocess.run(["import", "-window", "root", "-depth", "8", raw], env=self.env(),
                       stdin=subprocess.DEVNULL, check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["convert", raw, path], stdin=subprocess.DEVNULL, check=True, timeout=60)
        try:
            return Picture.read_ppm(raw)
        finally:
            os.remove(raw)


class Picture:
    """A screenshot's pixels, from a binary PPM file."""

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self._data = data

    @staticmethod
    def read_ppm(path):
        with open(path, "rb") as file:
            data = file.read()
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise E2EError(f"{path}: not an 8-bit binary PPM")
        return Picture(int(fields[1]), int(fields[2]), data[pos + 1:])

    def luminance(self, x, y):
        i = (y * self.width + x) * 3
        r, g, b = self._data[i], self._data[i + 1], self._data[i + 2]
        return (299 * r + 587 * g + 114 * b) // 1000


class Wine:
    """Windows programs in one Wine prefix, on one display."""

    def __init__(self, processes, prefix, display, build_dir, work_dir):
        self._processes = processes
        self.prefix = prefix
        self.display = display
        self.build_dir = build_dir
        self._work_dir = work_dir
        self._logs = os.path.join(work_dir, "logs")
        os.makedirs(self._logs, exist_ok=True)
        self._programs = []

    def env(self):
        env = self.display.env()
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "WINEARCH": "win64",
        })
        return env

    def _run(self, args, timeout):
        with open(os.path.join(self._logs, "wine-tools.log"), "ab") as log:
            return subprocess.run(args, env=self.env(), stdin=subprocess.DEVNULL, stdout=log,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode

    def boot(self):
        """Creates the prefix on first use (about 15 s) and starts its background processes
        outside any pipe that a reader could wait on."""
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            os.makedirs(self.prefix, exist_ok=True)
            self._run(["wineboot", "-i"], timeout=300)
        self._run(["wineboot"], timeout=120)
        return self

    def start(self, program, *args):
        log = os.path.join(self._logs, os.path.basename(program) + ".log")
        process = self._processes.start(["wine", program, *args], env=self.env(), log=log)
        self._programs.append(process)
        return process

    def program(self, name):
        return os.path.join(self.build_dir, name)

    def probe(self, *args, allow_failure=False):
        """Runs one query of the probe and returns its JSON answer."""
        fd, out = tempfile.mkstemp(prefix="probe-", suffix=".json", dir=self._work_dir)
        os.close(fd)
        try:
            with open(out, "wb") as file:
                process = subprocess.Popen(["wine", self.program("typomancer-probe.exe"), *args],
                                           env=self.env(), stdin=subprocess.DEVNULL,
                                           stdout=file, stderr=subprocess.DEVNULL)
                try:
                    status = process.wait(60)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
                    raise E2EError(f"probe {' '.join(args)} did not answer within 60 s")
            with open(out, "rb") as file:
                text = file.read().decode("utf-8")
        finally:
            os.remove(out)
        try:
            answer = json.loads(text)
        except ValueError:
            raise E2EError(f"probe {' '.join(args)}: status {status}, unreadable answer "
                           f"{shorten(text)}")
        if status != 0 and not allow_failure:
            raise E2EError(f"probe {' '.join(args)}: status {status}, {shorten(answer)}")
        return answer

    def probe_in_background(self, *args):
        """Starts a long probe query (such as `captions`); finish it with collect()."""
        fd, out = tempfile.mkstemp(prefix="probe-", suffix=".json", dir=self._work_dir)
        os.close(fd)
        fd, err = tempfile.mkstemp(prefix="probe-", suffix=".err", dir=self._work_dir)
        os.close(fd)
        with open(out, "wb") as stdout, open(err, "wb") as stderr:
            process = subprocess.Popen(["wine", self.program("typomancer-probe.exe"), *args],
                                       env=self.env(), stdin=subprocess.DEVNULL, stdout=stdout,
                                       stderr=stderr)
        return BackgroundProbe(process, out, err)

    def kill_all(self):
        """Ends every Windows program of the prefix, and waits until the wineserver is gone."""
        self._run(["wineserver", "-k"], timeout=60)
        self._run(["wineserver", "-w"], timeout=60)
        for process in self._programs:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                # Not one of the prefix's any more (it never reached the wineserver).
                self._processes.stop(process)
            self._processes.forget(process)
        self._programs.clear()


class BackgroundProbe:
    def __init__(self, process, out, err):
        self._process = process
        self._out = out
        self._err = err

    def wait_until_watching(self, timeout=60):
        """Waits until the probe has read its first caption, so nothing it is to see is
        missed."""
        def watching():
            with open(self._err, "rb") as file:
                said = file.read()
            return b"watching" in said or self._process.poll() is not None, said
        wait_for("the caption watcher to start", watching, timeout, interval=0.05)

    def collect(self, timeout):
        try:
            self._process.wait(timeout)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
            raise E2EError(f"background probe still running after {timeout} s")
        try:
            with open(self._out, "rb") as file:
                return json.loads(file.read().decode("utf-8"))
        finally:
            os.remove(self._out)
            os.remove(self._err)


class Typomancer:
    """One start of the program, seen from outside."""

    def __init__(self, wine):
        self.wine = wine
        self.process = None

    def start(self, startup_timeout=60):
        """Starts the program on a clean slate and waits until start-up has finished: the window
        in front with the focus on "Run Script", and Notepad open behind it. Returns that state."""
        self.wine.kill_all()
        self.process = self.wine.start(self.wine.program("Typomancer.exe"))
        # On a loaded machine Notepad can still be settling in when the window first reads as
        # ready, and then come up over it; the state must hold on two readings in a row.
        readings = []

        def settled():
            ready, state = self._started_up()
            readings.append(ready)
            return ready and readings[-2:] == [True, True], state
        return wait_for("start-up to finish", settled, startup_timeout, interval=0.2)

    def _started_up(self):
        state = self.state()
        main = state["main"]
        ready = (main["found"] and main["visible"] and not main["minimised"]
                 and state["foreground"].get("class") == MAIN_CLASS
                 and main.get("focus", {}).get("id") == ID_RUN
                 and main.get("run_uncovered", False)
                 and state["notepad"]["found"] and state["notepad"]["visible"])
        if ready and self.wine.display.has_window_manager:
            # The window manager's idea of the active window, where the user's keys go.
            state["active"] = self.wine.display.active_window_name()
            ready = state["active"] == CAPTION_IDLE
        return ready, state

    def state(self):
        return self.wine.probe("state")

    def controls(self):
        answer = self.wine.probe("controls")
        return answer, {c["id"]: c for c in answer["controls"]}

    def text(self, control_id):
        return self.wine.probe("control-text", str(control_id))["text"]

    def set_text(self, control_id, text):
        """Replaces a control's text as a paste would; returns the length the control holds."""
        fd, path = tempfile.mkstemp(prefix="text-", suffix=".txt", dir=self.wine._work_dir)
        with os.fdopen(fd, "wb") as file:
            file.write(text.encode("utf-8", "surrogatepass"))
        try:
            answer = self.wine.probe("set-control-text", str(control_id), path)
        finally:
            os.remove(path)
        return answer["length"]

    def click(self, control_id):
        """A real mouse click at the centre of the control, after making sure that the control
        is what lies there (a covered button would take the click elsewhere)."""
        point = self.wine.probe("point", str(control_id))
        if not point["hits"]:
            raise E2EError(f"control {control_id} is covered at ({point['x']}, {point['y']}) "
                           f"by {point['hit_class']} {point['hit_id']}")
        self.wine.display.click(point["x"], point["y"])

    def notepad_text(self):
        return self.wine.probe("notepad-text")["text"]

    def target_text(self):
        return self.wine.probe("target-text")["text"]

    def watch_captions(self, *expected, timeout_ms=60000):
        """Records the captions from now on until they end with `expected`."""
        watcher = self.wine.probe_in_background("captions", str(timeout_ms), *expected)
        watcher.wait_until_watching()
        return watcher

    def dialogs(self):
        return self.state()["main"].get("dialogs", [])


class Environment:
    """What the tests share: one display with a window manager and one ready prefix; a display
    without a window manager and a prefix at another DPI are made when first asked for."""

    PROGRAMS = ("Typomancer.exe", "typomancer-probe.exe", "typomancer-target.exe")

    def __init__(self, build_dir, work_dir, prefix=None, programs=PROGRAMS):
        self.build_dir = os.path.abspath(build_dir)
        self.work_dir = os.path.abspath(work_dir)
        self._prefix = os.path.abspath(prefix or os.path.join(self.work_dir, "prefix"))
        self._programs = programs
        self.processes = Processes()
        self.display = None
        self.wine = None
        self._bare_display = None
        self._wines = {}  # (prefix, display name): Wine

    def start(self):
        for name in self._programs:
            if not os.path.exists(os.path.join(self.build_dir, name)):
                raise E2EError(f"{name} is missing from {self.build_dir}: build the windows "
                               "preset first")
        os.makedirs(os.path.join(self.work_dir, "logs"), exist_ok=True)
        self.display = Display(self.processes, self._log_dir()).start()
        self.wine = self._wine(self._prefix, self.display).boot()
        return self

    def _log_dir(self):
        return os.path.join(self.work_dir, "logs")

    def _wine(self, prefix, display):
        key = (prefix, display.name)
        if key not in self._wines:
            self._wines[key] = Wine(self.processes, prefix, display, self.build_dir,
                                    self.work_dir)
        return self._wines[key]

    def bare_display(self):
        """A second display, with no window manager."""
        if self._bare_display is None:
            self._bare_display = Display(self.processes, self._log_dir(),
                                         window_manager=False).start()
        return self._bare_display

    def wine_on(self, display):
        """The main prefix, its programs shown on `display`."""
        return self._wine(self.wine.prefix, display)

    def wine_at_dpi(self, dpi):
        """A prefix whose Wine reports `dpi`, copied from the main one on first use."""
        prefix = os.path.join(self.work_dir, f"prefix-{dpi}dpi")
        wine = self._wine(prefix, self.display)
        marker = os.path.join(prefix, f"logpixels-{dpi}")
        if not os.path.exists(marker):
            self.wine.kill_all()
            shutil.rmtree(prefix, ignore_errors=True)
            subprocess.run(["cp", "-a", self.wine.prefix, prefix], check=True)
            wine._run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                       "/t", "REG_DWORD", "/d", str(dpi), "/f"], timeout=120)
            # The registry reaches the disk when the wineserver ends.
            wine._run(["wineserver", "-w"], timeout=60)
            open(marker, "w").close()
        return wine

    def end_programs(self):
        """Ends the Windows programs of every prefix in use, so that a test starts on a clean
        slate."""
        for wine in self._wines.values():
            wine.kill_all()

    def screenshot(self, name, display=None):
        path = os.path.join(self.work_dir, name)
        picture = (display or self.display).screenshot(path)
        return path, picture

    def close(self):
        """Ends the Wine programs of every prefix used, then the displays."""
        try:
            self.end_programs()
        finally:
            self.processes.stop_all()
