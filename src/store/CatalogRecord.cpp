#include "store/CatalogRecord.h"

#include <cstring>

namespace quillory {

namespace {

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

// CR and LF end lines; inside a name or a directory each becomes "?".
void AppendLine(std::string& record, std::string_view text) {
    const std::size_t start = record.size();
    record += text;
    for (std::size_t i = start; i < record.size(); ++i) {
        if (record[i] == '\r' || record[i] == '\n')
            record[i] = '?';
    }
    record += LineEnd;
}

} // namespace

std::string FormatDate(int day, int month, int year) {
    std::string yearText = std::to_string(year);
    if (yearText.size() < 4)
        yearText.insert(0, 4 - yearText.size(), '0');
    return std::to_string(day) + '/' + std::to_string(month) + '/' + yearText;
}

std::array<std::string, 3> GetTimeDateStr(int hours, int minutes, int seconds) {
    return {TwoDigits(hours), TwoDigits(minutes), TwoDigits(seconds)};
}

std::string FormatRecord(EntryKind kind, std::string_view name, std::string_view directory,
                         const LocalDateTime& time, std::int64_t size) {
    std::string record;
    record.reserve(name.size() + directory.size() + 64);
    AppendRecord(record, kind, name, directory, time, size);
    return record;
}

void AppendRecord(std::string& record, EntryKind kind, std::string_view name,
                  std::string_view directory, const LocalDateTime& time, std::int64_t size) {
    const auto clock = GetTimeDateStr(time.Hour, time.Minute, time.Second);
    record += kind == EntryKind::Directory ? "D" : "F";
    record += LineEnd;
    AppendLine(record, name);
    AppendLine(record, directory);
    record += FormatDate(time.Day, time.Month, time.Year);
    record += LineEnd;
    record += clock[0];
    record += ':';
    record += clock[1];
    record += ':';
    record += clock[2];
    record += LineEnd;
    record += std::to_string(size);
    record += LineEnd;
    record += RecordTerminator;
    record += LineEnd;
}

CatalogRecordParser::CatalogRecordParser(RecordConsumer consumer)
    : consumer_(std::move(consumer)) {}

void CatalogRecordParser::Feed(const char* data, std::size_t count) {
    pending_.append(data, count);
    while (scanned_ < pending_.size()) {
        const void* found =
            std::memchr(pending_.data() + scanned_, '\n', pending_.size() - scanned_);
        if (!found) {
            scanned_ = pending_.size();
            break;
        }
        const auto end =
            static_cast<std::size_t>(static_cast<const char*>(found) - pending_.data());
        AddLine(lineStart_, end);
        lineStart_ = scanned_ = end + 1;
        if (completeLines_ == 0)
            recordStart_ = lineStart_;
    }
    DropFinishedRecords();
}

void CatalogRecordParser::Finish() {
    if (lineStart_ < pending_.size())
        AddLine(lineStart_, pending_.size());
    if (completeLines_ > 0)
        HandOver();
    pending_.clear();
    recordStart_ = lineStart_ = scanned_ = 0;
}

void CatalogRecordParser::AddLine(std::size_t start, std::size_t end) {
    if (end > start && pending_[end - 1] == '\r')
        --end;
    lineStarts_[completeLines_] = start;
    lineEnds_[completeLines_] = end;
    if (++completeLines_ == RecordLineCount)
        HandOver();
}

void CatalogRecordParser::HandOver() {
    CatalogRecordView record;
    for (std::size_t i = 0; i < completeLines_; ++i)
        record.Lines[i] =
            std::string_view(pending_).substr(lineStarts_[i], lineEnds_[i] - lineStarts_[i]);
    completeLines_ = 0;
    consumer_(record);
}

void CatalogRecordParser::DropFinishedRecords() {
    // One erase per piece, not per record, keeps feeding linear in the text.
    if (recordStart_ == 0)
        return;
    pending_.erase(0, recordStart_);
    for (std::size_t i = 0; i < completeLines_; ++i) {
        lineStarts_[i] -= recordStart_;
        lineEnds_[i] -= recordStart_;
    }
    lineStart_ -= recordStart_;
    scanned_ -= recordStart_;
    recordStart_ = 0;
}

} // namespace quillory
