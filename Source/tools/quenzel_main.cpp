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
#include <algorithm>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

#include "commands.h"
#include "diagnostics.h"
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
  verb->add_option("--log", common.logName,
                   "write the library's audit entries for reading the definition file to this "
                   "audit log");
  verb->add_option("--log-dir", common.logDir,
                   "existing, writable directory for the audit log (default: syslog)");
  verb->add_option("--diagnostics-format", common.diagnosticsFormat,
                   "how messages are written on stderr: text (FILE:LINE:COL: error: ...) or "
                   "json (one object per line)")
      ->check(CLI::IsMember({"text", "json"}));
}

void AddWarningsAsErrors(CLI::App* verb, CommonOptions& common) {
  verb->add_flag("--warnings-as-errors", common.warningsAsErrors,
                 "report every warning as an error, and exit with status 1 when there is any");
}

// A long option the verb does not know, told with the nearest one it does;
// false when every long option on the command line is known.
bool UnknownOption(int argc, char** argv, CLI::App* verb) {
  std::vector<std::string> known = {"--help"};
  for (const CLI::Option* option : verb->get_options())
    for (const std::string& name : option->get_lnames()) known.push_back("--" + name);
  for (int i = 2; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--") break;
    if (word.compare(0, 2, "--") != 0) continue;
    word.resize(std::min(word.size(), word.find('=')));
    if (std::find(known.begin(), known.end(), word) != known.end()) continue;
    quenzel_tool::Diag().Error("unknown option " + word + " for " + verb->get_name() +
                               quenzel_tool::DidYouMean(word, known) + "; see quenzel " +
                               verb->get_name() + " --help");
    return true;
  }
  return false;
}

// An unknown verb, told with the nearest known one; 0 when argv[1] is fine.
bool UnknownVerb(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return false;
  const std::string verb = argv[1];
  if (std::find(kVerbs.begin(), kVerbs.end(), verb) != kVerbs.end()) return false;
  quenzel_tool::Diag().Error("unknown command \"" + verb + "\"" +
                             quenzel_tool::DidYouMean(verb, kVerbs) +
                             "; the commands are check, show, encode and decode (see quenzel "
                             "--help)");
  return true;
}

// Parses the command line and runs the verb it names.
int Run(int argc, char** argv) {
  if (UnknownVerb(argc, argv)) return quenzel_tool::kExitUsage;
  CLI::App app{"Work with quenzel definition files and data records."};
  app.set_version_flag("--version", std::string("quenzel ") + QUENZEL_VERSION);
  app.require_subcommand(1);
  app.footer(
      "\nExit status: 0 success; 1 the definition file or the data is bad, a value was refused\n"
      "or would be stored differently, a warning counted as an error, or output was lost (a\n"
      "write error); 2 the command line is wrong, or a setting it names cannot work (an unknown\n"
      "code page, a --registry file that is no registry export, a --log-dir that cannot be\n"
      "written). Messages go to stderr as FILE:LINE:COL: error|warning: MESSAGE, or as JSON\n"
      "with --diagnostics-format json. A file named by -o is written beside the target and\n"
      "replaces it only when the run succeeds; an -o that names an input is refused. The tool\n"
      "reads the definition file itself: it never reads or writes the library's cache files.");

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
  AddWarningsAsErrors(checkVerb, common);

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
                         "the host's measurement system (1 kilograms, 2 decimal pounds, 3 "
                         "avoirdupois pounds) and scaling factor, e.g. 1,-3 (grams)");
  encodeVerb->add_flag("--lenient", encode.lenient,
                       "write values the library stores differently from what was given (cut, "
                       "replaced by the default, a character dropped), each with a warning");
  AddWarningsAsErrors(encodeVerb, common);
  encodeVerb->footer(
      "\nEach data record goes to the output on a line of its own. A record is written only when\n"
      "every value was accepted as given; a refused value is reported on stderr with the field,\n"
      "the value, the library's result and what the field allows, and the exit status is 1. A\n"
      "value the library would store differently (replaced by the field's default, cut short,\n"
      "a character dropped, so that the field is left out) is refused too, saying what would be\n"
      "stored; --lenient writes it with a warning. A field named twice is refused. With --json,\n"
      "each input line is a record of its own; messages give the input line and column.\n"
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
                       "after a record that does not read, go on at the next record boundary "
                       "(each skipped stretch is reported; exit status 1 at the end)");
  decodeVerb->add_flag("--check", decode.check,
                       "print no JSON, only a summary; exit status 1 when any record failed or any "
                       "value lies outside its list or range");
  AddWarningsAsErrors(decodeVerb, common);
  decodeVerb->footer(
      "\nPrints one JSON object per data record as soon as it is read: the record's number and\n"
      "name, and every field with its stored value (UTF-8, without the padding the library's\n"
      "text getter adds). `encode --json` reads these lines back. A record that does not read\n"
      "is reported with the input, its line and column, the record's index and byte offset, the\n"
      "field and the reason; the rest of that input is not read unless --keep-going is given.\n"
      "Values outside their list or range are reported as warnings.");

  for (CLI::App* verb : {checkVerb, showVerb, encodeVerb, decodeVerb})
    if (argc > 1 && verb->get_name() == argv[1] && UnknownOption(argc, argv, verb))
      return quenzel_tool::kExitUsage;
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return quenzel_tool::kExitUsage;
  }

  quenzel_tool::Diag().SetJson(common.diagnosticsFormat == "json");
  quenzel_tool::Diag().SetWarningsAsErrors(common.warningsAsErrors);
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
    quenzel_tool::Diag().Error(e.what());
    return quenzel_tool::kExitBad;
  }
}
