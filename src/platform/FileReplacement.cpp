#include "platform/FileReplacement.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace tesmaro {
namespace {

bool writeAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

// Puts the finished file `temp` in place of `target` in one step by a plain rename: atomic for
// readers, and on ext4 it also has the new data written before the rename commits, so even a
// power cut leaves the old picture or the new one.
//
// The replaced file is given back to the file system (its pages freed, its blocks released) as its
// last descriptor closes; holding one across the rename moves that cost off the command to a
// thread of its own.
bool putInPlace(const QByteArray& temp, const QByteArray& target) {
    struct stat old {};
    const int replaced = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)
                             ? ::open(target.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK)
                             : -1;
    const bool moved = ::rename(temp.constData(), target.constData()) == 0;
    if (replaced < 0)
        return moved;
    try {
        if (moved) {
            std::thread([replaced] { ::close(replaced); }).detach();
            return true;
        }
    } catch (const std::system_error&) {
        // no thread to spare: release it here
    }
    ::close(replaced);
    return moved;
}

} // namespace

bool replaceFile(const QString& path, const std::function<bool(const FileSink&)>& produce) {
    static std::atomic<unsigned> serial{0};
    const QString folder = QFileInfo(path).absolutePath();
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = QFile::encodeName(
            QStringLiteral("%1/.tesmaro-%2-%3.tmp").arg(folder).arg(::getpid()).arg(serial.fetch_add(1)));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool written = false;
    try {
        written = produce(
            [fd](const std::uint8_t* bytes, std::size_t count) { return writeAll(fd, bytes, count); });
    } catch (...) {
        ::close(fd);
        ::unlink(temp.constData());
        throw;
    }
    written = ::close(fd) == 0 && written;
    if (written && putInPlace(temp, QFile::encodeName(path)))
        return true;
    ::unlink(temp.constData());
    return false;
}

} // namespace tesmaro
