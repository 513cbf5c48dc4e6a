"""Reading data records one after another from a binary stream.

The reader keeps the bytes it has read in one buffer and hands the library
the unread part in place, so that a record is read once it is whole. When
the length of a value tells that the buffer holds too little, the buffer
grows to that length first: from a stream that can seek, in one read of
the record again, bounded by what the stream holds; from any other stream,
in reads of at most eight times what the buffer holds. When the library's
reader runs out of input with no such hint, the buffer doubles before the
record is read again. The bytes read and handed over
for a record of n bytes thus add up to a small multiple of n: the reader
is linear in its input, however long a record is, and never holds much
more than the input has given it.
"""

from __future__ import annotations

import ctypes
import io
import re
import warnings
from typing import TYPE_CHECKING, BinaryIO, Callable, Iterator, List, Optional

from ._capi import RECORD_FAULTS, RecordStop
from .errors import DecodeError, SkippedData

if TYPE_CHECKING:
    from .catalogue import Catalogue
    from .record import Record

_SEPARATORS = b" \t\r\n"
_GROWTH_FLOOR = 1 << 20
_NUMBER = re.compile(rb"[0-9]+")
_ELEMENT_HEAD = re.compile(rb"[ \t\r\n]*[0-9]+[ \t\r\n]+([0-9]{1,18})[ \t\r\n]")
_VALUE_CUT = RECORD_FAULTS.index("the input ends inside the value")


class _Buffer:
    """The bytes read from a stream that have not been handed out yet, in
    one bytes object whose address the library is given."""

    def __init__(self, stream: BinaryIO, chunk_size: int) -> None:
        self.stream = stream
        self.chunk_size = max(1, chunk_size)
        self.data = b""
        self.address = 0  # of data's first byte
        self.pos = 0  # the first unread byte in data
        self.base = 0  # the stream offset of data[0]
        self.at_end = False
        try:
            self.seekable = bool(stream.seekable())
        except (AttributeError, OSError, ValueError):
            self.seekable = False

    @property
    def offset(self) -> int:
        return self.base + self.pos

    def _take(self, chunks: List[bytes]) -> bool:
        # The unread rest and the new chunks, joined in one copy.
        if not chunks:
            self.at_end = True
            return False
        rest = memoryview(self.data)[self.pos:]
        self.data = b"".join([rest, *chunks]) if len(rest) else b"".join(chunks)
        self.address = ctypes.cast(ctypes.c_char_p(self.data), ctypes.c_void_p).value or 0
        self.base += self.pos
        self.pos = 0
        return True

    def fill(self) -> bool:
        """Reads a chunk more, or as much again as is unread, so that a long
        token grows the buffer by doubling; False at the end of the stream."""
        chunk = self.stream.read(max(self.chunk_size, len(self.data) - self.pos))
        return self._take([chunk] if chunk else [])

    def grow(self, wanted: int) -> None:
        """Reads until `wanted` bytes are unread or the stream ends, each
        read at most eight times as long as what is held (or 1 MiB): a
        length that a record claims makes the buffer grow only as fast as
        data arrives."""
        held = len(self.data) - self.pos
        if held < wanted and self.seekable:
            self._read_again(wanted, held)
            return
        chunks = []
        while held < wanted:
            chunk = self.stream.read(min(wanted - held,
                                         max(8 * held, _GROWTH_FLOOR, self.chunk_size)))
            if not chunk:
                break
            chunks.append(chunk)
            held += len(chunk)
        if not self._take(chunks) or held < wanted:
            self.at_end = True

    def _read_again(self, wanted: int, held: int) -> None:
        # A stream that can seek tells how much it holds, which bounds the
        # read: the unread bytes and what the record needs are read again
        # in one piece, and no pieces need joining.
        stream = self.stream
        begin = stream.tell() - held
        end = stream.seek(0, io.SEEK_END)
        stream.seek(begin)
        self.data = stream.read(min(wanted, max(end - begin, held)))
        self.address = ctypes.cast(ctypes.c_char_p(self.data), ctypes.c_void_p).value or 0
        self.base += self.pos
        self.pos = 0
        self.at_end = len(self.data) < wanted

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
        # A first value longer than the buffer holds is read whole first.
        wanted = _value_end(data, pos, number.end() - pos) if number else 0
        if wanted > len(data) - pos and not buffer.at_end:
            buffer.grow(wanted)
            continue
        # A number too long for any record is no record number.
        record_number = int(number.group()) if number and number.end() - pos <= 18 else None
        if record_number is not None and record_number in catalogue:
            record = catalogue.record(record_number)
        else:
            if scratch is None:
                scratch = _scratch(catalogue)
            record = scratch
        size, at = len(data) - pos, buffer.address + pos
        # The diagnosis is asked for only when the plain read fails.
        read, consumed = record._read(at, size)
        read = read and record is not scratch
        if read:
            stop.consumed = stop.next = consumed
        else:
            record._read_stop(at, size, stop)
        # Read to its end, a record (or the frame of a bad one) may go on
        # beyond what has been read so far.
        if not buffer.at_end and (stop.next >= size if not read else
                                  data[pos + stop.consumed - 1] not in _SEPARATORS):
            if record is not scratch:
                record.close()
            cut = stop.fault == _VALUE_CUT
            buffer.grow(max(2 * size, _value_end(data, pos, stop.element_offset) if cut else 0))
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


def _value_end(data: bytes, pos: int, element: int) -> int:
    """How many bytes from `pos` the record needs at least, when the element
    that begins `element` bytes after it gives a value length; 0 when it
    does not say. A hint for how much to read, nothing more."""
    head = _ELEMENT_HEAD.match(data, pos + element)
    if not head:
        return 0
    # the opening byte, the value, the closing byte and its separator, "0 "
    return head.end() - pos + 1 + int(head.group(1)) + 4


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
