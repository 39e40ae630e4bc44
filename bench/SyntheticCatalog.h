#pragma once

#include <cstdint>
#include <string>

namespace quillory::bench {

// Writes a catalog of made-up but plausible records (photo, document and
// program names in nested directories, dates from 1995 to 2025, sizes up to a
// few GiB) until the file holds at least `bytes` bytes. One name in a
// thousand starts with "Needle", so a search for it is selective. The same seed gives the
// same file.
void WriteSyntheticCatalog(const std::string& path, std::int64_t bytes, std::uint64_t seed);

// The same, with exactly `records` records.
void WriteSyntheticRecords(const std::string& path, std::int64_t records, std::uint64_t seed);

// Makes the databases "Plain" and "Zip" under `root` through the command line
// `cli`, each of `catalogs` synthetic catalogs of `records` records, the
// same ones, plain in the first and compressed in the second.
void WriteSyntheticDatabases(const std::string& cli, const std::string& root, int catalogs,
                             int records);

} // namespace quillory::bench
