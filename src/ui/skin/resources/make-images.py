#!/usr/bin/env python3
"""Draws the skin's bitmaps at 1x and 2x (name.png, name@2x.png).

Standard library only: every image is a function of the pixel centre in 1x
units, sampled several times per pixel for smooth edges. Pixels outside a
window's rounded corner are the colour key RGB(255, 0, 255), exactly and
without blending, so the program can cut them out of the window's shape.
Run after a change and commit the PNGs: python3 make-images.py [NAME...]
"""
import math
import os
import struct
import sys
import zlib

KEY = (255, 0, 255, 255)
# Names given on the command line are drawn alone; none: all of them.
ONLY = set(sys.argv[1:])
HERE = os.path.dirname(os.path.abspath(__file__))


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + bytes(row) for row in rows)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def hexc(s, alpha=255):
    return (int(s[1:3], 16), int(s[3:5], 16), int(s[5:7], 16), alpha)


def rounded_inside(x, y, w, h, r, corners=(1, 1, 1, 1)):
    """Signed distance (negative inside) to a rounded rectangle 0..w, 0..h."""
    tl, tr, br, bl = corners
    cx = cy = None
    if x < r and y < r and tl:
        cx, cy = r, r
    elif x > w - r and y < r and tr:
        cx, cy = w - r, r
    elif x > w - r and y > h - r and br:
        cx, cy = w - r, h - r
    elif x < r and y > h - r and bl:
        cx, cy = r, h - r
    if cx is not None:
        return math.hypot(x - cx, y - cy) - r
    return max(-x, x - w, -y, y - h)


