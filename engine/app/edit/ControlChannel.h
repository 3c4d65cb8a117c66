#pragma once

#include <string>
#include <vector>

// The control channel's socket: a local (Unix) stream socket at a path, read without blocking
// once per frame. Clients send one command per line and get one line back for each. A line
// longer than kMaxLine, more than kMaxClients at once, or a client that does not take its
// answers closes that connection; nothing a client sends can stall the program.
class ControlChannel {
public:
    static constexpr size_t kMaxLine = 4096;
    static constexpr size_t kMaxClients = 8;

    ControlChannel() = default;
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    // Listens at `path`. A socket file left there by a program that is gone is replaced; any other
    // file, or a socket someone still answers on, is not. False with `error` set to one line.
    [[nodiscard]] bool open(const std::string& path, std::string& error);
    void close();
    bool isOpen() const { return listener_ >= 0; }

    // The next complete line any client sent (without its newline), with the client's handle;
    // false when none is waiting. Takes new connections and reads what arrived first.
    bool nextLine(int& client, std::string& line);
    // Answers a client with one line (the newline is added). A client that has gone, or whose
    // socket is full, is dropped.
    void reply(int client, const std::string& line);

private:
    struct Client {
        int fd;
        std::string pending; // bytes after the last complete line
    };
    void accept();
    void read(Client& client);
    void drop(int fd);

    int listener_ = -1;
    std::string path_;
    std::vector<Client> clients_;
};
