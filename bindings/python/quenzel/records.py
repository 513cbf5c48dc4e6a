"""Catalogue, Record and Field: the library's classes as Python objects.

A Catalogue owns the record definitions of one definition file. Every
Record it hands out is a working copy that the caller owns (close it, use it
in a with block, or let the garbage collector free it). A Field is a view of
one field of a record; it keeps its record alive.
"""

from __future__ import annotations

import ctypes
import enum
import io
import os
import re
import warnings
from typing import (BinaryIO, Dict, Iterator, List, Mapping, NamedTuple, Optional, Tuple, TypeVar,
                    Union)

from . import _native
from ._native import lib
from .errors import (DecodeError, InterfaceError, LoadError, NotFound, RangeWarning,
                     ValueRejected)

FieldKey = Union[int, str]
Value = Union[int, float, str, bytes]

_SEPARATORS = b" \t\r\n"
_RECORD_NUMBER = re.compile(rb"[0-9]+")
_KEY_ROOT = "SOFTWARE\\TORVANHOLME\\"

_Self = TypeVar("_Self", bound="_Owned")


class _Owned:
    """An object of the library that this Python object frees: close(),
    the with-block protocol, and the check that it is still open."""

    _handle: Optional[int]
    _what = "object"  # for the message when it is used after close()

    def _free(self, handle: int) -> None:
        raise NotImplementedError

    def close(self) -> None:
        if getattr(self, "_handle", None):
            self._free(self._handle)
            self._handle = None

    def __del__(self) -> None:
        self.close()

    def __enter__(self: _Self) -> _Self:
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def _live(self) -> int:
        if not self._handle:
            raise InterfaceError(_native.INVALID_ARGUMENT, "Invalid Argument",
                                 f"the {self._what} is closed")
        return self._handle


class Measurement(enum.IntEnum):
    """Selectors of Record.measurement (QuenzelMeasurement)."""

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


class RecordInfo(NamedTuple):
    """A record definition of the catalogue."""

    number: int
    name: str
    action: str
    field_count: int


def _check_layer(result: int, operation: str) -> int:
    if result == _native.OUT_OF_MEMORY:
        raise MemoryError(operation)
    if result < 0:
        raise InterfaceError(result, _native.result_name(result), operation)
    return result


def set_setting(name: str, value: str) -> None:
    """Lays a registry value over the registry for this process.

    `name` is the key path and the value name, joined by a backslash, below
    SOFTWARE\\TORVANHOLME unless it starts with SOFTWARE\\, for example
    "Environment\\ZQEXE" or "DRIVER\\system\\WeightScalingSystem".
    """
    key, _, value_name = name.rpartition("\\")
    if not key.upper().startswith("SOFTWARE\\"):
        key = _KEY_ROOT + key
    _check_layer(lib.quenzel_set_setting(key.encode(), value_name.encode(), value.encode()),
                 f"setting {name}")


def clear_settings() -> None:
    """Drops every value that set_setting laid over the registry."""
    lib.quenzel_clear_settings()


