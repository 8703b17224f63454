#!/usr/bin/env python3
"""Draws the recorder tool's icons and logo as PNG files (no image tools needed).

Run from this folder: python3 make_icons.py. The PNGs are committed; this script
is kept so they can be redrawn or changed."""
import math
import struct
import zlib


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def put(self, x, y, c, cover=1.0):
        if 0 <= x < self.w and 0 <= y < self.h and cover > 0:
            r, g, b, a = c
            a = int(a * min(cover, 1.0))
            dr, dg, db, da = self.px[y][x]
            out_a = a + da * (255 - a) // 255
            if out_a == 0:
                return
            mix = lambda s, d: min(255, (s * a + d * da * (255 - a) // 255) // out_a)
            self.px[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), out_a)

    def shape(self, inside, c, samples=4):
        """Fills the pixels for which inside(x, y) holds, antialiased."""
        for y in range(self.h):
            for x in range(self.w):
                hits = sum(inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples)
                           for i in range(samples) for j in range(samples))
                self.put(x, y, c, hits / samples ** 2)

    def circle(self, cx, cy, r, c):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c)

    def ring(self, cx, cy, r, width, c):
        self.shape(lambda x, y: (r - width) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c)

    def rect(self, x0, y0, x1, y1, c):
        self.shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, c)

    def frame(self, x0, y0, x1, y1, width, c):
        self.shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1 and not (
            x0 + width <= x <= x1 - width and y0 + width <= y <= y1 - width), c)

    def line(self, x0, y0, x1, y1, width, c):
        def inside(x, y):
            dx, dy = x1 - x0, y1 - y0
            t = max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
            return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= width / 2
        self.shape(inside, c)

    def save(self, path):
        raw = b''.join(b'\x00' + b''.join(struct.pack('BBBB', *p) for p in row) for row in self.px)
        chunk = lambda t, d: struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
        with open(path, 'wb') as f:
            f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', self.w, self.h, 8, 6, 0, 0, 0))
                    + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


LIGHT = (225, 225, 225, 255)
RED = (220, 45, 45, 255)
GREEN = (108, 233, 55, 255)

c = Canvas(20, 20); c.circle(10, 10, 6, RED); c.save('RecorderGui/record.png')
c = Canvas(20, 20); c.rect(5, 4, 8, 16, LIGHT); c.rect(12, 4, 15, 16, LIGHT); c.save('RecorderGui/pause.png')
c = Canvas(20, 20); c.line(10, 3, 10, 12, 2.5, LIGHT); c.line(6, 8.5, 10, 12.5, 2.5, LIGHT); c.line(14, 8.5, 10, 12.5, 2.5, LIGHT)
c.rect(4, 15, 16, 17, LIGHT); c.save('RecorderGui/save.png')
c = Canvas(20, 20); c.rect(8, 3, 12, 11, LIGHT); c.circle(10, 3.5, 2, LIGHT); c.circle(10, 10.5, 2, LIGHT)
c.ring(10, 9, 5.5, 1.4, LIGHT); c.rect(4, 3, 16, 9, (0, 0, 0, 0)); c.line(10, 14.5, 10, 17, 1.5, LIGHT)
c.line(7, 17, 13, 17, 1.5, LIGHT); c.save('RecorderGui/mic.png')
c = Canvas(20, 20); c.line(3, 3, 17, 17, 2.2, LIGHT); c.line(17, 3, 3, 17, 2.2, LIGHT); c.save('RecorderGui/close.png')
c = Canvas(20, 20); c.frame(3, 4, 17, 16, 1.8, LIGHT); c.rect(3, 4, 17, 7, LIGHT); c.save('RecorderGui/max.png')
c = Canvas(24, 24); c.ring(12, 12, 8, 1.8, LIGHT); c.line(12, 1, 12, 8, 1.8, LIGHT); c.line(12, 16, 12, 23, 1.8, LIGHT)
c.line(1, 12, 8, 12, 1.8, LIGHT); c.line(16, 12, 23, 12, 1.8, LIGHT); c.save('RecorderGui/window_sniper.png')
c = Canvas(24, 24)
for i in range(0, 18, 4):
    c.rect(3 + i, 4, 4 + i, 5, LIGHT); c.rect(3 + i, 19, 4 + i, 20, LIGHT)
