#!/usr/bin/env python3
"""The Python package's reader against one Record.decode, on one long record.

    QUENZEL_LIBRARY=build/Source/common/quenzeldll/libquenzel.so \
    PYTHONPATH=bindings/python python3 bench/python_reader.py [MEGABYTES]

Writes a definition with one STRING field of length 99,999,998 into a
scratch folder, builds a data record whose value is MEGABYTES (default 32)
of text, and times, best of nine interleaved rounds, reading it with
Record.decode and with Catalogue.reader in 64 KiB chunks from an in-memory
stream, from a file and from a stream that cannot seek (as a pipe). Prints
the times and the reader's ratios to Record.decode.
"""

import io
import os
import sys
import tempfile
import time

import quenzel

DEFINITION = '#5 SEND table:action "BIG"\n1 STRING name="TEXT" 99999998 #\n'


class Unseekable(io.BytesIO):
    """A stream that cannot seek, as a pipe or socket."""

    def seekable(self):
        return False


def best(rounds, *works):
    """The best time of each work, in interleaved rounds, so that a busy
    machine slows both alike."""
    times = [[] for _ in works]
    for _ in range(rounds):
        for work, taken in zip(works, times):
            start = time.perf_counter()
            work()
            taken.append(time.perf_counter() - start)
    return [min(taken) for taken in times]


def main():
    megabytes = int(sys.argv[1]) if len(sys.argv) > 1 else 32
    value = b"0123456789abcdef" * (megabytes << 16)
    data = b'5 1 %d "%s" 0 ' % (len(value), value)
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "big.def")
        with open(path, "w") as out:
            out.write(DEFINITION)
        settings = {"Environment\\Codepage": "1252", "Environment\\CacheFiles": "off"}
        with quenzel.Catalogue(path, settings=settings) as catalogue:
            def decode():
                with catalogue.record(5) as record:
                    record.decode(data)

            capture = os.path.join(folder, "capture.dat")
            with open(capture, "wb") as out:
                out.write(data)
            sources = {"BytesIO": lambda: io.BytesIO(data),
                       "file": lambda: capture,
                       "pipe": lambda: Unseekable(data)}

            def reader(source):
                def work():
                    for record in catalogue.reader(source()):
                        record.close()  # freed as decode's record is
                return work

            times = best(9, decode, *(reader(source) for source in sources.values()))
            records = list(catalogue.reader(io.BytesIO(data)))
            assert len(records) == 1 and len(records[0].field(1).value) == len(value)
    print(f"record of {len(data):,} bytes: Record.decode {times[0]:.3f} s")
    for name, taken in zip(sources, times[1:]):
        print(f"  reader() from a {name}: {taken:.3f} s, ratio {taken / times[0]:.2f}")


if __name__ == "__main__":
    main()
