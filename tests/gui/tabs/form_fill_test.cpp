// The form filler in the real window: fields typed on a local page are saved (1003), come
// back after a reload (1005), with and without encryption; a saved form is submitted to the
// server when its section asks for it; a fill password and the master password are asked
// and a wrong one fills or opens nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/commands.h"
#include "base/files.h"
#include "formfill/form_codec.h"
#include "frame/gtk/main_window.h"
#include "formfill/formfill_controller.h"
#include "settings/frame_settings.h"
#include "support/dialog_driver.h"
#include "support/pump.h"
#include "support/window_probe.h"
#include "tabs/frame_test.h"
#include "view/gtk/synth_events.h"

using namespace std::chrono_literals;
using namespace zel;
using namespace zel::test;

namespace {

constexpr char kFormPage[] =
    "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Form</title></head><body>"
    "<form id='f' method='post' action='/raw/done'>"
    "<input id='user' name='user'><input id='pass' name='pass' type='password'>"
    "<textarea id='note' name='note'></textarea>"
    "<input id='c1' type='checkbox' name='c1'><input id='c2' type='checkbox' name='c2'>"
    "<input id='g0' type='radio' name='g' value='a'><input id='g1' type='radio' name='g' value='b'>"
    "<input id='g2' type='radio' name='g' value='c'>"
    "<select id='city' name='city'><option>x</option><option>y</option><option>z</option></select>"
    "<input type='hidden' name='token' value='t'></form>"
    "<iframe id='inner' src='/raw/inner'></iframe></body></html>";
// A frame of the same origin: its fields come after the page's own.
constexpr char kInnerPage[] =
    "<!DOCTYPE html><html><head><title>Inner</title></head><body>"
    "<input id='deep' name='deep'></body></html>";

// Every field's state as one text.
constexpr char kFieldsScript[] =
    "(function(){var e=function(i){return document.getElementById(i)};"
    "return [e('user').value,e('pass').value,e('note').value,e('c1').checked,e('c2').checked,"
    "e('g0').checked,e('g1').checked,e('g2').checked,e('city').selectedIndex,"
    "frames[0].document.getElementById('deep').value].join('|');})()";

std::string Utf16File(const std::u16string& text) { return "\xFF\xFE" + EncodeUtf16Le(text); }

class FormFillTest : public FrameTest {
 protected:
  void BeforeStart() override {
    server_.SetPage("/raw/form", kFormPage);
    server_.SetPage("/raw/done", TitledPage("Done"));
    server_.SetPage("/raw/inner", kInnerPage);
    if (!file_.empty()) {
      CreateFolderLevels(ProfileFolder());
      WriteFileAtomic(ProfileFolder() + "/formdata.ini", Utf16File(file_));
    }
  }
  std::string DataPath() const { return ProfileFolder() + "/formdata.ini"; }
  u16 PageUrl() const { return FromUtf8(server_.Url("/raw/form")); }

  void Type(CChildFrame* tab, const std::string& id, const std::u16string& text) {
    Click(tab, id);
    ASSERT_TRUE(PumpUntil([&] { return Run(tab, "document.activeElement.id") == "\"" + id + "\""; }));
    // One key at a time, each waited for: the page takes keys on its own time.
    std::string value = "document.getElementById('" + id + "').value";
    for (size_t i = 0; i < text.size(); ++i) {
      guint kv = text[i] == u'\n' ? GDK_KEY_Return : gdk_unicode_to_keyval(text[i]);
      SynthKey(PageOf(tab), kv, true);
      std::string want = "\"" + Json(text.substr(0, i + 1)) + "\"";
      ASSERT_TRUE(PumpUntil([&] { return Run(tab, value) == want; })) << Run(tab, value);
    }
  }
  std::string Fields(CChildFrame* tab) { return Run(tab, kFieldsScript); }
  // Text as it stands inside a JSON string.
  static std::string Json(const std::u16string& text) {
    std::string out;
    for (char c : ToUtf8(text)) out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
  }
  // Answers the next "输入密码" with text (from inside its own loop).
  void AnswerPassword(const std::string& text, bool* asked) {
    Glib::signal_timeout().connect(
        [text, asked] {
          for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
            if (w->get_name() != "form-password" || !w->get_mapped()) continue;
            GtkWidget* entry = FindWidget(GTK_WIDGET(w->gobj()), "form-password-text");
            gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
            static_cast<Gtk::Dialog*>(w)->response(Gtk::RESPONSE_OK);
            *asked = true;
            return false;
          }
          return true;
        },
        20);
  }
  bool Told(u16view text) {
    for (const u16& m : prompts_.messages)
      if (m == text) return true;
    return false;
  }

  u16 file_;  // the form-data file the profile starts with
};

