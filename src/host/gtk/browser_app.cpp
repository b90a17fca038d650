#include "host/gtk/browser_app.h"

#include <glib-unix.h>
#include <gtkmm.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

#include "settings/frame_settings.h"
#include "host/gtk/frame_host.h"
#include "settings/settings_file.h"
#include "host/startup.h"
#include "platform/share_text.h"
#include "settings/url_shortcut.h"
#include "base/file_modes.h"
#include "base/files.h"
#include "frame/gtk/main_window.h"
#include "frame/address_box.h"
#include "frame/main_frame.h"
#include "platform/linux/gtk_prompts.h"
#include "platform/linux/instance_channel.h"
#include "platform/linux/message_box.h"
#include "host/install_switch.h"
#include "platform/linux/gio_associations.h"
#include "services/gtk/soup_fetcher.h"
#include "update/install_ping.h"

namespace zel {

namespace {

// Message boxes of a second instance, which has no window of its own.
void ShowSenderError(u16view text) {
  if (gtk_init_check(nullptr, nullptr)) {
    UseChineseTranslations();
    GtkPrompts prompts;
    prompts.Message(text, kAppTitle, PromptIcon::Error);
  } else {
    std::cerr << ToUtf8(text) << "\n";
  }
}

// The leftovers in folder and, depth levels down, in its sub-folders (links not followed).
void RemoveLeftoversIn(const std::string& folder, const struct timespec& started, int depth) {
  RemoveStaleTempFiles(folder, started.tv_sec, started.tv_nsec);
  if (depth <= 0) return;
  GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
  if (!dir) return;
  while (const char* name = g_dir_read_name(dir)) {
    std::string sub = JoinPath(folder, name);
    if (g_file_test(sub.c_str(), G_FILE_TEST_IS_DIR) &&
        !g_file_test(sub.c_str(), G_FILE_TEST_IS_SYMLINK))
      RemoveLeftoversIn(sub, started, depth - 1);
  }
  g_dir_close(dir);
}

// The folders the browser writes, and how deep below each it writes.
void RemoveLeftovers(const std::string& program, const std::string& profile,
                     const struct timespec& started) {
  const std::pair<std::string, int> folders[] = {
      {program, 0},
      {profile, 0},
      {JoinPath(program, "profile/SearchEngine"), 0},
      {JoinPath(profile, "iconcache"), 0},
      {JoinPath(program, "update"), 0},
      {JoinPath(profile, "update"), 0},
      {JoinPath(program, "skin"), 1},
      {JoinPath(profile, "Favorites"), 16},
  };
  for (const auto& [folder, depth] : folders) RemoveLeftoversIn(folder, started, depth);
}

struct SignalContext {
  CMainFrame* frame;
  FrameServer* server = nullptr;
};

gboolean OnTerminateSignal(gpointer data) {
  // The system is ending us: the shutdown order runs without the quit question.
  auto* ctx = static_cast<SignalContext*>(data);
  ctx->frame->Close(CloseSource::System);
  // Under a modal dialog's own loop (a message box, the About box, a file dialog run to its
  // answer) the program's loop would end only once someone answered it. Everything is saved
  // by now: the process ends here, its web processes with their connection.
  if (g_main_depth() > 1) {
    if (ctx->server) ctx->server->Stop();
    std::fflush(nullptr);
    ::_exit(0);
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace

int RunBrowser(int argc, char** argv) {
  SetEngineEnvironment();
  const auto started = std::chrono::steady_clock::now();
  struct timespec startedWall {};
  ::clock_gettime(CLOCK_REALTIME, &startedWall);
  // GTK's own options (--display ...) are taken out before ours are read; no display is
  // opened yet, so a hand-off works without one.
  gtk_parse_args(&argc, &argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine cl = ParseCommandLine(args);
  // A file named relative to where zel was started, and a shortcut's address, are taken
  // here: a running browser handed the target has its own current folder.
  cl.target = ResolveCommandLineTarget(cl.target, CurrentFolder());
  const bool hasTarget = !cl.target.empty();

  // The program folder first: the single-instance channel is keyed by it, so browsers of
  // two profiles run side by side.
  std::string exeDir = ExecutableFolder();
  std::string program = ChooseProgramFolder(exeDir, ExeFolderTakesProfile(exeDir),
                                            g_getenv("ZEL_HOME"), g_getenv("XDG_DATA_HOME"),
                                            g_get_home_dir());
  std::string profile = JoinPath(program, kProfileSub);
  // What the browser keeps is the user's alone: cookies, form data, history ...
  MakeNewFilesOwnerOnly();
  CreateFolderLevels(profile);

  // The installer's switches come before any instance question and open no window.
  if (const InstallEvent install = InstallSwitchOfArguments(args); install != InstallEvent::None) {
    SettingsFile::SetLocation(program, kProfileSub);
    // A first run's defaults go in first, or the saved defaults would make a config.ini
    // without them.
    PrepareConfigFile(RunMark::Later);
    GioAssociations associations;
    RunInstallSwitch(install, associations, std::make_shared<SoupFetcher>(), profile,
                     LauncherPathBeside(exeDir));
    return 0;
  }
  // One browser per profile: the lock inside the profile decides, and names the runtime
  // folder where the running browser's channel is found.
  ChannelPaths channel = ChannelPathsForProfile(program, profile);
  InstanceLock firstLock;
  const bool second = !firstLock.AcquireFirst(channel);
  if (!second) {
    channel = FreshChannelPaths(program, profile);
    firstLock.Record(channel.folder);
  }
  bool frameFound = second && FrameIsRunning(channel);
  // A browser that is still starting has the lock but no frame (or no folder named) yet:
  // give it a moment rather than lose the address.
  for (int waited = 0; second && !frameFound && waited < 3000; waited += 50) {
    ::usleep(50 * 1000);
    channel = ChannelPathsForProfile(program, profile);
    frameFound = FrameIsRunning(channel);
  }

  SettingsFile::SetLocation(program, kProfileSub);

  switch (DecideInstance(hasTarget, second, frameFound)) {
    case InstanceDecision::Continue:
      break;
    case InstanceDecision::HandOff: {
      SendResult r = SendHandOff(channel, cl.target);
      if (r == SendResult::NoShareMemory) ShowSenderError(u"create share memory faile!");
      if (r == SendResult::MapFailed) ShowSenderError(u"MapViewOfFile Fail!");
      PostRaise(channel);
      return 0;
    }
    case InstanceDecision::Raise:
      SendRaise(channel);
      return 0;
    case InstanceDecision::Exit:
      return 0;
  }

  // Only the browser that runs writes the profile: a start that hands off leaves the
  // running browser's files alone.
  PrepareConfigFile(RunMark::MarkRunning);
  // The first browser of the profile: what a killed run left half-written goes, in every
  // folder the browser writes (the favorites' tree and the skins' folders to their depth).
  RemoveLeftovers(program, profile, startedWall);
  // Files an earlier version (or the user) left readable by others are narrowed; the engine's
  // cache can be large, so beside the start-up.
  std::thread narrow([folder = JoinPath(program, "profile")] { NarrowToOwner(folder); });

  Gtk::Main kit(argc, argv);
  FrameHost host({program, nullptr});
  CMainFrame& frame = host.frame();
  MainWindow& window = host.window();
  // From here on a termination signal runs the shutdown order.
  SignalContext sig{&frame};
  guint sigSources[] = {g_unix_signal_add(SIGTERM, OnTerminateSignal, &sig),
                        g_unix_signal_add(SIGINT, OnTerminateSignal, &sig),
                        g_unix_signal_add(SIGHUP, OnTerminateSignal, &sig)};

  FrameServer server(channel, {
                                 // Queued, so the sender has its answer before the tab
                                 // is made; raising comes after it in the same queue.
                                 [&](const u16& text) {
                                   Glib::signal_idle().connect_once(
                                       [&frame, text] { frame.OnHandOff(text); });
                                 },
                                 [&] {
                                   Glib::signal_idle().connect_once(
                                       [&frame] { frame.OnRaiseRequest(); });
                                 },
                             });
  sig.server = &server;
  if (!server.Start())
    std::cerr << "zel: no hand-off channel at " << channel.socket
              << ": later starts open their own window\n";

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
  // ZEL_FRAME_TIMER_MS: a shorter frame timer, so the periodic saves come quickly.
  if (const char* ms = g_getenv("ZEL_FRAME_TIMER_MS")) frame.SetFrameTimerPeriod(std::atoi(ms));
  host.Show();

  if (hasTarget)
    frame.controller<AddressBoxController>().OpenGivenAddress(cl.target, false);
  else if (!cl.embedding)
    frame.OpenStartPage();


  Gtk::Main::run();
  narrow.join();

  for (guint id : sigSources) g_source_remove(id);
  server.Stop();
  return 0;
}

}  // namespace zel
