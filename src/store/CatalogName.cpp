#include "store/CatalogName.h"

#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "store/DatabaseLayout.h"

#include <algorithm>
#include <climits>

namespace quillory {

namespace {

std::string_view Extension(bool compressed) {
    return compressed ? CompressedExtension : PlainExtension;
}

} // namespace

std::string CatalogFileName(std::string_view diskName, std::string_view diskNumber,
                            bool compressed) {
    std::string name(diskName);
    name += '!';
    name += diskNumber;
    name += Extension(compressed);
    return name;
}

CatalogName CutCatalogFileName(std::string_view fileName, bool compressed) {
    const std::size_t bang = fileName.find('!');
    const std::size_t numberStart = bang == std::string_view::npos ? 0 : bang + 1;
    const std::size_t extension = Extension(compressed).size();
    CatalogName cut;
    if (bang != std::string_view::npos)
        cut.DiskName = fileName.substr(0, bang);
    if (fileName.size() >= numberStart + extension)
        cut.DiskNumber = fileName.substr(numberStart, fileName.size() - numberStart - extension);
    return cut;
}

std::string DiskNameOrDefault(std::string typed) {
    return typed.empty() ? std::string(DefaultDiskName) : typed;
}

void CheckDiskNumber(const std::string& number) {
    if (!TryStrToInt(number))
        throw Error(msg::DiskNumberNotInteger);
}

void CheckDiskName(const std::string& name) {
    if (name.find('!') != std::string::npos)
        throw Error(msg::DiskNameWithBang);
    const bool bad = std::any_of(name.begin(), name.end(), [](char c) {
        return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (bad)
        throw Error(msg::DiskNameWithSeparator);
    if (!name.empty() && name.front() == '.')
        throw Error(msg::DiskNameHidden);
}

void CheckCatalogName(const CatalogName& catalog) {
    CheckDiskNumber(catalog.DiskNumber);
    CheckDiskName(catalog.DiskName);
    if (CatalogFileName(catalog, true).size() > NAME_MAX)
        throw Error(msg::DiskNameTooLong);
}

std::string CatalogPattern(bool compressed) {
    return "*" + std::string(Extension(compressed));
}

bool IsCatalogFileName(std::string_view fileName, bool compressed) {
    const std::string_view extension = Extension(compressed);
    return !fileName.empty() && fileName.front() != '.' && fileName.size() >= extension.size() &&
           fileName.substr(fileName.size() - extension.size()) == extension;
}

std::vector<std::string> ListCatalogFiles(const std::string& directory, bool compressed) {
    auto entries = VisibleFiles(directory);
    if (!entries)
        throw Error(FormatMessage(msg::CannotOpenFile, directory));
    std::erase_if(*entries, [compressed](const std::string& name) {
        return !IsCatalogFileName(name, compressed);
    });
    return std::move(*entries);
}

std::string MarkerFileName(bool compressed) {
    return compressed ? CompressedMarkerName : PlainMarkerName;
}

std::string MarkerLine() {
    return "Quillory v" QUILLORY_VERSION "\r\n";
}

} // namespace quillory
