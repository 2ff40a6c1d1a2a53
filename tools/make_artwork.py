#!/usr/bin/python3
"""Draws the window artwork: the launch manager background, the desert camouflage
texture of the server setup window, the 16 x 16 button and menu pictures and the
application icon. Everything is drawn from shapes and DejaVu letters; the texture
noise is seeded, so every run writes the same files into resources/art/.

Run:  /usr/bin/python3 tools/make_artwork.py [--out FOLDER]
"""

import argparse
import math
import pathlib
import random

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ROOT = pathlib.Path(__file__).resolve().parent.parent
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
YELLOW = (255, 212, 0)
BLUE = (36, 100, 214)
BLUE_DARK = (12, 52, 140)
BLUE_LIGHT = (120, 176, 250)
GREY = (150, 150, 150)
GREY_DARK = (96, 96, 96)
GREY_LIGHT = (200, 200, 200)
RED = (214, 36, 30)
RED_DARK = (130, 14, 10)
GREEN = (40, 170, 60)
GREEN_DARK = (16, 96, 30)
OUTLINE = (40, 40, 48)

ICON_SIZE = 16
OVERSAMPLE = 4  # icons are drawn at 64 x 64 and reduced, which smooths their edges


# ----- launch manager background -------------------------------------------------


def launchBackground():
    """520 x 300, black, thin yellow frame, "QZ7" in flat yellow at the left.

    The window shows the middle 182 rows of the picture (rows 59 to 240), with the
    buttons over the right half and the ticker at rows 203 to 222, so the letters
    sit at the left between rows 74 and 190."""
    width, height = 520, 300
    image = Image.new("RGB", (width, height), (0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rectangle([2, 2, width - 3, height - 3], outline=YELLOW, width=2)
    # The largest letters that stay left of the buttons (which begin at x = 260).
    points = 120
    while True:
        font = ImageFont.truetype(FONT_BOLD, points)
        left, top, right, bottom = d.textbbox((0, 0), "QZ7", font=font)
        if right - left <= 216:
            break
        points -= 1
    textHeight = bottom - top
    x = 24 - left
    y = 74 + (116 - textHeight) // 2 - top
    d.text((x, y), "QZ7", font=font, fill=YELLOW)
    return image


def withExactPalette(image):
    """The same pixels as an 8-bit palette picture: it decodes in about half the time of a
    full-colour one, which counts at start-up. Only for pictures of at most 256 colours."""
    colours = sorted(set(image.getdata()))
    if len(colours) > 256:
        raise ValueError(f"{len(colours)} colours do not fit a palette")
    index = {colour: i for i, colour in enumerate(colours)}
    paletted = Image.new("P", image.size)
    paletted.putdata([index[colour] for colour in image.getdata()])
    paletted.putpalette([channel for colour in colours for channel in colour])
    return paletted


# ----- desert camouflage tile ------------------------------------------------------


def periodicNoise(rng, size, cells):
    """Smooth noise that repeats every size pixels in both directions: a periodic
    lattice is tiled 3 x 3, enlarged, and the middle tile cut out."""
    lattice = Image.frombytes("L", (cells, cells), rng.randbytes(cells * cells))
    tiled = Image.new("L", (cells * 3, cells * 3))
    for i in range(3):
        for j in range(3):
            tiled.paste(lattice, (i * cells, j * cells))
    big = tiled.resize((size * 3, size * 3), Image.BICUBIC)
    return big.crop((size, size, size * 2, size * 2))


def periodicBlur(mask, radius):
    size = mask.width
    tiled = Image.new("L", (size * 3, size * 3))
    for i in range(3):
        for j in range(3):
            tiled.paste(mask, (i * size, j * size))
    blurred = tiled.filter(ImageFilter.GaussianBlur(radius))
    return blurred.crop((size, size, size * 2, size * 2))


def desertCamoTile(size=128, seed=0xCA30):
    rng = random.Random(seed)
    image = Image.new("RGB", (size, size), (216, 198, 160))
    layers = [((232, 218, 184), 4, 150), ((190, 164, 122), 4, 160), ((170, 140, 102), 8, 178)]
    for colour, cells, level in layers:
        field = periodicNoise(rng, size, cells)
        blobs = field.point(lambda v, level=level: 255 if v >= level else 0)
        blobs = periodicBlur(blobs, 1.2).point(lambda v: 255 if v >= 128 else 0)
        image.paste(Image.new("RGB", (size, size), colour), (0, 0), blobs)
    grain = Image.frombytes("L", (size, size), rng.randbytes(size * size))
    grain = grain.point(lambda v: 118 + v * 20 // 255)
    return Image.blend(image, Image.merge("RGB", (grain, grain, grain)), 0.06)


# ----- small pictures ----------------------------------------------------------------


class Icon:
    """A 16 x 16 picture drawn on a 64 x 64 canvas in units of final pixels."""

    def __init__(self):
        self.s = OVERSAMPLE
        self.image = Image.new("RGBA", (ICON_SIZE * self.s, ICON_SIZE * self.s), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.image)

    def p(self, points):
        return [(x * self.s, y * self.s) for x, y in points]

    def box(self, x0, y0, x1, y1):
        return [x0 * self.s, y0 * self.s, x1 * self.s - 1, y1 * self.s - 1]

    def polygon(self, points, fill, outline=OUTLINE, width=1.0):
        self.d.polygon(self.p(points), fill=fill)
        if outline:
            pts = self.p(points)
            self.d.line(pts + pts[:1], fill=outline, width=int(width * self.s), joint="curve")

    def rect(self, x0, y0, x1, y1, fill, outline=OUTLINE, width=1.0):
        self.d.rectangle(self.box(x0, y0, x1, y1), fill=fill, outline=outline,
                         width=int(width * self.s) if outline else 0)

    def ellipse(self, x0, y0, x1, y1, fill, outline=OUTLINE, width=1.0):
        self.d.ellipse(self.box(x0, y0, x1, y1), fill=fill, outline=outline,
                       width=int(width * self.s) if outline else 0)

    def line(self, points, fill, width=1.0):
        self.d.line(self.p(points), fill=fill, width=int(width * self.s), joint="curve")

    def result(self):
        return self.image.resize((ICON_SIZE, ICON_SIZE), Image.LANCZOS)


def arrowRight(fill, dark, light):
    icon = Icon()
    shape = [(1.5, 5.5), (8, 5.5), (8, 2), (14.5, 8), (8, 14), (8, 10.5), (1.5, 10.5)]
    icon.polygon(shape, fill, dark)
    icon.line([(2.5, 6.8), (9, 6.8)], light, 1.2)
    icon.line([(9, 4.2), (12.6, 7.6)], light, 1.0)
    return icon.result()


def redCross(icon, x0, y0, x1, y1, stroke):
    """A red X with a dark rim, from corner (x0, y0) to corner (x1, y1)."""
    for colour, width in ((RED_DARK, stroke + 1.6), (RED, stroke)):
        icon.line([(x0, y0), (x1, y1)], colour, width)
        icon.line([(x1, y0), (x0, y1)], colour, width)


def crossRed():
    icon = Icon()
    redCross(icon, 3.5, 3.5, 12.5, 12.5, 2.6)
    return icon.result()


def chequeredFlag():
    icon = Icon()
    icon.line([(2.5, 1.5), (2.5, 15)], (90, 60, 30), 1.4)
    # A gently waving cloth of 4 x 3 squares; each row is shifted by the wave.
    columns, rows = 4, 3
    x0, y0, cell = 3.5, 2, 3
    wave = [0, -0.6, 0, 0.6, 0]
    for c in range(columns):
        for r in range(rows):
            a = x0 + c * cell
            top = y0 + r * cell
            quad = [(a, top + wave[c]), (a + cell, top + wave[c + 1]),
                    (a + cell, top + cell + wave[c + 1]), (a, top + cell + wave[c])]
            colour = (20, 20, 20) if (c + r) % 2 == 0 else (250, 250, 250)
            icon.polygon(quad, colour, None)
    outline = [(x0, y0 + wave[0])] + [(x0 + c * cell, y0 + wave[c]) for c in range(1, 5)]
    outline += [(x0 + c * cell, y0 + rows * cell + wave[c]) for c in range(4, -1, -1)]
    icon.line(outline + outline[:1], OUTLINE, 0.8)
    return icon.result()


def networkPort(icon):
    """An Ethernet socket seen from the front."""
    icon.rect(1, 5, 11, 15, (230, 230, 226), OUTLINE)
    icon.polygon([(3, 8), (9, 8), (9, 12.5), (7.5, 12.5), (7.5, 13.5), (4.5, 13.5), (4.5, 12.5),
                  (3, 12.5)], (60, 60, 64), None)
    for k in range(4):
        icon.line([(3.9 + k * 1.4, 8.3), (3.9 + k * 1.4, 9.4)], (230, 190, 60), 0.6)


def portsForward():
    icon = Icon()
    networkPort(icon)
    icon.polygon([(7, 2.5), (11, 2.5), (11, 0.5), (15.5, 4), (11, 7.5), (11, 5.5), (7, 5.5)],
                 GREEN, GREEN_DARK, 0.8)
    return icon.result()


def portsRemove():
    icon = Icon()
    networkPort(icon)
    icon.ellipse(8.5, 0.5, 15.5, 7.5, RED, RED_DARK, 0.8)
    icon.line([(10.3, 4), (13.7, 4)], (255, 255, 255), 1.4)
    return icon.result()


def closeDoor():
    """The usual exit picture: an open door with an arrow leaving through it."""
    icon = Icon()
    icon.rect(2, 1, 11, 15, (120, 80, 40), (70, 44, 20))
    icon.polygon([(2, 1), (7, 3), (7, 16), (2, 15)], (176, 120, 64), (70, 44, 20), 0.8)
    icon.ellipse(5.2, 8, 6.4, 9.2, YELLOW, None)
    icon.polygon([(8, 6.5), (11.5, 6.5), (11.5, 4.5), (15.5, 8), (11.5, 11.5), (11.5, 9.5),
                  (8, 9.5)], GREEN, GREEN_DARK, 0.8)
    return icon.result()


def page(icon, x0, y0, x1, y1, fold=3.5, fill=(252, 252, 250)):
    icon.polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], fill,
                 (90, 90, 100), 0.8)
    icon.polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], (210, 210, 214),
                 (90, 90, 100), 0.6)


