/// @file quenzel.h
/// The quenzel host interface: the one header a host program includes.
///
///   - CQuenzelFile: the catalogue of record definitions (Initialise, GetRecord)
///   - CQuenzelRecord: one record definition with its fields
///   - CQuenzelField: one typed field and its value
///   - QuenzelError, CQuenzelException, QuenzelLastReadError(): results and failures
///
/// @mainpage quenzel
///
/// The host-side record interface of the shop scales. A host program loads a
/// definition file into a CQuenzelFile, copies the record it needs, fills
/// its fields through the checking setters of CQuenzelField, writes it as a
/// data record with `out << record` and reads the scale's answer with
/// `in >> record`.
///
/// The user documentation lives beside this reference in the repository's
/// `docs/` directory: `host-program.md` (a complete program),
/// `definition-format.md`, `data-record-format.md`, `errors.md`,
/// `weights.md`, `configuration.md` and `audit-log.md`.
#ifndef QUENZEL_QUENZEL_H_
#define QUENZEL_QUENZEL_H_

#include "quenzel_diagnostics.h"
#include "quenzel_error.h"
#include "quenzel_field.h"
#include "quenzel_file.h"
#include "quenzel_record.h"

#endif  // QUENZEL_QUENZEL_H_
