#include "skin/skin_files.h"

#include <dirent.h>
#include <glib.h>
#include <unistd.h>

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
    GError* error = nullptr;
    gchar* dir = g_dir_make_tmp("zel-skin-XXXXXX", &error);
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
