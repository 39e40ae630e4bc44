#pragma once

#include "store/ByteStream.h"

#include <string>

namespace quillory {

// A file being made in a directory under a hidden name of its own
// (".quillory-" and twelve random characters): no listing shows it, two writers never
// share one, and the name stays short whatever the name the file will take.
// It is put in place by Commit, and removed when it is destroyed uncommitted.
class TemporaryFile final : public ByteOutput {
public:
    // The hidden names' common beginning, by which a writer finds the
    // leftovers of one that was killed.
    static constexpr char Prefix[] = ".quillory-";

    // Creates the file in `directory`. `target` is the path the file is meant
    // for: messages name it rather than the hidden name. Raises
    // Error("Cannot create file TARGET").
    TemporaryFile(const std::string& directory, std::string target);
    ~TemporaryFile() override;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return path_; }

    // Writes all of `data` or raises Error("Cannot write file TARGET").
    std::size_t Write(const char* data, std::size_t count) override;
    // Flushes the file to stable storage and closes it; raises the write error.
    void Finish();
    // Finish, then renames the file over the target (replacing it) and
    // flushes the directory, so that the target is the whole new file even
    // after a power cut. Raises Error("Cannot create file TARGET").
    void Commit();
    // Finish, and from now on the caller owns the file at Path(): it is no
    // longer removed when this object goes.
    std::string Keep();

private:
    std::string directory_;
    std::string target_;
    std::string path_;
    int fd_ = -1;
    bool owned_ = true;
};

} // namespace quillory
