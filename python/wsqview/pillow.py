"""WSQ for Pillow: importing this module registers the format.

    import wsqview.pillow
    from PIL import Image
    im = Image.open("print.wsq")        # mode "L"; im.info["dpi"], ["nistcom"], ["comments"]
    im.save("copy.wsq", bitrate=0.75, ppi=500, comment="text")

Only grey ("L") images are saved; convert others with ``im.convert("L")``.
"""

import numpy
from PIL import Image, ImageFile

from . import _wsqview
from .error import Error

FORMAT = "WSQ"
_START_OF_IMAGE = b"\xff\xa0"
_DEFAULT_PPI = 500


def _accept(prefix):
    return prefix[:2] == _START_OF_IMAGE


class WsqImageFile(ImageFile.ImageFile):
    format = FORMAT
    format_description = "Wavelet Scalar Quantization"

    def _open(self):
        try:
            info = _wsqview.header(self.fp.read())
        except Error as error:
            # Pillow tries the next plugin on SyntaxError.
            raise SyntaxError(f"not a WSQ codestream: {error.message}") from error
        self._size = (info["width"], info["height"])
        self._set_mode("L")
        if info["ppi"] is not None:
            self.info["dpi"] = (info["ppi"], info["ppi"])
        self.info["nistcom"] = info["nistcom"]
        self.info["comments"] = info["comments"]
        self.tile = [("wsq", (0, 0) + self.size, 0, None)]

    def _set_mode(self, mode):
        # Newer Pillow keeps the mode behind a read-only property.
        if isinstance(getattr(type(self), "mode", None), property):
            self._mode = mode
        else:
            self.mode = mode


class WsqDecoder(ImageFile.PyDecoder):
    _pulls_fd = True

    def decode(self, buffer):
        try:
            pixels, _ = _wsqview.decode(self.fd.read())
        except Error as error:
            # Pillow reports broken image data as OSError.
            raise OSError(f"broken WSQ codestream: {error.message}") from error
        self.set_as_raw(pixels.tobytes())
        return -1, 0


def _save(im, fp, filename):
    if im.mode != "L":
        raise OSError(f"cannot write mode {im.mode} as WSQ")
    options = im.encoderinfo
    ppi = options.get("ppi")
    if ppi is None and "dpi" in options:
        ppi = round(options["dpi"][0])
    data = _wsqview.encode(
        numpy.asarray(im),
        bitrate=options.get("bitrate", 0.75),
        ppi=_DEFAULT_PPI if ppi is None else ppi,
        comment=options.get("comment"),
    )
    fp.write(data)


Image.register_open(FORMAT, WsqImageFile, _accept)
Image.register_save(FORMAT, _save)
Image.register_extension(FORMAT, ".wsq")
Image.register_mime(FORMAT, "image/x-wsq")
Image.register_decoder("wsq", WsqDecoder)
