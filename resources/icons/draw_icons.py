#!/usr/bin/env python3
"""Draws the window's icons and splash picture as PNG files (run in this folder)."""
import math
import struct
import zlib


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        x, y = int(x), int(y)
        if 0 <= x < self.w and 0 <= y < self.h:
            if len(c) == 3:
                c = c + (255,)
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(n + 1):
            t = i / n
            self.set(round(x0 + (x1 - x0) * t), round(y0 + (y1 - y0) * t), c)

    def poly(self, pts, c):
        for y in range(self.h):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                    self.set(x, y, c)

    def glyph(self, x0, y0, rows, c):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == "#":
                    self.set(x0 + dx, y0 + dy, c)

    def save(self, name):
        raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in self.px)
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
        png = b"\x89PNG\r\n\x1a\n"
        png += chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 9))
        png += chunk(b"IEND", b"")
        with open(name + ".png", "wb") as f:
            f.write(png)


INK = (40, 48, 60)
BLUE = (45, 105, 190)
LIGHT_BLUE = (150, 190, 235)
YELLOW = (240, 196, 70)
DARK_YELLOW = (180, 135, 30)
GREEN = (60, 160, 80)
LIGHT_GREEN = (150, 215, 140)
GRAY = (150, 155, 165)
LIGHT_GRAY = (215, 218, 224)
RED = (205, 45, 45)
ORANGE = (240, 140, 30)
WHITE = (255, 255, 255)

QUESTION = [" ### ", "#   #", "   # ", "  #  ", "     ", "  #  "]
INFO = ["#", " ", "#", "#", "#", "#"]


def folder(c, body, edge):
    c.rect(1, 3, 6, 4, body)
    c.rect(1, 4, 14, 13, body)
    c.frame(1, 4, 14, 13, edge)
    c.line(1, 3, 6, 3, edge)
    c.line(1, 3, 1, 4, edge)
    c.line(6, 3, 7, 4, edge)


def project():
    c = Canvas(16, 16)
    c.poly([(1, 8), (8, 1.5), (15, 8)], BLUE)
    c.rect(3, 8, 12, 14, LIGHT_BLUE)
    c.frame(3, 8, 12, 14, BLUE)
    c.rect(7, 10, 8, 14, BLUE)
    c.save("project")


def main_group():
    c = Canvas(16, 16)
    folder(c, YELLOW, DARK_YELLOW)
    c.save("main_group")


def middle_group():
    c = Canvas(16, 16)
    folder(c, LIGHT_GREEN, GREEN)
    c.save("middle_group")


def device_box(c, x0, y0, x1, y1):
    c.rect(x0, y0, x1, y1, LIGHT_GRAY)
    c.frame(x0, y0, x1, y1, INK)
    c.set(x0 + 2, y0 + 2, GREEN)
    c.set(x0 + 4, y0 + 2, ORANGE)
    c.line(x0 + 2, y1 - 2, x1 - 2, y1 - 2, GRAY)


def devices():
    c = Canvas(16, 16)
    device_box(c, 4, 1, 14, 8)
    device_box(c, 1, 6, 11, 14)
    c.save("devices")


def device():
    c = Canvas(16, 16)
    device_box(c, 2, 3, 13, 12)
    c.save("device")


def untyped_mark():
    c = Canvas(16, 16)
    c.disc(4.5, 11.5, 4.5, ORANGE)
    c.glyph(2, 9, ["###", "  #", " # ", "   ", " # "], WHITE)
    c.save("untyped_mark")


def failure_mark():
    c = Canvas(16, 16)
    c.disc(11.5, 11.5, 4.5, RED)
    c.line(9, 9, 14, 14, WHITE)
    c.line(14, 9, 9, 14, WHITE)
    c.save("failure_mark")


def address(c):
    c.poly([(2, 8), (6, 3), (14, 3), (14, 13), (6, 13)], BLUE)
    c.disc(6, 8, 1.5, WHITE)
    c.line(9, 6, 12, 6, LIGHT_BLUE)
    c.line(9, 8, 12, 8, LIGHT_BLUE)
    c.line(9, 10, 12, 10, LIGHT_BLUE)


def group_address():
    c = Canvas(16, 16)
    address(c)
    c.save("group_address")


def group_address_read():
    c = Canvas(16, 16)
    address(c)
    c.rect(9, 0, 15, 6, WHITE)
    c.poly([(10, 3), (12.5, 0.5), (15, 3)], GREEN)
    c.rect(11, 3, 13, 6, GREEN)
    c.save("group_address_read")


def page(c):
    c.poly([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], WHITE)
    c.line(3, 1, 10, 1, INK)
    c.line(10, 1, 13, 4, INK)
    c.line(13, 4, 13, 15, INK)
    c.line(3, 15, 13, 15, INK)
    c.line(3, 1, 3, 15, INK)
    c.line(10, 1, 10, 4, INK)
    c.line(10, 4, 13, 4, INK)


def new():
    c = Canvas(16, 16)
    page(c)
    c.save("new")


def open_():
    c = Canvas(16, 16)
    folder(c, YELLOW, DARK_YELLOW)
    c.poly([(3, 14), (5, 7), (16, 7), (14, 14)], (250, 220, 120))
    c.line(5, 7, 15, 7, DARK_YELLOW)
    c.save("open")


def save():
    c = Canvas(16, 16)
    c.rect(1, 1, 14, 14, BLUE)
    c.rect(4, 1, 11, 6, WHITE)
    c.rect(9, 2, 10, 5, BLUE)
    c.rect(3, 9, 12, 14, LIGHT_GRAY)
    c.frame(1, 1, 14, 14, INK)
    c.save("save")


