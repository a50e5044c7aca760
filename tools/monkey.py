#!/usr/bin/env python3
"""The monkey test: the real program under its own Xvfb, driven by seeded random clicks, drags,
keys and typed text over whatever windows it shows, on a copy of the sample data, sandboxed in
one temporary folder. After each step it waits until the program has handled the step (an X
round trip it must answer) and its trace log is quiet, so one seed replays the same steps; the
steps are written to actions.txt. It fails on a crash, an exit status other than 0, a sanitizer
report, a step not answered within 20 seconds, a record that is not well-formed XML, or a reading
of the sample data that is gone without a traced deletion or edit (a removed user's readings are
looked for where the removal left the record).

usage: monkey.py --program PATH [--data DIR] [--seed N] (--steps N | --minutes M) [--keep] [--shots]
"""
import argparse, collections, ctypes, glob, os, random, re, select, shutil, subprocess, sys, tempfile, time
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
MAIN_TITLE = "Kestrelon - Marlowen Veloria"
ANSWER_WITHIN = 20.0
SANITIZER = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:|UndefinedBehaviorSanitizer|SUMMARY: \w+Sanitizer")
TRACED = re.compile(r"(Deleted|Edited) entry: file (.*?), variable (.*?), id (.*?), date (.*?), time (.*?)(;|$)")


class Failure(Exception):
    pass


