#include "settings/frame_settings.h"

#include "settings/config_schema.h"
#include "settings/settings_file.h"
#include "base/files.h"

namespace zel {

namespace {

const SettingDef& Def(u16view section, u16view key) {
  const SettingDef* d = FindSetting(section, key);
  // Every key read here is in the table; a missing row is a programming error caught by
  // the tests.
  static const SettingDef kNone{u"", u"", SettingType::Int, nullptr, u"0", LoadPoint::Never};
  return d ? *d : kNone;
}

// One accessor per section, as short-lived as the load it serves.
class Reader {
 public:
  explicit Reader(u16view section) : f_(kConfigFile, section), section_(section) {}
  int Int(u16view key) {
    const SettingDef& d = Def(section_, key);
    return f_.ReadInt(key, d.absent ? ToInt(d.absent) : 0);
  }
  int IntOr(u16view key, int absent) { return f_.ReadInt(key, absent); }
  bool Bool(u16view key) { return Int(key) != 0; }
  u16 Text(u16view key) {
    const SettingDef& d = Def(section_, key);
    return f_.ReadText(key, d.absent ? d.absent : u"", 260);
  }
  SettingsFile& file() { return f_; }

 private:
  SettingsFile f_;
  u16 section_;
};

}  // namespace

int EffectiveStartMode(int storedStartmode, bool normalquit) {
  return normalquit ? storedStartmode : 2;
}

bool PrepareConfigFile() {
  std::string path = SettingsFile::ResolvePath(kConfigFile);
  if (FileExists(path)) {
    MakeWritable(path);
    SettingsFile(kConfigFile, u"GENERAL").WriteInt(u"firstrun", 0);
    return false;
  }
  SettingsFile f(kConfigFile, u"GENERAL");
  for (const auto& d : ConfigSchema()) {
    if (!d.created) continue;
    f.SetSection(d.section);
    f.WriteText(d.key, d.created);
  }
  return true;
}

int ReadConfigInt(u16view section, u16view key) { return Reader(section).Int(key); }
u16 ReadConfigText(u16view section, u16view key) { return Reader(section).Text(key); }
void WriteConfigInt(u16view section, u16view key, int value) {
  SettingsFile(kConfigFile, section).WriteInt(key, value);
}

void LoadEarlySettings(FrameSettings& s, int engineFlags) {
  {
    Reader g(u"GENERAL");
    s.top = g.Int(u"top");
    s.left = g.Int(u"left");
    s.width = g.Int(u"width");
    s.height = g.Int(u"height");
    s.zoomed = g.Bool(u"zoomed");
    s.homepage = g.Text(u"homepage");
    s.storedStartmode = g.Int(u"startmode");
    s.normalquit = g.Bool(u"normalquit");
    s.startmode = EffectiveStartMode(s.storedStartmode, s.normalquit);
    s.checkdefault = g.Bool(u"checkdefault");
    s.ctlpro = g.IntOr(u"ctlpro", engineFlags);
  }
  {
    Reader p(u"POPUPBLOCK");
    s.popupFilter = p.Bool(u"enable");
    s.sound = p.Bool(u"sound");
    s.showInfoBar = p.Bool(u"showinfoBar");
    s.killFlying = p.Bool(u"killflying");
  }
  {
    Reader c(u"CONTENTBLOCK");
    s.contentFilter = c.Bool(u"enable");
    s.adstr = c.Text(u"adstr");
  }
  {
    Reader p(u"PROXYSET");
    s.proxyEnable = p.Bool(u"enable");
    s.curpro = p.Text(u"curpro");
    s.proname = p.Text(u"proname");
    s.exception = p.Text(u"exception");
    s.webprx = p.Text(u"webprx");
  }
  {
    Reader t(u"TABSET");
    s.tabLimit = t.Int(u"limit");
    s.activateNewTabs = t.Bool(u"newactivewnd");
    s.newsequence = t.Int(u"newsequence");
    s.maxwidth = t.Int(u"maxwidth");
    s.minwidth = t.Int(u"minwidth");
  }
}

void LoadFrameCreationSettings(FrameSettings& s) {
  {
    Reader g(u"GENERAL");
    s.skin = g.Text(u"skin");
    s.firstrun = g.Bool(u"firstrun");
  }
  Reader t(u"TABSET");
  s.tabBarPosition = t.Int(u"TabBar_Position");
  s.smallTabs = t.Bool(u"small");
}

void LoadLateSettings(FrameSettings& s) {
  {
    Reader g(u"GENERAL");
    s.bosskey = g.Int(u"bosskey");
    s.minitray = g.Bool(u"minitray");
    s.closetray = g.Bool(u"closetray");
    s.showtray = g.Bool(u"showtray");
    s.encryform = g.Bool(u"encryform");
    s.downloadfolder = g.Text(u"downloadfolder");
    s.quitconfirm = g.Bool(u"quitconfirm");
    s.quitallconfirm = g.Bool(u"quitallconfirm");
    s.watchclipboard = g.Bool(u"watchclipboard");
  }
  {
    Reader t(u"TABSET");
    s.newtablink = t.Bool(u"newtablink");
    s.newactiveopen = t.Bool(u"newactiveopen");
    s.closeactiveseq = t.Int(u"closeactiveseq");
    s.newtabaddress = t.Bool(u"newtabaddress");
    s.newtabhome = t.Bool(u"newtabhome");
    s.newtabfav = t.Bool(u"newtabfav");
    s.newtabhis = t.Bool(u"newtabhis");
    s.newtablocal = t.Bool(u"newtablocal");
    s.newmode = t.Int(u"newmode");
    s.ldbtab = t.Int(u"ldbtab");
    s.mktab = t.Int(u"mktab");
    s.rdbtab = t.Int(u"rdbtab");
    s.ldbbar = t.Int(u"ldbbar");
    s.rdbbar = t.Int(u"rdbbar");
  }
  {
    Reader c(u"CLEANSET");
    s.clean.cache = c.Bool(u"cache");
    s.clean.cookies = c.Bool(u"cookies");
    s.clean.form = c.Bool(u"from");
    s.clean.history = c.Bool(u"history");
    s.clean.address = c.Bool(u"address");
    s.clean.search = c.Bool(u"search");
    s.clean.undo = c.Bool(u"undo");
  }
  {
    Reader q(u"SEARCHSET");
    s.matchcase = q.Bool(u"matchcase");
    s.matchwhole = q.Bool(u"matchwhole");
    s.saveKeyword = q.Bool(u"saveKeyword");
  }
  {
    Reader m(u"MOUSESET");
    s.mdown = m.Int(u"mdown");
    s.rdrag = m.Bool(u"rdrag");
    s.rldown = m.Int(u"rldown");
    s.lrdown = m.Int(u"lrdown");
    // showgesture and showhelp land in the same switch; the later read wins.
    s.showGestureHint = m.Bool(u"showgesture");
    s.showGestureHint = m.Bool(u"showhelp");
    const char16_t* img[4] = {u"imgdragup", u"imgdown", u"imgdragleft", u"imgdragright"};
    const char16_t* txt[4] = {u"txtdragup", u"txtdown", u"txtdragleft", u"txtdragroght"};
    const char16_t* link[4] = {u"linkdragup", u"linkdown", u"linkdrawleft", u"linkdrawright"};
    for (int i = 0; i < 4; ++i) {
      s.imgDrag[i] = m.Int(img[i]);
      s.txtDrag[i] = m.Int(txt[i]);
      s.linkDrag[i] = m.Int(link[i]);
    }
  }
  {
    Reader h(u"HOTKEYSET");
    s.hotkeyEnable = h.Bool(u"enable");
    int count = h.Int(u"count");
    s.functionKeyTexts.clear();
    for (int i = 2; i <= count + 1 && i <= 13; ++i)
      s.functionKeyTexts.push_back(h.file().ReadText(Format(u"F_%d", i), u"", 260));
    s.ceL = h.Text(u"CE_L");
    s.ceR = h.Text(u"CE_R");
    s.seL = h.Text(u"SE_L");
    s.seR = h.Text(u"SE_R");
    s.cseL = h.Text(u"CSE_L");
    s.cseR = h.Text(u"CSE_R");
    s.caeL = h.Text(u"CAE_L");
    s.caeR = h.Text(u"CAE_R");
  }
}

void SaveExitSettingsBeforeSearchWords(const FrameSettings& s) {
  SettingsFile f(kConfigFile, u"GENERAL");
  f.WriteText(u"skin", s.skin);
  f.SetSection(u"POPUPBLOCK");
  f.WriteInt(u"enable", s.popupFilter);
  f.WriteInt(u"killflying", s.killFlying);
  f.SetSection(u"CONTENTBLOCK");
  f.WriteInt(u"enable", s.contentFilter);
  f.SetSection(u"PROXYSET");
  f.WriteInt(u"enable", s.proxyEnable);
  f.WriteText(u"webprx", s.webprx);
  f.WriteText(u"curpro", s.curpro);
  f.WriteText(u"proname", s.proname);
  f.WriteText(u"exception", s.exception);
  f.SetSection(u"TABSET");
  f.WriteInt(u"newactivewnd", s.activateNewTabs);
  f.WriteInt(u"newtablink", s.newtablink);
  f.WriteInt(u"style", s.tabStyle);
  f.WriteInt(u"newsequence", s.newsequence);
  f.WriteInt(u"maxwidth", s.maxwidth);
  f.WriteInt(u"minwidth", s.minwidth);
  f.WriteInt(u"small", s.smallTabs);
}

void SaveExitSettingsAfterSearchWords(const FrameSettings& s) {
  SettingsFile f(kConfigFile, u"SEARCHSET");
  f.WriteInt(u"matchcase", s.matchcase);
  f.WriteInt(u"matchwhole", s.matchwhole);
  f.WriteInt(u"saveKeyword", s.saveKeyword);
  f.SetSection(u"MOUSESET");
  f.WriteInt(u"rdrag", s.rdrag);
}

}  // namespace zel
