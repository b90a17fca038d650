// A scratch folder removed when the test ends.
#pragma once

#include <cstdlib>
#include <string>

#include "base/files.h"

namespace zel::test {

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/zel-unit-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return JoinPath(path_, name); }

 private:
  std::string path_;
};

// Points the settings store at a fresh program folder for one test.
class ScratchProfile {
 public:
  ScratchProfile();
  std::string ProfileFolder() const { return dir_ / "profile/Defaults"; }
  std::string ConfigPath() const { return ProfileFolder() + "/config.ini"; }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
};

}  // namespace zel::test
