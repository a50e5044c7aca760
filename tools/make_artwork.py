#!/usr/bin/env python3
"""Generate the pixel-art images used by the user interface.

Writes ui/Artwork.cpp (XPM data as C arrays) and ui/Artwork.h.
Every image is drawn here from simple shapes, pixel by pixel, without
antialiasing, so it can be regenerated and tweaked at any time:

    python3 tools/make_artwork.py            # rewrite ui/Artwork.{h,cpp}
    python3 tools/make_artwork.py --xpm DIR  # also write each image as DIR/<name>.xpm

Requires only the Python standard library.
"""

import math
import os
import sys

# ---------------------------------------------------------------------------
# A tiny raster canvas


class Canvas:
    def __init__(self, w, h):
        self.w = w
        self.h = h
        self.px = [[None] * w for _ in range(h)]

    def inside(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h

    def set(self, x, y, colour):
        if self.inside(x, y):
            self.px[y][x] = colour

    def get(self, x, y):
        return self.px[y][x] if self.inside(x, y) else None

    def paint(self, mask, colour):
        for (x, y) in mask:
            self.set(x, y, colour)

    def clear(self, mask):
        self.paint(mask, None)

    def colours(self):
        seen = []
        for row in self.px:
            for c in row:
                if c not in seen:
                    seen.append(c)
        return seen


def mask_from(w, h, test):
    """Pixels whose centre satisfies test(x, y)."""
    return {(x, y) for y in range(h) for x in range(w) if test(x + 0.5, y + 0.5)}


N4 = ((1, 0), (-1, 0), (0, 1), (0, -1))
N8 = N4 + ((1, 1), (1, -1), (-1, 1), (-1, -1))


def ring(mask, w, h, nbrs=N8):
    """Pixels outside mask that touch it."""
    out = set()
    for (x, y) in mask:
        for dx, dy in nbrs:
            p = (x + dx, y + dy)
            if p not in mask and 0 <= p[0] < w and 0 <= p[1] < h:
                out.add(p)
    return out


def edge(mask, nbrs=N4):
    """Pixels of mask that touch the outside."""
    return {(x, y) for (x, y) in mask
            if any((x + dx, y + dy) not in mask for dx, dy in nbrs)}


def seg_dist(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    l2 = vx * vx + vy * vy
    t = 0.0 if l2 == 0 else max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / l2))
    dx, dy = px - (ax + t * vx), py - (ay + t * vy)
    return math.hypot(dx, dy)


def polyline_mask(w, h, pts, radius):
    segs = list(zip(pts, pts[1:]))
    return mask_from(w, h, lambda x, y: any(
        seg_dist(x, y, a[0], a[1], b[0], b[1]) <= radius for a, b in segs))


def bresenham(pts):
    out = []
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        x, y = x0, y0
        while True:
            out.append((x, y))
            if x == x1 and y == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x += sx
            if e2 <= dx:
                err += dx
                y += sy
    return out


def bitmap_mask(rows, ox, oy, ch="X"):
    return {(ox + x, oy + y) for y, r in enumerate(rows) for x, c in enumerate(r) if c == ch}


def hexmix(a, b, t):
    a = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    b = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#%02X%02X%02X" % tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# ---------------------------------------------------------------------------
# Shared pieces


PERSON_FILL = "#4F7FBF"
PERSON_LIGHT = "#79A2D8"
PERSON_EDGE = "#1F3F6B"


def arc_mask(w, h, cx, cy, r0, r1, a0, a1):
    """Pixels between radii r0 and r1 around (cx, cy), at angles a0..a1 degrees
    (0 = right, 90 = up)."""
    def test(x, y):
        d = math.hypot(x - cx, y - cy)
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return r0 <= d <= r1 and a0 <= a <= a1
    return mask_from(w, h, test)


