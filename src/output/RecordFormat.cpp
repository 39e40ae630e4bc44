#include "output/RecordFormat.h"

#include "common/Utf8.h"
#include "index/PartFormat.h"
#include "output/FileExport.h"

#include <array>
#include <cstdint>

namespace quillory {

namespace {

constexpr std::size_t FlushBytes = 64 * 1024;
constexpr const char* FieldNames[] = {"name", "directory", "disk_name", "disk_number",
                                      "size", "modified",  "type"};
// Each field's key in a json object, with what goes before it.
constexpr std::string_view JsonKeys[] = {
    "{\"name\":", ",\"directory\":", ",\"disk_name\":", ",\"disk_number\":",
    ",\"size\":", ",\"modified\":",  ",\"type\":"};

// A table of the bytes for which `special` holds.
template <typename Predicate> constexpr std::array<bool, 256> ByteTable(Predicate special) {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = special(c);
    return table;
}

constexpr auto CsvSpecial =
    ByteTable([](int c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
constexpr auto CsvQuote = ByteTable([](int c) { return c == '"'; });
constexpr auto TsvSpecial =
    ByteTable([](int c) { return c == '\t' || c == '\n' || c == '\r' || c == '\\'; });
constexpr auto JsonSpecial = ByteTable([](int c) { return c < 0x20 || c == '"' || c == '\\'; });

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// Appends `text` with every byte for which `table` holds replaced by what
// `escape` appends, runs of other bytes copied at once.
template <typename Escape>
void AppendEscaped(std::string_view text, const std::array<bool, 256>& table, std::string& out,
                   Escape escape) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!table[Byte(text[i])])
            continue;
        out.append(text.data() + run, i - run);
        escape(text[i], out);
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}

bool HasSpecial(std::string_view text, const std::array<bool, 256>& table) {
    for (const char c : text)
        if (table[Byte(c)])
            return true;
    return false;
}

void AppendBase64(std::string_view bytes, std::string& out) {
    static constexpr char Digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = Byte(bytes[i]) << 16 | Byte(bytes[i + 1]) << 8 | Byte(bytes[i + 2]);
        const char group[4] = {Digits[v >> 18], Digits[v >> 12 & 63], Digits[v >> 6 & 63],
                               Digits[v & 63]};
        out.append(group, 4);
    }
    if (const std::size_t left = bytes.size() - i; left > 0) {
        const std::uint32_t v = Byte(bytes[i]) << 16 | (left == 2 ? Byte(bytes[i + 1]) << 8 : 0);
        const char group[4] = {Digits[v >> 18], Digits[v >> 12 & 63],
                               left == 2 ? Digits[v >> 6 & 63] : '=', '='};
        out.append(group, 4);
    }
}

void AppendJsonString(std::string_view text, std::string& out) {
    if (!IsUtf8(text)) {
        out += "{\"bytes\":\"";
        AppendBase64(text, out);
        out += "\"}";
        return;
    }
    out += '"';
    AppendEscaped(text, JsonSpecial, out, [](char c, std::string& to) {
        switch (c) {
        case '"':
            to += "\\\"";
            return;
        case '\\':
            to += "\\\\";
            return;
        case '\n':
            to += "\\n";
            return;
        case '\r':
            to += "\\r";
            return;
        case '\t':
            to += "\\t";
            return;
        case '\b':
            to += "\\b";
            return;
        case '\f':
            to += "\\f";
            return;
        default: {
            static constexpr char Hex[] = "0123456789abcdef";
            const char code[6] = {'\\', 'u', '0', '0', Hex[Byte(c) >> 4], Hex[Byte(c) & 15]};
            to.append(code, 6);
        }
        }
    });
    out += '"';
}

bool AllDigits(std::string_view text) {
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Whether `text` is an integer a JSON reader keeps exactly in a double.
bool IsJsonInteger(std::string_view text, bool allowNegative) {
    const bool negative = allowNegative && !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    // "-0" reads back as 0: it stays a text.
    return !text.empty() && text.size() <= 15 && AllDigits(text) &&
           (text[0] != '0' || (text.size() == 1 && !negative));
}

// The modified field of a date and time, into `out`: "YYYY-MM-DD HH:MM:SS"
// when both are in the scanner's form, which gives their lines back exactly
// (no leading zeros, a real month and day); else the lines as they stand.
void MakeModified(std::string_view date, std::string_view time, std::string& out) {
    out.clear();
    if (DateCode(date) == 0 || TimeCode(time) == 0) {
        out.append(date).append(1, ' ').append(time);
        return;
    }
    const std::size_t first = date.find('/');
    const std::size_t second = date.find('/', first + 1);
    const std::string_view day = date.substr(0, first);
    const std::string_view month = date.substr(first + 1, second - first - 1);
    out.append(date.substr(second + 1)).append(1, '-');
    out.append(2 - month.size(), '0').append(month).append(1, '-');
    out.append(2 - day.size(), '0').append(day).append(1, ' ');
    out.append(time);
}

void AppendField(RecordFormat format, std::string_view text, std::string& out) {
    switch (format) {
    case RecordFormat::Csv:
        if (!HasSpecial(text, CsvSpecial)) {
            out += text;
            return;
        }
        out += '"';
        AppendEscaped(text, CsvQuote, out, [](char, std::string& to) { to += "\"\""; });
        out += '"';
        return;
    case RecordFormat::Tsv:
        AppendEscaped(text, TsvSpecial, out, [](char c, std::string& to) {
            to += '\\';
            to += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
        });
        return;
    case RecordFormat::Json:
    case RecordFormat::Ndjson:
        AppendJsonString(text, out);
        return;
    }
}

bool IsJson(RecordFormat format) {
    return format == RecordFormat::Json || format == RecordFormat::Ndjson;
}

void AppendNumberField(RecordFormat format, std::string_view text, bool allowNegative,
                       std::string& out) {
    if (IsJson(format) && IsJsonInteger(text, allowNegative))
        out += text;
    else
        AppendField(format, text, out);
}

std::string_view TypeOf(std::string_view kind) {
    if (kind == "F")
        return "file";
    if (kind == "D")
        return "directory";
    return kind;
}

// Appends what goes before the first entry: the byte order mark and the
// header of csv and tsv, the opening of a json array.
void AppendBeginning(RecordFormat format, bool byteOrderMark, std::string& out) {
    const bool tabular = format == RecordFormat::Csv || format == RecordFormat::Tsv;
    if (tabular && byteOrderMark)
        out += "\xEF\xBB\xBF";
    if (tabular) {
        for (const char* name : FieldNames) {
            out += name;
            out += format == RecordFormat::Csv ? ',' : '\t';
        }
        out.pop_back();
        out += format == RecordFormat::Csv ? "\r\n" : "\n";
    } else if (format == RecordFormat::Json) {
        out += '[';
    }
}

// Appends what follows the last entry.
void AppendEnd(RecordFormat format, bool anyEntry, std::string& out) {
    if (format == RecordFormat::Json)
        out += anyEntry ? "\n]\n" : "]\n";
}

// Appends one entry, after a separator from the one before when it is not
// the first; `modified` is room for its modified field.
void AppendEntry(RecordFormat format, const ResultEntry& entry, bool first, std::string& out,
                 std::string& modified) {
    MakeModified(entry.Date, entry.Time, modified);
    const std::string_view fields[] = {entry.Name,        entry.Directory, entry.DiskName,
                                       entry.DiskNumber,  entry.Size,      modified,
                                       TypeOf(entry.Kind)};
    if (format == RecordFormat::Json)
        out += first ? "\n" : ",\n";
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (IsJson(format))
            out += JsonKeys[i];
        else if (i > 0)
            out += format == RecordFormat::Csv ? ',' : '\t';
        if (i == 3 || i == 4)
            AppendNumberField(format, fields[i], i == 3, out);
        else
            AppendField(format, fields[i], out);
    }
    out += format == RecordFormat::Csv    ? "\r\n"
           : format == RecordFormat::Tsv  ? "\n"
           : format == RecordFormat::Json ? "}"
                                          : "}\n";
}

} // namespace

