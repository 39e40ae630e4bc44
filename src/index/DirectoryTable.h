#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillory {

// The directories of a part being made. A directory text continues its
// parent, the text up to its last "\" but the final one, with a suffix:
// catalogs hold a tree, so most directories are their parent and one name.
// Each directory gets a number when first met, its parents before it, and
// is kept as its parent's number and its suffix, never as its whole text,
// so that a deep directory costs room and time in step with its length.
class DirectoryTable {
public:
    // The number of `directory`, numbering it and the directories it
    // continues when they are new. Raises PartRefused for a directory of
    // more than MaxDirectoryDepth levels.
    std::uint32_t Number(std::string_view directory);

    // The room the table takes, in bytes (about).
    std::size_t MemoryBytes() const { return memory_; }

    // The part's directory section: the suffixes once each (how many, where
    // each ends, their bytes), then for each directory its parent's number
    // plus one (0 for none) and its suffix's number.
    std::string Section() const;

private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    using TextNumbers = std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>>;

    std::uint32_t Walk(std::string_view directory);
    std::uint32_t Child(std::uint32_t parent, std::string_view suffix);
    std::uint32_t Suffix(std::string_view suffix);

    TextNumbers named_;    // the directories the records name, by their whole text
    TextNumbers suffixes_; // each suffix's number
    std::vector<const std::string*> suffixTexts_;
    // Each directory by its parent's number plus one and its suffix's number.
    std::unordered_map<std::uint64_t, std::uint32_t> children_;
    std::vector<std::uint32_t> parents_, suffixOf_;
    std::string last_;
    std::uint32_t lastNumber_ = 0;
    std::size_t memory_ = 0;
};

} // namespace quillory