def draw_person(c):
    """A head-and-shoulders silhouette, placed left so a badge fits bottom right."""
    w, h = c.w, c.h
    head = mask_from(w, h, lambda x, y: math.hypot(x - 10.0, y - 6.6) <= 4.7)
    body = mask_from(w, h, lambda x, y: y <= 24.0 and
                     ((x - 10.0) / 9.0) ** 2 + ((y - 24.0) / 10.5) ** 2 <= 1.0)
    for m in (body, head):
        c.paint(m, PERSON_FILL)
        c.paint(edge(m), PERSON_EDGE)
    c.paint(arc_mask(w, h, 10.0, 6.6, 2.2, 3.3, 100, 170) & head, PERSON_LIGHT)
    c.paint(arc_mask(w, h, 10.0, 24.0, 7.0, 8.2, 105, 150) & body, PERSON_LIGHT)
    return head | body


def drop_crumbs(c, keep, smallest=4):
    """Remove small leftover islands of pixels (outside keep) after a cut-out."""
    seen = set()
    for y in range(c.h):
        for x in range(c.w):
            if (x, y) in seen or c.get(x, y) is None:
                continue
            comp, todo = [], [(x, y)]
            seen.add((x, y))
            while todo:
                p = todo.pop()
                comp.append(p)
                for dx, dy in N4:
                    q = (p[0] + dx, p[1] + dy)
                    if q not in seen and c.inside(*q) and c.get(*q) is not None:
                        seen.add(q)
                        todo.append(q)
            if len(comp) < smallest and not any(p in keep for p in comp):
                c.clear(comp)


def cut_out(c, gap, edge_colour):
    """Clear gap; what was cut gets a fresh edge so it still looks whole."""
    c.clear(gap)
    for p in ring(gap, c.w, c.h, N4):
        if c.get(*p) is not None and p not in gap:
            c.set(p[0], p[1], edge_colour)


def badge(c, mask, fill, outline):
    """Draw a badge over the person, with a clear gap around it."""
    w, h = c.w, c.h
    out = ring(mask, w, h)
    gap = ring(mask | out, w, h)
    cut_out(c, gap, PERSON_EDGE)
    c.paint(out, outline)
    c.paint(mask, fill)
    drop_crumbs(c, mask | out)


# ---------------------------------------------------------------------------
# The images


LETTER_M = [
    "XX..........XX",
    "XXX........XXX",
    "XXXX......XXXX",
    "XX.XX....XX.XX",
    "XX..XX..XX..XX",
    "XX...XXXX...XX",
    "XX....XX....XX",
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
]

LETTER_V = [
    "XX..........XX",
    "XX..........XX",
    "XX..........XX",
    ".XX........XX.",
    ".XX........XX.",
    ".XX........XX.",
    "..XX......XX..",
    "..XX......XX..",
    "..XX......XX..",
    "...XX....XX...",
    "...XX....XX...",
    "...XX....XX...",
    "....XX..XX....",
    "....XX..XX....",
    ".....XXXX.....",
    "......XX......",
]


def logo():
    W, H = 65, 24
    c = Canvas(W, H)
    red, dark, light = "#D62839", "#8C1022", "#F2737F"
    teal, white = "#0E7C84", "#FFFFFF"

    s, cx, cy = 9.7, 12.0, 12.6

    def in_heart(x, y):
        hx, hy = (x - cx) / s, (cy - y) / s
        return (hx * hx + hy * hy - 1) ** 3 - hx * hx * hy ** 3 <= 0

    heart = mask_from(W, H, in_heart)
    c.paint(heart, red)
    c.paint(arc_mask(W, H, 7.0, 7.6, 2.6, 3.6, 100, 170) & heart, light)
    c.paint(edge(heart), dark)

    # the pulse trace: white on the heart, teal outside it
    trace = bresenham([(0, 13), (4, 13), (6, 11), (8, 13), (10, 13), (12, 4),
                       (15, 18), (17, 13), (19, 13), (21, 11), (23, 13), (30, 13)])
    for p in trace:
        if p in heart and p not in edge(heart):
            c.set(p[0], p[1], white)
        else:
            c.set(p[0], p[1], teal)

    # the letters M and V
    c.paint(bitmap_mask(LETTER_M, 33, 4) | bitmap_mask(LETTER_V, 49, 4), teal)
    return c


