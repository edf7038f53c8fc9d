#!/usr/bin/env python3
"""What a user waits for in the editor, under Xvfb with real X input, beside the engine's own time.

On a generated 24-megapixel photo: start with the photo on the command line until the picture is on
screen; zoom in, choose the selection brush and paint a selection of about 1 % of the picture over
the object in 500 mouse moves (each timed from the injected motion to the patch's pixels changing
on screen); press Start until the object is gone from the screen; undo until it is back; the
program's peak resident memory. After each run of the program, bench/engine_journey makes the same
steps (the same picture points and brush) through the engine's interfaces; the table gives both and
their ratio (median over the runs).

Usage: bench/program_journeys.py [--build build] [--runs 3] [--work /tmp/glimra-bench-program]
Needs the built project (glimra, e2e_photo, engine_journey, opencv_decode), Xvfb and xdotool."""
import argparse
import ctypes
import datetime
import glob
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import journeys  # noqa: E402
from journeys import JourneyFailed, check, is_green, is_red, wait_until  # noqa: E402

WIDTH, HEIGHT, RADIUS = 6000, 4000, 180
# The selection: rows of the brush over a square around the object, about 1 % of the picture.
HALF, ROW_STEP = 220, 40
MOVES = 500
BRUSH_SCREEN = 25  # the tools panel's starting diameter, in screen pixels
TARGET_ZOOM = 50.0
WHEEL_STEP = 10.0  # percent a wheel notch adds
PROBE = 32  # the square around each brush position watched for the patch
MOVE_TIMEOUT = 1.0
FRAME_BYTES = WIDTH * HEIGHT * 4
RESET_SELECTION_BUTTON = (583, 209)
# The steps of the start: the program's log lines that begin and end each (None: the process's
# start). The engine's load of the command line's picture runs beside the window's steps; the
# open waits for what is left of it.
START_STEPS = [("application set up", None, "Application set up"),
               ("main window built", "Application set up", "Main window built"),
               ("window shown, open asked", "Main window built", "Finishing the open"),
               ("engine: load begun", None, "Temporary folder:"),
               ("engine: before the decode", "Temporary folder:", "Trying to create new session"),
               ("engine: decode", "Trying to create new session", "Decoded "),
               ("engine: the rest of the load", "Decoded ", "New session created"),
               ("open waits for the engine", "Finishing the open", "New session created")]
START_LINES = sorted({line for _, first, last in START_STEPS for line in (first, last) if line})


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class X:
    """Xlib and XTest straight: input injected and screen pixels read in well under a millisecond."""

    def __init__(self, display):
        self.xlib = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.xlib.XGetImage.restype = ctypes.POINTER(XImage)
        self.xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                        ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.xlib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.xlib.XFlush.argtypes = [ctypes.c_void_p]
        self.xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xlib.XStringToKeysym.restype = ctypes.c_ulong
        self.xlib.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.xlib.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = self.xlib.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display)
        self.root = self.xlib.XDefaultRootWindow(self.display)

    def motion(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.display, -1, int(x), int(y), 0)
        self.xlib.XSync(self.display, 0)

    def button(self, number, down):
        self.xtst.XTestFakeButtonEvent(self.display, number, 1 if down else 0, 0)
        self.xlib.XSync(self.display, 0)

    def keys(self, *names):
        """Presses the keys in order and releases them in reverse; the time of the last press."""
        codes = [self.xlib.XKeysymToKeycode(self.display, self.xlib.XStringToKeysym(n.encode())) for n in names]
        pressed = 0.0
        for code in codes:
            self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
            self.xlib.XSync(self.display, 0)
            pressed = time.perf_counter()
        for code in reversed(codes):
            self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.xlib.XSync(self.display, 0)
        return pressed

    def region(self, x, y, w, h):
        """The screen's bytes in the rectangle (four a pixel: blue, green, red, unused)."""
        image = self.xlib.XGetImage(self.display, self.root, int(x), int(y), w, h, 0xFFFFFFFF, 2)
        if not image:
            return b""
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * h)
        self.xlib.XDestroyImage(image)
        return data

    def pixel(self, x, y):
        data = self.region(x, y, 1, 1)
        return data[2], data[1], data[0]


