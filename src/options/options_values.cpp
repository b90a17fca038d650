#include "options/options_values.h"

#include <iterator>

#include "settings/config_schema.h"
#include "settings/settings_file.h"

namespace zel {

namespace {
constexpr char16_t kBlank[] = u"about:blank";

// The keys the dialog writes, in their order.
struct SavedKey {
  const char16_t* section;
  const char16_t* key;
};
constexpr SavedKey kSavedKeys[] = {
    {u"GENERAL", u"homepage"},      {u"GENERAL", u"checkdefault"},   {u"GENERAL", u"startmode"},
    {u"CLEANSET", u"cache"},        {u"CLEANSET", u"cookies"},       {u"CLEANSET", u"from"},
    {u"CLEANSET", u"history"},      {u"CLEANSET", u"address"},       {u"CLEANSET", u"search"},
    {u"CLEANSET", u"undo"},         {u"TABSET", u"newtabaddress"},   {u"TABSET", u"newsequence"},
    {u"TABSET", u"closeactiveseq"}, {u"TABSET", u"newactiveopen"},
};

int SavedValue(const FrameSettings& s, int index) {
  const auto& c = s.clean;
  const int values[] = {0,
                        s.checkdefault,
                        s.storedStartmode,
                        c.cache,
                        c.cookies,
                        c.form,
                        c.history,
                        c.address,
                        c.search,
                        c.undo,
                        s.newtabaddress,
                        s.newsequence,
                        s.closeactiveseq,
                        s.activateNewTabs};
  return values[index];
}

// Radio groups show one of their buttons: a stored value outside the group shows the
// nearest one (a negative after-close choice, which no button stands for, shows the left).
int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
}  // namespace

const char16_t* OptionsPageLabel(OptionsPageId page) {
  switch (page) {
    case OptionsPageId::General: return u"常规 ";
    case OptionsPageId::Tabs: return u"标签页 ";
    case OptionsPageId::Privacy: return u"隐私安全";
  }
  return u"";
}

OptionsValues OptionsFromSettings(const FrameSettings& s) {
  OptionsValues v;
  v.start = {.startMode = Clamp(s.storedStartmode, 0, 2),
             .homePage = s.homepage,
             .checkDefault = s.checkdefault};
  v.tabs = {.newSequence = Clamp(s.newsequence, 0, 2),
            .closeActiveSeq = Clamp(s.closeactiveseq, 0, 1),
            .foreground = s.activateNewTabs,
            .newTabAddress = s.newtabaddress};
  const auto& c = s.clean;
  v.clear = {.cookies = c.cookies, .history = c.history, .cache = c.cache, .form = c.form,
             .address = c.address, .search = c.search, .undo = c.undo};
  return v;
}

void ApplyOptions(const OptionsValues& v, FrameSettings& s) {
  s.homepage = v.start.homePage;
  s.checkdefault = v.start.checkDefault;
  s.storedStartmode = v.start.startMode;
  // The choice is the user's from now on, also for the start page of this run.
  s.startmode = v.start.startMode;
  s.newsequence = v.tabs.newSequence;
  s.closeactiveseq = v.tabs.closeActiveSeq;
  s.activateNewTabs = v.tabs.foreground;
  s.newactiveopen = v.tabs.foreground;
  s.newtabaddress = v.tabs.newTabAddress;
  auto& c = s.clean;
  c.cookies = v.clear.cookies;
  c.history = v.clear.history;
  c.cache = v.clear.cache;
  c.form = v.clear.form;
  c.address = v.clear.address;
  c.search = v.clear.search;
  c.undo = v.clear.undo;
}

bool SaveOptions(const FrameSettings& s) {
  SettingsBatch f(kConfigFile);
  for (int i = 0; i < int(std::size(kSavedKeys)); ++i) {
    const SavedKey& k = kSavedKeys[i];
    RequireSetting(k.section, k.key);
    if (i == 0)
      f.WriteText(k.section, k.key, s.homepage);
    else
      f.WriteInt(k.section, k.key, SavedValue(s, i));
  }
  return f.Commit();
}

void RestorePageDefaults(OptionsPageId page, OptionsValues& v) {
  switch (page) {
    case OptionsPageId::General: v.start = StartOptions{}; break;
    case OptionsPageId::Tabs: v.tabs = TabOptions{}; break;
    case OptionsPageId::Privacy: v.clear = ClearOptions{}; break;
  }
}

void UseBlankHomePage(StartOptions& start) { start.homePage = kBlank; }

void UseCurrentHomePage(StartOptions& start, u16view activeAddress) {
  if (!activeAddress.empty()) start.homePage = u16(activeAddress);
}

std::optional<u16> CheckPageValues(OptionsPageId page, OptionsValues& v) {
  if (page != OptionsPageId::General) return std::nullopt;
  u16 tidy;
  for (char16_t c : v.start.homePage)
    if (c >= 0x20 && c != 0x7f) tidy += c;
  v.start.homePage = Trim(tidy);
  if (v.start.homePage.size() > kMaxHomePageLength)
    return Format(u"主页地址太长，最多可以有 %d 个字符。", int(kMaxHomePageLength));
  return std::nullopt;
}

}  // namespace zel
