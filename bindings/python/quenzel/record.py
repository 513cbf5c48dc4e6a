"""The record: a working copy of a record definition that the caller owns,
its fields by number or name, its measurement settings and its data-record
form."""

from __future__ import annotations

import ctypes
from typing import Iterator, Mapping, NamedTuple, Optional, Tuple, Union

from . import _native
from ._capi import Measurement
from ._native import Owned, check_layer, lib
from .errors import DecodeError, NotFound
from .field import Field, Value

FieldKey = Union[int, str]


class RecordInfo(NamedTuple):
    """A record definition of the catalogue."""

    number: int
    name: str
    action: str
    field_count: int


class Record(Owned):
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
        check_layer(lib.quenzel_record_measurement(self._live(), int(which), ctypes.byref(value)),
                     f"measurement {which!r}")
        return value.value

    # Data records

    def encode(self) -> bytes:
        """The record as one data record."""
        result, data = _native.coded_text_out(lib.quenzel_record_write, self._live())
        check_layer(result, "writing the record")
        return data

    def _read(self, data: bytes) -> Tuple[bool, int]:
        consumed = ctypes.c_size_t()
        read = lib.quenzel_record_read(self._live(), data, len(data), ctypes.byref(consumed))
        return check_layer(read, "reading a data record") == 1, consumed.value

    def decode(self, data: bytes) -> int:
        """Reads one data record from `data` into this record (which is not
        reset first) and returns the number of bytes read. Raises
        DecodeError with the offset where the reader stopped."""
        read, consumed = self._read(data)
        if not read:
            raise DecodeError(f"record {self.number} does not read", consumed, self.number)
        return consumed