def new_user():
    c = Canvas(24, 24)
    draw_person(c)
    cx, cy = 18, 18
    plus = {(x, y) for x in range(24) for y in range(24)
            if (abs(x - cx) <= 1 and abs(y - cy) <= 4) or (abs(y - cy) <= 1 and abs(x - cx) <= 4)}
    badge(c, plus, "#3DB53D", "#1B6A1B")
    return c


def remove_user():
    c = Canvas(24, 24)
    draw_person(c)
    cx, cy = 18, 18
    cross = {(x, y) for x in range(24) for y in range(24)
             if max(abs(x - cx), abs(y - cy)) <= 4 and
             (abs((x - cx) - (y - cy)) <= 1 or abs((x - cx) + (y - cy)) <= 1)}
    badge(c, cross, "#E03131", "#7A1010")
    return c


def edit_user():
    c = Canvas(24, 24)
    draw_person(c)
    W = H = 24
    # pencil from its point at the lower left towards the upper right
    tx, ty = 13.4, 22.6
    dx, dy = 1 / math.sqrt(2), -1 / math.sqrt(2)
    nx, ny = -dy, dx
    length, half, tip = 11.4, 2.0, 4.0

    def uv(x, y):
        return (x - tx) * dx + (y - ty) * dy, (x - tx) * nx + (y - ty) * ny

    def inside(x, y):
        u, v = uv(x, y)
        return 0 <= u <= length and abs(v) <= half * min(1.0, (u + 0.6) / tip)

    pencil = mask_from(W, H, inside)
    out = ring(pencil, W, H)
    cut_out(c, ring(pencil | out, W, H), PERSON_EDGE)
    c.paint(out, "#3A2A10")
    drop_crumbs(c, pencil | out)
    for (x, y) in pencil:
        u, v = uv(x + 0.5, y + 0.5)
        if u < 1.9:
            col = "#3A3A3A"                       # lead
        elif u < tip:
            col = "#EBCB98"                       # bare wood
        elif u < length - 3.4:
            col = "#F6C026" if v < 0.4 else "#D9930C"   # painted body, shaded side
        elif u < length - 2.0:
            col = "#B9BDC4"                       # metal band
        else:
            col = "#EE8C9B"                       # eraser
        c.set(x, y, col)
    return c


def clear_chart():
    W = H = 24
    c = Canvas(W, H)
    paper = {(x, y) for x in range(1, 23) for y in range(1, 22)}
    c.paint(paper, "#FFFFFF")
    c.paint(edge(paper, N8), "#7A7F88")
    for y in (6, 11, 16):
        for x in range(5, 21):
            c.set(x, y, "#D5DAE2")
    for y in range(3, 20):
        c.set(4, y, "#3C4048")
    for x in range(4, 21):
        c.set(x, 19, "#3C4048")
    line = polyline_mask(W, H, [(5.5, 16.0), (9.0, 10.0), (12.0, 13.0),
                                (16.0, 5.5), (20.0, 8.5)], 0.75)
    c.paint(line, "#2F6FC0")

    # an eraser lying across the lower right corner
    ex, ey = 17.0, 17.0
    dx, dy = 1 / math.sqrt(2), -1 / math.sqrt(2)
    nx, ny = -dy, dx

    def uv(x, y):
        return (x - ex) * dx + (y - ey) * dy, (x - ex) * nx + (y - ey) * ny

    eraser = mask_from(W, H, lambda x, y: abs(uv(x, y)[0]) <= 5.6 and abs(uv(x, y)[1]) <= 2.9)
    out = ring(eraser, W, H)
    c.clear(ring(eraser | out, W, H) & paper - edge(paper, N8))
    c.paint({p for p in ring(eraser | out, W, H) if p in edge(paper, N8)}, "#FFFFFF")
    c.paint(out, "#5A1E28")
    for (x, y) in eraser:
        u, v = uv(x + 0.5, y + 0.5)
        if u < -0.3:
            col = "#E4505F" if v < 1.0 else "#B8323F"
        else:
            col = "#F3F0EA" if v < 1.0 else "#C9C4BA"
        c.set(x, y, col)
    return c


