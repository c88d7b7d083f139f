#pragma once
// File facts the document windows need: the signature used to notice changes
// made by other programs, same-file identity, and the read-only attribute.
#include <QString>
#include <cstdint>

namespace fileinfo {

// 32-bit value derived from the file's modification time (nanosecond
// resolution folded in); -1 when the file is missing or a folder.
int32_t FileSignature(const QString& path);

struct FileId { uint64_t device = 0; uint64_t inode = 0; bool valid = false; };
FileId IdentityOf(const QString& path);
// Same device and inode (symbolic links and other spellings of a path).
bool SameFile(const QString& a, const QString& b);

bool Exists(const QString& path);
bool IsDirectory(const QString& path);
// "Read-only" = not writable by the user.
bool IsReadOnly(const QString& path);
// Clearing the read-only attribute adds the owner's write permission.
bool ClearReadOnly(const QString& path);

} // namespace fileinfo
