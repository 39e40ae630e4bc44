#pragma once

namespace quillory {

// A database is a directory under the database root holding one marker file:
// VLR_STD for a plain database, VLR_ZIP for a compressed one (VLR_ZIP counts
// where both are found). Names are matched without regard to case.
inline constexpr char PlainMarkerName[] = "VLR_STD";
inline constexpr char CompressedMarkerName[] = "VLR_ZIP";

// The database that exists from installation.
inline constexpr char MainDatabaseName[] = "Main Database";

} // namespace quillory
