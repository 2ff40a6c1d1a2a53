"""One painter per map preview: each composes a distinct place from the drawing
toolkit in preview_scene.py. Colours are RGB tuples; sizes are final-picture pixels
unless multiplied by SCALE for the enlarged canvas."""

import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageOps

from preview_scene import SCALE, Frame, dilate, jitter, mix, scaleMask, shift, subtract, threshold

ASPHALT = (74, 76, 78)
ASPHALT_LIGHT = (104, 104, 100)
CONCRETE = (168, 166, 158)
DIRT = (150, 122, 88)
CARS = [(200, 40, 35), (230, 230, 225), (40, 60, 140), (30, 30, 30), (190, 180, 60),
        (120, 120, 125)]
GREEN_TREES = [(58, 98, 44), (72, 112, 52), (46, 84, 40)]
TILE_ROOFS = [(164, 82, 58), (150, 70, 50), (180, 100, 70), (138, 90, 70)]
GREY_ROOFS = [(120, 120, 124), (140, 138, 132), (98, 100, 106), (160, 156, 148)]


def centreFrame(sc, angle, fx=0.5, fy=0.5):
    return Frame(sc.W * fx, sc.H * fy, angle)


def craters(sc, count, radius):
    rng = sc.rng
    for _ in range(count):
        x, y = rng.uniform(0, sc.W), rng.uniform(0, sc.H)
        r = rng.uniform(*radius) * SCALE
        sc.draw.ellipse([x - r * 1.4, y - r * 1.4, x + r * 1.4, y + r * 1.4], fill=(96, 90, 80))
        sc.draw.ellipse([x - r, y - r, x + r, y + r], fill=(52, 48, 44))
        sc.draw.ellipse([x - r * 0.5 + r * 0.2, y - r * 0.5 + r * 0.2, x + r * 0.5, y + r * 0.5],
                        fill=(34, 32, 30))


def smoke(sc, count, radius, colour=(40, 40, 42), strength=0.55):
    mask = sc.emptyMask()
    d = ImageDraw.Draw(mask)
    rng = sc.rng
    for _ in range(count):
        x, y = rng.uniform(0, sc.W), rng.uniform(0, sc.H)
        for k in range(6):
            r = rng.uniform(*radius) * SCALE * (1 - k * 0.1)
            d.ellipse([x - r, y - r, x + r, y + r], fill=255)
            x += r * 0.6
            y -= r * 0.3
    mask = mask.filter(ImageFilter.GaussianBlur(10 * SCALE))
    mask = ImageChops.multiply(mask, sc.noise(20, 3))
    sc.paint(sc.solid(colour), scaleMask(mask, strength))


def plane(sc, x, y, size, angle, colour=(232, 232, 236)):
    f = Frame(x, y, angle)
    s = size * SCALE
    body = [f.point(-s, -0.08 * s), f.point(s * 0.9, -0.08 * s), f.point(s, 0),
            f.point(s * 0.9, 0.08 * s), f.point(-s, 0.08 * s)]
    wings = [f.point(0.15 * s, -0.05 * s), f.point(-0.25 * s, -0.85 * s),
             f.point(-0.4 * s, -0.85 * s),
             f.point(-0.2 * s, 0), f.point(-0.4 * s, 0.85 * s), f.point(-0.25 * s, 0.85 * s),
             f.point(0.15 * s, 0.05 * s)]
    tail = [f.point(-0.8 * s, 0), f.point(-0.95 * s, -0.3 * s), f.point(-1.0 * s, -0.3 * s),
            f.point(-0.92 * s, 0), f.point(-1.0 * s, 0.3 * s), f.point(-0.95 * s, 0.3 * s)]

    def drawPlane():
        for part in (wings, tail, body):
            sc.draw.polygon(part, fill=colour, outline=mix(colour, (0, 0, 0), 0.4))

    sc.addCustom(body, 6, drawPlane)
    sc.addCustom(wings, 6, lambda: None)  # the wings only cast their shadow


def ship(sc, x, y, length, width, angle, hull, deck, rust=0.0):
    f = Frame(x, y, angle)
    l, w = length * SCALE / 2, width * SCALE / 2
    outline = [f.point(-l, -w), f.point(l * 0.7, -w), f.point(l, 0), f.point(l * 0.7, w),
               f.point(-l, w)]
    inner = [f.point(-l * 0.92, -w * 0.75), f.point(l * 0.65, -w * 0.75), f.point(l * 0.88, 0),
             f.point(l * 0.65, w * 0.75), f.point(-l * 0.92, w * 0.75)]

    def drawShip():
        sc.draw.polygon(outline, fill=hull, outline=mix(hull, (0, 0, 0), 0.5))
        sc.draw.polygon(inner, fill=deck)
        sc.draw.polygon(f.rect(-l * 0.85, -w * 0.6, -l * 0.55, w * 0.6), fill=(236, 236, 230),
                        outline=(90, 90, 90))
        rng = sc.rng
        for k in range(int(4 * rust)):
            cx, cy = f.point(rng.uniform(-l * 0.5, l * 0.6), rng.uniform(-w * 0.6, w * 0.6))
            r = rng.uniform(2, 6) * SCALE
            sc.draw.ellipse([cx - r, cy - r, cx + r, cy + r], fill=jitter(rng, (140, 70, 36), 15))
        for k in range(3):
            u = -l * 0.3 + k * l * 0.3
            sc.draw.polygon(f.rect(u, -w * 0.45, u + l * 0.22, w * 0.45),
                            fill=mix(deck, (0, 0, 0), 0.25))

    sc.addCustom(outline, 3, drawShip)


def fields(sc, frame, size, colours, region=None, stripes=True):
    rng = sc.rng
    reach = math.hypot(sc.W, sc.H) * 0.6
    u = -reach
    while u < reach:
        du = rng.uniform(*size) * SCALE
        v = -reach
        while v < reach:
            dv = rng.uniform(*size) * SCALE
            cx, cy = frame.point(u + du / 2, v + dv / 2)
            inside = 0 <= cx < sc.W and 0 <= cy < sc.H
            if inside and (region is None or region.getpixel((int(cx), int(cy))) > 128):
                colour = jitter(rng, rng.choice(colours), 10)
                sc.draw.polygon(frame.rect(u + SCALE, v + SCALE, u + du - SCALE, v + dv - SCALE),
                                fill=colour)
                if stripes:
                    step = rng.choice([3, 4, 5]) * SCALE
                    k = u + step
                    while k < u + du - step:
                        sc.draw.line([frame.point(k, v + 2 * SCALE),
                                      frame.point(k, v + dv - 2 * SCALE)],
                                     fill=mix(colour, (0, 0, 0), 0.12), width=SCALE)
                        k += step
            v += dv
        u += du


# ----- standard maps -----------------------------------------------------------


def ruinedOldTown(sc):
    sc.ground((88, 84, 76), (122, 116, 104), (150, 142, 128), cell=60)
    river = sc.riverMask((0.0, 0.78), (1.0, 0.62), 34, 0.05)
    sc.water(river, (58, 74, 70), (88, 104, 96), beach=(130, 124, 112), beachWidth=5, waves=False)
    sc.city(centreFrame(sc, 12), (60, 90), 10, (82, 80, 76), (112, 106, 96),
            TILE_ROOFS + GREY_ROOFS, {"pitched": 4, "ruined": 3, "flat": 1}, fill=0.9,
            heights=(5, 9), markings=None, courtyards=True)
    sc.flush()
    craters(sc, 14, (4, 9))
    smoke(sc, 4, (10, 18))
    sc.relief(0.25)


def riverMarket(sc):
    sc.ground((70, 78, 60), (98, 104, 80), (120, 126, 96), cell=50)
    river = sc.riverMask((0.3, 0.0), (0.55, 1.0), 46, 0.1)
    sc.water(river, (72, 86, 58), (110, 118, 80), foam=False)
    canal = sc.riverMask((0.0, 0.35), (1.0, 0.4), 12, 0.03)
    sc.water(canal, (66, 80, 58), (96, 108, 74), foam=False, waves=False)
    roofs = [(60, 110, 150), (170, 60, 50), (200, 200, 195), (100, 140, 90), (150, 150, 150),
             (200, 160, 70)]
    sc.city(centreFrame(sc, -8), (36, 60), 6, (92, 90, 84), (120, 112, 96), roofs,
            {"flat": 3, "pitched": 2}, fill=0.95, lots=(3, 6), setback=1, heights=(3, 8),
            markings=None, cars=CARS)
    rng = sc.rng
    for _ in range(18):
        x, y = rng.uniform(0, sc.W), rng.uniform(0, sc.H)
        if river.getpixel((int(x), int(y))) > 128:
            ship(sc, x, y, rng.uniform(14, 24), 5, rng.uniform(60, 120), (120, 80, 50),
                 (150, 110, 70))
    sc.flush()
    sc.relief(0.2)