TEST_F(FormFillTest, TypedFieldsComeBackAfterAReload) {
  struct Case {
    bool encrypt;
    std::u16string user, note;
  } cases[] = {
      {false, u"bob", u"one\ntwo"},
      {true, u"张三", u"第一行\n第二行"},
  };
  Gtk::ToolButton* button = probe().StandardButton(cmd::kFormFill);
  ASSERT_NE(button, nullptr);
  // A tool item's tooltip is its button's.
  gchar* tip = gtk_widget_get_tooltip_text(gtk_bin_get_child(GTK_BIN(button->gobj())));
  EXPECT_STREQ(tip, "填表");
  g_free(tip);
  // In a window wide enough for the whole bar the button is on it.
  window().unmaximize();
  window().resize(1600, 700);
  EXPECT_TRUE(PumpUntil([&] { return button->get_mapped(); }));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encrypt ? "encrypted" : "plain");
    ::unlink(DataPath().c_str());
    frame().settings().encryform = c.encrypt;
    CChildFrame* tab = OpenAndWait("/raw/form", "Form");
    ASSERT_NE(tab, nullptr);
    // The page takes clicks and keys only in front.
    ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == tab; }));
    Type(tab, "user", c.user);
    Type(tab, "pass", u"s3cret");
    Type(tab, "note", c.note);
    Click(tab, "c2");
    Click(tab, "g2");
    Run(tab, "var s=document.getElementById('city');s.selectedIndex=2;"
             "s.dispatchEvent(new Event('change'));"
             "frames[0].document.getElementById('deep').value='in frame';0");
    std::string typed =
        Json(c.user) + "|s3cret|" + Json(c.note) + "|false|true|false|false|true|2|in frame";
    ASSERT_TRUE(PumpUntil([&] { return Fields(tab) == "\"" + typed + "\""; })) << Fields(tab);

    frame().OnCommand(cmd::kFormSave);
    // user, pass, note, c1, c2, the radio group, the select and the frame's field.
    ASSERT_TRUE(PumpUntil([&] { return probe().StatusText() == "表单数据保存计数:8"; }))
        << probe().StatusText();
    struct stat st;
    ASSERT_EQ(stat(DataPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string bytes = *ReadFileBytes(DataPath());
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    u16 text = DecodeUtf16Le(bytes);
    EXPECT_NE(text.find(u"[" + PageUrl() + u"]\r\n"), u16::npos);
    EXPECT_NE(text.find(u"g=2\r\n"), u16::npos);
    // Encrypted, the typed text is nowhere in the file.
    EXPECT_EQ(text.find(u"s3cret") == u16::npos, c.encrypt);

    frame().OnCommand(cmd::kRefresh);
    ASSERT_TRUE(PumpUntil([&] { return Fields(tab) == "\"|||false|false|false|false|false|0|\""; }))
        << Fields(tab);
    frame().OnCommand(cmd::kFormFill);
    ASSERT_TRUE(PumpUntil([&] { return probe().StatusText() == "表单数据填充计数:5"; }))
        << probe().StatusText();
    EXPECT_EQ(Fields(tab), "\"" + typed + "\"");
    // Closing the last tab opens a blank one: the next case starts when it is in front.
    frame().OnCommand(cmd::kCloseTab);
    ASSERT_TRUE(PumpUntil([&] {
      CChildFrame* a = frame().ActiveChild();
      return frame().TabIndexOf(tab) < 0 && a && a->view() && a->view()->loadState < 0;
    }));
  }
}

class FormSubmitTest : public FormFillTest {
 protected:
  void BeforeStart() override {
    file_ = u"[" + PageUrl() + u"]\r\nFormAutoSubmit=1\r\nuser=bob\r\ng=1\r\n";
    FormFillTest::BeforeStart();
  }
};

TEST_F(FormSubmitTest, AFormThatAsksForItIsSubmitted) {
  CChildFrame* tab = OpenAndWait("/raw/form", "Form");
  ASSERT_NE(tab, nullptr);
  frame().OnCommand(cmd::kFormFill);
  ASSERT_TRUE(PumpUntil([&] { return !server_.Posts().empty(); }));
  auto post = server_.Posts().front();
  EXPECT_EQ(post.path, "/raw/done");
  EXPECT_EQ(post.body, "user=bob&pass=&note=&g=b&city=x&token=t");
  EXPECT_TRUE(PumpUntil([&] { return tab->caption == u"Done"; }));
}

class FormPasswordTest : public FormFillTest {
 protected:
  void BeforeStart() override {
    file_ = u"[" + PageUrl() + u"]\r\nFormFillPwd=" + EncodePassword(u"right") +
            u"\r\nuser=bob\r\n";
    FormFillTest::BeforeStart();
  }
};

TEST_F(FormPasswordTest, AFillPasswordIsAskedAndAWrongOneFillsNothing) {
  struct Case {
    std::string typed;
    bool fills;
  } cases[] = {{"wrong", false}, {"right", true}};
  CChildFrame* tab = OpenAndWait("/raw/form", "Form");
  ASSERT_NE(tab, nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    prompts_.messages.clear();
    bool asked = false;
    AnswerPassword(c.typed, &asked);
    frame().OnCommand(cmd::kFormFill);
    EXPECT_TRUE(asked);
    EXPECT_EQ(Told(u"密码错误"), !c.fills);
    if (c.fills) {
      EXPECT_TRUE(PumpUntil([&] { return Run(tab, "document.getElementById('user').value") == "\"bob\""; }));
    } else {
      // Scripts run in order: one run now answers after any fill would have.
      EXPECT_EQ(Run(tab, "document.getElementById('user').value"), "\"\"");
    }
  }
}