def printer():
    W = H = 24
    c = Canvas(W, H)
    # the sheet waiting at the back
    sheet = {(x, y) for x in range(6, 18) for y in range(1, 9)}
    for (x, y) in sheet:
        c.set(x, y, hexmix("#FFFFFF", "#DCDCDC", (y - 1) / 8.0))
    c.paint(edge(sheet, N8) - {(x, 8) for x in range(24)}, "#8A8A8A")

    # the body, lit from above
    body = {(x, y) for x in range(1, 23) for y in range(8, 19)} - {(1, 8), (22, 8), (1, 18), (22, 18)}
    for (x, y) in body:
        t = (y - 8) / 10.0
        side = abs(x - 11.5) / 10.5
        col = hexmix("#EDEFF2", "#8E939B", t * 0.85 + side * side * 0.25)
        c.set(x, y, col)
    # the top face is a little brighter
    for x in range(2, 22):
        c.set(x, 9, hexmix("#FAFBFC", "#D0D4DA", abs(x - 11.5) / 10.5))
    c.paint(edge(body, N8), "#43474F")
    # paper slot
    for x in range(4, 20):
        c.set(x, 12, "#2E3138")
        c.set(x, 13, "#5B6068")
    # status light
    c.set(19, 10, "#2FD02F")
    c.set(20, 10, "#1A9A1A")

    # the printed page coming out of the front
    page = {(x, y) for x in range(5, 19) for y in range(14, 23)}
    for (x, y) in page:
        c.set(x, y, hexmix("#FFFFFF", "#E6E6E6", (y - 14) / 9.0))
    c.paint(edge(page, N8) - {(x, 14) for x in range(24)}, "#7C7C7C")
    for y, (x0, x1) in ((17, (7, 16)), (19, (7, 14)), (21, (7, 15))):
        for x in range(x0, x1 + 1):
            c.set(x, y, hexmix("#5C83B8", "#9FB6D6", (x - x0) / max(1, x1 - x0)))
    return c


QUESTION = [
    ".XXXXX..",
    "XXXXXXX.",
    "XX...XXX",
    ".....XXX",
    "....XXX.",
    "...XXX..",
    "...XX...",
    "...XX...",
    "........",
    "...XX...",
    "...XX...",
]


def help_icon():
    W = H = 24
    c = Canvas(W, H)
    cx = cy = 12.0
    disc = mask_from(W, H, lambda x, y: math.hypot(x - cx, y - cy) <= 11.4)
    for (x, y) in disc:
        # light from the upper left, in a few flat bands
        d = math.hypot(x + 0.5 - 8.0, y + 0.5 - 7.5) / 17.0
        t = min(1.0, round(d * 5) / 5.0)
        c.set(x, y, hexmix("#6BAAF2", "#1C56A8", t))
    c.paint(edge(disc, N8), "#123D7A")
    q = bitmap_mask(QUESTION, 8, 6)
    c.paint(q, "#FFFFFF")
    return c


def marker():
    W = H = 21
    c = Canvas(W, H)
    cx = cy = 10.0
    disc = mask_from(W, H, lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= 10.2 ** 2)
    for (x, y) in disc:
        t = max(0.0, min(1.0, (y - 1) / 18.0))
        c.set(x, y, hexmix("#F0534A", "#B3140D", t))
    c.paint(edge(disc, N8), "#7A0A05")
    bar = {(x, y) for x in range(9, 12) for y in range(4, 12)} | {(10, 12), (10, 13)}
    dot = {(x, y) for x in range(9, 12) for y in range(15, 18)}
    c.paint(bar | dot, "#FFFFFF")
    return c


def delete_icon():
    W = H = 21
    c = Canvas(W, H)

    def stroke(x, y):
        u, v = x - 10.5, y - 10.5
        return max(abs(u), abs(v)) <= 7.5 and (abs(u - v) <= 3.2 or abs(u + v) <= 3.2)

    cross = mask_from(W, H, stroke)
    c.paint(cross, "#E03131")
    c.paint(edge(cross, N8), "#7A1010")
    return c


