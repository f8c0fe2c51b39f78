#include "link/port_lock.h"

#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <QByteArray>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <vector>
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif
#endif

namespace veld::link {

QString DevicePath(const QString& name) {
#ifdef Q_OS_UNIX
    const QString resolved = QFileInfo(name).canonicalFilePath();
    return resolved.isEmpty() ? name : resolved;
#else
    return name;
#endif
}

QString HeldText(const PortHolder& holder) {
    QStringList who;
    if (!holder.program.isEmpty())
        who << holder.program;
    if (holder.pid > 0)
        who << QStringLiteral("PID %1").arg(holder.pid);
    if (who.isEmpty())
        return QStringLiteral("Port používá jiný program.");
    return QStringLiteral("Port používá jiný program (%1).").arg(who.join(QStringLiteral(", ")));
}

QString AccessDeniedText(const QString& device, const QString& group) {
    QString text = QStringLiteral("Přístup k portu %1 byl odepřen.").arg(device);
    if (group.isEmpty())
        return text;
#ifdef Q_OS_LINUX
    return text + QStringLiteral(
                      " Přidejte uživatele do skupiny %1 (sudo usermod -aG %1 $USER) a "
                      "přihlaste se znovu.")
                      .arg(group);
#else
    return text + QStringLiteral(" Přístup mají členové skupiny %1.").arg(group);
#endif
}

#ifdef Q_OS_UNIX

QString DeviceGroup(const QString& device) {
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0 ||
        (st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP) || st.st_gid == 0)
        return {};
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr)
        return {};
    return QString::fromLocal8Bit(found->gr_name);
}

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString ProgramName(long long pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

// Whether the process has the file open. A living process whose descriptors cannot be seen
// (no /proc, another user's process) is taken to have it.
bool HasOpen(long long pid, const struct stat& file) {
    const QByteArray fdDir = QFile::encodeName(QStringLiteral("/proc/%1/fd").arg(pid));
    DIR* dir = ::opendir(fdDir.constData());
    if (dir == nullptr)
        return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        const QByteArray fd = fdDir + '/' + entry->d_name;
        if (entry->d_name[0] != '.' && ::stat(fd.constData(), &st) == 0 && SameFile(st, file)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// QLockFile keeps a lock on its file's descriptor while it holds the file.
bool LockFileHeld(const QString& path) {
    const Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    return fd.get() >= 0 && ::flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

}  // namespace

bool LockOpenDevice(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR)
            return errno != EWOULDBLOCK;
    }
    return true;
}

DeviceLock::Outcome DeviceLock::acquire(const QString& device) {
    release();
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A holder that made the terminal exclusive refuses the open itself (unless we are root).
        if (errno == EBUSY)
            return Outcome::Held;
        return errno == EACCES || errno == EPERM ? Outcome::Denied : Outcome::Failed;
    }
    if (!LockOpenDevice(fd)) {
        ::close(fd);
        return Outcome::Held;
    }
    // Kept open even where the system cannot lock it: closing the last descriptor of a serial
    // port would drop its modem lines just before the port is opened.
    fd_ = fd;
    return Outcome::Locked;
}

void DeviceLock::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

PortHolder LockHolder(const QString& device) {
    PortHolder holder;
#ifdef Q_OS_LINUX
    struct stat st {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (::stat(QFile::encodeName(device).constData(), &st) != 0 ||
        !locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return holder;
    // "1: FLOCK  ADVISORY  WRITE 1234 00:19:4 0 EOF": the holder's id (0 when it lives in a
    // namespace this process cannot see), then the file as device major:minor in hex and inode.
    // A lock still waiting has "->" before its type.
    const QString file = QStringLiteral("%1:%2:%3")
                             .arg(major(st.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(minor(st.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(static_cast<qulonglong>(st.st_ino));
    // Read whole: a file of /proc reports no size, so a QFile is at its end from the start.
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QStringList f = QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
        if (f.size() >= 6 && f[1] == QLatin1String("FLOCK") && f[3] == QLatin1String("WRITE") &&
            f[5] == file) {
            holder.held = true;
            holder.pid = f[4].toLongLong();
            if (holder.pid > 0)
                holder.program = ProgramName(holder.pid);
            break;
        }
    }
#else
    Q_UNUSED(device);
#endif
    return holder;
}

QString SerialLockFile(const QString& device) {
    // As QSerialPort names it: the path without "/dev/", each '/' as '_', after "LCK..", in the
    // first of these directories that is readable and holds the file already or is writable.
    const QStringList dirs{QStringLiteral("/var/lock"),
                           QStringLiteral("/etc/locks"),
                           QStringLiteral("/var/spool/locks"),
                           QStringLiteral("/var/spool/uucp"),
                           QStringLiteral("/tmp"),
                           QStringLiteral("/var/tmp"),
                           QStringLiteral("/var/lock/lockdev"),
                           QStringLiteral("/run/lock"),
                           QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(u'/', u'_').prepend(QLatin1String("/LCK.."));
    for (const QString& dir : dirs) {
        const QFileInfo info(dir);
        if (info.isReadable() && (QFile::exists(dir + name) || info.isWritable()))
            return dir + name;
    }
    return {};
}

RefusedOpen ExamineRefusedOpen(const QString& device) {
    RefusedOpen result;
    const QByteArray path = QFile::encodeName(device);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return result;
    {
        const Descriptor probe(
            ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        // A holder that made the terminal exclusive refuses the open itself (unless we are root).
        const bool busy = probe.get() < 0 && errno == EBUSY;
        if (busy || (probe.get() >= 0 && !LockOpenDevice(probe.get()))) {
            result.holder = LockHolder(device);
            result.holder.held = true;
            return result;
        }
        if (probe.get() < 0) {
            // No access, which another program has nothing to do with.
            result.accessDenied = errno == EACCES || errno == EPERM;
            return result;
        }
    }
    const QString lockPath = SerialLockFile(device);
    if (lockPath.isEmpty())
        return result;
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.staleLockRemoved = !file.exists();  // released meanwhile
        return result;
    }
    const long long owner = file.readLine().trimmed().toLongLong();
    file.close();
    // The recorded process holds the device open (a program that locks it by the lock file
    // alone: an older version, a terminal program), or holds the file and is about to.
    struct stat lock {};
    const bool fileHeld = LockFileHeld(lockPath);
    if (owner > 0 && (HasOpen(owner, st) ||
                      (fileHeld && ::stat(QFile::encodeName(lockPath).constData(), &lock) == 0 &&
                       HasOpen(owner, lock)))) {
        result.holder = {true, owner, ProgramName(owner)};
        return result;
    }
    if (fileHeld) {
        result.holder.held = true;
        return result;
    }
    // Left by a process that is gone, whose id another living run of this program may have
    // taken, or empty. QLockFile removes it only while nobody holds its lock.
    QLockFile stale(lockPath);
    result.staleLockRemoved = stale.removeStaleLockFile() || !QFileInfo::exists(lockPath);
    return result;
}

#endif  // Q_OS_UNIX

}  // namespace veld::link
