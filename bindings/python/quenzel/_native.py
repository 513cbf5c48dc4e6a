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
from typing import Callable, Optional, TypeVar

from .errors import InterfaceError
from ._capi import (BUFFER_TOO_SMALL, INTERFACE_VERSION, INVALID_ARGUMENT, OUT_OF_MEMORY,
                    PROTOTYPES)


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
    for name, (result, arguments) in PROTOTYPES.items():
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


def check_layer(result: int, operation: str) -> int:
    if result == OUT_OF_MEMORY:
        raise MemoryError(operation)
    if result < 0:
        raise InterfaceError(result, result_name(result), operation)
    return result


_Self = TypeVar("_Self", bound="Owned")


class Owned:
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
            raise InterfaceError(INVALID_ARGUMENT, "Invalid Argument",
                                 f"the {self._what} is closed")
        return self._handle
