#!/usr/bin/env python3
"""Draws Perchlet's icons and toolbar strip and writes them under resources/.

Standard library only, and deterministic: the same script always writes the same bytes,
so the generated files can be rebuilt and compared at any time.

    python3 scripts/draw_art.py [resources-folder]
"""

import math
import os
import struct
import sys
import zlib

# The sixteen colours a 4-bit icon can use, in the order Windows lays them out.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# One letter per colour for the hand-drawn pixel grids; '.' is transparent.
KEY = {
    'k': (0, 0, 0), 'R': (128, 0, 0), 'G': (0, 128, 0), 'o': (128, 128, 0),
    'n': (0, 0, 128), 'p': (128, 0, 128), 't': (0, 128, 128), 's': (192, 192, 192),
    'g': (128, 128, 128), 'r': (255, 0, 0), 'l': (0, 255, 0), 'y': (255, 255, 0),
    'b': (0, 0, 255), 'f': (255, 0, 255), 'c': (0, 255, 255), 'w': (255, 255, 255),
}

BLACK, WHITE = (0, 0, 0), (255, 255, 255)
NAVY, TEAL, CYAN = (0, 0, 128), (0, 128, 128), (0, 255, 255)
TOOLBAR_GROUND = (192, 192, 192)


class Canvas:
    """A small picture of RGB tuples; None marks a transparent pixel."""

    def __init__(self, width, height, ground=None):
        self.width = width
        self.height = height
        self.pixels = [[ground] * width for _ in range(height)]

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height

    def put(self, x, y, colour):
        if self.inside(x, y):
            self.pixels[y][x] = colour

    def fill(self, spots, colour):
        for x, y in spots:
            self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(box(x0, y0, x1, y1) - box(x0 + 1, y0 + 1, x1 - 1, y1 - 1), colour)

    def art(self, x, y, rows, key=None):
        """Copies a hand-drawn grid; '.' leaves the pixel as it is."""
        key = key or KEY
        for dy, row in enumerate(rows):
            for dx, letter in enumerate(row):
                if letter != '.':
                    self.put(x + dx, y + dy, key[letter])

    def paste(self, other, x, y):
        for dy in range(other.height):
            for dx in range(other.width):
                colour = other.pixels[dy][dx]
                if colour is not None:
                    self.put(x + dx, y + dy, colour)


# Pixel sets: shapes are sets of (x, y) so they can be filled, outlined and combined.

def box(x0, y0, x1, y1):
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def ellipse(cx, cy, rx, ry):
    """Pixels whose centres lie in the ellipse; centres are at half-integer coordinates."""
    return {(x, y)
            for x in range(math.floor(cx - rx), math.ceil(cx + rx) + 1)
            for y in range(math.floor(cy - ry), math.ceil(cy + ry) + 1)
            if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0}


