#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>

namespace quillory {

// A whole file mapped for reading. A mapped file that shrinks under the
// mapping, or whose disk fails, would stop the program at the first byte
// read past its end; here the pages that cannot be read are read as zeros
// instead, and the file says it is damaged, so that whatever checks its
// bytes finds them wrong and the search reads the catalog instead.
class MappedFile {
public:
    // Maps the regular file open as `fd` (which may be closed afterwards);
    // nothing mapped when it is empty or cannot be mapped.
    explicit MappedFile(int fd, std::size_t size);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Mapped() const { return data_ != nullptr; }
    std::string_view Bytes() const { return {static_cast<const char*>(data_), size_}; }
    // Whether a page could not be read and was read as zeros.
    bool Damaged() const;

    // Tells that about `bytes` more of the file were read and are not needed
    // again soon. Every ReleaseBytes of them, the pages read so far leave
    // the process (they stay in the system's cache), so that a search over a
    // large index keeps little memory of its own.
    void Read(std::size_t bytes) const;
    static constexpr std::size_t ReleaseBytes = std::size_t{32} << 20;

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    int slot_ = -1; // in the table the fault handler looks at
    mutable std::atomic<std::size_t> read_ = 0;
};

} // namespace quillory
