#!/bin/sh
# Regenerates the interoperability set: small files written by common tools
# (ImageMagick, netpbm, libtiff's tools, Pillow) from three source pictures
# that this script writes first. The tests only read the results; the tools
# are needed only to run this script:
#   apt-get install imagemagick netpbm libtiff-tools python3-pil
# The source pictures are 7 x 5, top row first (y = 0 at the top):
#   colour.ppm  red 10 + 35x, green 20 + 45y, blue 200 - 20x - 10y
#   alpha.pam   the same colours, alpha 0, 128 or 255 for (x + 2y) mod 3 = 0, 1, 2
#   grey.pgm    level 5 + 36x + 7y
#   grey16.pgm  16-bit level (5 + 36x + 7y) x 256 + 3x + 11y
# The key colour of the keyed files is pixel (0, 0): red 10, green 20, blue 200
# (grey 5, 16-bit grey 1280).
set -eu
cd "$(dirname "$0")"
PY=/usr/bin/python3

$PY - <<'PYEOF'
W, H = 7, 5
def rgb(x, y): return (10 + 35 * x, 20 + 45 * y, 200 - 20 * x - 10 * y)
def alpha(x, y): return (0, 128, 255)[(x + 2 * y) % 3]
def grey(x, y): return 5 + 36 * x + 7 * y
def grey16(x, y): return grey(x, y) * 256 + 3 * x + 11 * y
px = lambda f: [(x, y) for y in range(H) for x in range(W)]
with open("colour.ppm", "wb") as f:
    f.write(b"P6\n7 5\n255\n" + bytes(c for x, y in px(0) for c in rgb(x, y)))
with open("alpha.pam", "wb") as f:
    f.write(b"P7\nWIDTH 7\nHEIGHT 5\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n")
    f.write(bytes(c for x, y in px(0) for c in rgb(x, y) + (alpha(x, y),)))
with open("grey.pgm", "wb") as f:
    f.write(b"P5\n7 5\n255\n" + bytes(grey(x, y) for x, y in px(0)))
with open("grey16.pgm", "wb") as f:
    f.write(b"P5\n7 5\n65535\n" + b"".join(grey16(x, y).to_bytes(2, "big") for x, y in px(0)))
PYEOF

KEY='rgb(10,20,200)'

# ImageMagick. Its Targa writer stores the rows top first but marks them
# bottom-up unless the picture's orientation is set, so it is set.
convert colour.ppm -orient TopLeft -compress None im_rgb.tga
convert colour.ppm -orient TopLeft -compress RLE im_rle.tga
convert alpha.pam -orient TopLeft -compress None im_rgba.tga
convert colour.ppm -orient TopLeft -type Palette -compress None im_palette.tga
convert grey.pgm -orient TopLeft -compress None im_grey.tga
convert colour.ppm BMP3:im_bmp3.bmp
convert alpha.pam BMP:im_v5.bmp
convert colour.ppm -define bmp:subtype=RGB565 BMP:im_565.bmp
convert colour.ppm -type Palette -compress None BMP3:im_palette.bmp
convert colour.ppm -type Palette BMP2:im_os2.bmp
convert colour.ppm -compress RLE im_rgb.psd
convert alpha.pam -compress RLE im_rgba.psd
convert grey.pgm -compress RLE im_grey.psd
convert colour.ppm -compress RLE SGI:im_rgb.rgb
convert alpha.pam -compress RLE SGI:im_rgba.rgb
convert colour.ppm -type Palette im_palette.pcx
convert colour.ppm -type TrueColor im_rgb.pcx
convert colour.ppm -compress LZW im_lzw.tif
convert alpha.pam -compress Zip im_rgba.tif
convert colour.ppm -type Palette -compress None im_palette.tif
convert colour.ppm -transparent "$KEY" im_trans.gif
convert alpha.pam im_rgba.png

# netpbm
pamtotga -rgb -norle colour.ppm > nb_rgb.tga
pamtotga -cmap colour.ppm > nb_cmap_rle.tga
pamtotga -mono grey.pgm > nb_grey.tga
ppmtobmp colour.ppm > nb_rgb.bmp 2>/dev/null
ppmtobmp -os2 colour.ppm > nb_os2.bmp 2>/dev/null
ppmtopcx colour.ppm > nb_palette.pcx 2>/dev/null
ppmtopcx -24bit colour.ppm > nb_rgb.pcx 2>/dev/null
pnmtotiff -packbits colour.ppm > nb_packbits.tif 2>/dev/null
pnmtotiff grey.pgm > nb_grey.tif 2>/dev/null
pnmtopng -transparent =rgb:0a/14/c8 colour.ppm > nb_key_rgb.png 2>/dev/null
pnmtopng -transparent =rgb:05/05/05 grey.pgm > nb_key_grey.png 2>/dev/null
pnmtosgi colour.ppm > nb_rle.rgb 2>/dev/null
pnmtosgi -verbatim grey.pgm > nb_grey.rgb 2>/dev/null
ppmtoilbm -maxplanes 8 colour.ppm > nb_byterun.iff 2>/dev/null
pamtogif -transparent=rgb:0a/14/c8 colour.ppm > nb_trans.gif 2>/dev/null

# libtiff's tools
tiffcp -c packbits im_lzw.tif lt_packbits.tif
tiffcp -c zip im_lzw.tif lt_zip.tif
tiffcp -c none im_palette.tif lt_palette.tif

# Pillow
$PY - <<'PYEOF'
from PIL import Image
colour = Image.open("colour.ppm").convert("RGB")
# Pillow does not read PAM: the alpha picture is made from the colours and
# the alpha rule above.
alpha = colour.convert("RGBA")
alpha.putalpha(Image.frombytes("L", (7, 5), bytes((0, 128, 255)[(x + 2 * y) % 3] for y in range(5) for x in range(7))))
grey = Image.open("grey.pgm").convert("L")
grey16 = Image.open("grey16.pgm")
palette = colour.quantize(colors=64, method=Image.Quantize.MAXCOVERAGE, dither=Image.Dither.NONE)
key_index = palette.getpixel((0, 0))
colour.save("pil_rle.tga", compression="tga_rle")
alpha.save("pil_rgba.tga")
palette.save("pil_palette.tga")
colour.save("pil_rgb.bmp")
palette.save("pil_palette.bmp")
colour.save("pil_rgb.pcx")
palette.save("pil_palette.pcx")
colour.save("pil_rgb.sgi")
alpha.save("pil_rgba.sgi")
colour.save("pil_deflate.tif", compression="tiff_deflate")
alpha.save("pil_rgba.tif", compression="packbits")
colour.save("pil_key_rgb.png", transparency=(10, 20, 200))
grey.save("pil_key_grey.png", transparency=5)
grey16.save("pil_key_grey16.png", transparency=1280)
palette.save("pil_trns.png", transparency=key_index)
palette.save("pil_trans.gif", transparency=key_index)
PYEOF
# Pillow names SGI files .sgi; the library reads them as .rgb.
mv pil_rgb.sgi pil_rgb.rgb
mv pil_rgba.sgi pil_rgba.rgb
