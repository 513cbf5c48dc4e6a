"""Copies, pickling, lifetimes, the mapping surface, loading and settings."""

import copy
import gc
import json
import os
import pickle
import subprocess
import sys

import pytest

import quenzel
from conftest import EXAMPLES, ROOT, SETTINGS


def test_copies_are_new_native_records(catalogue):
    record = catalogue.record("ITEM")
    record["PLU"] = 42
    shallow, deep = copy.copy(record), copy.deepcopy(record)
    del record
    gc.collect()
    deep["PLU"] = 7
    assert (shallow["PLU"], deep["PLU"]) == ("42", "7")
    plu = shallow.field("PLU")
    copy.copy(plu).set(43)
    copy.deepcopy(plu).set(44)
    assert plu.value == "43"
    with pytest.raises(TypeError, match="cannot be copied"):
        copy.copy(catalogue)
    with pytest.raises(TypeError, match="cannot be copied"):
        copy.deepcopy(catalogue)


@pytest.mark.parametrize("what", ["catalogue", "record", "field"])
def test_nothing_pickles(catalogue, what):
    objects = {"catalogue": catalogue, "record": catalogue.record(12),
               "field": catalogue.record(12).field("PLU")}
    with pytest.raises(TypeError, match="cannot be pickled"):
        pickle.dumps(objects[what])


def test_lifetimes_without_dangling_handles():
    catalogue = quenzel.Catalogue("shop.def", settings=SETTINGS)
    record = catalogue.record("ITEM")
    plu = catalogue.record("ITEM").field("PLU")  # keeps its record alive
    catalogue.close()
    gc.collect()
    record["PLU"] = 4711
    plu.set(5)
    assert (record["PLU"], plu.value, plu.as_int()) == ("4711", "5", 5)
    with pytest.raises(quenzel.InterfaceError, match="closed"):
        catalogue.record(12)
    record.close()
    record.close()
    with pytest.raises(quenzel.InterfaceError, match="closed"):
        record["PLU"]


def test_record_is_a_mapping(catalogue, item):
    item["PLU"] = 4711
    assert len(item) == 24 and list(item)[:3] == ["PLU", "EAN", "DESCRIPTION"]
    assert list(item.keys()) == list(item) and len(item.values()) == 24
    assert dict(item)["PLU"] == "4711" and ("PLU", "4711") in item.items()
    assert item.get("PLU") == "4711" and item.get("NOSUCH", "-") == "-" and item.get(99) is None
    assert "PLU" in item and 1 in item and "1" in item and 99 not in item and 1.0 not in item
    assert [field.number for field in item.fields()] == list(range(1, 25))
    other = catalogue[12]
    assert other != item and catalogue["ITEM"] == other and other != "ITEM"
    other["PLU"] = 4711
    assert other == item and item.copy() == item
    assert repr(item).startswith("<Record 12 ITEM {'PLU': '4711', ")
    assert repr(catalogue).endswith("shop.def', 18 records>")
    with pytest.raises(TypeError):
        hash(item)
    unnamed = item.create_field(77)
    assert "77" in list(item) and unnamed.value == ""


def test_values_read_as_the_tool_shows_them(catalogue):
    """The reader's records, printed as the tool's decode prints them."""
    paths = [EXAMPLES / "records" / name for name in ("item.dat", "ingredients.dat", "cp1252.dat")]
    lines = []
    for path in paths:
        for record in catalogue.reader(path):
            fields = [{"number": f.number, "name": f.name, "value": f.value}
                      for f in record.fields()]
            lines.append(json.dumps({"record": record.number, "name": record.name,
                                     "fields": fields}, ensure_ascii=False,
                                    separators=(",", ":")))
    expected = (ROOT / "tests/cli/decode_examples.out").read_text(encoding="utf-8")
    assert "\n".join(lines) + "\n" == expected


def test_paths_load_as_given(tmp_path, monkeypatch):
    definition = EXAMPLES / "zqapi" / "shop.def"
    with quenzel.Catalogue(definition) as catalogue:
        assert len(catalogue) == 18 and catalogue.definition_path == str(definition)
    monkeypatch.chdir(EXAMPLES)
    with quenzel.Catalogue(os.path.join("zqapi", "shop.def")) as catalogue:
        assert len(catalogue) == 18
    with pytest.raises(quenzel.LoadError) as failure:
        quenzel.Catalogue(tmp_path / "none.def")
    assert "cannot open: No such file or directory" in str(failure.value)
    assert failure.value.os_error.errno == 2


def test_load_errors_name_the_reason_and_start_afresh(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    monkeypatch.delenv("CFGSTORE_FILE", raising=False)
    with pytest.raises(quenzel.LoadError) as failure:
        quenzel.Catalogue(ROOT / "tests/cli/input/bad_type.def")
    assert (failure.value.kind, failure.value.line) == (5, 3)
    with pytest.raises(quenzel.LoadError) as failure:
        quenzel.Catalogue("shop.def")  # no registry: the folder is "" + zqapi
    message = str(failure.value)
    assert message.startswith("cannot load zqapi/shop.def: cannot open: No such file")
    assert "Environment\\ZQEXE" in message and (failure.value.line, failure.value.token) == (0, 0)


def test_settings_belong_to_their_catalogue(tmp_path):
    substituting = quenzel.Catalogue("shop.def", settings={
        **SETTINGS, "DRIVER\\QUENZEL\\DEFAULTDATAMODE": "true",
        "DRIVER\\system\\WeightScalingSystem": "-2"})
    plain = quenzel.Catalogue("shop.def", settings=SETTINGS)
    registry = (EXAMPLES / "shop.reg").read_text().replace("/opt/shop/", f"{EXAMPLES}/") \
        .replace('"WeightScalingSystem"="-3"', '"WeightScalingSystem"="-1"')
    (tmp_path / "shop.reg").write_text(registry)
    by_file = quenzel.Catalogue("shop.def", registry=tmp_path / "shop.reg")
    for _ in range(2):  # in turn, each with its own settings
        status = substituting.record("SCALESTATUS")
        with pytest.warns(quenzel.RangeWarning):
            status[2] = "X"
        with pytest.raises(quenzel.ValueRejected, match="Range Error"):
            plain.record("SCALESTATUS")[2] = "X"
        source = quenzel.Measurement.SOURCE_SCALING_FACTOR
        assert (by_file.record(12).measurement(source), plain.record(12).measurement(source),
                substituting.record(12).measurement(source)) == (-1, -3, -2)
    assert "CFGSTORE_FILE" not in os.environ or os.environ["CFGSTORE_FILE"] != str(
        tmp_path / "shop.reg")


def test_import_without_the_library():
    script = ("import quenzel, pydoc; pydoc.render_doc(quenzel)\n"
              "try:\n    quenzel.library_version()\n"
              "except quenzel.LibraryNotFound as error:\n    print(error)\n")
    environment = dict(os.environ, QUENZEL_LIBRARY="/nonexistent/libquenzel.so")
    out = subprocess.run([sys.executable, "-c", script], env=environment, check=True,
                         capture_output=True, text=True).stdout
    assert out.startswith("cannot load the quenzel library (set QUENZEL_LIBRARY")