def log_times(home):
    """Wall-clock times of the program's INFO log lines, by the start of their text."""
    times = {}
    for path in glob.glob(os.path.join(home, "glimra.*.log.INFO.*")):
        with open(path, errors="replace") as log:
            for line in log:
                if not line.startswith("I") or "] " not in line:
                    continue
                head, text = line.split("] ", 1)
                stamp = datetime.datetime.strptime(head[1:22], "%Y%m%d %H:%M:%S.%f").timestamp()
                for start in START_LINES:
                    if text.startswith(start) and start not in times:
                        times[start] = stamp
    return times


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, max(0, int(round(p * len(ordered) + 0.5)) - 1))]


def stroke_in_picture():
    """The press, MOVES moves and the release, evenly spaced along rows over the object."""
    corners = []
    for row, dy in enumerate(range(-HALF, HALF + 1, ROW_STEP)):
        xs = (-HALF, HALF) if row % 2 == 0 else (HALF, -HALF)
        corners += [(WIDTH / 2 + xs[0], HEIGHT / 2 + dy), (WIDTH / 2 + xs[1], HEIGHT / 2 + dy)]
    lengths = [abs(b[0] - a[0]) + abs(b[1] - a[1]) for a, b in zip(corners, corners[1:])]
    total = sum(lengths)
    points = []
    for i in range(MOVES + 1):
        along = total * i / MOVES
        for (a, b), length in zip(zip(corners, corners[1:]), lengths):
            if along <= length or (a, b) == (corners[-2], corners[-1]):
                t = along / length if length else 0
                points.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
                break
            along -= length
    return points


