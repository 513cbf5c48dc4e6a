"""What the package knows of the C interface (quenzel_c.h), in one place:
its version, result codes, selectors and flags, and the C types of every
function's result and arguments.
"""

from __future__ import annotations

import ctypes
import enum
from typing import Any, Dict, List, NamedTuple, Optional, Tuple

INTERFACE_VERSION = 2

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


class RecordStop(ctypes.Structure):
    """struct QuenzelRecordStop: where and why a data-record read stopped,
    and the record boundary where the next record can be tried."""

    _fields_ = [("fault", ctypes.c_int), ("field_number", ctypes.c_int),
                ("result", ctypes.c_int), ("element_offset", ctypes.c_size_t),
                ("consumed", ctypes.c_size_t), ("next", ctypes.c_size_t)]


# QuenzelRecordStop.fault, by value
RECORD_FAULTS = ("", "no record number", "another record's number",
                 "neither a field number nor the closing 0", "no length",
                 "a field the record does not define", "the input ends inside the value",
                 "an empty value", "the field refused the value")


class Arg(NamedTuple):
    """One kind of C argument: its ctypes type and what a Python value must
    satisfy before it is handed over."""

    ctype: Any
    low: Optional[int] = None  # integers: the C type's range
    high: Optional[int] = None
    zero_terminated: bool = False  # texts: a zero byte would end them early
    c_name: str = ""  # the C type as the header spells it, for messages


def _integer(ctype: Any, signed: bool, c_name: str) -> Arg:
    bits = 8 * ctypes.sizeof(ctype)
    if signed:
        return Arg(ctype, -(1 << (bits - 1)), (1 << (bits - 1)) - 1, c_name=c_name)
    return Arg(ctype, 0, (1 << bits) - 1, c_name=c_name)


HANDLE = Arg(ctypes.c_void_p)
TEXT = Arg(ctypes.c_char_p, zero_terminated=True)  # const char*, zero-terminated
VALUE = Arg(ctypes.c_char_p, zero_terminated=True)  # a field value: a data record cannot carry 0
DATA = Arg(ctypes.c_void_p)  # bytes, or their address, with their length beside them
BUFFER = Arg(ctypes.c_char_p)  # a buffer that the function fills
INT = _integer(ctypes.c_int, True, "int")
INT64 = _integer(ctypes.c_longlong, True, "long long")
SIZE = _integer(ctypes.c_size_t, False, "size_t")
UCHAR = _integer(ctypes.c_ubyte, False, "unsigned char")
FLOAT = Arg(ctypes.c_float)


def _out(ctype: Any) -> Arg:
    return Arg(ctypes.POINTER(ctype))


SIZE_OUT = _out(ctypes.c_size_t)
_h, _i, _s, _t = HANDLE, INT, SIZE, TEXT

