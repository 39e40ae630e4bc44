#include "SyntheticCatalog.h"

#include "BenchSupport.h"
#include "store/CatalogRecord.h"
#include "store/FileStream.h"

#include <array>
#include <stdexcept>

namespace quillory::bench {

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    int Below(int limit) { return static_cast<int>(Next() % static_cast<std::uint64_t>(limit)); }

private:
    std::uint64_t state_;
};

constexpr std::array<const char*, 16> Words = {
    "Holiday", "Backup",  "Photos",  "Music",   "Projects", "Invoices", "Garden", "Family",
    "Work",    "Drivers", "Letters", "Archive", "Scans",    "Recipes",  "Travel", "Games"};
constexpr std::array<const char*, 10> Extensions = {".jpg", ".doc", ".txt", ".mp3", ".pdf",
                                                    ".zip", ".exe", ".png", ".xls", ".htm"};

std::string Directory(Random& random) {
    std::string directory = "\\";
    for (int depth = random.Below(4); depth > 0; --depth) {
        directory += Words[static_cast<std::size_t>(random.Below(Words.size()))];
        directory += '\\';
    }
    return directory;
}

// One name in a thousand starts with "Needle", for selective searches.
std::string Name(Random& random) {
    std::string name = random.Below(1000) == 0
                           ? "Needle"
                           : Words[static_cast<std::size_t>(random.Below(Words.size()))];
    name += ' ';
    name += std::to_string(random.Below(100000));
    name += Extensions[static_cast<std::size_t>(random.Below(Extensions.size()))];
    return name;
}

// Writes records until `enough(bytes written, records written)` says so.
template <typename Enough>
void Generate(const std::string& path, std::uint64_t seed, Enough enough) {
    Random random(seed);
    FileOutput output(path);
    std::string chunk;
    std::int64_t written = 0;
    std::int64_t records = 0;
    auto flush = [&] {
        if (output.Write(chunk.data(), chunk.size()) != chunk.size())
            throw std::runtime_error("cannot write " + path);
        written += static_cast<std::int64_t>(chunk.size());
        chunk.clear();
    };
    while (!enough(written + static_cast<std::int64_t>(chunk.size()), records)) {
        LocalDateTime time;
        time.Day = 1 + random.Below(28);
        time.Month = 1 + random.Below(12);
        time.Year = 1995 + random.Below(31);
        time.Hour = random.Below(24);
        time.Minute = random.Below(60);
        time.Second = 2 * random.Below(30);
        const bool directory = random.Below(10) == 0;
        const std::uint64_t largest = random.Below(50) == 0 ? 5000000000ULL : 3000000ULL;
        const auto size = directory ? 0 : static_cast<std::int64_t>(random.Next() % largest);
        chunk += FormatRecord(directory ? EntryKind::Directory : EntryKind::File, Name(random),
                              Directory(random), time, size);
        ++records;
        if (chunk.size() >= (1 << 20))
            flush();
    }
    flush();
    if (!output.Close())
        throw std::runtime_error("cannot write " + path);
}

} // namespace

void WriteSyntheticCatalog(const std::string& path, std::int64_t bytes, std::uint64_t seed) {
    Generate(path, seed, [bytes](std::int64_t written, std::int64_t) { return written >= bytes; });
}

void WriteSyntheticRecords(const std::string& path, std::int64_t records, std::uint64_t seed) {
    Generate(path, seed, [records](std::int64_t, std::int64_t made) { return made >= records; });
}

void WriteSyntheticDatabases(const std::string& cli, const std::string& root, int catalogs,
                             int records) {
    const std::string q = "'" + cli + "' --root '" + root + "' ";
    Shell(q + "create Plain && " + q + "create Zip");
    for (int i = 0; i < catalogs; ++i) {
        const std::string name = "Disk " + std::to_string(i) + "!" + std::to_string(i) + ".txt";
        WriteSyntheticRecords(root + "/Plain/" + name, records, static_cast<std::uint64_t>(i + 1));
    }
    Shell("cp '" + root + "/Plain/'*.txt '" + root + "/Zip/' && " + q + "compress Zip");
}

} // namespace quillory::bench
