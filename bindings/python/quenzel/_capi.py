"""What the package knows of the C interface (quenzel_c.h), in one place:
its version, result codes, selectors and flags, and the C types of every
function's result and arguments.
"""

from __future__ import annotations

import ctypes
import enum

INTERFACE_VERSION = 1

# enum QuenzelResult
NONE = 0
RANGE_ERROR = 1
RANGE_WARNING = 2
CONVERT_FAIL = 3
LENGTH_ERROR = 4
INVALID_NUMERIC = 5
NOT_FOUND = 6
INVALID_ARGUMENT = -2
BUFFER_TOO_SMALL = -3
OUT_OF_MEMORY = -4
INTERNAL_ERROR = -5

# QuenzelReadStop.kind, by value
READ_STOP_KINDS = ("none", "UTF-16 file", "cannot open", "bad header line", "bad action word",
                   "bad field line", "read error")


class Measurement(enum.IntEnum):
    """Selectors of Record.measurement (enum QuenzelMeasurement)."""

    SOURCE_BASE_WEIGHT_UNITS = 0
    SOURCE_TOTALS_BASE_WEIGHT_UNITS = 1
    NET_WEIGHT_BASE_WEIGHT_UNITS = 2
    PRICE_UNITS = 3
    SOURCE_SCALING_FACTOR = 4
    SOURCE_TOTALS_SCALING_FACTOR = 5
    NET_WEIGHT_SCALING_FACTOR = 6
    BACKWARD_COMPATIBLE_MODE = 7
    DESTINATION_BASE_WEIGHT_UNITS = 8
    DESTINATION_SCALING_FACTOR = 9
    CONVERSION_ON = 10
    UOM_FLAG = 11
    PRICE_BASE_FLAG = 12
    RANGE_WARNING_FLAG = 13


class FieldNumber(enum.IntEnum):
    """Selectors of quenzel_field_int_attribute (enum QuenzelFieldNumber)."""

    NUMBER = 0
    TYPE = 1
    LENGTH = 2
    MIN = 3
    MAX = 4
    DEFAULT = 5
    PSEUDO_NUMBER = 6
    SPLIT_COUNT_1 = 7
    SPLIT_COUNT_2 = 8
    RECORD_NUMBER = 9
    HOST_MS = 10
    HOST_SF = 11
    SCALE_MS = 12
    SCALE_SF = 13


class FieldText(enum.IntEnum):
    """Selectors of quenzel_field_text_attribute (enum QuenzelFieldText)."""

    NAME = 0
    VALUE = 1
    REJECTED = 2
    VALUE_LIST = 3
    VALID_CHARS = 4
    INIT_VALUE = 5
    COMMENT = 6
    KEY = 7
    KEY_POSITION = 8
    CODE_PAGE = 9
    RECORD_NAME = 10


class FieldFlag(enum.IntFlag):
    """Bits of quenzel_field_flags (enum QuenzelFieldFlag)."""

    PRIVATE = 1 << 0
    NO_PARTIAL = 1 << 1
    DEL_CTL_CH = 1 << 2
    SUPPLIED = 1 << 3
    TREAT_AS_TEXT = 1 << 4
    NO_PAD = 1 << 5
    SEND_OR_DELETE = 1 << 6
    CONVERT_FIELD = 1 << 7
    CONVERSION_ON = 1 << 8
    HOST_UNITS_FIXED = 1 << 9
    NUMERIC = 1 << 10
    TEXT = 1 << 11
    SINGLE_CHARACTER = 1 << 12


class ReadStop(ctypes.Structure):
    """struct QuenzelReadStop: where the latest catalogue load stopped."""

    _fields_ = [("kind", ctypes.c_int), ("line", ctypes.c_int), ("token", ctypes.c_int),
                ("record_number", ctypes.c_int), ("field_number", ctypes.c_int)]


_handle = ctypes.c_void_p
_text = ctypes.c_char_p
_size = ctypes.c_size_t
_int = ctypes.c_int
_int64 = ctypes.c_longlong
_size_out = ctypes.POINTER(ctypes.c_size_t)

# name: (result type, argument types), as quenzel_c.h declares them.
PROTOTYPES = {
    "quenzel_interface_version": (_int, []),
    "quenzel_library_version": (_size, [_text, _size]),
    "quenzel_result_name": (_size, [_int, _text, _size]),
    "quenzel_type_name": (_size, [_int, _text, _size]),
    "quenzel_action_name": (_size, [_int, _text, _size]),
    "quenzel_set_setting": (_int, [_text, _text, _text]),
    "quenzel_clear_settings": (None, []),
    "quenzel_last_read_error": (_size, [ctypes.POINTER(ReadStop), _text, _size]),
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
    "quenzel_field_set_int64_utf8": (_int, [_handle, _int64, _int]),
    "quenzel_field_get_int64_utf8": (_int, [_handle, ctypes.POINTER(_int64)]),
    "quenzel_field_set_char_utf8": (_int, [_handle, ctypes.c_ubyte, _int]),
    "quenzel_field_get_char_utf8": (_int, [_handle, ctypes.POINTER(ctypes.c_ubyte)]),
    "quenzel_field_set_float_utf8": (_int, [_handle, ctypes.c_float, _int]),
    "quenzel_field_get_float_utf8": (_int, [_handle, ctypes.POINTER(ctypes.c_float)]),
    "quenzel_field_reset": (_int, [_handle]),
    "quenzel_field_set_supplied": (_int, [_handle, _int]),
    "quenzel_field_set_treat_as_text": (_int, [_handle]),
    "quenzel_field_int_attribute": (_int, [_handle, _int, ctypes.POINTER(_int64)]),
    "quenzel_field_text_attribute": (_size, [_handle, _int, _text, _size]),
    "quenzel_field_flags": (ctypes.c_uint, [_handle]),
}
