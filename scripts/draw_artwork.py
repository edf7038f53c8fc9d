#!/usr/bin/env python3
"""Draws the program's artwork (icons, tool cursors, the start page's drop picture) as PNG files
under Resources/. Every picture is made of simple shapes, rasterised here with 4x4 supersampling,
so the artwork needs nothing but Python. Run it again after changing a drawing.

Tool cursors are 32x32 with their hot spot at (8, 8), the centre of the cross hair."""
import math
import os
import struct
import zlib

SAMPLES = 4


def hexcolor(text, alpha=255):
    text = text.lstrip('#')
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


class Shape:
    def bbox(self):
        raise NotImplementedError

    def contains(self, x, y):
        raise NotImplementedError


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def bbox(self):
        return (self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r)

    def contains(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r ** 2


class Arc(Shape):
    """A ring of width w around radius r, from angle a0 to a1 (degrees, counter-clockwise, y up)."""

    def __init__(self, cx, cy, r, w, a0=0, a1=360):
        self.cx, self.cy, self.r, self.w, self.a0, self.a1 = cx, cy, r, w, a0, a1

    def bbox(self):
        e = self.r + self.w / 2
        return (self.cx - e, self.cy - e, self.cx + e, self.cy + e)

    def contains(self, x, y):
        d = math.hypot(x - self.cx, y - self.cy)
        if abs(d - self.r) > self.w / 2:
            return False
        if self.a1 - self.a0 >= 360:
            return True
        a = math.degrees(math.atan2(self.cy - y, x - self.cx)) % 360
        return (a - self.a0) % 360 <= (self.a1 - self.a0)


class Line(Shape):
    """A stroke with round caps."""

    def __init__(self, x1, y1, x2, y2, w):
        self.p = (x1, y1, x2, y2)
        self.w = w

    def bbox(self):
        x1, y1, x2, y2 = self.p
        e = self.w / 2
        return (min(x1, x2) - e, min(y1, y2) - e, max(x1, x2) + e, max(y1, y2) + e)

    def contains(self, x, y):
        x1, y1, x2, y2 = self.p
        dx, dy = x2 - x1, y2 - y1
        length = dx * dx + dy * dy
        t = 0 if length == 0 else max(0, min(1, ((x - x1) * dx + (y - y1) * dy) / length))
        return math.hypot(x - (x1 + t * dx), y - (y1 + t * dy)) <= self.w / 2


class Poly(Shape):
    def __init__(self, points):
        self.points = points

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        n = len(self.points)
        for i in range(n):
            x1, y1 = self.points[i]
            x2, y2 = self.points[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
        return inside


def Rect(x0, y0, x1, y1):
    return Poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def Polyline(points, w, closed=False):
    pairs = list(zip(points, points[1:] + (points[:1] if closed else [])))
    return [Line(a[0], a[1], b[0], b[1], w) for a, b in pairs]


def Star(cx, cy, outer, inner, spikes=4, turn=0):
    pts = []
    for i in range(spikes * 2):
        r = outer if i % 2 == 0 else inner
        a = math.radians(turn + i * 180 / spikes)
        pts.append((cx + r * math.sin(a), cy - r * math.cos(a)))
    return Poly(pts)


def render(width, height, layers, scale=1.0):
    """layers: list of (colour, [shapes]) painted in order; shapes are in units scaled by `scale`."""
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]
    step = 1.0 / SAMPLES
    offsets = [(i + 0.5) * step for i in range(SAMPLES)]
    for colour, shapes in layers:
        r, g, b, a = colour
        for shape in shapes:
            x0, y0, x1, y1 = shape.bbox()
            for py in range(max(0, int(y0 * scale) - 1), min(height, int(y1 * scale) + 2)):
                row = pixels[py]
                for px in range(max(0, int(x0 * scale) - 1), min(width, int(x1 * scale) + 2)):
                    hits = sum(1 for oy in offsets for ox in offsets
                               if shape.contains((px + ox) / scale, (py + oy) / scale))
                    if not hits:
                        continue
                    cover = hits / (SAMPLES * SAMPLES) * a / 255.0
                    pr, pg, pb, pa = row[px]
                    out = cover + pa * (1 - cover)
                    if out > 0:
                        row[px] = ((r * cover + pr * pa * (1 - cover)) / out,
                                   (g * cover + pg * pa * (1 - cover)) / out,
                                   (b * cover + pb * pa * (1 - cover)) / out, out)
    return pixels


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((int(round(r)), int(round(g)), int(round(b)), int(round(a * 255))))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as out:
        out.write(png)


INK = hexcolor('#34495e')
BLUE = hexcolor('#2a7de1')
GOLD = hexcolor('#f0b43c')
RED = hexcolor('#d9534f')
GREEN = hexcolor('#3fa55b')
WHITE = hexcolor('#ffffff')
PAPER = hexcolor('#eef2f6')
BLACK = hexcolor('#000000')


def arrow_head(x, y, angle, size):
    a = math.radians(angle)
    tip = (x + size * math.cos(a), y - size * math.sin(a))
    left = (x + size * 0.8 * math.cos(a + 2.2), y - size * 0.8 * math.sin(a + 2.2))
    right = (x + size * 0.8 * math.cos(a - 2.2), y - size * 0.8 * math.sin(a - 2.2))
    return Poly([tip, left, right])


def magnifier(sign):
    shapes = [(INK, [Arc(13, 13, 8, 3), Line(19, 19, 27, 27, 4)]), (WHITE, [Circle(13, 13, 6.4)])]
    marks = [Line(9.5, 13, 16.5, 13, 2.4)]
    if sign == '+':
        marks.append(Line(13, 9.5, 13, 16.5, 2.4))
    return shapes + [(BLUE, marks)]


def icons():
    undo = [(INK, [Arc(17, 18, 8, 3, 0, 200)]), (INK, [arrow_head(8.5, 15.5, 270 - 20, 6)])]
    redo = [(INK, [Arc(15, 18, 8, 3, -20, 180)]), (INK, [arrow_head(23.5, 15.5, 270 + 20, 6)])]
    return {
        'open': [(GOLD, [Poly([(3, 9), (12, 9), (14, 12), (29, 12), (29, 26), (3, 26)])]),
                 (hexcolor('#d99a22'), [Poly([(3, 26), (7, 15), (31, 15), (28, 26)])])],
        'save': [(INK, [Poly([(4, 4), (24, 4), (28, 8), (28, 28), (4, 28)])]),
                 (WHITE, [Rect(8, 16, 24, 28)]), (PAPER, [Rect(9, 4, 21, 11)]), (INK, [Rect(17, 5, 20, 10)]),
                 (BLUE, [Line(11, 20, 21, 20, 1.6), Line(11, 24, 21, 24, 1.6)])],
        'undo': undo,
        'redo': redo,
        'zoom_in': magnifier('+'),
        'zoom_out': magnifier('-'),
        'rotate': [(INK, [Arc(16, 16, 10, 3, 120, 450)]), (INK, [arrow_head(11, 7.3, 200, 7)])],
        'flip_h': [(BLUE, [Poly([(14, 6), (14, 26), (3, 26)])]), (INK, [Poly([(18, 6), (18, 26), (29, 26)])]),
                   (INK, [Line(16, 2, 16, 5, 1.4), Line(16, 27, 16, 30, 1.4)])],
        'flip_v': [(BLUE, [Poly([(6, 14), (26, 14), (26, 3)])]), (INK, [Poly([(6, 18), (26, 18), (26, 29)])]),
                   (INK, [Line(2, 16, 5, 16, 1.4), Line(27, 16, 30, 16, 1.4)])],
        'crop': [(INK, Polyline([(9, 2), (9, 23), (30, 23)], 3.2)), (BLUE, Polyline([(2, 9), (23, 9), (23, 30)], 3.2))],
        'resize': [(INK, Polyline([(4, 4), (28, 4), (28, 28), (4, 28)], 2.4, closed=True)),
                   (BLUE, [Line(9, 23, 21, 11, 2.6), Poly([(23, 9), (14, 10), (22, 18)])])],
        'enhance': [(GOLD, [Star(13, 17, 11, 3.2)]), (BLUE, [Star(25, 7, 5.5, 1.6)]), (GREEN, [Star(25, 25, 4, 1.2)])],
        'brush': [(INK, [Line(27, 4, 15, 16, 3.2)]), (hexcolor('#a0a9b3'), [Poly([(13, 14), (18, 19), (15, 22), (10, 17)])]),
                  (BLUE, [Poly([(10, 17), (15, 22), (11, 27), (3, 29), (5, 21)])])],
        'eraser': [(hexcolor('#e57f9a'), [Poly([(17, 5), (28, 16), (19, 25), (8, 14)])]),
                   (PAPER, [Poly([(8, 14), (19, 25), (15, 29), (9, 29), (4, 24), (4, 18)])]),
                   (INK, [Line(14, 29, 29, 29, 1.6)])],
        'lasso': [(INK, [Arc(16, 12, 11, 2.4)]), (INK, Polyline([(10, 21), (8, 26), (12, 29), (9, 31)], 2.2))],
        'polygon': [(INK, Polyline([(4, 10), (16, 3), (28, 12), (23, 28), (7, 25)], 2.2, closed=True)),
                    (BLUE, [Circle(x, y, 2.6) for x, y in [(4, 10), (16, 3), (28, 12), (23, 28), (7, 25)]])],
        'wand': [(INK, [Line(4, 28, 19, 13, 3.4)]), (WHITE, [Line(5.5, 26.5, 8.5, 23.5, 1.2)]),
                 (GOLD, [Star(23, 9, 8, 2.4)]), (BLUE, [Star(9, 7, 4, 1.2)])],
        'clone': [(INK, [Circle(16, 7, 5), Rect(13, 10, 19, 19)]),
                  (BLUE, [Poly([(6, 19), (26, 19), (28, 25), (4, 25)])]), (INK, [Rect(4, 26, 28, 29)])],
    }


def cross_hair():
    """The cross hair around the hot spot (8, 8), outlined in white so it shows on any picture."""
    cross = [Line(8, 1, 8, 6, 1.2), Line(8, 10, 8, 15, 1.2), Line(1, 8, 6, 8, 1.2), Line(10, 8, 15, 8, 1.2)]
    halo = [Line(*s.p, s.w + 2) for s in cross]
    return [(WHITE, halo), (BLACK, cross)]


def shifted(layers, dx, dy, factor):
    """The icon drawn at `factor` of its size, moved by dx, dy."""
    def move(shape):
        if isinstance(shape, Circle):
            return Circle(dx + shape.cx * factor, dy + shape.cy * factor, shape.r * factor)
        if isinstance(shape, Arc):
            return Arc(dx + shape.cx * factor, dy + shape.cy * factor, shape.r * factor, shape.w * factor,
                       shape.a0, shape.a1)
        if isinstance(shape, Line):
            x1, y1, x2, y2 = shape.p
            return Line(dx + x1 * factor, dy + y1 * factor, dx + x2 * factor, dy + y2 * factor, shape.w * factor)
        return Poly([(dx + x * factor, dy + y * factor) for x, y in shape.points])
    return [(colour, [move(s) for s in shapes]) for colour, shapes in layers]


def tool_cursor(name, all_icons):
    """The cross hair with the tool's icon, smaller, on a light disc below right."""
    base = cross_hair()
    glyph = shifted(all_icons[name], 12, 12, 0.6)
    backdrop = [(hexcolor('#ffffff', 200), [Circle(21.6, 21.6, 10)])]
    return base + backdrop + glyph


def app_icon():
    return [(hexcolor('#2a4d7a'), [Circle(16, 16, 15)]),
            (hexcolor('#9fd0f5'), [Circle(16, 16, 12.5)]),
            (hexcolor('#f7d35c'), [Circle(21, 11, 3.2)]),
            (hexcolor('#3f7f4d'), [Poly([(4, 22), (12, 12), (18, 19), (22, 15), (29, 22), (27, 26), (5, 26)])]),
            (hexcolor('#2a4d7a'), [Arc(16, 16, 13.6, 3)]),
            (WHITE, [Star(10, 9, 4.5, 1.2)])]


def drop_picture():
    dashes = []
    for x1, y1, x2, y2 in [(8, 8, 192, 8), (192, 8, 192, 152), (192, 152, 8, 152), (8, 152, 8, 8)]:
        length = math.hypot(x2 - x1, y2 - y1)
        count = int(length // 12)
        for i in range(count):
            t0, t1 = i / count, (i + 0.55) / count
            dashes.append(Line(x1 + (x2 - x1) * t0, y1 + (y2 - y1) * t0, x1 + (x2 - x1) * t1, y1 + (y2 - y1) * t1, 2.4))
    photo = [(WHITE, [Rect(58, 62, 142, 130)]), (INK, Polyline([(58, 62), (142, 62), (142, 130), (58, 130)], 3, True)),
             (hexcolor('#9fd0f5'), [Rect(64, 68, 136, 124)]), (hexcolor('#f7d35c'), [Circle(118, 82, 7)]),
             (hexcolor('#3f7f4d'), [Poly([(64, 124), (86, 92), (102, 110), (114, 100), (136, 124)])])]
    arrow = [(BLUE, [Line(100, 18, 100, 44, 7), Poly([(86, 40), (114, 40), (100, 56)])])]
    return [(hexcolor('#8a9bb0'), dashes)] + photo + arrow


def question_icon():
    """The question alerts' picture: a question mark on a blue disc."""
    return [(BLUE, [Circle(16, 16, 15)]),
            (WHITE, [Arc(16, 11.5, 5.5, 3.2, -60, 180), Line(18.8, 16.2, 16, 19, 3.2), Circle(16, 24.5, 2.1)])]


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'Resources')
    all_icons = icons()
    for name, layers in all_icons.items():
        write_png(os.path.join(root, 'icons', name + '.png'), render(32, 32, layers))
    write_png(os.path.join(root, 'icons', 'glimra.png'), render(256, 256, app_icon(), scale=8))
    for name in ['brush', 'polygon', 'lasso', 'wand', 'eraser', 'clone', 'crop']:
        write_png(os.path.join(root, 'cursors', name + '.png'), render(32, 32, tool_cursor(name, all_icons)))
    write_png(os.path.join(root, 'images', 'drop.png'), render(200, 160, drop_picture()))
    write_png(os.path.join(root, 'images', 'question_icon.png'), render(64, 64, question_icon(), scale=2))


if __name__ == '__main__':
    main()
