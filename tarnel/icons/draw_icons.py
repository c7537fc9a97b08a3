#!/usr/bin/env python3
"""Draws the server control panel's icons, 16x16 and 32x32 in each file:

    tarnel/icons/draw_icons.py [output folder]      (default: this folder)

Run it after changing a drawing and commit the .ico files with it; the build
makes them into resources (icon_resources.py). Every icon is a workstation's
monitor; a badge in the bottom right corner tells what the console knows of
the computer:

    tarnel.ico            the program: a monitor with a clock (idle time)
    service_running.ico   image 0: the main service runs (green, play)
    service_present.ico   image 1: the main service is there, not running (red, stop)
    service_unknown.ico   image 2: nothing known yet, or no service (grey monitor)

The shapes, the sampling and the .ico layout are those of the Groups page's
icons (scripts/draw-group-icons.py), so that all the suite's icons are drawn
alike and come out the same byte for byte on every run.
"""
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def load_drawing():
    path = os.path.join(HERE, "..", "..", "scripts", "draw-group-icons.py")
    spec = importlib.util.spec_from_file_location("draw_group_icons", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


d = load_drawing()

BEZEL = d.rgb("2B2F36")
FRAME = d.rgb("4B525C")
STAND = d.rgb("5D646E")
WHITE = d.rgb("FFFFFF")
GLARE = d.rgb("FFFFFF", 46)  # the glass catches the light in its upper left half


def screen(top, bottom, bands=15):
    """The screen, shaded from `top` to `bottom` in half-unit bands."""
    layers = []
    for i in range(bands):
        t = i / (bands - 1)
        colour = tuple(round(top[k] + (bottom[k] - top[k]) * t) for k in range(4))
        layers.append((d.rect(2.0, 3.0 + 0.5 * i, 14.0, 3.5 + 0.5 * i), colour))
    return layers


def monitor(top, bottom):
    return ([(d.rounded_rect(0.5, 1.5, 15.5, 12.0, 1.5), BEZEL), (d.rounded_rect(1.0, 2.0, 15.0, 11.5, 1.0), FRAME)] +
            screen(top, bottom) +
            [(d.polygon((2.0, 3.0), (9.0, 3.0), (5.0, 10.5), (2.0, 10.5)), GLARE),
             (d.rect(6.5, 12.0, 9.5, 13.5), STAND),
             (d.rounded_rect(4.0, 13.0, 12.0, 15.0, 0.75), BEZEL)])


BLUE_SCREEN = (d.rgb("6CB8F6"), d.rgb("1D5FB6"))
GREY_SCREEN = (d.rgb("B9C0C8"), d.rgb("737B85"))


def badge(colour):
    """The round badge in the bottom right corner, with a white rim."""
    return [(d.disc(11.5, 11.5, 4.5), WHITE), (d.disc(11.5, 11.5, 3.7), colour)]


DRAWINGS = {
    "tarnel.ico": monitor(*BLUE_SCREEN) + [
        (d.disc(11.5, 11.5, 4.5), BEZEL),
        (d.disc(11.5, 11.5, 3.6), d.rgb("FFF8E1")),
        (d.segment(11.5, 11.5, 11.5, 9.0, 1.1), BEZEL),   # minute hand at twelve
        (d.segment(11.5, 11.5, 13.4, 11.5, 1.1), BEZEL),  # hour hand at three
        (d.disc(11.5, 11.5, 0.8), d.rgb("D1242F")),
    ],
    "service_running.ico": monitor(*BLUE_SCREEN) + badge(d.rgb("2DA44E")) + [
        (d.polygon((10.2, 9.5), (10.2, 13.5), (13.7, 11.5)), WHITE),
    ],
    "service_present.ico": monitor(*BLUE_SCREEN) + badge(d.rgb("CF222E")) + [
        (d.rect(10.0, 10.0, 13.0, 13.0), WHITE),
    ],
    "service_unknown.ico": monitor(*GREY_SCREEN),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else HERE
    for name, layers in DRAWINGS.items():
        path = os.path.join(folder, name)
        d.write_ico(path, lambda _centre, layers=layers: layers)
        print("draw_icons:", path)


if __name__ == "__main__":
    main()
