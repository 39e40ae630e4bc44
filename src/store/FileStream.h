#pragma once

#include "store/ByteStream.h"

#include <string>

namespace quillory {

// A regular file opened for reading. Raises Error("Cannot open file PATH")
// when it cannot be opened or is something else (a pipe, a directory, a
// device), which is never opened in a way that can block.
class FileInput final : public ByteInput {
public:
    explicit FileInput(const std::string& path);
    ~FileInput() override;
    FileInput(const FileInput&) = delete;
    FileInput& operator=(const FileInput&) = delete;

    std::int64_t Size() override;
    void Rewind() override;
    std::size_t Read(char* buffer, std::size_t count) override;
    void Close();

private:
    std::string path_;
    int fd_;
    std::int64_t size_ = 0; // when it was opened
    std::int64_t read_ = 0;
    bool ended_ = false;
};

// A file created for writing, replacing any file of that name. Raises
// Error("Cannot create file PATH") when it cannot be created.
class FileOutput final : public ByteOutput {
public:
    explicit FileOutput(const std::string& path);
    ~FileOutput() override;
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    // Returns how many bytes the file took; fewer when the disk is full or the
    // write fails.
    std::size_t Write(const char* data, std::size_t count) override;
    // Closes the file; false when the system reports that data was lost.
    bool Close();

private:
    int fd_;
};

} // namespace quillory
