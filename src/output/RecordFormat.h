#pragma once

#include "search/ResultList.h"
#include "store/ByteStream.h"

#include <string>

namespace quillory {

// The forms results are written in for scripts and spreadsheets. Each record
// has the fields name, directory, disk_name, disk_number, size, modified and
// type, in that order:
// - modified is "YYYY-MM-DD HH:MM:SS" when the date is D/M/YYYY (one or two
//   digits of day and month, four of year) and the time hh:mm:ss (two digits
//   each); otherwise the date and the time as they stand, joined by a space;
// - type is "file" for kind "F", "directory" for "D", otherwise the kind;
// - the others are the entry's texts as they stand.
// Csv: RFC 4180, a header line of the field names, a field quoted when it
//   holds a comma, quote, CR or LF (quotes doubled), every line ending CR LF.
// Tsv: the same header, fields separated by tabs, every line ending LF; tab,
//   LF, CR and backslash in a field are written \t, \n, \r and \\.
// Json: one array of objects keyed by the field names, one object a line:
//   "[\n{...},\n{...}\n]\n", or "[]\n" when empty. disk_number (optionally
//   negative) and size are numbers when their text is a plain decimal integer
//   of at most 15 digits without leading zeros, strings otherwise. A text
//   that is not valid UTF-8 becomes {"bytes":"<standard base64>"} in place
//   of its string, so that no byte is lost.
// Ndjson: the same objects, each on a line of its own ending LF, and nothing
//   else.
enum class RecordFormat { Csv, Tsv, Json, Ndjson };

// Writes results one at a time in a RecordFormat to an output, through a
// buffer of about 64 KiB. The header (csv, tsv) or the array's opening (json)
// goes out with the first entry, or at Finish when there is none. Raises the
// output's own Error, or, when the output takes fewer bytes than it was given,
// Error with the system's description of the failed write.
class RecordWriter {
public:
    // `byteOrderMark`: start csv and tsv with the UTF-8 byte order mark EF BB
    // BF. Ignored for json and ndjson, which never have one.
    RecordWriter(RecordFormat format, bool byteOrderMark, ByteOutput& output);
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void Write(const ResultEntry& entry);
    // Writes what is left (and closes the json array). Call it once, after
    // the last Write; what is not finished is not written.
    void Finish();

private:
    RecordFormat format_;
    bool byteOrderMark_;
    ByteOutput& output_;
    std::string buffer_;
    std::string modified_; // room for the modified field
    bool written_ = false; // an entry was written
};

// Writes every entry of `results`, in list order, the text made on every
// core a batch at a time. Raises as RecordWriter does.
void WriteRecords(RecordFormat format, bool byteOrderMark, const ResultList& results,
                  ByteOutput& output);

} // namespace quillory