def hillVillage(sc):
    sc.ground((150, 110, 70), (186, 148, 100), (210, 182, 132), cell=80)
    sc.patches((120, 124, 70), 0, 0, cell=40, level=180)
    sc.relief(0.8, cell=150)
    sc.curvedRoad((0.0, 0.7), (1.0, 0.3), 9, (170, 140, 100), edge=(140, 110, 80))
    frame = centreFrame(sc, 25, 0.5, 0.48)
    region = sc.emptyMask()
    ImageDraw.Draw(region).ellipse([sc.W * 0.18, sc.H * 0.1, sc.W * 0.85, sc.H * 0.9], fill=255)
    sc.blocked = sc.emptyMask()  # the village grows along the road, right up to it
    sc.city(frame, (50, 80), 8, (176, 144, 104), (196, 170, 128),
            [(205, 190, 165), (190, 110, 80), (225, 215, 195), (170, 90, 60)],
            {"flat": 3, "pitched": 2}, fill=0.75, heights=(3, 6), markings=None, region=region,
            trees=[(110, 120, 60)])
    church = frame.rect(-30 * SCALE, -14 * SCALE, 34 * SCALE, 14 * SCALE)
    sc.addBox(church, (214, 204, 186), 10, "pitched")
    sc.trees(160, (2, 4), [(100, 116, 58), (84, 104, 52)])
    sc.flush()


def refinery(sc):
    sc.ground((70, 70, 66), (96, 94, 86), (120, 116, 104), cell=70)
    rng = sc.rng
    frame = centreFrame(sc, 4)
    for k in range(-6, 7):
        sc.draw.line([frame.point(-900, k * 42 * SCALE), frame.point(900, k * 42 * SCALE)],
                     fill=ASPHALT, width=7 * SCALE)
    for k in range(-3, 4):
        sc.draw.line([frame.point(k * 90 * SCALE, -600), frame.point(k * 90 * SCALE, 600)],
                     fill=ASPHALT, width=7 * SCALE)
    for col in range(-3, 3):
        for row in range(-4, 4):
            u0, v0 = col * 90 * SCALE + 6 * SCALE, row * 42 * SCALE + 6 * SCALE
            kind = rng.random()
            if kind < 0.45:
                for i in range(3):
                    x, y = frame.point(u0 + (14 + i * 26) * SCALE, v0 + 15 * SCALE)
                    sc.addRound(x, y, rng.uniform(9, 13) * SCALE,
                                jitter(rng, rng.choice([(220, 220, 214), (200, 196, 180)]), 6),
                                6, "tank")
            elif kind < 0.75:
                for i in range(7):
                    v = v0 + (4 + i * 4) * SCALE
                    sc.draw.line([frame.point(u0, v), frame.point(u0 + 78 * SCALE, v)],
                                 fill=jitter(rng, (150, 150, 140), 20), width=2 * SCALE)
                sc.addBox(frame.rect(u0 + 60 * SCALE, v0, u0 + 76 * SCALE, v0 + 30 * SCALE),
                          (170, 60, 40), 12, "flat")
            else:
                sc.addBox(frame.rect(u0, v0, u0 + 76 * SCALE, v0 + 28 * SCALE),
                          jitter(rng, (140, 150, 156), 10), 7, "flat")
    sc.flush()
    smoke(sc, 2, (8, 14), (30, 30, 30), 0.5)
    sc.relief(0.15)


def desertStation(sc):
    sc.ground((196, 160, 110), (222, 192, 142), (240, 218, 176), cell=110)
    dunes = sc.noise(70, 4)
    sc.relief(0.9, heights=dunes)
    frame = centreFrame(sc, -20, 0.52, 0.5)
    sc.compound(frame, -170 * SCALE, -90 * SCALE, 170 * SCALE, 90 * SCALE, (200, 186, 160),
                       (110, 100, 90))
    sc.addRound(*frame.point(0, 0), 58 * SCALE, (226, 228, 232), 16, "dome")
    rng = sc.rng
    for u, v, du, dv in [(-160, -80, 60, 40), (-160, 30, 50, 50), (100, -80, 60, 30),
                         (110, 20, 50, 60), (-80, 60, 50, 22)]:
        sc.addBox(frame.rect(u * SCALE, v * SCALE, (u + du) * SCALE, (v + dv) * SCALE),
                  jitter(rng, (190, 190, 186), 8), 6, "flat")
    sc.road([frame.point(170 * SCALE, 0), frame.point(700 * SCALE, 30 * SCALE)], 10, ASPHALT_LIGHT)
    for _ in range(6):
        u, v = rng.uniform(-60, 60) * SCALE, rng.uniform(66, 84) * SCALE
        sc.addBox(frame.rect(u, v, u + 12 * SCALE, v + 6 * SCALE), (200, 190, 150), 2, "plain")
    sc.rocks(40, (2, 5), [(170, 130, 90), (150, 120, 90)])
    sc.flush()


def downtown(sc):
    sc.ground((60, 62, 64), (80, 82, 84), (96, 98, 100), cell=40)
    lake = sc.coastMask("right", 0.16, 0.01)
    sc.water(lake, (44, 72, 96), (80, 112, 130), beach=(170, 170, 160), beachWidth=4)
    sc.city(centreFrame(sc, 0), (70, 96), 14, ASPHALT, (130, 130, 128),
            [(150, 152, 156), (110, 116, 124), (190, 190, 186), (80, 90, 100), (170, 160, 140)],
            {"flat": 1}, fill=0.98, lots=(1, 3), setback=3, heights=(14, 30), cars=CARS,
            parks=0.08, parkColour=(84, 120, 64), trees=GREEN_TREES)
    sc.flush(0.55)


def buildingSite(sc):
    sc.ground((120, 96, 70), (146, 120, 90), (168, 146, 114), cell=50)
    sc.patches((100, 120, 70), 0, 0, cell=50, level=190)
    rng = sc.rng
    frame = centreFrame(sc, 8)
    sc.compound(frame, -240 * SCALE, -120 * SCALE, 240 * SCALE, 120 * SCALE, (150, 128, 100),
                (90, 90, 90))
    for u in range(-220, 200, 70):
        for v in (-100, 10):
            kind = rng.random()
            rect = frame.rect(u * SCALE, v * SCALE, (u + 56) * SCALE, (v + 80) * SCALE)
            if kind < 0.4:
                sc.draw.polygon(rect, fill=CONCRETE, outline=(110, 110, 104))
                for k in range(1, 4):
                    sc.draw.line([frame.point((u + 14 * k) * SCALE, v * SCALE),
                                  frame.point((u + 14 * k) * SCALE, (v + 80) * SCALE)],
                                 fill=(130, 128, 122), width=SCALE)
            elif kind < 0.7:
                sc.addBox(rect, jitter(rng, (176, 170, 160), 8), 10, "flat")
            else:
                sc.draw.polygon(rect, fill=(96, 76, 56))
                sc.draw.polygon(frame.rect((u + 6) * SCALE, (v + 6) * SCALE, (u + 50) * SCALE,
                                           (v + 74) * SCALE), fill=(80, 64, 48))
    for _ in range(3):
        x, y = rng.uniform(0.2, 0.8) * sc.W, rng.uniform(0.2, 0.8) * sc.H
        a = rng.uniform(0, 360)
        jib = Frame(x, y, a)
        arm = jib.rect(-30 * SCALE, -2 * SCALE, 130 * SCALE, 2 * SCALE)
        weight = jib.rect(-30 * SCALE, -6 * SCALE, -14 * SCALE, 6 * SCALE)

        def drawCrane(arm=arm, weight=weight):
            sc.draw.polygon(arm, fill=(236, 190, 30), outline=(120, 90, 10))
            sc.draw.polygon(weight, fill=(90, 90, 90))

        sc.addCustom(arm, 30, drawCrane)
    for _ in range(40):
        x, y = rng.uniform(0, sc.W), rng.uniform(0, sc.H)
        sc.addBox(Frame(x, y, rng.uniform(0, 90)).rect(0, 0, 10 * SCALE, 5 * SCALE),
                  rng.choice([(200, 150, 40), (120, 120, 120), (150, 90, 50)]), 2, "plain")
    sc.flush()


def motorwayJunction(sc):
    sc.ground((70, 100, 50), (96, 124, 64), (128, 146, 82), cell=90)
    fields(sc, centreFrame(sc, 30), (50, 110), [(110, 140, 60), (150, 150, 80), (90, 120, 50),
                                                  (170, 160, 100)])
    sc.trees(200, (2, 5), GREEN_TREES, keepFree=False)
    sc.flush()
    cx, cy = sc.W / 2, sc.H / 2
    r = 80 * SCALE
    lane = 9
    for dx, dy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        ox, oy = cx + dx * r, cy + dy * r
        box = [ox - r * 0.9, oy - r * 0.9, ox + r * 0.9, oy + r * 0.9]
        sc.draw.ellipse(box, outline=(200, 196, 180), width=(lane + 3) * SCALE)
        sc.draw.ellipse(box, outline=ASPHALT, width=lane * SCALE)
    sc.road([(0, cy), (sc.W, cy)], 26, ASPHALT, edge=(200, 196, 180), centre=(240, 240, 240))
    sc.road([(cx, 0), (cx, sc.H)], 26, ASPHALT_LIGHT, edge=(210, 206, 190), centre=(240, 240, 240))
    rng = sc.rng
    for _ in range(50):
        if rng.random() < 0.5:
            x, y, a = rng.uniform(0, sc.W), cy + rng.choice([-7, -3, 3, 7]) * SCALE, 0
        else:
            x, y, a = cx + rng.choice([-7, -3, 3, 7]) * SCALE, rng.uniform(0, sc.H), 90
        sc.addBox(Frame(x, y, a).rect(-4 * SCALE, -1.5 * SCALE, 4 * SCALE, 1.5 * SCALE),
                  rng.choice(CARS), 1, "plain")
    sc.flush()


