#include "store/ConversionJournal.h"

#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "store/CatalogName.h"
#include "store/Database.h"
#include "store/FileStream.h"
#include "store/TemporaryFile.h"

#include <algorithm>
#include <sys/stat.h>

namespace quillory {

namespace {

// The journal: a first line naming it and its direction, then the three names
// of each step, every field ended by a NUL byte (names may hold anything
// else), then "end", so a journal is read only when it is whole.
constexpr char Heading[] = "quillory conversion 1";
constexpr char Ending[] = "end";

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

void Check(bool done, const char* message, const std::string& path) {
    if (!done)
        throw Error(FormatMessage(message, path));
}

void AddField(std::string& text, const std::string& field) {
    text += field;
    text += '\0';
}

} // namespace

void WriteJournal(const std::string& directory, const ConversionPlan& plan) {
    std::string text;
    AddField(text, Heading);
    AddField(text, plan.Compress ? "compress" : "decompress");
    for (const ConversionStep& step : plan.Steps) {
        AddField(text, step.Temporary);
        AddField(text, step.Destination);
        AddField(text, step.Source);
    }
    AddField(text, Ending);
    TemporaryFile journal(directory, JoinPath(directory, JournalName));
    journal.Write(text.data(), text.size());
    journal.Commit();
}

std::optional<ConversionPlan> ReadJournal(const std::string& directory) {
    std::string text;
    try {
        FileInput file(JoinPath(directory, JournalName));
        char buffer[16 * 1024];
        while (const std::size_t got = file.Read(buffer, sizeof buffer))
            text.append(buffer, got);
    } catch (const Error&) {
        return std::nullopt;
    }
    std::vector<std::string> fields;
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
         start = end + 1)
        fields.push_back(text.substr(start, end - start));
    if (fields.size() < 3 || fields.front() != Heading || fields.back() != Ending ||
        (fields.size() - 3) % 3 != 0 || (fields[1] != "compress" && fields[1] != "decompress"))
        return std::nullopt;
    ConversionPlan plan;
    plan.Compress = fields[1] == "compress";
    for (std::size_t i = 2; i + 3 < fields.size(); i += 3)
        plan.Steps.push_back({fields[i], fields[i + 1], fields[i + 2]});
    return plan;
}

void ApplyConversion(const std::string& directory, const ConversionPlan& plan) {
    for (const ConversionStep& step : plan.Steps) {
        const std::string temporary = JoinPath(directory, step.Temporary);
        if (Exists(temporary))
            Check(RenameReplacing(temporary, JoinPath(directory, step.Destination)),
                  msg::CannotCreateFile, JoinPath(directory, step.Destination));
    }
    WriteMarker(directory, plan.Compress);
    const std::string oldMarker = FindEntryIgnoringCase(directory, MarkerFileName(!plan.Compress));
    if (!oldMarker.empty())
        Check(RemoveFile(oldMarker), msg::CannotDeleteFile, oldMarker);
    // An old catalog goes only once its new form is in place.
    for (const ConversionStep& step : plan.Steps) {
        const std::string source = JoinPath(directory, step.Source);
        if (Exists(JoinPath(directory, step.Destination)) && Exists(source))
            Check(RemoveFile(source), msg::CannotDeleteFile, source);
    }
    Check(SyncDirectory(directory), msg::CannotWriteFile, directory);
}

bool ConversionCommitted(const std::string& directory, const ConversionPlan& plan) {
    return MarkedCompressed(directory) == plan.Compress;
}

void CompleteInterruptedConversion(const std::string& directory) {
    const std::optional<ConversionPlan> plan = ReadJournal(directory);
    if (!plan)
        return;
    // A catalog whose new form is neither written nor in place means the
    // conversion was taken back before anything was put in place: there is
    // nothing to complete, and the old catalogs stand.
    const bool whole = std::all_of(plan->Steps.begin(), plan->Steps.end(), [&](const auto& step) {
        return Exists(JoinPath(directory, step.Temporary)) ||
               Exists(JoinPath(directory, step.Destination));
    });
    if (whole)
        ApplyConversion(directory, *plan);
    const std::string journal = JoinPath(directory, JournalName);
    Check(RemoveFile(journal) && SyncDirectory(directory), msg::CannotDeleteFile, journal);
}

} // namespace quillory
