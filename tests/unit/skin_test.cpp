// The skin description: value kinds, the style rules, command icons and offsets, damaged
// files, the style sheet, the skin folders and the skin controller's choice.
#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <fstream>

#include "base/commands.h"
#include "base/files.h"
#include "fakes/frame_fixture.h"
#include "fakes/temp_dir.h"
#include "skin/skin_controller.h"
#include "skin/skin_css.h"
#include "skin/skin_files.h"
#include "skin/skin_reader.h"

using namespace zel;
using namespace zel::test;

namespace {

// A width x height PNG of one colour (RGBA).
std::string Png(int width, int height, uint32_t rgba = 0x336699ff) {
  SkinImage im;
  im.width = width;
  im.height = height;
  for (int i = 0; i < width * height; ++i)
    for (int s : {24, 16, 8, 0}) im.rgba.push_back(uint8_t(rgba >> s));
  return EncodePng(im);
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t c = 0xFFFFFFFF;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

void Write(const std::string& path, const std::string& bytes) {
  CreateFolderLevels(DirName(path));
  std::ofstream(path, std::ios::binary) << bytes;
}

SkinData Read(const std::string& ini, const std::string& folder = "/nonexistent") {
  SkinData s;
  ReadSkin(IniDocument::Parse(ini), folder, nullptr, s);
  return s;
}

TEST(SkinColor, SixHexDigitsAreStoredWithRedAndBlueSwapped) {
  struct Case {
    const char16_t* text;
    std::optional<SkinColor> stored;
  } cases[] = {
      {u"0000FF", 0x00FF0000}, {u"FF0000", 0x000000FF}, {u"00ff00", 0x0000FF00},
      {u"123456", 0x00563412}, {u" ABCDEF ", 0x00EFCDAB}, {u"", std::nullopt},
      {u"xyz", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSkinColor(c.text), c.stored) << ToUtf8(c.text);
  EXPECT_EQ(CssColor(0x00FF0000), "#0000ff");
  EXPECT_EQ(CssColor(*ParseSkinColor(u"1A2B3C")), "#1a2b3c");
  // Absent colours are black; optional ones stay absent.
  SkinData s = Read("[Colors]\r\nCaption.Text=FF0000\r\n");
  EXPECT_EQ(s.captionText, 0x000000FFu);
  EXPECT_EQ(s.menuText, 0u);
  EXPECT_FALSE(s.tabInsertSign);
  EXPECT_FALSE(s.treeCtrl);
  EXPECT_EQ(Read("[Colors]\r\nTab.InsertSign=0000FF\r\n").tabInsertSign, 0x00FF0000u);
}

TEST(SkinStyle, TheGradientIsReadOnlyForGFillAndTheImageOnlyFor3Image) {
  TempDir dir;
  Write(dir / "menu.png", Png(8, 8));
  struct Case {
    std::string ini;
    bool menuGradient, menuImage, panelGradient;
  } cases[] = {
      // 3Image without its image: neither image nor gradient.
      {"[Backgrounds]\nMenu.Style=3Image\nMenu.Fill.ColorStart=FF0000\n", false, false, true},
      {"[Backgrounds]\nMenu.Style=3Image\nMenu.Image=menu.png\n", false, true, true},
      {"[Backgrounds]\nMenu.Style=GFill\nMenu.Image=menu.png\n", true, false, true},
      // Any style but 3Image is the gradient.
      {"[Backgrounds]\nMainPanel.Style=Marble\nMenu.Style=\n", true, false, true},
      {"[Backgrounds]\nMainPanel.Style=3image\n", true, false, false},
  };
  for (const Case& c : cases) {
    SkinData s = Read(c.ini, dir.path());
    EXPECT_EQ(s.menu.has_value(), c.menuGradient) << c.ini;
    EXPECT_EQ(s.menuImage.image != nullptr, c.menuImage) << c.ini;
    EXPECT_EQ(s.mainPanel.has_value(), c.panelGradient) << c.ini;
  }
  SkinData s = Read("[Backgrounds]\nMenu.Style=3Image\n");
  std::string css = SkinCss(s, [](const SkinImagePtr&) { return std::string("file:///x.png"); });
  EXPECT_EQ(css.find("menu, .menu, .context-menu {\n  background"), std::string::npos) << css;
  SkinData panel = Read("[Backgrounds]\nMainPanel.Style=Marble\nMainPanel.Fill.ColorStart=0000FF\n"
                        "MainPanel.Fill.ColorEnd=00FF00\n");
  EXPECT_NE(SkinCss(panel, nullptr).find("#main-window {\n  background-color: #0000ff;\n"
                                         "  background-image: linear-gradient(to bottom, #0000ff, #00ff00);"),
            std::string::npos);
}

TEST(SkinOffsets, ACommandOffsetIsReadWhenPresentAndAReloadReplacesIt) {
  SkinData s;
  ReadSkin(IniDocument::Parse("[Icons]\nBack.Offset=3 -2\nRefresh.Offset=4\n"), "/x", nullptr, s);
  EXPECT_EQ(s.commandOffsets[cmd::kBack], std::make_pair(3, -2));
  EXPECT_EQ(s.commandOffsets[cmd::kRefresh], std::make_pair(4, 0));
  EXPECT_EQ(s.commandOffsets.count(cmd::kForward), 0u);
  ReadSkin(IniDocument::Parse("[Icons]\nBack.Offset= 7  9\n"), "/x", nullptr, s);
  EXPECT_EQ(s.commandOffsets[cmd::kBack], std::make_pair(7, 9));
  EXPECT_EQ(s.commandOffsets.size(), 2u);
  // Only the keys with an offset in the table: Home has one, New does not.
  ReadSkin(IniDocument::Parse("[Icons]\nNew.Offset=1 1\nHome.Offset=1 2\n"), "/x", nullptr, s);
  EXPECT_EQ(s.commandOffsets.count(cmd::kNewBlankPage), 0u);
  EXPECT_EQ(s.commandOffsets[cmd::kHome], std::make_pair(1, 2));
}

TEST(SkinIcons, DefaultSizeChoosesTheSectionOfTheToolbarIcons) {
  TempDir dir;
  Write(dir / "big.png", Png(24, 24));
  Write(dir / "small.png", Png(16, 16));
  Write(dir / "hover.png", Png(16, 16, 0xff0000ff));
  const std::string icons = "[Icons]\nBack=big.png\nStop=big.png\nSkinSelect=big.png\n"
                            "[Icons16]\nBack=small.png\nBack.Hover=hover.png\nGo=small.png\n"
                            "_Add=small.png\n";
  struct Case {
    std::string global;
    int backWidth;
  } cases[] = {{"[Global]\nDefaultSize=16 16\n", 16}, {"[Global]\nDefaultSize=24 24\n", 24}, {"", 24}};
  for (const Case& c : cases) {
    SkinData s = Read(c.global + icons, dir.path());
    SkinImagePtr back = s.CommandIcon(cmd::kBack, IconState::Normal);
    ASSERT_TRUE(back) << c.global;
    EXPECT_EQ(back->width, c.backWidth) << c.global;
    EXPECT_EQ(s.CommandIcon(cmd::kBack, IconState::Hover) != nullptr, c.backWidth == 16);
    // Go falls back to Icons16; _Add is always from there; SkinSelect always from Icons.
    EXPECT_TRUE(s.CommandIcon(cmd::kGo, IconState::Normal)) << c.global;
    EXPECT_TRUE(s.CommandIcon(cmd::kAddToFavorites, IconState::Normal));
    EXPECT_TRUE(s.CommandIcon(cmd::kSkinMenu, IconState::Normal));
  }
  // The style sheet puts the icon on the command's button, with its hover look.
  SkinData s = Read("[Global]\nDefaultSize=16 16\n" + icons, dir.path());
  std::string css = SkinCss(s, [](const SkinImagePtr& i) { return "file:///" + BaseName(i->file); });
  EXPECT_NE(css.find("#command-817 image, image#command-817 {\n  color: transparent;"),
            std::string::npos) << css;
  EXPECT_NE(css.find("#command-817:hover image, #command-817 button:hover image {\n"
                     "  background-image: url(\"file:///hover.png\");"),
            std::string::npos);
}

TEST(SkinParts, PartImagesKeepTheirOffsetsAndModeAndBecomeBorderImages) {
  TempDir dir;
  Write(dir / "tab.png", Png(20, 10));
  SkinData s = Read("[TabBar]\nTab.Active.Image=tab.png\nTab.Active.Image.StartOffset=3\n"
                    "Tab.Active.Image.EndOffset=4\nTab.Active.Image.Stretch=1\n"
                    "Tab.Normal.Image=tab.png\nTab.Normal.Image.EndOffset=30\n",
                    dir.path());
  EXPECT_EQ(s.tabActive.startOffset, 3);
  EXPECT_EQ(s.tabActive.endOffset, 4);
  EXPECT_EQ(s.tabActive.mode, PartMode::Stretch);
  EXPECT_EQ(s.tabNormal.mode, PartMode::Tile);
  EXPECT_EQ(s.tabHover.image, nullptr);
  // Both name the same file: it is read once.
  EXPECT_EQ(s.tabActive.image, s.tabNormal.image);
  SkinImageUrl url = [](const SkinImagePtr&) { return std::string("file:///t.png"); };
  EXPECT_NE(CssPartImage(s.tabActive, url).find("border-image: url(\"file:///t.png\") 0 4 0 3 stretch;"),
            std::string::npos);
  // A slice wider than the image is cut to it.
  EXPECT_NE(CssPartImage(s.tabNormal, url).find("0 20 0 0 repeat;"), std::string::npos);
  EXPECT_EQ(CssPartImage(s.tabHover, url), "");
  // No address for the image: the element keeps the toolkit's drawing.
  EXPECT_EQ(CssPartImage(s.tabActive, [](const SkinImagePtr&) { return std::string(); }), "");

  // A checked switch without a checked image of its own looks pressed.
  Write(dir / "pressed.png", Png(12, 24));
  Write(dir / "checked.png", Png(10, 24));
  auto checkedLook = [&](const std::string& backgrounds) {
    SkinData k = Read("[Backgrounds]\n" + backgrounds, dir.path());
    std::string css = SkinCss(k, [](const SkinImagePtr& i) { return "file:///" + BaseName(i->file); });
    size_t rule = css.find("#status-bar button:checked, #tab-strip > header > box button:checked {");
    if (rule == std::string::npos) return std::string("no rule");
    size_t image = css.find("border-image: url(\"file:///", rule);
    size_t end = css.find('}', rule);
    return image < end ? css.substr(image + 27, css.find('"', image + 27) - image - 27) : std::string();
  };
  EXPECT_EQ(checkedLook("Button.Pressed.Image=pressed.png\n"), "pressed.png");
  EXPECT_EQ(checkedLook("Button.Pressed.Image=pressed.png\nButton.Checked.Image=checked.png\n"),
            "checked.png");
  // Neither: no rule, the theme draws it.
  EXPECT_EQ(checkedLook(""), "no rule");
}

TEST(SkinFiles, DamagedFilesLoadWithoutTheirElements) {
  TempDir dir;
  std::string good = Png(4, 4);
  Write(dir / "good.png", good);
  Write(dir / "truncated.png", good.substr(0, good.size() - 20));
  // A header that claims 20000 x 20000 pixels (with a correct CRC) and a tiny body.
  std::string huge = Png(1, 1);
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  std::string ihdr = "IHDR" + be32(20000) + be32(20000) + std::string("\x08\x06\0\0\0", 5);
  huge.replace(12, 17, ihdr);
  huge.replace(29, 4, be32(Crc32(ihdr)));
  Write(dir / "huge.png", huge);
  Write(dir / "empty.png", "");
  Write(dir / "text.png", "not an image at all");
  // A named pipe would hold a read for ever.
  ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
  Write(dir / "mskin.ini",
        "[Backgrounds]\nMainPanel.Style=3Image\nMainPanel.Image=good.png\n"
        "StatusBar.Image=truncated.png\n[TabBar]\nTab.Normal.Image=huge.png\n"
        "Tab.Hover.Image=empty.png\nTab.Active.Image=text.png\nBackground.Image=../good.png\n"
        "InactiveBackground.Image=/etc/passwd\n[Icons16]\nCaption=missing.png\nPage=pipe.png\n");
  SkinData s;
  ASSERT_TRUE(LoadSkinFolder(dir.path(), nullptr, s));
  EXPECT_TRUE(s.mainPanelImage.image);
  for (const PartImage* p : {&s.statusBar, &s.tabNormal, &s.tabHover, &s.tabActive,
                             &s.tabBarBackground, &s.tabBarInactiveBackground})
    EXPECT_EQ(p->image, nullptr);
  EXPECT_EQ(s.captionIcon, nullptr);
  EXPECT_EQ(s.pageIcon, nullptr);
  std::string css = SkinCss(s, [](const SkinImagePtr& i) { return "file:///" + BaseName(i->file); });
  EXPECT_NE(css.find("good.png"), std::string::npos);
  for (const char* name : {"truncated.png", "huge.png", "empty.png", "text.png", "pipe.png", "passwd"})
    EXPECT_EQ(css.find(name), std::string::npos) << name;
  EXPECT_EQ(DecodePng(huge), nullptr);

  // mskin.ini of binary garbage: a skin of defaults.
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += char((i * 7919 + 13) % 256);
  Write(dir / "mskin.ini", garbage);
  ASSERT_TRUE(LoadSkinFolder(dir.path(), nullptr, s));
  EXPECT_EQ(s.mainPanelImage.image, nullptr);
  EXPECT_EQ(s.editHeight, 22);
  EXPECT_FALSE(SkinCss(s, nullptr).empty());
  // No mskin.ini: the skin stays as it was.
  s.editHeight = 99;
  EXPECT_FALSE(LoadSkinFolder(dir / "nothing", nullptr, s));
  EXPECT_EQ(s.editHeight, 99);
}

TEST(SkinFiles, PngsKeepTheirAlphaAndTheCleanCopiesReadBack) {
  SkinImage im;
  im.width = 2;
  im.height = 1;
  im.rgba = {255, 0, 0, 255, 0, 0, 255, 64};
  std::string png = EncodePng(im);
  auto back = DecodePng(png);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->alpha);
  EXPECT_EQ(back->rgba, im.rgba);
  SkinImageFiles files;
  files.BeginSheet();
  auto shared = std::make_shared<SkinImage>(im);
  std::string url = files.UrlOf(shared);
  ASSERT_EQ(url.rfind("file:///", 0), 0u) << url;
  EXPECT_EQ(files.UrlOf(shared), url);
  std::string path = JoinPath(files.folder(), BaseName(url.substr(7)));
  auto copy = ReadFileBytes(path);
  ASSERT_TRUE(copy);
  EXPECT_EQ(DecodePng(*copy)->rgba, im.rgba);
  // The next sheet's copies are new files; the old ones go once it is applied.
  files.BeginSheet();
  EXPECT_NE(files.UrlOf(shared), url);
  files.EndSheet();
  EXPECT_FALSE(FileExists(path));
}

TEST(SkinFiles, TheCopiesOfARunThatIsGoneAreRemovedAndOthersStay) {
  TempDir dir;
  const std::string me = "zel-skin-" + std::to_string(::getpid()) + "-aaaaaa";
  struct Case {
    std::string folder;
    bool stays;
  } cases[] = {
      {"zel-skin-2147483646-Ab12Cd", false},  // no such process
      {me, true},
      {"zel-skin-1-Ab12Cd", true},            // a living process
      {"zel-skin-Ab12Cd", true},              // no process in the name
      {"zel-skin--x", true},
      {"zel-skin-99999999999999-x", true},    // not a process number
      {"other-2147483646-x", true},
  };
  for (const Case& c : cases) Write(dir / (c.folder + "/1-0.png"), "png");
  Write(dir / "zel-skin-2147483645-file", "a file, not a folder");
  RemoveStaleSkinFolders(dir.path());
  for (const Case& c : cases) EXPECT_EQ(FileExists(dir / (c.folder + "/1-0.png")), c.stays) << c.folder;
  EXPECT_FALSE(DirExists(dir / "zel-skin-2147483646-Ab12Cd"));
  EXPECT_TRUE(DirExists(dir / me));
  EXPECT_TRUE(FileExists(dir / "zel-skin-2147483645-file"));
}

TEST(SkinFolders, SkinsAreTheFoldersWithMskinIniAndLanguagesNameThemselves) {
  TempDir dir;
  Write(dir / "skin/Default/mskin.ini", "[Global]\n");
  Write(dir / "skin/ink/mskin.ini", "[Global]\n");
  Write(dir / "skin/Broken/readme.txt", "");
  Write(dir / "skin/mskin.ini", "");
  EXPECT_EQ(ListSkinFolders(dir / "skin"), (std::vector<u16>{u"Default", u"ink"}));
  Write(dir / "Language/en.ini", "[Strings]\r\n1402=English\r\n1403=Other\r\n");
  Write(dir / "Language/de.ini", "\xEF\xBB\xBF[Strings]\n1402=Deutsch\n");
  Write(dir / "Language/nameless.ini", std::string("\0\1\2", 3));
  Write(dir / "Language/notes.txt", "[Strings]\n1402=No\n");
  auto languages = ListLanguageFiles(dir / "Language");
  ASSERT_EQ(languages.size(), 3u);
  EXPECT_EQ(languages[0].file, "de.ini");
  EXPECT_EQ(languages[0].name, u"Deutsch");
  EXPECT_EQ(languages[1].name, u"English");
  EXPECT_EQ(languages[2].name, u"nameless");
}

TEST(SkinFolders, TheBorderSwitchIsWrittenIntoTheSkinsOwnFile) {
  TempDir dir;
  Write(dir / "mskin.ini", "; mine\r\n[Global]\r\nCustomFrame=1\r\nEdit.Height=30\r\n[Colors]\r\nMenu.Border=FF0000\r\n");
  ::chmod((dir / "mskin.ini").c_str(), 0640);
  ASSERT_TRUE(WriteCustomFrame(dir.path(), false));
  EXPECT_EQ(*ReadFileBytes(dir / "mskin.ini"),
            "; mine\r\n[Global]\r\nCustomFrame=0\r\nEdit.Height=30\r\n[Colors]\r\nMenu.Border=FF0000\r\n");
  struct stat st {};
  ::stat((dir / "mskin.ini").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_FALSE(WriteCustomFrame(dir / "none", true));
  EXPECT_FALSE(FileExists(dir / "none/mskin.ini"));
}

class FakeSkinView : public SkinView {
 public:
  void ApplyStyle(const std::string& css) override { sheets.push_back(css); }
  void SetCustomFrame(bool on) override {
    custom = on;
    ++frameChanges;
  }
  bool CustomFrame() const override { return custom; }
  void SetFrameCornerRadius(int r) override { cornerRadius = r; }
  void SetWindowIcon(const SkinImagePtr&) override {}
  void SetTreeIcons(const SkinImagePtr& page, const SkinImagePtr& closed,
                    const SkinImagePtr& open) override {
    treeIcons = {page, closed, open};
  }
  void WindowCommand(int id) override { windowCommands.push_back(id); }
  void OpenSkinMenu() override {}
  std::shared_ptr<SkinImage> DecodeImage(std::string_view) override { return nullptr; }
  std::vector<std::string> sheets;
  std::vector<SkinImagePtr> treeIcons;
  int cornerRadius = -1;
  bool custom = false;
  int frameChanges = 0;
  std::vector<int> windowCommands;
};

class SkinChoice : public FrameFixture {
 protected:
  SkinChoice() {
    const std::string root = profile_.dir() / "skin";
    Write(root + "/Default/mskin.ini", "[Global]\nCustomFrame=0\n[Backgrounds]\nMainPanel.Fill.ColorStart=111111\n");
    Write(root + "/Ink/mskin.ini", "[Global]\nCustomFrame=1\n[Backgrounds]\nMainPanel.Fill.ColorStart=222222\n"
                                   "[Icons16]\nPage=page.png\nFolderOpen=open.png\n");
    Write(root + "/Ink/page.png", Png(16, 16));
    Write(root + "/Ink/open.png", Png(16, 15));
    Write(root + "/Empty/readme.txt", "");
    frame_.SetProgramFolder(FromUtf8(profile_.dir().path()));
    skins().SetView(&view_);
  }
  SkinController& skins() { return frame_.controller<SkinController>(); }
  bool Checked(int id) { return frame_.CommandChecked(id).value_or(false); }
  FakeSkinView view_;
};

TEST_F(SkinChoice, TheSettingsSkinOrDefaultIsLoadedAndTheMenuChecksItByName) {
  frame_.settings().skin = u"default";  // the first-run value: no such folder on Linux
  skins().LoadStartSkin();
  EXPECT_EQ(skins().currentName(), u"Default");
  EXPECT_EQ(frame_.settings().skin, u"Default");
  EXPECT_EQ(view_.frameChanges, 1);
  EXPECT_FALSE(view_.custom);
  ASSERT_EQ(view_.sheets.size(), 1u);
  EXPECT_NE(view_.sheets[0].find("#111111"), std::string::npos);
  const SkinMenu& menu = skins().menu();
  ASSERT_EQ(menu.skins.size(), 2u);
  EXPECT_EQ(menu.skins[1].text, u"Ink");
  EXPECT_EQ(menu.skins[1].id, cmd::kSkinFirst + 1);
  EXPECT_TRUE(Checked(cmd::kSkinFirst));
  // Choosing Ink: its sheet, its name for the settings; the border stays (first load only).
  frame_.OnCommand(cmd::kSkinFirst + 1);
  EXPECT_EQ(skins().currentName(), u"Ink");
  EXPECT_EQ(frame_.settings().skin, u"Ink");
  EXPECT_TRUE(Checked(cmd::kSkinFirst + 1));
  EXPECT_FALSE(Checked(cmd::kSkinFirst));
  EXPECT_NE(view_.sheets.back().find("#222222"), std::string::npos);
  EXPECT_EQ(view_.frameChanges, 1);
  // Its tree icons go to the favorites tree; the one it lacks stays the theme's.
  ASSERT_EQ(view_.treeIcons.size(), 3u);
  ASSERT_TRUE(view_.treeIcons[0] && view_.treeIcons[2]);
  EXPECT_EQ(view_.treeIcons[0]->width, 16);
  EXPECT_EQ(view_.treeIcons[1], nullptr);
  EXPECT_EQ(view_.treeIcons[2]->height, 15);
  // A name whose folder is gone falls back to Default.
  skins().SelectSkin(u"Gone");
  EXPECT_EQ(skins().currentName(), u"Default");
}

TEST_F(SkinChoice, TheLanguageMenuListsTheStringTablesAfterTheBuiltInLanguage) {
  Write(profile_.dir() / "Language/zh-TW.ini", "[Strings]\n1402=繁體中文\n");
  Write(profile_.dir() / "Language/en.ini", "[Strings]\n1402=English\n");
  const SkinMenu& menu = skins().menu();
  ASSERT_EQ(menu.languages.size(), 3u);
  EXPECT_EQ(menu.languages[0].id, cmd::kLanguageBuiltIn);
  EXPECT_EQ(menu.languages[1].text, u"English");
  EXPECT_EQ(menu.languages[1].id, cmd::kLanguageFirst);
  EXPECT_EQ(menu.languages[2].text, u"繁體中文");
  EXPECT_TRUE(Checked(cmd::kLanguageBuiltIn));
  frame_.OnCommand(cmd::kLanguageFirst + 1);
  EXPECT_TRUE(Checked(cmd::kLanguageFirst + 1));
  EXPECT_FALSE(Checked(cmd::kLanguageBuiltIn));
  // The menu is handed out once; the later asks find it unchanged.
  EXPECT_TRUE(skins().MenuIfStale());
  EXPECT_FALSE(skins().MenuIfStale());
}

}  // namespace