def abandonedTown(sc):
    sc.ground((58, 80, 46), (80, 100, 58), (104, 118, 72), cell=60)
    sc.city(centreFrame(sc, -15), (90, 120), 12, (96, 98, 92), (86, 102, 62),
            [(150, 150, 146), (130, 132, 130), (170, 168, 160)], {"flat": 5, "ruined": 1},
            fill=0.7, lots=(1, 2), setback=8, heights=(10, 20), markings=None,
            trees=GREEN_TREES)
    sc.flush()
    overgrowth = threshold(sc.noise(30, 4), 150)
    sc.trees(1400, (3, 7), GREEN_TREES + [(90, 110, 50)], area=overgrowth, keepFree=False)
    sc.flush()
    sc.relief(0.2)


def sandMarket(sc):
    sc.ground((190, 160, 120), (210, 182, 140), (226, 204, 166), cell=60)
    roofs = [(214, 192, 156), (200, 170, 130), (226, 210, 180), (190, 150, 110)]
    sc.city(centreFrame(sc, 5), (30, 52), 5, (176, 148, 112), (196, 170, 132), roofs,
            {"flat": 1}, fill=0.95, lots=(2, 5), setback=0.5, heights=(3, 6), markings=None)
    rng = sc.rng
    for _ in range(160):
        x, y = rng.uniform(0.3, 0.75) * sc.W, rng.uniform(0.25, 0.8) * sc.H
        sc.addBox(Frame(x, y, rng.choice([0, 5, 90])).rect(0, 0, 9 * SCALE, 7 * SCALE),
                  rng.choice([(200, 50, 40), (40, 90, 160), (220, 180, 40), (60, 140, 80),
                              (230, 230, 230)]), 2, "plain")
    sc.flush()
    smoke(sc, 2, (8, 12), (60, 50, 40), 0.35)


def boulevards(sc):
    sc.ground((90, 92, 90), (110, 110, 106), (128, 126, 120), cell=50)
    river = sc.riverMask((0.0, 0.3), (1.0, 0.45), 30, 0.04)
    sc.water(river, (60, 80, 86), (90, 108, 110), beach=(170, 166, 150), beachWidth=4, waves=False)
    roofs = [(110, 118, 130), (96, 104, 116), (130, 136, 146), (150, 120, 100)]
    for start, end in (((0.0, 0.9), (1.0, 0.6)), ((0.2, 0.0), (0.7, 1.0))):
        points = [sc.px(*start), sc.px(*end)]
        sc.road(points, 18, ASPHALT, edge=(150, 146, 136))
        for k in range(40):
            t = (k + 0.5) / 40
            for side in (-1, 1):
                (x0, y0), (x1, y1) = points
                length = math.hypot(x1 - x0, y1 - y0)
                nx, ny = -(y1 - y0) / length, (x1 - x0) / length
                x = x0 + (x1 - x0) * t + nx * side * 11 * SCALE
                y = y0 + (y1 - y0) * t + ny * side * 11 * SCALE
                sc.addRound(x, y, 4 * SCALE, jitter(sc.rng, (70, 110, 56), 10))
    sc.city(centreFrame(sc, 20), (42, 60), 7, (90, 90, 88), (120, 118, 110), roofs,
            {"pitched": 3, "flat": 1}, fill=0.95, heights=(6, 10), markings=None,
            courtyards=True, parks=0.06, parkColour=(90, 120, 70), trees=GREEN_TREES)
    sc.flush()
    smoke(sc, 3, (8, 12))


def shoppingCentre(sc):
    sc.ground((90, 96, 80), (110, 116, 96), (130, 134, 112), cell=70)
    rng = sc.rng
    frame = centreFrame(sc, -5)
    lot = frame.rect(-260 * SCALE, -140 * SCALE, 260 * SCALE, 150 * SCALE)
    sc.draw.polygon(lot, fill=(84, 86, 88))
    for row in range(-130, 150, 26):
        for col in range(-250, 250, 8):
            sc.draw.line([frame.point(col * SCALE, row * SCALE),
                          frame.point(col * SCALE, (row + 10) * SCALE)],
                         fill=(200, 200, 196), width=1)
            if rng.random() < 0.55:
                sc.addBox(frame.rect((col + 1.5) * SCALE, (row + 1) * SCALE, (col + 6.5) * SCALE,
                                     (row + 9) * SCALE), rng.choice(CARS), 1, "plain")
    sc.addBox(frame.rect(-150 * SCALE, -60 * SCALE, 160 * SCALE, 40 * SCALE), (196, 198, 200), 14)
    sc.addBox(frame.rect(-30 * SCALE, -90 * SCALE, 40 * SCALE, -60 * SCALE), (150, 170, 190), 16)
    sc.flush()
    for k in (-4, 4):
        v = 170 * SCALE + k * SCALE
        sc.draw.line([frame.point(-900, v), frame.point(900, v)], fill=(80, 70, 60),
                     width=3 * SCALE)
    for u in range(-450, 450, 6):
        sc.draw.line([frame.point(u * SCALE, 162 * SCALE), frame.point(u * SCALE, 178 * SCALE)],
                     fill=(110, 96, 80), width=SCALE)
    for k in (-3, 3):
        v = (170 + k) * SCALE
        sc.draw.line([frame.point(-900, v), frame.point(900, v)], fill=(180, 180, 186), width=SCALE)
    sc.trees(90, (3, 6), GREEN_TREES)
    sc.flush()


def coastalTown(sc):
    sc.ground((180, 160, 120), (204, 186, 146), (222, 208, 172), cell=70)
    sea = sc.coastMask("bottom", 0.34, 0.05)
    sc.water(sea, (28, 96, 130), (80, 170, 180), beach=(232, 214, 168), beachWidth=14)
    sc.city(centreFrame(sc, -6, 0.5, 0.3), (40, 64), 7, (170, 150, 116), (196, 178, 140),
            [(236, 234, 226), (220, 214, 200), (70, 130, 170), (200, 120, 90)], {"flat": 1},
            fill=0.85, lots=(2, 4), heights=(3, 7), markings=None, cars=CARS)
    rng = sc.rng
    for _ in range(26):
        x, y = rng.uniform(0, sc.W), rng.uniform(0.7, 1.0) * sc.H
        if sea.getpixel((int(x), int(min(y, sc.H - 1)))) > 128:
            ship(sc, x, y, rng.uniform(10, 20), 4, rng.uniform(-30, 30),
                 rng.choice([(220, 220, 210), (40, 110, 160), (190, 60, 40)]), (170, 140, 100))
    sc.flush()


def snowRadar(sc):
    sc.ground((196, 206, 220), (222, 230, 240), (246, 248, 252), cell=110)
    heights = sc.noise(90, 5)
    sc.relief(1.0, heights=heights)
    rocks = threshold(heights, 200)
    sc.texture(rocks, (80, 80, 84), (140, 140, 146), 10)
    sc.curvedRoad((0.0, 0.6), (0.7, 0.45), 8, (160, 164, 170), wiggle=0.15)
    frame = centreFrame(sc, 15, 0.68, 0.42)
    sc.compound(frame, -110 * SCALE, -70 * SCALE, 110 * SCALE, 70 * SCALE, (200, 206, 214),
                (70, 74, 80))
    sc.addRound(*frame.point(-50 * SCALE, -20 * SCALE), 34 * SCALE, (236, 238, 240), 12, "dome")
    sc.addRound(*frame.point(55 * SCALE, 30 * SCALE), 22 * SCALE, (236, 238, 240), 9, "dome")
    rng = sc.rng
    for u, v in ((10, -60), (30, -10), (-90, 30), (-30, 36)):
        sc.addBox(frame.rect(u * SCALE, v * SCALE, (u + 34) * SCALE, (v + 18) * SCALE),
                  jitter(rng, (120, 60, 50), 10), 6, "pitched")
    sc.trees(80, (3, 5), [(40, 60, 50), (52, 72, 60)], area=(0, 0, 0.4, 1))
    sc.flush()


