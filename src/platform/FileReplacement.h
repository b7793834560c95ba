#pragma once
// Writing a file so that readers and later runs see the old file or the new one, never a part of
// either, whatever fails: the bytes go to a fresh file in the same folder, which is renamed over
// the target only when everything was written.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tesmaro {

// Where a producer writes its bytes; false when they could not all be written.
using FileSink = std::function<bool(const std::uint8_t* bytes, std::size_t count)>;

// Gives produce a sink into a fresh file in path's folder and puts that file in place of path
// when produce returned true and every byte reached the file; otherwise the fresh file is removed
// and false returned (an exception from produce is passed on, the fresh file removed). No fsync:
// the data reaches the kernel, not necessarily the disk.
bool replaceFile(const QString& path, const std::function<bool(const FileSink&)>& produce);

} // namespace tesmaro
