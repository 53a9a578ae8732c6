// A stream over a file on disk. Paths are UTF-8 (on Windows opened through the wide functions,
// elsewhere passed on as they are).
#pragma once

#include "base/stream.h"

#include <string>
#include <vector>

namespace ko {

enum class TFileMode {
    OpenRead,        // read only; others may read, write and delete (share-deny-none)
    OpenReadLocked,  // read only; on Windows others may read but not write, delete or rename it
    OpenReadWrite,   // an existing file, read and write
    Create,          // create or truncate, read and write
    Append,          // create when missing, write only, every write at the end; others may read
    CreateNew,       // create a file that must not exist yet, read and write; others may delete it
    CreateRenamable, // as Create; on Windows the handle may also rename or delete the open file
};

class TFileStream : public TStream {
public:
    // Throws EFOpenError naming the file when it cannot be opened or created.
    TFileStream(const std::string& path, TFileMode mode);
    // Takes over Handle (a HANDLE on Windows, a descriptor elsewhere), already open on Path, and
    // closes it when done; Readable says whether reads should be read ahead.
    TFileStream(intptr_t handle, const std::string& path, bool readable);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    const std::string& FileName() const { return FFileName; }
    // The platform handle (a HANDLE on Windows, a descriptor elsewhere), for setting file times.
    intptr_t Handle() const { return FHandle; }

private:
    // Reads at Offset, wherever the system's file pointer stands (Windows).
    int64_t ReadAt(void* buffer, int64_t count, int64_t offset);

    std::string FFileName;
    intptr_t FHandle;
    // Where the next read or write happens, kept here so that asking for it or seeking to it
    // costs no system call; -1 when unknown (a file opened for appending, or after a failure).
    [[maybe_unused]] int64_t FPosition = -1; // used on Windows
    // A file opened only for reading is read ahead in blocks on Windows: the loader reads a
    // package's records a few bytes at a time, and under Wine every read is a system call.
    struct TReadAhead {
        bool Enabled = false;
        int64_t Start = 0; // the file position of Data's first byte
        std::vector<uint8_t> Data;
    } FReadAhead;
};

} // namespace ko
