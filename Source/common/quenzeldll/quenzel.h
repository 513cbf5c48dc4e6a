// The quenzel host interface: everything a host program needs.
//
//   CQuenzelFile    the catalogue of record definitions (Initialise, GetRecord)
//   CQuenzelRecord  one record definition with its fields
//   CQuenzelField   one typed field and its value
//   QuenzelError, CQuenzelException, QuenzelLastReadError
#ifndef QUENZEL_QUENZEL_H_
#define QUENZEL_QUENZEL_H_

#include "quenzel_diagnostics.h"
#include "quenzel_error.h"
#include "quenzel_field.h"
#include "quenzel_file.h"
#include "quenzel_record.h"

#endif  // QUENZEL_QUENZEL_H_
