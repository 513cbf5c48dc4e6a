"""The field: one field of a record, reached through its record."""

from __future__ import annotations

import ctypes
import warnings
from typing import TYPE_CHECKING, Dict, Union

from . import _capi, _native
from ._capi import FieldFlag, FieldNumber, FieldText
from ._native import check_layer, lib
from .errors import InterfaceError, RangeWarning, ValueRejected

if TYPE_CHECKING:
    from .record import Record

Value = Union[int, float, str, bytes]


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
            raise InterfaceError(_capi.INVALID_ARGUMENT, "Invalid Argument",
                                 "the record's fields changed since this field was taken")
        return lib.quenzel_record_field_at(record._live(), self._index)

    def _number_attribute(self, which: int) -> int:
        value = ctypes.c_longlong()
        lib.quenzel_field_int_attribute(self._handle, which, ctypes.byref(value))
        return value.value

    def _text_attribute(self, which: int) -> str:
        return _native.text_out(lib.quenzel_field_text_attribute, self._handle,
                                which).decode("utf-8", "replace")

    number = property(lambda self: self._number_attribute(FieldNumber.NUMBER))
    type = property(lambda self: self._number_attribute(FieldNumber.TYPE))
    length = property(lambda self: self._number_attribute(FieldNumber.LENGTH))
    minimum = property(lambda self: self._number_attribute(FieldNumber.MIN))
    maximum = property(lambda self: self._number_attribute(FieldNumber.MAX))
    default = property(lambda self: self._number_attribute(FieldNumber.DEFAULT))
    pseudo_number = property(lambda self: self._number_attribute(FieldNumber.PSEUDO_NUMBER))
    name = property(lambda self: self._text_attribute(FieldText.NAME))
    value = property(lambda self: self._text_attribute(FieldText.VALUE), doc="the stored UTF-8 text")
    rejected = property(lambda self: self._text_attribute(FieldText.REJECTED))
    value_list = property(lambda self: self._text_attribute(FieldText.VALUE_LIST))
    valid_chars = property(lambda self: self._text_attribute(FieldText.VALID_CHARS))
    init_value = property(lambda self: self._text_attribute(FieldText.INIT_VALUE))
    comment = property(lambda self: self._text_attribute(FieldText.COMMENT))
    key = property(lambda self: self._text_attribute(FieldText.KEY))
    key_position = property(lambda self: self._text_attribute(FieldText.KEY_POSITION))
    code_page = property(lambda self: self._text_attribute(FieldText.CODE_PAGE))

    @property
    def type_name(self) -> str:
        return _native.text_out(lib.quenzel_type_name, self.type).decode()

    @property
    def flags(self) -> Dict[str, bool]:
        bits = lib.quenzel_field_flags(self._handle)
        return {flag.name.lower(): bool(bits & flag) for flag in FieldFlag}  # type: ignore[union-attr]

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
        check_layer(result, operation)
        if result == _capi.NONE:
            return
        if result == _capi.RANGE_WARNING:
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
        check_layer(result, f"reading field {self.name}")
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
