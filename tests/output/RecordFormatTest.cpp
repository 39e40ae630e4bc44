#include "output/RecordFormat.h"

#include "common/Error.h"
#include "output/FileExport.h"
#include "support/FailingOutput.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

namespace quillory {
namespace {

struct Case {
    ResultEntry Entry;
    std::pair<std::string, std::string> Made; // modified, from date and time; type, from kind
    std::string Csv, Tsv, Json;               // the line (tsv: '|' for each tab) or the object
};

const Case Cases[] = {
    {{"a,b \"q\"", "\\docs\\", "Disk", "007", "abc", "5/3/2003", "10:04:00", "F"},
     {"2003-03-05 10:04:00", "file"},
     R"("a,b ""q""",\docs\,Disk,007,abc,2003-03-05 10:04:00,file)",
     R"(a,b "q"|\\docs\\|Disk|007|abc|2003-03-05 10:04:00|file)",
     R"({"name":"a,b \"q\"","directory":"\\docs\\","disk_name":"Disk","disk_number":"007",)"
     R"("size":"abc","modified":"2003-03-05 10:04:00","type":"file"})"},
    {{"t\tc\rl\n\\", "\\", "", "-0", "0", "2003-01-05", "1:02:03", "D"},
     {"2003-01-05 1:02:03", "directory"},
     "\"t\tc\rl\n\\\",\\,,-0,0,2003-01-05 1:02:03,directory",
     R"(t\tc\rl\n\\|\\||-0|0|2003-01-05 1:02:03|directory)",
     R"({"name":"t\tc\rl\n\\","directory":"\\","disk_name":"","disk_number":"-0","size":0,)"
     R"("modified":"2003-01-05 1:02:03","type":"directory"})"},
    {{"caf\xC3\xA9\x01\x7F\b\f", "\\x\\", "D\xE2\x82\xAC", "-3", "1234567890123456", "31/12/1999",
      "23:59:5", "X"},
     {"31/12/1999 23:59:5", "X"},
     "caf\xC3\xA9\x01\x7F\b\f,\\x\\,D\xE2\x82\xAC,-3,1234567890123456,31/12/1999 23:59:5,X",
     "caf\xC3\xA9\x01\x7F\b\f|\\\\x\\\\|D\xE2\x82\xAC|-3|1234567890123456|31/12/1999 23:59:5|X",
     "{\"name\":\"caf\xC3\xA9\\u0001\x7F\\b\\f\",\"directory\":\"\\\\x\\\\\",\"disk_name\":"
     "\"D\xE2\x82\xAC\",\"disk_number\":-3,\"size\":\"1234567890123456\","
     "\"modified\":\"31/12/1999 23:59:5\",\"type\":\"X\"}"},
    // Invalid UTF-8, a different fault in each field: a cut sequence, a
    // surrogate, an overlong form, a byte never in UTF-8, above U+10FFFF.
    {{"bad\xC3", "\xED\xA0\x80", "\xE0\x80\xAF", "0", "999999999999999", "\xFF", "",
      "\xF4\x90\x80\x80z"},
     {"\xFF ", "\xF4\x90\x80\x80z"},
     "bad\xC3,\xED\xA0\x80,\xE0\x80\xAF,0,999999999999999,\xFF ,\xF4\x90\x80\x80z",
     "bad\xC3|\xED\xA0\x80|\xE0\x80\xAF|0|999999999999999|\xFF |\xF4\x90\x80\x80z",
     R"({"name":{"bytes":"YmFkww=="},"directory":{"bytes":"7aCA"},"disk_name":{"bytes":"4ICv"},)"
     R"("disk_number":0,"size":999999999999999,"modified":{"bytes":"/yA="},)"
     R"("type":{"bytes":"9JCAgHo="}})"},
};

const std::string Header = "name,directory,disk_name,disk_number,size,modified,type";

void WriteCases(RecordFormat format, bool bom, std::size_t count, int times, ByteOutput& out) {
    RecordWriter writer(format, bom, out);
    for (int time = 0; time < times; ++time)
        for (std::size_t i = 0; i < count; ++i)
            writer.Write(Cases[i].Entry);
    writer.Finish();
}

std::string Expected(RecordFormat format, std::size_t count) {
    std::string csv = Header + "\r\n", tsv = Header + "\n", json, ndjson;
    std::replace(tsv.begin(), tsv.end(), ',', '\t');
    for (std::size_t i = 0; i < count; ++i) {
        csv += Cases[i].Csv + "\r\n";
        std::string line = Cases[i].Tsv;
        std::replace(line.begin(), line.end(), '|', '\t');
        tsv += line + "\n";
        json += (i == 0 ? "[\n" : ",\n") + Cases[i].Json;
        ndjson += Cases[i].Json + "\n";
    }
    json += count == 0 ? "[]\n" : "\n]\n";
    const std::string texts[] = {csv, tsv, json, ndjson};
    return texts[static_cast<int>(format)];
}

class RecordFormatTest : public ::testing::TestWithParam<RecordFormat> {};

TEST_P(RecordFormatTest, WritesEveryFieldInTheFormat) {
    const RecordFormat format = GetParam();
    const bool tabular = format == RecordFormat::Csv || format == RecordFormat::Tsv;
    for (const std::size_t count : {std::size(Cases), std::size_t{0}}) {
        test::FailingOutput out(SIZE_MAX);
        WriteCases(format, false, count, 1, out);
        EXPECT_EQ(out.Bytes, Expected(format, count)) << count;
    }
    // The byte order mark starts csv and tsv only.
    test::FailingOutput out(SIZE_MAX);
    WriteCases(format, true, 1, 1, out);
    EXPECT_EQ(out.Bytes, (tabular ? "\xEF\xBB\xBF" : "") + Expected(format, 1));
    test::FailingOutput full(10);
    EXPECT_THROW(WriteCases(format, false, 1, 1, full), Error);
}

// The fields in hex, separated by commas, as the reader below prints them.
std::string HexRow(std::initializer_list<std::string_view> fields) {
    std::string row;
    for (const std::string_view field : fields) {
        for (const unsigned char c : field)
            row += "0123456789abcdef"[c >> 4], row += "0123456789abcdef"[c & 15];
        row += ',';
    }
    row.back() = '\n';
    return row;
}

// Prints each record read with Python's own readers as its fields in hex.
constexpr char Reader[] = R"(import base64, csv, json, re, sys
path, form = sys.argv[1], sys.argv[2]
names = ['name', 'directory', 'disk_name', 'disk_number', 'size', 'modified', 'type']
def text(v):
    if isinstance(v, dict): return base64.b64decode(v['bytes'], validate=True)
    return str(v).encode() if isinstance(v, int) else v.encode()
if form == '0':
    with open(path, newline='', encoding='utf-8-sig', errors='surrogateescape') as f:
        rows = [[x.encode('utf-8', 'surrogateescape') for x in r] for r in csv.reader(f)]
elif form == '1':
    esc = {b't': b'\t', b'n': b'\n', b'r': b'\r', b'\\': b'\\'}
    lines = open(path, 'rb').read().split(b'\n')
    assert lines.pop() == b''
    rows = [[re.sub(rb'\\(.)', lambda m: esc[m[1]], x) for x in l.split(b'\t')] for l in lines]
else:
    data = open(path, 'rb').read()
    objects = json.loads(data) if form == '2' else [json.loads(l) for l in data.split(b'\n')[:-1]]
    assert all(list(o) == names for o in objects)
    rows = [[n.encode() for n in names]] + [[text(v) for v in o.values()] for o in objects]
for r in rows: print(','.join(x.hex() for x in r))
)";

TEST_P(RecordFormatTest, ReadsBackWholeWithPythonsReaders) {
    const int format = static_cast<int>(GetParam());
    // Beyond one batch by one entry: the last batch fills fewer slices than
    // the first, on any number of cores.
    const std::size_t entries = 16385;
    test::TempDir temp;
    const std::string file = temp.File("out"), script = temp.File("read.py");
    test::WriteFile(script, Reader);
    // A list written whole, its text made on every core.
    ResultList list;
    std::string expected =
        HexRow({"name", "directory", "disk_name", "disk_number", "size", "modified", "type"});
    for (std::size_t i = 0; i < entries; ++i) {
        const auto& [e, made, csv, tsv, json] = Cases[i % std::size(Cases)];
        list.BeginCatalog(e.DiskName, e.DiskNumber);
        list.Append(e.Name, e.Directory, e.Size, e.Date, e.Time, e.Kind);
        expected +=
            HexRow({e.Name, e.Directory, e.DiskName, e.DiskNumber, e.Size, made.first, made.second});
    }
    ExportToFile(file, [&](ByteOutput& out) {
        WriteRecords(GetParam(), GetParam() == RecordFormat::Csv, list, out);
    });
    const std::string command = "python3 " + script + " " + file + " " + std::to_string(format);
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string read;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        read.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(read, expected);
}

std::string FormatName(const ::testing::TestParamInfo<RecordFormat>& info) {
    return std::vector<std::string>{"Csv", "Tsv", "Json", "Ndjson"}[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordFormatTest,
                         ::testing::Values(RecordFormat::Csv, RecordFormat::Tsv, RecordFormat::Json,
                                           RecordFormat::Ndjson),
                         FormatName);

} // namespace
} // namespace quillory
