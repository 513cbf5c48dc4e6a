"""The field: one field of a record, reached through its record."""

from __future__ import annotations

import codecs
import ctypes
import math
import warnings
from typing import TYPE_CHECKING, Any, Dict, Union

from . import _capi
from ._capi import FieldFlag, FieldNumber, FieldText
from ._native import check_argument, check_layer, coded_text_out, lib, text_out, utf8
from .errors import InterfaceError, PrivateField, RangeWarning, ValueRejected

if TYPE_CHECKING:
    from .record import Record

Value = Union[int, float, str, bytes]


def _attribute(which: int, doc: str) -> property:
    if isinstance(which, FieldNumber):
        return property(lambda self: self._number_attribute(which), doc=doc)
    return property(lambda self: self._text_attribute(which), doc=doc)


class Field:
    """One field of a record (CQuenzelField). It keeps its record alive, and
    raises InterfaceError once the record's field list has changed."""

    def __init__(self, record: "Record", index: int) -> None:
        self._record = record
        self._index = index
        self._generation = record._generation

    def __reduce_ex__(self, protocol: Any) -> Any:
        raise TypeError("a quenzel field cannot be pickled: it lives in the library")

    def __copy__(self) -> "Field":
        """Another view of the same field of the same record."""
        return Field(self._record, self._index)

    def __deepcopy__(self, memo: Dict[int, Any]) -> "Field":
        """The same field of a new copy of the record."""
        return Field(self._record.copy(), self._index)

    @property
    def _handle(self) -> int:
        record = self._record
        if self._generation != record._generation:
            raise InterfaceError(_capi.INVALID_ARGUMENT, "Invalid Argument",
                                 "the record's fields changed since this field was taken")
        return lib.quenzel_record_field_at(record._live(), self._index)  # type: ignore[no-any-return]

    def _number_attribute(self, which: int) -> int:
        value = ctypes.c_longlong()
        lib.quenzel_field_int_attribute(self._handle, which, ctypes.byref(value))
        return value.value

    def _text_attribute(self, which: int) -> str:
        return utf8(text_out(lib.quenzel_field_text_attribute, self._handle, which))

    number = _attribute(FieldNumber.NUMBER, "the field number")
    type = _attribute(FieldNumber.TYPE, "the type code (type_name gives its name)")
    length = _attribute(FieldNumber.LENGTH, "the defined length")
    minimum = _attribute(FieldNumber.MIN, "the lowest number allowed, -1 when unbounded")
    maximum = _attribute(FieldNumber.MAX, "the highest number allowed, -1 when unbounded")
    default = _attribute(FieldNumber.DEFAULT, "the default")
    pseudo_number = _attribute(FieldNumber.PSEUDO_NUMBER, "the PSEUDO number, -1 when none")
    name = _attribute(FieldText.NAME, "the field name, may be empty")
    value = _attribute(FieldText.VALUE, "the stored value: the text the tool's JSON shows")
    rejected = _attribute(FieldText.REJECTED, "the text the last setter refused or replaced")
    value_list = _attribute(FieldText.VALUE_LIST, "the list of allowed values")
    valid_chars = _attribute(FieldText.VALID_CHARS, "the characters allowed")
    init_value = _attribute(FieldText.INIT_VALUE, "the initial value of a text field")
    comment = _attribute(FieldText.COMMENT, "the definition's comment")
    key = _attribute(FieldText.KEY, "the KEY attribute")
    key_position = _attribute(FieldText.KEY_POSITION, "the KEYPOS attribute")
    code_page = _attribute(FieldText.CODE_PAGE, "the definition's code page, e.g. cp-1252")

    @property
    def type_name(self) -> str:
        return text_out(lib.quenzel_type_name, self.type).decode()

    @property
    def _flag_bits(self) -> int:
        return lib.quenzel_field_flags(self._handle)  # type: ignore[no-any-return]

    @property
    def flags(self) -> Dict[str, bool]:
        bits = self._flag_bits
        return {str(flag.name).lower(): bool(bits & flag) for flag in FieldFlag}

    @property
    def supplied(self) -> bool:
        return bool(self._flag_bits & FieldFlag.SUPPLIED)

    @supplied.setter
    def supplied(self, supplied: bool) -> None:
        lib.quenzel_field_set_supplied(self._handle, int(bool(supplied)))

    def treat_as_text(self) -> None:
        lib.quenzel_field_set_treat_as_text(self._handle)

    def reset(self) -> None:
        lib.quenzel_field_reset(self._handle)

    def __repr__(self) -> str:
        return f"<Field {self.number} {self.name} {self.type_name} {self.value!r}>"

    @property
    def _label(self) -> str:
        return f"field {self.number} ({self.name})"

    def _report(self, result: int, operation: str, given: object) -> None:
        check_layer(result, operation)
        if result == _capi.NONE:
            return
        if result == _capi.RANGE_WARNING:
            warnings.warn(RangeWarning(self.name, self.number, self.rejected, given),
                          stacklevel=4)
            return
        raise ValueRejected(result, text_out(lib.quenzel_result_name, result).decode(),
                            self.name, self.number, self.rejected, given)

    def _check_private(self, bits: int, override: bool, value: object) -> None:
        # The library keeps a PRIVATE field's value without a word unless
        # the override is given, and never sets a numeric one from text.
        if bits & FieldFlag.PRIVATE and (not override or (
                bits & FieldFlag.NUMERIC and isinstance(value, (str, bytes)))):
            raise PrivateField(self.name, self.number, value)

    def set(self, value: Value, *, private_override: bool = False) -> None:
        """Sets the value: text (str, UTF-8), text in the definition's code
        page (bytes), or a whole number (int, or a float without a fraction).

        Raises TypeError for a bool or another type, ValueError for a float
        with a fraction or text holding a zero byte, OverflowError for a
        number beyond 64 bits, PrivateField for a PRIVATE field without the
        override, and ValueRejected when the library refuses the value;
        warns RangeWarning when the library stored the field's default."""
        handle, bits = self._handle, self._flag_bits
        override = 1 if private_override else 0
        if isinstance(value, bool) or not isinstance(value, (str, bytes, int, float)):
            raise TypeError(f"{self._label} takes str, bytes, int or float, not "
                            f"{type(value).__name__}")
        if isinstance(value, float):
            if not math.isfinite(value) or value != int(value):
                raise ValueError(f"{self._label}: {value!r} is not a whole number")
            number: Union[int, bytes] = int(value)
        elif isinstance(value, str):
            number = value.encode()
        else:
            number = value
        self._check_private(bits, bool(private_override), value)
        try:
            if isinstance(number, int):
                check_argument(_capi.INT64, number)
                result = lib.quenzel_field_set_int64_utf8(handle, number, override)
            else:
                check_argument(_capi.VALUE, number)
                setter = (lib.quenzel_field_set_text_utf8 if isinstance(value, str)
                          else lib.quenzel_field_set_text)
                result = setter(handle, number, len(number), override)
        except (OverflowError, ValueError) as error:
            raise type(error)(f"{self._label}: {error}") from None
        self._report(result, f"setting {self._label}", value)

    def set_char(self, value: Union[str, bytes, int], *, private_override: bool = False) -> None:
        """Sets the value as one character (the character setter): a str of
        one character that the definition's code page holds, one byte, or
        a byte value 0 to 255 (0 to 9 stand for the digits)."""
        if isinstance(value, str):
            if len(value) != 1:
                raise ValueError(f"{self._label}: {value!r} is not one character")
            code_page = self.code_page
            try:
                encoded = value.encode(_python_codec(code_page))
            except UnicodeEncodeError:
                encoded = b""
            if len(encoded) != 1:
                raise ValueError(f"{self._label}: code page {code_page} has no one-byte "
                                 f"character {value!r}")
            byte = encoded[0]
        elif isinstance(value, bytes):
            if len(value) != 1:
                raise ValueError(f"{self._label}: {value!r} is not one byte")
            byte = value[0]
        elif isinstance(value, int) and not isinstance(value, bool):
            byte = value
        else:
            raise TypeError(f"{self._label}: set_char takes str, bytes or int, not "
                            f"{type(value).__name__}")
        try:
            check_argument(_capi.UCHAR, byte)
        except OverflowError as error:
            raise OverflowError(f"{self._label}: {error}") from None
        self._check_private(self._flag_bits, bool(private_override), value)
        result = lib.quenzel_field_set_char(self._handle, byte, 1 if private_override else 0)
        self._report(result, f"setting {self._label}", value)

    @property
    def text(self) -> str:
        """The value as the library's text getter gives it in UTF-8: numbers
        padded with zeros to the field's length, texts padded with spaces
        where the definition asks, weights in the host's units."""
        return utf8(self._text(lib.quenzel_field_get_text_utf8))

    @property
    def raw(self) -> bytes:
        """The text getter's value in the definition's code page."""
        return self._text(lib.quenzel_field_get_text)

    def _text(self, getter: Any) -> bytes:
        result, data = coded_text_out(getter, self._handle)
        check_layer(result, f"reading {self._label}")
        return data

    def _typed(self, getter: Any, out: Any) -> Any:
        result = getter(self._handle, ctypes.byref(out))
        check_layer(result, f"reading {self._label}")
        # A value outside the definition's range is still the value the
        # record holds: it is given, not refused.
        if result not in (_capi.NONE, _capi.RANGE_ERROR, _capi.RANGE_WARNING):
            raise ValueRejected(result, text_out(lib.quenzel_result_name, result).decode(),
                                self.name, self.number, self.rejected)
        return out.value

    def as_int(self) -> int:
        """The value as a number (weights in the host's units). Raises
        ValueRejected for a value that is no number, such as a text field's."""
        return self._typed(lib.quenzel_field_get_int64_utf8, ctypes.c_longlong())  # type: ignore

    def as_float(self) -> float:
        return self._typed(lib.quenzel_field_get_float_utf8, ctypes.c_float())  # type: ignore

    def as_char(self) -> str:
        """The value as one character, decoded from the definition's code page."""
        byte = self._typed(lib.quenzel_field_get_char_utf8, ctypes.c_ubyte())
        return bytes([byte]).decode(_python_codec(self.code_page), "replace")


def _python_codec(code_page: str) -> str:
    """Python's codec for a code page named as the library names it
    ("cp-1252"); ASCII when Python has none of that name."""
    name = code_page[3:] if code_page.lower().startswith("cp-") else code_page
    for candidate in ("cp" + name, name):
        try:
            return codecs.lookup(candidate).name
        except LookupError:
            continue
    return "ascii"
