#!/usr/bin/python3
"""Checks that the picture generators reproduce the committed previews and artwork byte for
byte. The result depends on the Pillow and libjpeg versions (the committed files come from
Debian 12: Pillow 9.4, libjpeg-turbo), so this runs by hand after changing a generator, not
in the test suite.

Run:  /usr/bin/python3 tools/check_pictures_reproduce.py [mp_alpha ...]
      (map identifiers limit the previews compared; without them all 36 are drawn)
"""

import sys
import unittest

from test_resources import ART, MAPS, assertGeneratorReproduces

PREVIEWS = sys.argv[1:]


class PictureReproductionTest(unittest.TestCase):
    def test_artwork(self):
        assertGeneratorReproduces(self, "make_artwork.py", ART)

    def test_previews(self):
        assertGeneratorReproduces(self, "make_previews.py", MAPS, *PREVIEWS)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