class Catalogue(_Owned):
    """The record definitions of one definition file (CQuenzelFile).

    `file_name` is found as the library finds it: in the zqapi directory
    below the registry's ZQEXE directory. `log` names the audit log (empty:
    none). `registry` names a registry export file for this process
    (CFGSTORE_FILE; by default the environment's), and `settings` lays
    values over it (see set_setting). Raises LoadError when the file does
    not load.
    """

    def __init__(self, file_name: Union[str, os.PathLike], log: str = "", *,
                 registry: Optional[Union[str, os.PathLike]] = None,
                 settings: Optional[Mapping[str, str]] = None,
                 required_version: str = "") -> None:
        if registry is not None:
            os.environ["CFGSTORE_FILE"] = os.path.abspath(os.fspath(registry))
        for name, value in (settings or {}).items():
            set_setting(name, value)
        self._handle = lib.quenzel_catalogue_create()
        if not self._handle:
            raise MemoryError("quenzel_catalogue_create")
        loaded = lib.quenzel_catalogue_initialise(self._handle, os.fsencode(file_name),
                                                  log.encode(), None, required_version.encode())
        if _check_layer(loaded, "loading the catalogue") != 1:
            stop = _native.ReadStop()
            path = _native.text_out(lib.quenzel_last_read_error, ctypes.byref(stop))
            self.close()
            raise LoadError(os.fsdecode(path) or os.fspath(file_name), stop.kind, stop.line,
                            stop.token, stop.record_number, stop.field_number)

    _what = "catalogue"

    def _free(self, handle: int) -> None:
        """Frees the catalogue; records copied from it stay usable."""
        lib.quenzel_catalogue_free(handle)

    @property
    def definition_path(self) -> str:
        return os.fsdecode(_native.text_out(lib.quenzel_catalogue_definition_path, self._live()))

    def _template(self, key: FieldKey) -> int:
        if isinstance(key, int):
            template = lib.quenzel_catalogue_record(self._live(), key)
        else:
            template = lib.quenzel_catalogue_record_by_name(self._live(), key.encode())
        if not template:
            raise NotFound(f"no record {key} in {self.definition_path}")
        return template

    def record(self, key: FieldKey) -> "Record":
        """A working copy of the record with this number or name."""
        return Record._copy_of(self._template(key))

    def __contains__(self, key: object) -> bool:
        try:
            self._template(key)  # type: ignore[arg-type]
            return True
        except (NotFound, AttributeError):
            return False

    def __len__(self) -> int:
        return lib.quenzel_catalogue_record_count(self._live())

    def records(self) -> List[RecordInfo]:
        """Every record definition, in record-number order."""
        handle = self._live()
        return sorted(Record._info(lib.quenzel_catalogue_record_at(handle, index))
                      for index in range(len(self)))

    def __iter__(self) -> Iterator[RecordInfo]:
        return iter(self.records())

    def reader(self, stream: BinaryIO, chunk_size: int = 1 << 16) -> Iterator["Record"]:
        """Yields a record for each data record on a binary stream.

        Each data record is read into a copy of the record its number names.
        Raises DecodeError, with the stream offset, at data that does not read.
        """
        data, offset, at_end = b"", 0, False
        while True:
            rest = data.lstrip(_SEPARATORS)
            offset += len(data) - len(rest)
            data = rest
            number = _RECORD_NUMBER.match(data)
            # Read on while the record may go on beyond what has been read.
            if not at_end and (not number or number.end() == len(data)):
                chunk = stream.read(chunk_size)
                at_end = not chunk
                data += chunk
                continue
            if not data:
                return
            if not number:
                raise DecodeError("no record number", offset)
            record_number = int(number.group())
            if record_number not in self:
                raise DecodeError(f"record {record_number} is not defined", offset, record_number)
            record = self.record(record_number)
            read, consumed = record._read(data)
            if not at_end and consumed == len(data):
                record.close()
                chunk = stream.read(chunk_size)
                at_end = not chunk
                data += chunk
                continue
            if not read:
                record.close()
                raise DecodeError(f"record {record_number} does not read (stopped at byte "
                                  f"{offset + consumed})", offset, record_number)
            yield record
            data = data[consumed:]
            offset += consumed

    def decode(self, data: bytes) -> "Record":
        """The first data record in `data`, read into a copy of its record."""
        for record in self.reader(io.BytesIO(data)):
            return record
        raise DecodeError("no data record", len(data))


