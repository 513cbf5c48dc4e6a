// quenzel: work with definition files and data records by hand.
//
//   quenzel check  FILE [--strict]
//   quenzel show   FILE [RECORD] [--json]
//   quenzel encode FILE RECORD [FIELD=VALUE ...] [--host-units MS,SF]
//   quenzel encode FILE [RECORD] --json [-i INPUT]
//   quenzel decode FILE [RECORD] [-i INPUT ...] [--keep-going] [--check]
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
#include "suggest.h"

namespace {

using quenzel_tool::CommonOptions;

const std::vector<std::string> kVerbs = {"check", "show", "encode", "decode"};

void AddCommonOptions(CLI::App* verb, CommonOptions& common) {
  verb->add_option("FILE", common.file, "definition file (- for standard input)")->required();
  verb->add_option("-o,--output", common.output,
                   "write the results to this file (default: standard output)");
  verb->add_option("--codepage", common.codePage,
                   "code page number of the definition file and of incoming text, e.g. 1252 "
                   "(default: the registry's Codepage, else 1252)");
  verb->add_option("--registry", common.registry, "registry export (.reg) with the settings");
  verb->add_option("--log", common.logName, "write read errors to this audit log");
  verb->add_option("--log-dir", common.logDir,
                   "existing, writable directory for the audit log (default: syslog)");
}

// An unknown verb, told with the nearest known one; 0 when argv[1] is fine.
bool UnknownVerb(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return false;
  const std::string verb = argv[1];
  if (std::find(kVerbs.begin(), kVerbs.end(), verb) != kVerbs.end()) return false;
  std::cerr << "quenzel: unknown command \"" << verb << "\""
            << quenzel_tool::DidYouMean(verb, kVerbs)
            << "; the commands are check, show, encode and decode (see quenzel --help)\n";
  return true;
}

// Parses the command line and runs the verb it names.
int Run(int argc, char** argv) {
  if (UnknownVerb(argc, argv)) return quenzel_tool::kExitUsage;
  CLI::App app{"Work with quenzel definition files and data records."};
  app.set_version_flag("--version", std::string("quenzel ") + QUENZEL_VERSION);
  app.require_subcommand(1);
  app.footer(
      "\nExit status: 0 success; 1 the definition file or the data is bad, a value was refused, "
      "or\n"
      "output was lost (a write error); 2 the command line is wrong, or a setting it names is\n"
      "(an unknown code page, a --registry file that is no registry export, a --log-dir that\n"
      "cannot be written). The tool reads the definition file itself: it never reads or writes\n"
      "the library's cache files.");

  CommonOptions common;
  quenzel_tool::CheckOptions check;
  quenzel_tool::ShowOptions show;
  quenzel_tool::EncodeOptions encode;
  quenzel_tool::DecodeOptions decode;

  CLI::App* checkVerb = app.add_subcommand(
      "check", "load a definition file: its records, or the line where loading stops and why");
  AddCommonOptions(checkVerb, common);
  checkVerb->add_flag("--strict", check.strict,
                      "also warn about lines that load but do not mean what they seem to (exit "
                      "status 1 when there is any)");

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
      "read one JSON object per line: what decode prints, or {\"FIELD\": VALUE, ...}");
  encodeVerb->add_option(
      "-i,--input", encode.input,
      "with --json: read the JSON lines from this file (default: standard input)");
  encodeVerb->add_option("--host-units", encode.hostUnits,
                         "the host's measurement system and scaling factor, e.g. 1,-3 (grams)");
  encodeVerb->footer(
      "\nEach data record goes to the output on a line of its own. A record is written only when\n"
      "every value was accepted; a refused value is reported on stderr with the field, the value,\n"
      "the library's result and what the field allows, and the exit status is 1. A value the\n"
      "library replaced by the field's default (Range Warning) is written and reported. With\n"
      "--json, each input line is a record of its own; messages give the input line.\n"
      "CLOB values are given as plain text and stored as Base64. Text values are sent as stored,\n"
      "in UTF-8, while the scale (and `quenzel decode`) read text in the definition's code page.");

  CLI::App* decodeVerb = app.add_subcommand("decode", "read data records and print them as JSON");
  AddCommonOptions(decodeVerb, common);
  decodeVerb->add_option("RECORD", decode.record,
                         "record number or name (default: each record's number)");
  decodeVerb->add_option("-i,--input", decode.inputs,
                         "read data records from these files, in turn (- for standard input; "
                         "default: standard input)");
  decodeVerb->add_flag("--keep-going", decode.keepGoing,
                       "after a record that does not read, go on with the next input");
  decodeVerb->add_flag("--check", decode.check,
                       "print no JSON, only a summary; exit status 1 when any record failed or any "
                       "value lies outside its list or range");
  decodeVerb->footer(
      "\nPrints one JSON object per data record as soon as it is read: the record's number and\n"
      "name, and every field with its stored value (UTF-8, without the padding the library's\n"
      "text getter adds). `encode --json` reads these lines back. A record that does not read\n"
      "is reported with the input, the record's index and byte offset, the field and the\n"
      "reason; the rest of that input is not read. Values outside their list or range are\n"
      "reported as warnings.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return quenzel_tool::kExitUsage;
  }

  if (checkVerb->parsed()) return quenzel_tool::Check(common, check);
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
  } catch (const std::exception& e) {  // out of memory
    std::cerr << "quenzel: " << e.what() << "\n";
    return quenzel_tool::kExitBad;
  }
}
