#include "services/command_registry.h"

namespace zel {

CommandRegistry::Entry CommandRegistry::Add(int id, std::function<void()> run) {
  Command& c = commands_[id];
  c = Command{std::move(run), {}, {}};
  return Entry(c);
}

bool CommandRegistry::Run(int id) const {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  // A copy: the command may replace its own registration while it runs.
  std::function<void()> run = it->second.run;
  if (run) run();
  return true;
}

std::optional<bool> CommandRegistry::Checked(int id) const {
  auto it = commands_.find(id);
  if (it == commands_.end() || !it->second.checked) return std::nullopt;
  return it->second.checked();
}

bool CommandRegistry::Enabled(int id) const {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  return !it->second.enabled || it->second.enabled();
}

}  // namespace zel
