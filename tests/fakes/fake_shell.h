// A desktop shell that only writes down what it was asked to do.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/shell_port.h"

namespace zel {

class FakeShell : public ShellPort {
 public:
  struct Call {
    std::string op;  // "open", "start" or "browser"
    u16 target;      // location, program or address
    u16 parameter;   // program parameter
    u16 folder;      // working folder
  };

  bool OpenLocation(u16view location) override {
    calls.push_back({"open", u16(location), u16(), u16()});
    return openResult;
  }
  bool StartProgram(u16view program, u16view parameter, u16view workingFolder) override {
    calls.push_back({"start", u16(program), u16(parameter), u16(workingFolder)});
    return startResult;
  }
  u16 HandlerName(u16view) override { return handlerName; }
  bool OpenInOtherBrowser(u16view address) override {
    calls.push_back({"browser", u16(address), u16(), u16()});
    return browserResult;
  }
  std::optional<u16> EnvironmentVariable(u16view name) override {
    ++envLookups;
    auto it = env.find(u16(name));
    if (it == env.end()) return std::nullopt;
    return it->second;
  }
  u16 HomeFolder() override { return home; }
  bool IsFolder(u16view path) override { return folders.count(u16(path)) > 0; }

  std::vector<Call> calls;
  bool openResult = true;
  bool startResult = true;
  bool browserResult = true;
  u16 handlerName = u"Files";
  std::map<u16, u16> env;
  int envLookups = 0;
  u16 home = u"/home/user";
  std::set<u16> folders;
};

}  // namespace zel
