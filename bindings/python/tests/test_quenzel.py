import io

import pytest

import quenzel
from conftest import EXAMPLES, ROOT, SETTINGS

ITEM_VALUES = {"PLU": 4711, "EAN": "4006381333931", "DESCRIPTION": "Gouda mild", 5: 1299,
               "PB": "1", "TARE": 25, "GROUP": 77, "FONT": "B", "CLASS": "A",
               "PICTURE": "R0lGODlh"}  # Base64 of GIF89a, as a CLOB field takes it
ITEM_RECORD = (b'12 1 4 "4711" 2 13 "4006381333931" 3 10 "Gouda mild" 5 4 "1299" 6 1 "1" '
               b'7 2 "25" 9 2 "77" 16 1 "B" 17 1 "A" 20 8 "R0lGODlh" 21 9 "LABEL.LBL" 0 ')


def test_library_and_catalogue(catalogue):
    assert quenzel.library_version() == quenzel.__version__
    assert len(catalogue) == 18 and catalogue.definition_path.endswith("shop.def")
    assert [info.number for info in catalogue][:3] == [1, 8, 9]
    assert 12 in catalogue and "ITEM" in catalogue and 999 not in catalogue
    with pytest.raises(quenzel.NotFound, match="no record 999"):
        catalogue.record(999)
    with pytest.raises(quenzel.LoadError) as failure:
        quenzel.Catalogue("missing.def", settings=SETTINGS)
    assert failure.value.kind == 2 and failure.value.path.endswith("missing.def")


def test_encodes_record_12_as_the_tool_does(item):
    item.set(ITEM_VALUES)
    assert item.encode() == ITEM_RECORD
    assert item["PLU"] == "4711" and item.field("PLU").text == "004711"
    assert item.field("PLU").as_int() == 4711
    assert item.key_names == ("PLU",) and not item.key_supplied
    item.field(1).supplied = True
    assert item.key_supplied


@pytest.mark.parametrize("chunk_size", [1 << 16, 7])
def test_decodes_the_bundled_records(catalogue, chunk_size):
    data = b"".join((EXAMPLES / "records" / name).read_bytes()
                    for name in ("item.dat", "ingredients.dat", "cp1252.dat"))
    records = list(catalogue.reader(io.BytesIO(data), chunk_size))
    assert [(record.number, record.name) for record in records] == \
        [(12, "ITEM"), (8, "INGREDIENTS"), (12, "ITEM")]
    # CLOB values arrive decoded from Base64: the written record differs.
    assert records[0].field("PLU").as_int() == 4711 and records[0]["PICTURE"] == "GIF89a"
    assert records[0].encode() == ITEM_RECORD.replace(b'8 "R0lGODlh"', b'6 "GIF89a"')
    assert records[1]["INGREDIENTS"] == \
        "Milk, salt, rennet, cultures. Contains milk."
    assert (records[2]["DESCRIPTION"], records[2].field(3).raw) == \
        ("Café crème 250g", b"Caf\xe9 cr\xe8me 250g")


def test_decode_failures(catalogue, item):
    broken = (ROOT / "tests/cli/broken.dat").read_bytes()
    records = catalogue.reader(io.BytesIO(broken))
    assert next(records)["PLU"] == "4711"
    with pytest.raises(quenzel.DecodeError) as failure:
        next(records)
    assert failure.value.offset == 16 and failure.value.record_number == 12
    with pytest.raises(quenzel.DecodeError, match="record 77 is not defined"):
        catalogue.decode(b" 77 0 ")
    assert item.decode(b'12 3 3 "abc" 0 12 0 ') == 15 and item["DESCRIPTION"] == "abc"


