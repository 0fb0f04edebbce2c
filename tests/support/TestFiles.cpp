#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace kestrun::testing {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFileByName(const QByteArray &name)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray data;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, got);
    ::close(fd);
    return data;
}

bool writeFileByName(const QByteArray &name, const QByteArray &data)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, data.constData(), std::size_t(data.size())) == data.size();
    return ::close(fd) == 0 && written;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

bool underFileSizeLimit(qint64 bytes, const std::function<void()> &writes)
{
    rlimit saved{};
    if (::getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return false;
    rlimit small = saved;
    small.rlim_cur = rlim_t(bytes);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, previousHandler);
        return false;
    }
    writes();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return true;
}

bool makeNamedPipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

bool makeCharacterDevice(const QString &path, unsigned major, unsigned minor)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, ::makedev(major, minor)) == 0;
}

bool makeSocket(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd); // the socket file stays
    return bound;
}

int runAsUser(unsigned id, const QList<unsigned> &groups, const std::function<bool()> &work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const std::vector<gid_t> list(groups.begin(), groups.end());
        if (::setgroups(list.size(), list.data()) != 0 || ::setgid(id) != 0 || ::setuid(id) != 0)
            ::_exit(77);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool writeSolidBmp(const QString &path, int width, int height, const QColor &color)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(color);
    return image.save(path, "BMP");
}

} // namespace kestrun::testing
