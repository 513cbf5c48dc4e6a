// Data records on streams: the record's number, the elements of its fields,
// the closing 0. docs/data-record-format.md describes the format. Not
// installed; the public stream operators delegate here.
#ifndef QUENZEL_DATA_RECORD_H_
#define QUENZEL_DATA_RECORD_H_

#include <istream>
#include <ostream>

#include "quenzel_record.h"

namespace quenzel {
namespace detail {

// Writes one field's element (number, blank, byte length, blank, the value
// in double quotes, blank), or nothing when the field sends nothing.
std::ostream& WriteField(std::ostream& out, CQuenzelField& field);

// Writes the whole data record, handing the record's settings to each
// weight field first.
std::ostream& WriteRecord(std::ostream& out, CQuenzelRecord& record);

// Reads one data record into `record`; failure sets the fail bit, fields
// set before it keep their new values. Records 8 and 9 collect their three
// long texts from continuation elements.
std::istream& ReadRecord(std::istream& in, CQuenzelRecord& record);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_DATA_RECORD_H_
