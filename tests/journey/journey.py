#!/usr/bin/python3
"""A player's journey through the real brindlecast program.

On a private X server (openbox), with a private session bus (the accessibility bus
through which the program's widgets are found on screen), a private PulseAudio
daemon and the bundled service, it drives the program with real pointer and key
events: log in, a poker program's table opens, its room is confirmed, the table's
recorder records, its Save button is clicked, the video is listed under Recorded
with a thumbnail, Edit plays it, "Save and upload" stores it at the service. Then a
table recording is ended by SIGTERM (a logout) and the next start offers it, and
it is listed once saved. Screenshots of each step are kept in the artefacts folder.

Usage: journey.py BUILD_DIR SOURCE_DIR
"""

import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time
import traceback

BUILD, SOURCE = sys.argv[1], sys.argv[2]
ARTEFACTS = os.path.join(BUILD, "test-artefacts")
PATIENCE = float(os.environ.get("BC_JOURNEY_PATIENCE", "60"))
# An odd-sized screen, so that the monitor recorded has odd sides too.
SCREEN = (1279, 1023)
REGION = (820, 690, 423, 301)
WM_PATIENCE = 20.0
TABLE_SIZE = (634, 478)


class JourneyError(Exception):
    pass


def wait_for(what, check, timeout=PATIENCE, step=0.2):
    """Polls check() until it gives a true value, which it returns."""
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        try:
            value = check()
            if value:
                return value
        except Exception as error:  # the tree changes while it is read
            last_error = error
        time.sleep(step)
    raise JourneyError("timed out waiting for %s%s" % (what, " (%s)" % last_error if last_error else ""))


