"""Reading data records one after another from a binary stream.

The reader keeps the bytes it has read in one buffer and hands the library
the unread part in place. A record that the buffer does not yet hold whole
is read again once the buffer has grown by as much again as it holds for
that record, so that the bytes read for a record of n bytes add up to less
than 2n: the reader is linear in its input, however long a record is.
"""

from __future__ import annotations

import ctypes
import re
import warnings
from typing import TYPE_CHECKING, BinaryIO, Callable, Iterator, Optional

from .errors import DecodeError, SkippedData

if TYPE_CHECKING:
    from .catalogue import Catalogue
    from .record import Record

_SEPARATORS = b" \t\r\n"
_NUMBER = re.compile(rb"[0-9]+")


class _Buffer:
    """The bytes read from a stream that have not been handed out yet."""

    def __init__(self, stream: BinaryIO, chunk_size: int) -> None:
        self.stream = stream
        self.chunk_size = max(1, chunk_size)
        self.data = bytearray()
        self.pos = 0  # the first unread byte in data
        self.base = 0  # the stream offset of data[0]
        self.at_end = False

    @property
    def offset(self) -> int:
        return self.base + self.pos

    def fill(self, at_least: int = 0) -> bool:
        """Reads at least a chunk more; False at the end of the stream."""
        if self.pos > len(self.data) // 2:
            del self.data[:self.pos]  # drop what was handed out, now and then
            self.base += self.pos
            self.pos = 0
        chunk = self.stream.read(max(self.chunk_size, at_least))
        if not chunk:
            self.at_end = True
            return False
        self.data += chunk
        return True

    def skip_separators(self) -> bool:
        """Moves past separators and comment lines; False at the end."""
        while True:
            data, pos = self.data, self.pos
            while pos < len(data) and data[pos] in _SEPARATORS:
                pos += 1
            if pos < len(data) and data[pos] == ord("/"):
                line_end = data.find(b"\n", pos)
                if line_end >= 0:
                    pos = line_end + 1
                elif self.at_end:
                    pos = len(data)
            self.pos = pos
            if pos < len(data) and data[pos] != ord("/"):
                return True
            if self.at_end and pos >= len(data):
                return False
            self.fill()


def read_records(catalogue: "Catalogue", stream: BinaryIO, errors: str,
                 on_skip: Optional[Callable[[int, int, str], None]],
                 chunk_size: int) -> Iterator["Record"]:
    buffer = _Buffer(stream, chunk_size)

    def skip(reason: str, record_number: Optional[int], stopped: int) -> None:
        # `stopped`: bytes after the record's start that the reader took.
        if errors == "raise":
            raise DecodeError(reason, buffer.offset, record_number)
        start = buffer.offset
        buffer.pos = next_boundary(buffer, stopped)
        length = buffer.offset - start
        if on_skip is not None:
            on_skip(start, length, reason)
        else:
            warnings.warn(SkippedData(start, length, reason), stacklevel=3)

    while buffer.skip_separators():
        data, pos = buffer.data, buffer.pos
        number = _NUMBER.match(data, pos)
        if number and number.end() == len(data) and not buffer.at_end:
            buffer.fill()
            continue
        if not number or (number.end() < len(data) and data[number.end()] not in _SEPARATORS
                          and data[number.end()] != ord("/")):
            skip("no record number", None, 0)
            continue
        record_number = int(number.group())
        if record_number not in catalogue:
            skip(f"record {record_number} is not defined", record_number,
                 number.end() - pos)
            continue
        record = catalogue.record(record_number)
        size = len(data) - pos
        view = (ctypes.c_char * size).from_buffer(data, pos)
        try:
            read, consumed = record._read(view, size)
        finally:
            del view  # the buffer may grow again only without views of it
        # Taken to its end, the record may go on beyond what has been read.
        complete = read and data[pos + consumed - 1] in _SEPARATORS
        if consumed >= size and not complete and not buffer.at_end:
            record.close()
            buffer.fill(at_least=size)
            continue
        if not read:
            record.close()
            skip(f"record {record_number} does not read (stopped at byte "
                 f"{buffer.offset + consumed})", record_number, consumed)
            continue
        buffer.pos += consumed
        yield record


def next_boundary(buffer: _Buffer, stopped: int) -> int:
    """Where reading resumes after a bad record that begins at buffer.pos
    and that the library's reader gave up on `stopped` bytes into it."""
    raise NotImplementedError