RecordWriter::RecordWriter(RecordFormat format, bool byteOrderMark, ByteOutput& output)
    : format_(format), byteOrderMark_(byteOrderMark), output_(output) {
    buffer_.reserve(FlushBytes + 4096);
}

void RecordWriter::Write(const ResultEntry& entry) {
    if (!written_)
        AppendBeginning(format_, byteOrderMark_, buffer_);
    AppendEntry(format_, entry, !written_, buffer_, modified_);
    written_ = true;
    if (buffer_.size() >= FlushBytes) {
        WriteAll(output_, buffer_);
        buffer_.clear();
    }
}

void RecordWriter::Finish() {
    if (!written_)
        AppendBeginning(format_, byteOrderMark_, buffer_);
    AppendEnd(format_, written_, buffer_);
    WriteAll(output_, buffer_);
    buffer_.clear();
}

void WriteRecords(RecordFormat format, bool byteOrderMark, const ResultList& results,
                  ByteOutput& output) {
    std::string text;
    AppendBeginning(format, byteOrderMark, text);
    WriteAll(output, text);
    WriteInBatches(
        results.Size(),
        [&](std::size_t index, std::string& text) {
            thread_local std::string modified;
            AppendEntry(format, results.Entry(index), index == 0, text, modified);
        },
        output);
    text.clear();
    AppendEnd(format, results.Size() > 0, text);
    WriteAll(output, text);
}

} // namespace quillory
