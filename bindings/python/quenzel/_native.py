"""Loading the quenzel shared library and declaring its C interface.

The library is looked up, in this order, at the path in the environment
variable QUENZEL_LIBRARY, at the place the install step recorded beside this
package (_installed.py), and by name through the system's loader.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import sys
from typing import Callable, Optional

INTERFACE_VERSION = 1

# Results of the C interface (quenzel_c.h).
NONE = 0
RANGE_WARNING = 2
NOT_FOUND = 6
INVALID_ARGUMENT = -2
BUFFER_TOO_SMALL = -3
OUT_OF_MEMORY = -4

_handle = ctypes.c_void_p
_text = ctypes.c_char_p
_size = ctypes.c_size_t
_int = ctypes.c_int
_size_out = ctypes.POINTER(ctypes.c_size_t)

# name: (result type, argument types)
_PROTOTYPES = {
    "quenzel_interface_version": (_int, []),
    "quenzel_library_version": (_size, [_text, _size]),
    "quenzel_result_name": (_size, [_int, _text, _size]),
    "quenzel_type_name": (_size, [_int, _text, _size]),
    "quenzel_action_name": (_size, [_int, _text, _size]),
    "quenzel_set_setting": (_int, [_text, _text, _text]),
    "quenzel_clear_settings": (None, []),
    "quenzel_last_read_error": (_size, [ctypes.c_void_p, _text, _size]),
    "quenzel_catalogue_create": (_handle, []),
    "quenzel_catalogue_free": (None, [_handle]),
    "quenzel_catalogue_initialise": (_int, [_handle, _text, _text, _text, _text]),
    "quenzel_catalogue_record": (_handle, [_handle, _int]),
    "quenzel_catalogue_record_by_name": (_handle, [_handle, _text]),
    "quenzel_catalogue_record_count": (_size, [_handle]),
    "quenzel_catalogue_record_at": (_handle, [_handle, _size]),
    "quenzel_catalogue_definition_path": (_size, [_handle, _text, _size]),
    "quenzel_record_copy": (_handle, [_handle]),
    "quenzel_record_free": (None, [_handle]),
    "quenzel_record_number": (_int, [_handle]),
    "quenzel_record_action": (_int, [_handle]),
    "quenzel_record_name": (_size, [_handle, _text, _size]),
    "quenzel_record_key_name": (_size, [_handle, _int, _text, _size]),
    "quenzel_record_field_count": (_size, [_handle]),
    "quenzel_record_field_at": (_handle, [_handle, _size]),
    "quenzel_record_find_field": (_handle, [_handle, _int]),
    "quenzel_record_find_field_by_name": (_handle, [_handle, _text]),
    "quenzel_record_create_find_field": (_handle, [_handle, _int]),
    "quenzel_record_create_find_field_by_name": (_handle, [_handle, _text]),
    "quenzel_record_check_key_field_supplied": (_int, [_handle]),
    "quenzel_record_reset": (_int, [_handle]),
    "quenzel_record_weight_conversion_on": (_int, [_handle, _int]),
    "quenzel_record_driver_set_field_weight_details": (_int, [_handle, _int, _int, _int]),
    "quenzel_record_driver_set_record_weight_details": (
        _int, [_handle, _int, _int, _int, _int, _int]),
    "quenzel_record_get_price_base": (_int, [_handle]),
    "quenzel_record_get_uom_field_value": (_int, [_handle]),
    "quenzel_record_measurement": (_int, [_handle, _int, ctypes.POINTER(_int)]),
    "quenzel_record_write": (_int, [_handle, _text, _size, _size_out]),
    "quenzel_record_read": (_int, [_handle, _text, _size, _size_out]),
    "quenzel_field_set_text": (_int, [_handle, _text, _size, _int]),
    "quenzel_field_set_text_utf8": (_int, [_handle, _text, _size, _int]),
    "quenzel_field_get_text": (_int, [_handle, _text, _size, _size_out]),
    "quenzel_field_get_text_utf8": (_int, [_handle, _text, _size, _size_out]),
    "quenzel_field_set_int64_utf8": (_int, [_handle, ctypes.c_longlong, _int]),
    "quenzel_field_get_int64_utf8": (_int, [_handle, ctypes.POINTER(ctypes.c_longlong)]),
    "quenzel_field_set_char_utf8": (_int, [_handle, ctypes.c_ubyte, _int]),
    "quenzel_field_get_char_utf8": (_int, [_handle, ctypes.POINTER(ctypes.c_ubyte)]),
    "quenzel_field_set_float_utf8": (_int, [_handle, ctypes.c_float, _int]),
    "quenzel_field_get_float_utf8": (_int, [_handle, ctypes.POINTER(ctypes.c_float)]),
    "quenzel_field_reset": (_int, [_handle]),
    "quenzel_field_set_supplied": (_int, [_handle, _int]),
    "quenzel_field_set_treat_as_text": (_int, [_handle]),
    "quenzel_field_int_attribute": (_int, [_handle, _int, ctypes.POINTER(ctypes.c_longlong)]),
    "quenzel_field_text_attribute": (_size, [_handle, _int, _text, _size]),
    "quenzel_field_flags": (ctypes.c_uint, [_handle]),
}


class ReadStop(ctypes.Structure):
    """QuenzelReadStop: where the latest catalogue load stopped."""

    _fields_ = [("kind", _int), ("line", _int), ("token", _int),
                ("record_number", _int), ("field_number", _int)]


def _candidates() -> list:
    named = os.environ.get("QUENZEL_LIBRARY")
    if named:
        return [named]
    found = []
    try:
        from . import _installed  # written by the install step
        found.append(os.path.normpath(
            os.path.join(os.path.dirname(__file__), _installed.LIBRARY)))
    except ImportError:
        pass
    found.append(ctypes.util.find_library("quenzel") or
                 ("quenzel.dll" if sys.platform == "win32" else "libquenzel.so.3"))
    return found


def _load() -> ctypes.CDLL:
    # 32-bit Windows: the interface uses stdcall.
    loader = ctypes.CDLL
    if sys.platform == "win32" and ctypes.sizeof(ctypes.c_void_p) == 4:
        loader = ctypes.WinDLL
    errors = []
    for path in _candidates():
        try:
            library = loader(path)
            break
        except OSError as error:
            errors.append(f"{path}: {error}")
    else:
        raise ImportError("cannot load the quenzel library (set QUENZEL_LIBRARY to its path): "
                          + "; ".join(errors))
    for name, (result, arguments) in _PROTOTYPES.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    if library.quenzel_interface_version() < INTERFACE_VERSION:
        raise ImportError("the quenzel library is older than this package")
    return library


lib = _load()


def text_out(function: Callable[..., int], *arguments: object) -> bytes:
    """Calls a function that copies text out and returns its size."""
    capacity = 256
    while True:
        buffer = ctypes.create_string_buffer(capacity)
        needed = function(*arguments, buffer, capacity)
        if needed == 0:
            raise ValueError(f"{function.__name__}: invalid argument")
        if needed <= capacity:
            return buffer.raw[:needed - 1]
        capacity = needed


def coded_text_out(function: Callable[..., int], *arguments: object) -> "tuple[int, bytes]":
    """Calls a function that copies text out and returns a result code."""
    capacity = 256
    needed = ctypes.c_size_t()
    while True:
        buffer = ctypes.create_string_buffer(capacity)
        result = function(*arguments, buffer, capacity, ctypes.byref(needed))
        if result != BUFFER_TOO_SMALL or needed.value <= capacity:
            return result, buffer.raw[:max(needed.value, 1) - 1]
        capacity = needed.value


def result_name(result: int) -> str:
    return text_out(lib.quenzel_result_name, result).decode()


def optional_text(value: Optional[str]) -> Optional[bytes]:
    return None if value is None else os.fsencode(value)
