"""The reader: bad data skipped to the record boundary, growth of its buffer."""

import base64
import io
import warnings

import pytest

import quenzel
from conftest import ROOT

GOOD = b'12 1 4 "4711" 0 '


@pytest.mark.parametrize("data, skipped, numbers", [
    ((ROOT / "tests/cli/broken.dat").read_bytes(),
     [(16, 14, "record 12 does not read: neither a field number nor the closing 0")], [12]),
    (b'77 1 1 "a" 0 ' + GOOD, [(0, 13, "record 77 is not defined")], [12]),
    (b"xyz " + GOOD, [(0, 4, "no record number")], [12]),
    (b'12 1 3 "abc" 0 ' + GOOD, [(0, 15, "field refused the value, field 1")], [12]),
    (b'12 99 1 "a" 0 ' + GOOD, [(0, 14, "a field the record does not define, field 99")],
     [12]),
    (b'12 3 0 "" 0 ' + GOOD, [(0, 12, "an empty value, field 3")], [12]),
    # A broken frame ends after the bad token; what follows is read as it comes.
    (b'12 3 x "ab" 0 ' + GOOD, [(0, 7, "no length"), (7, 5, "no record number"),
                                (12, 18, "record 0 is not defined")], []),
    (GOOD + b'12 1 9 "47', [(16, 10, "the input ends inside the value")], [12]),
    (b"/ a comment\n" + GOOD + b"\r\n\t" + GOOD, [], [12, 12]),
    (b'77 0 ' * 3, [(0, 5, "not defined"), (5, 5, "not defined"), (10, 5, "not defined")], []),
])
@pytest.mark.parametrize("chunk_size", [1, 5, 1 << 16])
def test_skip_resumes_at_the_record_boundary(catalogue, data, skipped, numbers, chunk_size):
    reports = []
    records = catalogue.reader(io.BytesIO(data), chunk_size, errors="skip",
                               on_skip=lambda *stretch: reports.append(stretch))
    assert [record.number for record in records] == numbers
    assert [(offset, length) for offset, length, _ in reports] == \
        [(offset, length) for offset, length, _ in skipped]
    for (_, _, reason), (_, _, words) in zip(reports, skipped):
        assert words in reason
    with pytest.raises(quenzel.DecodeError) if skipped else warnings.catch_warnings():
        list(catalogue.reader(io.BytesIO(data), chunk_size))


def test_skips_warn_without_a_callback(catalogue, tmp_path):
    (tmp_path / "capture.dat").write_bytes(b"xyz " + GOOD)
    with pytest.warns(quenzel.SkippedData) as caught:
        records = list(catalogue.reader(tmp_path / "capture.dat", errors="skip"))
    assert len(records) == 1 and records[0]["PLU"] == "4711"
    skipped = caught[0].message
    assert (skipped.offset, skipped.length, skipped.reason) == (0, 4, "no record number")
    with pytest.raises(ValueError, match="errors"):
        catalogue.reader(io.BytesIO(b""), errors="ignore")


class CountingStream(io.BytesIO):
    """A stream that counts its reads, and may refuse to seek as a pipe does."""

    def __init__(self, data, seekable=True):
        super().__init__(data)
        self.reads, self.can_seek = 0, seekable

    def read(self, size=-1):
        self.reads += 1
        return super().read(size)

    def seekable(self):
        return self.can_seek


@pytest.mark.parametrize("seekable", [True, False])
def test_a_long_record_is_read_in_growing_pieces(catalogue, seekable):
    picture = base64.b64encode(bytes(range(1, 256)) * 160)  # 54,400 bytes
    data = b'12 20 %d "%s" 0 ' % (len(picture), picture) + GOOD
    stream = CountingStream(data, seekable)
    records = list(catalogue.reader(stream, 16))
    assert [record.number for record in records] == [12, 12]
    assert records[0].field("PICTURE").value.encode("latin-1", "replace")[:3] == b"\x01\x02\x03"
    assert stream.reads < 20  # the buffer doubles: no read per 16 bytes


@pytest.mark.parametrize("data, reasons", [
    (b"1" * 300000 + b" 0 " + GOOD, ["no record number"]),
    (b"/" + b"x" * 300000, []),
    (b'12 1 99999999999999 "4711" 0 ', ["the input ends inside the value"]),
])
@pytest.mark.parametrize("seekable", [True, False])
def test_hostile_streams_are_read_in_few_pieces(catalogue, data, reasons, seekable):
    stream, reports = CountingStream(data, seekable), []
    records = list(catalogue.reader(stream, 16, errors="skip",
                                    on_skip=lambda *stretch: reports.append(stretch)))
    assert stream.reads < 30 and len(records) == (1 if data.endswith(GOOD) else 0)
    assert len(reports) == len(reasons)
    for (_, _, reason), words in zip(reports, reasons):
        assert words in reason
