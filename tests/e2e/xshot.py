"""Screenshots of X windows (through xwd) as plain RGB rasters, and PNG files of them."""
import struct
import subprocess
import zlib


class Shot:
    """An RGB raster: rgb is bytes of width*height*3."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]

    def mean(self, x0, y0, w, h):
        total = [0, 0, 0]
        count = 0
        for y in range(max(0, y0), min(self.height, y0 + h)):
            row = self.rgb[(y * self.width) * 3:(y * self.width + self.width) * 3]
            for x in range(max(0, x0), min(self.width, x0 + w)):
                total[0] += row[x * 3]
                total[1] += row[x * 3 + 1]
                total[2] += row[x * 3 + 2]
                count += 1
        return tuple(c / count for c in total) if count else (0, 0, 0)

    def bounding_box(self, accept):
        """The smallest rectangle (x, y, w, h) holding every pixel accept(r, g, b) takes; None if none."""
        xs, ys = [], []
        for y in range(self.height):
            row = self.rgb[(y * self.width) * 3:(y * self.width + self.width) * 3]
            found = [x for x in range(self.width) if accept(row[x * 3], row[x * 3 + 1], row[x * 3 + 2])]
            if found:
                xs += (found[0], found[-1])
                ys.append(y)
        if not ys:
            return None
        return min(xs), ys[0], max(xs) - min(xs) + 1, ys[-1] - ys[0] + 1

    def save_png(self, path):
        raw = b"".join(b"\0" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3] for y in range(self.height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 6)))
            f.write(chunk(b"IEND", b""))


def parse_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    ncolors = fields[19]
    if bits_per_pixel not in (24, 32) or (red_mask, green_mask, blue_mask) != (0xff0000, 0xff00, 0xff):
        raise RuntimeError("unsupported xwd layout: %d bits a pixel" % bits_per_pixel)
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    # Least significant byte first: blue, green, red; most significant first: red at the end - 3.
    r, g, b = (2, 1, 0) if byte_order == 0 else (step - 3, step - 2, step - 1)
    out = bytearray(width * height * 3)
    for y in range(height):
        line = data[offset + y * bytes_per_line:offset + y * bytes_per_line + width * step]
        base = y * width * 3
        out[base:base + width * 3:3] = line[r::step]
        out[base + 1:base + width * 3:3] = line[g::step]
        out[base + 2:base + width * 3:3] = line[b::step]
    return Shot(width, height, bytes(out))


def grab(window="root", env=None):
    """The window (an X id) or the whole screen as a Shot."""
    args = ["xwd", "-silent"] + (["-root"] if window == "root" else ["-id", str(window)])
    data = subprocess.run(args, check=True, stdout=subprocess.PIPE, env=env).stdout
    return parse_xwd(data)
