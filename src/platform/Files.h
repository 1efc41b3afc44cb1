#pragma once
// Opening another program's file for reading without being held up by it:
// the open never waits (a named pipe in the file's place has no writer to
// wait for) and only a regular file is taken, so that a pipe or a device put
// where a log or a document should be can neither block a read nor feed it
// without end.

#include <string>

namespace tw::platform {

// Opens the file at `path` (a path of this machine, UTF-8) for reading.
// Returns 0 and a descriptor of the C library in `fd` (blocking reads, closed
// by the caller); otherwise `fd` is -1 and the result kNotRegularFile for a
// file that is there but is not a regular one (a folder, a pipe, a device),
// else the system's error code of the open.
inline constexpr int kNotRegularFile = -1;
int OpenRegularFileForReading(const std::string& path, int& fd);

}  // namespace tw::platform
