"""Exceptions and the warnings of the quenzel package.

Setters report the library's result codes: "None" is success,
"Range Warning" becomes a RangeWarning (the field's default was stored), and
every other code raises ValueRejected with the result name, the field and
the text the library refused.
"""

from __future__ import annotations

from typing import Optional

from ._capi import READ_STOP_KINDS


class QuenzelError(Exception):
    """Base class of every exception the package raises."""


class ValueRejected(QuenzelError):
    """A field refused a value, or could not give its value in a form."""

    def __init__(self, result: int, result_name: str, field: str, field_number: int,
                 rejected: str, value: object = None) -> None:
        self.result = result
        self.result_name = result_name
        self.field = field
        self.field_number = field_number
        self.rejected = rejected
        self.value = value
        super().__init__(f"{result_name}: field {field_number} ({field}): rejected {rejected!r}")


class RangeWarning(UserWarning):
    """A value was not acceptable and the field's default was stored."""

    def __init__(self, field: str, field_number: int, rejected: str, value: object) -> None:
        self.result_name = "Range Warning"
        self.field = field
        self.field_number = field_number
        self.rejected = rejected
        self.value = value
        super().__init__(f"Range Warning: field {field_number} ({field}): "
                         f"substituted {rejected!r}")


class NotFound(QuenzelError, KeyError):
    """No record or field of that number or name."""

    result_name = "Not Found"

    def __str__(self) -> str:
        return str(self.args[0]) if self.args else self.result_name


class LoadError(QuenzelError):
    """The catalogue could not be loaded; the attributes tell where it stopped
    and, when the file could not be opened, why (`os_error`)."""

    KINDS = READ_STOP_KINDS

    def __init__(self, path: str, kind: int, line: int, token: int, record_number: int,
                 field_number: int, os_error: Optional[OSError] = None, hint: str = "") -> None:
        self.path = path
        self.kind = kind
        self.line = line
        self.token = token
        self.record_number = record_number
        self.field_number = field_number
        self.os_error = os_error
        reason = READ_STOP_KINDS[kind] if 0 <= kind < len(READ_STOP_KINDS) else f"kind {kind}"
        if os_error is not None and os_error.strerror:
            reason += f": {os_error.strerror}"
        where = f" (line {line}, token {token}, record {record_number}, field {field_number})"
        message = f"cannot load {path}: {reason}"
        if kind == 0:
            message = f"cannot load {path}: the library's version is not the one required"
        elif kind not in (1, 2):
            message += where
        super().__init__(message + (f"; {hint}" if hint else ""))


class LibraryNotFound(QuenzelError, ImportError):
    """The shared library could not be loaded when the package first needed it."""


class PrivateField(QuenzelError, ValueError):
    """A PRIVATE field was given a value without the private override: the
    library would keep its old value without a word, and the tool refuses."""

    def __init__(self, field: str, field_number: int, value: object) -> None:
        self.field = field
        self.field_number = field_number
        self.value = value
        super().__init__(f"field {field_number} ({field}) is PRIVATE: it is set only with "
                         "private_override=True")


class DecodeError(QuenzelError):
    """Data that is not a data record of the catalogue."""

    def __init__(self, message: str, offset: int, record_number: Optional[int] = None) -> None:
        self.offset = offset
        self.record_number = record_number
        super().__init__(f"byte {offset}: {message}")


class InterfaceError(QuenzelError):
    """A failure of the C interface itself (bad handle, internal error)."""

    def __init__(self, result: int, result_name: str, operation: str) -> None:
        self.result = result
        self.result_name = result_name
        super().__init__(f"{operation}: {result_name}")


class SkippedData(UserWarning):
    """A stretch of input that a reader with errors="skip" passed over."""

    def __init__(self, offset: int, length: int, reason: str) -> None:
        self.offset = offset
        self.length = length
        self.reason = reason
        super().__init__(f"skipped {length} bytes at byte {offset}: {reason}")
