#include "app/gtk/browser_app.h"

#include <glib-unix.h>
#include <gtkmm.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "app/config_schema.h"
#include "app/frame_settings.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "base/files.h"
#include "frame/commands.h"
#include "frame/gtk/main_window.h"
#include "frame/main_frame.h"
#include "frame/menu_model.h"
#include "platform/ini_registry.h"
#include "platform/linux/glib_loop.h"
#include "platform/linux/gtk_prompts.h"
#include "platform/linux/instance_channel.h"

namespace zel {

namespace {

// The page-element flags of a fresh engine: images, video and sound on, scripts allowed.
constexpr int kEngineDefaultElementFlags = 0x10 | 0x20 | 0x40;

std::string ExecutableFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  buf[n] = '\0';
  return DirName(buf);
}

// Message boxes of a second instance, which has no window of its own.
void ShowSenderError(u16view text) {
  if (gtk_init_check(nullptr, nullptr)) {
    GtkPrompts prompts;
    prompts.Message(text, kAppTitle, PromptIcon::Error);
  } else {
    std::cerr << ToUtf8(text) << "\n";
  }
}

WebKitWebContext* MakeWebContext(const std::string& profile) {
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
      "base-data-directory", JoinPath(profile, "webdata").c_str(), "base-cache-directory",
      JoinPath(profile, "webcache").c_str(), nullptr);
  WebKitWebContext* ctx = webkit_web_context_new_with_website_data_manager(data);
  g_object_unref(data);
  return ctx;
}

struct SignalContext {
  CMainFrame* frame;
};

gboolean OnTerminateSignal(gpointer data) {
  // The system is ending us: the shutdown order runs without the quit question.
  auto* ctx = static_cast<SignalContext*>(data);
  ctx->frame->Close(CloseSource::System);
  return G_SOURCE_CONTINUE;
}

}  // namespace

int RunBrowser(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  // GTK's own options (--display ...) are taken out before ours are read; no display is
  // opened yet, so a hand-off works without one.
  gtk_parse_args(&argc, &argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine cl = ParseCommandLine(args);
  const bool hasTarget = !cl.target.empty();

  InstanceLock firstLock;
  const bool second = !firstLock.AcquireFirst();
  bool frameFound = FrameIsRunning();
  // A browser that is still starting has the lock but no frame yet: give it a moment
  // rather than lose the address.
  if (second && hasTarget && !frameFound) frameFound = WaitForFrame(3000);

  std::string exeDir = ExecutableFolder();
  std::string program = ChooseProgramFolder(exeDir, !exeDir.empty() && ::access(exeDir.c_str(), W_OK) == 0,
                                            g_getenv("ZEL_HOME"), g_getenv("XDG_DATA_HOME"),
                                            g_get_home_dir());
  std::string profile = JoinPath(program, kProfileSub);
  CreateFolderLevels(profile);
  SettingsFile::SetLocation(program, kProfileSub);
  PrepareConfigFile();

  switch (DecideInstance(hasTarget, second, frameFound)) {
    case InstanceDecision::Continue:
      break;
    case InstanceDecision::HandOff: {
      SendResult r = SendHandOff(cl.target);
      if (r == SendResult::NoShareMemory) ShowSenderError(u"create share memory faile!");
      if (r == SendResult::MapFailed) ShowSenderError(u"MapViewOfFile Fail!");
      SendRaise();
      return 0;
    }
    case InstanceDecision::Raise:
      SendRaise();
      return 0;
    case InstanceDecision::Exit:
      return 0;
  }

  Gtk::Main kit(argc, argv);
  WebKitWebContext* context = MakeWebContext(profile);
  MainWindow window(context);
  GtkPrompts prompts(&window);
  GlibLoop loop;
  IniRegistry registry(JoinPath(profile, "registry.ini"));
  CMainFrame frame({&window, &loop, &prompts, &registry});
  window.AttachFrame(&frame);
  // From here on a termination signal runs the shutdown order.
  SignalContext sig{&frame};
  guint sigSources[] = {g_unix_signal_add(SIGTERM, OnTerminateSignal, &sig),
                        g_unix_signal_add(SIGINT, OnTerminateSignal, &sig),
                        g_unix_signal_add(SIGHUP, OnTerminateSignal, &sig)};
  window.BuildMenus(MainMenu());

  FrameServer server({
      [&](const u16& text) { frame.OnHandOff(text); },
      [&](u16view message) { prompts.Message(message, kAppTitle, PromptIcon::Error); },
      [&] { frame.OnRaiseRequest(); },
  });
  server.Start();

  // Before the settings are read the frame covers the screen.
  GdkRectangle screen{0, 0, 800, 600};
  if (auto display = Gdk::Display::get_default()) {
    auto monitor = display->get_primary_monitor();
    if (!monitor) monitor = display->get_monitor(0);
    if (monitor) gdk_monitor_get_geometry(monitor->gobj(), &screen);
  }
  window.move(0, 0);
  window.resize(screen.width, screen.height);

  frame.LoadEarlySettings(kEngineDefaultElementFlags);
  LoadFrameCreationSettings(frame.settings());
  const FrameSettings& s = frame.settings();
  Placement place =
      ComputePlacement(s.top, s.left, s.width, s.height, s.zoomed, screen.width, screen.height);
  if (place.apply) {
    window.move(place.x, place.y);
    window.resize(std::max(place.width, 1), std::max(place.height, 1));
  }
  if (place.maximized) window.maximize();

  if (g_getenv("ZEL_STARTUP_TIMING")) {
    window.signal_map_event().connect(
        [started](GdkEventAny*) {
          auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              started)
                        .count();
          std::fprintf(stderr, "zel: window shown after %.1f ms\n", ms);
          return false;
        },
        false);
  }
  window.show();
  frame.SetFrameCaption(u"");
  frame.PostMessage(msg::kDeferredStartup);

  if (hasTarget)
    frame.OpenUrl(1, 2, ResolveTarget(cl.target), false);
  else if (!cl.embedding)
    frame.OpenStartPage();
  WriteConfigInt(u"GENERAL", u"normalquit", 0);


  Gtk::Main::run();

  for (guint id : sigSources) g_source_remove(id);
  server.Stop();
  g_object_unref(context);
  return 0;
}

}  // namespace zel
