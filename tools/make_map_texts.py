#!/usr/bin/python3
"""Writes the map catalogue (SPISOK.txt) and the map descriptions (INFA.txt).

Both files are Windows-1251 bytes. The catalogue has 44 lines separated by CR LF
with no line end after the last one; the description file repeats every catalogue
line, adds ": description" to the map lines, pads header and blank lines with
blanks to 31 characters and ends every line, the last one too, with CR LF.

Run:  /usr/bin/python3 tools/make_map_texts.py [--out FOLDER]
"""

import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
ENCODING = "cp1251"
PADDED_WIDTH = 31
MAX_DESCRIPTION_LENGTH = 42

# One row per catalogue line, in catalogue order. A row is either a header text,
# None for a blank line, or (map id, display name, description). The description
# is written after ": " and is kept exactly, trailing blanks included.
CATALOGUE = [
    "===Стандартные карты====",
    None,
    ("mp_alpha", "Lockdown", "Разрушенная Прага, Чехия"),
    ("mp_bootleg", "Bootleg", "Рыночный квартал Бангкока, Таиланд"),
    ("mp_bravo", "Mission", "Горное селение Оахака, Мексика"),
    ("mp_carbon", "Carbon", "Нефтезавод близ Хьюстона, США"),
    ("mp_dome", "Dome", "Научная станция в пустыне Невада, США"),
    ("mp_exchange", "Downturn", "Деловой квартал Чикаго, США"),
    ("mp_hardhat", "Hardhat", "Стройка в пригороде Лондона, Англия"),
    ("mp_interchange", "Interchange", "Развязка трассы под Москвой, Россия"),
    ("mp_lambeth", "Fallen", "Заброшенный город Припять, Украина"),
    ("mp_mogadishu", "Bakaara", "Старый рынок Марракеша, Марокко"),
    ("mp_paris", "Resistance", "Бульвары старого Лиона, Франция"),
    ("mp_plaza2", "Arcaden", "Торговый центр Гамбурга, Германия"),
    ("mp_seatown", "Seatown", "Город Босасо, Сомали" + " " * 10),
    ("mp_radar", "Outpost", "Радарная станция, Шпицберген, Норвегия"),
    ("mp_underground", "Underground", "Станция метро в Берлине, Германия"),
    ("mp_village", "Village", "Лесная деревня на Суматре, Индонезия"),
    None,
    "=======Dlc=========",
    None,
    ("mp_cement", "Foundation", "Цементный завод под Варшавой, Польша"),
    ("mp_italy", "Piazza", "Старая площадь Сиены, Италия"),
    ("mp_meteora", "Sanctuary", "Скальный монастырь в Фессалии, Греция"),
    ("mp_morningwood", "Black_Box", "Лесной склон у Анкориджа, США"),
    ("mp_overwatch", "Overwatch", "Крыша небоскрёба в Торонто, Канада"),
    ("mp_park", "Liberation", "Центральный парк Бостона, США"),
    ("mp_qadeem", "Oasis", "Оазис Сива, Египет"),
    ("mp_boardwalk", "Boardwalk", "Пляжная набережная Майами, США"),
    ("mp_moab", "Gulch", "Каньон в пустыне штата Юта, США"),
    ("mp_nola", "Parish", "Затопленный квартал Нового Орлеана, США"),
    ("mp_roughneck", "Off_shore", "Платформа в Северном море, Норвегия"),
    ("mp_shipbreaker", "Decommission", "Верфь на берегу Читтагонга, Бангладеш"),
    ("mp_terminal_cls", "Terminal", "Аэропорт Шереметьево, Россия"),
    None,
    "=== Face-off Maps===",
    None,
    ("mp_aground_ss", "Aground", "Скалистый берег Шотландии, Великобритания"),
    ("mp_courtyard_ss", "Erosion", "Древние руины близ Рима, Италия"),
    ("mp_hillside_ss", "Getaway", "Вилла на холмах Андалусии, Испания"),
    ("mp_restrepo_ss", "Lookout", "Горный пост в провинции Кунар, Афганистан"),
    ("mp_crosswalk_ss", "Intersection", "Перекрёсток в центре Сеула, Южная Корея"),
    ("mp_burn_ss", "U_turn", "Сгоревший квартал Детройта, США"),
    ("mp_six_ss", "Vortex", "Фермерский посёлок в Канзасе, США"),
]


def catalogueLine(row):
    if row is None:
        return ""
    if isinstance(row, str):
        return row
    mapId, name, _ = row
    return f"{mapId} - {name}"


def descriptionLine(row):
    if row is None or isinstance(row, str):
        return catalogueLine(row).ljust(PADDED_WIDTH)
    mapId, name, description = row
    return f"{mapId} - {name}: {description}"


def check(rows):
    """Stops with a message when the table breaks a rule the program relies on."""
    if len(rows) != 44:
        sys.exit(f"expected 44 catalogue lines, got {len(rows)}")
    maps = [row for row in rows if isinstance(row, tuple)]
    if len(maps) != 36:
        sys.exit(f"expected 36 maps, got {len(maps)}")
    for mapId, name, description in maps:
        # The display cuts a line at its first "-" and its first ":", so neither may
        # appear anywhere but in the " - " and ": " joints.
        for text in (mapId, name, description):
            if "-" in text or ":" in text:
                sys.exit(f"{mapId}: '-' or ':' inside {text!r}")
        if " " in mapId or " " in name:
            sys.exit(f"{mapId}: blank in identifier or name")
        if len(description.rstrip()) > MAX_DESCRIPTION_LENGTH:
            sys.exit(f"{mapId}: description longer than {MAX_DESCRIPTION_LENGTH}")
        # Descriptions are found by substring search on the map id; no other line
        # may contain it.
        holders = [line for line in map(descriptionLine, rows) if mapId in line]
        if len(holders) != 1:
            sys.exit(f"{mapId}: identifier found in {len(holders)} lines")
    for row in rows:
        if isinstance(row, str) and len(row) > PADDED_WIDTH:
            sys.exit(f"header {row!r} longer than {PADDED_WIDTH}")


def main():
    parser = argparse.ArgumentParser(description="Writes SPISOK.txt and INFA.txt.")
    parser.add_argument("--out", type=pathlib.Path, default=ROOT / "resources" / "text",
                        help="output folder (default: resources/text)")
    outDir = parser.parse_args().out
    check(CATALOGUE)
    outDir.mkdir(parents=True, exist_ok=True)
    spisok = "\r\n".join(catalogueLine(row) for row in CATALOGUE)
    infa = "".join(descriptionLine(row) + "\r\n" for row in CATALOGUE)
    (outDir / "SPISOK.txt").write_bytes(spisok.encode(ENCODING))
    (outDir / "INFA.txt").write_bytes(infa.encode(ENCODING))


if __name__ == "__main__":
    main()
