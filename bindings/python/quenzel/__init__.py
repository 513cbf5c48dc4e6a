"""Python interface of the quenzel shop-scale record library.

    from quenzel import Catalogue

    with Catalogue("shop.def", log="POS") as catalogue:
        with catalogue.record("ITEM") as item:
            item["PLU"] = 4711
            item["DESCRIPTION"] = "Gouda mild"
            data = item.encode()

The package calls the library's C interface through ctypes; see
docs/python.md for installing it and for the exception model. The library
is loaded when it is first needed, so that importing the package (for
help() or an editor) works without it.
"""

from ._capi import Measurement
from ._native import lib as _lib
from ._native import text_out as _text_out
from ._settings import clear_process_settings, clear_settings, set_process_setting, set_setting
from .catalogue import Catalogue
from .errors import (DecodeError, InterfaceError, LibraryNotFound, LoadError, NotFound,
                     PrivateField, QuenzelError, RangeWarning, SkippedData, ValueRejected)
from .field import Field
from .record import Record, RecordInfo

__version__ = "3.1.204"

__all__ = [
    "Catalogue", "Record", "Field", "RecordInfo", "Measurement", "set_process_setting",
    "clear_process_settings", "set_setting", "clear_settings", "library_version",
    "QuenzelError", "ValueRejected", "RangeWarning", "NotFound", "LoadError", "DecodeError",
    "InterfaceError", "LibraryNotFound", "PrivateField", "SkippedData",
]


def library_version() -> str:
    """The version of the loaded shared library, e.g. "3.1.204"."""
    return _text_out(_lib.quenzel_library_version).decode()
