"""Converts WOFF font files to TrueType: woff2ttf.py IN OUT [IN OUT ...]."""
import sys

from fontTools.ttLib import TTFont


def main(args):
    for source, target in zip(args[0::2], args[1::2]):
        font = TTFont(source)
        font.flavor = None
        font.save(target)


if __name__ == "__main__":
    main(sys.argv[1:])