def import_():
    c = Canvas(16, 16)
    page(c)
    c.rect(0, 7, 5, 9, GREEN)
    c.poly([(5, 4.5), (9.5, 8), (5, 11.5)], GREEN)
    c.save("import")


def busmonitor():
    c = Canvas(16, 16)
    c.rect(1, 2, 14, 11, INK)
    c.rect(2, 3, 13, 10, (20, 40, 30))
    for x in range(2, 14):
        c.set(x, 7 - (2 if x % 4 == 1 else 0) + (2 if x % 4 == 3 else 0), LIGHT_GREEN)
    c.rect(6, 12, 9, 13, GRAY)
    c.rect(4, 14, 11, 14, GRAY)
    c.save("busmonitor")


def options():
    c = Canvas(16, 16)
    for k in range(8):
        a = k * math.pi / 4
        c.disc(8 + 5.5 * math.cos(a), 8 + 5.5 * math.sin(a), 1.7, GRAY)
    c.disc(8, 8, 5, GRAY)
    c.disc(8, 8, 2, WHITE)
    c.save("options")


def interface():
    c = Canvas(16, 16)
    c.rect(2, 5, 8, 11, GRAY)
    c.frame(2, 5, 8, 11, INK)
    c.rect(9, 6, 12, 6, INK)
    c.rect(9, 10, 12, 10, INK)
    c.line(0, 8, 2, 8, GREEN)
    c.line(13, 8, 15, 8, GREEN)
    c.save("interface")


def wave(c, color):
    prev = None
    for x in range(1, 15):
        y = 8 - 4 * math.sin((x - 1) * 2 * math.pi / 13)
        if prev:
            c.line(prev[0], prev[1], x, y, color)
        prev = (x, y)


def simulation_off():
    c = Canvas(16, 16)
    c.frame(0, 1, 15, 14, GRAY)
    wave(c, GRAY)
    c.save("simulation_off")


def simulation_on():
    c = Canvas(16, 16)
    c.rect(0, 1, 15, 14, (25, 60, 35))
    wave(c, (120, 240, 120))
    c.save("simulation_on")


def help_():
    c = Canvas(16, 16)
    c.disc(8, 8, 7.5, BLUE)
    c.glyph(6, 4, QUESTION, WHITE)
    c.save("help")


def about():
    c = Canvas(16, 16)
    c.disc(8, 8, 7.5, BLUE)
    c.glyph(7, 4, INFO, WHITE)
    c.glyph(8, 4, INFO, WHITE)
    c.save("about")


def logo(c, x0, y0, s):
    """The Zelvox mark: a Z on a rounded blue square with a green bus line."""
    c.rect(x0 + s // 8, y0, x0 + s - 1 - s // 8, y0 + s - 1, BLUE)
    c.rect(x0, y0 + s // 8, x0 + s - 1, y0 + s - 1 - s // 8, BLUE)
    c.disc(x0 + s / 8, y0 + s / 8, s / 8, BLUE)
    c.disc(x0 + s - s / 8, y0 + s / 8, s / 8, BLUE)
    c.disc(x0 + s / 8, y0 + s - s / 8, s / 8, BLUE)
    c.disc(x0 + s - s / 8, y0 + s - s / 8, s / 8, BLUE)
    m, t = s // 5, max(2, s // 8)
    c.rect(x0 + m, y0 + m, x0 + s - m, y0 + m + t, WHITE)
    c.rect(x0 + m, y0 + s - m - t, x0 + s - m, y0 + s - m, WHITE)
    c.poly([(x0 + s - m - t * 1.4, y0 + m + t), (x0 + s - m, y0 + m + t),
            (x0 + m + t * 1.4, y0 + s - m - t), (x0 + m, y0 + s - m - t)], WHITE)
    c.rect(x0 + s // 2 - 1, y0 + s - m // 2 - 1, x0 + s - 1, y0 + s - m // 2, LIGHT_GREEN)


def zelvox():
    c = Canvas(32, 32)
    logo(c, 0, 0, 32)
    c.save("zelvox")


def splash():
    w, h = 400, 160
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = y / h
            c.set(x, y, (int(236 - 20 * t), int(242 - 18 * t), int(250 - 10 * t)))
    c.frame(0, 0, w - 1, h - 1, BLUE)
    logo(c, 24, 28, 96)
    for x in range(140, w - 20):
        c.set(x, 128, LIGHT_BLUE)
        c.set(x, 129, LIGHT_BLUE)
    c.save("splash")


def clear():
    c = Canvas(16, 16)
    page(c)
    c.line(4, 5, 12, 13, RED)
    c.line(5, 5, 12, 12, RED)
    c.line(12, 5, 4, 13, RED)
    c.line(11, 5, 4, 12, RED)
    c.save("clear")


def pause():
    c = Canvas(16, 16)
    c.rect(4, 3, 6, 12, INK)
    c.rect(9, 3, 11, 12, INK)
    c.save("pause")


def paused():
    """Shown on the pause button while the busmonitor is paused: the resume arrow."""
    c = Canvas(16, 16)
    c.poly([(4, 2), (13, 8), (4, 14)], GREEN)
    c.save("paused")


def filter_():
    c = Canvas(16, 16)
    c.poly([(1, 2), (15, 2), (9.5, 8), (9.5, 14), (6.5, 12), (6.5, 8)], LIGHT_BLUE)
    c.line(1, 2, 15, 2, INK)
    c.line(1, 2, 6, 8, INK)
    c.line(15, 2, 10, 8, INK)
    c.save("filter")


for draw in (project, main_group, middle_group, devices, device, untyped_mark, failure_mark,
             group_address, group_address_read, new, open_, save, import_, busmonitor, options,
             interface, simulation_off, simulation_on, help_, about, zelvox, splash,
             clear, pause, paused, filter_):
    draw()
