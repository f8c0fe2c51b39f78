#pragma once

// One program at a time on a device. QSerialPort guards a port on Unix with a lock file named
// after the port's name, so another name of the same device (a symbolic link, "/dev//pts/3")
// passed it; and a lock file whose recorded process id belongs to a living process of the same
// name (a run killed in another process-id namespace, where ids repeat) counted as held for
// 30 s. So the port is opened under its resolved path and, while open, held by an exclusive
// advisory lock on its descriptor, which the system drops with the process. Windows opens COM
// ports exclusively itself: there the name stays as it is and nothing else is done.

#include <QString>

namespace veld::link {

// The device behind a port name: symbolic links and redundant slashes resolved. The name itself
// where it names no file (a missing device; COM3 on Windows).
QString DevicePath(const QString& name);

// Who holds a device, as far as can be seen.
struct PortHolder {
    bool held = false;
    long long pid = 0;  // 0: not known
    QString program;    // empty: not known
};

// The line shown below "It is not possible initialize comm": the port is in use by another
// program, named when known.
QString HeldText(const PortHolder& holder);

// The line shown below "It is not possible initialize comm" when the user may not open the
// device: the reason and, when known, the group whose members may (on Linux with the command
// that adds the user to it).
QString AccessDeniedText(const QString& device, const QString& group);

#ifdef Q_OS_UNIX
// The group that may read and write the device; empty when none does or it cannot be told.
QString DeviceGroup(const QString& device);
// Takes the exclusive advisory lock on an open device; false only when another open of it holds
// the lock (not when the system cannot lock the device at all).
bool LockOpenDevice(int fd);
// The holder of the device's advisory lock as the system's lock table lists it (Linux); held
// false when the table lists none or cannot be read. Slow on a busy system (reading the table
// waits for every processor), so asked only to name a holder already found.
PortHolder LockHolder(const QString& device);

// The device's exclusive advisory lock, held through a descriptor of its own from before the port
// is opened until after it is closed. Opening a terminal sets none of its line settings, so a
// device another program holds is left as it is.
class DeviceLock {
public:
    enum class Outcome {
        Locked,  // also where the system cannot lock the device at all
        Held,    // by another program, or by another open of this one
        Denied,  // the user may not open the device
        Failed,  // no such device, or it cannot be opened for another reason
    };
    DeviceLock() = default;
    ~DeviceLock() { release(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    Outcome acquire(const QString& device);
    void release();

private:
    int fd_ = -1;
};
// The lock file QSerialPort takes for a device opened under this path.
QString SerialLockFile(const QString& device);

// After QSerialPort failed to open an existing device: who holds it, or whether its lock file
// was left by a process that no longer uses the device and has been removed (open again then).
struct RefusedOpen {
    PortHolder holder;
    bool staleLockRemoved = false;
    bool accessDenied = false;  // the user may not open the device at all
};
RefusedOpen ExamineRefusedOpen(const QString& device);
#endif

}  // namespace veld::link