for i in range(0, 15, 4):
    c.rect(3, 4 + i, 4, 5 + i, LIGHT); c.rect(20, 4 + i, 21, 5 + i, LIGHT)
c.save('RecorderGui/region_sniper.png')
c = Canvas(24, 24); c.frame(2, 3, 22, 17, 1.8, LIGHT); c.rect(10, 17, 14, 20, LIGHT); c.rect(7, 20, 17, 21.5, LIGHT)
c.save('RecorderGui/monitor_sniper.png')
c = Canvas(24, 24)
for y in range(8, 17, 4):
    c.rect(9, y, 15, y + 1.5, LIGHT)
c.save('RecorderGui/drag.png')
# The logo: the record dot inside a rounded plate with a level meter.
c = Canvas(64, 24)
c.shape(lambda x, y: 1 <= x <= 63 and 1 <= y <= 23, (30, 34, 40, 255))
c.circle(12, 12, 6.5, RED)
for i, h in enumerate([6, 11, 16, 9, 13, 7]):
    c.rect(24 + i * 6, 19 - h, 27 + i * 6, 19, GREEN)
c.save('RecorderGui/logo_tool.png')
# The program's window icon.
c = Canvas(32, 32)
c.shape(lambda x, y: (x - 16) ** 2 + (y - 16) ** 2 <= 15 ** 2, (30, 34, 40, 255))
c.circle(16, 16, 8, RED)
c.save('images/favicon_soft.png')
# The login window's logo: the tool's logo, larger, with a wider meter.
c = Canvas(160, 48)
c.shape(lambda x, y: 2 <= x <= 158 and 2 <= y <= 46, (30, 34, 40, 255))
c.circle(24, 24, 13, RED)
for i, h in enumerate([12, 22, 32, 18, 26, 14, 28, 20, 10, 24, 16, 8]):
    c.rect(48 + i * 9, 38 - h, 53 + i * 9, 38, GREEN)
c.save('images/logo_login.png')
# The editor's timeline handles: the hand's beginning "[", its end "]" and the
# play position, each brighter under the mouse.
for name, colour, hover in (('sld_begin', (63, 174, 73, 255), (110, 233, 55, 255)),
                            ('sld_end', (214, 84, 52, 255), (255, 128, 90, 255))):
    for suffix, col in (('', colour), ('_hover', hover)):
        c = Canvas(12, 22)
        right = name == 'sld_end'
        bar = (8, 11) if right else (1, 4)
        c.rect(bar[0], 1, bar[1], 21, col)
        c.rect(1 if right else 4, 1, 8 if right else 11, 4, col)
        c.rect(1 if right else 4, 18, 8 if right else 11, 21, col)
        c.save('images/%s%s.png' % (name, suffix))
for suffix, col in (('', (70, 76, 86, 255)), ('_hover', (30, 34, 40, 255))):
    c = Canvas(14, 22)
    c.rect(6, 1, 8, 21, col)
    c.line(1, 11, 4, 8, 1.4, col); c.line(1, 11, 4, 14, 1.4, col)
    c.line(13, 11, 10, 8, 1.4, col); c.line(13, 11, 10, 14, 1.4, col)
    c.save('images/sld_bi_arrow%s.png' % suffix)
# Marks of the video lists and the notifiers: done, the notifier's logo, the small
# program icon.
c = Canvas(16, 16); c.line(3, 8, 7, 12, 2.2, GREEN); c.line(7, 12, 13, 4, 2.2, GREEN); c.save('images/check.png')
c = Canvas(20, 20); c.circle(10, 10, 8, (30, 34, 40, 255)); c.circle(10, 10, 5, RED); c.save('images/logo_notifier.png')
c = Canvas(32, 32)
c.shape(lambda x, y: (x - 16) ** 2 + (y - 16) ** 2 <= 15 ** 2, (30, 34, 40, 255))
c.circle(16, 16, 8, RED)
c.save('images/small_icon.png')
# The start-up splash: the login logo at twice its size, for the white update frame.
c = Canvas(320, 96)
c.shape(lambda x, y: 4 <= x <= 316 and 4 <= y <= 92, (30, 34, 40, 255))
c.circle(48, 48, 26, RED)
for i, h in enumerate([24, 44, 64, 36, 52, 28, 56, 40, 20, 48, 32, 16]):
    c.rect(96 + i * 18, 76 - h, 106 + i * 18, 76, GREEN)
c.save('images/splash.png')