class Desktop:
    """The private session: X server, window manager, session bus, sound server, service."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.processes = []
        self.logs = {}
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "PULSE_SERVER", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER"):
            self.env.pop(name, None)

    def spawn(self, name, args, env=None, stdin=None):
        log = open(os.path.join(self.scratch, name + ".log"), "wb")
        self.logs[name] = log.name
        process = subprocess.Popen(args, env=env or self.env, stdout=log, stderr=subprocess.STDOUT,
                                   stdin=stdin if stdin is not None else subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def log_of(self, name):
        try:
            with open(self.logs[name], "rb") as log:
                return log.read().decode("utf-8", "replace")[-4000:]
        except (KeyError, OSError):
            return "(no output)"

    def start(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
                                 "-screen", "0", "%dx%dx24" % SCREEN], pass_fds=(write_end,),
                                stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.scratch, "xvfb.log"), "wb"))
        self.processes.append(xvfb)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 64)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise JourneyError("Xvfb gave no display")
        self.env["DISPLAY"] = ":" + number.decode().strip()
        wait_for("the X server", lambda: subprocess.run(["xprop", "-root", "-len", "1", "RESOURCE_MANAGER"], env=self.env,
                                                        capture_output=True).returncode == 0, WM_PATIENCE)
        self.spawn("openbox", ["openbox"])
        wait_for("the window manager", lambda: subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env, capture_output=True).stdout.count(b"window id"),
            WM_PATIENCE)

        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                             env=self.env, capture_output=True, check=True).stdout.decode().split()
        self.bus_pid = int(bus[1])
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus[0]
        # This script reads the widgets through the same bus (pyatspi is loaded later).
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus[0]
        os.environ["DISPLAY"] = self.env["DISPLAY"]

        runtime = os.path.join(self.scratch, "pulse-runtime")
        os.makedirs(runtime, mode=0o700)
        pulse_env = dict(self.env)
        pulse_env.pop("DISPLAY")
        pulse_env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(self.scratch, "no-bus")
        pulse_env["XDG_RUNTIME_DIR"] = runtime
        self.spawn("pulseaudio", ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                                  "-F", os.path.join(SOURCE, "tests/support/test-sound-server.pa")], env=pulse_env)
        socket = os.path.join(runtime, "pulse", "native")
        try:
            wait_for("the sound server", lambda: os.path.exists(socket), 20)
        except JourneyError:
            raise JourneyError("PulseAudio did not start:\n" + self.log_of("pulseaudio"))
        self.env["PULSE_SERVER"] = "unix:" + socket

        self.service_data = os.path.join(self.scratch, "service")
        service = self.spawn("service", [os.path.join(BUILD, "service/brindlecast-service"), "--port", "0",
                                         "--data", self.service_data])
        line = wait_for("the service's address", lambda: [l for l in self.log_of("service").splitlines()
                                                          if l.startswith("Brindlecast service on ")], 20)[0]
        self.service_url = line.split()[3]
        if service.poll() is not None:
            raise JourneyError("the service ended:\n" + self.log_of("service"))

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        for process in self.processes:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        if getattr(self, "bus_pid", None):
            try:
                os.kill(self.bus_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass

    def run(self, args):
        return subprocess.run(args, env=self.env, capture_output=True, check=True).stdout.decode()

    def screenshot(self, name):
        os.makedirs(ARTEFACTS, exist_ok=True)
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "x11grab", "-video_size", "%dx%d" % SCREEN, "-i",
                        self.env["DISPLAY"], "-frames:v", "1", os.path.join(ARTEFACTS, "journey-%s.png" % name)],
                       env=self.env, capture_output=True)


class Program:
    """The brindlecast program, its widgets found through the accessibility bus."""

    def __init__(self, desktop, home):
        self.desktop = desktop
        self.home = home
        self.process = None

    def start(self):
        env = dict(self.desktop.env)
        env.update({"HOME": self.home, "BRINDLECAST_SERVICE_URL": self.desktop.service_url,
                    "QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                    "XDG_CONFIG_HOME": os.path.join(self.home, ".config")})
        if os.geteuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        self.process = self.desktop.spawn("brindlecast-%d" % len(self.desktop.processes),
                                          [os.path.join(BUILD, "main/brindlecast")], env=env)

    def check_running(self):
        if self.process.poll() is not None:
            raise JourneyError("brindlecast ended with %s" % self.process.returncode)

    def _app(self):
        import pyatspi
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Brindlecast":
                return app
        return None

    def find(self, role, name=None, description=None, within=None, showing=True):
        """The first widget of that role (and name or description) that is on screen."""
        import pyatspi
        self.check_running()
        root = within or self._app()
        if root is None:
            return None

        def matches(node):
            if node is None or node.getRoleName() != role:
                return False
            if name is not None and node.name != name:
                return False
            if description is not None and node.description != description:
                return False
            return not showing or node.getState().contains(pyatspi.STATE_SHOWING)

        found = pyatspi.findDescendant(root, matches, breadth_first=True)
        return found

    def find_beside(self, role, anchor, right=False, accept=lambda node: True):
        """The widget of that role on the anchor's row, nearest to its left (or right),
        among those accept() takes."""
        import pyatspi
        if anchor is None:
            return None
        ax, ay = self.settled_centre(anchor)
        best = None
        for node in pyatspi.findAllDescendants(self._app(), lambda n: n is not None and n.getRoleName() == role
                                               and n.getState().contains(pyatspi.STATE_SHOWING)):
            x, y = self.centre(node)
            if abs(y - ay) > 12 or (x <= ax if right else x >= ax) or not accept(node):
                continue
            if best is None or abs(x - ax) < abs(best[0] - ax):
                best = (x, node)
        return best[1] if best else None

    def wait(self, role, name=None, description=None, within=None, timeout=PATIENCE):
        label = "%s %r" % (role, name if name is not None else description)
        return wait_for(label, lambda: self.find(role, name, description, within), timeout)

    def x_window_ids(self):
        """The ids of the program's shown X windows."""
        return set(subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)],
                                  env=self.desktop.env, capture_output=True).stdout.decode().split())

    def x_windows(self):
        """The program's shown X windows: (x, y, width, height) each, as the X server has them."""
        ids = self.x_window_ids()
        windows = []
        keys = {"Absolute upper-left X": 0, "Absolute upper-left Y": 1, "Width": 2, "Height": 3}
        for window in ids:
            values = [0, 0, 0, 0]
            for line in self.desktop.run(["xwininfo", "-id", window]).splitlines():
                key, _, value = line.strip().partition(":")
                if key in keys:
                    values[keys[key]] = int(value)
            windows.append(tuple(values))
        return windows

    def centre(self, node):
        """Where the widget is on the screen. Its window's place is taken from the X server:
        the toolkit may not have heard yet where a window it moved has gone."""
        import pyatspi
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if extents.width <= 0 or extents.height <= 0:
            raise JourneyError("%s %r has no place on screen" % (node.getRoleName(), node.name))
        top = node
        while top.parent is not None and top.parent.getRoleName() != "application":
            top = top.parent
        window = top.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        dx = dy = 0
        same_size = [w for w in self.x_windows() if (w[2], w[3]) == (window.width, window.height)]
        if same_size:
            nearest = min(same_size, key=lambda w: abs(w[0] - window.x) + abs(w[1] - window.y))
            dx, dy = nearest[0] - window.x, nearest[1] - window.y
        return extents.x + extents.width // 2 + dx, extents.y + extents.height // 2 + dy

    def settled_centre(self, node):
        """The centre once the widget stays put (windows are placed after they show)."""
        seen = []

        def still():
            # The same place on two polls in a row.
            seen.append(self.centre(node))
            return seen[-1] if len(seen) > 1 and seen[-1] == seen[-2] else None
        return wait_for("%r to stay in place" % node.name, still)

    def click(self, node):
        x, y = self.settled_centre(node)
        self.desktop.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"])

    def recorded_seconds(self, save_button):
        """What the recorder of that Save button shows it has recorded, in seconds."""
        # Its clock, not another window's text that happens to lie on the same row.
        clock = re.compile(r"^\d\d:\d\d:\d\d$")
        label = self.find_beside("label", save_button, accept=lambda node: clock.match(node.name or ""))
        hours, minutes, seconds = (int(v) for v in label.name.split(":"))
        return hours * 3600 + minutes * 60 + seconds

    def wait_recorded(self, save_button, seconds):
        wait_for("%d seconds of recording" % seconds, lambda: self.recorded_seconds(save_button) >= seconds)

    def wait_new_window(self, shown_before):
        """Until the program shows a window it did not (a selector, a recorder). Others may
        close meanwhile (a saved video's note does by itself)."""
        wait_for("a new window", lambda: self.x_window_ids() - shown_before)

    def wait_active(self, title):
        wait_for("%r to be the active window" % title, lambda: subprocess.run(
            ["xdotool", "getactivewindow", "getwindowname"], env=self.desktop.env,
            capture_output=True).stdout.decode().strip() == title)

    def type(self, text):
        self.desktop.run(["xdotool", "type", "--delay", "40", text])

    def key(self, *keys):
        self.desktop.run(["xdotool", "key"] + list(keys))


