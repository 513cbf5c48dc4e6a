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

from ._capi import RECORD_FAULTS, RecordStop
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
    scratch: Optional["Record"] = None  # reads data whose record number names no record
    stop = RecordStop()
    while buffer.skip_separators():
        data, pos = buffer.data, buffer.pos
        number = _NUMBER.match(data, pos)
        if number and number.end() == len(data) and not buffer.at_end:
            buffer.fill()
            continue
        record_number = int(number.group()) if number else None
        if record_number is not None and record_number in catalogue:
            record = catalogue.record(record_number)
        else:
            if scratch is None:
                scratch = _scratch(catalogue)
            record = scratch
        size = len(data) - pos
        view = (ctypes.c_char * size).from_buffer(data, pos)
        try:
            read = record._read_stop(view, size, stop) and record is not scratch
        finally:
            del view  # the buffer may grow again only without views of it
        # Read to its end, a record (or the frame of a bad one) may go on
        # beyond what has been read so far.
        if not buffer.at_end and (stop.next >= size if not read else
                                  data[pos + stop.consumed - 1] not in _SEPARATORS):
            if record is not scratch:
                record.close()
            buffer.fill(at_least=size)
            continue
        if read:
            buffer.pos += stop.consumed
            yield record
            continue
        if record is not scratch:
            record.close()
        reason = _reason(record_number, record is scratch, stop, buffer.offset)
        if errors == "raise":
            raise DecodeError(reason, buffer.offset, record_number)
        start, length = buffer.offset, max(1, stop.next)
        buffer.pos += length
        if on_skip is not None:
            on_skip(start, length, reason)
        else:
            warnings.warn(SkippedData(start, length, reason), stacklevel=2)
    if scratch is not None:
        scratch.close()


def _scratch(catalogue: "Catalogue") -> "Record":
    """A record to find the boundary of data that names no record with."""
    infos = catalogue.records()
    if not infos:
        raise DecodeError("the catalogue defines no record", 0)
    return catalogue.record(infos[0].number)


def _reason(record_number: Optional[int], undefined: bool, stop: RecordStop,
            offset: int) -> str:
    if record_number is None:
        return "no record number"
    if undefined:
        return f"record {record_number} is not defined"
    fault = RECORD_FAULTS[stop.fault] if 0 < stop.fault < len(RECORD_FAULTS) else "a fault"
    where = f", field {stop.field_number}" if stop.field_number else ""
    return (f"record {record_number} does not read: {fault}{where} (stopped at byte "
            f"{offset + stop.consumed})")
