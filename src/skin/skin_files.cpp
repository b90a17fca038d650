#include "skin/skin_files.h"

#include <dirent.h>
#include <glib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>

#include "base/files.h"
#include "base/ini_document.h"
#include "skin/skin_reader.h"

namespace zel {

namespace {

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* d = opendir(folder.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
  return names;
}

bool LessNoCase(const u16& a, const u16& b) {
  u16 la = ToLower(a), lb = ToLower(b);
  return la != lb ? la < lb : a < b;
}

}  // namespace

std::vector<u16> ListSkinFolders(const std::string& root) {
  std::vector<u16> out;
  for (const std::string& n : FolderEntries(root)) {
    std::string dir = JoinPath(root, n);
    if (DirExists(dir) && FileExists(JoinPath(dir, kSkinIniName)) && IsValidUtf8(n))
      out.push_back(FromUtf8(n));
  }
  std::sort(out.begin(), out.end(), LessNoCase);
  return out;
}

std::vector<LanguageFile> ListLanguageFiles(const std::string& folder) {
  std::vector<LanguageFile> out;
  for (const std::string& n : FolderEntries(folder)) {
    if (n.size() <= 4 || !EndsWithNoCase(FromUtf8(n), u".ini") || !IsValidUtf8(n)) continue;
    std::string path = JoinPath(folder, n);
    if (DirExists(path)) continue;
    std::string bytes;
    if (!ReadSkinFile(path, kSkinIniMaxBytes, &bytes)) continue;
    IniDocument ini = IniDocument::ParseOwned(std::move(bytes));
    u16 name = Trim(ini.Get(kLanguageSection, kLanguageNameKey).value_or(u""));
    if (name.size() > 259) name.resize(259);
    if (name.empty()) name = FromUtf8(n.substr(0, n.size() - 4));
    out.push_back({n, name});
  }
  std::sort(out.begin(), out.end(), [](const LanguageFile& a, const LanguageFile& b) {
    return LessNoCase(FromUtf8(a.file), FromUtf8(b.file));
  });
  return out;
}

bool WriteCustomFrame(const std::string& folder, bool on) {
  std::string path = JoinPath(folder, kSkinIniName);
  std::string bytes;
  if (!ReadSkinFile(path, kSkinIniMaxBytes, &bytes)) return false;
  IniDocument ini = IniDocument::ParseOwned(std::move(bytes));
  ini.Set(u"Global", u"CustomFrame", on ? u"1" : u"0");
  return WriteFileAtomic(path, ini.Serialize());
}

void RemoveStaleSkinFolders(const std::string& tmp) {
  static constexpr char kPrefix[] = "zel-skin-";
  for (const std::string& name : FolderEntries(tmp)) {
    if (name.rfind(kPrefix, 0) != 0) continue;
    const std::string rest = name.substr(sizeof kPrefix - 1);
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 10) continue;
    if (!std::all_of(rest.begin(), rest.begin() + long(dash), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    const long long pid = std::stoll(rest.substr(0, dash));
    if (pid <= 0 || pid > 0x7fffffff || pid == ::getpid()) continue;
    if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to ask
    const std::string folder = JoinPath(tmp, name);
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
      continue;
    for (const std::string& f : FolderEntries(folder)) ::unlink(JoinPath(folder, f).c_str());
    ::rmdir(folder.c_str());
  }
}

SkinImageFiles::~SkinImageFiles() {
  for (const auto& list : {current_, previous_})
    for (const std::string& f : list) ::unlink(f.c_str());
  if (!folder_.empty()) ::rmdir(folder_.c_str());
}

void SkinImageFiles::BeginSheet() {
  for (const std::string& f : previous_) ::unlink(f.c_str());
  previous_ = std::move(current_);
  current_.clear();
  urls_.clear();
  ++sheet_;
}

std::string SkinImageFiles::UrlOf(const SkinImagePtr& image) {
  if (!image) return {};
  auto it = urls_.find(image.get());
  if (it != urls_.end()) return it->second;
  std::string& url = urls_[image.get()];
  if (folder_.empty()) {
    // Named by the process, so a later run can tell what a killed one left.
    RemoveStaleSkinFolders(g_get_tmp_dir());
    GError* error = nullptr;
    const std::string pattern = "zel-skin-" + std::to_string(::getpid()) + "-XXXXXX";
    gchar* dir = g_dir_make_tmp(pattern.c_str(), &error);
    if (!dir) {
      g_clear_error(&error);
      return url;
    }
    folder_ = dir;
    g_free(dir);
  }
  std::string png = EncodePng(*image);
  if (png.empty()) return url;
  std::string path = JoinPath(folder_, std::to_string(sheet_) + "-" +
                                           std::to_string(current_.size()) + ".png");
  if (!WriteFileAtomic(path, png)) return url;
  current_.push_back(path);
  if (gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr)) {
    url = uri;
    g_free(uri);
  }
  return url;
}

void SkinImageFiles::EndSheet() {
  for (const std::string& f : previous_) ::unlink(f.c_str());
  previous_.clear();
}

}  // namespace zel
