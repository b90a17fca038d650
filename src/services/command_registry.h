// Every command of the frame, each declared once next to its feature: what it does, and
// when it has one, its check mark and its enabled state. Menus, buttons, keys, gestures and
// drags all end here; the frame refreshes the command states after each command it runs.
#pragma once

#include <functional>
#include <map>
#include <optional>

namespace zel {

class CommandRegistry {
 public:
  struct Command {
    std::function<void()> run;
    std::function<bool()> checked;  // empty: the command has no check mark
    std::function<bool()> enabled;  // empty: enabled while registered
  };
  // The builder returned by Add, for the optional states.
  class Entry {
   public:
    explicit Entry(Command& c) : c_(c) {}
    Entry& Checked(std::function<bool()> f) {
      c_.checked = std::move(f);
      return *this;
    }
    Entry& Enabled(std::function<bool()> f) {
      c_.enabled = std::move(f);
      return *this;
    }

   private:
    Command& c_;
  };

  Entry Add(int id, std::function<void()> run);
  bool Has(int id) const { return commands_.count(id) != 0; }
  // Runs a command; false when no command has the id.
  bool Run(int id) const;
  std::optional<bool> Checked(int id) const;
  bool Enabled(int id) const;

 private:
  std::map<int, Command> commands_;
};

}  // namespace zel
