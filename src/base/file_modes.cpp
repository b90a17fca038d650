#include "base/file_modes.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "base/files.h"

namespace zel {

void NarrowToOwner(const std::string& folder) {
  struct stat st;
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  if (st.st_mode & 077) ::chmod(folder.c_str(), st.st_mode & 07700);
  DIR* d = ::opendir(folder.c_str());
  if (!d) return;
  std::vector<std::string> folders;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = JoinPath(folder, name);
    // Links are left alone: their mode is not theirs, and their target may be anywhere.
    if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
    if (S_ISDIR(st.st_mode))
      folders.push_back(std::move(path));
    else if (st.st_mode & 077)
      ::chmod(path.c_str(), st.st_mode & 07700);
  }
  ::closedir(d);
  for (const std::string& f : folders) NarrowToOwner(f);
}

}  // namespace zel
