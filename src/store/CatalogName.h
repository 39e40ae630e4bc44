#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A catalog is named after its disk: the disk name, "!", the disk number as the
// user typed it (007 stays 007), and ".txt" in a plain database or ".txt.bz2"
// in a compressed one, as in "Backup March!12.txt".
inline constexpr char PlainExtension[] = ".txt";
inline constexpr char CompressedExtension[] = ".txt.bz2";
inline constexpr char CompressedSuffix[] = ".bz2"; // what compressing adds to a plain name

// One catalog as the lists show it and the commands name it: its disk's name
// and number, the number as typed (007 stays 007).
struct CatalogName {
    std::string DiskName;
    std::string DiskNumber;
};

std::string CatalogFileName(std::string_view diskName, std::string_view diskNumber,
                            bool compressed);
inline std::string CatalogFileName(const CatalogName& disk, bool compressed) {
    return CatalogFileName(disk.DiskName, disk.DiskNumber, compressed);
}

// The two parts of a catalog file name: the text before the first "!", and the
// text after it less the extension, whose length (4 or 8) is taken from the
// database's form, not from the name. A name without "!" gives an empty disk
// name and the text from its first character.
CatalogName CutCatalogFileName(std::string_view fileName, bool compressed);

// The name a scanned disk gets: the name typed, or "Default" when none was.
inline constexpr char DefaultDiskName[] = "Default";
std::string DiskNameOrDefault(std::string typed);

// Refuse a disk number that is not an integer, and a disk name with "!" (it
// would end the name part of the file name), with "/", "\" or a control
// character (it would write outside the database) or beginning with "." (it
// would write a hidden catalog no list shows), each with its own Error.
void CheckDiskNumber(const std::string& number);
void CheckDiskName(const std::string& name);
// The one rule for every catalog a command is given, old names as new ones:
// the two checks above, and a file name that fits the file system's 255
// bytes in either form of the database.
void CheckCatalogName(const CatalogName& catalog);

// "*.txt.bz2" when compressed, else "*.txt".
std::string CatalogPattern(bool compressed);
// Whether a directory entry is a catalog of a database of that form: a visible
// name (not beginning with ".") ending in the form's extension.
bool IsCatalogFileName(std::string_view fileName, bool compressed);

// The catalogs of `directory`, in the order the file system lists them: the
// regular files with a catalog's name. Anything else so named (a pipe, a
// directory) is no catalog, as opening or reading it could block or fail
// every search. Raises Error when the directory cannot be read.
std::vector<std::string> ListCatalogFiles(const std::string& directory, bool compressed);

// "VLR_ZIP" when compressed, else "VLR_STD".
std::string MarkerFileName(bool compressed);
// The one line a marker file holds: "Quillory v1.0" and CR LF.
std::string MarkerLine();

} // namespace quillory
