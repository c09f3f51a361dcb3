#!/usr/bin/env python3
"""Draws the program's two image strips as XPM files (no image library needed).

icon_strip.xpm: the built-in entry icons, 15 images of 15 x 15 pixels whose
positions are the entry kinds; magenta (#FF00FF) is the transparent colour.
toolbar.xpm: the 16 x 16 toolbar buttons in toolbar order.
Run it again after changing the drawings; the XPM files are committed.
"""
import os

PALETTE = {
    ".": "#FF00FF",  # transparent
    "k": "#000000", "w": "#FFFFFF", "g": "#808080", "l": "#C0C0C0",
    "y": "#FFD24A", "Y": "#C89A10", "b": "#2F5FBF", "B": "#9EC3FF",
    "r": "#C0302A", "G": "#2E9A3A", "c": "#B8E0F0", "o": "#E07A10", "d": "#404040",
}


class Image:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.p = [["."] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.p[y][x] = c

    def rect(self, x0, y0, x1, y1, fill, border=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                self.put(x, y, border if border and edge else fill)

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.put(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.put(x, y, c)

    def disc(self, cx, cy, r, fill, border=None):
        for y in range(self.h):
            for x in range(self.w):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r:
                    self.put(x, y, border if border and d > (r - 1) ** 2 else fill)


def fixed_disk(im):
    im.rect(0, 5, 14, 11, "l", "k")
    im.hline(1, 13, 6, "w")
    im.put(11, 9, "G")
    im.put(12, 9, "G")
    im.hline(2, 8, 9, "g")


def folder(im, open_=False, zip_=False):
    body = "y"
    im.rect(0, 3, 6, 4, body, "Y")
    im.rect(0, 4, 13, 12, body, "Y")
    if open_:
        for i in range(6):
            im.hline(2 + i // 2, 14 - i // 3, 7 + i, "y")
        im.hline(2, 14, 6, "Y")
        im.hline(4, 13, 12, "Y")
    if zip_:
        for y in range(4, 13):
            im.put(6 if y % 2 else 7, y, "k")
        im.rect(5, 8, 8, 10, "l", "k")


def file_(im):
    im.rect(2, 0, 12, 14, "w", "k")
    for x in range(9, 13):
        im.put(x, 0, ".")
    im.vline(9, 0, 3, "k")
    im.hline(9, 12, 3, "k")
    for i in range(4):
        im.put(9 + i, i, "k")
    for y in (6, 8, 10, 12):
        im.hline(4, 10, y, "g")


def root(im):
    im.rect(1, 1, 13, 9, "c", "k")
    im.rect(3, 3, 11, 7, "b")
    im.rect(5, 10, 9, 11, "g")
    im.rect(2, 12, 12, 14, "l", "k")


def floppy(im):
    im.rect(1, 1, 13, 13, "b", "k")
    im.rect(4, 1, 10, 5, "l", "k")
    im.rect(8, 2, 9, 4, "d")
    im.rect(3, 8, 11, 13, "w", "k")


def cdrom(im):
    im.rect(0, 8, 14, 13, "l", "k")
    im.disc(7, 6, 6, "c", "g")
    im.disc(7, 6, 2, ".", "g")
    im.hline(2, 12, 11, "d")


def stick(im):
    im.rect(4, 0, 10, 3, "l", "k")
    im.rect(3, 3, 11, 14, "r", "k")
    im.rect(5, 1, 6, 2, "d")
    im.rect(8, 1, 9, 2, "d")
    im.hline(5, 9, 12, "w")


def blank(im):
    pass


# The compare's status icons: a file with a mark.
def modified(im):
    file_(im)
    im.disc(10, 10, 3, "o", "k")


def identical(im):
    for i in range(4):
        im.put(3 + i, 7 + i, "G")
        im.put(3 + i, 8 + i, "G")
    for i in range(7):
        im.put(7 + i, 10 - i, "G")
        im.put(7 + i, 11 - i, "G")


def deleted(im):
    for i in range(10):
        im.put(2 + i, 2 + i, "r")
        im.put(3 + i, 2 + i, "r")
        im.put(11 - i, 2 + i, "r")
        im.put(12 - i, 2 + i, "r")


def new(im):
    file_(im)
    im.rect(9, 6, 10, 14, "G")
    im.rect(6, 9, 13, 10, "G")


STRIP = [fixed_disk, lambda im: folder(im), lambda im: folder(im, zip_=True), file_, root, floppy,
         blank, modified, identical, deleted, new, lambda im: folder(im, open_=True),
         lambda im: folder(im, open_=True, zip_=True), cdrom, stick]


def tb_open_all(im):
    for i, c in enumerate("bGr"):
        im.rect(1 + 2 * i, 2 + 2 * i, 10 + 2 * i, 6 + 2 * i, c, "k")
    im.rect(7, 10, 15, 15, "y", "Y")


def tb_new(im):
    floppy(im)
    for x, y in ((13, 0), (14, 1), (12, 1), (13, 2), (15, 0), (11, 0), (15, 2)):
        im.put(x, y, "o")


def tb_open_one(im):
    folder(im, open_=True)


def tb_find(im):
    im.disc(6, 6, 5, "c", "k")
    for i in range(5):
        im.put(10 + i, 10 + i, "k")
        im.put(11 + i, 10 + i, "d")


def tb_eject(im):
    for i in range(6):
        im.hline(7 - i, 8 + i, 3 + i, "d")
    im.rect(2, 11, 13, 13, "d")


def tb_help(im):
    im.disc(7, 7, 7, "b", "k")
    for x, y in ((5, 4), (6, 3), (7, 3), (8, 3), (9, 4), (9, 5), (8, 6), (7, 7), (7, 8), (7, 11)):
        im.put(x, y, "w")


def tb_about(im):
    im.disc(7, 7, 7, "G", "k")
    im.vline(7, 6, 11, "w")
    im.put(7, 3, "w")


TOOLBAR = [tb_open_all, tb_new, tb_open_one, tb_find, tb_eject, tb_help, tb_about]


def write(path, name, drawings, size):
    strip = Image(size * len(drawings), size)
    for i, draw in enumerate(drawings):
        im = Image(size, size)
        draw(im)
        for y in range(size):
            for x in range(size):
                strip.p[y][i * size + x] = im.p[y][x]
    used = sorted({c for row in strip.p for c in row} | {"."})
    lines = ['/* XPM */', f'static const char *{name}[] = {{',
             f'"{strip.w} {strip.h} {len(used)} 1",']
    lines += [f'"{c} c {PALETTE[c]}",' for c in used]
    lines += [f'"{"".join(row)}",' for row in strip.p]
    lines[-1] = lines[-1].rstrip(",")
    lines.append("};")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


here = os.path.dirname(os.path.abspath(__file__))
write(os.path.join(here, "icon_strip.xpm"), "icon_strip", STRIP, 15)
write(os.path.join(here, "toolbar.xpm"), "toolbar", TOOLBAR, 16)
