#include "status/status_controller.h"

#include <arpa/inet.h>
#include <glib.h>
#include <netdb.h>
#include <unistd.h>

#include <thread>

#include "base/commands.h"
#include "platform/message_loop.h"
#include "services/status_bar_view.h"

namespace zel {

namespace {
constexpr int64_t kFreeMemoryMs = 5000;
constexpr int64_t kLoopbackAddressMs = 5000;
constexpr int64_t kAddressMs = 20000;
constexpr int64_t kProcessMs = 5000;
constexpr int64_t kSpeedMs = 1000;
constexpr int64_t kUnavailableSpeedMs = 5000;

// The host's IPv4 addresses in the resolver's order; the last one is shown.
std::optional<u16> ResolveHost(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return {};
  std::optional<u16> last;
  for (addrinfo* a = list; a; a = a->ai_next) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    const auto* b = reinterpret_cast<const uint8_t*>(&in->sin_addr.s_addr);
    last = FormatAddress({b[0], b[1], b[2], b[3]});
  }
  ::freeaddrinfo(list);
  return last;
}
}  // namespace

StatusController::StatusController(const FrameServices& services, StatusBarView* bar,
                                   std::function<int()> blockedPopups)
    : s_(services),
      bar_(bar),
      blockedPopups_(std::move(blockedPopups)),
      clock_([] { return std::time(nullptr); }) {
  const char* h = g_get_host_name();
  hostName_ = h ? h : "";
  startMs_ = Now();
}

StatusController::~StatusController() { alive_.reset(); }

int64_t StatusController::Now() const { return s_.loop ? s_.loop->NowMs() : 0; }

template <class R>
void StatusController::OffMainLoop(std::function<R()> work, std::function<void(R)> done) {
  if (!s_.loop) {
    done(work());
    return;
  }
  std::weak_ptr<bool> alive = alive_;
  MessageLoop* loop = s_.loop;
  std::thread([work = std::move(work), done = std::move(done), alive, loop]() mutable {
    R result = work();
    if (!alive.lock()) return;
    loop->Post([done = std::move(done), result = std::move(result), alive]() mutable {
      if (alive.lock()) done(std::move(result));
    });
  }).detach();
}

void StatusController::OnDeferredStartup() {
  // The counter's first reading: the source may be slow to open.
  if (TemplateUses(template_, u'S')) UpdateSpeed(Now());
}

void StatusController::UpdateFreeMemory(int64_t now) {
  if (freeMemoryAt_ >= 0 && now - freeMemoryAt_ < kFreeMemoryMs) return;
  freeMemoryAt_ = now;
  // A few hundred bytes of procfs: no disk behind it.
  MemoryReading m = ReadMemory();
  if (m.availableKb) freeMemory_ = FormatFreeMemory(*m.availableKb);
  // The free-memory pane, set when its text changes; without a reading it stays empty.
  u16 pane = m.freePercent ? FormatFreeMemoryPane(*m.freePercent) : u16();
  if (bar_ && pane != memoryPane_) bar_->SetMemoryPaneText(pane);
  memoryPane_ = pane;
}

void StatusController::UpdateAddress(int64_t now) {
  if (resolving_) return;
  bool loopback = address_.empty() || address_ == u"127.0.0.1";
  if (addressAt_ >= 0 && now - addressAt_ < (loopback ? kLoopbackAddressMs : kAddressMs)) return;
  addressAt_ = now;
  resolving_ = true;
  // A resolver that hangs must not hang the window.
  std::string name = hostName_;
  OffMainLoop<std::optional<u16>>([name] { return ResolveHost(name); },
                                  [this](std::optional<u16> text) {
                                    resolving_ = false;
                                    if (text) address_ = *text;  // unresolved: the old text stays
                                  });
}

void StatusController::UpdateSpeed(int64_t now) {
  if (!counterStarted_) {
    counterStarted_ = true;
    OffMainLoop<std::optional<int64_t>>([] { return ReadReceivedBytes(); },
                                        [this](std::optional<int64_t> total) {
                                          counterReady_ = true;
                                          lastReadingAt_ = Now();
                                          counterUnavailable_ = !total;
                                          lastTotal_ = total.value_or(-1);
                                        });
    return;
  }
  if (!counterReady_) return;
  int64_t wait = counterUnavailable_ ? kUnavailableSpeedMs : kSpeedMs;
  if (now - lastReadingAt_ < wait) return;
  std::optional<int64_t> total = ReadReceivedBytes();
  double seconds = double(now - lastReadingAt_) / 1000.0;
  lastReadingAt_ = now;
  if (!total) {
    counterUnavailable_ = true;
    return;
  }
  counterUnavailable_ = false;
  if (auto speed = SpeedKbPerSecond(lastTotal_, *total, seconds)) speedText_ = FormatKbFigure(*speed);
  lastTotal_ = *total;
}

void StatusController::UpdateProcessMemory(int64_t now) {
  if (readingProcess_ || (processAt_ >= 0 && now - processAt_ < kProcessMs)) return;
  processAt_ = now;
  readingProcess_ = true;
  int pid = int(::getpid());
  OffMainLoop<ProcessMemory>([pid] { return ReadProcessTreeMemory(pid); },
                             [this](ProcessMemory m) {
                               readingProcess_ = false;
                               // A reading of nothing keeps the last figures.
                               if (m.rss) process_[0] = double(m.rss);
                               if (m.pss) process_[1] = double(m.pss);
                               if (m.priv) process_[2] = double(m.priv);
                             });
}

void StatusController::UpdateIndicatorPane() {
  if (closed_) return;
  const int64_t now = Now();
  const u16& t = template_;
  IndicatorValues v;
  std::time_t clock = clock_();
  std::tm local{};
  localtime_r(&clock, &local);
  v.year = local.tm_year + 1900;
  v.month = local.tm_mon + 1;
  v.day = local.tm_mday;
  v.hour = local.tm_hour;
  v.minute = local.tm_min;
  v.second = local.tm_sec;
  v.weekday = local.tm_wday;
  v.secondsUp = (now - startMs_) / 1000;
  v.tabFigure = s_.tabs.recordedTabCount();
  if (TemplateUses(t, u'J') && blockedPopups_) v.blockedPopups = blockedPopups_();
  UpdateFreeMemory(now);  // for L and for the free-memory pane
  v.freeMemory = freeMemory_;
  if (TemplateUses(t, u'K')) UpdateAddress(now);
  v.address = address_;
  if (TemplateUses(t, u'S')) UpdateSpeed(now);
  v.speedText = speedText_;
  for (char16_t c : u"MNOPQR")
    if (c && TemplateUses(t, c)) {
      UpdateProcessMemory(now);
      break;
    }
  for (int i = 0; i < 3; ++i) v.process[i] = process_[i];
  v.proxyOn = s_.settings.proxyEnable;
  v.proxyName = s_.settings.proname;
  v.proxyAddress = s_.settings.curpro;
  u16 text = BuildIndicatorText(t, v);
  if (text == last_) return;
  last_ = std::move(text);
  if (bar_) bar_->SetIndicatorText(last_);
}

}  // namespace zel
