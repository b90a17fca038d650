// Single instance and hand-off between processes of one user and one profile.
//   - first instance: an flock()ed lock file; the kernel drops it when the process dies;
//   - the running frame: a Unix-domain socket; a stale socket file that refuses
//     connections counts as no frame;
//   - the mutex: an flock()ed lock file that serialises hand-offs;
//   - the shared text: a 2560-byte file carrying one UTF-16 text.
// Where they live and what they are called: platform/instance_files.h.
//
// Wire protocol, one line each way: the sender writes "5120\n" (the shared text is ready)
// or "RAISE\n"; the frame answers "OK\n", or "ERR\n" for a request it could not serve.
#pragma once

#include <functional>
#include <list>
#include <string>

#include "base/text.h"
#include "platform/instance_files.h"

namespace zel {

// Which browser runs a profile is decided by a lock on a file inside the profile folder
// (the owner's alone: no other user can take it or its name). The browser holding it writes
// into it the runtime folder its channel is in, and a later start looks there: names in the
// shared /tmp that someone else took cannot hide the running browser.
std::string InstanceLockPath(const std::string& profileFolder);

// The channel of the profile in programFolder, for a start that looks for the running
// browser: in the runtime folder the lock file names when that is a private folder of this
// user, else in the one ChooseRuntimeFolder picks. firstLock is the profile's lock file.
ChannelPaths ChannelPathsForProfile(const std::string& programFolder,
                                    const std::string& profileFolder);
// The channel a browser that has just taken the lock opens: always in the runtime folder
// ChooseRuntimeFolder picks now (InstanceLock::Record then names it).
ChannelPaths FreshChannelPaths(const std::string& programFolder, const std::string& profileFolder);
// The runtime folder the lock file names, when it is a private folder of uid; else "".
std::string RecordedRuntimeFolder(const std::string& lockPath, uid_t uid);

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  // True when this process is the first instance (and now holds the lock).
  bool AcquireFirst(const ChannelPaths& paths);
  // Names the runtime folder of this browser's channel in the held lock file.
  bool Record(const std::string& runtimeFolder);
  void Release();

 private:
  int fd_ = -1;
};

// Sending side.
bool FrameIsRunning(const ChannelPaths& paths);
// Waits until a frame answers or the time runs out.
bool WaitForFrame(const ChannelPaths& paths, int timeoutMs);

enum class SendResult { Sent, NoShareMemory, MapFailed, NoFrame };
// Holds the mutex, writes the text into the shared file, sends 5120 and waits until the
// running frame has copied the text and handled it.
SendResult SendHandOff(const ChannelPaths& paths, u16view target);
// A start without a target: the running frame shows itself.
bool SendRaise(const ChannelPaths& paths);
// The raise after a hand-off: sent, not waited for. The frame is busy opening the tab the
// hand-off asked for and reads it after that, in order.
bool PostRaise(const ChannelPaths& paths);

// Receiving side, served on the main loop without ever waiting there: clients are read as
// their bytes arrive, a client that has not sent its line within its deadline is dropped,
// and so is one whose line grows past the cap. A request the frame cannot serve is answered
// "ERR" and noted on stderr; the user is not asked about it.
class FrameServer {
 public:
  struct Handlers {
    // The text of the shared file has been copied.
    std::function<void(const u16& text)> handOff;
    std::function<void()> raise;
  };
  FrameServer(ChannelPaths paths, Handlers h)
      : paths_(std::move(paths)), handlers_(std::move(h)) {}
  ~FrameServer();
  FrameServer(const FrameServer&) = delete;
  FrameServer& operator=(const FrameServer&) = delete;
  bool Start();
  void Stop();

  static constexpr int kClientDeadlineMs = 2000;
  static constexpr size_t kMaxLine = 64;
  // Connected clients beyond this push out the oldest.
  static constexpr size_t kMaxClients = 64;

 private:
  // One connected sender: what it has sent so far and its two sources.
  struct Client {
    FrameServer* server = nullptr;
    int fd = -1;
    std::string line;
    unsigned watch = 0;
    unsigned deadline = 0;
    bool answering = false;  // its request is being handled: never dropped meanwhile
  };
  static int OnListenReadable(int fd, unsigned cond, void* self);
  static int OnClientReadable(int fd, unsigned cond, void* client);
  static int OnClientDeadline(void* client);
  void Accept();
  // False when the client is done (answered or gone) and must be dropped.
  bool ReadFrom(Client& c);
  std::string Answer(const std::string& line);
  void Drop(Client* c);

  ChannelPaths paths_;
  Handlers handlers_;
  int listenFd_ = -1;
  unsigned watch_ = 0;
  std::list<Client> clients_;
};

}  // namespace zel