def metroStation(sc):
    """A cut-away: the street blocks above, the station hall with two island
    platforms and four tracks in the middle."""
    sc.ground((40, 40, 44), (54, 54, 58), (70, 70, 74), cell=40)
    rng = sc.rng
    top, bottom = sc.H * 0.22, sc.H * 0.78
    above = sc.emptyMask()
    ImageDraw.Draw(above).rectangle([0, 0, sc.W, top], fill=255)
    ImageDraw.Draw(above).rectangle([0, bottom, sc.W, sc.H], fill=255)
    sc.city(centreFrame(sc, 0), (40, 64), 10, ASPHALT, (120, 118, 112), GREY_ROOFS,
            {"flat": 2, "pitched": 1}, fill=0.95, heights=(6, 12), cars=CARS, region=above)
    sc.flush()
    hall = [0, top + 6 * SCALE, sc.W, bottom - 6 * SCALE]
    sc.draw.rectangle([0, top, sc.W, bottom], fill=(24, 24, 26))
    sc.draw.rectangle(hall, fill=(46, 46, 50))
    cy = sc.H / 2
    for v in (-62, -34, 34, 62):
        y = cy + v * SCALE
        for x in range(0, sc.W, 5 * SCALE):
            sc.draw.line([(x, y - 7 * SCALE), (x, y + 7 * SCALE)], fill=(78, 66, 56),
                         width=2 * SCALE)
        for off in (-4, 4):
            sc.draw.line([(0, y + off * SCALE), (sc.W, y + off * SCALE)], fill=(176, 176, 180),
                         width=SCALE)
    platforms = [(-22, 22)]
    for v0, v1 in platforms:
        y0, y1 = cy + v0 * SCALE, cy + v1 * SCALE
        sc.draw.rectangle([sc.W * 0.1, y0, sc.W * 0.9, y1], fill=(156, 152, 144))
        for y in (y0 + 2 * SCALE, y1 - 2 * SCALE):
            sc.draw.line([(sc.W * 0.1, y), (sc.W * 0.9, y)], fill=(230, 200, 40), width=2 * SCALE)
        for k in range(12):
            x = sc.W * (0.13 + k * 0.065)
            sc.addBox([(x, cy - 3 * SCALE), (x + 6 * SCALE, cy - 3 * SCALE),
                       (x + 6 * SCALE, cy + 3 * SCALE), (x, cy + 3 * SCALE)], (110, 108, 104), 2)
        for x in (sc.W * 0.3, sc.W * 0.7):
            stairs = [(x, y0 + 6 * SCALE), (x + 40 * SCALE, y0 + 6 * SCALE),
                      (x + 40 * SCALE, y1 - 6 * SCALE), (x, y1 - 6 * SCALE)]
            sc.draw.polygon(stairs, fill=(120, 118, 112))
            for k in range(0, 40, 3):
                sc.draw.line([(x + k * SCALE, y0 + 6 * SCALE), (x + k * SCALE, y1 - 6 * SCALE)],
                             fill=(90, 88, 84), width=SCALE)
    for v, x0, x1, colour in ((-62, 0.05, 0.62, (196, 170, 40)), (62, 0.35, 1.0, (60, 110, 170))):
        y = cy + v * SCALE
        train = [(sc.W * x0, y - 7 * SCALE), (sc.W * x1, y - 7 * SCALE), (sc.W * x1, y + 7 * SCALE),
                 (sc.W * x0, y + 7 * SCALE)]
        sc.addBox(train, colour, 1, "plain")
        for k in range(8):
            x = sc.W * (x0 + (x1 - x0) * k / 8)

            def joint(x=x, y=y):
                sc.draw.line([(x, y - 7 * SCALE), (x, y + 7 * SCALE)], fill=(40, 40, 40),
                             width=SCALE)

            sc.addCustom([(x, y), (x, y), (x, y)], 0, joint)
    for _ in range(60):
        x, y = rng.uniform(0.12, 0.88) * sc.W, cy + rng.uniform(-18, 18) * SCALE
        sc.addRound(x, y, 1.8 * SCALE, rng.choice(CARS), 1, "tank")
    sc.flush()
    for edge in (0, sc.W):
        shade = sc.emptyMask()
        ImageDraw.Draw(shade).rectangle([edge - 40 * SCALE, top, edge + 40 * SCALE, bottom],
                                        fill=255)
        sc.paint(sc.solid((10, 10, 12)),
                 scaleMask(shade.filter(ImageFilter.GaussianBlur(18 * SCALE)),
                                                   0.9))
    lights = sc.emptyMask()
    d = ImageDraw.Draw(lights)
    for k in range(9):
        x = sc.W * (0.15 + k * 0.09)
        d.ellipse([x - 30 * SCALE, cy - 30 * SCALE, x + 30 * SCALE, cy + 30 * SCALE], fill=255)
    sc.paint(sc.solid((255, 240, 190)),
             scaleMask(lights.filter(ImageFilter.GaussianBlur(20 * SCALE)),
                                                  0.22))


def jungleVillage(sc):
    sc.ground((40, 72, 36), (56, 92, 44), (80, 112, 56), cell=50)
    river = sc.riverMask((0.0, 0.2), (1.0, 0.85), 30, 0.12)
    sc.water(river, (84, 90, 56), (120, 120, 76), beach=(140, 120, 84), beachWidth=4, foam=False)
    clearing = sc.emptyMask()
    ImageDraw.Draw(clearing).ellipse([sc.W * 0.25, sc.H * 0.15, sc.W * 0.7, sc.H * 0.75], fill=255)
    clearing = subtract(clearing.filter(ImageFilter.GaussianBlur(20 * SCALE)), sc.blocked)
    clearing = threshold(clearing, 128)
    sc.texture(clearing, (130, 104, 70), (160, 134, 96), 20)
    rng = sc.rng
    for _ in range(40):
        x, y = rng.uniform(0.27, 0.68) * sc.W, rng.uniform(0.18, 0.72) * sc.H
        if clearing.getpixel((int(x), int(y))) < 128:
            continue
        if rng.random() < 0.5:
            sc.addRound(x, y, rng.uniform(6, 9) * SCALE, (150, 120, 70), 4, "dome")
        else:
            sc.addBox(Frame(x, y, rng.uniform(0, 90)).rect(0, 0, 18 * SCALE, 11 * SCALE),
                      jitter(rng, (140, 104, 60), 10), 4, "pitched")
    sc.block(clearing)
    sc.trees(1600, (4, 9), [(36, 80, 34), (50, 96, 40), (30, 66, 30), (66, 110, 46)])
    sc.flush()


# ----- Dlc maps ----------------------------------------------------------------


def cementWorks(sc):
    sc.ground((140, 138, 130), (164, 160, 150), (186, 182, 172), cell=60)
    rng = sc.rng
    quarry = sc.lakeMask((0.2, 0.7), (0.2, 0.35))
    heights = quarry.filter(ImageFilter.GaussianBlur(30 * SCALE))
    sc.texture(quarry, (176, 170, 156), (210, 206, 196), 16)
    sc.relief(0.6, heights=ImageOps.posterize(heights, 3))
    frame = centreFrame(sc, -10, 0.62, 0.45)
    for k in range(5):
        x, y = frame.point((-60 + k * 30) * SCALE, -60 * SCALE)
        sc.addRound(x, y, 13 * SCALE, (206, 204, 198), 24, "tank")
    sc.addBox(frame.rect(-90 * SCALE, -20 * SCALE, 40 * SCALE, 40 * SCALE), (150, 150, 146), 14)
    sc.addBox(frame.rect(60 * SCALE, -80 * SCALE, 160 * SCALE, 0), (120, 126, 132), 10, "pitched")
    belt = [frame.point(-280 * SCALE, 90 * SCALE), frame.point(-60 * SCALE, 10 * SCALE)]
    sc.addCustom(belt + [belt[1], belt[0]], 8,
                 lambda: sc.draw.line(belt, fill=(70, 70, 70), width=5 * SCALE))
    for _ in range(12):
        x, y = rng.uniform(0.5, 0.95) * sc.W, rng.uniform(0.65, 0.95) * sc.H
        r = rng.uniform(10, 22) * SCALE
        sc.addRound(x, y, r, (190, 186, 176), 5, "dome")
    sc.road([(0, sc.H * 0.12), (sc.W, sc.H * 0.2)], 14, ASPHALT, centre=(220, 220, 200))
    for _ in range(16):
        x = rng.uniform(0, sc.W)
        sc.addBox(Frame(x, sc.H * 0.16, 3).rect(0, -3 * SCALE, 14 * SCALE, 3 * SCALE),
                  rng.choice([(200, 160, 40), (220, 220, 220), (80, 80, 90)]), 2, "plain")
    sc.flush()
    smoke(sc, 2, (6, 12), (200, 200, 196), 0.45)


