"""Builds every mesh, texture, poster, the font, the crosshair and the sounds of the game.

Usage (from the repository root, with Debian's Python and its numpy and PIL):
    /usr/bin/python3 tools/content/make_content.py [output folder, default Util/Files]
    Parts can be chosen: --only meshes,textures,posters,sounds
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import images  # noqa: E402
import meshes  # noqa: E402
import posters  # noqa: E402
import sounds  # noqa: E402


def build_textures(out):
    images.write_dds(f"{out}/finish.DDS", images.finish_texture(), alpha=False)
    images.write_dds(f"{out}/farbklecks.DDS", images.splat(), alpha=True)
    images.write_dds(f"{out}/duck_texture.DDS", images.skin_duck(), alpha=False)
    images.write_dds(f"{out}/croctopus.DDS", images.skin_croctopus(), alpha=False)
    images.write_dds(f"{out}/car.DDS", images.skin_car(), alpha=False)
    images.write_dds(f"{out}/particle.DDS", images.particle(), alpha=True)
    images.write_tga(f"{out}/Fadenkreuz.tga", images.crosshair())
    images.write_tga(f"{out}/font.tga", images.font_atlas())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out", nargs="?", default="Util/Files")
    parser.add_argument("--only", default="meshes,textures,posters,sounds")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    parts = set(args.only.split(","))
    if "meshes" in parts:
        meshes.build_all(args.out)
    if "textures" in parts:
        build_textures(args.out)
    if "posters" in parts:
        posters.build_all(args.out, images.write_tga)
    if "sounds" in parts:
        sounds.build_all(args.out)


if __name__ == "__main__":
    main()
