#include "support/web_processes.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace zel::test {

int WebProcessesBelow(pid_t root) {
  std::map<int, int> parent;
  std::map<int, std::string> name;
  if (DIR* d = opendir("/proc")) {
    while (dirent* e = readdir(d)) {
      int pid = std::atoi(e->d_name);
      if (pid <= 0) continue;
      std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
      std::string line;
      if (!std::getline(stat, line)) continue;
      size_t open = line.find('('), close = line.rfind(')');
      if (open == std::string::npos || close == std::string::npos || close + 4 > line.size())
        continue;
      name[pid] = line.substr(open + 1, close - open - 1);
      parent[pid] = std::atoi(line.c_str() + close + 4);  // ") S ppid"
    }
    closedir(d);
  }
  int count = 0;
  for (const auto& [pid, comm] : name) {
    if (comm.rfind("WebKitWebProces", 0) != 0) continue;
    for (int p = parent[pid]; p > 1; p = parent.count(p) ? parent[p] : 0)
      if (p == root) {
        ++count;
        break;
      }
  }
  return count;
}

}  // namespace zel::test
