#!/usr/bin/python3
"""Checks the committed resources: the exact bytes of the map texts, what the map
display makes of them, the preview pictures' format and size, the artwork, and that
the map text generator reproduces the committed texts.

Run:  /usr/bin/python3 -m unittest discover -s tools -p 'test_*.py'
"""

import pathlib
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

ROOT = pathlib.Path(__file__).resolve().parent.parent
TEXT = ROOT / "resources" / "text"
MAPS = ROOT / "resources" / "maps"
ART = ROOT / "resources" / "art"
PYTHON = "/usr/bin/python3"

# The catalogue as the program expects it: position -> "id - Name".
CATALOGUE = {
    2: "mp_alpha - Lockdown", 3: "mp_bootleg - Bootleg", 4: "mp_bravo - Mission",
    5: "mp_carbon - Carbon", 6: "mp_dome - Dome", 7: "mp_exchange - Downturn",
    8: "mp_hardhat - Hardhat", 9: "mp_interchange - Interchange", 10: "mp_lambeth - Fallen",
    11: "mp_mogadishu - Bakaara", 12: "mp_paris - Resistance", 13: "mp_plaza2 - Arcaden",
    14: "mp_seatown - Seatown", 15: "mp_radar - Outpost", 16: "mp_underground - Underground",
    17: "mp_village - Village", 21: "mp_cement - Foundation", 22: "mp_italy - Piazza",
    23: "mp_meteora - Sanctuary", 24: "mp_morningwood - Black_Box", 25: "mp_overwatch - Overwatch",
    26: "mp_park - Liberation", 27: "mp_qadeem - Oasis", 28: "mp_boardwalk - Boardwalk",
    29: "mp_moab - Gulch", 30: "mp_nola - Parish", 31: "mp_roughneck - Off_shore",
    32: "mp_shipbreaker - Decommission", 33: "mp_terminal_cls - Terminal",
    37: "mp_aground_ss - Aground", 38: "mp_courtyard_ss - Erosion",
    39: "mp_hillside_ss - Getaway", 40: "mp_restrepo_ss - Lookout",
    41: "mp_crosswalk_ss - Intersection", 42: "mp_burn_ss - U_turn", 43: "mp_six_ss - Vortex",
}
BLANK_POSITIONS = (1, 18, 20, 34, 36)

# Hand-built Windows-1251 bytes.
HEADER_STANDARD = (b"===\xd1\xf2\xe0\xed\xe4\xe0\xf0\xf2\xed\xfb\xe5 "
                   b"\xea\xe0\xf0\xf2\xfb====")  # ===Стандартные карты====
INFA_ALPHA = (b"mp_alpha - Lockdown: \xd0\xe0\xe7\xf0\xf3\xf8\xe5\xed\xed\xe0\xff "
              b"\xcf\xf0\xe0\xe3\xe0, \xd7\xe5\xf5\xe8\xff\r\n")
INFA_SEATOWN = (b"mp_seatown - Seatown: \xc3\xee\xf0\xee\xe4 \xc1\xee\xf1\xe0\xf1\xee, "
                b"\xd1\xee\xec\xe0\xeb\xe8" + b" " * 10 + b"\r\n")
INFA_LAMBETH = (b"mp_lambeth - Fallen: \xc7\xe0\xe1\xf0\xee\xf8\xe5\xed\xed\xfb\xe9 "
                b"\xe3\xee\xf0\xee\xe4 \xcf\xf0\xe8\xef\xff\xf2\xfc, "
                b"\xd3\xea\xf0\xe0\xe8\xed\xe0\r\n")


