"""WSQ fingerprint images and the image library's formats for numpy.

``decode``/``encode`` work on WSQ codestreams in memory, ``read``/``write``
on files of every format the library knows, ``convert`` converts one file as
``wsqconv`` does. Every failure raises ``wsqview.Error``. ``wsqview.pillow``
registers WSQ with Pillow; ``wsqview.dask`` converts folder trees on a Dask
cluster.
"""

from .error import Error
from ._wsqview import convert, decode, encode, header, read, readable_keys, writable_keys, write

__all__ = ["Error", "convert", "decode", "encode", "header", "read", "readable_keys", "writable_keys", "write"]
