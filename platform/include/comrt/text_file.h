// Reading and replacing the small text files the platform and its hosts keep (the
// registry, a property bag), safely whatever lies at the path.
//
//   - Reading never waits: a FIFO or a device at the path is refused at once (an open for
//     reading of a FIFO would wait for a writer, and a device such as /dev/zero never
//     ends), and so is a file above the size the caller accepts.
//   - Replacing is atomic: the text goes to a temporary file in the same folder, is
//     flushed to disk and renamed over the old file, so a reader sees the old file or the
//     new one, never a part. The new file keeps the old one's permission bits (0644 for a
//     new file), and a symbolic link at the path stays a link: the file it leads to is
//     replaced. Only a regular file (or none) is replaced.
//
// These are C++ helpers; they never throw except std::bad_alloc.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace comrt {

enum class file_read {
    done,         // out holds the whole file
    missing,      // there is no file at the path
    not_regular,  // a folder, FIFO, device or socket
    too_large,    // larger than max_bytes
    failed,       // it could not be opened or read (permissions, I/O error)
};

// Reads the regular file at path, of at most max_bytes bytes, into out (cleared first).
file_read read_text_file(const std::string& path, std::size_t max_bytes, std::string& out);

// Replaces the file at path (see above) by text. False when the folder cannot take the
// temporary file, a write or the rename fails, or something other than a regular file
// lies at the path; the old file is then unchanged and no temporary file is left.
bool replace_text_file(const std::string& path, std::string_view text);

}  // namespace comrt
