// quenzel: work with definition files and data records by hand.
//
//   quenzel check  FILE
//   quenzel show   FILE [RECORD] [--json]
//   quenzel encode FILE RECORD [FIELD=VALUE ...] [--json] [--host-units MS,SF]
//   quenzel decode FILE [RECORD] [-i INPUT ...]
//
// This file only parses the command line and dispatches to the verbs.
#include <CLI/CLI.hpp>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

#include "commands.h"

namespace {

using quenzel_tool::CommonOptions;

void AddCommonOptions(CLI::App* verb, CommonOptions& common) {
  verb->add_option("FILE", common.file, "definition file")->required();
  verb->add_option("--codepage", common.codePage,
                   "code page of the definition file and of incoming text (default: the "
                   "registry's, else 1252)");
  verb->add_option("--registry", common.registry, "registry export (.reg) with the settings")
      ->check(CLI::ExistingFile);
  verb->add_option("--log", common.logName, "write read errors to this audit log");
  verb->add_option("--log-dir", common.logDir, "directory for the audit log (default: syslog)");
}

}  // namespace

namespace {

// Parses the command line and runs the verb it names.
int Run(int argc, char** argv) {
  CLI::App app{"Work with quenzel definition files and data records."};
  app.set_version_flag("--version", std::string("quenzel ") + QUENZEL_VERSION);
  app.require_subcommand(1);

  CommonOptions common;
  quenzel_tool::ShowOptions show;
  quenzel_tool::EncodeOptions encode;
  quenzel_tool::DecodeOptions decode;

  CLI::App* check = app.add_subcommand(
      "check", "load a definition file: its records, or the line where loading stops");
  AddCommonOptions(check, common);

  CLI::App* showVerb =
      app.add_subcommand("show", "the records of a definition file, or one record's fields");
  AddCommonOptions(showVerb, common);
  showVerb->add_option("RECORD", show.record, "record number or name");
  showVerb->add_flag("--json", show.json, "print JSON");

  CLI::App* encodeVerb = app.add_subcommand("encode", "build data records from field values");
  AddCommonOptions(encodeVerb, common);
  encodeVerb->add_option("RECORD", encode.record, "record number or name");
  encodeVerb->add_option("VALUES", encode.values,
                         "FIELD=VALUE (FIELD: number or name; VALUE: UTF-8)");
  encodeVerb->add_flag(
      "--json", encode.json,
      "read one JSON object per line from stdin: {\"record\": R, \"fields\": {FIELD: VALUE}}");
  encodeVerb->add_option("--host-units", encode.hostUnits,
                         "the host's measurement system and scaling factor, e.g. 1,-3 (grams)");

  encodeVerb->footer(
      "\nThe data record goes to stdout, one per line; rejected and substituted values are\n"
      "reported on stderr (exit status 1 when a value was rejected). CLOB values are given\n"
      "as plain text and sent as Base64. Text fields are sent as stored, in UTF-8, while\n"
      "the scale (and `quenzel decode`) read text in the definition's code page: text\n"
      "outside ASCII does not come back unchanged through decode.");

  CLI::App* decodeVerb = app.add_subcommand("decode", "read data records and print them as JSON");
  AddCommonOptions(decodeVerb, common);
  decodeVerb->add_option("RECORD", decode.record,
                         "record number or name (default: each record's number)");
  decodeVerb->add_option("-i,--input", decode.inputs, "read data records from these files")
      ->check(CLI::ExistingFile);
  decodeVerb->footer(
      "\nPrints one JSON object per data record: the record's number and name, and every\n"
      "field with its value as the library gives it in UTF-8 (incoming text is read in the\n"
      "code page). A record that does not read stops the tool with its byte offset.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return quenzel_tool::kExitUsage;
  }

  if (check->parsed()) return quenzel_tool::Check(common);
  if (showVerb->parsed()) return quenzel_tool::Show(common, show);
  if (encodeVerb->parsed()) return quenzel_tool::Encode(common, encode);
  return quenzel_tool::Decode(common, decode);
}
}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Data records are bytes: no line-end translation, no end at a Ctrl-Z.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {  // out of memory, or an unreadable input
    std::cerr << "quenzel: " << e.what() << "\n";
    return quenzel_tool::kExitBad;
  }
}
