#include "config/file_write.h"

#include "config/messages.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QtGlobal>
#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

namespace {

// The error of the call that just failed; some failures leave no number behind (a short write).
int ErrorOf(const QSaveFile& file) {
    if (const int code = LastSystemError(); code != 0)
        return code;
    return file.error() == QFileDevice::ResourceError ? ENOSPC : EIO;
}

}  // namespace

int LastSystemError() {
#ifdef Q_OS_WIN
    return static_cast<int>(GetLastError());
#else
    return errno;
#endif
}

void ClearSystemError() {
#ifdef Q_OS_WIN
    SetLastError(0);
#else
    errno = 0;
#endif
}

QString FileErrorText(int error) {
    return kMsgFileError.arg(error);
}

bool IsMissingOrRegularFile(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

FileWrite WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    if (!IsMissingOrRegularFile(path))
        return {FileWrite::NotAFile};
    QSaveFile file(path);
    const auto failed = [&file] {
        const FileWrite result{FileWrite::Failed, ErrorOf(file)};
        file.cancelWriting();
        return result;
    };
    ClearSystemError();
    if (!file.open(QIODevice::WriteOnly))
        return {FileWrite::Failed, ErrorOf(file)};
    // A full disk shows as a short write that Qt does not count as an error, or only when the
    // buffer is flushed; and QSaveFile::commit renames even after a failed flush of its own.
    ClearSystemError();
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return failed();
        written += n;
    }
    ClearSystemError();
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return failed();
#ifndef Q_OS_WIN
    // Some file systems report a full disk only here; commit() ignores what fsync says.
    ClearSystemError();
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS)
        return failed();
#endif
    ClearSystemError();
    if (!file.commit())
        return {FileWrite::Failed, ErrorOf(file)};
    return {};
}

}  // namespace veld::config