def hillTownSquare(sc):
    sc.ground((120, 124, 70), (150, 146, 90), (178, 170, 116), cell=90)
    sc.relief(0.7, cell=160)
    town = sc.emptyMask()
    ImageDraw.Draw(town).ellipse([sc.W * 0.1, sc.H * 0.02, sc.W * 0.9, sc.H * 0.98], fill=255)
    square = sc.emptyMask()
    ImageDraw.Draw(square).polygon([sc.px(0.42, 0.36), sc.px(0.6, 0.34), sc.px(0.64, 0.6),
                                    sc.px(0.44, 0.66), sc.px(0.38, 0.5)], fill=255)
    sc.texture(square, (176, 150, 120), (206, 184, 152), 6)
    for k in range(8):
        a, b = sc.px(0.51, 0.5), sc.px(0.51 + 0.14 * math.cos(k * 0.8),
                                       0.5 + 0.17 * math.sin(k * 0.8))
        sc.draw.line([a, b], fill=(220, 206, 184), width=SCALE)
    sc.block(square)
    sc.city(centreFrame(sc, 33), (28, 48), 4, (160, 138, 112), (150, 120, 90), TILE_ROOFS,
            {"pitched": 1}, fill=0.98, lots=(2, 4), setback=0.4, heights=(4, 8), markings=None,
            region=town)
    tower = Frame(*sc.px(0.6, 0.36), 10).rect(-8 * SCALE, -8 * SCALE, 8 * SCALE, 8 * SCALE)
    sc.addBox(tower, (190, 120, 80), 40, "pitched")
    sc.trees(140, (2, 3.5), [(50, 80, 40), (60, 90, 44)], area=(0, 0, 1, 1))
    sc.flush()


def cliffMonastery(sc):
    sc.ground((90, 116, 60), (118, 136, 74), (146, 154, 96), cell=80)
    heights = sc.noise(60, 5)
    cliffs = threshold(heights, 150)
    # Rock pillars: a long shadow on the valley side, a lit rim, weathered tops.
    shadow = subtract(shift(cliffs, 10 * SCALE, 14 * SCALE), cliffs)
    sc.paint(sc.solid((40, 48, 30)), scaleMask(shadow.filter(ImageFilter.GaussianBlur(SCALE)),
                                               0.7))
    sc.texture(cliffs, (104, 96, 88), (196, 186, 170), 10, 4)
    rim = subtract(cliffs, shift(cliffs, 3 * SCALE, 3 * SCALE))
    sc.paint(sc.solid((226, 220, 206)), scaleMask(rim, 0.6))
    sc.relief(0.6, heights=heights)
    sc.block(cliffs)
    rng = sc.rng
    tops = []
    for _ in range(200):
        x, y = rng.uniform(0.1, 0.9) * sc.W, rng.uniform(0.1, 0.9) * sc.H
        if heights.getpixel((int(x), int(y))) > 200:
            tops.append((x, y))
    for x, y in tops[:3]:
        f = Frame(x, y, rng.uniform(0, 90))
        sc.addBox(f.rect(-24 * SCALE, -10 * SCALE, 24 * SCALE, 10 * SCALE), (170, 80, 60), 6,
                  "pitched")
        sc.addBox(f.rect(-24 * SCALE, 10 * SCALE, -8 * SCALE, 30 * SCALE), (180, 90, 66), 6,
                  "pitched")
        sc.addRound(*f.point(14 * SCALE, 18 * SCALE), 7 * SCALE, (200, 110, 80), 8, "dome")
    sc.blocked = sc.emptyMask()
    sc.curvedRoad((0.0, 0.9), (1.0, 0.75), 7, (170, 150, 120), wiggle=0.1)
    sc.trees(700, (2.5, 5), [(50, 82, 40), (70, 100, 48)], area=threshold(heights.point(
        lambda v: 255 - v), 130))
    sc.flush()


def forestCrash(sc):
    sc.ground((40, 60, 38), (56, 78, 48), (76, 96, 60), cell=60)
    sc.relief(0.8, cell=150)
    scar = sc.riverMask((0.05, 0.85), (0.75, 0.3), 34, 0.04)
    burn = scar.filter(ImageFilter.GaussianBlur(10 * SCALE))
    sc.texture(threshold(burn, 60), (40, 34, 28), (100, 84, 62), 8)
    sc.block(dilate(scar, 6 * SCALE))
    rng = sc.rng
    sc.trees(1800, (3, 7), [(32, 60, 40), (40, 72, 46), (28, 52, 36), (60, 86, 52)])
    for k in range(16):
        t = k / 16
        x = (0.1 + 0.65 * t) * sc.W + rng.uniform(-10, 10) * SCALE
        y = (0.82 - 0.5 * t) * sc.H + rng.uniform(-10, 10) * SCALE
        size = rng.uniform(4, 14) * SCALE
        sc.addBox(Frame(x, y, rng.uniform(0, 180)).rect(-size, -size / 3, size, size / 3),
                  jitter(rng, (190, 192, 196), 20), 2, "plain")
    fuselage = Frame(*sc.px(0.76, 0.3), -35)
    body = fuselage.rect(-50 * SCALE, -7 * SCALE, 40 * SCALE, 7 * SCALE)
    wing = fuselage.rect(-10 * SCALE, -45 * SCALE, 6 * SCALE, -7 * SCALE)
    sc.addBox(body, (214, 216, 220), 5, "plain")
    sc.addBox(wing, (200, 202, 206), 3, "plain")
    sc.flush()
    smoke(sc, 2, (8, 14), (30, 30, 30), 0.4)