class Record(_Owned):
    """A working copy of a record (CQuenzelRecord), owned by the caller.

    Fields are reached by number or name: `record["PLU"] = 4711` sets a
    value, `record[3]` gives a value as text (as the data record would carry
    it, in UTF-8), `record.field("PLU")` the Field itself. Iterating gives
    the fields in definition order.
    """

    def __init__(self) -> None:
        raise TypeError("records come from Catalogue.record() or Record.copy()")

    @classmethod
    def _copy_of(cls, handle: int) -> "Record":
        copy = lib.quenzel_record_copy(handle)
        if not copy:
            raise MemoryError("quenzel_record_copy")
        record = cls.__new__(cls)
        record._handle = copy
        record._generation = 0
        return record

    @staticmethod
    def _info(handle: int) -> RecordInfo:
        action = _native.text_out(lib.quenzel_action_name, lib.quenzel_record_action(handle))
        return RecordInfo(lib.quenzel_record_number(handle),
                          _native.text_out(lib.quenzel_record_name, handle).decode(),
                          action.decode(), lib.quenzel_record_field_count(handle))

    def copy(self) -> "Record":
        return Record._copy_of(self._live())

    _what = "record"

    def _free(self, handle: int) -> None:
        lib.quenzel_record_free(handle)

    @property
    def number(self) -> int:
        return lib.quenzel_record_number(self._live())

    @property
    def name(self) -> str:
        return _native.text_out(lib.quenzel_record_name, self._live()).decode()

    @property
    def action(self) -> str:
        return self._info(self._live()).action

    @property
    def key_names(self) -> Tuple[str, ...]:
        """The names of the key fields F1 to F3 that the record has."""
        names = (_native.text_out(lib.quenzel_record_key_name, self._live(), position)
                 for position in (1, 2, 3))
        return tuple(name.decode() for name in names if name)

    def __repr__(self) -> str:
        return f"<Record {self.number} {self.name}>" if self._handle else "<Record closed>"

    # Fields

    def __len__(self) -> int:
        return lib.quenzel_record_field_count(self._live())

    def __iter__(self) -> Iterator["Field"]:
        return (Field(self, index) for index in range(len(self)))

    def _find(self, key: FieldKey, create: bool) -> Optional["Field"]:
        handle = self._live()
        if isinstance(key, int):
            function = (lib.quenzel_record_create_find_field if create
                        else lib.quenzel_record_find_field)
            found = function(handle, key)
        else:
            function = (lib.quenzel_record_create_find_field_by_name if create
                        else lib.quenzel_record_find_field_by_name)
            found = function(handle, key.encode())
            if not found and key.isdigit():
                found = lib.quenzel_record_find_field(handle, int(key))
        if not found:
            return None
        return next(field for field in self if field._handle == found)

    def field(self, key: FieldKey) -> "Field":
        """The field with this number, or with this name (a text of digits
        that names no field is taken as a number). Raises NotFound."""
        found = self._find(key, create=False)
        if found is None:
            raise NotFound(f"record {self.number} has no field {key}")
        return found

    def create_field(self, key: FieldKey) -> "Field":
        """The field, created as a STRING field when the record lacks it."""
        return self._find(key, create=True)  # type: ignore[return-value]

    def __contains__(self, key: object) -> bool:
        return isinstance(key, (int, str)) and self._find(key, create=False) is not None

    def __getitem__(self, key: FieldKey) -> str:
        return self.field(key).text

    def __setitem__(self, key: FieldKey, value: Value) -> None:
        self.field(key).set(value)

    def items(self) -> Iterator[Tuple[str, str]]:
        """(name, text) of every field."""
        return ((field.name, field.text) for field in self)

    def set(self, values: Mapping[FieldKey, Value], private_override: bool = False) -> None:
        """Sets several fields; the first refused value raises."""
        for key, value in values.items():
            self.field(key).set(value, private_override=private_override)

    def reset(self) -> None:
        """Every field back to its default; fields marked text-only are dropped."""
        count = len(self)
        lib.quenzel_record_reset(self._live())
        if len(self) != count:
            self._generation += 1

    @property
    def key_supplied(self) -> bool:
        """CheckKeyFieldSupplied: a key field is marked supplied."""
        return lib.quenzel_record_check_key_field_supplied(self._live()) == 1

    # Measurement

    def set_host_units(self, system: int, factor: int, *, backward_compatible: bool = False,
                       uom: bool = True) -> None:
        """The host's weight units for the whole record.

        As DriverSetRecordWeightDetails, followed by the hand-over of the
        settings to the weight fields, so that values set afterwards convert.
        """
        handle = self._live()
        lib.quenzel_record_driver_set_record_weight_details(handle, system, factor,
                                                            int(backward_compatible), 0, int(uom))
        lib.quenzel_record_write(handle, None, 0, None)

    def set_field_host_units(self, field_number: int, system: int, factor: int) -> None:
        lib.quenzel_record_driver_set_field_weight_details(self._live(), field_number, system,
                                                           factor)

    def weight_conversion(self, on: bool) -> None:
        lib.quenzel_record_weight_conversion_on(self._live(), int(on))

    @property
    def price_base(self) -> bool:
        return lib.quenzel_record_get_price_base(self._live()) == 1

    @property
    def uom_value(self) -> bool:
        return lib.quenzel_record_get_uom_field_value(self._live()) == 1

    def measurement(self, which: Measurement) -> int:
        value = ctypes.c_int()
        _check_layer(lib.quenzel_record_measurement(self._live(), int(which), ctypes.byref(value)),
                     f"measurement {which!r}")
        return value.value

    # Data records

    def encode(self) -> bytes:
        """The record as one data record."""
        result, data = _native.coded_text_out(lib.quenzel_record_write, self._live())
        _check_layer(result, "writing the record")
        return data

    def _read(self, data: bytes) -> Tuple[bool, int]:
        consumed = ctypes.c_size_t()
        read = lib.quenzel_record_read(self._live(), data, len(data), ctypes.byref(consumed))
        return _check_layer(read, "reading a data record") == 1, consumed.value

    def decode(self, data: bytes) -> int:
        """Reads one data record from `data` into this record (which is not
        reset first) and returns the number of bytes read. Raises
        DecodeError with the offset where the reader stopped."""
        read, consumed = self._read(data)
        if not read:
            raise DecodeError(f"record {self.number} does not read", consumed, self.number)
        return consumed


