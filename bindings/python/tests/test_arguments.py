"""Hostile arguments: each is refused before it reaches the library, and
the value the field held stays."""

import pytest

import quenzel
from conftest import SETTINGS

BIG = 2 ** 64 + 5


@pytest.mark.parametrize("key, value, error, words", [
    ("PRICE", BIG, OverflowError, "PRICE"),
    ("PRICE", 2 ** 70, OverflowError, "-9223372036854775808 to"),
    ("PRICE", -2 ** 63 - 1, OverflowError, "-9223372036854775809 is outside"),
    ("PRICE", 12.99, ValueError, "field 5 (PRICE): 12.99 is not a whole number"),
    ("PRICE", float("nan"), ValueError, "not a whole number"),
    ("PRICE", float("-inf"), ValueError, "not a whole number"),
    ("PRICE", True, TypeError, "PRICE"),
    ("PLU", [1], TypeError, "not list"),
    ("PLU", None, TypeError, "not NoneType"),
    ("DESCRIPTION", "a\0b", ValueError, "embedded null byte"),
    ("DESCRIPTION", b"a\0b", ValueError, "DESCRIPTION"),
    ("NOTES", "x", quenzel.PrivateField, "field 23 (NOTES) is PRIVATE"),
    ("NOTES", 5, quenzel.PrivateField, "private_override"),
])
def test_set_refuses(item, key, value, error, words):
    item["PRICE"] = 1299
    before = dict(item)
    with pytest.raises(error, match=words.replace("(", r"\(").replace(")", r"\)")):
        item[key] = value
    assert dict(item) == before


@pytest.mark.parametrize("value, error, words", [
    ("\u0141", ValueError, "code page cp-1252 has no one-byte character"),
    ("AB", ValueError, "not one character"),
    (b"", ValueError, "not one byte"),
    (256, OverflowError, "0 to 255"),
    (-1, OverflowError, "0 to 255"),
    (1.0, TypeError, "not float"),
    (True, TypeError, "not bool"),
])
def test_set_char_refuses(item, value, error, words):
    with pytest.raises(error, match=words):
        item.field("CLASS").set_char(value)
    assert item["CLASS"] == "X"


@pytest.mark.parametrize("key, error", [
    (2 ** 32 + 3, OverflowError),
    (-2 ** 31 - 1, OverflowError),
    ("PLU\0garbage", ValueError),
    (True, TypeError),
    (3.0, TypeError),
    (None, TypeError),
])
def test_field_keys_refused(item, key, error):
    with pytest.raises(error):
        item.field(key)
    with pytest.raises(error):
        item[key] = "zz"
    assert key not in item and item["DESCRIPTION"] == "New item"


@pytest.mark.parametrize("key, error", [
    (2 ** 32 + 12, OverflowError),
    ("ITEM\0x", ValueError),
    (False, TypeError),
])
def test_record_keys_refused(catalogue, key, error):
    with pytest.raises(error):
        catalogue.record(key)
    with pytest.raises(error):
        catalogue[key]
    assert key not in catalogue


@pytest.mark.parametrize("call, error", [
    (lambda: quenzel.set_process_setting("Environment\\ZQEXE\0x", "/"), ValueError),
    (lambda: quenzel.set_process_setting("Environment\\ZQEXE", "/\0"), ValueError),
    (lambda: quenzel.set_process_setting("ZQEXE", "/"), ValueError),
    (lambda: quenzel.set_process_setting("Environment\\ZQEXE", 5), TypeError),
    (lambda: quenzel.Catalogue("shop.def\0other.def", settings=SETTINGS), ValueError),
    (lambda: quenzel.Catalogue("shop.def", "POS\0", settings=SETTINGS), ValueError),
    (lambda: quenzel.Catalogue("shop.def", settings={"Environment\\X": 1}), TypeError),
])
def test_settings_and_loads_refused(call, error):
    with pytest.raises(error):
        call()
    quenzel.clear_process_settings()
