#include "platform/FileInfo.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace fileinfo {

namespace {

bool Stat(const QString& path, struct stat& st)
{
    if (path.isEmpty())
        return false;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

int32_t FileSignature(const QString& path)
{
    struct stat st;
    if (!Stat(path, st) || S_ISDIR(st.st_mode))
        return -1;
    // Seconds and nanoseconds folded into 32 bits; the multiplier spreads the
    // nanoseconds over all bits so two writes within one second still differ.
    uint64_t sec = uint64_t(st.st_mtim.tv_sec);
    uint64_t nsec = uint64_t(st.st_mtim.tv_nsec);
    uint64_t v = sec * 0x9E3779B97F4A7C15ULL ^ (nsec * 0xC2B2AE3D27D4EB4FULL);
    uint32_t sig = uint32_t(v ^ (v >> 32));
    if (sig == 0xFFFFFFFFu) // -1 is reserved for "missing"
        sig = 0xFFFFFFFEu;
    return int32_t(sig);
}

FileId IdentityOf(const QString& path)
{
    FileId id;
    struct stat st;
    if (Stat(path, st)) {
        id.device = uint64_t(st.st_dev);
        id.inode = uint64_t(st.st_ino);
        id.valid = true;
    }
    return id;
}

bool SameFile(const QString& a, const QString& b)
{
    FileId ia = IdentityOf(a);
    if (!ia.valid)
        return false;
    FileId ib = IdentityOf(b);
    return ib.valid && ia.device == ib.device && ia.inode == ib.inode;
}

bool Exists(const QString& path)
{
    struct stat st;
    return Stat(path, st);
}

bool IsDirectory(const QString& path)
{
    struct stat st;
    return Stat(path, st) && S_ISDIR(st.st_mode);
}

bool IsReadOnly(const QString& path)
{
    struct stat st;
    if (!Stat(path, st))
        return false;
    return ::access(QFile::encodeName(path).constData(), W_OK) != 0;
}

bool ClearReadOnly(const QString& path)
{
    struct stat st;
    if (!Stat(path, st))
        return false;
    return ::chmod(QFile::encodeName(path).constData(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

} // namespace fileinfo
