#include "settings/layout_file.h"

#include "base/files.h"
#include "settings/settings_file.h"

namespace zel {

std::string LayoutFilePath() { return SettingsFile::ResolvePath(u"CommandBars.ini"); }

const std::string& LayoutFileAtStart(FrameSettings& settings) {
  if (!settings.layoutFileAtStart) {
    std::string bytes;
    if (!settings.firstrun) ReadFileBytes(LayoutFilePath(), &bytes);
    settings.layoutFileAtStart = std::move(bytes);
  }
  return *settings.layoutFileAtStart;
}

bool RewriteLayoutFile(const std::function<std::string(const std::string&)>& render) {
  const std::string path = LayoutFilePath();
  std::string bytes;
  if (ReadFileBytes(path, &bytes) == ReadStatus::Failed) return false;
  return WriteFileAtomic(path, render(bytes));
}

}  // namespace zel