def assertGeneratorReproduces(test, script, committed, *args):
    """Runs a generator into a temporary folder and compares every file it wrote with the
    committed one, and the two lists of file names."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([PYTHON, str(ROOT / "tools" / script), "--out", folder, *args],
                       check=True, capture_output=True, timeout=300)
        generated = pathlib.Path(folder)
        names = sorted(p.name for p in generated.iterdir())
        test.assertTrue(names)
        if not args:
            test.assertEqual(names, sorted(p.name for p in committed.iterdir()))
        for name in names:
            test.assertEqual((generated / name).read_bytes(), (committed / name).read_bytes(),
                             name)


def spisokLines():
    return (TEXT / "SPISOK.txt").read_bytes().split(b"\r\n")


def infaLines():
    data = (TEXT / "INFA.txt").read_bytes()
    return [line + b"\r\n" for line in data.split(b"\r\n")[:-1]], data


def showCatalogueItem(item, descriptions, name="", info=""):
    """What the catalogue display puts into the name and description labels for a
    selected catalogue line, and which picture it loads (None: picture kept)."""
    dash = item.find("-") + 1
    key = item[:dash - 2] if dash >= 2 else item
    for line in descriptions:
        if key and key in line:
            q = line.find("-") + 1
            rest = line[q + 1:]
            colon = rest.find(":") + 1
            name = rest[:colon - 1] if colon else ""
            info = rest[colon:] if colon else rest
    picture = key.split(" ")[0] if key and "=" not in key else None
    return name, info, picture


class MapTextTest(unittest.TestCase):
    def test_catalogue_has_44_lines_without_final_line_end(self):
        data = (TEXT / "SPISOK.txt").read_bytes()
        self.assertFalse(data.endswith(b"\n") or data.endswith(b"\r"))
        lines = spisokLines()
        self.assertEqual(len(lines), 44)
        for line in lines:
            self.assertNotIn(b"\r", line)
            self.assertNotIn(b"\n", line)

    def test_catalogue_lines_stand_at_their_positions(self):
        lines = spisokLines()
        self.assertEqual(lines[0], HEADER_STANDARD)
        self.assertEqual(lines[19], b"=======Dlc=========")
        self.assertEqual(lines[35], b"=== Face-off Maps===")
        for position in BLANK_POSITIONS:
            self.assertEqual(lines[position], b"", position)
        for position, text in CATALOGUE.items():
            self.assertEqual(lines[position], text.encode("ascii"), position)

    def test_descriptions_follow_the_catalogue_line_by_line(self):
        lines, data = infaLines()
        self.assertTrue(data.endswith(b"\r\n"))
        self.assertEqual(len(lines), 44)
        self.assertEqual(b"".join(lines), data)
        for position, (catalogue, line) in enumerate(zip(spisokLines(), lines)):
            self.assertTrue(line.startswith(catalogue), position)
            body = line[:-2]
            self.assertNotIn(b"\r", body)
            self.assertNotIn(b"\n", body)
            if position in CATALOGUE:
                self.assertEqual(body[len(catalogue):len(catalogue) + 2], b": ", position)
            else:
                self.assertEqual(body, catalogue.ljust(31, b" "), position)

    def test_given_descriptions_are_exact(self):
        lines, _ = infaLines()
        self.assertEqual(lines[2], INFA_ALPHA)
        self.assertEqual(lines[14], INFA_SEATOWN)
        self.assertEqual(lines[10], INFA_LAMBETH)

    def test_own_descriptions_are_short_russian_place_names(self):
        lines, _ = infaLines()
        for position in CATALOGUE:
            text = lines[position][:-2].decode("cp1251")
            description = text.split(": ", 1)[1]
            self.assertNotIn("-", description, position)
            self.assertNotIn(":", description, position)
            self.assertIn(", ", description, position)
            self.assertLessEqual(len(description.rstrip()), 45, position)
            self.assertTrue(any("\u0410" <= c <= "\u044f" for c in description), position)

    def test_every_map_key_matches_only_its_own_line(self):
        lines, _ = infaLines()
        texts = [line[:-2].decode("cp1251") for line in lines]
        for position, item in CATALOGUE.items():
            key = item.split(" ")[0]
            self.assertEqual([i for i, t in enumerate(texts) if key in t], [position], key)


class MapDisplayTest(unittest.TestCase):
    """Runs the display rule of the map list over the texts."""

    @classmethod
    def setUpClass(cls):
        cls.items = [line.decode("cp1251") for line in spisokLines()]
        lines, _ = infaLines()
        cls.descriptions = [line[:-2].decode("cp1251") for line in lines]

    def test_map_lines_show_name_description_and_picture(self):
        self.assertEqual(showCatalogueItem(self.items[2], self.descriptions),
                         ("Lockdown", " Разрушенная Прага, Чехия", "mp_alpha"))
        self.assertEqual(showCatalogueItem(self.items[14], self.descriptions),
                         ("Seatown", " Город Босасо, Сомали" + " " * 10, "mp_seatown"))
        for position, item in CATALOGUE.items():
            name, info, picture = showCatalogueItem(self.items[position], self.descriptions)
            self.assertEqual(name, item.split(" - ")[1])
            self.assertEqual(picture, item.split(" ")[0])
            self.assertTrue(info.startswith(" ") and len(info.strip()) > 5, position)

    def test_headers_and_blank_lines(self):
        self.assertEqual(showCatalogueItem(self.items[0], self.descriptions, "x", "y"),
                         ("", "==Стандартные карты====" + " " * 7, None))
        self.assertEqual(showCatalogueItem(self.items[19], self.descriptions, "x", "y"),
                         ("", "======Dlc=========" + " " * 12, None))
        self.assertEqual(showCatalogueItem(self.items[35], self.descriptions, "x", "y"),
                         ("", "ff Maps===" + " " * 11, None))
        for position in BLANK_POSITIONS:
            self.assertEqual(showCatalogueItem(self.items[position], self.descriptions, "x", "y"),
                             ("x", "y", None))


class PreviewTest(unittest.TestCase):
    def test_every_map_has_a_baseline_jpeg_of_the_right_size(self):
        widths = set()
        for item in CATALOGUE.values():
            path = MAPS / (item.split(" ")[0].upper() + ".jpg")
            data = path.read_bytes()
            self.assertTrue(70 * 1024 <= len(data) <= 120 * 1024, (path.name, len(data)))
            self.assertEqual(data[:2], b"\xff\xd8", path.name)
            # Markers cannot occur inside the entropy-coded data (0xFF is stuffed
            # there), so a frame header search is exact.
            self.assertIn(b"\xff\xc0", data, path.name)
            self.assertNotIn(b"\xff\xc2", data, path.name)
            with Image.open(path) as image:
                self.assertEqual(image.format, "JPEG")
                self.assertFalse(image.info.get("progressive"), path.name)
                self.assertEqual(image.height, 330, path.name)
                self.assertTrue(584 <= image.width <= 588, path.name)
                widths.add(image.width)
                image.load()
        self.assertEqual(len(list(MAPS.glob("*.jpg"))), 36)
        self.assertGreater(len(widths), 1)

    def test_previews_differ_from_each_other(self):
        thumbs = {}
        for path in sorted(MAPS.glob("*.jpg")):
            with Image.open(path) as image:
                thumbs[path.name] = list(image.convert("RGB").resize((12, 7)).getdata())
        names = sorted(thumbs)
        for i, a in enumerate(names):
            for b in names[i + 1:]:
                difference = sum(abs(x - y) for p, q in zip(thumbs[a], thumbs[b])
                                 for x, y in zip(p, q)) / (12 * 7 * 3)
                self.assertGreater(difference, 8, (a, b))


class ArtworkTest(unittest.TestCase):
    ICONS = ["arrow_right", "arrow_right_disabled", "arrow_left", "cross_red", "arrow_up",
             "arrow_down", "flag_chequered", "ports_forward", "ports_remove", "close", "new",
             "save", "delete", "files", "run_server", "run_client"]

    def test_launch_background(self):
        with Image.open(ART / "launch_background.png") as image:
            self.assertEqual(image.mode, "P")  # a palette picture decodes faster at start-up
            image = image.convert("RGB")
            self.assertEqual(image.size, (520, 300))
            self.assertEqual(image.getpixel((2, 150)), (255, 212, 0))  # frame
            self.assertEqual(image.getpixel((517, 150)), (255, 212, 0))
            self.assertEqual(image.getpixel((400, 100)), (0, 0, 0))  # under the buttons
            self.assertEqual(image.getpixel((10, 10)), (0, 0, 0))
            # The letters: yellow only at the left, inside the rows the window shows.
            letters = image.crop((6, 6, 514, 294)).point(lambda v: 255 if v > 100 else 0)
            left, top, right, bottom = letters.convert("L").getbbox()
            self.assertLess(right + 6, 260)
            self.assertGreater(top + 6, 59)
            self.assertLess(bottom + 6, 203)
            # Flat yellow on black: every pixel is a blend of the two (letter edges).
            for r, g, b in set(image.getdata()):
                self.assertEqual(b, 0)
                self.assertLessEqual(abs(g - r * 212 / 255), 1.5, (r, g, b))

    def test_camouflage_tile_is_beige_and_seamless(self):
        with Image.open(ART / "desert_camo_tile.png") as image:
            tile = image.convert("RGB")
        self.assertTrue(120 <= tile.width <= 136 and tile.width == tile.height)
        r, g, b = [sum(channel) / len(channel) for channel in zip(*tile.getdata())]
        self.assertTrue(r > g > b and b > 90, (r, g, b))
        gray = tile.convert("L")
        n = tile.width

        def columnStep(a, b):
            return sum(abs(gray.getpixel((a, y)) - gray.getpixel((b, y))) for y in range(n)) / n

        def rowStep(a, b):
            return sum(abs(gray.getpixel((x, a)) - gray.getpixel((x, b))) for x in range(n)) / n

        typicalColumns = max(columnStep(i, i + 1) for i in range(n - 1))
        typicalRows = max(rowStep(i, i + 1) for i in range(n - 1))
        self.assertLessEqual(columnStep(n - 1, 0), typicalColumns)
        self.assertLessEqual(rowStep(n - 1, 0), typicalRows)

    def test_button_pictures_are_small_and_transparent_around(self):
        for name in self.ICONS:
            with Image.open(ART / f"{name}.png") as image:
                self.assertIn(image.size, ((16, 16), (20, 20)), name)
                self.assertEqual(image.mode, "RGBA", name)
                alpha = image.getchannel("A")
                self.assertEqual(alpha.getextrema()[0], 0, name)
                opaque = sum(1 for a in alpha.getdata() if a > 200)
                self.assertGreater(opaque, 25, name)

    def test_arrow_colours_and_directions(self):
        def load(name):
            with Image.open(ART / f"{name}.png") as image:
                return image.convert("RGBA")

        def mean(image):
            pixels = [p for p in image.getdata() if p[3] > 200]
            return [sum(c) / len(pixels) for c in list(zip(*pixels))[:3]]

        for name in ("arrow_right", "arrow_left", "arrow_up", "arrow_down"):
            r, g, b = mean(load(name))
            self.assertTrue(b > r + 60 and b > g + 30, name)
        r, g, b = mean(load("arrow_right_disabled"))
        self.assertTrue(max(r, g, b) - min(r, g, b) < 12)
        r, g, b = mean(load("cross_red"))
        self.assertTrue(r > g + 80 and r > b + 80)

        def width(image, column=None, row=None):
            """Opaque pixels across the arrow at one column or row."""
            if column is not None:
                return sum(1 for y in range(16) if image.getpixel((column, y))[3] > 200)
            return sum(1 for x in range(16) if image.getpixel((x, row))[3] > 200)

        # The head is wider than the shaft: compare a cut through each.
        right, left = load("arrow_right"), load("arrow_left")
        up, down = load("arrow_up"), load("arrow_down")
        self.assertGreaterEqual(width(right, column=10), width(right, column=4) + 3)
        self.assertGreaterEqual(width(left, column=5), width(left, column=11) + 3)
        self.assertGreaterEqual(width(up, row=5), width(up, row=11) + 3)
        self.assertGreaterEqual(width(down, row=10), width(down, row=4) + 3)

    def test_application_icon(self):
        with Image.open(ART / "app_icon.png") as image:
            self.assertEqual(image.size, (64, 64))
        with Image.open(ART / "app_icon.ico") as icon:
            self.assertEqual(sorted(icon.ico.sizes()), [(16, 16), (32, 32), (48, 48), (64, 64)])
            for size in icon.ico.sizes():
                self.assertEqual(icon.ico.getimage(size).size, size)
        for size in (16, 32, 48):
            with Image.open(ART / f"app_icon_{size}.png") as image:
                self.assertEqual(image.size, (size, size))


class ReproductionTest(unittest.TestCase):
    """The map texts are plain bytes from a table, so their generator is checked here. The
    pictures depend on the Pillow and libjpeg versions; check_pictures_reproduce.py compares
    them by hand."""

    def test_map_texts(self):
        assertGeneratorReproduces(self, "make_map_texts.py", TEXT)


if __name__ == "__main__":
    sys.exit(unittest.main())
