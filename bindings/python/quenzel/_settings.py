"""Registry settings: those of the process, and those of one catalogue.

The library reads its settings from the registry, through one process-wide
layer of values laid over it (quenzel_set_setting) and the registry export
file that CFGSTORE_FILE names. It reads some when a catalogue loads and
others whenever a record needs them (measurement settings, the
default-data mode). A catalogue's own settings must therefore be in force
for every call made through it or through its records: each catalogue and
record holds a Layer, and every call through a handle first makes that
layer the one in force. Switching is cheap when nothing changes (one
comparison); otherwise the process layer is cleared and laid again.
"""

from __future__ import annotations

import os
from typing import Dict, Mapping, Optional, Tuple

from ._native import check_layer, lib

_KEY_ROOT = "SOFTWARE\\TORVANHOLME\\"
_REGISTRY_VARIABLE = "CFGSTORE_FILE"

_process: Dict[str, str] = {}  # set_process_setting's values
_in_force: Optional["Layer"] = None
_saved_variable: Tuple[bool, Optional[str]] = (False, None)  # CFGSTORE_FILE before a layer


def split_name(name: str) -> Tuple[str, str]:
    """"Environment\\ZQEXE" as the key below SOFTWARE\\TORVANHOLME and the
    value name; a name that starts with SOFTWARE\\ is taken whole."""
    if not isinstance(name, str) or "\\" not in name:
        raise ValueError(f"a setting is named KEY\\VALUE, e.g. Environment\\ZQEXE, not {name!r}")
    key, _, value_name = name.rpartition("\\")
    if not key.upper().startswith("SOFTWARE\\"):
        key = _KEY_ROOT + key
    return key, value_name


def _lay(name: str, value: str) -> None:
    key, value_name = split_name(name)
    check_layer(lib.quenzel_set_setting(key.encode(), value_name.encode(), value.encode()),
                f"setting {name}")


class Layer:
    """The settings that one catalogue loads with and its records use: the
    process's own, then the catalogue's values over them, and the
    catalogue's registry file when it names one."""

    def __init__(self, settings: Optional[Mapping[str, str]] = None,
                 registry: Optional[str] = None) -> None:
        self.settings = dict(settings or {})
        for name, value in self.settings.items():
            split_name(name)
            if not isinstance(value, str):
                raise TypeError(f"setting {name}: a value is a str, not {type(value).__name__}")
            if "\0" in name or "\0" in value:
                raise ValueError(f"setting {name}: embedded null byte")
        self.registry = registry

    def apply(self) -> None:
        global _in_force, _saved_variable
        if _in_force is self:
            return
        lib.quenzel_clear_settings()
        _in_force = None
        for name, value in {**_process, **self.settings}.items():
            _lay(name, value)
        saved, before = _saved_variable
        if self.registry is not None:
            if not saved:
                _saved_variable = (True, os.environ.get(_REGISTRY_VARIABLE))
            os.environ[_REGISTRY_VARIABLE] = self.registry
        elif saved:
            if before is None:
                os.environ.pop(_REGISTRY_VARIABLE, None)
            else:
                os.environ[_REGISTRY_VARIABLE] = before
            _saved_variable = (False, None)
        _in_force = self


# The layer of catalogues given neither settings nor a registry file.
PROCESS = Layer()


def set_process_setting(name: str, value: str) -> None:
    """Lays a registry value over the registry for the whole process: every
    catalogue and record sees it, under the values a catalogue was given.

    `name` is the key path and the value name, joined by a backslash, below
    SOFTWARE\\TORVANHOLME unless it starts with SOFTWARE\\, for example
    "Environment\\ZQEXE" or "DRIVER\\system\\WeightScalingSystem".
    """
    global _in_force
    if not isinstance(value, str):
        raise TypeError(f"setting {name}: a value is a str, not {type(value).__name__}")
    _lay(name, value)  # checks the name and the texts
    _process[name] = value
    _in_force = None


def clear_process_settings() -> None:
    """Drops every value that set_process_setting laid over the registry."""
    global _in_force
    _process.clear()
    lib.quenzel_clear_settings()
    _in_force = None


# The names before the process-wide scope was spelt out.
set_setting = set_process_setting
clear_settings = clear_process_settings
