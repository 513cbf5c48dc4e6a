"""Python interface of the quenzel shop-scale record library.

    from quenzel import Catalogue

    with Catalogue("shop.def", log="POS") as catalogue:
        with catalogue.record("ITEM") as item:
            item["PLU"] = 4711
            item["DESCRIPTION"] = "Gouda mild"
            data = item.encode()

The package calls the library's C interface through ctypes; see
docs/python.md for installing it and for the exception model.
"""

from ._capi import Measurement
from ._native import lib as _lib
from ._native import text_out as _text_out
from .catalogue import Catalogue, clear_settings, set_setting
from .field import Field
from .errors import (DecodeError, InterfaceError, LoadError, NotFound, QuenzelError,
                     RangeWarning, ValueRejected)
from .record import Record, RecordInfo

__version__ = "3.1.204"

__all__ = [
    "Catalogue", "Record", "Field", "RecordInfo", "Measurement", "set_setting", "clear_settings",
    "library_version", "QuenzelError", "ValueRejected", "RangeWarning", "NotFound", "LoadError",
    "DecodeError", "InterfaceError",
]


def library_version() -> str:
    """The version of the loaded shared library, e.g. "3.1.204"."""
    return _text_out(_lib.quenzel_library_version).decode()
