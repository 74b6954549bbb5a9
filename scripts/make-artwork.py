#!/usr/bin/env python3
"""Draws the scanner's artwork: button glyphs, logo, page icons, drive images
and the program icon, written as 32-bit BMP and ICO files into the folder
given as the only argument. Every picture is made of simple shapes rendered
with 4 x 4 supersampling, so edges are smooth; nothing is taken from
elsewhere.

Glyph files are strips of six 16 x 16 frames, one per button state (normal,
hot, pressed, disabled, default, focused): the disabled frame is greyed.

Every picture is drawn for each display scaling of SCALES (per cent of
96 DPI; the program picks the nearest): a bitmap NAME.bmp at 100 % and
NAME-PERCENT.bmp at the others, listed with their resource ids in
artwork.rc, and each icon file holds all its sizes.
"""
import math
import os
import struct
import sys

SAMPLES = 4
# The display scalings drawn, in per cent; the window's list is the same.
SCALES = (100, 125, 150, 175, 200)


class Canvas:
    """Pixels of width x height; shapes are given in the picture's 100 %
    coordinates and drawn scale times larger."""

    def __init__(self, width, height, scale=1.0):
        self.width = width
        self.height = height
        self.scale = scale
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def draw(self, inside, colour):
        """Blends colour over every pixel in proportion to the share of its
        sub-samples for which inside(x, y) holds. Larger pixels of a scaled
        picture need fewer sub-samples for the same smoothness."""
        red, green, blue = colour[:3]
        opacity = colour[3] / 255.0 if len(colour) > 3 else 1.0
        samples = max(2, math.ceil(SAMPLES / self.scale))
        step = 1.0 / samples
        unit = 1.0 / self.scale
        for y in range(self.height):
            for x in range(self.width):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside((x + (sx + 0.5) * step) * unit, (y + (sy + 0.5) * step) * unit):
                            hits += 1
                if hits:
                    self.blend(x, y, (red, green, blue), opacity * hits / samples ** 2)

    def blend(self, x, y, rgb, alpha):
        r0, g0, b0, a0 = self.pixels[y][x]
        out_alpha = alpha + a0 * (1 - alpha)
        if out_alpha <= 0:
            return
        mix = [(c * alpha + c0 * a0 * (1 - alpha)) / out_alpha
               for c, c0 in zip(rgb, (r0, g0, b0))]
        self.pixels[y][x] = (mix[0], mix[1], mix[2], out_alpha)

    def gradient_rect(self, left, top, right, bottom, start, end):
        for y in range(top, bottom):
            t = (y - top) / max(1, bottom - top - 1)
            rgb = tuple(s + (e - s) * t for s, e in zip(start, end))
            for x in range(left, right):
                self.blend(x, y, rgb, 1.0)

    def rows(self):
        """Rows bottom-up, as BGRA bytes with straight (not premultiplied)
        alpha, as icons and image lists take them."""
        for row in reversed(self.pixels):
            out = bytearray()
            for red, green, blue, alpha in row:
                out += bytes((round(blue), round(green), round(red), round(alpha * 255)))
            yield bytes(out)


# Shapes: each returns a test of a point.
def rect(left, top, right, bottom):
    return lambda x, y: left <= x < right and top <= y < bottom


def rounded(left, top, right, bottom, radius):
    def inside(x, y):
        if not (left <= x < right and top <= y < bottom):
            return False
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def ring(cx, cy, outer, inner):
    return lambda x, y: inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= outer ** 2


