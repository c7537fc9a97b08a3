#!/usr/bin/env python3
"""Turns .ico files into icon resources whose images have identifiers of
their own, for the build:

    icon_resources.py <output folder> <first image id> NAME=file.ico ...

Writes <output folder>/icons.rc, which a resource script includes after the
header that defines each NAME, and beside it each icon's images and its
directory. An ICON statement would number the images 1, 2, 3 ... in every
resource script; a program that links the resources of two scripts (the
console links the configuration pages' as well) would then hold two images
of one number, and one of its icons would show the other's picture. Here the
images are numbered from <first image id> on.
"""
import os
import struct
import sys

RT_ICON = 3
RT_GROUP_ICON = 14


def split(ico):
    """The images of an .ico file, each with its directory entry."""
    reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        width, height, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        images.append(((width, height, colours, planes, bits, size), ico[offset:offset + size]))
    return images


def main():
    folder, next_id = sys.argv[1], int(sys.argv[2])
    os.makedirs(folder, exist_ok=True)
    lines = ["// Made by tarnel/icons/icon_resources.py; do not edit."]
    for argument in sys.argv[3:]:
        name, path = argument.split("=", 1)
        with open(path, "rb") as source:
            images = split(source.read())
        base = os.path.splitext(os.path.basename(path))[0]
        directory = struct.pack("<HHH", 0, 1, len(images))
        for index, ((width, height, colours, planes, bits, size), data) in enumerate(images):
            image_file = f"{base}-{index}.icon-image"
            with open(os.path.join(folder, image_file), "wb") as out:
                out.write(data)
            lines.append(f'{next_id} {RT_ICON} "{image_file}"')
            directory += struct.pack("<BBBBHHIH", width, height, colours, 0, planes, bits, size, next_id)
            next_id += 1
        directory_file = f"{base}.icon-directory"
        with open(os.path.join(folder, directory_file), "wb") as out:
            out.write(directory)
        lines.append(f'{name} {RT_GROUP_ICON} "{directory_file}"')
    with open(os.path.join(folder, "icons.rc"), "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
