#!/usr/bin/env python3
"""The editor as a user meets it: journeys driven through real X input (xdotool) under Xvfb.

Each journey starts the built program with its own configuration, cache and data folders, acts
on it with mouse and keyboard events only, and checks what it shows (window screenshots), what it
writes to disk and what it keeps in its settings. Every journey's end state is saved as a PNG.
Exit code 77 means no X server could be started."""
import argparse
import json
import math
import os
import shutil
import signal
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xshot  # noqa: E402

SKIP = 77
PHOTO_W, PHOTO_H = 800, 600


def is_green(r, g, b):
    return g > r + 40 and g > b + 40


def is_red(r, g, b):
    return r > 150 and g < 90 and b < 90


def is_blue(r, g, b):
    return b > 150 and r < 90 and g < 110


def distance(a, b):
    return math.sqrt(sum((x - y) ** 2 for x, y in zip(a, b)))


class JourneyFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise JourneyFailed(message)


def wait_until(predicate, timeout, what, step=0.2):
    end = time.time() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.time() > end:
            raise JourneyFailed("timed out waiting for " + what)
        time.sleep(step)


class Display:
    """An Xvfb server of its own on a free display number."""

    def __init__(self):
        self.process = None
        self.env = None

    def start(self):
        if not shutil.which("Xvfb") or not shutil.which("xdotool") or not shutil.which("xwd"):
            return False
        for number in range(90, 140):
            if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
                continue
            self.process = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.env = dict(os.environ, DISPLAY=":%d" % number)
            try:
                wait_until(lambda: self.process.poll() is not None or subprocess.run(
                    ["xdotool", "getmouselocation"], env=self.env, stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL).returncode == 0, 10, "Xvfb")
            except JourneyFailed:
                pass
            if self.process.poll() is None:
                return True
        return False

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)