def newPage():
    icon = Icon()
    page(icon, 2.5, 1.5, 12.5, 15)
    for k in range(3):
        icon.line([(4.5, 7 + k * 2.2), (10.5, 7 + k * 2.2)], (170, 180, 200), 0.8)
    star = []
    for k in range(10):
        r = 3.2 if k % 2 == 0 else 1.4
        a = -math.pi / 2 + k * math.pi / 5
        star.append((12 + r * math.cos(a), 4 + r * math.sin(a)))
    icon.polygon(star, (255, 214, 40), (170, 120, 0), 0.6)
    return icon.result()


def floppy():
    icon = Icon()
    icon.polygon([(1.5, 1.5), (12.5, 1.5), (14.5, 3.5), (14.5, 14.5), (1.5, 14.5)], BLUE,
                 BLUE_DARK, 0.9)
    icon.rect(4, 1.5, 11.5, 6, (226, 228, 232), None)
    icon.rect(9, 2.3, 10.6, 5.2, BLUE_DARK, None)
    icon.rect(3.5, 8.5, 12.5, 14.5, (250, 250, 250), None)
    for k in range(2):
        icon.line([(5, 10.4 + k * 2), (11, 10.4 + k * 2)], (170, 176, 190), 0.7)
    return icon.result()


def trashCan():
    icon = Icon()
    icon.rect(2.5, 3, 13.5, 5, (170, 174, 180), (70, 74, 80), 0.8)
    icon.rect(6, 1.3, 10, 3.2, (170, 174, 180), (70, 74, 80), 0.7)
    icon.polygon([(3.5, 5), (12.5, 5), (11.6, 15), (4.4, 15)], (200, 204, 210), (70, 74, 80), 0.8)
    for x in (6, 8, 10):
        icon.line([(x, 6.8), (x, 13.4)], (110, 114, 120), 0.8)
    redCross(icon, 8.5, 7.5, 14.8, 13.8, 1.6)
    return icon.result()