def line(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def arc(cx, cy, radius, width, start_deg, end_deg):
    def inside(x, y):
        distance = math.hypot(x - cx, y - cy)
        if abs(distance - radius) > width / 2:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (angle - start_deg) % 360 <= (end_deg - start_deg) % 360
    return inside


# Colours.
BLUE = (40, 90, 190)
LIGHT_BLUE = (120, 170, 235)
GREEN = (40, 150, 40)
DARK_GREEN = (20, 100, 20)
RED = (200, 30, 30)
DARK_RED = (130, 10, 10)
YELLOW = (240, 200, 50)
BROWN = (150, 100, 40)
GREY = (120, 120, 120)
LIGHT_GREY = (200, 200, 200)
DARK_GREY = (70, 70, 70)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


# Button glyphs, 16 x 16.
def glyph_scan(c):
    c.draw(circle(6.5, 6.5, 4.5), LIGHT_BLUE + (120,))
    c.draw(ring(6.5, 6.5, 5.5, 3.8), BLUE)
    c.draw(line(10.5, 10.5, 14.5, 14.5, 2.6), DARK_GREY)


def glyph_pause(c):
    c.draw(rounded(3, 2, 7, 14, 1), BLUE)
    c.draw(rounded(9, 2, 13, 14, 1), BLUE)


def glyph_stop(c):
    c.draw(rounded(3, 3, 13, 13, 1.5), RED)


def glyph_quarantine(c):
    c.draw(rect(2, 6, 14, 14), BROWN)
    c.draw(rect(1, 3, 15, 6.5), (190, 135, 60))
    c.draw(rect(6.5, 8, 9.5, 11), YELLOW)


def glyph_update(c):
    c.draw(rect(6, 1, 10, 8), GREEN)
    c.draw(polygon([(3, 7), (13, 7), (8, 12)]), GREEN)
    c.draw(rect(2, 13, 14, 15), DARK_GREY)


def glyph_about(c):
    c.draw(circle(8, 8, 7), BLUE)
    c.draw(circle(8, 4.5, 1.3), WHITE)
    c.draw(rect(7, 7, 9, 12.5), WHITE)


def glyph_exit(c):
    c.draw(rect(2, 2, 9, 14), BROWN)
    c.draw(rect(3.5, 3.5, 7.5, 12.5), (230, 210, 170))
    c.draw(line(8, 8, 13, 8, 2), RED)
    c.draw(polygon([(11, 4.5), (15, 8), (11, 11.5)]), RED)


def glyph_results(c):
    for row in (3, 7, 11):
        c.draw(circle(3.5, row + 1, 1.6), RED)
        c.draw(rect(6.5, row, 14.5, row + 2), DARK_GREY)


def glyph_continue(c):
    c.draw(rect(2, 6.5, 9, 9.5), GREEN)
    c.draw(polygon([(8, 2.5), (14, 8), (8, 13.5)]), GREEN)


def glyph_fix(c):
    c.draw(line(2.5, 8.5, 6.5, 12.5, 2.8), GREEN)
    c.draw(line(6.5, 12.5, 13.5, 3.5, 2.8), GREEN)


def glyph_report(c):
    c.draw(rect(3, 1, 13, 15), DARK_GREY)
    c.draw(rect(4, 2, 12, 14), WHITE)
    for row in (4, 7, 10):
        c.draw(rect(5, row, 11, row + 1), BLUE)


def glyph_delete(c):
    c.draw(line(3.5, 3.5, 12.5, 12.5, 2.8), RED)
    c.draw(line(12.5, 3.5, 3.5, 12.5, 2.8), RED)


def glyph_restore(c):
    c.draw(arc(8.5, 9, 5, 2.4, 270, 120), BLUE)
    c.draw(polygon([(1.5, 4.5), (7.5, 0.8), (7.5, 8.2)]), BLUE)


def glyph_cancel(c):
    c.draw(ring(8, 8, 6.5, 4.5), GREY)
    c.draw(line(4, 12, 12, 4, 2), GREY)


# Drive images, 16 x 16, in the image list's order: network, CD, removable, fixed.
def drive_network(c):
    c.draw(rounded(1, 2, 15, 9, 1), GREY)
    c.draw(rect(3, 5, 8, 6), LIGHT_GREY)
    c.draw(rect(7, 9, 9, 12), DARK_GREY)
    c.draw(rect(2, 12, 14, 14), GREEN)


def drive_cd(c):
    c.draw(circle(8, 8, 7), LIGHT_GREY)
    c.draw(arc(8, 8, 5, 2, 20, 110), LIGHT_BLUE)
    c.draw(ring(8, 8, 7, 6.3), GREY)
    c.draw(circle(8, 8, 1.8), WHITE)
    c.draw(ring(8, 8, 2.2, 1.6), GREY)


def drive_removable(c):
    c.draw(rounded(5, 1, 11, 11, 1), BLUE)
    c.draw(rect(6, 11, 10, 15), LIGHT_GREY)
    c.draw(rect(7, 12, 7.8, 13), DARK_GREY)
    c.draw(rect(8.2, 12, 9, 13), DARK_GREY)


def drive_fixed(c):
    c.draw(rounded(1, 5, 15, 12, 1), GREY)
    c.draw(rect(2, 6, 14, 8), LIGHT_GREY)
    c.draw(rect(11, 9, 13, 10.5), (60, 220, 60))


# Page icons, 32 x 32.
def page_drives(c):
    c.draw(rounded(2, 9, 30, 24, 2), GREY)
    c.draw(rect(4, 11, 28, 15), LIGHT_GREY)
    c.draw(rect(22, 18, 26, 21), (60, 220, 60))


def page_log(c):
    c.draw(polygon([(6, 2), (21, 2), (27, 8), (27, 30), (6, 30)]), DARK_GREY)
    c.draw(polygon([(7, 3), (20, 3), (26, 9), (26, 29), (7, 29)]), WHITE)
    for row in (10, 14, 18, 22):
        c.draw(rect(10, row, 23, row + 2), BLUE)


def page_results(c):
    c.draw(polygon([(16, 2), (30, 28), (2, 28)]), RED)
    c.draw(polygon([(16, 6.5), (26.5, 26), (5.5, 26)]), YELLOW)
    c.draw(rounded(14.5, 11, 17.5, 21, 1.2), BLACK)
    c.draw(circle(16, 23.5, 1.6), BLACK)


def page_counters(c):
    c.draw(rect(3, 28, 29, 30), DARK_GREY)
    c.draw(rect(5, 17, 10, 28), GREEN)
    c.draw(rect(13, 8, 18, 28), BLUE)
    c.draw(rect(21, 13, 26, 28), RED)


def page_quarantine(c):
    c.draw(rect(3, 12, 29, 30), BROWN)
    c.draw(rect(2, 8, 30, 13), (190, 135, 60))
    c.draw(ring(16, 16, 4.5, 2.8), DARK_GREY)
    c.draw(rect(12, 17, 20, 25), YELLOW)
    c.draw(circle(16, 20.5, 1.3), DARK_GREY)


def shield(c, scale):
    points = [(2, 2), (14, 2), (14, 8), (8, 15), (2, 8)]
    c.draw(polygon([(x * scale, y * scale) for x, y in points]), DARK_GREEN)
    inner = [(3, 3), (13, 3), (13, 7.8), (8, 13.6), (3, 7.8)]
    c.draw(polygon([(x * scale, y * scale) for x, y in inner]), (70, 170, 50))
    c.draw(line(5 * scale, 7.5 * scale, 7.5 * scale, 10 * scale, 1.5 * scale), WHITE)
    c.draw(line(7.5 * scale, 10 * scale, 11.5 * scale, 4.5 * scale, 1.5 * scale), WHITE)


def logo(c):
    c.gradient_rect(0, 0, c.width, c.height, (30, 70, 150), (120, 170, 235))
    # A shield in the middle, a scanning ring around it.
    c.draw(arc(49, 36, 28, 3, 200, 160), WHITE + (180,))
    points = [(33, 12), (65, 12), (65, 36), (49, 62), (33, 36)]
    c.draw(polygon(points), DARK_GREEN)
    c.draw(polygon([(36, 15), (62, 15), (62, 35), (49, 57), (36, 35)]), (70, 170, 50))
    c.draw(line(40, 33, 47, 41, 4.5), WHITE)
    c.draw(line(47, 41, 58, 24, 4.5), WHITE)


# Writers.
def bmp_bytes(canvas):
    pixels = b"".join(canvas.rows())
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 32, 0,
                         len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + pixels


def opaque_on(canvas, background):
    """The canvas flattened over a solid background, for pictures that the
    system draws without their alpha channel (the logo)."""
    flat = Canvas(canvas.width, canvas.height, canvas.scale)
    for y in range(canvas.height):
        for x in range(canvas.width):
            red, green, blue, alpha = canvas.pixels[y][x]
            flat.pixels[y][x] = tuple(c * alpha + b * (1 - alpha)
                                      for c, b in zip((red, green, blue), background)) + (1.0,)
    return flat


def ico_bytes(canvases):
    images = []
    for canvas in canvases:
        pixels = b"".join(canvas.rows())
        mask_stride = ((canvas.width + 31) // 32) * 4
        mask = bytes(mask_stride * canvas.height)  # alpha decides; mask all opaque
        header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, 32, 0,
                             len(pixels) + len(mask), 0, 0, 0, 0)
        images.append((canvas, header + pixels + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, data in images:
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def scaled(length, percent):
    return (length * percent + 50) // 100


def strip(painters, size, percent):
    frame_size = scaled(size, percent)
    canvas = Canvas(frame_size * len(painters), frame_size, percent / 100)
    for index, painter in enumerate(painters):
        frame = Canvas(frame_size, frame_size, percent / 100)
        painter(frame)
        for y in range(frame_size):
            canvas.pixels[y][index * frame_size:(index + 1) * frame_size] = frame.pixels[y]
    return canvas


def greyed(painter):
    def paint(c):
        painter(c)
        for y in range(c.height):
            for x in range(c.width):
                red, green, blue, alpha = c.pixels[y][x]
                level = 150 + (0.3 * red + 0.59 * green + 0.11 * blue) * 0.3
                c.pixels[y][x] = (level, level, level, alpha * 0.8)
    return paint


def glyph_strip(painter, percent):
    # normal, hot, pressed, disabled, default, focused
    return strip([painter, painter, painter, greyed(painter), painter, painter], 16, percent)


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def icon_canvas(painter, design_size, size):
    canvas = Canvas(size, size, size / design_size)
    painter(canvas)
    return canvas


def icon_sizes(design_size):
    return sorted({scaled(design_size, percent) for percent in SCALES})


GLYPHS = {
    "glyph_scan": glyph_scan, "glyph_pause": glyph_pause, "glyph_stop": glyph_stop,
    "glyph_quarantine": glyph_quarantine, "glyph_update": glyph_update,
    "glyph_about": glyph_about, "glyph_exit": glyph_exit, "glyph_results": glyph_results,
    "glyph_continue": glyph_continue, "glyph_fix": glyph_fix, "glyph_report": glyph_report,
    "glyph_delete": glyph_delete, "glyph_restore": glyph_restore, "glyph_cancel": glyph_cancel,
}

PAGE_ICONS = {
    "page_drives": page_drives, "page_log": page_log, "page_results": page_results,
    "page_counters": page_counters, "page_quarantine": page_quarantine,
}


def bitmap_file(name, percent):
    return name + ".bmp" if percent == 100 else "%s-%d.bmp" % (name, percent)


def bitmaps(percent):
    """Every bitmap at one scaling, by name."""
    pictures = {name: glyph_strip(painter, percent) for name, painter in GLYPHS.items()}
    pictures["drives"] = strip([drive_network, drive_cd, drive_removable, drive_fixed], 16,
                               percent)
    logo_canvas = Canvas(scaled(94, percent), scaled(68, percent), percent / 100)
    logo(logo_canvas)
    pictures["logo"] = opaque_on(logo_canvas, (255, 255, 255))
    return pictures


def resource_lines(names):
    """The bitmaps' resource lines: the id of a picture at the scaling with
    index k is its 100 % id plus k times IDB_SCALE_STEP (resource.h)."""
    lines = ["// Made by scripts/make-artwork.py: every bitmap at every scaling."]
    for index, percent in enumerate(SCALES):
        for name in names:
            lines.append('IDB_%s + %d * IDB_SCALE_STEP BITMAP "%s"'
                         % (name.upper(), index, bitmap_file(name, percent)))
    return "\n".join(lines) + "\n"


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    names = []
    for percent in SCALES:
        for name, canvas in bitmaps(percent).items():
            write(folder, bitmap_file(name, percent), bmp_bytes(canvas))
            if name not in names:
                names.append(name)
    for name, painter in PAGE_ICONS.items():
        write(folder, name + ".ico",
              ico_bytes([icon_canvas(painter, 32, size) for size in icon_sizes(32)]))
    # The program icon: the small sizes for title bars and lists, the large
    # ones for the desktop and Alt+Tab.
    write(folder, "bvxscan.ico",
          ico_bytes([icon_canvas(lambda c: shield(c, 1), 16, size)
                     for size in sorted(set(icon_sizes(16)) | set(icon_sizes(32)), reverse=True)]))
    write(folder, "artwork.rc", resource_lines(names).encode("ascii"))


if __name__ == "__main__":
    main()