TEST_F(FormFillTest, TheMasterPasswordGuardsTheManager) {
  auto& forms = frame().controller<FormFillController>();
  forms.SetMasterPassword(EncodePassword(u"master"));
  struct stat st;
  ASSERT_EQ(stat((ProfileFolder() + "/formpwd.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  bool asked = false, opened = false;
  AnswerPassword("not it", &asked);
  // Should the manager open all the same, it is closed again so the test can end.
  sigc::connection watch = Glib::signal_timeout().connect(
      [&opened] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels())
          if (w->get_name() == "form-manager" && w->get_mapped()) {
            opened = true;
            static_cast<Gtk::Dialog*>(w)->response(Gtk::RESPONSE_CANCEL);
          }
        return true;
      },
      20);
  frame().OnCommand(cmd::kFormManager);
  watch.disconnect();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(Told(u"密码错误"));
  EXPECT_FALSE(opened);
  // The password is read back by the next start.
  forms.OnSettingsLoaded();
  EXPECT_EQ(forms.masterPassword(), EncodePassword(u"master"));
}

// A wiki's login page: the login form, and the page-tools form whose menu goes where it is
// set as soon as it changes. Every input and change event is written down with whether
// both login fields held their values by then.
constexpr char kWikiPage[] =
    "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Login</title></head><body>"
    "<form id='login' method='post' action='/raw/loggedin'>"
    "<input id='u' name='u'><input id='p' name='p' type='password'></form>"
    "<form id='tools' action='/raw/tool'><select id='do' name='do' "
    "onchange=\"location.href='/raw/tool?do='+this.value\">"
    "<option value=''>Tools</option><option value='edit'>Edit</option></select></form>"
    "<script>window.seen=[];['u','p','do'].forEach(function(id){"
    "['input','change'].forEach(function(t){document.getElementById(id).addEventListener(t,"
    "function(){var u=document.getElementById('u'),p=document.getElementById('p');"
    "seen.push(id+':'+t+':'+(u.value=='bob'&&p.value=='pw'?1:0));});});});</script>"
    "</body></html>";

class WikiLoginTest : public FormFillTest {
 protected:
  void BeforeStart() override {
    server_.SetPage("/raw/wiki", kWikiPage);
    server_.SetPage("/raw/tool", TitledPage("Tool"));
    // The saved record holds the tools menu as it stood (its first entry) and a login
    // field whose value is already the page's.
    file_ = u"[" + FromUtf8(server_.Url("/raw/wiki")) + u"]\r\nu=bob\r\np=pw\r\ndo=0\r\n";
    FormFillTest::BeforeStart();
  }
};

// Filling sets both login fields, tells the page only of those that changed and only when
// all are set, and leaves the menu that already shows its stored entry alone: the page stays.
TEST_F(WikiLoginTest, FillingLeavesFieldsThatHoldTheirValueAlone) {
  CChildFrame* tab = OpenAndWait("/raw/wiki", "Login");
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return frame().ActiveChild() == tab; }));
  Run(tab, "document.getElementById('u').value='bob';0");  // typed before, by the user
  Gtk::ToolButton* button = probe().StandardButton(cmd::kFormFill);
  ASSERT_NE(button, nullptr);
  gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(button->gobj()))));
  ASSERT_TRUE(PumpUntil([&] { return probe().StatusText() == "表单数据填充计数:3"; }))
      << probe().StatusText();
  EXPECT_EQ(Run(tab, "[document.getElementById('u').value,document.getElementById('p').value,"
                     "document.getElementById('do').selectedIndex,seen.join(' ')].join('|')"),
            "\"bob|pw|0|p:input:1 p:change:1\"");
  // Nothing navigated: a moment for a navigation that should not come.
  PumpFor(300ms);
  EXPECT_EQ(server_.Hits("/raw/tool"), 0);
  EXPECT_EQ(tab->caption, u"Login");
}

// 工具 → 表单 → 删除表单数据 asks first; No keeps every saved form, Yes deletes them.
TEST_F(WikiLoginTest, DeletingTheFormDataAsksFirst) {
  ASSERT_TRUE(FileExists(DataPath()));
  GtkWidget* bar = probe().Find("menu-bar");
  prompts_.yesAnswers = {false};
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "表单", "删除表单数据"}));
  ASSERT_EQ(prompts_.questions.size(), 1u);
  EXPECT_EQ(prompts_.questions.back(), u"您真的要删除所有已保存的表单数据?");
  EXPECT_TRUE(FileExists(DataPath()));
  prompts_.yesAnswers = {true};
  ASSERT_TRUE(ActivateMenuPath(bar, {"工具", "表单", "删除表单数据"}));
  EXPECT_EQ(prompts_.questions.size(), 2u);
  EXPECT_FALSE(FileExists(DataPath()));
}

}  // namespace