# Selectors of quenzel_field_int_attribute and quenzel_field_text_attribute.
_NUMBER, _TYPE, _LENGTH, _MIN, _MAX, _DEFAULT, _PSEUDO = range(7)
_NAME, _VALUE, _REJECTED, _VALUE_LIST, _VALID_CHARS, _INIT_VALUE, _COMMENT, _KEY, \
    _KEY_POSITION, _CODE_PAGE = range(10)
_FLAGS = ("private", "no_partial", "del_ctl_ch", "supplied", "treat_as_text", "no_pad",
          "send_or_delete", "convert_field", "conversion_on", "host_units_fixed", "numeric",
          "text", "single_character")


class Field:
    """One field of a record (CQuenzelField), valid while its record is."""

    def __init__(self, record: Record, index: int) -> None:
        self._record = record
        self._index = index
        self._generation = record._generation

    @property
    def _handle(self) -> int:
        record = self._record
        if self._generation != record._generation:
            raise InterfaceError(_native.INVALID_ARGUMENT, "Invalid Argument",
                                 "the record's fields changed since this field was taken")
        return lib.quenzel_record_field_at(record._live(), self._index)

    def _number_attribute(self, which: int) -> int:
        value = ctypes.c_longlong()
        lib.quenzel_field_int_attribute(self._handle, which, ctypes.byref(value))
        return value.value

    def _text_attribute(self, which: int) -> str:
        return _native.text_out(lib.quenzel_field_text_attribute, self._handle,
                                which).decode("utf-8", "replace")

    number = property(lambda self: self._number_attribute(_NUMBER))
    type = property(lambda self: self._number_attribute(_TYPE))
    length = property(lambda self: self._number_attribute(_LENGTH))
    minimum = property(lambda self: self._number_attribute(_MIN))
    maximum = property(lambda self: self._number_attribute(_MAX))
    default = property(lambda self: self._number_attribute(_DEFAULT))
    pseudo_number = property(lambda self: self._number_attribute(_PSEUDO))
    name = property(lambda self: self._text_attribute(_NAME))
    value = property(lambda self: self._text_attribute(_VALUE), doc="the stored UTF-8 text")
    rejected = property(lambda self: self._text_attribute(_REJECTED))
    value_list = property(lambda self: self._text_attribute(_VALUE_LIST))
    valid_chars = property(lambda self: self._text_attribute(_VALID_CHARS))
    init_value = property(lambda self: self._text_attribute(_INIT_VALUE))
    comment = property(lambda self: self._text_attribute(_COMMENT))
    key = property(lambda self: self._text_attribute(_KEY))
    key_position = property(lambda self: self._text_attribute(_KEY_POSITION))
    code_page = property(lambda self: self._text_attribute(_CODE_PAGE))

    @property
    def type_name(self) -> str:
        return _native.text_out(lib.quenzel_type_name, self.type).decode()

    @property
    def flags(self) -> Dict[str, bool]:
        bits = lib.quenzel_field_flags(self._handle)
        return {name: bool(bits & (1 << bit)) for bit, name in enumerate(_FLAGS)}

    @property
    def supplied(self) -> bool:
        return self.flags["supplied"]

    @supplied.setter
    def supplied(self, supplied: bool) -> None:
        lib.quenzel_field_set_supplied(self._handle, int(supplied))

    def treat_as_text(self) -> None:
        lib.quenzel_field_set_treat_as_text(self._handle)

    def reset(self) -> None:
        lib.quenzel_field_reset(self._handle)

    def __repr__(self) -> str:
        return f"<Field {self.number} {self.name} {self.type_name} {self.text!r}>"

    def _report(self, result: int, operation: str, given: object) -> None:
        _check_layer(result, operation)
        if result == _native.NONE:
            return
        if result == _native.RANGE_WARNING:
            warnings.warn(RangeWarning(self.name, self.number, self.rejected, given),
                          stacklevel=4)
            return
        raise ValueRejected(result, _native.result_name(result), self.name, self.number,
                            self.rejected, given)

    def set(self, value: Value, *, private_override: bool = False) -> None:
        """Sets the value: text (str, UTF-8), text in the definition's code
        page (bytes), an integer, or a float (cut toward zero, as hosts set
        weights). Raises ValueRejected; warns RangeWarning."""
        handle, override = self._handle, int(private_override)
        if isinstance(value, str):
            data = value.encode()
            result = lib.quenzel_field_set_text_utf8(handle, data, len(data), override)
        elif isinstance(value, bytes):
            result = lib.quenzel_field_set_text(handle, value, len(value), override)
        elif isinstance(value, int):
            result = lib.quenzel_field_set_int64_utf8(handle, value, override)
        elif isinstance(value, float):
            result = lib.quenzel_field_set_float_utf8(handle, value, override)
        else:
            raise TypeError(f"a field takes str, bytes, int or float, not {type(value).__name__}")
        self._report(result, f"setting field {self.name}", value)

    def set_char(self, value: Union[str, bytes, int], *, private_override: bool = False) -> None:
        """Sets the value as one character (the character setter)."""
        byte = value if isinstance(value, int) else ord(value)
        self._report(lib.quenzel_field_set_char_utf8(self._handle, byte, int(private_override)),
                     f"setting field {self.name}", value)

    @property
    def text(self) -> str:
        """The value as text in UTF-8, formatted as a data record carries it."""
        return self._text(lib.quenzel_field_get_text_utf8).decode("utf-8", "replace")

    @property
    def raw(self) -> bytes:
        """The value as text in the definition's code page."""
        return self._text(lib.quenzel_field_get_text)

    def _text(self, getter: object) -> bytes:
        result, data = _native.coded_text_out(getter, self._handle)  # type: ignore[arg-type]
        _check_layer(result, f"reading field {self.name}")
        return data

    def _typed(self, getter: object, out: "ctypes._SimpleCData") -> object:
        result = getter(self._handle, ctypes.byref(out))  # type: ignore[operator]
        self._report(result, f"reading field {self.name}", None)
        return out.value

    def as_int(self) -> int:
        """The value as a number (weights in the host's units). Raises
        ValueRejected for a text field or a value outside the definition."""
        return self._typed(lib.quenzel_field_get_int64_utf8, ctypes.c_longlong())  # type: ignore

    def as_float(self) -> float:
        return self._typed(lib.quenzel_field_get_float_utf8, ctypes.c_float())  # type: ignore

    def as_char(self) -> str:
        byte = self._typed(lib.quenzel_field_get_char_utf8, ctypes.c_ubyte())
        return chr(byte)  # type: ignore[arg-type]