class Bench:
    def __init__(self, options):
        self.options = options
        self.suite = journeys.Suite(options)
        self.x = None
        self.layout = None

    def launch(self, name):
        home = self.suite.home(name)
        program = journeys.Glimra(self.suite, name, [self.options.photo], home)
        # The program's own logging (to files), as a user runs it; each line written at once, so
        # that its time can be read.
        program.extra_env = {"GLOG_logtostderr": "0", "GLOG_log_dir": home, "GLOG_logbufsecs": "0"}
        self.suite.running.append(program)
        return program

    def calibrate(self):
        """Where the fitted picture shows, from a run that is not timed (it also warms the caches)."""
        program = self.launch("calibrate").launch().attach()
        rect = program.wait_for_picture(60)
        time.sleep(1)
        rect = program.picture_rect()
        wx, wy, _, _ = program.geometry()
        program.kill()
        self.layout = (wx, wy, rect)

    def probes(self, screen_rect):
        x, y, w, h = screen_rect
        centre = (x + w // 2, y + h // 2)
        texture = [(x + w // 4, y + h // 4), (x + 3 * w // 4, y + h // 4), (x + w // 4, y + 3 * h // 4),
                   (x + 3 * w // 4, y + 3 * h // 4)]
        return centre, texture

    @staticmethod
    def status_kb(program, field):
        with open("/proc/%d/status" % program.process.pid) as status:
            return next(int(line.split()[1]) for line in status if line.startswith(field))

    def press_button(self, program, at):
        """Clicks a control of the main window; the time of the release, when a button acts."""
        wx, wy, _, _ = program.geometry()
        self.x.motion(wx + at[0], wy + at[1])
        time.sleep(0.1)
        self.x.button(1, True)
        time.sleep(0.05)
        self.x.button(1, False)
        return time.perf_counter()

    def run(self, index):
        wx, wy, rect = self.layout
        screen_rect = (wx + rect[0], wy + rect[1], rect[2], rect[3])
        centre, texture = self.probes(screen_rect)
        program = self.launch("run%d" % index)
        figures = {}

        # Start to the picture on screen.
        started = time.perf_counter()
        started_wall = time.time()
        program.launch()

        def picture_shown():
            return is_red(*self.x.pixel(*centre)) and all(is_green(*self.x.pixel(*p)) for p in texture)

        wait_until(picture_shown, 60, "the picture", step=0.001)
        figures["open"] = time.perf_counter() - started
        shown_wall = started_wall + figures["open"]
        program.attach()
        time.sleep(0.5)
        figures["rss_open_kb"] = self.status_kb(program, "VmRSS:")
        check(program.geometry()[:2] == (wx, wy), "the window opened elsewhere than in the calibration")

        # Zoom in about the view's centre (the picture's centre) with the wheel.
        fit = rect[2] * 100.0 / WIDTH
        notches = max(0, int(round((TARGET_ZOOM - fit) / WHEEL_STEP)))
        self.x.motion(*centre)
        for _ in range(notches):
            self.x.button(4, True)
            self.x.button(4, False)
            time.sleep(0.05)
        zoom = fit + notches * WHEEL_STEP
        time.sleep(0.5)
        program.save_shot("zoomed-run%d" % index)
        box = journeys.object_box(program)
        check(box is not None, "the object is not shown after the zoom")
        check(abs(box[2] - 2 * RADIUS * zoom / 100) < 4, "the zoom is not %.1f %%: the object is %s" % (zoom, box))
        ox, oy = wx + box[0] + box[2] / 2.0, wy + box[1] + box[3] / 2.0
        scale = zoom / 100.0

        program.click(*journeys.BRUSH_BUTTON)
        # The zoom's label and the tools' hint bubbles go by themselves; they must not change the
        # pixels watched below.
        wait_until(lambda: not [w for w in program.windows() if program.title(w) == "ToolTipWidget"], 30,
                   "the hint bubbles to go")
        time.sleep(1.5)

        picture_points = stroke_in_picture()
        screen = [(int(round(ox + (px - WIDTH / 2) * scale)), int(round(oy + (py - HEIGHT / 2) * scale)))
                  for px, py in picture_points]
        # Moves without a held button change nothing on screen (the cursor is not in the pixels
        # read); otherwise the times below would not be the patches'.
        for sx, sy in screen[:5]:
            before = self.x.region(sx - PROBE // 2, sy - PROBE // 2, PROBE, PROBE)
            self.x.motion(sx, sy)
            time.sleep(0.05)
            check(self.x.region(sx - PROBE // 2, sy - PROBE // 2, PROBE, PROBE) == before,
                  "a move without a button changed the screen")
        # Start, Reset Selection and Undo as they look disabled, before the stroke.
        buttons = [journeys.START_BUTTON, RESET_SELECTION_BUTTON, journeys.UNDO_BUTTON]
        button_areas = [(wx + bx - 20, wy + by - 5, 40, 10) for bx, by in buttons]
        disabled = [self.x.region(*area) for area in button_areas]
        moves, missed = [], 0
        self.x.motion(*screen[0])
        time.sleep(0.05)
        self.x.button(1, True)
        time.sleep(0.2)
        for sx, sy in screen[1:]:
            left, top = sx - PROBE // 2, sy - PROBE // 2
            before = self.x.region(left, top, PROBE, PROBE)
            sent = time.perf_counter()
            self.x.motion(sx, sy)
            while True:
                changed = self.x.region(left, top, PROBE, PROBE) != before
                now = time.perf_counter()
                if changed:
                    moves.append(now - sent)
                    break
                if now - sent > MOVE_TIMEOUT:
                    missed += 1
                    break
        self.x.button(1, False)
        released = time.perf_counter()
        wait_until(lambda: all(self.x.region(*area) != look for area, look in zip(button_areas, disabled)), 30,
                   "Start, Reset Selection and Undo to be enabled", step=0.001)
        figures["buttons"] = time.perf_counter() - released
        figures["moves"] = moves
        figures["missed"] = missed
        time.sleep(1.5)

        # Start to the object gone from the screen. Clicked with the mouse: its key clicks the
        # button with a 100 ms press animation first.
        octr = (int(ox), int(oy))
        ring = [(int(ox + dx * RADIUS * scale * 0.6), int(oy + dy * RADIUS * scale * 0.6))
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
        pressed = self.press_button(program, journeys.START_BUTTON)
        wait_until(lambda: all(is_green(*self.x.pixel(*p)) for p in [octr] + ring), 300, "the object to go",
                   step=0.002)
        figures["inpaint"] = time.perf_counter() - pressed
        program.wait_idle(60)
        time.sleep(1)

        figures["rss_inpaint_kb"] = self.status_kb(program, "VmRSS:")
        erased = self.x.pixel(*octr)
        pressed = self.press_button(program, journeys.UNDO_BUTTON)
        wait_until(lambda: journeys.distance(self.x.pixel(*octr), erased) > 60, 60, "undo to bring the object back",
                   step=0.001)
        figures["undo"] = time.perf_counter() - pressed
        time.sleep(1)
        pressed = self.press_button(program, journeys.REDO_BUTTON)
        wait_until(lambda: all(is_green(*self.x.pixel(*p)) for p in [octr] + ring), 60, "redo to take the object away",
                   step=0.001)
        figures["redo"] = time.perf_counter() - pressed
        time.sleep(1)
        program.save_shot("bench-run%d" % index)

        figures["rss_undo_kb"] = self.status_kb(program, "VmRSS:")
        figures["peak_kb"] = self.status_kb(program, "VmHWM:")
        program.kill()
        self.suite.running.remove(program)
        # A step whose lines are missing (a build without them) is left out; one that did not
        # happen (no wait) counts as none.
        times = log_times(program.home)
        times[None] = started_wall
        for name, first, last in START_STEPS:
            if first in times and last in times:
                figures["step " + name] = max(0.0, times[last] - times[first])
        figures["step workspace to the picture shown"] = shown_wall - max(times.values())

        # The same picture points, as the program's scene hands them to the engine.
        stroke_file = os.path.join(self.options.work, "stroke.txt")
        brush = max(1, int(BRUSH_SCREEN * 100.0 / zoom))
        with open(stroke_file, "w") as out:
            out.write("brush %d\n" % brush)
            for sx, sy in screen:
                out.write("%d %d\n" % (round(WIDTH / 2 + (sx - ox) / scale), round(HEIGHT / 2 + (sy - oy) / scale)))
        figures["zoom"] = zoom
        return figures

    def engine(self):
        work = os.path.join(self.options.work, "engine")
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        started = time.perf_counter()
        engine = subprocess.Popen([self.options.engine, self.options.photo, work,
                                   os.path.join(self.options.work, "stroke.txt")],
                                  env=dict(os.environ, ZENTOR_PLUGIN_PATH=self.options.plugins),
                                  stdout=subprocess.PIPE)
        # From the process's start to its first picture, as the program's start is timed.
        first = engine.stdout.readline().decode()
        figures = {"start": time.perf_counter() - started}
        output = first + engine.stdout.read().decode()
        check(engine.wait() == 0 and first.startswith("first_open"), "the engine's run failed")
        for line in output.splitlines():
            name, *values = line.split()
            figures[name] = [float(v) for v in values] if name == "moves" else float(values[0])
        opencv = subprocess.run([self.options.opencv, self.options.photo], stdout=subprocess.PIPE, check=True)
        figures["opencv_decode"] = float(opencv.stdout.decode().split()[1])
        return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work", default="/tmp/glimra-bench-program")
    parser.add_argument("--opencv", help="opencv_decode to use (default: the build's)")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    options.glimra = os.path.join(build, "bin", "glimra")
    options.photo_tool = os.path.join(build, "bin", "e2e_photo")
    options.engine = os.path.join(build, "bin", "engine_journey")
    options.opencv = options.opencv or os.path.join(build, "bin", "opencv_decode")
    options.plugins = os.path.join(build, "lib", "plugins")
    options.work = os.path.abspath(options.work)
    options.screenshots = os.path.join(options.work, "screenshots")
    options.sanitizer_logs = ""  # the journeys' sanitizer reports: not collected here
    shutil.rmtree(options.work, ignore_errors=True)
    os.makedirs(options.screenshots)
    options.photo = os.path.join(options.work, "photo.jpg")
    print("Generating a %dx%d JPEG..." % (WIDTH, HEIGHT), flush=True)
    subprocess.run([options.photo_tool, "make", options.photo, str(WIDTH), str(HEIGHT), str(RADIUS)], check=True)

    load_before = os.getloadavg()
    bench = Bench(options)
    if not bench.suite.display.start():
        print("no X server could be started (Xvfb, xdotool and xwd are needed)")
        return 1
    program_runs, engine_runs = [], []
    try:
        bench.x = X(bench.suite.display.env["DISPLAY"])
        bench.calibrate()
        for index in range(options.runs):
            program_runs.append(bench.run(index))
            engine_runs.append(bench.engine())
            print("run %d done" % (index + 1), flush=True)
    finally:
        for program in bench.suite.running:
            program.kill()
        bench.suite.display.stop()

    def median(runs, key):
        values = [run[key] for run in runs if key in run]
        return statistics.median(values) if values else float("nan")

    def moves(runs, stat):
        return statistics.median(stat(run["moves"]) for run in runs)

    mean = statistics.mean
    rows = [
        ("start to the picture shown (s)", median(program_runs, "open"), median(engine_runs, "start")),
    ]
    rows += [("  " + name + " (s)", median(program_runs, "step " + name),
              median(engine_runs, "decode") if name == "engine: decode" else 0)
             for name in [n for n, _, _ in START_STEPS] + ["workspace to the picture shown"]
             if any("step " + name in run for run in program_runs)]
    rows += [
        ("brush move, mean (ms)", 1000 * moves(program_runs, mean), 1000 * moves(engine_runs, mean)),
        ("brush move, p99 (ms)", 1000 * moves(program_runs, lambda v: percentile(v, 0.99)),
         1000 * moves(engine_runs, lambda v: percentile(v, 0.99))),
        ("brush move, max (ms)", 1000 * moves(program_runs, max), 1000 * moves(engine_runs, max)),
        ("release to the buttons enabled (s)", median(program_runs, "buttons"), median(engine_runs, "stop")),
        ("Start to the result shown (s)", median(program_runs, "inpaint"), median(engine_runs, "inpaint")),
        ("undo to the picture shown (s)", median(program_runs, "undo"), median(engine_runs, "undo")),
        ("redo to the picture shown (s)", median(program_runs, "redo"), median(engine_runs, "redo")),
        ("memory after the open (MB)", median(program_runs, "rss_open_kb") / 1024,
         median(engine_runs, "rss_open_kb") / 1024),
        ("memory after the erase (MB)", median(program_runs, "rss_inpaint_kb") / 1024,
         median(engine_runs, "rss_inpaint_kb") / 1024),
        ("memory after the undo (MB)", median(program_runs, "rss_undo_kb") / 1024,
         median(engine_runs, "rss_undo_kb") / 1024),
        ("peak memory (MB)", median(program_runs, "peak_kb") / 1024, median(engine_runs, "peak_kb") / 1024),
    ]
    print("\n%d runs, %dx%d photo, zoom %.1f %%, %d moves (%d with no change seen within %.0f ms), medians"
          % (options.runs, WIDTH, HEIGHT, program_runs[0]["zoom"], MOVES,
             sum(run["missed"] for run in program_runs), MOVE_TIMEOUT * 1000))
    print("load average (1, 5, 15 min) before %.2f %.2f %.2f, after %.2f %.2f %.2f"
          % (load_before + os.getloadavg()))
    print("%-38s %12s %12s %8s" % ("", "program", "engine", "ratio"))
    for name, program, engine in rows:
        ratio = "%.2f" % (program / engine) if engine and engine == engine else ""
        print("%-38s %12.3f %12.3f %8s" % (name, program, engine, ratio))
    print("(the start's steps run between the program's log lines, the engine's load beside the window's steps; "
          "the engine's decode is the codec framework's in a warm process; OpenCV's imread of the same file takes "
          "%.3f s)" % median(engine_runs, "opencv_decode"))
    print("(the engine's figure beside the release is its PaintStop alone; with its GetVideo %.3f s)"
          % median(engine_runs, "release"))
    print("(the engine's start is a fresh process to its first picture; its open in a warm process takes %.3f s)"
          % median(engine_runs, "open"))
    memory = median(program_runs, "peak_kb") * 1024
    print("program memory above the engine's: %.2f frames of %d MB"
          % ((memory - median(engine_runs, "peak_kb") * 1024) / FRAME_BYTES, FRAME_BYTES // 2**20))
    print("screenshots: " + options.screenshots)
    return 0


if __name__ == "__main__":
    sys.exit(main())