# name: (result type, argument kinds), as quenzel_c.h declares them.
PROTOTYPES: Dict[str, Tuple[Any, List[Arg]]] = {
    "quenzel_interface_version": (ctypes.c_int, []),
    "quenzel_library_version": (ctypes.c_size_t, [BUFFER, _s]),
    "quenzel_result_name": (ctypes.c_size_t, [_i, BUFFER, _s]),
    "quenzel_type_name": (ctypes.c_size_t, [_i, BUFFER, _s]),
    "quenzel_action_name": (ctypes.c_size_t, [_i, BUFFER, _s]),
    "quenzel_set_setting": (ctypes.c_int, [_t, _t, _t]),
    "quenzel_clear_settings": (None, []),
    "quenzel_last_read_error": (ctypes.c_size_t, [_out(ReadStop), BUFFER, _s]),
    "quenzel_catalogue_create": (ctypes.c_void_p, []),
    "quenzel_catalogue_free": (None, [_h]),
    "quenzel_catalogue_initialise": (ctypes.c_int, [_h, _t, _t, _t, _t]),
    "quenzel_catalogue_initialise_from_path": (ctypes.c_int, [_h, _t, _t]),
    "quenzel_catalogue_record": (ctypes.c_void_p, [_h, _i]),
    "quenzel_catalogue_record_by_name": (ctypes.c_void_p, [_h, _t]),
    "quenzel_catalogue_record_count": (ctypes.c_size_t, [_h]),
    "quenzel_catalogue_record_at": (ctypes.c_void_p, [_h, _s]),
    "quenzel_catalogue_definition_path": (ctypes.c_size_t, [_h, BUFFER, _s]),
    "quenzel_record_copy": (ctypes.c_void_p, [_h]),
    "quenzel_record_free": (None, [_h]),
    "quenzel_record_number": (ctypes.c_int, [_h]),
    "quenzel_record_action": (ctypes.c_int, [_h]),
    "quenzel_record_name": (ctypes.c_size_t, [_h, BUFFER, _s]),
    "quenzel_record_key_name": (ctypes.c_size_t, [_h, _i, BUFFER, _s]),
    "quenzel_record_field_count": (ctypes.c_size_t, [_h]),
    "quenzel_record_field_at": (ctypes.c_void_p, [_h, _s]),
    "quenzel_record_find_field": (ctypes.c_void_p, [_h, _i]),
    "quenzel_record_find_field_by_name": (ctypes.c_void_p, [_h, _t]),
    "quenzel_record_create_find_field": (ctypes.c_void_p, [_h, _i]),
    "quenzel_record_create_find_field_by_name": (ctypes.c_void_p, [_h, _t]),
    "quenzel_record_check_key_field_supplied": (ctypes.c_int, [_h]),
    "quenzel_record_reset": (ctypes.c_int, [_h]),
    "quenzel_record_weight_conversion_on": (ctypes.c_int, [_h, _i]),
    "quenzel_record_driver_set_field_weight_details": (ctypes.c_int, [_h, _i, _i, _i]),
    "quenzel_record_driver_set_record_weight_details": (ctypes.c_int, [_h, _i, _i, _i, _i, _i]),
    "quenzel_record_get_price_base": (ctypes.c_int, [_h]),
    "quenzel_record_get_uom_field_value": (ctypes.c_int, [_h]),
    "quenzel_record_measurement": (ctypes.c_int, [_h, _i, _out(ctypes.c_int)]),
    "quenzel_record_write": (ctypes.c_int, [_h, BUFFER, _s, SIZE_OUT]),
    "quenzel_record_read": (ctypes.c_int, [_h, DATA, _s, SIZE_OUT]),
    "quenzel_record_read_stop": (ctypes.c_int, [_h, DATA, _s, _out(RecordStop)]),
    "quenzel_field_set_text": (ctypes.c_int, [_h, VALUE, _s, _i]),
    "quenzel_field_set_text_utf8": (ctypes.c_int, [_h, VALUE, _s, _i]),
    "quenzel_field_get_text": (ctypes.c_int, [_h, BUFFER, _s, SIZE_OUT]),
    "quenzel_field_get_text_utf8": (ctypes.c_int, [_h, BUFFER, _s, SIZE_OUT]),
    "quenzel_field_set_int64_utf8": (ctypes.c_int, [_h, INT64, _i]),
    "quenzel_field_get_int64_utf8": (ctypes.c_int, [_h, _out(ctypes.c_longlong)]),
    "quenzel_field_set_char": (ctypes.c_int, [_h, UCHAR, _i]),
    "quenzel_field_get_char_utf8": (ctypes.c_int, [_h, _out(ctypes.c_ubyte)]),
    "quenzel_field_get_float_utf8": (ctypes.c_int, [_h, _out(ctypes.c_float)]),
    "quenzel_field_reset": (ctypes.c_int, [_h]),
    "quenzel_field_set_supplied": (ctypes.c_int, [_h, _i]),
    "quenzel_field_set_treat_as_text": (ctypes.c_int, [_h]),
    "quenzel_field_int_attribute": (ctypes.c_int, [_h, _i, _out(ctypes.c_longlong)]),
    "quenzel_field_text_attribute": (ctypes.c_size_t, [_h, _i, BUFFER, _s]),
    "quenzel_field_flags": (ctypes.c_uint, [_h]),
}
