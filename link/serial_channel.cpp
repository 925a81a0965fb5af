#include "serial_channel.h"

#include "port_map.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tavrin {

namespace {

using Clock = std::chrono::steady_clock;

int MillisUntil(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return static_cast<int>((left + 999) / 1000);
}

// Line settings of the instrument; everything not named here keeps what the driver reported.
bool ApplyLineSettings(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                          IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B57600);
    cfsetospeed(&tio, B57600);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return false;
    // DTR and RTS stay low; a pseudo-terminal has no modem lines, which is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIC, &lines);
    return true;
}

}  // namespace

void SerialChannel::Open()
{
    (void)OpenAndConfigure(1);
}

bool SerialChannel::ChangePort(int32_t port)
{
    Close();
    if (port < 1 || port > 4)
        return false;
    return OpenAndConfigure(port);
}

bool SerialChannel::OpenAndConfigure(int port)
{
    std::string path;
    try {
        path = ResolvePortPath(port);
    } catch (...) {
        return false;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Exclusive use: the advisory lock tells other programs (ours included) that the port is
    // busy; TIOCEXCL keeps ordinary users from opening it at all.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    (void)ioctl(fd, TIOCEXCL);
    // Linux has no per-port queue sizes to request (the driver's 4 KiB buffers are fixed).
    if (!ApplyLineSettings(fd)) {
        (void)ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    timeouts_ = ReadTimeouts{};
    return true;
}

void SerialChannel::Close()
{
    if (fd_ < 0)
        return;
    (void)ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // also drops the advisory lock
    fd_ = -1;
}

bool SerialChannel::Purge()
{
    if (fd_ < 0)
        return false;
    return tcflush(fd_, TCIOFLUSH) == 0;
}

bool SerialChannel::Write(const uint8_t *bytes, size_t count)
{
    bytesWritten_ = 0;
    if (fd_ < 0)
        return false;
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            bytesWritten_ = static_cast<uint32_t>(done);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        int r = ::poll(&p, 1, kWriteStallMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return false;
    }
    return true;
}

bool SerialChannel::ReadReply(uint8_t *bytes, size_t count, size_t complete, int lingerMs)
{
    bytesRead_ = 0;
    if (fd_ < 0)
        return false;
    const auto start = Clock::now();
    const auto totalDeadline =
        start + std::chrono::milliseconds(static_cast<long long>(timeouts_.totalPerByteMs) * static_cast<long long>(count) +
                                          timeouts_.totalConstantMs);
    Clock::time_point lastByte{};
    Clock::time_point completeAt = start;
    size_t got = 0;
    while (got < count) {
        auto deadline = totalDeadline;
        if (got > 0)
            deadline = std::min(deadline, lastByte + std::chrono::milliseconds(timeouts_.intervalMs));
        if (got >= complete)
            deadline = std::min(deadline, completeAt + std::chrono::milliseconds(lingerMs));
        if (Clock::now() >= deadline)
            break;
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, MillisUntil(deadline));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            bytesRead_ = static_cast<uint32_t>(got);
            return false;
        }
        if (r == 0)
            continue;
        if (p.revents & POLLIN) {
            ssize_t n = ::read(fd_, bytes + got, count - got);
            if (n > 0) {
                const size_t before = got;
                got += static_cast<size_t>(n);
                lastByte = Clock::now();
                if (before < complete && got >= complete)
                    completeAt = lastByte;
                bytesRead_ = static_cast<uint32_t>(got);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
        }
        // Hang-up or error: the device is gone (a pulled USB adapter, a closed pseudo-terminal).
        bytesRead_ = static_cast<uint32_t>(got);
        return false;
    }
    bytesRead_ = static_cast<uint32_t>(got);
    return true;
}

bool SerialChannel::SendEchoed(const uint8_t *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (!Write(bytes + i, 1))
            return false;
        uint8_t scratch = 0;
        if (!Read(&scratch, 1))
            return false;
    }
    return true;
}

}  // namespace tavrin