def pyatspi_buttons(program):
    """The Save buttons of every recorder on screen."""
    import pyatspi
    return pyatspi.findAllDescendants(program._app(), lambda n: n is not None and n.getRoleName() == "push button"
                                      and n.description == "Save the last recorded minutes"
                                      and n.getState().contains(pyatspi.STATE_SHOWING))


def video_size(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                          "stream=width,height", "-of", "csv=p=0", path], capture_output=True).stdout.decode()
    width, height = out.strip().split(",")
    return int(width), int(height)


def has_sound(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "stream=codec_type",
                          "-of", "csv=p=0", path], capture_output=True).stdout.decode()
    return "audio" in out


def avis(folder):
    if not os.path.isdir(folder):
        return []
    return sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".avi"))


class Journey:
    def __init__(self, scratch):
        self.desktop = Desktop(scratch)
        self.home = os.path.join(scratch, "home")
        os.makedirs(self.home)
        self.user = os.path.join(self.home, "Brindlecast", "users", "demo")
        self.program = Program(self.desktop, self.home)
        self.table = None

    def step(self, text):
        print("journey: " + text, flush=True)

    def open_table(self):
        # A poker program's table, under the program's own file name.
        program = os.path.join(self.desktop.scratch, "PokerStars.exe")
        shutil.copy(os.path.join(BUILD, "tests/support/x_test_window"), program)
        self.table = self.desktop.spawn("table", [program, "Table 'Alpha' - No Limit Hold'em", "300", "250",
                                                  str(TABLE_SIZE[0]), str(TABLE_SIZE[1]), "1f6f3f", "animate"],
                                        stdin=subprocess.PIPE)

    def log_in(self):
        p = self.program
        self.step("log in with the keyboard")
        p.wait("push button", "Sign in")
        # The email field is the one on the row of its label.
        email = wait_for("the email field", lambda: p.find_beside("text", p.find("label", "Email:"), right=True))
        p.click(email)
        p.type("demo@brindlecast.local")
        p.key("Tab")
        p.type("demo")
        p.key("Return")
        p.wait("frame", "Brindlecast - Main Window")
        ok = p.wait("push button", "OK", within=p.wait("dialog", "Brindlecast - Quick start"))
        self.desktop.screenshot("01-main-window")
        p.click(ok)

    def confirm_room(self):
        p = self.program
        self.step("the table's recorder offers its room; Enter confirms it")
        confirm = p.wait("push button", "Confirm")
        field = wait_for("the room field", lambda: p.find_beside("text", confirm))
        import pyatspi
        enabled = lambda: confirm.getState().contains(pyatspi.STATE_ENABLED)
        # The program's file name says the room: it is filled in, ready to confirm.
        wait_for("the offered room", enabled, 10)
        text = field.queryText()
        offered = text.getText(0, text.characterCount)
        if offered != "pokerstars.com":
            raise JourneyError("the room offered is %r, not pokerstars.com" % offered)
        self.desktop.screenshot("02-room")
        # A click under load may be lost: the keys then go nowhere, and are sent again.
        for _ in range(3):
            p.click(field)
            p.key("End")
            p.key("Return")
            try:
                wait_for("the room form to close", lambda: p.find("push button", "Confirm") is None, 15)
                return
            except JourneyError:
                continue
        raise JourneyError("Enter in the room field did not confirm the offered room")

    def save_table(self, count):
        p = self.program
        self.step("the table is recorded; its Save button is clicked")
        save = p.wait("push button", description="Save the last recorded minutes")
        p.wait_recorded(save, 4)
        self.desktop.screenshot("03-recording")
        p.click(save)
        recorded = os.path.join(self.user, "out", "recorded")
        files = wait_for("the saved video", lambda: len(avis(recorded)) >= count and avis(recorded))
        p.wait("page tab", "Recorded (%d)" % count)
        return files

    def table_frame_size(self):
        """The table with the window manager's frame: what is recorded with the windows over it."""
        window = self.desktop.log_of("table").split()[0]
        extents = self.desktop.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"]).split("=")[1]
        left, right, top, bottom = (int(v) for v in extents.split(","))
        return TABLE_SIZE[0] + left + right, TABLE_SIZE[1] + top + bottom

    def check_listed(self, files):
        newest = max(files, key=os.path.getmtime)
        size = video_size(newest)
        width, height = self.table_frame_size()
        # The encoder keeps an even height: an odd one loses its last row.
        expected = (width, height & ~1)
        if size != expected:
            raise JourneyError("the table was saved at %dx%d, not %dx%d" % (size + expected))
        if not has_sound(newest):
            raise JourneyError("the saved table has no sound")
        thumbnails = os.path.join(self.user, "out", "thumbnail")
        wait_for("a thumbnail", lambda: any(f.endswith(".png") for f in os.listdir(thumbnails)))
        self.desktop.screenshot("04-recorded")

    def edit_and_upload(self):
        p = self.program
        self.step("Edit plays the video; Save and upload stores it at the service")
        main = p.wait("frame", "Brindlecast - Main Window")
        # The table lies over the main window: a click on its tab brings it forward.
        p.click(p.wait("page tab", "Recorded (1)"))
        p.wait_active("Brindlecast - Main Window")
        p.click(p.wait("push button", "Edit", within=main))
        p.wait("page tab", "Editing (1)")
        upload = p.wait("push button", "Save and upload")
        self.desktop.screenshot("05-editing")
        # The login has ended at the service meanwhile (as after a logout elsewhere).
        database = os.path.join(self.desktop.service_data, "service.db")
        with sqlite3.connect(database, timeout=30) as db:
            sessions = db.execute("SELECT * FROM sessions").fetchall()
            db.execute("DELETE FROM sessions")
        p.click(upload)
        self.step("The service refuses the upload: its reason is shown, with Try again")

        def refused():
            self.confirm_dialog()
            return p.find("label", "The upload failed: Please log in first")

        wait_for("the refusal in the Edited list", refused, 240, 1.0)
        self.desktop.screenshot("06-upload-refused")
        with sqlite3.connect(database, timeout=30) as db:
            db.executemany("INSERT INTO sessions VALUES (%s)" % ",".join("?" * len(sessions[0])), sessions)
        p.click(p.wait("push button", "Try again"))
        uploads = os.path.join(self.desktop.service_data, "uploads")

        def stored():
            flvs = [f for f in os.listdir(uploads) if f.endswith(".flv")] if os.path.isdir(uploads) else []
            return flvs if flvs and self.service_has_video(database) else None

        wait_for("the upload at the service", stored, 240, 1.0)
        p.wait("page tab", "Edited (1)")
        self.desktop.screenshot("06-uploaded")

    def confirm_dialog(self):
        """Confirms the title asked for, if any, as offered."""
        p = self.program
        for dialog_button in ("OK", "Yes"):
            button = p.find("push button", dialog_button, within=p.find("dialog"))
            if button is not None:
                p.click(button)

    def service_has_video(self, database):
        for name in os.listdir(self.desktop.service_data):
            if name.endswith(".db") or name.endswith(".sqlite"):
                database = os.path.join(self.desktop.service_data, name)
        try:
            with sqlite3.connect("file:%s?mode=ro" % database, uri=True, timeout=5) as db:
                return db.execute("SELECT COUNT(*) FROM videos").fetchone()[0] > 0
        except sqlite3.Error:
            return False

    def logout_keeps_the_recording(self):
        p = self.program
        self.step("SIGTERM while the table records: the next start offers the kept minutes")
        save = p.wait("push button", description="Save the last recorded minutes")
        # A few more seconds recorded since the save.
        p.wait_recorded(save, p.recorded_seconds(save) + 3)
        p.process.send_signal(signal.SIGTERM)
        try:
            code = p.process.wait(60)
        except subprocess.TimeoutExpired:
            raise JourneyError("SIGTERM did not end the program")
        if code != 0:
            raise JourneyError("the program ended with %d after SIGTERM" % code)
        before = len(avis(os.path.join(self.user, "out", "recorded")))
        tmp = os.path.join(self.user, "tmp")
        kept = set(f for f in os.listdir(tmp) if f.endswith(".avi"))
        if not kept:
            raise JourneyError("nothing was kept at SIGTERM")
        p.start()
        question = wait_for("the recovery question", lambda: p.find("label", "A recording was interrupted. Save the last minutes?"))
        self.desktop.screenshot("07-recovery")
        p.click(p.wait("push button", "Yes", within=question.parent))
        recorded = os.path.join(self.user, "out", "recorded")
        wait_for("the recovered video", lambda: len(avis(recorded)) == before + 1)
        p.wait("page tab", "Recorded (%d)" % (before + 1))
        # Saved once: its segments go (the table, still open, is recorded anew meanwhile).
        wait_for("the kept segments to go", lambda: not kept.intersection(os.listdir(tmp)))

    def nearest_save_button(self, x, y, known):
        """The Save button nearest to x, y of a recorder that was not on screen before (known:
        the centres of those that were; a table's recorder may float nearby)."""
        p = self.program
        buttons = [b for b in pyatspi_buttons(p) if p.centre(b) not in known]

        def distance(button):
            bx, by = p.centre(button)
            return abs(bx - x) + abs(by - y)

        return min(buttons, key=distance) if buttons else None

    def save_and_check(self, button, expected, what):
        recorded = os.path.join(self.user, "out", "recorded")
        before = set(avis(recorded))
        self.program.wait_recorded(button, 3)
        self.program.click(button)
        new = wait_for("the saved %s" % what, lambda: set(avis(recorded)) - before)
        path = new.pop()
        # Complete once listed with its length: the file is then whole.
        wait_for("the %s to be listed" % what, lambda: self.program.find("page tab", "Recorded (%d)" % (len(before) + 1)))
        size = wait_for("a readable %s" % what, lambda: video_size(path))
        # The encoder keeps an even height: an odd one loses its last row.
        if size != (expected[0], expected[1] & ~1):
            raise JourneyError("the %s was saved at %dx%d, not %dx%d" % ((what,) + size + expected))

    def record_region_and_monitor(self):
        p = self.program
        self.step("by hand: a 423 x 301 region dragged on the desktop, then the monitor")
        # The quick start shown again at this start is closed first.
        quick_start = p.find("dialog", "Brindlecast - Quick start")
        if quick_start is not None:
            p.click(p.wait("push button", "OK", within=quick_start))
        p.click(p.wait("page tab", "Recorded (2)"))
        p.click(p.wait("radio button", "Manu"))
        windows = p.x_window_ids()
        recording = set(p.centre(b) for b in pyatspi_buttons(p))
        p.click(p.wait("push button", description="Select a region"))
        p.wait_new_window(windows)
        x, y, width, height = REGION
        self.desktop.run(["xdotool", "mousemove", "--sync", str(x), str(y), "mousedown", "1"])
        for step in (4, 2, 1):
            self.desktop.run(["xdotool", "mousemove", "--sync", str(x + width // step), str(y + height // step)])
        self.desktop.run(["xdotool", "mouseup", "1"])
        button = wait_for("the region's recorder", lambda: self.nearest_save_button(x + width // 2, y, recording))
        self.desktop.screenshot("09-region")
        self.save_and_check(button, (width, height), "region")

        recording = set(p.centre(b) for b in pyatspi_buttons(p))
        windows = p.x_window_ids()
        p.click(p.wait("push button", description="Select a monitor"))
        p.wait_new_window(windows)
        self.desktop.run(["xdotool", "mousemove", "--sync", str(SCREEN[0] // 2), str(SCREEN[1] // 2), "click", "1"])
        record = p.find("push button", "Record")
        if record is not None:
            p.click(record)
        monitor = wait_for("the monitor's recorder",
                           lambda: [b for b in pyatspi_buttons(p) if p.centre(b) not in recording][:1])[0]
        self.desktop.screenshot("10-monitor")
        self.save_and_check(monitor, SCREEN, "monitor")

    def run(self):
        self.desktop.start()
        self.program.start()
        self.log_in()
        self.open_table()
        self.confirm_room()
        files = self.save_table(1)
        self.check_listed(files)
        self.edit_and_upload()
        self.logout_keeps_the_recording()
        self.record_region_and_monitor()
        self.desktop.screenshot("11-end")


def main():
    scratch = tempfile.mkdtemp(prefix="bc-journey.")
    journey = Journey(scratch)
    try:
        journey.run()
        print("journey: 1 passed, 0 failed")
        return 0
    except Exception:
        traceback.print_exc()
        journey.desktop.screenshot("failed")
        for name in journey.desktop.logs:
            if name.startswith("brindlecast") or name in ("service", "pulseaudio", "openbox"):
                print("---- %s ----\n%s" % (name, journey.desktop.log_of(name)))
        log = os.path.join(journey.home, "Brindlecast", "log.txt")
        if os.path.exists(log):
            with open(log, encoding="utf-8", errors="replace") as f:
                print("---- log.txt ----\n" + f.read()[-6000:])
        return 1
    finally:
        journey.desktop.stop()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