def fileStack():
    icon = Icon()
    page(icon, 5.5, 0.8, 14.5, 11.5, 3)
    page(icon, 3.5, 2.8, 12.5, 13.5, 3)
    page(icon, 1.5, 4.8, 10.5, 15.3, 3)
    for k in range(3):
        icon.line([(3.2, 9 + k * 2), (8.6, 9 + k * 2)], (170, 180, 200), 0.8)
    return icon.result()


def playBadge(icon):
    icon.ellipse(7.5, 7.5, 15.8, 15.8, GREEN, GREEN_DARK, 0.8)
    icon.polygon([(10.4, 9.6), (14, 11.65), (10.4, 13.7)], (255, 255, 255), None)


def runServer():
    icon = Icon()
    icon.rect(2, 0.8, 10, 15.2, (80, 84, 92), (30, 32, 36), 0.8)
    for k in range(3):
        y = 2.5 + k * 3.2
        icon.rect(3.2, y, 8.8, y + 2.2, (120, 126, 136), None)
        icon.ellipse(7.2, y + 0.6, 8.2, y + 1.6, (90, 240, 90), None)
    playBadge(icon)
    return icon.result()


def runClient():
    icon = Icon()
    icon.rect(0.8, 1.5, 14, 11, (60, 64, 72), (30, 32, 36), 0.8)
    icon.rect(2, 2.7, 12.8, 9.8, (120, 180, 240), None)
    icon.rect(5.5, 11, 9.3, 13, (90, 94, 100), None)
    icon.rect(3.5, 13, 11.3, 14.4, (90, 94, 100), None)
    playBadge(icon)
    return icon.result()


