#!/usr/bin/env python3
"""Finds the highlighted rows of a list as a user sees them on the screen.

    highlighted_rows.py <window id> [r,g,b]

Takes a picture of the window and looks for bands of pixel lines whose
highlight-coloured pixels reach across more than four fifths of the
window's width and make up more than a third of it: a selected list row
spans the list's width (its text takes some pixels of the lines it
crosses); selected text in an edit line spans only the text. Prints
one line "top bottom" (window coordinates, bottom exclusive) per band, top
to bottom. Exits 1 when the picture could not be taken.
"""
import subprocess
import sys


def read_ppm(data):
    # P6 header: magic, width, height, maxval, separated by white space
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("not an 8-bit P6 picture")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:]


def highlighted_bands(window, colour):
    shot = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], capture_output=True,
                          timeout=60, check=True).stdout
    width, height, pixels = read_ppm(shot)
    target = bytes(colour)
    bands = []
    start = None
    for y in range(height):
        line = pixels[y * width * 3:(y + 1) * width * 3]
        hits = [x for x in range(width) if line[x * 3:x * 3 + 3] == target]
        if hits and (hits[-1] - hits[0]) * 5 > width * 4 and len(hits) * 3 > width:
            if start is None:
                start = y
        elif start is not None:
            bands.append((start, y))
            start = None
    if start is not None:
        bands.append((start, height))
    return bands


def main():
    colour = (48, 140, 198)  # the Fusion style's highlight
    if len(sys.argv) > 2:
        colour = tuple(int(v) for v in sys.argv[2].split(","))
    try:
        bands = highlighted_bands(sys.argv[1], colour)
    except (subprocess.SubprocessError, ValueError, OSError) as error:
        print(error, file=sys.stderr)
        return 1
    for top, bottom in bands:
        print(top, bottom)
    return 0


if __name__ == "__main__":
    sys.exit(main())