def render(name, width, height, paint, keyed=False, samples=3):
    """paint(x, y) -> RGBA or None (outside: the key when keyed, else clear).

    The program cuts a window's shape from the 1x bitmap, so the 2x bitmap keys
    exactly the children of keyed 1x pixels; a 2x pixel outside the shape whose
    1x parent is kept takes the parent's colour."""
    if ONLY and name not in ONLY:
        return
    parent = None
    for scale, suffix in ((1, ""), (2, "@2x")):
        rows = []
        n = samples
        for py in range(height * scale):
            row = []
            for px in range(width * scale):
                acc = [0.0, 0.0, 0.0, 0.0]
                outside = 0
                for sy in range(n):
                    for sx in range(n):
                        x = (px + (sx + 0.5) / n) / scale
                        y = (py + (sy + 0.5) / n) / scale
                        c = paint(x, y)
                        if c is None:
                            outside += 1
                            continue
                        a = c[3] / 255
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
                total = n * n
                if keyed and parent is not None:
                    above = tuple(parent[py // 2][4 * (px // 2) : 4 * (px // 2) + 4])
                    if above == KEY or acc[3] == 0:
                        row.extend(above)
                        continue
                elif keyed and outside * 2 > total:
                    row.extend(KEY)
                    continue
                if acc[3] == 0:
                    row.extend((0, 0, 0, 0))
                    continue
                alpha = acc[3] / (total - outside if keyed else total)
                row.extend(
                    (
                        round(acc[0] / acc[3]),
                        round(acc[1] / acc[3]),
                        round(acc[2] / acc[3]),
                        round(min(1.0, alpha if not keyed else 1.0) * 255),
                    )
                )
            rows.append(row)
        write_png(os.path.join(HERE, name + suffix + ".png"), width * scale, height * scale, rows)
        parent = rows


# --- Colours of the skin ---------------------------------------------------
TITLE_TOP = hexc("#2c4f7c")
TITLE_BOTTOM = hexc("#1d3a5e")
BODY = hexc("#f3f5f8")
BORDER = hexc("#6f819a")
ACCENT = hexc("#1574d0")


def framed(w, h, band, r=8):
    """A window background: a title band of height band over the body."""

    def paint(x, y):
        d = rounded_inside(x, y, w, h, r)
        if d > 0:
            return None
        if y < band:
            base = mix(TITLE_TOP, TITLE_BOTTOM, y / band)
            if y > band - 1:
                base = hexc("#16304f")
        else:
            base = BODY
        if d > -1:
            return BORDER
        # A faint light line under the border of the band.
        if y < band and d > -2:
            return mix(base, hexc("#ffffff"), 0.18)
        return base

    return paint


def window_images():
    render("window", 40, 64, framed(40, 64, 32), keyed=True)
    render("dialog", 40, 52, framed(40, 52, 28), keyed=True)
    render("progress", 278, 93, framed(278, 93, 30), keyed=True)
    # The synonym popup: no caption, a thin band of the title colour on top.
    render("popup", 30, 30, framed(30, 30, 4, r=6), keyed=True)


def splash(x, y, w=456, h=300):
    d = rounded_inside(x, y, w, h, 10)
    if d > 0:
        return None
    t = y / h
    base = mix(hexc("#24466f"), hexc("#0f2340"), t)
    # Calm overlapping arcs in the lower right.
    for cx, cy, rad, alpha in ((430, 330, 210, 0.10), (360, 360, 190, 0.08), (90, -60, 160, 0.06)):
        if math.hypot(x - cx, y - cy) < rad:
            base = mix(base, hexc("#5aa0e8"), alpha)
    # A thin accent rule between the name and the version.
    if 178 < x < 278 and 158 < y < 160.5:
        base = mix(base, hexc("#7fb8ff"), 0.9)
    if d > -1:
        return hexc("#0b1a30")
    return base


def button(top, bottom, border, r=5, w=24, h=24):
    def paint(x, y):
        d = rounded_inside(x, y, w, h, r)
        if d > 0:
            return None
        if d > -1:
            return border
        c = mix(top, bottom, y / h)
        if y < 2:
            c = mix(c, hexc("#ffffff"), 0.25)
        return c

    return paint


def button_images():
    white = hexc("#ffffff")
    render("button", 24, 24, button(white, hexc("#e6ebf1"), hexc("#9eabbc")))
    render("button-hover", 24, 24, button(hexc("#f6faff"), hexc("#dbe8f7"), hexc("#4f8fd4")))
    render("button-pressed", 24, 24, button(hexc("#d6e2ef"), hexc("#e4ecf5"), hexc("#3d79ba")))
    render("button-disabled", 24, 24, button(hexc("#f1f3f5"), hexc("#eceff2"), hexc("#c9d0d9")))
    render("accent", 24, 24, button(hexc("#2a86e0"), hexc("#1466b8"), hexc("#0f4f91")))
    render("accent-hover", 24, 24, button(hexc("#4398ea"), hexc("#1b74cc"), hexc("#0f4f91")))
    render("accent-pressed", 24, 24, button(hexc("#115aa3"), hexc("#1a6cbd"), hexc("#0c3f75")))
    render("accent-disabled", 24, 24, button(hexc("#c3ccd8"), hexc("#b4bfcc"), hexc("#a3afbf")))


def check_strip(x, y):
    """Six 16 x 16 frames: unchecked, hover, pressed, checked, hover, pressed."""
    frame = int(x // 16)
    fx = x - frame * 16
    checked = frame >= 3
    state = frame % 3
    d = rounded_inside(fx - 1, y - 1, 14, 14, 3)
    if d > 0:
        return None
    border = [hexc("#7f8ea3"), ACCENT, hexc("#0f4f91")][state]
    if checked:
        fill = [ACCENT, hexc("#2a86e0"), hexc("#0f5aa6")][state]
    else:
        fill = [hexc("#ffffff"), hexc("#eef5fd"), hexc("#d6e4f3")][state]
    if d > -1:
        return border
    if checked:
        # The tick: two strokes.
        def seg(ax, ay, bx, by):
            px, py = fx - ax, y - ay
            vx, vy = bx - ax, by - ay
            t = max(0, min(1, (px * vx + py * vy) / (vx * vx + vy * vy)))
            return math.hypot(px - t * vx, py - t * vy)

        if min(seg(4.2, 8.2, 7, 11), seg(7, 11, 12, 5)) < 1.1:
            return hexc("#ffffff")
    return fill


def tab(top, bottom, w=24, h=28):
    def paint(x, y):
        d = rounded_inside(x, y, w, h + 8, 6)
        if d > 0 or y > h:
            return None
        if d > -1:
            return hexc("#163456")
        return mix(top, bottom, y / h)

    return paint


def header(x, y):
    c = mix(hexc("#f7f9f7"), hexc("#e8ecef"), y / 24)
    if y > 23:
        return hexc("#c5ced8")
    if x > 7:
        return hexc("#d5dce4")
    return c


def main():
    window_images()
    render("splash", 456, 300, splash, keyed=True, samples=2)
    render("segment", 48, 11, segment)
    button_images()
    render("check", 96, 16, check_strip)
    render("tab", 24, 28, tab(hexc("#6a7f9c"), hexc("#556a86")))
    render("tab-current", 24, 28, tab(hexc("#2a86e0"), hexc("#1466b8")))
    render("header", 8, 24, header)


def segment(x, y):
    lit = x < 24
    fx = x - (0 if lit else 24)
    d = rounded_inside(fx - 1, y, 22, 11, 2.5)
    if d > 0:
        return None
    if d > -1:
        return hexc("#0f4f91") if lit else hexc("#a5b1c2")
    if lit:
        return mix(hexc("#4c9ae8"), hexc("#1466b8"), y / 11)
    return mix(hexc("#ffffff"), hexc("#dfe5ec"), y / 11)


if __name__ == "__main__":
    main()