IMAGES = [
    ("logoXpm", logo, "Program logo: a heart with a pulse trace, and the letters MV (65 x 24)."),
    ("newUserXpm", new_user, "Toolbar: add a new user (24 x 24)."),
    ("editUserXpm", edit_user, "Toolbar: edit the selected user (24 x 24)."),
    ("removeUserXpm", remove_user, "Toolbar: remove the selected user (24 x 24)."),
    ("clearChartXpm", clear_chart, "Toolbar: clear the chart (24 x 24)."),
    ("printIconXpm", printer, "Toolbar: print (24 x 24)."),
    ("helpXpm", help_icon, "Toolbar: help (24 x 24)."),
    ("markerIconXpm", marker, "Chart marker for a blood pressure warning (21 x 21)."),
    ("deleteIconXpm", delete_icon, "History table: the red mark on every Delete button (21 x 21)."),
]

# characters usable as colour keys in a C string: no quote, backslash or question mark
KEYS = (" .+@#$%&*=-;>,')!~{]^/(_:<[}|1234567890abcdefghijklmnopqrstuvwxyz"
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ`")


def to_xpm_lines(c):
    cols = c.colours()
    if None in cols:
        cols.remove(None)
        cols.insert(0, None)
    cpp = 1 if len(cols) <= len(KEYS) else 2
    keys = []
    for i in range(len(cols)):
        if cpp == 1:
            keys.append(KEYS[i])
        else:
            keys.append(KEYS[i // len(KEYS)] + KEYS[i % len(KEYS)])
    key = dict(zip(cols, keys))
    lines = ["%d %d %d %d" % (c.w, c.h, len(cols), cpp)]
    for col in cols:
        lines.append("%s c %s" % (key[col], "None" if col is None else col))
    for row in c.px:
        lines.append("".join(key[p] for p in row))
    return lines


HEADER = """\
// Artwork.h - pixel images (XPM data) used by the user interface.
//
// Generated by tools/make_artwork.py; edit that script and run it again
// rather than changing the data by hand.
//
// Each array can be handed directly to Fl_Pixmap.

#ifndef MARLOWEN_UI_ARTWORK_H
#define MARLOWEN_UI_ARTWORK_H

{decls}

#endif // MARLOWEN_UI_ARTWORK_H
"""


def write_sources(root, xpm_dir=None):
    decls = []
    body = ["// Artwork.cpp - pixel images (XPM data) used by the user interface.",
            "//",
            "// Generated by tools/make_artwork.py; edit that script and run it again",
            "// rather than changing the data by hand.",
            "",
            '#include "Artwork.h"',
            ""]
    for name, fn, doc in IMAGES:
        canvas = fn()
        lines = to_xpm_lines(canvas)
        decls.append("// %s\nextern const char* const %s[];" % (doc, name))
        body.append("const char* const %s[] = {" % name)
        body.extend('    "%s",' % l for l in lines)
        body[-1] = body[-1].rstrip(",")
        body.append("};")
        body.append("")
        if xpm_dir:
            with open(os.path.join(xpm_dir, name + ".xpm"), "w") as f:
                f.write("/* XPM */\nstatic char *%s[] = {\n" % name)
                f.write(",\n".join('"%s"' % l for l in lines))
                f.write("\n};\n")
    with open(os.path.join(root, "ui", "Artwork.h"), "w") as f:
        f.write(HEADER.format(decls="\n\n".join(decls)))
    with open(os.path.join(root, "ui", "Artwork.cpp"), "w") as f:
        f.write("\n".join(body))


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    xpm_dir = None
    if len(argv) >= 3 and argv[1] == "--xpm":
        xpm_dir = argv[2]
        os.makedirs(xpm_dir, exist_ok=True)
    write_sources(root, xpm_dir)


if __name__ == "__main__":
    main(sys.argv)