class Glimra:
    """One run of the program in a journey's own folders."""

    def __init__(self, suite, name, args=(), home=None):
        self.suite = suite
        self.env = suite.display.env
        self.home = home or suite.home(name)
        self.args = list(args)
        self.process = None
        self.window = None
        self.log = None
        self.extra_env = {}
        self.prefix = []

    def folders(self):
        return {"XDG_CONFIG_HOME": os.path.join(self.home, "config"),
                "XDG_CACHE_HOME": os.path.join(self.home, "cache"),
                "XDG_DATA_HOME": os.path.join(self.home, "data")}

    def settings_path(self):
        return os.path.join(self.home, "config", "Zentor", "Glimra.ini")

    def sessions(self):
        folder = os.path.join(self.home, "cache", "Zentor", "Glimra", "sessions")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else []

    def start(self):
        self.launch()
        return self.attach()

    def launch(self):
        """Starts the process without waiting for its window."""
        env = dict(self.env, QT_QPA_PLATFORM="xcb", ZENTOR_PLUGIN_PATH=self.suite.options.plugins,
                   LC_ALL="C.UTF-8", LANG="C.UTF-8", GLOG_logtostderr="1", **self.folders())
        if self.suite.options.sanitizer_logs:
            # A sanitizer's report goes to a file of its own, also from a process the journey kills.
            logs = self.suite.options.sanitizer_logs
            env["ASAN_OPTIONS"] = "log_path=%s/asan:abort_on_error=0" % logs
            env["UBSAN_OPTIONS"] = "log_path=%s/ubsan:print_stacktrace=1" % logs
            env["LSAN_OPTIONS"] = "suppressions=%s:print_suppressions=0" % os.path.join(
                os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
        env.update(self.extra_env)
        for folder in self.folders().values():
            os.makedirs(folder, exist_ok=True)
        self.log = open(os.path.join(self.home, "glimra-%d.log" % int(time.time() * 1000)), "w")
        self.process = subprocess.Popen(self.prefix + [self.suite.options.glimra] + self.args, env=env, cwd=self.home,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def attach(self):
        """Waits for the main window and gives it the focus."""
        self.window = wait_until(lambda: self.main_window(), 30, "the main window")
        self.focus()
        return self

    def log_text(self):
        self.log.flush()
        with open(self.log.name, errors="replace") as log:
            return log.read()

    def xdo(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL).stdout.decode().split()

    def windows(self):
        """The program's visible top-level windows."""
        if not self.alive():
            return []
        return self.xdo("search", "--onlyvisible", "--pid", self.process.pid)

    def main_window(self):
        for window in self.windows():
            if self.title(window).startswith("Zentor Glimra"):
                return window
        return None

    def others(self):
        """Shown windows besides the main one, but for the tools' hint bubbles (they go by themselves)."""
        return [w for w in self.windows() if w != self.window and self.title(w) != "ToolTipWidget"]

    def dialog(self, what, timeout=10, besides=()):
        """The first other window shown, once it has settled at its place. A window that goes while
        it settles (the open dialog's completer pop-up, a dialog still closing) is not taken."""
        deadline = time.monotonic() + timeout
        while True:
            left = max(0.1, deadline - time.monotonic())
            window = wait_until(lambda: [w for w in self.others() if w not in besides], left, what)[0]
            time.sleep(0.5)
            if window in self.others() or time.monotonic() > deadline:
                return window

    def title(self, window):
        return " ".join(self.xdo("getwindowname", window))

    def geometry(self, window=None):
        out = self.xdo("getwindowgeometry", "--shell", window or self.window)
        values = dict(item.split("=") for item in out)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def focus(self, window=None):
        self.xdo("windowfocus", "--sync", window or self.window)

    # Input in the coordinates of a window (the main window unless told).
    def move(self, x, y, window=None):
        wx, wy, _, _ = self.geometry(window)
        # No --sync: it waits for a motion that never comes when the pointer is already there.
        self.xdo("mousemove", wx + int(x), wy + int(y))

    def click(self, x, y, window=None, button=1):
        self.move(x, y, window)
        time.sleep(0.05)
        self.xdo("click", button)
        time.sleep(0.15)

    def drag(self, points, window=None, step_delay=0.01):
        self.move(*points[0], window=window)
        self.xdo("mousedown", 1)
        for point in points[1:]:
            self.move(*point, window=window)
            time.sleep(step_delay)
        self.xdo("mouseup", 1)
        time.sleep(0.2)

    def key(self, *keys, window=None):
        # Without a window manager nobody hands the focus back when a dialog closes.
        self.focus(window)
        self.xdo("key", "--clearmodifiers", *keys)
        time.sleep(0.2)

    def type(self, text):
        self.xdo("type", "--delay", "5", text)

    def shot(self, window=None):
        return xshot.grab(window or self.window, env=self.env)

    def save_shot(self, name, window=None):
        path = os.path.join(self.suite.options.screenshots, name + ".png")
        self.shot(window).save_png(path)
        return path

    # What the picture on screen looks like.
    def picture_rect(self, shot=None):
        """The shown picture's rectangle in window coordinates (its green texture's bounding box)."""
        shot = shot or self.shot()
        return shot.bounding_box(is_green)

    def wait_for_picture(self, timeout=30):
        # Larger than the start page's preview of the last session.
        return wait_until(lambda: (lambda r: r if r and r[2] > 300 else None)(self.picture_rect()), timeout,
                          "the picture to show")

    def wait_idle(self, timeout=60):
        """Until no window but the main one is shown (progress dialogs closed)."""
        wait_until(lambda: not self.others(), timeout, "the progress dialog to close")
        time.sleep(0.3)

    def to_screen(self, rect, ix, iy, width=PHOTO_W, height=PHOTO_H):
        x, y, w, h = rect
        return x + ix * w / width, y + iy * h / height

    def quit(self, timeout=15):
        if not self.alive():
            return self.process.returncode if self.process else None
        self.key("ctrl+q")
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.alive():
            self.process.kill()
            self.process.wait(10)
        if self.log:
            self.log.close()


class Suite:
    def __init__(self, options):
        self.options = options
        self.display = Display()
        self.running = []

    def home(self, name):
        folder = os.path.join(self.options.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        return folder

    def photo(self, folder, name="photo.jpg", width=PHOTO_W, height=PHOTO_H):
        path = os.path.join(folder, name)
        subprocess.run([self.options.photo_tool, "make", path, str(width), str(height)], check=True)
        return path

    def tool(self, *args):
        result = subprocess.run([self.options.photo_tool] + [str(a) for a in args], stdout=subprocess.PIPE)
        check(result.returncode == 0, "the picture helper failed on %s" % (args,))
        return result.stdout.decode()

    def launch(self, name, args=(), home=None):
        program = Glimra(self, name, args, home)
        self.running.append(program)
        return program.start()


# Controls, in main-window coordinates of the window's size at first start.
OPEN_BUTTON = (44, 32)
UNDO_BUTTON = (202, 32)
REDO_BUTTON = (259, 32)
CROP_BUTTON = (318, 32)
RESIZE_BUTTON = (351, 32)
FLIP_V_BUTTON = (399, 32)
FLIP_H_BUTTON = (433, 32)
ROTATE_BUTTON = (467, 32)
BRUSH_BUTTON = (570, 123)
LASSO_BUTTON = (668, 116)
LASSO_SELECTOR = (689, 146)
CLONE_BUTTON = (824, 123)
START_BUTTON = (697, 415)
OPEN_LAST_BUTTON = (452, 504)
FIT_BUTTON = (24, 530)


def object_box(glimra, shot=None):
    shot = shot or glimra.shot()
    return shot.bounding_box(is_red)


def red_count(shot, rect):
    x0, y0, w, h = rect
    count = 0
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            if is_red(*shot.pixel(x, y)):
                count += 1
    return count


# ---------------------------------------------------------------------------------------------
# Journeys

def journey_open_from_command_line(suite):
    home = suite.home("01-open")
    photo = suite.photo(home)
    glimra = suite.launch("01-open", [photo], home)
    rect = glimra.wait_for_picture()
    check(abs(rect[2] / rect[3] - PHOTO_W / PHOTO_H) < 0.03, "the picture's shape on screen is %s" % (rect,))
    red = object_box(glimra)
    check(red is not None, "the object is not shown")
    cx, cy = glimra.to_screen(rect, PHOTO_W / 2, PHOTO_H / 2)
    check(abs(red[0] + red[2] / 2 - cx) < 4 and abs(red[1] + red[3] / 2 - cy) < 4, "the object is misplaced")
    check(glimra.title(glimra.window).startswith("Zentor Glimra"), "the window title")
    glimra.save_shot("01-open")
    return glimra


def paint_over_object(glimra, rect, margin=1.35):
    """A zig-zag drag of the brush over the disc and a margin around it."""
    radius = min(PHOTO_W, PHOTO_H) / 10 * margin
    points = []
    row = 0
    y = PHOTO_H / 2 - radius
    while y <= PHOTO_H / 2 + radius:
        xs = (PHOTO_W / 2 - radius, PHOTO_W / 2 + radius)
        for x in (xs if row % 2 == 0 else xs[::-1]):
            points.append(glimra.to_screen(rect, x, y))
        y += 12
        row += 1
    # Intermediate points so every move is a small step.
    dense = [points[0]]
    for a, b in zip(points, points[1:]):
        steps = max(1, int(distance(a, b) / 6))
        dense += [(a[0] + (b[0] - a[0]) * i / steps, a[1] + (b[1] - a[1]) * i / steps) for i in range(1, steps + 1)]
    glimra.drag(dense, step_delay=0.003)


def object_contrast(glimra, rect, shot=None):
    """How far the object's area is from the background beside it (colour distance of the means)."""
    shot = shot or glimra.shot()
    x, y, w, h = rect
    disc = glimra.to_screen(rect, PHOTO_W / 2 - 30, PHOTO_H / 2 - 30)
    size = int(60 * w / PHOTO_W)
    return distance(shot.mean(int(disc[0]), int(disc[1]), size, size), shot.mean(x + 5, y + h - 45, 40, 40))


def check_object_erased(glimra, before, rect):
    """The disc's area now matches the background; the far corners are unchanged."""
    after = glimra.shot()
    x, y, w, h = rect
    disc = glimra.to_screen(rect, PHOTO_W / 2 - 30, PHOTO_H / 2 - 30)
    size = int(60 * w / PHOTO_W)
    background = before.mean(x + 5, y + h - 45, 40, 40)
    disc_before = before.mean(int(disc[0]), int(disc[1]), size, size)
    disc_after = after.mean(int(disc[0]), int(disc[1]), size, size)
    check(distance(disc_after, background) < distance(disc_before, background) / 4,
          "the object's area %s is not like the background %s (before %s)" % (disc_after, background, disc_before))
    for corner in ((x + 5, y + 5), (x + w - 45, y + h - 45), (x + w - 45, y + 5)):
        check(distance(before.mean(corner[0], corner[1], 40, 40), after.mean(corner[0], corner[1], 40, 40)) < 3,
              "pixels away from the selection changed at %s" % (corner,))
    return after


def journey_erase_with_brush(suite):
    home = suite.home("02-brush")
    glimra = suite.launch("02-brush", [suite.photo(home)], home)
    rect = glimra.wait_for_picture()
    before = glimra.shot()
    glimra.click(*BRUSH_BUTTON)
    paint_over_object(glimra, rect)
    glimra.click(*START_BUTTON)
    wait_until(lambda: not red_count(glimra.shot(), rect), 90, "the object to go")
    glimra.wait_idle()
    check_object_erased(glimra, before, rect)
    glimra.move(rect[0] + rect[2] / 2, rect[1] + rect[3] + 60)
    erased = object_contrast(glimra, rect)
    # Undo returns the object (under its selection's tint).
    glimra.key("ctrl+z")
    wait_until(lambda: object_contrast(glimra, rect) > 4 * erased + 40, 20, "undo to bring the object back")
    glimra.key("ctrl+shift+z")
    wait_until(lambda: object_contrast(glimra, rect) < erased + 5, 20, "redo to bring the fill back")
    glimra.save_shot("02-brush")
    return glimra


def erase_and_check(glimra, rect, before, select):
    select()
    # Start's own key: the button moves as the tools' settings change.
    glimra.key("Delete")
    wait_until(lambda: not red_count(glimra.shot(), rect), 90, "the object to go")
    glimra.wait_idle()
    check_object_erased(glimra, before, rect)
    erased = object_contrast(glimra, rect)
    glimra.key("ctrl+z")
    wait_until(lambda: object_contrast(glimra, rect) > 4 * erased + 40, 20, "undo to bring the object back")
    glimra.key("ctrl+shift+z")
    wait_until(lambda: object_contrast(glimra, rect) < erased + 5, 20, "redo to bring the fill back")
    # Back to the untouched picture for the next tool.
    glimra.key("ctrl+z")
    wait_until(lambda: object_contrast(glimra, rect) > 4 * erased + 40, 20, "undo to bring the object back")


def ring(glimra, rect, radius, count):
    return [glimra.to_screen(rect, PHOTO_W / 2 + radius * math.cos(2 * math.pi * i / count),
                             PHOTO_H / 2 + radius * math.sin(2 * math.pi * i / count)) for i in range(count + 1)]


def journey_lasso_and_polygon(suite):
    home = suite.home("03-lasso")
    glimra = suite.launch("03-lasso", [suite.photo(home)], home)
    rect = glimra.wait_for_picture()
    before = glimra.shot()
    radius = min(PHOTO_W, PHOTO_H) / 10 * 1.4

    def lasso():
        glimra.click(*LASSO_BUTTON)
        glimra.drag(ring(glimra, rect, radius, 72), step_delay=0.005)

    def polygon():
        # The small arrow on the lasso button offers the polygonal lasso in a pop-up.
        glimra.click(*LASSO_SELECTOR)
        popup = glimra.dialog("the lasso pop-up", 5)
        _, _, width, height = glimra.geometry(popup)
        glimra.click(width * 3 // 4, height // 2, window=popup)
        wait_until(lambda: not glimra.others(), 5, "the lasso pop-up to close")
        for point in ring(glimra, rect, radius, 8):
            glimra.click(*point)

    erase_and_check(glimra, rect, before, lasso)
    erase_and_check(glimra, rect, before, polygon)
    glimra.save_shot("03-lasso-polygon")


def choose_clone_source(glimra, rect, key):
    """The clone tool with its source chosen by key and a click on plain background, 180 pixels
    above the object's centre."""
    glimra.click(*CLONE_BUTTON)
    glimra.move(*glimra.to_screen(rect, PHOTO_W / 2 + 150, PHOTO_H / 2 - 170))
    glimra.xdo("keydown", key)
    glimra.xdo("click", 1)
    glimra.xdo("keyup", key)
    time.sleep(0.3)


def clone_stamp(suite, name, key):
    """Chooses the clone source with key and a click, paints over the object, and checks the
    object's area now looks like the source."""
    home = suite.home(name)
    glimra = suite.launch(name, [suite.photo(home)], home)
    rect = glimra.wait_for_picture()
    choose_clone_source(glimra, rect, key)
    check(not glimra.others(), "%s and a click gave an alert instead of choosing the source" % key)
    before = glimra.shot()
    paint_over_object(glimra, rect)
    glimra.wait_idle()
    time.sleep(0.5)
    after = glimra.shot()
    size = int(60 * rect[2] / PHOTO_W)
    disc = glimra.to_screen(rect, PHOTO_W / 2 - 30, PHOTO_H / 2 - 30)
    src = glimra.to_screen(rect, PHOTO_W / 2 + 120, PHOTO_H / 2 - 200)
    area_after = after.mean(int(disc[0]), int(disc[1]), size, size)
    area_before = before.mean(int(disc[0]), int(disc[1]), size, size)
    source_colour = before.mean(int(src[0]), int(src[1]), size, size)
    check(distance(area_after, source_colour) < distance(area_before, source_colour) / 4,
          "the object's area %s is not like its source %s" % (area_after, source_colour))
    check(not red_count(after, rect), "red remains after the clone stamp")
    glimra.save_shot(name)


def journey_clone_stamp(suite):
    clone_stamp(suite, "04-clone", "alt")


def blue_centre(glimra, rect):
    """The orientation mark's centre in the picture as a fraction of its size."""
    x, y, w, h = rect
    shot = glimra.shot()
    crop = xshot.Shot(w, h, b"".join(shot.rgb[((y + row) * shot.width + x) * 3:((y + row) * shot.width + x + w) * 3]
                                     for row in range(h)))
    box = crop.bounding_box(is_blue)
    check(box is not None, "the orientation mark is not shown")
    return (box[0] + box[2] / 2) / w, (box[1] + box[3] / 2) / h


def journey_effects_panel(suite):
    home = suite.home("05-effects")
    glimra = suite.launch("05-effects", [suite.photo(home)], home)
    rect = glimra.wait_for_picture()
    ratio = rect[2] / rect[3]

    def shape():
        # The view keeps its zoom across a change of shape; fit shows the whole picture.
        glimra.click(*FIT_BUTTON)
        r = glimra.picture_rect()
        return r[2] / r[3] if r else 0

    def undo_back():
        glimra.key("ctrl+z")
        wait_until(lambda: abs(shape() - ratio) < 0.03 and blue_centre(glimra, glimra.picture_rect())[0] < 0.5
                   and blue_centre(glimra, glimra.picture_rect())[1] < 0.5, 20, "undo to return the picture")

    glimra.click(*ROTATE_BUTTON)
    wait_until(lambda: abs(shape() - 1 / ratio) < 0.03, 20, "the rotation")
    # Clockwise: the mark moves from the top left to the top right.
    mark = blue_centre(glimra, glimra.picture_rect())
    check(mark[0] > 0.5 and mark[1] < 0.5, "the rotated mark is at %s" % (mark,))
    undo_back()

    # The vertical flip mirrors about the vertical axis (left and right change places), the
    # horizontal one about the horizontal axis.
    glimra.click(*FLIP_V_BUTTON)
    wait_until(lambda: blue_centre(glimra, glimra.picture_rect())[0] > 0.5, 20, "the vertical flip")
    check(blue_centre(glimra, glimra.picture_rect())[1] < 0.5, "the vertical flip moved the mark up or down")
    undo_back()

    glimra.click(*FLIP_H_BUTTON)
    wait_until(lambda: blue_centre(glimra, glimra.picture_rect())[1] > 0.5, 20, "the horizontal flip")
    check(blue_centre(glimra, glimra.picture_rect())[0] < 0.5, "the horizontal flip moved the mark sideways")
    undo_back()

    # Crop to 400 x 500 from (50, 50); Return applies it.
    glimra.click(*CROP_BUTTON)
    glimra.drag([glimra.to_screen(rect, 50, 50), glimra.to_screen(rect, 250, 300), glimra.to_screen(rect, 450, 550)])
    glimra.key("Return")
    wait_until(lambda: abs(shape() - 0.8) < 0.03, 20, "the crop")
    undo_back()

    # Image size: half the width, proportional.
    glimra.click(*RESIZE_BUTTON)
    dialog = glimra.dialog("the image size dialog", 5)
    _, _, width, _ = glimra.geometry(dialog)
    glimra.click(width * 4 // 10, 97, window=dialog)
    glimra.key("ctrl+a", window=dialog)
    glimra.type("400")
    glimra.key("Tab", window=dialog)
    glimra.key("Return", window=dialog)
    glimra.wait_idle()
    glimra.key("ctrl+shift+s")
    saved = save_through_panel(glimra, os.path.join(home, "half"), PNG_TYPE)
    check(suite.tool("size", saved).split() == ["400", "300"], "the resized picture is %s" % suite.tool("size", saved))
    glimra.key("ctrl+z")
    glimra.wait_idle()
    glimra.key("ctrl+shift+s")
    saved = save_through_panel(glimra, os.path.join(home, "whole"), PNG_TYPE)
    check(suite.tool("size", saved).split() == ["800", "600"], "undo of the resize gives %s" % suite.tool("size", saved))
    glimra.save_shot("05-effects")


JPEG_TYPE, PNG_TYPE = "Image JPEG", "Image PNG"


def save_through_panel(glimra, base, type_name):
    """Types base (no extension) into the save panel after choosing the file type; the saved file's path."""
    panel = glimra.dialog("the save panel", 10)
    _, _, width, height = glimra.geometry(panel)
    # The file types box: its opened list finds a type by its typed name.
    glimra.click(width // 2, height - 23, window=panel)
    time.sleep(0.3)
    glimra.xdo("type", "--delay", "20", type_name)
    glimra.xdo("key", "Return")
    time.sleep(0.3)
    # The name field, above the types.
    glimra.click(width // 2, height - 92, window=panel)
    glimra.key("ctrl+a", window=panel)
    glimra.type(base)
    glimra.key("Return", window=panel)
    extension = ".png" if type_name == PNG_TYPE else ".jpg"
    wait_until(lambda: os.path.exists(base + extension), 30, "the saved file " + base + extension)
    glimra.wait_idle()
    return base + extension


def journey_save_as(suite):
    home = suite.home("06-save")
    glimra = suite.launch("06-save", [suite.photo(home)], home)
    rect = glimra.wait_for_picture()
    glimra.click(*FLIP_V_BUTTON)
    wait_until(lambda: blue_centre(glimra, glimra.picture_rect())[0] > 0.5, 20, "the vertical flip")
    glimra.key("ctrl+shift+s")
    png = save_through_panel(glimra, os.path.join(home, "saved"), PNG_TYPE)
    glimra.key("ctrl+shift+s")
    jpeg = save_through_panel(glimra, os.path.join(home, "saved"), JPEG_TYPE)
    for path in (png, jpeg):
        check(suite.tool("size", path).split() == [str(PHOTO_W), str(PHOTO_H)], path + " has the wrong size")
        # The mirrored picture: the mark top right, the object in the middle.
        mark = [float(v) for v in suite.tool("mean", path, PHOTO_W * 4 // 5 - 20, PHOTO_H // 5 - 20, 40, 40).split()]
        check(is_blue(*mark), "%s: no mark at the top right (%s)" % (path, mark))
        disc = [float(v) for v in suite.tool("mean", path, PHOTO_W // 2 - 20, PHOTO_H // 2 - 20, 40, 40).split()]
        check(is_red(*disc), "%s: no object in the middle" % path)
    check(float(suite.tool("diff", png, jpeg)) < 4, "the PNG and the JPEG differ")
    exif = dict(line.split("=", 1) for line in suite.tool("exif", jpeg).splitlines())
    check(exif.get("Make") == "Glimra Camera" and exif.get("Model") == "Model E2E"
          and exif.get("DateTimeOriginal") == "2025:06:07 08:09:10", "the JPEG's EXIF is %s" % exif)
    check(exif.get("Orientation") in ("1", ""), "the JPEG's orientation is %s" % exif.get("Orientation"))
    glimra.save_shot("06-save")


def journey_quit_with_changes(suite):
    home = suite.home("07-quit")
    glimra = suite.launch("07-quit", [suite.photo(home)], home)
    glimra.wait_for_picture()
    glimra.click(*ROTATE_BUTTON)
    glimra.wait_idle()

    def question():
        glimra.key("ctrl+q")
        return glimra.dialog("the question", 10)

    box = question()
    check(glimra.title(box) == "Attention", "the question's title is " + glimra.title(box))
    glimra.save_shot("07-quit-question", window=box)
    _, _, width, height = glimra.geometry(box)
    glimra.click(width - 151, height - 24, window=box)  # Cancel
    wait_until(lambda: not glimra.others(), 5, "the question to close")
    time.sleep(0.5)
    check(glimra.alive() and glimra.main_window(), "Cancel did not keep the window")
    glimra.save_shot("07-quit")
    box = question()
    glimra.click(width - 65, height - 24, window=box)  # Don't Save
    try:
        code = glimra.process.wait(15)
    except subprocess.TimeoutExpired:
        raise JourneyFailed("Don't Save did not quit")
    check(code == 0, "the program ended with %d" % code)


def journey_bad_input(suite):
    home = suite.home("10-bad")
    good = suite.photo(home)
    with open(good, "rb") as f:
        data = f.read()
    truncated = os.path.join(home, "truncated.jpg")
    with open(truncated, "wb") as f:
        f.write(data[:len(data) // 3])
    text = os.path.join(home, "text.png")
    with open(text, "w") as f:
        f.write("This is not a picture.\n")
    locked = os.path.join(home, "locked.jpg")
    shutil.copy(good, locked)
    os.chmod(locked, 0)
    glimra = Glimra(suite, "10-bad", [], home)
    # Root reads everything; without the capabilities that let it, it reads what its owner may.
    if os.geteuid() == 0:
        glimra.prefix = ["setpriv", "--bounding-set", "-dac_override,-dac_read_search"]
    suite.running.append(glimra)
    glimra.start()
    cases = [truncated, text, locked]
    for index, path in enumerate(cases):
        glimra.key("ctrl+o")
        dialog = glimra.dialog("the open dialog", 10)
        glimra.key("ctrl+a", window=dialog)
        glimra.type(path)
        glimra.key("Return", window=dialog)
        alert = glimra.dialog("the alert for " + path, 30, besides=(dialog,))
        glimra.save_shot("10-bad-%d" % (index + 1), window=alert)
        # The alert's words are not readable from outside; the program's log names the file.
        check(wait_until(lambda: "Cannot open " + path in glimra.log_text(), 15, "the log of " + path),
              "the log does not name " + path)
        glimra.key("Return", window=alert)
        wait_until(lambda: not glimra.others(), 10, "the alert to close")
        check(glimra.alive(), "the program ended after " + path)
    # Still usable: a good photo opens.
    glimra.key("ctrl+o")
    dialog = glimra.dialog("the open dialog", 10)
    glimra.key("ctrl+a", window=dialog)
    glimra.type(good)
    glimra.key("Return", window=dialog)
    glimra.wait_for_picture()
    glimra.save_shot("10-bad")


def region_difference(a, b, rect, step=3):
    """The mean channel difference of two shots over rect, on every step-th pixel."""
    x0, y0, w, h = rect
    total, count = 0, 0
    for y in range(y0, y0 + h, step):
        for x in range(x0, x0 + w, step):
            pa, pb = a.pixel(x, y), b.pixel(x, y)
            total += abs(pa[0] - pb[0]) + abs(pa[1] - pb[1]) + abs(pa[2] - pb[2])
            count += 3
    return total / count


def erase_with_brush(glimra, rect):
    glimra.click(*BRUSH_BUTTON)
    paint_over_object(glimra, rect)
    glimra.click(*START_BUTTON)


def journey_restore_last_session(suite):
    home = suite.home("08-restore")
    glimra = suite.launch("08-restore", [suite.photo(home)], home)
    rect = glimra.wait_for_picture()
    erase_with_brush(glimra, rect)
    wait_until(lambda: not red_count(glimra.shot(), rect), 90, "the object to go")
    glimra.wait_idle()
    erased = glimra.shot()
    glimra.key("ctrl+z")
    wait_until(lambda: object_contrast(glimra, rect) > 40, 20, "undo to bring the object back")
    time.sleep(0.5)
    undone = glimra.shot()
    glimra.key("ctrl+shift+z")
    wait_until(lambda: region_difference(glimra.shot(), erased, rect) < 1, 20, "redo")
    glimra.key("ctrl+q")
    box = glimra.dialog("the question")
    _, _, width, height = glimra.geometry(box)
    glimra.click(width - 65, height - 24, window=box)  # Don't Save
    check(glimra.process.wait(20) == 0, "the first run did not end cleanly")

    again = suite.launch("08-restore", [], home)
    time.sleep(1)
    again.click(*OPEN_LAST_BUTTON)
    restored = again.wait_for_picture()
    check(restored == rect, "the restored picture is shown at %s, before at %s" % (restored, rect))
    time.sleep(0.5)
    difference = region_difference(again.shot(), erased, rect)
    check(difference < 2, "the restored picture differs from the one before quitting by %.1f" % difference)
    again.key("ctrl+z")
    wait_until(lambda: region_difference(again.shot(), undone, rect) < 2, 20,
               "the restored history's undo to give the picture before the erase")
    again.save_shot("08-restore")


def journey_kill_during_effect(suite):
    home = suite.home("09-kill")
    photo = suite.photo(home, width=6000, height=4000)
    glimra = suite.launch("09-kill", [photo], home)
    glimra.wait_for_picture()
    sessions = glimra.sessions()
    check(len(sessions) == 1, "sessions at the start: %s" % sessions)
    folder = os.path.join(home, "cache", "Zentor", "Glimra", "sessions", sessions[0])

    def own_files(names):
        # The session's own files (lock, session file, start-page preview) are written afresh.
        return {name for name in names if not name.endswith((".lock", ".json")) and name != "preview.png"}

    # Four turns of a large picture keep more earlier steps than memory holds: some go to swap files.
    for _ in range(4):
        glimra.click(*ROTATE_BUTTON)
        glimra.wait_idle()
    wait_until(lambda: own_files(os.listdir(folder)), 30, "earlier steps in swap files")
    glimra.click(*FIT_BUTTON)
    rect = glimra.wait_for_picture()
    erase_with_brush(glimra, rect)
    wait_until(lambda: glimra.others(), 30, "the effect's progress", step=0.05)
    leftovers = own_files(os.listdir(folder))
    os.kill(glimra.process.pid, signal.SIGKILL)
    glimra.process.wait(10)

    again = suite.launch("09-kill", [], home)
    time.sleep(1)
    again.click(*OPEN_LAST_BUTTON)
    # The killed run wrote no session: the user is told that the picture opened as saved.
    alert = again.dialog("the alert that the last session was not restored", 60)
    again.save_shot("09-kill-alert", window=alert)
    again.key("Return", window=alert)
    wait_until(lambda: not again.others(), 10, "the alert to close")
    again.wait_for_picture(60)

    def object_shown():
        shot = again.shot()
        rect = again.picture_rect(shot)
        return rect and rect[2] > 300 and red_count(shot, rect) > 100

    # The engine opened the file afresh: the object is there, untouched.
    wait_until(object_shown, 60, "the reopened picture's object")
    time.sleep(1)
    remaining = set()
    for name in again.sessions():
        path = os.path.join(home, "cache", "Zentor", "Glimra", "sessions", name)
        if os.path.isdir(path):
            remaining |= set(os.listdir(path))
    swaps = sorted(leftovers & remaining)
    check(not swaps, "the killed run's swap files remain: %s" % swaps)
    again.save_shot("09-kill")


def journey_clone_stamp_ctrl(suite):
    """The clone source chosen with Ctrl and a click, which window managers leave to the program."""
    clone_stamp(suite, "11-clone-ctrl", "ctrl")


# The image-size button moves with the toolbar's translated texts.
RESIZE_BUTTON_BY_LOCALE = {"en": RESIZE_BUTTON, "de": (474, 32)}
TYPE_NAMES_BY_LOCALE = {"en": ("Image JPEG", "Image TIFF"), "de": ("Bild JPEG", "Bild TIFF")}


def journey_dialogs_in_two_languages(suite):
    """Screenshots of the option dialogs, the image-size dialog, the save panel and File
    Information in English and German; the option dialogs keep their forms' least width."""
    for locale in ("en", "de"):
        name = "12-dialogs-" + locale
        home = suite.home(name)
        os.makedirs(os.path.join(home, "config", "Zentor"))
        with open(os.path.join(home, "config", "Zentor", "Glimra.ini"), "w") as settings:
            settings.write("[General]\nlocale=%s\n" % locale)
        suite.photo(home)
        # Named relative to the working folder: File Information shows the folder in full.
        glimra = suite.launch(name, ["photo.jpg"], home)
        glimra.wait_for_picture()

        def close(window):
            glimra.key("Escape", window=window)
            wait_until(lambda: window not in glimra.others(), 5, "the dialog to close")

        glimra.click(*RESIZE_BUTTON_BY_LOCALE[locale])
        dialog = glimra.dialog("the image size dialog", 5)
        glimra.save_shot(name + "-image-size", window=dialog)
        close(dialog)

        glimra.key("ctrl+i")
        dialog = glimra.dialog("File Information", 5)
        check(glimra.title(dialog).startswith("photo.jpg"), "File Information is titled " + glimra.title(dialog))
        glimra.save_shot(name + "-file-information", window=dialog)
        close(dialog)

        glimra.key("ctrl+shift+s")
        panel = glimra.dialog("the save panel", 10)
        glimra.save_shot(name + "-save-panel", window=panel)
        _, _, width, height = glimra.geometry(panel)
        for type_name, kind in zip(TYPE_NAMES_BY_LOCALE[locale], ("jpeg", "tiff")):
            glimra.click(width // 2, height - 23, window=panel)
            time.sleep(0.3)
            glimra.xdo("type", "--delay", "20", type_name)
            glimra.xdo("key", "Return")
            time.sleep(0.3)
            glimra.click(width - 60, height - 23, window=panel)  # Options
            options = glimra.dialog("the %s options" % kind, 5, besides=(panel,))
            check(glimra.title(options).startswith(kind.upper()), "the %s options are titled %s"
                  % (kind, glimra.title(options)))
            check(glimra.geometry(options)[2] >= 310, "the %s options are %d pixels wide"
                  % (kind, glimra.geometry(options)[2]))
            glimra.save_shot("%s-%s-options" % (name, kind), window=options)
            close(options)
        close(panel)
        check(glimra.alive(), "the program ended in " + locale)
        glimra.kill()


def open_through_dialog(glimra, path):
    glimra.key("ctrl+o")
    dialog = glimra.dialog("the open dialog", 10)
    glimra.key("ctrl+a", window=dialog)
    glimra.type(path)
    glimra.key("Return", window=dialog)


def journey_refused_open_keeps_last_session(suite):
    home = suite.home("13-refused-open")
    kept = suite.photo(home, "kept.jpg")
    # Upright, so that the picture on screen tells which of the two is shown.
    refused = suite.photo(home, "refused.jpg", width=PHOTO_H, height=PHOTO_W)
    glimra = suite.launch("13-refused-open", [kept], home)
    rect = glimra.wait_for_picture()
    glimra.click(*FLIP_V_BUTTON)
    wait_until(lambda: blue_centre(glimra, glimra.picture_rect())[0] > 0.5, 20, "the vertical flip")

    open_through_dialog(glimra, refused)
    # The open dialog and its completion list may still be closing.
    box = wait_until(lambda: [w for w in glimra.others() if glimra.title(w) == "Attention"], 30,
                     "the save-changes question")[0]
    time.sleep(0.5)
    _, _, width, height = glimra.geometry(box)
    glimra.click(width - 151, height - 24, window=box)  # Cancel
    wait_until(lambda: not glimra.others(), 10, "the question to close")
    time.sleep(0.5)
    check(glimra.picture_rect() == rect and blue_centre(glimra, rect)[0] > 0.5, "Cancel did not keep the edited picture")

    glimra.key("ctrl+q")
    box = glimra.dialog("the quit question")
    glimra.click(width - 65, height - 24, window=box)  # Don't Save
    check(glimra.process.wait(20) == 0, "the first run did not end cleanly")
    with open(glimra.settings_path()) as settings:
        check("OpenFile=" + kept in settings.read().splitlines(), "the last session does not name " + kept)

    again = suite.launch("13-refused-open", [], home)
    time.sleep(1)
    again.click(*OPEN_LAST_BUTTON)
    restored = again.wait_for_picture()
    check(restored == rect, "the restored picture is shown at %s, the kept one was at %s" % (restored, rect))
    check(blue_centre(again, restored)[0] > 0.5, "the restored picture is not the edited one")
    again.key("ctrl+z")
    wait_until(lambda: blue_centre(again, again.picture_rect())[0] < 0.5, 20, "undo of the restored history")
    again.save_shot("13-refused-open")


def effect_outcomes(glimra):
    """The effect runs' outcomes the usage statistics recorded: names ending in _SUCCESS or _CANCEL."""
    outcomes = []
    for folder, _, files in os.walk(glimra.folders()["XDG_DATA_HOME"]):
        if "usage.jsonl" in files:
            with open(os.path.join(folder, "usage.jsonl")) as usage:
                for line in usage:
                    event = json.loads(line).get("event", "")
                    if event.endswith(("_SUCCESS", "_CANCEL")):
                        outcomes.append(event)
    return outcomes


def journey_escape_stops_the_erase(suite):
    home = suite.home("14-escape")
    glimra = suite.launch("14-escape", [suite.photo(home, width=6000, height=4000)], home)
    rect = glimra.wait_for_picture(60)
    glimra.click(*BRUSH_BUTTON)
    # A wide selection keeps the fill busy long enough to be interrupted.
    paint_over_object(glimra, rect, margin=2)
    time.sleep(0.5)
    selected = glimra.shot()
    check(not effect_outcomes(glimra), "an effect ran before Start")
    glimra.click(*START_BUTTON)
    progress = wait_until(lambda: glimra.others(), 30, "the erase's progress", step=0.05)[0]
    glimra.key("Escape", window=progress)
    # The dialog goes only with the run: once it is gone, the run has told its outcome.
    wait_until(lambda: not glimra.others(), 60, "the progress dialog to close")
    outcomes = wait_until(lambda: effect_outcomes(glimra), 120, "the erase's outcome")
    check(outcomes == [outcomes[0].rsplit("_", 1)[0] + "_CANCEL"], "Esc did not stop the erase: %s" % outcomes)
    time.sleep(0.5)
    difference = region_difference(glimra.shot(), selected, rect)
    check(difference < 1, "the stopped erase changed the picture by %.1f" % difference)
    check(glimra.alive() and glimra.main_window(), "the program did not stay")
    glimra.save_shot("14-escape")


JOURNEYS = [
    ("1 open from the command line", journey_open_from_command_line),
    ("2 remove an object with the brush", journey_erase_with_brush),
    ("3 lasso and polygonal lasso", journey_lasso_and_polygon),
    ("4 clone stamp", journey_clone_stamp),
    ("5 effects panel", journey_effects_panel),
    ("6 save as PNG and JPEG", journey_save_as),
    ("7 quit with unsaved changes", journey_quit_with_changes),
    ("8 restore the last session", journey_restore_last_session),
    ("9 kill during an effect", journey_kill_during_effect),
    ("10 bad input", journey_bad_input),
    ("11 clone stamp with Ctrl", journey_clone_stamp_ctrl),
    ("12 dialogs in English and German", journey_dialogs_in_two_languages),
    ("13 refused open keeps the last session", journey_refused_open_keeps_last_session),
    ("14 Esc stops a running erase", journey_escape_stops_the_erase),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--glimra", required=True)
    parser.add_argument("--photo-tool", required=True)
    parser.add_argument("--plugins", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--only", default="")
    parser.add_argument("--sanitizer-logs", default="",
                        help="a folder for the reports of a sanitizer build; any report fails the run")
    options = parser.parse_args()
    for name in ("glimra", "photo_tool", "plugins", "work", "screenshots"):
        setattr(options, name, os.path.abspath(getattr(options, name)))
    if options.sanitizer_logs:
        options.sanitizer_logs = os.path.abspath(options.sanitizer_logs)
        shutil.rmtree(options.sanitizer_logs, ignore_errors=True)
        os.makedirs(options.sanitizer_logs)
    os.makedirs(options.work, exist_ok=True)
    os.makedirs(options.screenshots, exist_ok=True)
    # Only this run's pictures: a failure's screenshot from an earlier run would mislead.
    for name in os.listdir(options.screenshots):
        if name.endswith(".png"):
            os.remove(os.path.join(options.screenshots, name))

    suite = Suite(options)
    if not suite.display.start():
        print("SKIPPED: no X server could be started (Xvfb, xdotool and xwd are needed)")
        return SKIP
    failures = []
    try:
        for name, journey in JOURNEYS:
            if options.only and not name.startswith(options.only):
                continue
            started = time.time()
            try:
                journey(suite)
                print("PASS %s (%.1f s)" % (name, time.time() - started), flush=True)
            except Exception as failure:  # every journey runs, whatever the one before did
                failures.append(name)
                print("FAIL %s: %s" % (name, failure), flush=True)
                if not isinstance(failure, JourneyFailed):
                    traceback.print_exc()
                for program in suite.running:
                    if program.alive() and program.window:
                        try:
                            program.save_shot("failed-" + name.split()[0])
                            for index, window in enumerate(program.others()):
                                program.save_shot("failed-%s-window%d" % (name.split()[0], index + 1), window)
                        except Exception:
                            pass
            finally:
                for program in suite.running:
                    program.kill()
                suite.running = []
    finally:
        suite.display.stop()
    if options.sanitizer_logs:
        for name in sorted(os.listdir(options.sanitizer_logs)):
            failures.append("sanitizer report " + name)
            with open(os.path.join(options.sanitizer_logs, name), errors="replace") as report:
                print("SANITIZER REPORT %s:\n%s" % (name, report.read()), flush=True)
    print("%d journeys failed: %s" % (len(failures), ", ".join(failures)) if failures else "all journeys passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
