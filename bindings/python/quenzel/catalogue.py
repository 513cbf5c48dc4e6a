"""The catalogue: the record definitions of one definition file, with the
registry settings it was loaded with."""

from __future__ import annotations

import ctypes
import io
import os
from typing import Any, BinaryIO, Callable, Iterator, List, Mapping, Optional, Union

from . import _capi
from ._native import Owned, check_argument, check_layer, lib, text_out
from ._settings import PROCESS, Layer
from .errors import DecodeError, LoadError, NotFound
from .reader import read_records
from .record import FieldKey, Record, RecordInfo, check_key

Source = Union[str, "os.PathLike[str]", BinaryIO]
SkipReport = Callable[[int, int, str], None]

_FOLDER_SETTING = "SOFTWARE\\TORVANHOLME\\Environment\\ZQEXE"


def _is_bare_name(file_name: Union[str, "os.PathLike[str]"]) -> bool:
    text = os.fspath(file_name)
    separators = {os.sep, os.altsep or os.sep, "/"}
    return not os.path.isabs(text) and not any(s in text for s in separators)


class Catalogue(Owned):
    """The record definitions of one definition file (CQuenzelFile).

    `file_name` is a bare file name, found as the library finds it (in the
    zqapi folder below the registry's ZQEXE folder), or a path (absolute,
    or relative with a folder, such as "./shop.def"), which is loaded as it
    stands, as the command-line tool loads it. `log` names the audit log
    (empty: none). `registry` names a registry export file and `settings`
    lays registry values over it (see set_process_setting); both belong to
    this catalogue and its records alone. Raises LoadError when the file
    does not load.

    A catalogue cannot be copied or pickled: it owns the library's
    templates. Its records are copies that outlive it.
    """

    _what = "catalogue"

    def __init__(self, file_name: Union[str, "os.PathLike[str]"], log: str = "", *,
                 registry: Optional[Union[str, "os.PathLike[str]"]] = None,
                 settings: Optional[Mapping[str, str]] = None,
                 required_version: str = "") -> None:
        name = os.fsencode(file_name)
        check_argument(_capi.TEXT, name)
        if registry is None and not settings:
            self._layer = PROCESS
        else:
            self._layer = Layer(settings, None if registry is None
                                else os.path.abspath(os.fspath(registry)))
        self._layer.apply()
        handle = lib.quenzel_catalogue_create()
        if not handle:
            raise MemoryError("quenzel_catalogue_create")
        self._handle = handle
        if _is_bare_name(file_name):
            loaded = lib.quenzel_catalogue_initialise(handle, name, log.encode(), None,
                                                      required_version.encode())
        else:
            loaded = lib.quenzel_catalogue_initialise_from_path(handle, name, log.encode())
        if check_layer(loaded, "loading the catalogue") != 1:
            error = self._load_error(file_name)
            self.close()
            raise error

    def _load_error(self, file_name: Union[str, "os.PathLike[str]"]) -> LoadError:
        stop = _capi.ReadStop()
        path = os.fsdecode(text_out(lib.quenzel_last_read_error, ctypes.byref(stop)))
        if os.sep == "/":
            path = path.replace("\\", "/")  # the library joins its folder with backslashes
        path = path or os.fspath(file_name)
        os_error, hint = None, ""
        if stop.kind == 2:  # cannot open: ask the system why
            try:
                with open(path, "rb"):
                    pass
            except OSError as error:
                os_error = error
        if _is_bare_name(file_name) and stop.kind == 2:
            folder = path[:len(path) - len(os.fspath(file_name))]
            hint = (f"the folder {folder!r} is the registry value {_FOLDER_SETTING} "
                    "followed by zqapi (give registry= or settings=, or a path to the file)")
        return LoadError(path, stop.kind, stop.line, stop.token, stop.record_number,
                         stop.field_number, os_error, hint)

    def _free(self, handle: int) -> None:
        """Frees the catalogue; records copied from it stay usable."""
        lib.quenzel_catalogue_free(handle)

    def _live(self) -> int:
        handle = super()._live()
        self._layer.apply()
        return handle

    def __copy__(self) -> "Catalogue":
        raise TypeError("a Catalogue cannot be copied: load the file again, or share this one")

    def __deepcopy__(self, memo: Any) -> "Catalogue":
        return self.__copy__()

    def __repr__(self) -> str:
        if not self._handle:
            return "<Catalogue closed>"
        return f"<Catalogue {self.definition_path!r}, {len(self)} records>"

    @property
    def definition_path(self) -> str:
        return os.fsdecode(text_out(lib.quenzel_catalogue_definition_path, self._live()))

    def _template(self, key: FieldKey) -> Optional[int]:
        if isinstance(check_key(key), int):
            return lib.quenzel_catalogue_record(self._live(), key)  # type: ignore
        return lib.quenzel_catalogue_record_by_name(self._live(),  # type: ignore
                                                    key.encode())  # type: ignore[union-attr]

    def record(self, key: FieldKey) -> Record:
        """A working copy of the record with this number or name. Raises
        NotFound (a KeyError)."""
        template = self._template(key)
        if not template:
            raise NotFound(f"no record {key!r} in {self.definition_path}")
        return Record._copy_of(template, self._layer)

    __getitem__ = record

    def __contains__(self, key: object) -> bool:
        if isinstance(key, bool) or not isinstance(key, (int, str)):
            return False
        try:
            return bool(self._template(key))
        except (OverflowError, ValueError):  # beyond the C int, or a zero byte
            return False

    def __len__(self) -> int:
        return lib.quenzel_catalogue_record_count(self._live())  # type: ignore[no-any-return]

    def records(self) -> List[RecordInfo]:
        """Every record definition, in record-number order."""
        handle = self._live()
        return sorted(Record._info(lib.quenzel_catalogue_record_at(handle, index))
                      for index in range(len(self)))

    def __iter__(self) -> Iterator[RecordInfo]:
        return iter(self.records())

    def reader(self, source: Source, chunk_size: int = 1 << 16, *, errors: str = "raise",
               on_skip: Optional[SkipReport] = None) -> Iterator[Record]:
        """Yields a record for each data record of a file (a path) or a
        binary stream, read into a copy of the record its number names.

        errors="raise" raises DecodeError, with the offset, at data that
        does not read. errors="skip" passes over it to the next record
        boundary and reports the stretch (offset, length, reason) to
        `on_skip`, or as a SkippedData warning when there is none.
        """
        if errors not in ("raise", "skip"):
            raise ValueError(f'errors is "raise" or "skip", not {errors!r}')
        if isinstance(source, (str, bytes, os.PathLike)):
            return self._read_file(source, errors, on_skip, chunk_size)
        return read_records(self, source, errors, on_skip, chunk_size)

    def _read_file(self, path: Any, errors: str, on_skip: Optional[SkipReport],
                   chunk_size: int) -> Iterator[Record]:
        with open(path, "rb") as stream:
            yield from read_records(self, stream, errors, on_skip, chunk_size)

    def decode(self, data: bytes) -> Record:
        """The first data record in `data`, read into a copy of its record."""
        for record in self.reader(io.BytesIO(data)):
            return record
        raise DecodeError("no data record", len(data))