class XEventClient(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", XEventClient), ("pad", ctypes.c_long * 24)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [(n, ctypes.c_int) for n in ("x", "y", "width", "height", "border_width", "depth")] + [
        ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
        ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
        ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
        ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
        ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
        ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class X:
    """The few Xlib calls the monkey needs: the mapped top-level windows, closing one as a window
    manager would, and a drag-and-drop round trip that only an event loop that runs answers."""

    def __init__(self, display):
        x = self.x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XDefaultRootWindow.restype = x.XCreateSimpleWindow.restype = x.XInternAtom.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 4 + [ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 4
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        x.XCheckTypedWindowEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_void_p]
        x.XFree.argtypes = [ctypes.c_void_p]
        for f in ("XFlush", "XSync", "XConnectionNumber", "XPending"):
            getattr(x, f).argtypes = [ctypes.c_void_p] + ([ctypes.c_int] if f == "XSync" else [])
        self.d = x.XOpenDisplay(display.encode())
        if not self.d:
            raise Failure("cannot open display " + display)
        # A window that goes away while it is looked at is no error of the monkey's.
        self.ignore = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        x.XSetErrorHandler(self.ignore)
        self.root = x.XDefaultRootWindow(self.d)
        self.atom = lambda name: x.XInternAtom(self.d, name.encode(), 0)
        self.source = x.XCreateSimpleWindow(self.d, self.root, 0, 0, 1, 1, 0, 0, 0)

    def windows(self):
        """Mapped top-level windows, bottom to top: (id, name, x, y, width, height, popup)."""
        root, parent, children, n = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x.XQueryTree(self.d, self.root, ctypes.byref(root), ctypes.byref(parent), ctypes.byref(children), ctypes.byref(n)):
            return []
        found = []
        for i in range(n.value):
            w, a, name = children[i], XWindowAttributes(), ctypes.c_char_p()
            if not self.x.XGetWindowAttributes(self.d, w, ctypes.byref(a)) or a.map_state != 2 or a.width < 4 or a.height < 4:
                continue
            title = ""
            if self.x.XFetchName(self.d, w, ctypes.byref(name)) and name.value is not None:
                title = name.value.decode("utf-8", "replace")
                self.x.XFree(name)
            found.append((w, title, a.x, a.y, a.width, a.height, bool(a.override_redirect)))
        if children:
            self.x.XFree(children)
        return found

    def send(self, window, message, *data):
        e = XEvent()
        e.xclient.type, e.xclient.window, e.xclient.format = 33, window, 32  # ClientMessage
        e.xclient.message_type = self.atom(message)
        for i, v in enumerate(data):
            e.xclient.l[i] = v
        self.x.XSendEvent(self.d, window, 0, 0, ctypes.byref(e))
        self.x.XFlush(self.d)

    def close(self, window):
        self.send(window, "WM_PROTOCOLS", self.atom("WM_DELETE_WINDOW"), 0)

    def answers(self, window, x, y, until, running):
        """Drags nothing over (x, y) of the screen and waits for the window's XdndStatus, until a
        time or while running() holds."""
        self.x.XSync(self.d, 1)
        self.send(window, "XdndEnter", self.source, 4 << 24, self.atom("text/plain"), 0, 0)
        self.send(window, "XdndPosition", self.source, 0, (x << 16) | y, 0, self.atom("XdndActionCopy"))
        e, answered = XEvent(), False
        while not answered and time.monotonic() < until and running():
            while self.x.XCheckTypedWindowEvent(self.d, self.source, 33, ctypes.byref(e)):
                answered |= e.xclient.message_type == self.atom("XdndStatus") and e.xclient.l[0] == window
            if not answered:
                select.select([self.x.XConnectionNumber(self.d)], [], [], 0.05)
                self.x.XPending(self.d)
        self.send(window, "XdndLeave", self.source, 0, 0, 0, 0)
        return answered


def readings(path):
    """The readings of a record: (variable, id, date, time, values) tuples, counted."""
    found = collections.Counter()
    for variable in ET.parse(path).getroot().iter("variable"):
        for entry in variable.iter("entry"):
            kids = {c.tag: (c.text or "").strip() for c in entry}
            values = tuple(sorted((k, v) for k, v in kids.items() if k not in ("date", "time", "conditions")))
            found[(variable.get("name"), entry.get("id", ""), kids.get("date", ""), kids.get("time", ""), values)] += 1
    return found


def text(rng):
    """Something a person might type, or should not."""
    kind = rng.choice(["number", "number", "date", "time", "long", "utf8", "odd", "name"])
    if kind == "number":
        return rng.choice([str(rng.randint(-50, 400)), f"{rng.uniform(0, 250):.{rng.randint(0, 3)}f}", "0", "-0",
                           "1e308", "99999999999999999999", "3,5", ".5", "1.2.3", " 72 ", "nan", "inf", "0x1F", "120/80"])
    if kind == "date":
        m, d = rng.randint(0, 13), rng.randint(0, 32)
        y = rng.choice([1899, 1900, 1970, 2000, 2024, 2025, 2026, 2027, 9999, 0, 99])
        return rng.choice([f"{m:02d}/{d:02d}/{y}", f"{m}/{d}/{y}", f"{y}-{m:02d}-{d:02d}", f"{d}.{m}.{y}", "02/29/2024", "02/29/2025"])
    if kind == "time":
        h, mi = rng.randint(0, 25), rng.randint(0, 61)
        return rng.choice([f"{h:02d}:{mi:02d}:{rng.randint(0, 61):02d} {rng.choice(['AM', 'PM', 'am', 'XM'])}",
                           f"{h}:{mi:02d}", f"{h} PM", "12:00:00 AM", "02:30:00 AM"])
    if kind == "long":
        return rng.choice(["x", "long text ", "0123456789"]) * rng.randint(20, 40)
    if kind == "utf8":
        return rng.choice(["Zoë Ångström", "日本語テキスト", "Ελληνικά", "עברית", "😀👍", "naïve café", "Ωmega ß", "ĳ€₤"])
    if kind == "odd":
        return rng.choice(["<b>&amp;</b>", '"quoted"', "'; DROP", "%s%n%x%d", "]]>", "../escape.csv", "..\\x",
                           "\ttab\there", "line\nbreak", "  leading  ", "a.csv", "report.pdf", "&#0;", "<!--"])
    return rng.choice(["Ann", "Lee", "Ann Lee", "O'Brien", "Anne-Marie", "Mc Donald Jr."])


KEYS = ["Return", "Return", "Escape", "Tab", "shift+Tab", "Up", "Down", "Left", "Right", "Home", "End", "Page_Up",
        "Page_Down", "BackSpace", "Delete", "space", "ctrl+a", "ctrl+c", "ctrl+v", "ctrl+x", "ctrl+z", "alt+f",
        "alt+e", "F1", "Insert", "KP_Enter", "shift+Down", "ctrl+Home"]


def main_regions(w, h):
    """Parts of the main window worth more clicks, with their weights: the menu bar, the tool row,
    the users' names, the user information, the variable tabs, the chart and the trend row."""
    s = (h - 251) // 2 - 1
    return [((2, 2, 80, 23), 3), ((2, 27, 760, 50), 2), ((23, 112, 230, 150), 3), ((23, s + 55, 230, 2 * s + 50), 1),
            ((13, 2 * s + 90, 240, 2 * s + 207), 3), ((252, 51, w - 5, 2 * s + 52), 2), ((252, 2 * s + 55, w - 5, h - 5), 1)]


def openers(h):
    """Aimed steps on the main window that reach its dialogs sooner than chance would: (what,
    [(button or keys, x, y), ...]) in the window's coordinates, the program idle between parts."""
    vital = lambda k: 2 * ((h - 251) // 2 - 1) + 132 + 15 * (k - 1)
    found = [("open a user", [(1, 60, 119 + 16 * k)]) for k in range(2)]
    found += [(f"File menu item {n}", [(1, 15, 12), (1, 30, 35 + 19 * (n - 1))]) for n in range(1, 9)]
    found += [("Edit/Information", [(1, 55, 12), (1, 70, 35)])]
    found += [(f"vital {k} menu item {n}", [(3, 60, vital(k)), ("Down " * n + "Return", 60, vital(k))])
              for k in range(1, 7) for n in range(1, 4)]
    found += [(f"tool {x}", [(1, x, 39)]) for x in (17, 45, 73, 104, 133, 162, 220, 380, 520, 690)]
    return found


class Monkey:
    def __init__(self, args):
        self.args, self.rng = args, random.Random(args.seed)
        self.run = tempfile.mkdtemp(prefix="mv-monkey.")
        self.home = os.path.join(self.run, "home")
        self.folder = os.path.join(self.run, "xdg/data/Kestrelon/Marlowen Veloria")
        self.program = os.path.join(self.run, "program/marlowen-veloria")
        self.log = self.program + "_debuglog.txt"
        self.trace = os.path.join(self.run, "trace.txt")
        self.actions = open(os.path.join(self.run, "actions.txt"), "w")
        self.proc = self.xvfb = None
        self.steps = self.restarts = 0

    def say(self, line):
        self.actions.write(line + "\n")
        self.actions.flush()

    def prepare(self):
        for d in ("home/.fltk/fltk.org", "tmp", "bin", "program", "xdg/config", "xdg/state", "xdg/cache", "xdg/runtime"):
            os.makedirs(os.path.join(self.run, d), exist_ok=True)
        os.chmod(os.path.join(self.run, "xdg/runtime"), 0o700)
        # The toolkit's own file chooser, which the monkey can drive, rather than the desktop's.
        with open(os.path.join(self.home, ".fltk/fltk.org/fltk.prefs"), "w") as f:
            f.write("; FLTK preferences file format 1.0\n; vendor: fltk.org\n; application: fltk\n\n[./options]\nFNFCUsesGTK:0\n")
        stand_ins = {"lpstat": 'echo "printer office is idle."\necho "system default destination: office"\n',
                     "lp": f'cat >"{self.run}/lp-job.ps"\necho "request id is office-1 (1 file(s))"\n'}
        for name, body in stand_ins.items():
            path = os.path.join(self.run, "bin", name)
            with open(path, "w") as f:
                f.write("#!/bin/sh\n" + body)
            os.chmod(path, 0o755)
        shutil.copy(self.args.program, self.program)
        subprocess.run([sys.executable, os.path.join(HERE, "make_records.py"), "demo", self.folder], check=True, stdout=subprocess.DEVNULL)
        for name in ("template_new.xml", "readme.txt"):
            shutil.copy(os.path.join(self.args.data, name), self.folder)
        self.before = {os.path.basename(p): readings(p) for p in glob.glob(os.path.join(self.folder, "user*.hma"))}
        # As root (CI), the program runs as nobody: the print dialog's own file chooser, which no
        # seam of ours reaches, can then write nowhere but where anyone may.
        self.drop = []
        if os.geteuid() == 0:
            for top, dirs, files in os.walk(self.run):
                for name in [top] + [os.path.join(top, n) for n in dirs + files]:
                    os.chown(name, 65534, 65534)
            self.drop = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]

    def start_xvfb(self):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read)
        self.display = ":" + number.decode().strip()
        self.x = X(self.display)

    def environment(self):
        r = self.run
        env = {"PATH": f"{r}/bin:/usr/local/bin:/usr/bin:/bin", "DISPLAY": self.display, "HOME": self.home,
               "TMPDIR": f"{r}/tmp", "XDG_DATA_HOME": f"{r}/xdg/data", "XDG_CONFIG_HOME": f"{r}/xdg/config",
               "XDG_STATE_HOME": f"{r}/xdg/state", "XDG_CACHE_HOME": f"{r}/xdg/cache", "XDG_RUNTIME_DIR": f"{r}/xdg/runtime",
               "MV_FILE_FOLDER": self.home, "LANG": "C.UTF-8", "TZ": os.environ.get("TZ", "Europe/Berlin"),
               "ASAN_OPTIONS": "detect_leaks=1:abort_on_error=0",
               "LSAN_OPTIONS": f"suppressions={HERE}/lsan.supp:print_suppressions=0",
               "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1"}
        return env

    def start(self):
        self.keep_log()
        with open(os.path.join(self.run, "stdout.txt"), "ab") as out, open(os.path.join(self.run, "stderr.txt"), "ab") as err:
            self.proc = subprocess.Popen(self.drop + [self.program], cwd=self.home, env=self.environment(), stdout=out, stderr=err)
        end = time.monotonic() + 120
        while not self.main_window():
            self.check_alive()
            if time.monotonic() > end:
                raise Failure("the main window did not appear")
            time.sleep(0.1)
        self.idle()

    def main_window(self):
        return next((w for w in self.x.windows() if w[1] == MAIN_TITLE), None)

    def check_alive(self):
        """False when the program ended well; a failure when it ended otherwise."""
        status = self.proc.poll()
        if status is None:
            return True
        if status != 0:
            raise Failure(f"the program ended with status {status} at step {self.steps}")
        return False

    def idle(self):
        """Waits until the program has handled everything sent to it and its log is quiet."""
        end = time.monotonic() + ANSWER_WITHIN
        while True:
            main = self.main_window()
            if main is not None:
                w, _, x, y, width, _, _ = main
                if self.x.answers(w, x + width - 3, y + 3, end, lambda: self.proc.poll() is None):
                    break
                if not self.check_alive():
                    return
                raise Failure(f"step {self.steps}: the program did not answer within {ANSWER_WITHIN:.0f} s")
            if not self.check_alive():
                return
            if time.monotonic() > end:
                raise Failure(f"step {self.steps}: the program shows no window but does not end")
            time.sleep(0.1)
        end, last, quiet = time.monotonic() + ANSWER_WITHIN, -1, 0
        while quiet < 4:
            size = os.path.getsize(self.log) if os.path.exists(self.log) else 0
            quiet, last = (quiet + 1 if size == last else 0), size
            if time.monotonic() > end:
                raise Failure(f"step {self.steps}: the program's log did not settle within {ANSWER_WITHIN:.0f} s")
            time.sleep(0.025)

    def xdotool(self, *words):
        subprocess.run(["xdotool", *map(str, words)], env=dict(os.environ, DISPLAY=self.display), timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def point(self, window):
        w, name, x, y, width, height, _ = window
        if name == MAIN_TITLE and self.rng.random() < 0.6:
            regions = main_regions(width, height)
            left, top, right, bottom = self.rng.choices([r for r, _ in regions], [n for _, n in regions])[0]
            return x + self.rng.randint(left, max(left, right)), y + self.rng.randint(top, max(top, bottom))
        return x + self.rng.randrange(width), y + self.rng.randrange(height)

    def step(self):
        windows = self.x.windows()
        window = windows[-1] if self.rng.random() < 0.75 else self.rng.choice(windows)
        px, py = self.point(window)
        where = f"{window[1] or ('popup' if window[6] else 'untitled')!r} {window[4]}x{window[5]}+{window[2]}+{window[3]}"
        roll = self.rng.random()
        if window[1] == MAIN_TITLE and window is windows[-1] and self.rng.random() < 0.12:
            what, parts = self.rng.choice(openers(window[5]))
            self.say(f"{self.steps} {where}: {what}")
            for i, (action, x, y) in enumerate(parts):
                if i:
                    self.idle()
                if isinstance(action, int):
                    self.xdotool("mousemove", window[2] + x, window[3] + y, "click", action)
                else:
                    self.xdotool("mousemove", window[2] + x, window[3] + y, "key", "--delay", 30, *action.split())
        elif window[1].endswith(" History") and window is windows[-1] and self.rng.random() < 0.25:
            # The table's cell editor: a double click on a cell (the table starts at 30,69), then
            # a text, and Return, Tab or Escape.
            cx, cy = window[2] + self.rng.randint(32, max(32, window[4] - 12)), window[3] + self.rng.randint(90, max(90, window[5] - 12))
            typed, ending = text(self.rng), self.rng.choice(["Return", "Tab", "Escape"])
            self.say(f"{self.steps} {where}: edit the cell at {cx},{cy} with {typed!r}, {ending}")
            self.xdotool("mousemove", cx, cy, "click", "--repeat", 2, "--delay", 60, 1)
            self.idle()
            self.xdotool("mousemove", cx, cy, "key", "ctrl+a", "type", "--delay", 8, "--", typed)
            self.xdotool("key", ending)
        elif roll < 0.40:
            button = self.rng.choice([1, 1, 1, 3])
            self.say(f"{self.steps} {where}: click {button} at {px},{py}")
            self.xdotool("mousemove", px, py, "click", button)
        elif roll < 0.45:
            self.say(f"{self.steps} {where}: double click at {px},{py}")
            self.xdotool("mousemove", px, py, "click", "--repeat", 2, "--delay", 60, 1)
        elif roll < 0.51:
            qx, qy = self.point(window)
            self.say(f"{self.steps} {where}: drag from {px},{py} to {qx},{qy}")
            self.xdotool("mousemove", px, py, "mousedown", 1, "mousemove", (px + qx) // 2, (py + qy) // 2,
                         "sleep", 0.05, "mousemove", qx, qy, "sleep", 0.05, "mouseup", 1)
        elif roll < 0.54:
            button, times = self.rng.choice([4, 5]), self.rng.randint(1, 5)
            self.say(f"{self.steps} {where}: wheel {button} x{times} at {px},{py}")
            self.xdotool("mousemove", px, py, "click", "--repeat", times, "--delay", 20, button)
        elif roll < 0.72:
            key = self.rng.choice(KEYS)
            self.say(f"{self.steps} {where}: key {key} at {px},{py}")
            self.xdotool("mousemove", px, py, "key", "--delay", 30, key)
        elif roll < 0.94:
            typed = text(self.rng)
            self.say(f"{self.steps} {where}: type {typed!r} at {px},{py}")
            self.xdotool("mousemove", px, py, "key", "ctrl+a", "type", "--delay", 8, "--", typed)
        elif roll < 0.96:
            self.say(f"{self.steps} {where}: hover at {px},{py}")
            self.xdotool("mousemove", px, py, "sleep", 1.2)
        elif roll < 0.99:
            # As a window manager's close button would; the main window's only now and then.
            if window[6] or window[1] == MAIN_TITLE:
                self.say(f"{self.steps} {where}: nothing")
            else:
                self.say(f"{self.steps} {where}: close")
                self.x.close(window[0])
        else:
            main = self.main_window()
            ending = self.rng.choice(["Escape", "close"])
            self.say(f"{self.steps}: {ending} on the main window")
            if main and ending == "close":
                self.x.close(main[0])
            elif main:
                self.xdotool("mousemove", main[2] + main[4] - 5, main[3] + 3, "key", "Escape")
        self.idle()
        if self.args.shots:
            os.makedirs(os.path.join(self.run, "shots"), exist_ok=True)
            subprocess.run(["import", "-display", self.display, "-window", "root", os.path.join(self.run, f"shots/{self.steps:05d}.png")])
        if not self.check_alive():
            self.restarts += 1
            self.say(f"{self.steps}: the program ended; restarted")
            self.start()

    def finish(self):
        """Closes the windows, the topmost first, so that the program ends on its own and the leak
        checker has its say."""
        asked = 0
        for _ in range(60):
            if self.proc.poll() is not None:
                break
            windows = self.x.windows()
            if windows and windows[-1][6]:
                # An open menu holds every event: Escape closes it.
                self.say("end: Escape on a menu")
                self.xdotool("mousemove", windows[-1][2] + 2, windows[-1][3] + 2, "key", "Escape")
            elif windows and windows[-1][1] == "Marlowen Veloria" and (asked := asked + 1) % 2 == 0:
                # Closing a question keeps what it asks about; Return gives the answer that goes on.
                self.say("end: Return on a question")
                self.xdotool("mousemove", windows[-1][2] + 5, windows[-1][3] + 5, "key", "Return")
            elif windows:
                self.say(f"end: close {windows[-1][1]!r}")
                self.x.close(windows[-1][0])
            self.idle()
        try:
            self.proc.wait(ANSWER_WITHIN)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end when its windows were closed")
        self.check_alive()

    def check(self):
        with open(os.path.join(self.run, "stderr.txt"), errors="replace") as f:
            report = [line for line in f if SANITIZER.search(line)]
        if report:
            raise Failure("sanitizer report in stderr.txt: " + report[0].strip())
        for path in sorted(glob.glob(os.path.join(self.folder, "*.hma")) + glob.glob(os.path.join(self.folder, "*.xml"))):
            lint = subprocess.run(["xmllint", "--noout", path], capture_output=True, text=True)
            if lint.returncode != 0:
                raise Failure(f"{os.path.basename(path)} is not well-formed: {lint.stderr.strip()[:300]}")
        # The print dialog's own file chooser, out of the program's reach, may write PostScript anywhere.
        stray = [p for p in glob.glob(os.path.join(self.run, "**/escape*"), recursive=True)
                 if not p.startswith(self.home + "/") and not open(p, "rb").read(4) == b"%!PS"]
        if stray:
            raise Failure("a chosen file was written outside the pinned folder: " + stray[0])
        self.keep_log()
        excused, removed = collections.Counter(), set()
        with open(self.trace, "a+", errors="replace") as f:
            f.seek(0)
            for line in f:
                m = TRACED.search(line)
                if m:
                    excused[m.group(2, 3, 4, 5, 6)] += 1
                elif "Removed user: " in line:
                    removed.add(line.rsplit("Removed user: ", 1)[1].strip())
        lost = 0
        for name, before in self.before.items():
            stem = name[:-len(".hma")]
            after = collections.Counter()
            for path in [os.path.join(self.folder, name)] + glob.glob(os.path.join(self.folder, stem + ".removed-*.hma")):
                if os.path.exists(path):
                    after += readings(path)
            for reading, count in (before - after).items():
                key = (name,) + reading[:4]
                taken = min(count, excused[key])
                excused[key] -= taken
                if count > taken:
                    lost += count - taken
                    self.say(f"lost: {name} {reading} x{count - taken}{' (user removed)' if name in removed else ''}")
        if lost:
            raise Failure(f"{lost} readings of the sample data are gone without a traced deletion or edit (see actions.txt)")

    def keep_log(self):
        """Moves the log to trace.txt, kept whole: the program would move a big one aside at start."""
        if os.path.exists(self.log):
            with open(self.log, "rb") as f, open(self.trace, "ab") as out:
                shutil.copyfileobj(f, out)
            os.remove(self.log)

    def go(self):
        began = time.monotonic()
        try:
            self.prepare()
            self.start_xvfb()
            self.start()
            while (self.steps < self.args.steps) if self.args.steps else (time.monotonic() - began < self.args.minutes * 60):
                self.steps += 1
                self.step()
            self.finish()
            self.check()
        except (Failure, subprocess.SubprocessError) as failure:
            self.say(f"FAIL: {failure}")
            print(f"monkey: seed {self.args.seed}: FAIL: {failure}\nmonkey: the run is kept in {self.run} "
                  f"(actions.txt, trace.txt, stderr.txt)", file=sys.stderr)
            self.stop()
            return 1
        self.stop()
        print(f"monkey: seed {self.args.seed}: {self.steps} steps, {self.restarts} restarts, "
              f"{time.monotonic() - began:.0f} s: ok")
        if not self.args.keep:
            shutil.rmtree(self.run, ignore_errors=True)
        else:
            print(f"monkey: the run is kept in {self.run}")
        return 0

    def stop(self):
        for p in (self.proc, self.xvfb):
            if p and p.poll() is None:
                p.kill()
                p.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--data", default=os.path.join(HERE, "..", "data"))
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--steps", type=int, default=0)
    parser.add_argument("--minutes", type=float, default=2)
    parser.add_argument("--keep", action="store_true", help="keep the run's folder when it passes")
    parser.add_argument("--shots", action="store_true", help="a screenshot after every step, in shots/")
    return Monkey(parser.parse_args()).go()


if __name__ == "__main__":
    sys.exit(main())
