#pragma once

#include <QByteArray>
#include <QString>

// Every file the program writes goes through here: a save either replaces the file whole or
// leaves it as it was, and reports the system's error number when it did not happen.
namespace veld::config {

struct FileWrite {
    enum Status {
        Written,
        NotAFile,  // the name exists as a FIFO, a device, a folder...: left alone
        Failed,    // created, written, flushed or renamed in vain; `error` says why
    };
    Status status = Written;
    int error = 0;  // the system's error number when Failed
    explicit operator bool() const { return status == Written; }
};

// Writes `bytes` to a temporary file beside `path` and renames it over `path` only once every
// byte has been written and flushed to the disk; a full disk leaves the earlier file whole and
// no temporary file behind. A link is followed to the file it names.
FileWrite WriteFileAtomically(const QString& path, const QByteArray& bytes);

// False for a name that exists but, links followed, is no regular file. Asks the file system
// about the name only, so a FIFO never blocks.
bool IsMissingOrRegularFile(const QString& path);

// The system's number for the last failed file operation (errno, or GetLastError on Windows),
// and clearing it before one.
int LastSystemError();
void ClearSystemError();
// "Chyba c. N", as a failed file operation is reported to the user.
QString FileErrorText(int error);

}  // namespace veld::config