# ----- application icon ----------------------------------------------------------------


def appIcon(size):
    """The launch manager's emblem: "QZ7" in yellow on black inside a yellow frame.
    Each size is drawn on its own, so that the letters stay sharp."""
    s = 4
    canvas = Image.new("RGBA", (size * s, size * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(canvas)
    radius = size * s // 6
    d.rounded_rectangle([0, 0, size * s - 1, size * s - 1], radius=radius, fill=(0, 0, 0))
    border = max(1, size // 16) * s
    d.rounded_rectangle([border, border, size * s - 1 - border, size * s - 1 - border],
                        radius=radius - border, outline=YELLOW, width=max(1, size // 20) * s)
    text = "QZ7" if size >= 24 else "Q7"
    room = size * s * (0.78 if size >= 24 else 0.84)
    points = size * s
    font = ImageFont.truetype(FONT_BOLD, points)
    while d.textlength(text, font=font) > room:
        points -= 1
        font = ImageFont.truetype(FONT_BOLD, points)
    left, top, right, bottom = d.textbbox((0, 0), text, font=font)
    x = (size * s - (right - left)) / 2 - left
    y = (size * s - (bottom - top)) / 2 - top
    d.text((x, y), text, font=font, fill=YELLOW)
    return canvas.resize((size, size), Image.LANCZOS)


# ----- output ------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description="Draws the window artwork.")
    parser.add_argument("--out", type=pathlib.Path, default=ROOT / "resources" / "art",
                        help="output folder (default: resources/art)")
    out = parser.parse_args().out
    out.mkdir(parents=True, exist_ok=True)

    withExactPalette(launchBackground()).save(out / "launch_background.png", optimize=True)
    desertCamoTile().save(out / "desert_camo_tile.png", optimize=True)

    right = arrowRight(BLUE, BLUE_DARK, BLUE_LIGHT)
    icons = {
        "arrow_right": right,
        "arrow_right_disabled": arrowRight(GREY, GREY_DARK, GREY_LIGHT),
        "arrow_left": right.transpose(Image.FLIP_LEFT_RIGHT),
        "arrow_up": right.transpose(Image.ROTATE_90),
        "arrow_down": right.transpose(Image.ROTATE_270),
        "cross_red": crossRed(),
        "flag_chequered": chequeredFlag(),
        "ports_forward": portsForward(),
        "ports_remove": portsRemove(),
        "close": closeDoor(),
        "new": newPage(),
        "save": floppy(),
        "delete": trashCan(),
        "files": fileStack(),
        "run_server": runServer(),
        "run_client": runClient(),
    }
    for name, image in icons.items():
        image.save(out / f"{name}.png", optimize=True)

    sizes = [16, 32, 48, 64]
    emblems = [appIcon(size) for size in sizes]
    emblems[-1].save(out / "app_icon.png", optimize=True)
    # The smaller sizes on their own too: the window icon and the desktop's icon theme use them.
    for size, emblem in zip(sizes[:-1], emblems[:-1]):
        emblem.save(out / f"app_icon_{size}.png", optimize=True)
    emblems[-1].save(out / "app_icon.ico", sizes=[(s, s) for s in sizes],
                     append_images=emblems[:-1])


if __name__ == "__main__":
    main()
