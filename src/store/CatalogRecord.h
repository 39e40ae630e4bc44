#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quillory {

// A catalog is a sequence of records of seven lines, each line ended by CR LF:
// kind ("F" or "D"), name, directory ("\" alone at the top, then "\docs\" and so
// on), date (day/month/four-digit year without leading zeros), time (hh:mm:ss,
// two digits each), size in bytes, and "-----".
inline constexpr std::size_t RecordLineCount = 7;
inline constexpr char RecordTerminator[] = "-----";
inline constexpr char LineEnd[] = "\r\n";

enum class EntryKind { File, Directory };

// A local date and time as the scanner takes it from an entry.
struct LocalDateTime {
    int Day = 1;
    int Month = 1;
    int Year = 1980;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// Line 4: "7/3/2003" (day, month, then the year with four digits).
std::string FormatDate(int day, int month, int year);

// Line 5's three parts, each exactly two digits: 0 gives "00", 7 gives "07", 23 gives "23".
std::array<std::string, 3> GetTimeDateStr(int hours, int minutes, int seconds);

// The seven lines of one record, each ended by CR LF. A CR or LF byte in the
// name or the directory would break the seven-line shape, so each is written
// as "?".
std::string FormatRecord(EntryKind kind, std::string_view name, std::string_view directory,
                         const LocalDateTime& time, std::int64_t size);
// The same, appended to `out`.
void AppendRecord(std::string& out, EntryKind kind, std::string_view name,
                  std::string_view directory, const LocalDateTime& time, std::int64_t size);

// One record as read: its seven lines without their line ends. The views are
// valid only during the call that hands the record over.
struct CatalogRecordView {
    std::array<std::string_view, RecordLineCount> Lines;

    std::string_view Kind() const { return Lines[0]; }
    std::string_view Name() const { return Lines[1]; }
    std::string_view Directory() const { return Lines[2]; }
    std::string_view Date() const { return Lines[3]; }
    std::string_view Time() const { return Lines[4]; }
    std::string_view Size() const { return Lines[5]; }
};

using RecordConsumer = std::function<void(const CatalogRecordView&)>;

// Takes the text of a catalog in pieces of any size, then its end.
class CatalogTextSink {
public:
    virtual ~CatalogTextSink() = default;
    virtual void Feed(const char* data, std::size_t count) = 0;
    virtual void Finish() = 0;
};

// Cuts catalog bytes, fed in pieces of any size, into records. A line ends at
// LF, and a CR just before that LF is not part of the line; the last line may
// lack its line end; lines may be of any length. Records are consecutive groups
// of seven lines until the end of the text; a record that the end cuts short
// gets empty texts for its missing lines, and a text with no lines gives no records.
class CatalogRecordParser final : public CatalogTextSink {
public:
    explicit CatalogRecordParser(RecordConsumer consumer);

    // Takes the next piece of the text, handing over every record it completes.
    void Feed(const char* data, std::size_t count) override;
    // The text has ended: hands over the last, possibly shortened record.
    void Finish() override;

private:
    void AddLine(std::size_t start, std::size_t end);
    void HandOver();
    void DropFinishedRecords();

    RecordConsumer consumer_;
    // The bytes not yet handed over: the unfinished record and, during Feed,
    // the records finished in this piece.
    std::string pending_;
    std::size_t recordStart_ = 0; // where the unfinished record begins in pending_
    std::size_t lineStart_ = 0;   // where the unfinished line begins
    std::size_t scanned_ = 0;     // bytes already searched for a line end
    std::size_t completeLines_ = 0;
    std::array<std::size_t, RecordLineCount> lineStarts_{};
    std::array<std::size_t, RecordLineCount> lineEnds_{};
};

} // namespace quillory
