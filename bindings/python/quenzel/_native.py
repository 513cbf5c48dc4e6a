"""The quenzel shared library: found and loaded on first use, its functions
declared from the prototype table, every argument checked before ctypes
sees it, and the owned-handle base class of the catalogue and the record.

The library is looked up, in this order, at the path in the environment
variable QUENZEL_LIBRARY, at the place the install step recorded beside this
package (_installed.py), and by name through the system's loader.
"""

from __future__ import annotations

import codecs
import ctypes
import ctypes.util
import os
import sys
from typing import Any, Callable, List, Optional, Sequence, Tuple, TypeVar

from ._capi import (BUFFER_TOO_SMALL, INTERFACE_VERSION, INVALID_ARGUMENT, OUT_OF_MEMORY,
                    PROTOTYPES, Arg)
from .errors import InterfaceError, LibraryNotFound


def check_argument(kind: Arg, value: Any) -> None:
    """Refuses a value that the C type would not carry unchanged."""
    if kind.low is not None:
        if isinstance(value, bool) or not isinstance(value, int):
            raise TypeError(f"an integer is required, not {type(value).__name__}")
        if not kind.low <= value <= kind.high:  # type: ignore[operator]
            raise OverflowError(f"{value} is outside the range of the C type "
                                f"{kind.c_name} ({kind.low} to {kind.high})")
    elif kind.zero_terminated and value is not None and b"\0" in value:
        raise ValueError("embedded null byte")


def _checked(function: Any, kinds: Sequence[Arg]) -> Callable[..., Any]:
    checks = [(index, kind) for index, kind in enumerate(kinds)
              if kind.low is not None or kind.zero_terminated]
    if not checks:
        return function  # type: ignore[no-any-return]

    def call(*arguments: Any) -> Any:
        for index, kind in checks:
            check_argument(kind, arguments[index])
        return function(*arguments)

    call.__name__ = function.__name__
    return call


def _candidates() -> List[str]:
    named = os.environ.get("QUENZEL_LIBRARY")
    if named:
        return [named]
    found = []
    try:
        from . import _installed  # type: ignore[attr-defined]  # written by the install step
        found.append(os.path.normpath(
            os.path.join(os.path.dirname(__file__), _installed.LIBRARY)))
    except ImportError:
        pass
    found.append(ctypes.util.find_library("quenzel") or
                 ("quenzel.dll" if sys.platform == "win32" else "libquenzel.so.3"))
    return found


class _Library:
    """The library's functions as attributes; the first one asked for loads
    the library and declares every function."""

    def __getattr__(self, name: str) -> Any:
        if name.startswith("__"):
            raise AttributeError(name)
        self._load()
        return self.__dict__[name]

    def _load(self) -> None:
        # 32-bit Windows: the interface uses stdcall.
        loader: Any = ctypes.CDLL
        if sys.platform == "win32" and ctypes.sizeof(ctypes.c_void_p) == 4:
            loader = getattr(ctypes, "WinDLL")
        errors = []
        for path in _candidates():
            try:
                library = loader(path)
                break
            except OSError as error:
                errors.append(f"{path}: {error}")
        else:
            raise LibraryNotFound("cannot load the quenzel library (set QUENZEL_LIBRARY to its "
                                  "path): " + "; ".join(errors))
        version = library.quenzel_interface_version
        version.restype, version.argtypes = ctypes.c_int, []
        if version() < INTERFACE_VERSION:
            raise LibraryNotFound(f"the quenzel library at {library._name} is older than this "
                                  f"package (C interface {version()}, needed {INTERFACE_VERSION})")
        for name, (result, kinds) in PROTOTYPES.items():
            function = getattr(library, name)
            function.restype = result
            function.argtypes = [kind.ctype for kind in kinds]
            self.__dict__[name] = _checked(function, kinds)


lib: Any = _Library()


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


def coded_text_out(function: Callable[..., int], *arguments: object) -> Tuple[int, bytes]:
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


def _replace_byte(error: UnicodeError) -> Tuple[str, int]:
    # One U+FFFD for each byte that does not begin a well-formed character,
    # the rule of the command-line tool's JSON output.
    return "\ufffd", error.start + 1  # type: ignore[attr-defined]


codecs.register_error("quenzel.replace", _replace_byte)


def utf8(data: bytes) -> str:
    """Stored UTF-8 text as the tool's JSON shows it."""
    return data.decode("utf-8", "quenzel.replace")


def check_layer(result: int, operation: str) -> int:
    if result == OUT_OF_MEMORY:
        raise MemoryError(operation)
    if result < 0:
        raise InterfaceError(result, result_name(result), operation)
    return result


_Self = TypeVar("_Self", bound="Owned")


class Owned:
    """An object of the library that this Python object frees: close(),
    the with-block protocol, and the check that it is still open. It cannot
    be pickled: the handle is an address in this process."""

    _handle: Optional[int] = None
    _what = "object"  # for the message when it is used after close()

    def _free(self, handle: int) -> None:
        raise NotImplementedError

    def close(self) -> None:
        handle, self._handle = self._handle, None
        if handle:
            self._free(handle)

    def __del__(self) -> None:
        self.close()

    def __enter__(self: _Self) -> _Self:
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __reduce_ex__(self, protocol: Any) -> Any:
        raise TypeError(f"a quenzel {self._what} cannot be pickled: it lives in the library; "
                        "pickle what recreates it instead (see docs/python.md)")

    def _live(self) -> int:
        if not self._handle:
            raise InterfaceError(INVALID_ARGUMENT, "Invalid Argument",
                                 f"the {self._what} is closed")
        return self._handle
