import os
import pathlib

import pytest

import quenzel

# The repository's examples and the command-line tool's expected outputs.
ROOT = pathlib.Path(os.environ.get("QUENZEL_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
EXAMPLES = ROOT / "examples"
SETTINGS = {"Environment\\ZQEXE": f"{EXAMPLES}/", "Environment\\Codepage": "1252",
            "Environment\\CacheFiles": "off"}


@pytest.fixture
def catalogue():
    with quenzel.Catalogue("shop.def", settings=SETTINGS) as loaded:
        yield loaded
    quenzel.clear_settings()


@pytest.fixture
def item(catalogue):
    with catalogue.record(12) as record:
        yield record
