// The frame's hand-off server: the receiving side of the single-instance channel. It runs
// on the GLib main loop; the sending side (instance_channel.cpp) needs no loop at all.
#include <glib-unix.h>
#include <glib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/commands.h"
#include "platform/linux/instance_channel.h"
#include "platform/linux/socket_address.h"

namespace zel {

FrameServer::~FrameServer() { Stop(); }

bool FrameServer::Start() {
  sockaddr_un addr;
  if (paths_.folder.empty() || !FillAddress(paths_.socket, &addr)) return false;
  // A socket file nobody answers on is stale: it goes, and the new one is made in its place.
  if (!FrameIsRunning(paths_)) ::unlink(paths_.socket.c_str());
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd_ < 0) return false;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listenFd_, SOMAXCONN) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    return false;
  }
  watch_ = g_unix_fd_add(listenFd_, G_IO_IN,
                         reinterpret_cast<GUnixFDSourceFunc>(&FrameServer::OnListenReadable),
                         this);
  return true;
}

void FrameServer::Stop() {
  while (!clients_.empty()) Drop(&clients_.front());
  if (watch_) g_source_remove(watch_);
  watch_ = 0;
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(paths_.socket.c_str());
  }
  listenFd_ = -1;
}

int FrameServer::OnListenReadable(int, unsigned, void* self) {
  static_cast<FrameServer*>(self)->Accept();
  return G_SOURCE_CONTINUE;
}

void FrameServer::Accept() {
  for (;;) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // EAGAIN: all taken; anything else: try again on the next wake-up
    }
    if (clients_.size() >= kMaxClients) {
      // A flood of idle connections pushes out the oldest, so a real sender still gets in.
      for (Client& old : clients_) {
        if (!old.answering) {
          Drop(&old);
          break;
        }
      }
    }
    Client& c = clients_.emplace_back();
    c.server = this;
    c.fd = fd;
    c.watch = g_unix_fd_add(fd, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR),
                            reinterpret_cast<GUnixFDSourceFunc>(&FrameServer::OnClientReadable),
                            &c);
    c.deadline = g_timeout_add(kClientDeadlineMs, &FrameServer::OnClientDeadline, &c);
  }
}

int FrameServer::OnClientReadable(int, unsigned, void* client) {
  auto* c = static_cast<Client*>(client);
  if (c->server->ReadFrom(*c)) return G_SOURCE_CONTINUE;
  c->watch = 0;  // removed by the return value
  c->server->Drop(c);
  return G_SOURCE_REMOVE;
}

int FrameServer::OnClientDeadline(void* client) {
  auto* c = static_cast<Client*>(client);
  c->deadline = 0;
  c->server->Drop(c);
  return G_SOURCE_REMOVE;
}

bool FrameServer::ReadFrom(Client& c) {
  char buf[256];
  for (;;) {
    ssize_t r = ::recv(c.fd, buf, sizeof buf, 0);
    if (r < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return true;  // more later
      return false;
    }
    if (r == 0) {
      // The sender closed its side. A line without its newline still counts, as it always
      // did; an empty connection is a probe for a running frame.
      if (c.line.empty()) return false;
      break;
    }
    const char* nl = static_cast<const char*>(std::memchr(buf, '\n', size_t(r)));
    c.line.append(buf, nl ? size_t(nl - buf) : size_t(r));
    if (c.line.size() > kMaxLine) {
      std::fprintf(stderr, "zel: hand-off request longer than %zu bytes refused\n", kMaxLine);
      ::send(c.fd, "ERR\n", 4, MSG_NOSIGNAL | MSG_DONTWAIT);
      return false;
    }
    if (nl) break;
  }
  // A whole request: its deadline no longer applies while the frame handles it.
  if (c.deadline) g_source_remove(c.deadline);
  c.deadline = 0;
  c.answering = true;
  std::string answer = Answer(c.line);
  // The answer is a few bytes into an empty socket buffer; a sender that cannot take them
  // is not waited for.
  ::send(c.fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  return false;
}

std::string FrameServer::Answer(const std::string& line) {
  if (line == std::to_string(msg::kHandOff)) {
    // Copied while the sender waits; it removes the file after the answer.
    std::optional<u16> text = ReadShareFile(paths_.share);
    if (!text) {
      std::fprintf(stderr, "zel: hand-off without a readable shared text (%s)\n",
                   paths_.share.c_str());
      return "ERR\n";
    }
    if (handlers_.handOff) handlers_.handOff(*text);
    return "OK\n";
  }
  if (line == "RAISE") {
    if (handlers_.raise) handlers_.raise();
    return "OK\n";
  }
  std::fprintf(stderr, "zel: unknown hand-off request refused (%zu bytes)\n", line.size());
  return "ERR\n";
}

void FrameServer::Drop(Client* c) {
  if (c->watch) g_source_remove(c->watch);
  if (c->deadline) g_source_remove(c->deadline);
  if (c->fd >= 0) ::close(c->fd);
  clients_.remove_if([c](const Client& x) { return &x == c; });
}

}  // namespace zel
