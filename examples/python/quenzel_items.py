#!/usr/bin/env python3
"""Item data for the shop scales, with the quenzel Python package.

    quenzel_items.py encode DEFINITION ITEMS.CSV     one data record per CSV row
    quenzel_items.py decode DEFINITION CAPTURE...    one JSON line per data record

`encode` fills a copy of record 12 (ITEM) from each row of a CSV file whose
header names the fields (by name or number) and prints it as a data record;
empty cells leave a field at its default, and CLOB fields take the cell's
text as it is and store it in Base64. `decode` reads the data records of
capture files and prints each one as JSON: record number and name, and
every field's number, name and value.

The registry export named by CFGSTORE_FILE, or by --registry, tells the
library where the definition file is; --setting NAME=VALUE sets a registry
value for this run, e.g. --setting 'Environment\\ZQEXE=/opt/shop/'.
"""

import argparse
import base64
import csv
import json
import sys

import quenzel


def encode(catalogue: quenzel.Catalogue, csv_path: str) -> int:
    status = 0
    with open(csv_path, newline="", encoding="utf-8") as rows:
        for row in csv.DictReader(rows):
            with catalogue.record("ITEM") as item:
                for key, text in row.items():
                    if not text:
                        continue
                    field = item.field(key)
                    if field.type_name == "CLOB":
                        text = base64.b64encode(text.encode()).decode()
                    try:
                        field.set(text)
                    except quenzel.ValueRejected as refused:
                        print(f"{csv_path}: {refused}", file=sys.stderr)
                        status = 1
                sys.stdout.buffer.write(item.encode() + b"\n")
    return status


def decode(catalogue: quenzel.Catalogue, capture_paths: list) -> int:
    for path in capture_paths:
        with open(path, "rb") as capture:
            try:
                for record in catalogue.reader(capture):
                    fields = [{"number": f.number, "name": f.name, "value": f.value}
                              for f in record.fields()]
                    line = {"record": record.number, "name": record.name, "fields": fields}
                    print(json.dumps(line, ensure_ascii=False, separators=(",", ":")))
                    record.close()
            except quenzel.DecodeError as error:
                print(f"{path}: {error}", file=sys.stderr)
                return 1
    return 0


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("verb", choices=("encode", "decode"))
    parser.add_argument("definition", help="definition file name, e.g. shop.def")
    parser.add_argument("inputs", nargs="+", help="CSV file (encode) or capture files (decode)")
    parser.add_argument("--registry", help="registry export file")
    parser.add_argument("--setting", action="append", default=[], metavar="NAME=VALUE")
    parser.add_argument("--log", default="", help="audit log name")
    args = parser.parse_args()
    settings = dict(item.split("=", 1) for item in args.setting)
    sys.stdout.reconfigure(encoding="utf-8")
    try:
        catalogue = quenzel.Catalogue(args.definition, log=args.log, registry=args.registry,
                                      settings=settings)
    except quenzel.LoadError as error:
        print(error, file=sys.stderr)
        return 1
    with catalogue:
        if args.verb == "encode":
            return encode(catalogue, args.inputs[0])
        return decode(catalogue, args.inputs)


if __name__ == "__main__":
    sys.exit(main())
