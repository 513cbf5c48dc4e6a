"""The record: a working copy of a record definition that the caller owns,
a mapping of its fields' keys to their values, its measurement settings and
its data-record form."""

from __future__ import annotations

import ctypes
from typing import (Any, Dict, Iterator, List, Mapping, NamedTuple, Optional, Tuple, Union,
                    overload)

from . import _capi
from ._capi import Measurement
from ._native import Owned, check_layer, coded_text_out, lib, text_out, utf8
from ._settings import PROCESS, Layer
from .errors import DecodeError, NotFound
from .field import Field, Value

FieldKey = Union[int, str]


class RecordInfo(NamedTuple):
    """A record definition of the catalogue."""

    number: int
    name: str
    action: str
    field_count: int


def check_key(key: object) -> FieldKey:
    """A field or record key: an int or a str; bool is refused (True is no
    field number)."""
    if isinstance(key, bool) or not isinstance(key, (int, str)):
        raise TypeError(f"a key is a number (int) or a name (str), not {type(key).__name__}")
    return key


class Record(Owned, Mapping[FieldKey, str]):
    """A working copy of a record (CQuenzelRecord), owned by the caller.

    A record is a mapping of its fields' keys to their values: the key of a
    field is its name, or its number when it has none; `record[3]` and
    `record["DESCRIPTION"]` give the value as the tool's JSON shows it (the
    stored UTF-8 text), `record["PLU"] = 4711` sets one, `record.field(key)`
    gives the Field, `record.fields()` every Field in definition order.
    """

    _layer: Layer = PROCESS
    _generation = 0
    _what = "record"
    __hash__ = None  # type: ignore[assignment]  # records change; == compares values

    def __init__(self) -> None:
        raise TypeError("records come from Catalogue.record() or Record.copy()")

    @classmethod
    def _copy_of(cls, handle: int, layer: Layer) -> "Record":
        copy = lib.quenzel_record_copy(handle)
        if not copy:
            raise MemoryError("quenzel_record_copy")
        record = cls.__new__(cls)
        record._handle = copy
        record._layer = layer
        return record

    def _live(self) -> int:
        handle = super()._live()
        self._layer.apply()
        return handle

    def _free(self, handle: int) -> None:
        lib.quenzel_record_free(handle)

    @staticmethod
    def _info(handle: int) -> RecordInfo:
        action = text_out(lib.quenzel_action_name, lib.quenzel_record_action(handle))
        return RecordInfo(lib.quenzel_record_number(handle),
                          utf8(text_out(lib.quenzel_record_name, handle)),
                          action.decode(), lib.quenzel_record_field_count(handle))

    def copy(self) -> "Record":
        """A new working copy with the same values, settings and catalogue."""
        return Record._copy_of(self._live(), self._layer)

    __copy__ = copy

    def __deepcopy__(self, memo: Dict[int, Any]) -> "Record":
        return self.copy()

    @property
    def number(self) -> int:
        return lib.quenzel_record_number(self._live())  # type: ignore[no-any-return]

    @property
    def name(self) -> str:
        return utf8(text_out(lib.quenzel_record_name, self._live()))

    @property
    def action(self) -> str:
        return self._info(self._live()).action

    @property
    def key_names(self) -> Tuple[str, ...]:
        """The names of the key fields F1 to F3 that the record has."""
        names = (text_out(lib.quenzel_record_key_name, self._live(), position)
                 for position in (1, 2, 3))
        return tuple(utf8(name) for name in names if name)

    def __repr__(self) -> str:
        if not self._handle:
            return "<Record closed>"
        return f"<Record {self.number} {self.name} {dict(self.items())!r}>"

    def __eq__(self, other: object) -> bool:
        """Records are equal when they have the same number and name and the
        same fields, by number and name, holding the same values."""
        if not isinstance(other, Record):
            return NotImplemented
        return self._state() == other._state()

    def _state(self) -> Tuple[int, str, List[Tuple[int, str, str]]]:
        return self.number, self.name, [(f.number, f.name, f.value) for f in self.fields()]

    # Fields

    def __len__(self) -> int:
        return lib.quenzel_record_field_count(self._live())  # type: ignore[no-any-return]

    def fields(self) -> List[Field]:
        """Every field, in definition order."""
        return [Field(self, index) for index in range(len(self))]

    def __iter__(self) -> Iterator[FieldKey]:
        """The fields' keys in definition order: the name, or the number of
        a field without one."""
        for field in self.fields():
            yield field.name or field.number

    def _find(self, key: FieldKey, create: bool) -> Optional[Field]:
        handle = self._live()
        count = len(self) if create else 0
        if isinstance(check_key(key), int):
            function = (lib.quenzel_record_create_find_field if create
                        else lib.quenzel_record_find_field)
            found = function(handle, key)
        else:
            function = (lib.quenzel_record_create_find_field_by_name if create
                        else lib.quenzel_record_find_field_by_name)
            found = function(handle, key.encode())  # type: ignore[union-attr]
            if not found and key.isascii() and key.isdigit():  # type: ignore[union-attr]
                number = int(key)
                if number <= _capi.INT.high:  # type: ignore[operator]
                    found = lib.quenzel_record_find_field(handle, number)
        if not found:
            return None
        if create and len(self) != count:
            self._generation += 1  # a created field moves the others
        for index in range(len(self)):
            if lib.quenzel_record_field_at(handle, index) == found:
                return Field(self, index)
        return None

    def field(self, key: FieldKey) -> Field:
        """The field with this number, or with this name (a text of digits
        that names no field is taken as a number). Raises NotFound."""
        found = self._find(key, create=False)
        if found is None:
            raise NotFound(f"record {self.number} has no field {key!r}")
        return found

    def create_field(self, key: FieldKey) -> Field:
        """The field, created as a STRING field when the record lacks it."""
        return self._find(key, create=True)  # type: ignore[return-value]

    def __contains__(self, key: object) -> bool:
        if isinstance(key, bool) or not isinstance(key, (int, str)):
            return False
        try:
            return self._find(key, create=False) is not None
        except (OverflowError, ValueError):
            return False

    def __getitem__(self, key: FieldKey) -> str:
        value: str = self.field(key).value
        return value

    def __setitem__(self, key: FieldKey, value: Value) -> None:
        self.field(key).set(value)

    @overload
    def get(self, key: FieldKey) -> Optional[str]: ...
    @overload
    def get(self, key: FieldKey, default: Any) -> Any: ...

    def get(self, key: FieldKey, default: Any = None) -> Any:
        return self[key] if key in self else default

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
        return lib.quenzel_record_check_key_field_supplied(self._live()) == 1  # type: ignore

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
        lib.quenzel_record_weight_conversion_on(self._live(), int(bool(on)))

    @property
    def price_base(self) -> bool:
        return lib.quenzel_record_get_price_base(self._live()) == 1  # type: ignore[no-any-return]

    @property
    def uom_value(self) -> bool:
        return lib.quenzel_record_get_uom_field_value(self._live()) == 1  # type: ignore

    def measurement(self, which: Measurement) -> int:
        value = ctypes.c_int()
        check_layer(lib.quenzel_record_measurement(self._live(), int(which), ctypes.byref(value)),
                    f"measurement {which!r}")
        return value.value

    # Data records

    def encode(self) -> bytes:
        """The record as one data record."""
        result, data = coded_text_out(lib.quenzel_record_write, self._live())
        check_layer(result, "writing the record")
        return data

    def _read(self, data: Any, size: int) -> Tuple[bool, int]:
        consumed = ctypes.c_size_t()
        read = lib.quenzel_record_read(self._live(), data, size, ctypes.byref(consumed))
        return check_layer(read, "reading a data record") == 1, consumed.value

    def _read_stop(self, data: Any, size: int, stop: _capi.RecordStop) -> bool:
        read = lib.quenzel_record_read_stop(self._live(), data, size, ctypes.byref(stop))
        return check_layer(read, "reading a data record") == 1

    def decode(self, data: bytes) -> int:
        """Reads one data record from `data` into this record (which is not
        reset first) and returns the number of bytes read. Raises
        DecodeError with the offset where the reader stopped."""
        read, consumed = self._read(bytes(data), len(data))
        if not read:
            raise DecodeError(f"record {self.number} does not read", consumed, self.number)
        return consumed
