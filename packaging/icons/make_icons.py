#!/usr/bin/python3
"""Writes the application icon: wsqview.svg and the PNG sizes drawn from the
same shapes with Pillow (a rounded tile with fingerprint-like ridges)."""
from PIL import Image, ImageDraw

SIZES = (16, 32, 48, 64, 128, 256)
TILE = "#1f4e79"
RIDGE = "#f2f2f2"
# Ridges: concentric ellipses around the core (cx, cy), on a 256 grid.
CORE = (128, 140)
RADII = [(18 + 17 * i, 24 + 19 * i) for i in range(5)]
RIDGE_WIDTH = 9


def svg():
    arcs = "\n".join(
        f'    <ellipse cx="{CORE[0]}" cy="{CORE[1]}" rx="{rx}" ry="{ry}"/>' for rx, ry in RADII)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <rect x="8" y="8" width="240" height="240" rx="40" fill="{TILE}"/>
  <g fill="none" stroke="{RIDGE}" stroke-width="{RIDGE_WIDTH}">
{arcs}
  </g>
</svg>
"""


def png(size):
    scale = 4
    big = 256 * scale
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle([8 * scale, 8 * scale, 248 * scale, 248 * scale], 40 * scale, fill=TILE)
    for rx, ry in RADII:
        box = [(CORE[0] - rx) * scale, (CORE[1] - ry) * scale,
               (CORE[0] + rx) * scale, (CORE[1] + ry) * scale]
        draw.ellipse(box, outline=RIDGE, width=RIDGE_WIDTH * scale)
    # Clip the ridges to the tile.
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).rounded_rectangle(
        [8 * scale, 8 * scale, 248 * scale, 248 * scale], 40 * scale, fill=255)
    image.putalpha(mask)
    return image.resize((size, size), Image.LANCZOS)


if __name__ == "__main__":
    with open("wsqview.svg", "w") as out:
        out.write(svg())
    for size in SIZES:
        png(size).save(f"wsqview-{size}.png", optimize=True)
