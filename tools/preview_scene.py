"""Drawing toolkit for the map preview pictures: a scene canvas with seeded noise,
terrain, water, roads, buildings, trees and shadows. Used by make_previews.py."""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageOps

# Pictures are drawn at twice their size and reduced at the end, which smooths
# the edges of every shape.
SCALE = 2
SHADOW_DIRECTION = (0.8, 1.0)


def jitter(rng, colour, amount):
    """Varies a colour mostly in brightness, so that hues stay recognisable."""
    shift = rng.randint(-amount, amount)
    return tuple(max(0, min(255, c + shift + rng.randint(-amount // 4, amount // 4)))
                 for c in colour)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def smoothNoise(rng, width, height, cell):
    """Value noise: random bytes on a coarse lattice, enlarged with bicubic filtering."""
    cols = max(2, width // cell + 3)
    rows = max(2, height // cell + 3)
    coarse = Image.frombytes("L", (cols, rows), rng.randbytes(cols * rows))
    return coarse.resize((width, height), Image.BICUBIC)


def fractalNoise(rng, width, height, cell, octaves=4, persistence=0.55):
    result = smoothNoise(rng, width, height, cell)
    total, amplitude = 1.0, 1.0
    for _ in range(octaves - 1):
        cell = max(2, cell // 2)
        amplitude *= persistence
        layer = smoothNoise(rng, width, height, cell)
        result = Image.blend(result, layer, amplitude / (total + amplitude))
        total += amplitude
    return ImageOps.autocontrast(result, cutoff=1)


def threshold(mask, level):
    return mask.point(lambda v: 255 if v >= level else 0)


def dilate(mask, radius):
    return threshold(mask.filter(ImageFilter.GaussianBlur(radius)), 12)


def erode(mask, radius):
    return threshold(mask.filter(ImageFilter.GaussianBlur(radius)), 243)


def subtract(a, b):
    return ImageChops.subtract(a, b)


def shift(mask, dx, dy):
    """Moves a mask by whole pixels; what comes in at the edges is empty."""
    return mask.transform(mask.size, Image.AFFINE, (1, 0, -dx, 0, 1, -dy), fillcolor=0)


def scaleMask(mask, factor):
    return mask.point(lambda v: int(v * factor))


def smoothPath(points, rounds=3):
    """Chaikin corner cutting: turns a rough polyline into a smooth curve."""
    for _ in range(rounds):
        out = [points[0]]
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            out.append((0.75 * x0 + 0.25 * x1, 0.75 * y0 + 0.25 * y1))
            out.append((0.25 * x0 + 0.75 * x1, 0.25 * y0 + 0.75 * y1))
        out.append(points[-1])
        points = out
    return points


class Frame:
    """A rotated local coordinate system for street grids and compounds."""

    def __init__(self, cx, cy, angle):
        self.cx, self.cy = cx, cy
        self.cos, self.sin = math.cos(math.radians(angle)), math.sin(math.radians(angle))

    def point(self, u, v):
        return (self.cx + u * self.cos - v * self.sin, self.cy + u * self.sin + v * self.cos)

    def rect(self, u0, v0, u1, v1):
        return [self.point(u0, v0), self.point(u1, v0), self.point(u1, v1), self.point(u0, v1)]


class Scene:
    """One preview picture being drawn. Coordinates passed in are fractions of the
    picture (0..1) or pixels of the enlarged drawing canvas, as each method says."""

    def __init__(self, width, height, seed):
        self.width, self.height = width, height
        self.W, self.H = width * SCALE, height * SCALE
        self.rng = random.Random(seed)
        self.image = Image.new("RGB", (self.W, self.H))
        self.draw = ImageDraw.Draw(self.image)
        # 255 where nothing may be built (water, cliffs, parks ...).
        self.blocked = Image.new("L", (self.W, self.H), 0)
        self.casters = []  # (shadow polygon or ellipse, drawing callback)

    # ----- general helpers -------------------------------------------------
    def px(self, fx, fy):
        return (fx * self.W, fy * self.H)

    def noise(self, cell, octaves=4, persistence=0.55):
        return fractalNoise(self.rng, self.W, self.H, cell * SCALE, octaves, persistence)

    def solid(self, colour):
        return Image.new("RGB", (self.W, self.H), colour)

    def paint(self, colourImage, mask):
        self.image.paste(colourImage, (0, 0), mask)

    def isFree(self, x, y):
        if not (0 <= x < self.W and 0 <= y < self.H):
            return True
        return self.blocked.getpixel((int(x), int(y))) < 128

    def block(self, mask):
        self.blocked = ImageChops.lighter(self.blocked, mask)

    def emptyMask(self):
        return Image.new("L", (self.W, self.H), 0)

    # ----- terrain ---------------------------------------------------------
    def ground(self, dark, mid, light, cell=90, octaves=5, mask=None):
        texture = ImageOps.colorize(self.noise(cell, octaves), dark, light, mid)
        if mask is None:
            self.image.paste(texture)
        else:
            self.paint(texture, mask)

    def texture(self, mask, dark, light, cell=12, octaves=3, mid=None):
        tex = ImageOps.colorize(self.noise(cell, octaves), dark, light, mid)
        self.paint(tex, mask)

    def relief(self, strength=0.5, cell=120, heights=None):
        """Hill shading from a height field, laid softly over what is drawn."""
        heights = heights or self.noise(cell, 5)
        shade = heights.filter(ImageFilter.GaussianBlur(2 * SCALE)).filter(ImageFilter.EMBOSS)
        shade = ImageOps.autocontrast(shade, cutoff=2)
        shade = Image.blend(Image.new("L", shade.size, 128), shade, strength)
        self.image = ImageChops.soft_light(self.image, shade.convert("RGB"))
        self.draw = ImageDraw.Draw(self.image)

    def patches(self, colour, count, size, cell=30, level=170):
        """Irregular blotches (grass, dirt, snow) as a thresholded noise field."""
        field = self.noise(cell, 3)
        mask = threshold(field, level).filter(ImageFilter.GaussianBlur(SCALE))
        tex = ImageOps.colorize(self.noise(8, 2), mix(colour, (0, 0, 0), 0.15),
                                mix(colour, (255, 255, 255), 0.12))
        self.paint(tex, scaleMask(mask, 0.85))
        return mask

    # ----- water -----------------------------------------------------------
    def coastMask(self, side, depth, roughness=0.06, wobble=6):
        """Sea along one edge: depth is the fraction of the picture it covers."""
        rng = self.rng
        steps = 40
        offsets = [rng.uniform(-1, 1) for _ in range(steps + 1)]
        for _ in range(wobble):
            offsets = [offsets[0]] + [(a + b + c) / 3 for a, b, c in
                                      zip(offsets, offsets[1:], offsets[2:])] + [offsets[-1]]
        mask = self.emptyMask()
        d = ImageDraw.Draw(mask)
        poly = []
        for i, o in enumerate(offsets):
            t = i / steps
            f = depth + o * roughness * 3
            if side == "bottom":
                poly.append((t * self.W, (1 - f) * self.H))
            elif side == "top":
                poly.append((t * self.W, f * self.H))
            elif side == "left":
                poly.append((f * self.W, t * self.H))
            else:
                poly.append(((1 - f) * self.W, t * self.H))
        corners = {"bottom": [(self.W, self.H), (0, self.H)], "top": [(self.W, 0), (0, 0)],
                   "left": [(0, self.H), (0, 0)], "right": [(self.W, self.H), (self.W, 0)]}
        d.polygon(poly + corners[side], fill=255)
        return mask

    def pathPoints(self, start, end, wiggle, count=7):
        (x0, y0), (x1, y1) = self.px(*start), self.px(*end)
        length = math.hypot(x1 - x0, y1 - y0)
        nx, ny = -(y1 - y0) / length, (x1 - x0) / length
        points = []
        for i in range(count + 1):
            t = i / count
            o = 0 if i in (0, count) else self.rng.uniform(-1, 1) * wiggle * self.H
            points.append((x0 + (x1 - x0) * t + nx * o, y0 + (y1 - y0) * t + ny * o))
        return smoothPath(points)

    def riverMask(self, start, end, width, wiggle=0.12):
        return self.pathMask(self.pathPoints(start, end, wiggle), width)

    def pathMask(self, points, width):
        mask = self.emptyMask()
        ImageDraw.Draw(mask).line(points, fill=255, width=int(width * SCALE), joint="curve")
        return mask

    def lakeMask(self, centre, radii, lumps=6):
        mask = self.emptyMask()
        d = ImageDraw.Draw(mask)
        cx, cy = self.px(*centre)
        rx, ry = radii[0] * self.W, radii[1] * self.H
        d.ellipse([cx - rx, cy - ry, cx + rx, cy + ry], fill=255)
        for _ in range(lumps):
            a = self.rng.uniform(0, 2 * math.pi)
            r = self.rng.uniform(0.3, 0.6)
            x, y = cx + math.cos(a) * rx * 0.7, cy + math.sin(a) * ry * 0.7
            d.ellipse([x - rx * r, y - ry * r, x + rx * r, y + ry * r], fill=255)
        return mask.filter(ImageFilter.GaussianBlur(4 * SCALE)).point(
            lambda v: 255 if v > 127 else 0)

    def water(self, mask, deep, shallow, beach=None, beachWidth=8, foam=True, waves=True):
        """Water with depth shading, an optional sandy shore, foam and wave streaks."""
        if beach:
            shore = subtract(dilate(mask, beachWidth * SCALE), mask)
            self.texture(shore, mix(beach, (0, 0, 0), 0.12), mix(beach, (255, 255, 255), 0.15), 6)
            self.block(shore)
        depth = mask.filter(ImageFilter.GaussianBlur(18 * SCALE))
        ripple = self.noise(14, 3)
        shade = Image.blend(ripple, depth, 0.65)
        shade = ImageOps.autocontrast(shade, cutoff=1)
        tex = ImageOps.colorize(shade, shallow, deep, mix(shallow, deep, 0.6))
        self.paint(tex, mask)
        if waves:
            layer = self.emptyMask()
            d = ImageDraw.Draw(layer)
            for _ in range(int(self.W * self.H / 9000)):
                x, y = self.rng.uniform(0, self.W), self.rng.uniform(0, self.H)
                if mask.getpixel((int(x), int(y))) > 128:
                    length = self.rng.uniform(4, 14) * SCALE
                    d.line([(x, y), (x + length, y + length * 0.15)], fill=90, width=SCALE)
            layer = ImageChops.multiply(layer, mask)
            self.paint(self.solid(mix(shallow, (255, 255, 255), 0.5)), layer)
        if foam:
            edge = subtract(dilate(mask, 1.5 * SCALE), erode(mask, 2 * SCALE))
            edge = ImageChops.multiply(edge, self.noise(6, 2).point(lambda v: min(255, v + 60)))
            self.paint(self.solid((236, 240, 236)), scaleMask(edge, 0.7))
        self.block(mask)

    # ----- roads -----------------------------------------------------------
    def road(self, points, width, colour, edge=None, centre=None, dashed=True):
        w = int(width * SCALE)
        if edge:
            self.draw.line(points, fill=edge, width=w + 3 * SCALE, joint="curve")
        self.draw.line(points, fill=colour, width=w, joint="curve")
        if centre:
            self.dashes(points, centre, dashed)
        mask = self.emptyMask()
        ImageDraw.Draw(mask).line(points, fill=255, width=w + 4 * SCALE, joint="curve")
        self.block(mask)

    def dashes(self, points, colour, dashed=True, dash=9, gap=9):
        run, on = 0.0, True
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            seg = math.hypot(x1 - x0, y1 - y0)
            pos = 0.0
            while pos < seg:
                step = min(seg - pos, (dash if on else gap) * SCALE - run)
                if on or not dashed:
                    a, b = pos / seg, (pos + step) / seg
                    self.draw.line([(x0 + (x1 - x0) * a, y0 + (y1 - y0) * a),
                                    (x0 + (x1 - x0) * b, y0 + (y1 - y0) * b)],
                                   fill=colour, width=SCALE)
                pos += step
                run += step
                if run >= (dash if on else gap) * SCALE - 1e-6:
                    run, on = 0.0, not on

    def curvedRoad(self, start, end, width, colour, edge=None, centre=None, wiggle=0.08):
        points = self.pathPoints(start, end, wiggle)
        self.road(points, width, colour, edge, centre)
        return points

    # ----- objects with shadows ---------------------------------------------
    def addBox(self, poly, colour, height=6, style="flat"):
        """A building seen from above; style is flat, pitched, ruined or dome."""
        self.casters.append((poly, height, lambda: self._drawBox(poly, colour, style)))

    def addRound(self, x, y, r, colour, height=4, kind="tree"):
        box = [(x - r, y - r), (x + r, y + r)]
        self.casters.append((box, height, lambda: self._drawRound(x, y, r, colour, kind)))

    def addCustom(self, poly, height, callback):
        self.casters.append((poly, height, callback))

    def flush(self, darkness=0.45):
        """Draws all queued objects: first their shadows, then the objects."""
        shadows = self.emptyMask()
        d = ImageDraw.Draw(shadows)
        sx, sy = SHADOW_DIRECTION
        for shape, height, _ in self.casters:
            ox, oy = sx * height * SCALE, sy * height * SCALE
            if len(shape) == 2:
                (x0, y0), (x1, y1) = shape
                for k in range(3):
                    f = (k + 1) / 3
                    d.ellipse([x0 + ox * f, y0 + oy * f, x1 + ox * f, y1 + oy * f], fill=255)
            else:
                moved = [(x + ox, y + oy) for x, y in shape]
                for a, b, c, e in zip(shape, shape[1:] + shape[:1], moved[1:] + moved[:1], moved):
                    d.polygon([a, b, c, e], fill=255)
                d.polygon(moved, fill=255)
        dark = ImageChops.multiply(self.image, self.solid((int(255 * (1 - darkness)),) * 3))
        self.image.paste(dark, (0, 0), shadows.filter(ImageFilter.GaussianBlur(SCALE * 0.6)))
        self.draw = ImageDraw.Draw(self.image)
        for _, _, callback in self.casters:
            callback()
        self.casters = []

    def _drawBox(self, poly, colour, style):
        d = self.draw
        if style == "ruined":
            rng = self.rng
            cx = sum(p[0] for p in poly) / 4
            cy = sum(p[1] for p in poly) / 4
            broken = [(x + (cx - x) * rng.uniform(0, 0.5), y + (cy - y) * rng.uniform(0, 0.5))
                      for x, y in poly]
            d.polygon(poly, fill=mix(colour, (60, 55, 50), 0.55))
            d.polygon(broken, fill=colour, outline=mix(colour, (0, 0, 0), 0.35))
            for _ in range(10):
                x = rng.uniform(min(p[0] for p in poly), max(p[0] for p in poly))
                y = rng.uniform(min(p[1] for p in poly), max(p[1] for p in poly))
                r = rng.uniform(1, 3) * SCALE
                d.ellipse([x - r, y - r, x + r, y + r], fill=jitter(rng, (120, 112, 100), 25))
            return
        d.polygon(poly, fill=colour, outline=mix(colour, (0, 0, 0), 0.35))
        (x0, y0), (x1, y1), (x2, y2), (x3, y3) = poly
        if style == "pitched":
            # Ridge along the longer side; one slope lit, the other in shade.
            if math.hypot(x1 - x0, y1 - y0) >= math.hypot(x3 - x0, y3 - y0):
                a, b = ((x0 + x3) / 2, (y0 + y3) / 2), ((x1 + x2) / 2, (y1 + y2) / 2)
                d.polygon([poly[0], poly[1], b, a], fill=mix(colour, (255, 255, 255), 0.12))
                d.polygon([a, b, poly[2], poly[3]], fill=mix(colour, (0, 0, 0), 0.18))
            else:
                a, b = ((x0 + x1) / 2, (y0 + y1) / 2), ((x3 + x2) / 2, (y3 + y2) / 2)
                d.polygon([poly[0], a, b, poly[3]], fill=mix(colour, (255, 255, 255), 0.12))
                d.polygon([a, poly[1], poly[2], b], fill=mix(colour, (0, 0, 0), 0.18))
            d.line([a, b], fill=mix(colour, (0, 0, 0), 0.4), width=SCALE)
        elif style == "flat":
            inset = 0.12
            cx, cy = (x0 + x2) / 2, (y0 + y2) / 2
            inner = [(x + (cx - x) * inset, y + (cy - y) * inset) for x, y in poly]
            d.polygon(inner, fill=mix(colour, (0, 0, 0), 0.08),
                      outline=mix(colour, (0, 0, 0), 0.25))
            for _ in range(self.rng.randint(0, 3)):
                t, s = self.rng.uniform(0.25, 0.75), self.rng.uniform(0.25, 0.75)
                px = x0 + (x1 - x0) * t + (x3 - x0) * s
                py = y0 + (y1 - y0) * t + (y3 - y0) * s
                r = 2 * SCALE
                d.rectangle([px - r, py - r, px + r, py + r],
                            fill=mix(colour, (255, 255, 255), 0.3),
                            outline=mix(colour, (0, 0, 0), 0.4))

    def _drawRound(self, x, y, r, colour, kind):
        d = self.draw
        if kind == "tree":
            d.ellipse([x - r, y - r, x + r, y + r], fill=mix(colour, (0, 0, 0), 0.25))
            r2 = r * 0.75
            d.ellipse([x - r2 - r * 0.1, y - r2 - r * 0.1, x + r2 - r * 0.1, y + r2 - r * 0.1],
                      fill=colour)
            r3 = r * 0.3
            d.ellipse([x - r3 - r * 0.35, y - r3 - r * 0.35, x + r3 - r * 0.35, y + r3 - r * 0.35],
                      fill=mix(colour, (255, 255, 200), 0.25))
        elif kind == "tank":
            d.ellipse([x - r, y - r, x + r, y + r], fill=colour,
                      outline=mix(colour, (0, 0, 0), 0.5))
            for k in (0.75, 0.45):
                d.ellipse([x - r * k, y - r * k, x + r * k, y + r * k],
                          outline=mix(colour, (0, 0, 0), 0.25), width=SCALE)
            d.ellipse([x - r * 0.12, y - r * 0.12, x + r * 0.12, y + r * 0.12],
                      fill=mix(colour, (0, 0, 0), 0.4))
        elif kind == "dome":
            steps = 6
            for k in range(steps):
                f = 1 - k / steps
                o = r * (1 - f) * 0.35
                d.ellipse([x - r * f - o, y - r * f - o, x + r * f - o, y + r * f - o],
                          fill=mix(colour, (255, 255, 255), k / steps * 0.5))
        elif kind == "rock":
            pts = []
            for k in range(7):
                a = k / 7 * 2 * math.pi
                rr = r * self.rng.uniform(0.65, 1.0)
                pts.append((x + math.cos(a) * rr, y + math.sin(a) * rr))
            d.polygon(pts, fill=colour, outline=mix(colour, (0, 0, 0), 0.35))
            d.polygon([(x + (px - x) * 0.5 - r * 0.2, y + (py - y) * 0.5 - r * 0.2)
                       for px, py in pts], fill=mix(colour, (255, 255, 255), 0.18))

    # ----- composite features -------------------------------------------------
    def trees(self, count, radius, colours, area=None, keepFree=True, height=4):
        """Scatters trees; area is (x0, y0, x1, y1) in fractions or an L mask."""
        rng = self.rng
        for _ in range(count):
            if area is None or isinstance(area, tuple):
                fx0, fy0, fx1, fy1 = area or (0, 0, 1, 1)
                x, y = rng.uniform(fx0, fx1) * self.W, rng.uniform(fy0, fy1) * self.H
            else:
                x, y = rng.uniform(0, self.W), rng.uniform(0, self.H)
                if area.getpixel((int(min(x, self.W - 1)), int(min(y, self.H - 1)))) < 128:
                    continue
            if keepFree and not self.isFree(x, y):
                continue
            r = rng.uniform(*radius) * SCALE
            self.addRound(x, y, r, jitter(rng, rng.choice(colours), 10), height)

    def rocks(self, count, radius, colours, area=(0, 0, 1, 1), keepFree=True):
        rng = self.rng
        for _ in range(count):
            x = rng.uniform(area[0], area[2]) * self.W
            y = rng.uniform(area[1], area[3]) * self.H
            if keepFree and not self.isFree(x, y):
                continue
            r = rng.uniform(*radius) * SCALE
            self.addRound(x, y, r, jitter(rng, rng.choice(colours), 12), r / SCALE * 0.5, "rock")

    def city(self, frame, blockSize, street, streetColour, yard, roofs, styles,
             fill=0.85, lots=(2, 4), setback=2, heights=(4, 9), parks=0.0, parkColour=None,
             trees=None, markings=(230, 220, 150), cars=None, region=None, courtyards=False):
        """A street grid in the given frame. Blocks whose centre is blocked or outside
        region (an L mask) are left out. Returns the block rectangles in image pixels."""
        rng = self.rng
        reach = math.hypot(self.W, self.H) * 0.6

        def cuts(size):
            out, pos = [], -reach
            while pos < reach:
                out.append(pos)
                pos += rng.uniform(*size) * SCALE
            return out

        us, vs = cuts(blockSize), cuts(blockSize)
        half = street * SCALE / 2
        placed = []

        def fits(u0, v0, u1, v1):
            cx, cy = frame.point((u0 + u1) / 2, (v0 + v1) / 2)
            if region is not None:
                if not (0 <= cx < self.W and 0 <= cy < self.H):
                    return False
                if region.getpixel((int(cx), int(cy))) < 128:
                    return False
            corners = frame.rect(u0, v0, u1, v1) + [(cx, cy)]
            return all(self.isFree(x, y) for x, y in corners)

        for u0, u1 in zip(us, us[1:]):
            for v0, v1 in zip(vs, vs[1:]):
                cx, cy = frame.point((u0 + u1) / 2, (v0 + v1) / 2)
                if not (-60 < cx < self.W + 60 and -60 < cy < self.H + 60):
                    continue
                if fits(u0, v0, u1, v1):
                    placed.append((u0, v0, u1, v1))
                    continue
                # Next to rivers, roads and coasts a cell is split in four smaller blocks,
                # so that the town reaches up to the obstacle.
                um, vm = (u0 + u1) / 2, (v0 + v1) / 2
                quarters = ((u0, v0, um, vm), (um, v0, u1, vm), (u0, vm, um, v1),
                            (um, vm, u1, v1))
                for cell in quarters:
                    if min(cell[2] - cell[0],
                           cell[3] - cell[1]) > street * SCALE * 2.5 and fits(*cell):
                        placed.append(cell)
        for u0, v0, u1, v1 in placed:
            self.draw.polygon(frame.rect(u0 - half, v0 - half, u1 + half, v1 + half),
                              fill=streetColour)
        for u0, v0, u1, v1 in placed:
            if markings:
                for a, b in (((u0, v0), (u1, v0)), ((u0, v0), (u0, v1))):
                    self.dashes([frame.point(*a), frame.point(*b)], markings)
        blocks = []
        for u0, v0, u1, v1 in placed:
            iu0, iv0, iu1, iv1 = u0 + half, v0 + half, u1 - half, v1 - half
            if iu1 - iu0 < 4 or iv1 - iv0 < 4:
                continue
            blocks.append(frame.rect(iu0, iv0, iu1, iv1))
            if parks and rng.random() < parks:
                self.draw.polygon(frame.rect(iu0, iv0, iu1, iv1), fill=yard)
                self.draw.polygon(frame.rect(iu0 + SCALE, iv0 + SCALE, iu1 - SCALE, iv1 - SCALE),
                                  fill=jitter(rng, parkColour, 8))
                for _ in range(int((iu1 - iu0) * (iv1 - iv0) / (140 * SCALE * SCALE))):
                    x, y = frame.point(rng.uniform(iu0 + 4, iu1 - 4), rng.uniform(iv0 + 4, iv1 - 4))
                    self.addRound(x, y, rng.uniform(3, 6) * SCALE,
                                  jitter(rng, rng.choice(trees or [(60, 110, 50)]), 10))
                continue
            self.draw.polygon(frame.rect(iu0, iv0, iu1, iv1), fill=jitter(rng, yard, 6))
            if courtyards:
                self._perimeterBlock(frame, iu0, iv0, iu1, iv1, roofs, styles, setback, heights)
            else:
                self._lots(frame, iu0, iv0, iu1, iv1, roofs, styles, fill, lots, setback, heights,
                           trees)
            if cars:
                for _ in range(rng.randint(0, 3)):
                    side = rng.choice(["u", "v"])
                    if side == "u":
                        u, v = rng.uniform(u0, u1), v0 + rng.choice([-1, 1]) * half * 0.5
                        car = frame.rect(u - 3 * SCALE, v - 1.4 * SCALE, u + 3 * SCALE,
                                         v + 1.4 * SCALE)
                    else:
                        u, v = u0 + rng.choice([-1, 1]) * half * 0.5, rng.uniform(v0, v1)
                        car = frame.rect(u - 1.4 * SCALE, v - 3 * SCALE, u + 1.4 * SCALE,
                                         v + 3 * SCALE)
                    self.addBox(car, rng.choice(cars), 1, "plain")
        return blocks

    def _lots(self, frame, u0, v0, u1, v1, roofs, styles, fill, lots, setback, heights, trees):
        rng = self.rng
        alongU = (u1 - u0) >= (v1 - v0)
        count = rng.randint(*lots)
        span = (u1 - u0) if alongU else (v1 - v0)
        edges = sorted(rng.uniform(0, span) for _ in range(count - 1))
        bounds = [0] + edges + [span]
        sb = setback * SCALE
        for a, b in zip(bounds, bounds[1:]):
            if b - a < 6 * SCALE:
                continue
            if alongU:
                rect = (u0 + a + sb, v0 + sb, u0 + b - sb, v1 - sb)
            else:
                rect = (u0 + sb, v0 + a + sb, u1 - sb, v0 + b - sb)
            if rect[2] - rect[0] < 4 or rect[3] - rect[1] < 4:
                continue
            if rng.random() < fill:
                style = rng.choices(list(styles), weights=list(styles.values()))[0]
                colour = jitter(rng, rng.choice(roofs), 12)
                self.addBox(frame.rect(*rect), colour, rng.uniform(*heights), style)
            elif trees:
                x, y = frame.point((rect[0] + rect[2]) / 2, (rect[1] + rect[3]) / 2)
                self.addRound(x, y, rng.uniform(3, 6) * SCALE, jitter(rng, rng.choice(trees), 10))

    def _perimeterBlock(self, frame, u0, v0, u1, v1, roofs, styles, setback, heights):
        rng = self.rng
        depth = min((u1 - u0), (v1 - v0)) * 0.3
        colour = jitter(rng, rng.choice(roofs), 10)
        height = rng.uniform(*heights)
        sb = setback * SCALE * 0.5
        parts = [(u0 + sb, v0 + sb, u1 - sb, v0 + depth), (u0 + sb, v1 - depth, u1 - sb, v1 - sb),
                 (u0 + sb, v0 + depth, u0 + depth, v1 - depth),
                 (u1 - depth, v0 + depth, u1 - sb, v1 - depth)]
        for part in parts:
            if part[2] - part[0] > 3 and part[3] - part[1] > 3:
                style = rng.choices(list(styles), weights=list(styles.values()))[0]
                self.addBox(frame.rect(*part), jitter(rng, colour, 8), height, style)

    def compound(self, frame, u0, v0, u1, v1, colour, outline):
        """A walled or fenced yard."""
        self.draw.polygon(frame.rect(u0, v0, u1, v1), fill=colour, outline=outline)
        poly = frame.rect(u0, v0, u1, v1)
        self.draw.line(poly + poly[:1], fill=outline, width=2 * SCALE)
        mask = self.emptyMask()
        ImageDraw.Draw(mask).polygon(poly, fill=255)
        return mask

    # ----- finishing -------------------------------------------------------
    def finish(self):
        """Draws pending objects and reduces the drawing to its final size."""
        if self.casters:
            self.flush()
        return self.image.resize((self.width, self.height), Image.LANCZOS)
