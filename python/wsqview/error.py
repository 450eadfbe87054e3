"""The one exception type of the package."""


class Error(Exception):
    """A failure of the codec or the image library.

    ``code`` is the library's result code (4: invalid image size, 7: unable
    to open file, 16: corrupt data, ...), ``message`` its text, ``path`` the
    file concerned (or None) and ``diagnostics`` what the library wrote about
    the failure.
    """

    def __init__(self, code, message, path=None, diagnostics=""):
        super().__init__(f"{path}: {message}" if path is not None else message)
        self.code = code
        self.message = message
        self.path = path
        self.diagnostics = diagnostics

    def __reduce__(self):
        # Rebuilt from its fields, so that it survives pickling (Dask workers).
        return (type(self), (self.code, self.message, self.path, self.diagnostics))