@pytest.mark.parametrize("key, value, result, rejected", [
    ("PLU", 0, "Range Error", "0"),
    ("PRICE", "12a", "Invalid Numeric", "12a"),
    ("EAN", 12345678901234, "Length Error", "12345678901234"),
    ("FONT", "Z", "Range Error", "Z"),
    ("PB", 10, "Convert Fail", "\n"),
])
def test_rejected_values_raise(item, key, value, result, rejected):
    with pytest.raises(quenzel.ValueRejected) as failure:
        item[key] = value
    error = failure.value
    assert (error.result_name, error.field, error.rejected, error.value) == \
        (result, item.field(key).name, rejected, value)


def test_substituted_default_is_a_warning(catalogue, item):
    quenzel.set_setting("DRIVER\\QUENZEL\\DEFAULTDATAMODE", "true")
    status = catalogue.record("SCALESTATUS")  # SEND records keep refused values
    with pytest.warns(quenzel.RangeWarning) as caught:
        status[2] = "X"
    warning = caught[0].message
    assert (warning.field_number, warning.rejected, warning.value) == (2, "X:N", "X")
    assert status[2] == "N"
    with pytest.raises(quenzel.ValueRejected, match="Range Error"):
        item["FONT"] = "Z"
    with pytest.raises(quenzel.NotFound):
        item["NOSUCHFIELD"] = 1


def test_weights_and_attributes(item):
    item.set_host_units(1, -2)  # hundredths of a kilogram
    item["TARE"] = 125
    tare = item.field("TARE")
    assert (tare.value, tare.as_int(), tare.type_name) == ("1250", 125, "WEIGHT")
    assert item.measurement(quenzel.Measurement.DESTINATION_SCALING_FACTOR) == -2
    assert tare.value_list == "0-99999" and tare.maximum == -1 and tare.flags["numeric"]
    assert item.field("NOTES").flags["private"] and item.field("FONT").as_char() == "A"


def test_lifetimes(catalogue):
    with catalogue.record("ITEM") as record:
        extra = record.create_field("EXTRA")
        extra.treat_as_text()
        plu = record.field("PLU")
        record.reset()  # drops EXTRA, and with it the fields taken before
        with pytest.raises(quenzel.InterfaceError):
            plu.text
        assert len(record) == 24 and record.copy().number == 12
    with pytest.raises(quenzel.InterfaceError, match="closed"):
        record.name


def test_forms_of_values(item):
    notes = item.field("NOTES")  # PRIVATE: only the override changes it
    with pytest.raises(quenzel.PrivateField, match="NOTES"):
        notes.set("kept")
    notes.set("changed", private_override=True)
    assert item["NOTES"] == "changed"
    item["DESCRIPTION"] = b"Caf\xe9"  # the definition's code page, 1252
    assert item["DESCRIPTION"] == "Café"
    item.field("FONT").set_char("C")
    item["TARE"] = 2.0  # a float without a fraction is a whole number
    assert (item.field("FONT").as_char(), item.field("TARE").as_float()) == ("C", 2.0)
    copy = item.copy()
    copy["PLU"] = 1
    assert item["PLU"] != copy["PLU"]
    with pytest.raises(quenzel.ValueRejected, match="Convert Fail"):
        item.field("DESCRIPTION").as_int()
    # PLU 0 lies below its range, yet it is the value the record holds.
    assert item.field("PLU").as_int() == 0 and copy.field("PLU").as_int() == 1


def test_registry_file_and_version_check(tmp_path):
    registry = (EXAMPLES / "shop.reg").read_text().replace("/opt/shop/", f"{EXAMPLES}/")
    (tmp_path / "shop.reg").write_text(registry)
    with quenzel.Catalogue("shop.def", registry=tmp_path / "shop.reg") as catalogue:
        assert catalogue.record("ITEM").measurement(
            quenzel.Measurement.SOURCE_SCALING_FACTOR) == -3
    with pytest.raises(quenzel.LoadError):
        quenzel.Catalogue("shop.def", registry=tmp_path / "shop.reg", required_version="0.0.1")
    with pytest.raises(TypeError):
        quenzel.Record()
