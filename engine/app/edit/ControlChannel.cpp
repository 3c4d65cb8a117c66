#include "app/edit/ControlChannel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool fillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Whether a program still listens on the socket file at `address`.
bool answered(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool live = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return live;
}

} // namespace

ControlChannel::~ControlChannel() {
    close();
}

bool ControlChannel::open(const std::string& path, std::string& error) {
    close();
    sockaddr_un address;
    if (!fillAddress(path, address)) {
        error = path + ": --control: the path is empty or longer than a socket path may be";
        return false;
    }
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            error = path + ": --control: a file that is not a socket is in the way";
            return false;
        }
        if (answered(address)) {
            error = path + ": --control: another program listens on this socket";
            return false;
        }
        ::unlink(path.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = path + ": --control: no socket (" + std::strerror(errno) + ")";
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0) {
        error = path + ": --control: cannot listen (" + std::strerror(errno) + ")";
        ::close(fd);
        return false;
    }
    listener_ = fd;
    path_ = path;
    return true;
}

void ControlChannel::close() {
    for (const Client& client : clients_)
        ::close(client.fd);
    clients_.clear();
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    listener_ = -1;
}

void ControlChannel::accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        if (clients_.size() >= kMaxClients) {
            static const char refusal[] = "error too many clients\n";
            (void)!::send(fd, refusal, sizeof refusal - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            ::close(fd);
            continue;
        }
        clients_.push_back(Client{fd, {}});
    }
}

void ControlChannel::read(Client& client) {
    char buffer[4096];
    // Reads at most what one line may hold beyond what is pending, so a flood cannot grow it.
    while (client.fd >= 0 && client.pending.size() <= kMaxLine) {
        const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            client.pending.append(buffer, size_t(got));
            if (client.pending.find('\n') != std::string::npos)
                return;
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        // Gone (a line it did not finish is dropped with it).
        ::close(client.fd);
        client.fd = -1;
    }
}

bool ControlChannel::nextLine(int& client, std::string& line) {
    if (listener_ < 0)
        return false;
    accept();
    for (Client& c : clients_) {
        if (c.pending.find('\n') == std::string::npos)
            read(c);
        const size_t newline = c.pending.find('\n');
        if (newline != std::string::npos && newline <= kMaxLine) {
            line.assign(c.pending, 0, newline);
            c.pending.erase(0, newline + 1);
            client = c.fd;
            return true;
        }
        if (c.fd >= 0 && c.pending.size() > kMaxLine) {
            reply(c.fd, "error line too long");
            ::close(c.fd);
            c.fd = -1;
        }
    }
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(), [](const Client& c) { return c.fd < 0; }),
                   clients_.end());
    return false;
}

void ControlChannel::reply(int client, const std::string& line) {
    auto it = std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) { return c.fd == client; });
    if (it == clients_.end() || it->fd < 0)
        return;
    const std::string text = line + "\n";
    const ssize_t sent = ::send(client, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent != static_cast<ssize_t>(text.size()))
        drop(client);
}

void ControlChannel::drop(int fd) {
    for (Client& c : clients_)
        if (c.fd == fd) {
            ::close(c.fd);
            c.fd = -1;
        }
}
