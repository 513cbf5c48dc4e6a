"""The catalogue: the record definitions of one definition file, and the
process's registry settings that decide where that file is."""

from __future__ import annotations

import ctypes
import io
import os
import re
from typing import BinaryIO, Iterator, List, Mapping, Optional, Union

from . import _capi, _native
from ._native import Owned, check_layer, lib
from .errors import DecodeError, LoadError, NotFound
from .record import FieldKey, Record, RecordInfo

_SEPARATORS = b" \t\r\n"
_RECORD_NUMBER = re.compile(rb"[0-9]+")
_KEY_ROOT = "SOFTWARE\\TORVANHOLME\\"


def set_setting(name: str, value: str) -> None:
    """Lays a registry value over the registry for this process.

    `name` is the key path and the value name, joined by a backslash, below
    SOFTWARE\\TORVANHOLME unless it starts with SOFTWARE\\, for example
    "Environment\\ZQEXE" or "DRIVER\\system\\WeightScalingSystem".
    """
    key, _, value_name = name.rpartition("\\")
    if not key.upper().startswith("SOFTWARE\\"):
        key = _KEY_ROOT + key
    check_layer(lib.quenzel_set_setting(key.encode(), value_name.encode(), value.encode()),
                 f"setting {name}")


def clear_settings() -> None:
    """Drops every value that set_setting laid over the registry."""
    lib.quenzel_clear_settings()


class Catalogue(Owned):
    """The record definitions of one definition file (CQuenzelFile).

    `file_name` is found as the library finds it: in the zqapi directory
    below the registry's ZQEXE directory. `log` names the audit log (empty:
    none). `registry` names a registry export file for this process
    (CFGSTORE_FILE; by default the environment's), and `settings` lays
    values over it (see set_setting). Raises LoadError when the file does
    not load.
    """

    def __init__(self, file_name: Union[str, os.PathLike], log: str = "", *,
                 registry: Optional[Union[str, os.PathLike]] = None,
                 settings: Optional[Mapping[str, str]] = None,
                 required_version: str = "") -> None:
        if registry is not None:
            os.environ["CFGSTORE_FILE"] = os.path.abspath(os.fspath(registry))
        for name, value in (settings or {}).items():
            set_setting(name, value)
        self._handle = lib.quenzel_catalogue_create()
        if not self._handle:
            raise MemoryError("quenzel_catalogue_create")
        loaded = lib.quenzel_catalogue_initialise(self._handle, os.fsencode(file_name),
                                                  log.encode(), None, required_version.encode())
        if check_layer(loaded, "loading the catalogue") != 1:
            stop = _capi.ReadStop()
            path = _native.text_out(lib.quenzel_last_read_error, ctypes.byref(stop))
            self.close()
            raise LoadError(os.fsdecode(path) or os.fspath(file_name), stop.kind, stop.line,
                            stop.token, stop.record_number, stop.field_number)

    _what = "catalogue"

    def _free(self, handle: int) -> None:
        """Frees the catalogue; records copied from it stay usable."""
        lib.quenzel_catalogue_free(handle)

    @property
    def definition_path(self) -> str:
        return os.fsdecode(_native.text_out(lib.quenzel_catalogue_definition_path, self._live()))

    def _template(self, key: FieldKey) -> int:
        if isinstance(key, int):
            template = lib.quenzel_catalogue_record(self._live(), key)
        else:
            template = lib.quenzel_catalogue_record_by_name(self._live(), key.encode())
        if not template:
            raise NotFound(f"no record {key} in {self.definition_path}")
        return template

    def record(self, key: FieldKey) -> "Record":
        """A working copy of the record with this number or name."""
        return Record._copy_of(self._template(key))

    def __contains__(self, key: object) -> bool:
        try:
            self._template(key)  # type: ignore[arg-type]
            return True
        except (NotFound, AttributeError):
            return False

    def __len__(self) -> int:
        return lib.quenzel_catalogue_record_count(self._live())

    def records(self) -> List[RecordInfo]:
        """Every record definition, in record-number order."""
        handle = self._live()
        return sorted(Record._info(lib.quenzel_catalogue_record_at(handle, index))
                      for index in range(len(self)))

    def __iter__(self) -> Iterator[RecordInfo]:
        return iter(self.records())

    def reader(self, stream: BinaryIO, chunk_size: int = 1 << 16) -> Iterator["Record"]:
        """Yields a record for each data record on a binary stream.

        Each data record is read into a copy of the record its number names.
        Raises DecodeError, with the stream offset, at data that does not read.
        """
        data, offset, at_end = b"", 0, False
        while True:
            rest = data.lstrip(_SEPARATORS)
            offset += len(data) - len(rest)
            data = rest
            number = _RECORD_NUMBER.match(data)
            # Read on while the record may go on beyond what has been read.
            if not at_end and (not number or number.end() == len(data)):
                chunk = stream.read(chunk_size)
                at_end = not chunk
                data += chunk
                continue
            if not data:
                return
            if not number:
                raise DecodeError("no record number", offset)
            record_number = int(number.group())
            if record_number not in self:
                raise DecodeError(f"record {record_number} is not defined", offset, record_number)
            record = self.record(record_number)
            read, consumed = record._read(data)
            if not at_end and consumed == len(data):
                record.close()
                chunk = stream.read(chunk_size)
                at_end = not chunk
                data += chunk
                continue
            if not read:
                record.close()
                raise DecodeError(f"record {record_number} does not read (stopped at byte "
                                  f"{offset + consumed})", offset, record_number)
            yield record
            data = data[consumed:]
            offset += consumed

    def decode(self, data: bytes) -> "Record":
        """The first data record in `data`, read into a copy of its record."""
        for record in self.reader(io.BytesIO(data)):
            return record
        raise DecodeError("no data record", len(data))