def polygon(points):
    """Pixels whose centres lie inside the polygon (even-odd rule)."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    spots = set()
    for y in range(math.floor(min(ys)), math.ceil(max(ys)) + 1):
        for x in range(math.floor(min(xs)), math.ceil(max(xs)) + 1):
            px, py = x + 0.5, y + 0.5
            inside = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                    inside = not inside
            if inside:
                spots.add((x, y))
    return spots


def ring(spots, diagonal=False):
    """The pixels just outside a shape: what an outline around it covers."""
    steps = [(1, 0), (-1, 0), (0, 1), (0, -1)]
    if diagonal:
        steps += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
    return {(x + dx, y + dy) for x, y in spots for dx, dy in steps} - spots


def edge(spots):
    """The pixels of a shape that touch its outside: an outline drawn inside it."""
    return spots - {(x, y) for x, y in spots
                    if {(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)} <= spots}


def shifted(spots, dx, dy):
    return {(x + dx, y + dy) for x, y in spots}


def resampled(picture, width, height):
    """The picture in another size: each new pixel is the average of the old pixels it
    covers, weighted by how much of each it covers, transparency included. Whole-number
    enlargements repeat each pixel exactly, so they stay as sharp as drawn."""
    sx, sy = picture.width / width, picture.height / height
    out = Canvas(width, height)
    for ty in range(height):
        y0, y1 = ty * sy, (ty + 1) * sy
        for tx in range(width):
            x0, x1 = tx * sx, (tx + 1) * sx
            total = opaque = 0.0
            red = green = blue = alpha = 0.0
            for y in range(math.floor(y0), math.ceil(y1)):
                wy = min(y1, y + 1) - max(y0, y)
                for x in range(math.floor(x0), math.ceil(x1)):
                    weight = (min(x1, x + 1) - max(x0, x)) * wy
                    total += weight
                    colour = picture.pixels[y][x]
                    if colour is None:
                        continue
                    a = colour[3] / 255 if len(colour) == 4 else 1.0
                    red += colour[0] * weight * a
                    green += colour[1] * weight * a
                    blue += colour[2] * weight * a
                    alpha += weight * a
            if alpha <= 0.0:
                continue
            level = round(255 * alpha / total)
            mixed = (round(red / alpha), round(green / alpha), round(blue / alpha))
            out.pixels[ty][tx] = mixed if level >= 255 else mixed + (level,)
    return out


# Item icons, 16 x 16, in the tree view's image-list order.

TAG = [
    "................",
    "................",
    "...g............",
    "..g.............",
    ".g..kkkkkkkkkkk.",
    ".g.kwwwwwwwwwwk.",
    "..gccccccccccck.",
    ".kccgcckkkkkcck.",
    "kcckwkcccccccck.",
    ".kcckcckkkcccck.",
    "..kccccccccccck.",
    "...kcccccccccck.",
    "....kkkkkkkkkkk.",
    "................",
    "................",
    "................",
]


def tag_icon(body):
    """The bookmark tag: a hole and string at its point, two lines of writing on it."""
    icon = Canvas(16, 16)
    icon.art(0, 0, TAG)
    recolour(icon, KEY['c'], body)
    return icon


def recolour(picture, old, new):
    for row in picture.pixels:
        for x, colour in enumerate(row):
            if colour == old:
                row[x] = new


def highlighted(icon):
    """The selected look: the picture on the navy of a selection, with rounded corners."""
    ground = Canvas(16, 16, NAVY)
    for x, y in [(0, 0), (15, 0), (0, 15), (15, 15)]:
        ground.put(x, y, None)
    ground.paste(icon, 0, 0)
    return ground


NEW_LABEL = [
    "rrrrrrrrrrrrrrrr",
    "rwrrwrwwwrwrrrwr",
    "rwwrwrwrrrwrrrwr",
    "rwrwwrwwrrwrwrwr",
    "rwrrwrwrrrwrwrwr",
    "rwrrwrwwwrrwrwrr",
    "RRRRRRRRRRRRRRRR",
]


def new_tag_icon():
    icon = Canvas(16, 16)
    icon.paste(tag_icon(CYAN), 0, -3)
    icon.art(0, 9, NEW_LABEL)
    return icon


QUESTION = [
    ".yyy.",
    "yy.yy",
    "...yy",
    "..yy.",
    "..yy.",
    ".....",
    "..yy.",
    "..yy.",
]


def question_tag_icon():
    icon = tag_icon(CYAN)
    mark = {(10 + x, 7 + y) for y, row in enumerate(QUESTION) for x, c in enumerate(row) if c == 'y'}
    icon.fill(ring(mark, diagonal=True), BLACK)
    icon.fill(mark, KEY['y'])
    return icon


ENVELOPE = [
    "................",
    "................",
    "................",
    "kkkkkkkkkkkkkkkk",
    "kgwwwwwwwwwwwwgk",
    "kwgwwwwwwwwwwgwk",
    "kwwgwwwwwwwwgwwk",
    "kwwwggwwwwggwwwk",
    "kwwwwwggggwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kswwwwwwwwwwwwsk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
    "................",
]

CLOSED_FOLDER = [
    "................",
    "................",
    ".kkkkk..........",
    "kwyyyyk.........",
    "kwyyyyykkkkkkkk.",
    "kwwwwwwwwwwwwok.",
    "kwyyyyyyyyyyyok.",
    "kwyyyyyyyyyyyok.",
    "kwyyyyyyyyyyyok.",
    "kwyyyyyyyyyyyok.",
    "kwyyyyyyyyyyyok.",
    "kwyyyyyyyyyyyok.",
    "koooooooooooook.",
    "kkkkkkkkkkkkkkk.",
    "................",
    "................",
]

OPEN_FOLDER = [
    "................",
    "................",
    ".kkkkk..........",
    "kwyyyyk.........",
    "kwyyyyykkkkkkk..",
    "kwyyyyyyyyyyyok.",
    "kwyyyyyyyyyyyok.",
    "kwyyykkkkkkkkkkk",
    "kwyykwwwwwwwwwok",
    "kwyykyyyyyyyyyok",
    "kwykyyyyyyyyyok.",
    "kwykyyyyyyyyyok.",
    "kykyyyyyyyyyok..",
    "kkoooooooooook..",
    "kkkkkkkkkkkkkk..",
    "................",
]

APP_WINDOW = [
    "................",
    "................",
    "kkkkkkkkkkkkkkkk",
    "knnnnnnnnnnnsksk",
    "knwwwwnnnnnnsksk",
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwggggwwwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwgggggggwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kwggggggwwwwwwwk",
    "kwwwwwwwwwwwwwwk",
    "kkkkkkkkkkkkkkkk",
    "................",
    "................",
]


def grid_icon(rows):
    icon = Canvas(16, 16)
    icon.art(0, 0, rows)
    return icon


def item_icons():
    """MYICON0 to MYICON13, in image-list order."""
    cyan_tag = tag_icon(CYAN)
    new_tag = new_tag_icon()
    question_tag = question_tag_icon()
    envelope = grid_icon(ENVELOPE)
    teal_tag = tag_icon(TEAL)
    recolour(teal_tag, KEY['w'], CYAN)
    app = grid_icon(APP_WINDOW)
    return [
        cyan_tag, highlighted(cyan_tag),
        grid_icon(CLOSED_FOLDER), grid_icon(OPEN_FOLDER),
        new_tag, highlighted(new_tag),
        question_tag, highlighted(question_tag),
        envelope, highlighted(envelope),
        teal_tag, highlighted(teal_tag),
        app, highlighted(app),
    ]


# Program icon: a bird perched on a branch, 16 x 16 and 32 x 32.

BIRD_16 = [
    "................",
    "................",
    ".........kkk....",
    "........kbccbk..",
    ".......kbbbkbbk.",
    ".......kbbbbbbyy",
    ".kk...kbbbbbbbk.",
    "kbnk.kbbbbbbwk..",
    ".knnkbnnnbbwwk..",
    "..knnnnnnbwwwk..",
    "...knnnnnwwwk...",
    "....kkkkkkkk....",
    "kkkkkkkkkkkkkkkk",
    "oooooooooooooooo",
    "kkkkkkkkkkrrrkkk",
    "..........rkr...",
]


def bird_16():
    icon = Canvas(16, 16)
    icon.art(0, 0, BIRD_16)
    return icon


def bird_32():
    """A small bluebird on a branch, a red bookmark ribbon hanging from the branch."""
    icon = Canvas(32, 32)
    yellow, blue, red, olive, maroon = KEY['y'], KEY['b'], KEY['r'], KEY['o'], KEY['R']

    ribbon = polygon([(21, 24), (27, 24), (27, 31), (24, 28), (21, 31)])
    icon.fill(ring(ribbon), BLACK)
    icon.fill(ribbon, red)
    icon.fill({(x, 25) for x in range(22, 27)}, maroon)

    branch = box(0, 21, 31, 23)
    icon.fill(ring(branch), BLACK)
    icon.fill(branch, olive)
    icon.fill(box(0, 23, 31, 23), maroon)
    icon.fill({(3, 22), (9, 21), (10, 22), (28, 22)}, maroon)

    tail = polygon([(9, 15), (2, 20), (1, 18), (7, 12)])
    body = ellipse(15, 15, 8.5, 6.5)
    head = ellipse(21.5, 9.0, 5.5, 5.0)
    bird = tail | body | head
    beak = polygon([(26, 7.5), (30.5, 9.5), (26, 11.0)])
    icon.fill(ring(bird | beak, diagonal=True) - branch, BLACK)
    icon.fill(bird, blue)
    icon.fill(beak, yellow)
    icon.fill({(x, 9) for x in range(27, 30)}, olive)

    belly = ellipse(19.5, 17.0, 6.5, 4.5) & body
    icon.fill(belly, WHITE)
    wing = polygon([(8, 13), (15, 11), (19, 14), (16, 18), (9, 17)])
    icon.fill(ring(wing) & bird - belly, NAVY)
    icon.fill(wing, NAVY)
    icon.fill({(x, y) for x, y in wing if (x + y) % 3 == 0 and y > 13}, BLACK)
    icon.fill({(x, y) for x, y in tail if x < 6}, NAVY)
    icon.fill(edge(head) & {(x, y) for x, y in head if y < 7}, CYAN)

    icon.fill(box(22, 7, 23, 8), BLACK)
    icon.put(22, 7, WHITE)
    for x in (14, 17):  # toes gripping the branch
        icon.fill({(x, 21), (x, 22), (x - 1, 22), (x + 1, 22)}, BLACK)
    return icon


# Toolbar images, 28 x 20 each, on the button-face grey that the toolbar maps to its own.

TB_YELLOW, TB_YELLOW_DARK, TB_YELLOW_LIGHT = (255, 255, 102), (255, 204, 0), (255, 255, 204)
TB_GLOBE_SEA, TB_GLOBE_LIGHT, TB_GLOBE_DARK = (0, 102, 204), (51, 153, 255), (0, 51, 153)
TB_GLOBE_RIM = (0, 0, 102)
TB_LAND, TB_LAND_DARK = (51, 204, 51), (0, 153, 0)


def open_folder_picture(width=24, height=17):
    """A wide open folder: the back with its tab, the front flap leaning forward."""
    pic = Canvas(width, height)
    back = box(0, 2, width - 5, height - 1) | box(0, 0, 7, 2)
    back_inside = back - edge(back)
    pic.fill(edge(back), BLACK)
    pic.fill(back_inside, TB_YELLOW_DARK)
    pic.fill({(x, y) for x, y in back_inside if x == 1 or y == 1 or (y == 3 and x > 7)}, TB_YELLOW_LIGHT)
    lean = 5
    front = polygon([(lean, 6), (width, 6), (width - lean, height), (0, height)])
    pic.fill(edge(front), BLACK)
    front_inside = front - edge(front)
    pic.fill(front_inside, TB_YELLOW)
    pic.fill({(x, y) for x, y in front_inside if y == 7}, TB_YELLOW_LIGHT)
    pic.fill({(x, y) for x, y in front_inside if y == height - 2}, TB_YELLOW_DARK)
    return pic


GLOBE_LAND = [
    "..............",
    ".....xx.......",
    "...xxxxx......",
    "..xxxxxx...x..",
    "..xxxxx...xxx.",
    "...xxxx..xxxx.",
    "....xx...xxxx.",
    ".....xx...xx..",
    "......xx..x...",
    "......xxx.....",
    ".......xx.....",
    ".......x......",
    "..............",
    "..............",
]


def globe():
    """A 14-pixel globe lit from the upper left: blue sea, green land, a dark rim."""
    radius = 7
    pic = Canvas(2 * radius, 2 * radius)
    disc = ellipse(radius, radius, radius, radius)
    for x, y in disc:
        nx = (x + 0.5 - radius) / radius
        ny = (y + 0.5 - radius) / radius
        nz = math.sqrt(max(0.0, 1.0 - nx * nx - ny * ny))
        light = -0.45 * nx - 0.55 * ny + 0.70 * nz
        if GLOBE_LAND[y][x] == 'x':
            colour = TB_LAND if light > 0.3 else TB_LAND_DARK
        else:
            colour = TB_GLOBE_LIGHT if light > 0.8 else TB_GLOBE_SEA if light > 0.25 else TB_GLOBE_DARK
        pic.put(x, y, colour)
    pic.fill(edge(disc), TB_GLOBE_RIM)
    return pic


def floppy_picture():
    pic = Canvas(16, 16)
    body = box(0, 0, 15, 15) - {(15, 0)}
    pic.fill(body, (0, 0, 102))
    pic.fill(edge(body), BLACK)
    pic.fill(box(4, 0, 11, 5), (204, 204, 204))
    pic.fill(box(8, 1, 9, 4), (51, 51, 102))
    pic.frame(4, 0, 11, 5, BLACK)
    pic.fill(box(3, 8, 12, 15), WHITE)
    pic.frame(3, 8, 12, 15, BLACK)
    for y in (10, 12):
        pic.fill(box(5, y, 10, y), (102, 102, 153))
    pic.put(1, 14, (204, 204, 204))
    pic.put(14, 14, (204, 204, 204))
    return pic


def corner_arrows(pic, x0, y0, x1, y1, colour):
    """Four arrows pointing out of the corners of a box."""
    for cx, cy, sx, sy in [(x0, y0, 1, 1), (x1, y0, -1, 1), (x0, y1, 1, -1), (x1, y1, -1, -1)]:
        head = {(cx + sx * i, cy) for i in range(5)} | {(cx, cy + sy * i) for i in range(5)}
        shaft = {(cx + sx * i, cy + sy * i) for i in range(1, 6)}
        pic.fill(head | shaft | shifted(shaft, sx, 0), colour)


def pane_picture(colour_title):
    pane = Canvas(10, 15)
    pane.fill(box(0, 0, 9, 14), WHITE)
    pane.frame(0, 0, 9, 14, BLACK)
    pane.fill(box(1, 1, 8, 2), colour_title)
    for y in (5, 7, 9, 11):
        pane.fill(box(2, y, 2 + (y * 3) % 6 + 1, y), (153, 153, 153))
    return pane


def double_arrow(width):
    """A fat horizontal arrow with heads at both ends, green with a dark edge."""
    mid = 5
    shape = box(5, mid - 1, width - 6, mid + 1)
    for i in range(4):
        shape |= {(1 + i, y) for y in range(mid - i, mid + i + 1)}
        shape |= {(width - 2 - i, y) for y in range(mid - i, mid + i + 1)}
    pic = Canvas(width, 2 * mid + 1)
    pic.fill(ring(shape, diagonal=True), (0, 102, 0))
    pic.fill(shape, (51, 204, 51))
    pic.fill({(x, y) for x, y in shape if (x, y - 1) not in shape}, (153, 255, 153))
    return pic


def magnifier_picture():
    pic = Canvas(20, 19)
    handle = polygon([(12.5, 10.5), (14.5, 10.5), (20, 16.5), (18, 18.5), (12.5, 13)])
    pic.fill(ring(handle), BLACK)
    pic.fill(handle, (153, 51, 0))
    pic.fill({(x, y) for x, y in handle if x - y == 4}, (204, 102, 51))
    rim = ellipse(7.5, 7.5, 7.5, 7.5)
    glass = ellipse(7.5, 7.5, 5.5, 5.5)
    pic.fill(rim, (102, 102, 102))
    pic.fill(edge(rim), BLACK)
    pic.fill(glass, (204, 255, 255))
    pic.fill(edge(glass), (51, 51, 51))
    pic.fill({(4, 4), (5, 3), (6, 3), (3, 5), (3, 6)}, WHITE)
    return pic


def refresh_arrows_picture():
    """Two green arrows chasing each other round a circle: check again, not search."""
    pic = Canvas(16, 16)
    band = ellipse(7.5, 7.5, 7.5, 7.5) - ellipse(7.5, 7.5, 4.2, 4.2)
    # Gaps at the upper right and lower left, where the heads sit.
    band = {(x, y) for x, y in band if not (x >= 8 and y <= 5 and x - y >= 4) and not (x <= 7 and y >= 10 and y - x >= 4)}
    heads = polygon([(8.5, 0), (13.5, 4.5), (8.5, 8)]) | polygon([(7.5, 8), (7.5, 16), (2.5, 11.5)])
    shape = band | heads
    pic.fill(shape, (51, 204, 51))
    pic.fill({(x, y) for x, y in shape if (x, y - 1) not in shape}, (153, 255, 153))
    pic.fill(edge(shape), (0, 102, 0))
    return pic


def page_picture():
    pic = Canvas(14, 18)
    page = box(0, 0, 13, 17) - {(x, y) for x in range(9, 14) for y in range(0, 5) if x - y > 8}
    pic.fill(page, WHITE)
    pic.fill(edge(page), BLACK)
    corner = {(x, y) for x in range(9, 14) for y in range(0, 5)}
    pic.fill({(x, y) for x, y in corner if x - y == 8 or x == 9 or y == 4}, BLACK)
    pic.fill({(10, 2), (10, 3), (11, 3)}, (204, 204, 204))
    for y, length in ((3, 6), (5, 8), (7, 10), (9, 5)):
        pic.fill(box(2, y, 1 + length, y), (153, 153, 153))
    return pic


def toolbar_images():
    images = []

    folder = Canvas(28, 20, TOOLBAR_GROUND)
    folder.paste(open_folder_picture(), 2, 2)
    images.append(folder)

    floppy = Canvas(28, 20, TOOLBAR_GROUND)
    floppy.paste(floppy_picture(), 6, 2)
    images.append(floppy)

    restore = Canvas(28, 20, TOOLBAR_GROUND)
    corner_arrows(restore, 3, 0, 24, 19, NAVY)
    restore.paste(globe(), 7, 3)
    images.append(restore)

    panes = Canvas(28, 20, TOOLBAR_GROUND)
    panes.paste(pane_picture(NAVY), 1, 2)
    panes.paste(pane_picture((0, 102, 153)), 17, 2)
    panes.paste(double_arrow(20), 3, 4)
    images.append(panes)

    check = Canvas(28, 20, TOOLBAR_GROUND)
    check.paste(page_picture(), 4, 1)
    check.paste(refresh_arrows_picture(), 11, 3)
    images.append(check)

    browse = Canvas(28, 20, TOOLBAR_GROUND)
    browse.paste(page_picture(), 5, 1)
    browse.paste(globe(), 12, 5)
    images.append(browse)

    bar = Canvas(28, 20, TOOLBAR_GROUND)
    bar.fill(box(4, 8, 23, 13), NAVY)
    bar.fill(box(5, 9, 22, 9), (51, 102, 204))
    bar.frame(4, 8, 23, 13, BLACK)
    images.append(bar)

    strip = Canvas(28 * len(images), 20, TOOLBAR_GROUND)
    for place, image in enumerate(images):
        strip.paste(image, 28 * place, 0)
    return strip


def scaled_toolbar_strip(strip, scale):
    """The strip for a larger scale; each image is resized on its own, so no image bleeds
    into the next."""
    width, height = round(28 * scale), round(20 * scale)
    count = strip.width // 28
    out = Canvas(width * count, height, TOOLBAR_GROUND)
    for place in range(count):
        image = Canvas(28, 20)
        for y in range(20):
            image.pixels[y] = strip.pixels[y][28 * place:28 * place + 28]
        out.paste(resampled(image, width, height), width * place, 0)
    return out


# File writers.

def halftone_palette():
    """256 entries: the sixteen standard colours, a 6x6x6 cube, then a ramp of greys."""
    palette = list(VGA16)
    steps = (0, 51, 102, 153, 204, 255)
    palette += [(r, g, b) for r in steps for g in steps for b in steps]
    palette += [(v, v, v) for v in range(8, 256, 10)][:256 - len(palette)]
    assert len(palette) == 256
    return palette


def palette_index(palette, colour):
    if colour not in palette:
        raise ValueError(f"colour {colour} is not in the palette")
    return palette.index(colour)


def bmp_info_header(width, height, bits, image_size, colours):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, image_size, 2835, 2835, colours, 0)


def palette_bytes(palette):
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)


def padded(row):
    return row + b'\0' * (-len(row) % 4)


def xor_rows_4bit(picture):
    """Colour rows, bottom row first; transparent pixels are black under a set mask bit."""
    rows = []
    for y in reversed(range(picture.height)):
        indexes = [palette_index(VGA16, c or BLACK) for c in picture.pixels[y]]
        indexes += [0] * (len(indexes) % 2)
        rows.append(padded(bytes(indexes[i] << 4 | indexes[i + 1] for i in range(0, len(indexes), 2))))
    return b''.join(rows)


def and_rows(picture):
    rows = []
    for y in reversed(range(picture.height)):
        bits = [1 if c is None or (len(c) == 4 and c[3] == 0) else 0 for c in picture.pixels[y]]
        bits += [0] * (-len(bits) % 8)
        rows.append(padded(bytes(sum(bit << (7 - i) for i, bit in enumerate(bits[n:n + 8]))
                                 for n in range(0, len(bits), 8))))
    return b''.join(rows)


def ico_bytes(pictures):
    """A classic icon file: one 4-bit colour image with a 1-bit mask per picture."""
    images = []
    for picture in pictures:
        xor, mask = xor_rows_4bit(picture), and_rows(picture)
        header = bmp_info_header(picture.width, 2 * picture.height, 4, len(xor) + len(mask), 16)
        images.append(header + palette_bytes(VGA16) + xor + mask)
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for picture, image in zip(pictures, images):
        directory += struct.pack('<BBBBHHII', picture.width % 256, picture.height % 256,
                                 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + b''.join(images)


def rgba(colour):
    if colour is None:
        return (0, 0, 0, 0)
    return colour if len(colour) == 4 else colour + (255,)


def png_bytes(picture):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    rows = b''.join(b'\0' + bytes(v for c in row for v in rgba(c)) for row in picture.pixels)
    header = struct.pack('>IIBBBBB', picture.width, picture.height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(rows, 9)) +
            chunk(b'IEND', b''))


def icon_image_32bit(picture):
    """One 32-bit image of an icon file: colours with their transparency, and the mask
    that older programs read. The 256-pixel one is a PNG, as Windows Vista and later read it."""
    if picture.width >= 256:
        return png_bytes(picture)
    colour = b''.join(bytes(v for c in picture.pixels[y] for v in (rgba(c)[2], rgba(c)[1], rgba(c)[0], rgba(c)[3]))
                      for y in reversed(range(picture.height)))
    mask = and_rows(picture)
    return bmp_info_header(picture.width, 2 * picture.height, 32, len(colour) + len(mask), 0) + colour + mask


def ico_bytes_32bit(pictures):
    """An icon file with one 32-bit image per picture, smallest first."""
    images = [icon_image_32bit(picture) for picture in pictures]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for picture, image in zip(pictures, images):
        directory += struct.pack('<BBBBHHII', picture.width % 256, picture.height % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b''.join(images)


def bmp_bytes_24bit(picture):
    rows = b''.join(padded(bytes(v for c in picture.pixels[y] for v in (c[2], c[1], c[0])))
                    for y in reversed(range(picture.height)))
    info = bmp_info_header(picture.width, picture.height, 24, len(rows), 0)
    offset = 14 + len(info)
    head = b'BM' + struct.pack('<IHHI', offset + len(rows), 0, 0, offset)
    return head + info + rows


def bmp_bytes(picture):
    """An 8-bit bottom-up BMP with the full 256-entry palette."""
    palette = halftone_palette()
    rows = b''.join(padded(bytes(palette_index(palette, c) for c in picture.pixels[y]))
                    for y in reversed(range(picture.height)))
    info = bmp_info_header(picture.width, picture.height, 8, len(rows), 256)
    offset = 14 + len(info) + 4 * len(palette)
    head = b'BM' + struct.pack('<IHHI', offset + len(rows), 0, 0, offset)
    return head + info + palette_bytes(palette) + rows


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as out:
        out.write(data)
    print(f"wrote {path} ({len(data)} bytes)")


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    resources = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'resources')
    resources = os.path.normpath(resources)
    icons = os.path.join(resources, 'icons')
    # Each picture in the sizes 100 % to 200 % ask for; Windows picks the size it needs.
    for number, icon in enumerate(item_icons()):
        sizes = [icon] + [resampled(icon, size, size) for size in (20, 24, 32)]
        write(os.path.join(icons, f'item{number:02d}.ico'), ico_bytes_32bit(sizes))
    small, large = bird_16(), bird_32()
    app_sizes = ([small] + [resampled(large, size, size) for size in (20, 24)] + [large] +
                 [resampled(large, size, size) for size in (40, 48, 64, 256)])
    write(os.path.join(icons, 'perchlet.ico'), ico_bytes_32bit(app_sizes))
    write(os.path.join(icons, 'about.ico'), ico_bytes_32bit([large] + [resampled(large, size, size) for size in (48, 64)]))
    strip = toolbar_images()
    write(os.path.join(resources, 'toolbar.bmp'), bmp_bytes(strip))
    write(os.path.join(resources, 'toolbar_150.bmp'), bmp_bytes_24bit(scaled_toolbar_strip(strip, 1.5)))
    write(os.path.join(resources, 'toolbar_200.bmp'), bmp_bytes_24bit(scaled_toolbar_strip(strip, 2)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