def skyscraperRoof(sc):
    sc.ground((30, 32, 36), (46, 48, 52), (60, 62, 66), cell=30)
    sc.city(centreFrame(sc, 0), (40, 60), 8, (36, 36, 40), (56, 56, 60),
            [(70, 72, 76), (60, 64, 70), (86, 86, 90)], {"flat": 1}, fill=1.0, heights=(8, 14),
            markings=None, cars=CARS)
    sc.flush(0.6)
    frame = centreFrame(sc, 0)
    roof = frame.rect(-230 * SCALE, -130 * SCALE, 230 * SCALE, 130 * SCALE)
    shadow = [(x + 40 * SCALE, y + 50 * SCALE) for x, y in roof]
    sc.draw.polygon(shadow, fill=(14, 14, 16))
    sc.texture(sc.compound(frame, -230 * SCALE, -130 * SCALE, 230 * SCALE, 130 * SCALE,
                           (140, 138, 132), (70, 70, 70)), (128, 126, 120), (170, 168, 160), 3)
    sc.draw.line(roof + roof[:1], fill=(200, 200, 196), width=4 * SCALE)
    hx, hy = frame.point(90 * SCALE, 0)
    r = 70 * SCALE
    sc.draw.ellipse([hx - r, hy - r, hx + r, hy + r], fill=(70, 72, 74), outline=(240, 200, 40),
                    width=3 * SCALE)
    font_w = 8 * SCALE
    sc.draw.rectangle([hx - 26 * SCALE, hy - 34 * SCALE, hx - 26 * SCALE + font_w, hy + 34 * SCALE],
                      fill=(240, 240, 236))
    sc.draw.rectangle([hx + 18 * SCALE, hy - 34 * SCALE, hx + 18 * SCALE + font_w, hy + 34 * SCALE],
                      fill=(240, 240, 236))
    sc.draw.rectangle([hx - 26 * SCALE, hy - 4 * SCALE, hx + 26 * SCALE, hy + 4 * SCALE],
                      fill=(240, 240, 236))
    rng = sc.rng
    for u, v, du, dv in ((-210, -110, 60, 40), (-210, 20, 80, 50), (-120, -60, 30, 30),
                         (-130, 60, 40, 40), (-60, -110, 40, 26)):
        sc.addBox(frame.rect(u * SCALE, v * SCALE, (u + du) * SCALE, (v + dv) * SCALE),
                  jitter(rng, (180, 180, 176), 8), 6, "flat")
    for k in range(6):
        x, y = frame.point((-50 + (k % 3) * 18) * SCALE, (20 + (k // 3) * 18) * SCALE)
        sc.addRound(x, y, 7 * SCALE, (150, 154, 160), 4, "tank")
    sc.flush()


def cityPark(sc):
    sc.ground((70, 110, 50), (90, 130, 62), (112, 150, 76), cell=60)
    park = sc.emptyMask()
    ImageDraw.Draw(park).rectangle([sc.W * 0.2, sc.H * 0.12, sc.W * 0.8, sc.H * 0.88], fill=255)
    pond = sc.lakeMask((0.58, 0.45), (0.1, 0.14))
    sc.water(pond, (50, 90, 90), (90, 130, 110), beach=(160, 150, 120), beachWidth=3, waves=False)
    sc.block(park)
    sc.city(centreFrame(sc, 0), (60, 80), 12, ASPHALT, (150, 146, 136), GREY_ROOFS + TILE_ROOFS,
            {"flat": 2, "pitched": 1}, fill=0.9, heights=(8, 16), cars=CARS)
    sc.blocked = sc.emptyMask()
    sc.block(pond)
    for k in range(3):
        sc.curvedRoad((0.2, 0.2 + k * 0.3), (0.8, 0.8 - k * 0.25), 4, (200, 190, 160), wiggle=0.1)
    sc.blocked = sc.emptyMask()
    sc.block(dilate(pond, 2 * SCALE))
    sc.trees(520, (4, 8), GREEN_TREES + [(90, 130, 60)], area=park)
    sc.flush()


def oasis(sc):
    sc.ground((200, 164, 110), (222, 190, 136), (238, 212, 164), cell=120)
    sc.relief(0.9, heights=sc.noise(60, 4))
    pond = sc.lakeMask((0.45, 0.5), (0.14, 0.2))
    green = subtract(dilate(pond, 40 * SCALE), pond)
    sc.texture(green, (80, 110, 50), (130, 150, 80), 10)
    sc.water(pond, (30, 90, 100), (70, 150, 140), beach=(210, 190, 140), beachWidth=3)
    sc.trees(360, (4, 7), [(60, 100, 40), (80, 120, 50)], area=green, keepFree=False)
    rng = sc.rng
    frame = centreFrame(sc, 12, 0.78, 0.5)
    for _ in range(26):
        u, v = rng.uniform(-80, 80) * SCALE, rng.uniform(-120, 120) * SCALE
        x, y = frame.point(u, v)
        sc.addBox(Frame(x, y, 12).rect(0, 0, rng.uniform(14, 26) * SCALE,
                                       rng.uniform(12, 22) * SCALE),
                  jitter(rng, (196, 160, 116), 10), 4, "flat")
    sc.curvedRoad((0.0, 0.85), (0.75, 0.55), 6, (206, 180, 140), wiggle=0.05)
    sc.flush()


def beachBoardwalk(sc):
    sc.ground((200, 184, 150), (222, 206, 170), (238, 226, 196), cell=60)
    sea = sc.coastMask("right", 0.36, 0.03)
    sc.water(sea, (30, 100, 150), (90, 180, 190), beach=(236, 220, 176), beachWidth=30)
    x0 = sc.W * 0.55
    town = sc.emptyMask()
    ImageDraw.Draw(town).rectangle([0, 0, x0 - 40 * SCALE, sc.H], fill=255)
    sc.draw.rectangle([x0 - 22 * SCALE, 0, x0, sc.H], fill=(150, 110, 70))
    for y in range(0, sc.H, 3 * SCALE):
        sc.draw.line([(x0 - 22 * SCALE, y), (x0, y)], fill=(120, 86, 56), width=1)
    pier = [(x0, sc.H * 0.45), (sc.W, sc.H * 0.45)]
    sc.addCustom([(x0, sc.H * 0.42), (sc.W, sc.H * 0.42), (sc.W, sc.H * 0.48), (x0, sc.H * 0.48)],
                 4,
                 lambda: sc.draw.line(pier, fill=(140, 100, 64), width=16 * SCALE))
    sc.city(centreFrame(sc, 0, 0.2, 0.5), (40, 60), 8, ASPHALT_LIGHT, (190, 180, 160),
            [(230, 120, 110), (120, 190, 200), (240, 230, 200), (250, 200, 90)],
            {"flat": 2, "pitched": 1}, fill=0.9, heights=(3, 7), cars=CARS, region=town)
    wx, wy = sc.px(0.46, 0.22)
    r = 26 * SCALE
    sc.draw.rectangle([wx - r - 6 * SCALE, wy - 10 * SCALE, wx + r + 6 * SCALE, wy + 10 * SCALE],
                      fill=(170, 160, 140))
    sc.addCustom([(wx - r, wy - 2), (wx + r, wy - 2), (wx + r, wy + 2), (wx - r, wy + 2)], 16,
                 lambda: sc.draw.rectangle([wx - r, wy - 2.5 * SCALE, wx + r, wy + 2.5 * SCALE],
                                           fill=(220, 60, 50), outline=(120, 30, 20)))
    rng = sc.rng
    for _ in range(120):
        x, y = rng.uniform(0.58, 0.7) * sc.W, rng.uniform(0, sc.H)
        c = rng.choice([(230, 60, 60), (60, 120, 220), (250, 220, 60), (250, 250, 250)])
        sc.draw.ellipse([x - 3 * SCALE, y - 3 * SCALE, x + 3 * SCALE, y + 3 * SCALE], fill=c)
    sc.flush()


def canyon(sc):
    sc.ground((150, 70, 40), (184, 100, 60), (210, 140, 90), cell=100)
    path = sc.pathPoints((0.0, 0.35), (1.0, 0.62), 0.22)
    valley = sc.pathMask(path, 150).filter(ImageFilter.GaussianBlur(26 * SCALE))
    # Height: high plateau cut by the valley, in terraces like layered sandstone.
    height = Image.blend(sc.noise(60, 5), valley.point(lambda v: 255 - v), 0.7)
    strata = ImageOps.posterize(ImageOps.autocontrast(height), 3)
    bands = ImageOps.colorize(strata, (110, 48, 30), (222, 160, 110), (186, 96, 56))
    sc.image = Image.blend(sc.image, bands, 0.7)
    sc.draw = ImageDraw.Draw(sc.image)
    sc.relief(1.0, heights=strata)
    floor = threshold(valley, 200)
    sc.texture(floor, (170, 130, 90), (200, 164, 120), 10)
    river = sc.pathMask(path, 16)
    sc.water(river, (60, 90, 70), (100, 124, 96), foam=False, waves=False)
    sc.block(dilate(river, 4 * SCALE))
    sc.trees(80, (2, 4), [(90, 110, 60), (110, 120, 70)], area=floor)
    sc.rocks(120, (2, 6), [(160, 80, 50), (130, 64, 40)])
    rng = sc.rng
    for _ in range(5):
        x, y = rng.uniform(0.6, 0.9) * sc.W, rng.uniform(0.1, 0.3) * sc.H
        sc.addBox(Frame(x, y, rng.uniform(0, 30)).rect(0, 0, 26 * SCALE, 9 * SCALE),
                  (210, 210, 206), 3, "flat")
    sc.flush()


def floodedQuarter(sc):
    sc.ground((90, 100, 70), (110, 118, 84), (130, 134, 100), cell=60)
    frame = centreFrame(sc, 40)
    flood = threshold(sc.noise(60, 4), 110).filter(ImageFilter.GaussianBlur(2 * SCALE))
    sc.city(frame, (50, 70), 9, (92, 92, 88), (100, 112, 76),
            [(150, 150, 156), (120, 90, 80), (190, 190, 186), (90, 110, 130)],
            {"pitched": 3, "flat": 1}, fill=0.8, lots=(3, 5), heights=(4, 7), markings=None,
            trees=GREEN_TREES)
    # Streets and yards go under water; houses and trees stand in it.
    sc.water(flood, (60, 78, 78), (118, 128, 112), foam=False)
    sc.blocked = sc.emptyMask()
    sc.trees(300, (3, 7), GREEN_TREES + [(80, 110, 60)])
    rng = sc.rng
    for _ in range(14):
        x, y = rng.uniform(0, sc.W), rng.uniform(0, sc.H)
        sc.addBox(Frame(x, y, rng.uniform(0, 180)).rect(0, 0, 12 * SCALE, 5 * SCALE),
                  rng.choice([(240, 240, 240), (200, 60, 40)]), 1, "plain")
    sc.flush()


def oilPlatform(sc):
    sea = sc.solid((0, 0, 0)).convert("L").point(lambda v: 255)
    sc.water(sea, (18, 50, 84), (40, 96, 130), foam=False)
    frame = centreFrame(sc, 6, 0.45, 0.5)
    deck = frame.rect(-120 * SCALE, -100 * SCALE, 120 * SCALE, 100 * SCALE)

    def drawDeck():
        sc.draw.polygon(deck, fill=(120, 122, 120), outline=(40, 40, 40))
        for k in range(-100, 101, 20):
            sc.draw.line([frame.point(-120 * SCALE, k * SCALE),
                          frame.point(120 * SCALE, k * SCALE)],
                         fill=(100, 100, 98), width=SCALE)
            sc.draw.line([frame.point(k * 1.2 * SCALE, -100 * SCALE),
                          frame.point(k * 1.2 * SCALE, 100 * SCALE)],
                         fill=(100, 100, 98), width=SCALE)

    sc.addCustom(deck, 20, drawDeck)
    sc.flush()
    hx, hy = frame.point(70 * SCALE, 55 * SCALE)
    r = 40 * SCALE
    sc.addCustom([(hx - r, hy - r), (hx + r, hy - r), (hx + r, hy + r), (hx - r, hy + r)], 6,
                 lambda: sc.draw.regular_polygon((hx, hy, r), 8, fill=(60, 90, 60),
                                                 outline=(240, 240, 240)))
    derrick = frame.rect(-90 * SCALE, -80 * SCALE, -40 * SCALE, -30 * SCALE)

    def drawDerrick():
        sc.draw.polygon(derrick, outline=(220, 60, 40), width=3 * SCALE)
        sc.draw.line([derrick[0], derrick[2]], fill=(220, 60, 40), width=2 * SCALE)
        sc.draw.line([derrick[1], derrick[3]], fill=(220, 60, 40), width=2 * SCALE)

    sc.addCustom(derrick, 40, drawDerrick)
    rng = sc.rng
    for u, v, du, dv in ((-110, 10, 70, 80), (0, -90, 100, 50), (-20, 10, 40, 30)):
        sc.addBox(frame.rect(u * SCALE, v * SCALE, (u + du) * SCALE, (v + dv) * SCALE),
                  jitter(rng, (210, 200, 90), 20), 8, "flat")
    ship(sc, sc.W * 0.85, sc.H * 0.75, 90, 22, -20, (200, 90, 40), (170, 170, 160))
    ship(sc, sc.W * 0.12, sc.H * 0.2, 50, 12, 70, (230, 230, 226), (140, 140, 136))
    sc.flush()
    flare = sc.emptyMask()
    fx, fy = frame.point(150 * SCALE, -110 * SCALE)
    ImageDraw.Draw(flare).ellipse([fx - 20 * SCALE, fy - 20 * SCALE, fx + 20 * SCALE,
                                   fy + 20 * SCALE], fill=255)
    sc.paint(sc.solid((255, 170, 40)), flare.filter(ImageFilter.GaussianBlur(8 * SCALE)))


def shipBreakingBeach(sc):
    sc.ground((110, 96, 80), (136, 120, 100), (160, 146, 124), cell=60)
    sea = sc.coastMask("top", 0.3, 0.02)
    sc.water(sea, (90, 100, 90), (130, 130, 110), beach=(120, 104, 84), beachWidth=40)
    rng = sc.rng
    for k in range(5):
        x = sc.W * (0.1 + k * 0.2) + rng.uniform(-10, 10) * SCALE
        ship(sc, x, sc.H * 0.4, rng.uniform(120, 170), rng.uniform(22, 30), 90 + rng.uniform(-8, 8),
             jitter(rng, (110, 60, 40), 20), jitter(rng, (150, 110, 80), 20), rust=3)
    for _ in range(80):
        x, y = rng.uniform(0, sc.W), rng.uniform(0.6, 1.0) * sc.H
        sc.addBox(Frame(x, y, rng.uniform(0, 180)).rect(0, 0, rng.uniform(4, 16) * SCALE,
                                                        rng.uniform(3, 8) * SCALE),
                  jitter(rng, (120, 80, 60), 30), 2, "plain")
    sc.road([(0, sc.H * 0.88), (sc.W, sc.H * 0.9)], 10, (120, 104, 84))
    sc.flush()
    smoke(sc, 3, (6, 10), (40, 36, 34), 0.35)


def airport(sc):
    sc.ground((100, 120, 70), (120, 136, 84), (140, 150, 100), cell=80)
    frame = centreFrame(sc, -12)
    runway = frame.rect(-700, -70 * SCALE, 700, -30 * SCALE)
    sc.draw.polygon(runway, fill=(62, 64, 66))
    sc.dashes([frame.point(-700, -50 * SCALE), frame.point(700, -50 * SCALE)], (240, 240, 240),
              dash=16, gap=12)
    for k in range(8):
        v = (-66 + k * 4.5) * SCALE
        sc.draw.line([frame.point(-260 * SCALE, v), frame.point(-240 * SCALE, v)],
                     fill=(240, 240, 240), width=2 * SCALE)
    sc.draw.polygon(frame.rect(-700, -10 * SCALE, 700, 2 * SCALE), fill=(76, 78, 80))
    sc.draw.line([frame.point(-700, -4 * SCALE), frame.point(700, -4 * SCALE)], fill=(230, 200, 40),
                 width=SCALE)
    apron = frame.rect(-220 * SCALE, 10 * SCALE, 240 * SCALE, 110 * SCALE)
    sc.draw.polygon(apron, fill=(150, 150, 146))
    sc.addBox(frame.rect(-200 * SCALE, 80 * SCALE, 220 * SCALE, 130 * SCALE), (200, 204, 210), 12)
    rng = sc.rng
    for k in range(5):
        x, y = frame.point((-170 + k * 85) * SCALE, 48 * SCALE)
        plane(sc, x, y, rng.uniform(26, 34), -12 - 90,
              rng.choice([(236, 236, 240), (220, 226, 236)]))
    x, y = frame.point(-60 * SCALE, -50 * SCALE)
    plane(sc, x, y, 40, -12)
    for _ in range(20):
        x, y = frame.point(rng.uniform(-200, 220) * SCALE, rng.uniform(14, 70) * SCALE)
        sc.addBox(Frame(x, y, -12).rect(0, 0, 8 * SCALE, 4 * SCALE),
                  rng.choice([(240, 200, 40), (240, 240, 240), (220, 110, 40)]), 1, "plain")
    sc.flush()


# ----- Face-off maps -------------------------------------------------------------


def rockyCoastWreck(sc):
    sc.ground((80, 100, 60), (104, 122, 74), (128, 140, 92), cell=70)
    sea = sc.coastMask("left", 0.45, 0.08)
    rocks = subtract(dilate(sea, 24 * SCALE), sea)
    sc.texture(rocks, (70, 70, 72), (140, 138, 132), 8, 4)
    sc.water(sea, (30, 60, 80), (70, 110, 120), foam=True)
    sc.relief(0.7, cell=60)
    sc.rocks(90, (4, 12), [(90, 90, 92), (120, 118, 112)], area=(0, 0, 0.5, 1), keepFree=False)
    ship(sc, sc.W * 0.3, sc.H * 0.55, 150, 30, 62, (60, 70, 80), (110, 100, 90), rust=4)
    sc.curvedRoad((0.75, 0.0), (0.95, 1.0), 6, (150, 130, 100))
    sc.addBox(Frame(*sc.px(0.8, 0.3), 20).rect(0, 0, 36 * SCALE, 20 * SCALE), (110, 110, 116), 5,
              "pitched")
    sc.flush()


def ancientRuins(sc):
    """A colonnaded court of worn stone slabs with a temple base, fallen column
    drums and broken walls around it, half taken back by grass."""
    sc.ground((150, 140, 100), (176, 164, 124), (200, 188, 150), cell=60)
    sc.patches((110, 130, 70), 0, 0, cell=30, level=150)
    frame = centreFrame(sc, 8)
    rng = sc.rng
    court = sc.compound(frame, -160 * SCALE, -100 * SCALE, 160 * SCALE, 100 * SCALE,
                        (206, 196, 170), (170, 160, 136))
    sc.texture(court, (186, 176, 150), (222, 214, 192), 5, 3)
    for u in range(-160, 161, 16):
        sc.draw.line([frame.point(u * SCALE, -100 * SCALE), frame.point(u * SCALE, 100 * SCALE)],
                     fill=(170, 160, 136), width=SCALE)
    for v in range(-100, 101, 12):
        sc.draw.line([frame.point(-160 * SCALE, v * SCALE), frame.point(160 * SCALE, v * SCALE)],
                     fill=(170, 160, 136), width=SCALE)
    worn = ImageChops.multiply(court, threshold(sc.noise(16, 3), 170))
    sc.texture(worn, (120, 130, 80), (160, 160, 104), 6)
    sc.block(court)
    sc.addBox(frame.rect(-40 * SCALE, -40 * SCALE, 60 * SCALE, 36 * SCALE), (214, 204, 178), 8,
              "flat")
    for k in range(-150, 160, 20):
        for v in (-90, 90):
            if rng.random() < 0.8:
                sc.addRound(*frame.point(k * SCALE, v * SCALE), 5 * SCALE, (226, 220, 204), 14,
                            "tank")
            else:
                drum = Frame(*frame.point(k * SCALE, v * SCALE), rng.uniform(0, 180))
                sc.addBox(drum.rect(0, -4 * SCALE, 22 * SCALE, 4 * SCALE), (214, 206, 186), 3,
                          "plain")
    for u0, v0, u1, v1 in ((-240, -150, -170, 150), (170, -150, 240, 150),
                           (-240, -150, 240, -120), (-240, 120, 240, 150)):
        for _ in range(6):
            a = rng.uniform(u0, u1 - 20)
            b = rng.uniform(v0, v1 - 10)
            sc.addBox(frame.rect(a * SCALE, b * SCALE, (a + rng.uniform(8, 30)) * SCALE,
                                 (b + rng.uniform(6, 20)) * SCALE),
                      jitter(rng, (190, 176, 140), 12), 5, "ruined")
    sc.rocks(80, (2, 5), [(200, 190, 160), (170, 160, 130)])
    sc.trees(90, (4, 7), [(60, 90, 40), (74, 100, 46)])
    sc.flush()
    sc.relief(0.3)


def hillsideVilla(sc):
    sc.ground((120, 130, 70), (150, 150, 88), (176, 168, 110), cell=100)
    heights = sc.noise(120, 5)
    terraces = ImageOps.posterize(heights, 3)
    sc.relief(1.0, heights=terraces)
    frame = centreFrame(sc, -18, 0.55, 0.45)
    sc.compound(frame, -120 * SCALE, -80 * SCALE, 120 * SCALE, 80 * SCALE, (110, 150, 70),
                (200, 190, 170))
    pool = frame.rect(20 * SCALE, 10 * SCALE, 90 * SCALE, 40 * SCALE)
    sc.draw.polygon(pool, fill=(60, 170, 200), outline=(240, 240, 236))
    sc.addBox(frame.rect(-100 * SCALE, -60 * SCALE, 10 * SCALE, 0), (200, 110, 80), 8, "pitched")
    sc.addBox(frame.rect(-100 * SCALE, 0, -50 * SCALE, 60 * SCALE), (206, 118, 86), 7, "pitched")
    sc.road([frame.point(120 * SCALE, -60 * SCALE), frame.point(400 * SCALE, -200 * SCALE)], 7,
            (190, 176, 150))
    rng = sc.rng
    for row in range(-10, 10):
        for col in range(-14, 14):
            x, y = Frame(sc.W * 0.5, sc.H * 0.5, 30).point(col * 14 * SCALE, row * 12 * SCALE)
            if 0 <= x < sc.W and 0 <= y < sc.H and sc.isFree(x, y) and rng.random() < 0.6:
                if heights.getpixel((int(x), int(y))) < 110:
                    sc.addRound(x, y, 3 * SCALE, jitter(rng, (90, 110, 60), 10), 2)
    sc.trees(120, (3, 6), [(50, 90, 40), (40, 70, 36)], area=(0, 0, 1, 1))
    sc.flush()


def mountainPost(sc):
    sc.ground((110, 100, 80), (140, 128, 104), (170, 160, 134), cell=60)
    heights = sc.noise(70, 6)
    sc.relief(1.0, heights=heights)
    forest = threshold(heights.point(lambda v: 255 - v), 120)
    sc.trees(900, (3, 5), [(40, 70, 44), (50, 80, 50)], area=forest)
    frame = centreFrame(sc, 20, 0.5, 0.42)
    ring = frame.rect(-70 * SCALE, -50 * SCALE, 70 * SCALE, 50 * SCALE)
    sc.addCustom(ring, 3, lambda: sc.draw.line(ring + ring[:1], fill=(180, 170, 130),
                                                 width=6 * SCALE))
    for u, v in ((-50, -30), (10, -30), (-50, 10)):
        sc.addBox(frame.rect(u * SCALE, v * SCALE, (u + 40) * SCALE, (v + 22) * SCALE),
                  (120, 110, 84), 4, "flat")
    sc.addBox(frame.rect(20 * SCALE, 10 * SCALE, 50 * SCALE, 40 * SCALE), (100, 110, 80), 12,
              "flat")
    sc.curvedRoad((0.5, 0.55), (0.3, 1.0), 5, (176, 160, 126), wiggle=0.2)
    sc.flush()


def crossroads(sc):
    sc.ground((70, 72, 74), (86, 88, 90), (100, 102, 104), cell=30)
    cx, cy = sc.W / 2, sc.H / 2
    half = 40 * SCALE
    sc.draw.rectangle([0, cy - half, sc.W, cy + half], fill=(64, 66, 68))
    sc.draw.rectangle([cx - half, 0, cx + half, sc.H], fill=(64, 66, 68))
    for k in range(-36, 37, 8):
        sc.draw.rectangle([cx - half - 26 * SCALE, cy + k * SCALE, cx - half - 6 * SCALE,
                           cy + (k + 4) * SCALE], fill=(236, 236, 232))
        sc.draw.rectangle([cx + half + 6 * SCALE, cy + k * SCALE, cx + half + 26 * SCALE,
                           cy + (k + 4) * SCALE], fill=(236, 236, 232))
        sc.draw.rectangle([cx + k * SCALE, cy - half - 26 * SCALE, cx + (k + 4) * SCALE,
                           cy - half - 6 * SCALE], fill=(236, 236, 232))
        sc.draw.rectangle([cx + k * SCALE, cy + half + 6 * SCALE, cx + (k + 4) * SCALE,
                           cy + half + 26 * SCALE], fill=(236, 236, 232))
    sc.dashes([(0, cy), (cx - half - 30 * SCALE, cy)], (240, 200, 40), dashed=False)
    sc.dashes([(cx + half + 30 * SCALE, cy), (sc.W, cy)], (240, 200, 40), dashed=False)
    sc.dashes([(cx, 0), (cx, cy - half - 30 * SCALE)], (240, 200, 40), dashed=False)
    sc.dashes([(cx, cy + half + 30 * SCALE), (cx, sc.H)], (240, 200, 40), dashed=False)
    rng = sc.rng
    roofs = [(150, 156, 164), (120, 130, 140), (180, 180, 176), (90, 100, 110), (160, 80, 70)]
    for qx, qy in ((-1, -1), (1, -1), (-1, 1), (1, 1)):
        x0 = cx + qx * (half + 34 * SCALE)
        y0 = cy + qy * (half + 34 * SCALE)
        x1, y1 = (0 if qx < 0 else sc.W), (0 if qy < 0 else sc.H)
        sc.draw.rectangle([min(x0, x1), min(y0, y1), max(x0, x1), max(y0, y1)],
                          fill=(150, 148, 142))
        for _ in range(6):
            w, h = rng.uniform(40, 90) * SCALE, rng.uniform(30, 60) * SCALE
            bx = rng.uniform(min(x0, x1), max(x0, x1) - w)
            by = rng.uniform(min(y0, y1), max(y0, y1) - h)
            sc.addBox([(bx, by), (bx + w, by), (bx + w, by + h), (bx, by + h)],
                      jitter(rng, rng.choice(roofs), 10), rng.uniform(8, 24), "flat")
    for _ in range(40):
        if rng.random() < 0.5:
            x, y, a = rng.uniform(0, sc.W), cy + rng.choice([-28, -12, 12, 28]) * SCALE, 0
        else:
            x, y, a = cx + rng.choice([-28, -12, 12, 28]) * SCALE, rng.uniform(0, sc.H), 90
        if abs(x - cx) < half + 30 * SCALE and abs(y - cy) < half + 30 * SCALE:
            continue
        sc.addBox(Frame(x, y, a).rect(-5 * SCALE, -2.2 * SCALE, 5 * SCALE, 2.2 * SCALE),
                  rng.choice(CARS), 1, "plain")
    sc.flush(0.55)


def burntQuarter(sc):
    sc.ground((40, 36, 34), (64, 58, 52), (90, 82, 72), cell=50)
    sc.city(centreFrame(sc, -25), (50, 80), 10, (50, 50, 52), (70, 62, 54),
            [(80, 70, 62), (60, 54, 50), (100, 86, 70)], {"ruined": 3, "flat": 1}, fill=0.85,
            heights=(5, 10), markings=(150, 140, 110))
    rng = sc.rng
    for _ in range(14):
        x, y = rng.uniform(0, sc.W), rng.uniform(0, sc.H)
        sc.addBox(Frame(x, y, rng.uniform(0, 180)).rect(0, 0, 11 * SCALE, 5 * SCALE),
                  (40, 36, 34), 1, "plain")
    sc.flush()
    embers = threshold(sc.noise(12, 3), 215)
    sc.paint(sc.solid((230, 110, 30)), scaleMask(embers.filter(ImageFilter.GaussianBlur(2 * SCALE)),
                                                 0.8))
    smoke(sc, 5, (10, 18), (24, 22, 22), 0.6)


def prairieFarms(sc):
    sc.ground((150, 150, 90), (176, 170, 110), (196, 190, 140), cell=90)
    frame = centreFrame(sc, 0)
    fields(sc, frame, (70, 130), [(180, 160, 80), (130, 150, 70), (200, 180, 110), (110, 130, 60),
                                  (150, 120, 80)])
    sc.road([(0, sc.H * 0.35), (sc.W, sc.H * 0.35)], 8, (170, 150, 110))
    sc.road([(sc.W * 0.62, 0), (sc.W * 0.62, sc.H)], 8, (170, 150, 110))
    yard = Frame(*sc.px(0.7, 0.46), 0)
    sc.draw.rectangle([*yard.point(-20 * SCALE, -20 * SCALE), *yard.point(90 * SCALE, 60 * SCALE)],
                      fill=(130, 120, 90))
    sc.addBox(yard.rect(0, 0, 40 * SCALE, 26 * SCALE), (200, 200, 196), 6, "pitched")
    sc.addBox(yard.rect(50 * SCALE, 0, 86 * SCALE, 50 * SCALE), (160, 50, 40), 9, "pitched")
    sc.addRound(*yard.point(20 * SCALE, 45 * SCALE), 9 * SCALE, (190, 194, 198), 14, "tank")
    track = sc.riverMask((0.05, 0.9), (0.5, 0.1), 26, 0.1)
    sc.texture(track, (110, 96, 70), (150, 130, 96), 6)
    sc.block(track)
    rng = sc.rng
    for _ in range(60):
        x, y = rng.uniform(0, sc.W), rng.uniform(0, sc.H)
        if track.getpixel((int(x), int(y))) > 128:
            sc.addBox(Frame(x, y, rng.uniform(0, 180)).rect(0, 0, rng.uniform(4, 10) * SCALE,
                                                            rng.uniform(2, 5) * SCALE),
                      jitter(rng, (150, 120, 90), 30), 1, "plain")
    sc.trees(60, (4, 7), GREEN_TREES, area=(0.6, 0.3, 1.0, 0.8))
    sc.flush()
