#include "fakes/fake_ports.h"

namespace zel::test {

void FakeWindow::RemoveChildView(CChildFrame* c) {
  std::erase(hosted, c);
  if (shownView == c) shownView = nullptr;
}

void FakeWindow::InsertTabEntry(int index, u16view caption, CChildFrame* child) {
  entries.insert(entries.begin() + index, Entry{u16(caption), child});
  if (selected >= index) ++selected;
}

void FakeWindow::RemoveTabEntry(int index) {
  entries.erase(entries.begin() + index);
  if (selected == index) selected = -1;
  else if (selected > index) --selected;
}

std::vector<u16> FakeWindow::Captions() const {
  std::vector<u16> out;
  for (const auto& e : entries) out.push_back(e.caption);
  return out;
}

void FakeLoop::RunPosted() {
  for (int guard = 0; guard < 100000; ++guard) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> l(postMutex);
      if (posted.empty()) break;
      fn = std::move(posted.front());
      posted.pop_front();
    }
    fn();
  }
}

void FakeLoop::Advance(int64_t ms) {
  int64_t end = now + ms;
  for (;;) {
    auto next = timers.end();
    for (auto it = timers.begin(); it != timers.end(); ++it)
      if (it->second.due <= end && (next == timers.end() || it->second.due < next->second.due))
        next = it;
    if (next == timers.end()) break;
    now = next->second.due;
    next->second.due += std::max(next->second.ms, 1);
    auto fn = next->second.fn;
    fn();
    RunPosted();
  }
  now = end;
}

}  // namespace zel::test
