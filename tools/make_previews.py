#!/usr/bin/python3
"""Draws the 36 map preview pictures as top-down overviews of made-up places.

Each picture is seeded from its map identifier, so every run gives the same
files. Output: resources/maps/<MAP_ID>.jpg, baseline JPEG, 330 px high, 584 to
588 px wide, each between 70 and 120 KB.

Run:  /usr/bin/python3 tools/make_previews.py [--out FOLDER] [map_id ...]
"""

import argparse
import io
import pathlib
import random
import sys
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFont

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from preview_scene import Scene  # noqa: E402
import preview_painters as painters  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
HEIGHT = 330
WIDTHS = (584, 585, 586, 587, 588)
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
MIN_BYTES, MAX_BYTES = 70 * 1024, 120 * 1024
TARGET_BYTES = 100 * 1024

# Map identifier, display name, painter. The painters live in preview_painters.py.
MAPS = [
    ("mp_alpha", "Lockdown", painters.ruinedOldTown),
    ("mp_bootleg", "Bootleg", painters.riverMarket),
    ("mp_bravo", "Mission", painters.hillVillage),
    ("mp_carbon", "Carbon", painters.refinery),
    ("mp_dome", "Dome", painters.desertStation),
    ("mp_exchange", "Downturn", painters.downtown),
    ("mp_hardhat", "Hardhat", painters.buildingSite),
    ("mp_interchange", "Interchange", painters.motorwayJunction),
    ("mp_lambeth", "Fallen", painters.abandonedTown),
    ("mp_mogadishu", "Bakaara", painters.sandMarket),
    ("mp_paris", "Resistance", painters.boulevards),
    ("mp_plaza2", "Arcaden", painters.shoppingCentre),
    ("mp_seatown", "Seatown", painters.coastalTown),
    ("mp_radar", "Outpost", painters.snowRadar),
    ("mp_underground", "Underground", painters.metroStation),
    ("mp_village", "Village", painters.jungleVillage),
    ("mp_cement", "Foundation", painters.cementWorks),
    ("mp_italy", "Piazza", painters.hillTownSquare),
    ("mp_meteora", "Sanctuary", painters.cliffMonastery),
    ("mp_morningwood", "Black_Box", painters.forestCrash),
    ("mp_overwatch", "Overwatch", painters.skyscraperRoof),
    ("mp_park", "Liberation", painters.cityPark),
    ("mp_qadeem", "Oasis", painters.oasis),
    ("mp_boardwalk", "Boardwalk", painters.beachBoardwalk),
    ("mp_moab", "Gulch", painters.canyon),
    ("mp_nola", "Parish", painters.floodedQuarter),
    ("mp_roughneck", "Off_shore", painters.oilPlatform),
    ("mp_shipbreaker", "Decommission", painters.shipBreakingBeach),
    ("mp_terminal_cls", "Terminal", painters.airport),
    ("mp_aground_ss", "Aground", painters.rockyCoastWreck),
    ("mp_courtyard_ss", "Erosion", painters.ancientRuins),
    ("mp_hillside_ss", "Getaway", painters.hillsideVilla),
    ("mp_restrepo_ss", "Lookout", painters.mountainPost),
    ("mp_crosswalk_ss", "Intersection", painters.crossroads),
    ("mp_burn_ss", "U_turn", painters.burntQuarter),
    ("mp_six_ss", "Vortex", painters.prairieFarms),
]


def seedOf(mapId):
    return zlib.crc32(mapId.encode("ascii"))


def widthOf(index):
    return WIDTHS[(index * 3) % len(WIDTHS)]


def addLabel(image, name):
    """Writes the display name on a dark plate in the lower left corner."""
    font = ImageFont.truetype(FONT, 30)
    overlay = Image.new("RGBA", image.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(overlay)
    left, top, right, bottom = d.textbbox((0, 0), name, font=font)
    x, y = 14, image.height - 14 - (bottom - top) - 16
    d.rounded_rectangle([x - 2, y - 2, x + right - left + 26, y + bottom - top + 18], radius=6,
                        fill=(10, 12, 14, 150), outline=(230, 200, 90, 200), width=2)
    d.text((x + 12 - left + 2, y + 8 - top + 2), name, font=font, fill=(0, 0, 0, 220))
    d.text((x + 12 - left, y + 8 - top), name, font=font, fill=(250, 246, 232, 255))
    return Image.alpha_composite(image.convert("RGBA"), overlay).convert("RGB")


def addFrameMarks(image):
    """A thin border and a north arrow, as on a printed overview map."""
    d = ImageDraw.Draw(image)
    w, h = image.size
    d.rectangle([0, 0, w - 1, h - 1], outline=(20, 20, 20))
    d.rectangle([1, 1, w - 2, h - 2], outline=(200, 200, 190))
    cx, cy = w - 26, 30
    d.ellipse([cx - 14, cy - 14, cx + 14, cy + 14], fill=(20, 20, 20), outline=(230, 230, 220))
    d.polygon([(cx, cy - 11), (cx + 6, cy + 7), (cx, cy + 3), (cx - 6, cy + 7)], fill=(235, 60, 40))
    return image


def grain(image, seedValue, amount):
    """Fine film grain; it also keeps the JPEG size in the wanted range."""
    rng = random.Random(seedValue ^ 0x5EED)
    w, h = image.size
    noise = Image.frombytes("L", (w, h), rng.randbytes(w * h))
    table = [max(0, min(255, 128 + (v - 128) * amount // 128)) for v in range(256)]
    noise = noise.point(table).convert("RGB")
    return ImageChops.soft_light(image, noise)


def encode(image, quality):
    out = io.BytesIO()
    image.save(out, "JPEG", quality=quality, progressive=False, optimize=True, subsampling=2)
    return out.getvalue()


def encodeInRange(picture, seedValue):
    """Picks grain and quality so that the file lands between MIN_BYTES and MAX_BYTES."""
    best = None
    for amount in (40, 70, 100, 140, 190):
        grained = grain(picture, seedValue, amount)
        for quality in range(95, 49, -3):
            data = encode(grained, quality)
            if len(data) <= TARGET_BYTES + 10 * 1024:
                if len(data) >= MIN_BYTES:
                    return data
                best = data
                break
    if best is None or not MIN_BYTES <= len(best) <= MAX_BYTES:
        raise RuntimeError("could not fit the picture into the size range")
    return best


def render(index, mapId, name, painter):
    scene = Scene(widthOf(index), HEIGHT, seedOf(mapId))
    painter(scene)
    picture = scene.finish()
    picture = addFrameMarks(addLabel(picture, name))
    return encodeInRange(picture, seedOf(mapId))


def main():
    parser = argparse.ArgumentParser(description="Draws the map preview pictures.")
    parser.add_argument("maps", nargs="*", help="map identifiers to draw (default: all)")
    parser.add_argument("--out", type=pathlib.Path, default=ROOT / "resources" / "maps",
                        help="output folder (default: resources/maps)")
    args = parser.parse_args()
    selected, outDir = set(args.maps), args.out
    unknown = selected - {mapId for mapId, _, _ in MAPS}
    if unknown:
        parser.error("unknown map identifiers: " + ", ".join(sorted(unknown)))
    outDir.mkdir(parents=True, exist_ok=True)
    for index, (mapId, name, painter) in enumerate(MAPS):
        if selected and mapId not in selected:
            continue
        data = render(index, mapId, name, painter)
        (outDir / f"{mapId.upper()}.jpg").write_bytes(data)
        print(f"{mapId.upper()}.jpg {widthOf(index)}x{HEIGHT} {len(data)} bytes")


if __name__ == "__main__":
    main()
