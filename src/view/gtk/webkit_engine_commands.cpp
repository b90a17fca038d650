// ExecWB for the WebKit engine: editing commands, text size, save, page setup, printing
// and the page's properties.
#include <glib/gstdio.h>

#include <algorithm>
#include <memory>
#include <string>

#include "view/gtk/webkit_engine.h"

namespace zel {

namespace {

// Text size levels 0 (smallest) .. 4 (largest).
constexpr double kTextZoom[] = {0.7, 0.85, 1.0, 1.2, 1.5};

// A file name from the page title: characters that cannot stand in a name become "_".
std::string FileNameFor(const std::string& title) {
  std::string name = title.empty() ? "page" : title;
  for (char& c : name)
    if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
        c == '>' || c == '|' || (unsigned char)c < 0x20)
      c = '_';
  if (name.size() > 200) {
    // Cut at a character boundary.
    const char* end = g_utf8_find_prev_char(name.c_str(), name.c_str() + 200);
    name.resize(end ? size_t(end - name.c_str()) : 0);
  }
  return name;
}

std::string DefaultSaveFolder() {
  const char* dir = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
  return dir ? dir : g_get_home_dir();
}

struct DialogCall {
  std::weak_ptr<bool> alive;
  WebKitEngine* engine;
};

struct SaveCall {
  std::weak_ptr<bool> alive;
  WebKitEngine* engine;
  std::string path;
};

}  // namespace

void WebKitEngine::ExecWB(int command, int option, int argument) {
  switch (command) {
    case kOleCut:
      webkit_web_view_execute_editing_command(view_, WEBKIT_EDITING_COMMAND_CUT);
      break;
    case kOleCopy:
      webkit_web_view_execute_editing_command(view_, WEBKIT_EDITING_COMMAND_COPY);
      break;
    case kOlePaste:
      webkit_web_view_execute_editing_command(view_, WEBKIT_EDITING_COMMAND_PASTE);
      break;
    case kOleSelectAll:
      webkit_web_view_execute_editing_command(view_, WEBKIT_EDITING_COMMAND_SELECT_ALL);
      break;
    case kOleZoom: {
      // Text size: only text grows or shrinks, the page layout's images keep their size.
      int level = std::clamp(argument, 0, 4);
      webkit_settings_set_zoom_text_only(webkit_web_view_get_settings(view_), TRUE);
      webkit_web_view_set_zoom_level(view_, kTextZoom[level]);
      break;
    }
    case kOleSaveAs:
      SaveAs(option != kOleOptionNoPrompt);
      break;
    case kOlePageSetup:
      PageSetup();
      break;
    case kOlePrint:
    case kOlePrintPreview:
      // GTK's print dialog carries its own preview.
      Print();
      break;
    case kOleProperties:
      ShowProperties();
      break;
    default:
      break;
  }
}

void WebKitEngine::SaveTo(const std::string& path) {
  GFile* file = g_file_new_for_path(path.c_str());
  // A failed save is ignored, as every failing engine command is; a finished one is told.
  webkit_web_view_save_to_file(
      view_, file, WEBKIT_SAVE_MODE_MHTML, cancellable_,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<SaveCall> call(static_cast<SaveCall*>(data));
        const bool saved =
            webkit_web_view_save_to_file_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
        if (saved && !call->alive.expired() && call->engine->events_)
          call->engine->events_->OnPageSaved(FromUtf8(call->path));
      },
      new SaveCall{alive_, this, path});
  g_object_unref(file);
}

GtkWindow* WebKitEngine::ParentWindow() const {
  GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view_));
  return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

void WebKitEngine::SaveAs(bool prompt) {
  if (!webkit_web_view_get_uri(view_)) return;  // nothing loaded
  if (!prompt) {
    SaveToFolder(saveFolder_.empty() ? DefaultSaveFolder() : saveFolder_);
    return;
  }
  GtkWidget* dialog = gtk_file_chooser_dialog_new("保存网页", ParentWindow(),
                                                  GTK_FILE_CHOOSER_ACTION_SAVE, "取消",
                                                  GTK_RESPONSE_CANCEL, "保存",
                                                  GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
  gtk_file_chooser_set_current_folder(
      chooser, (saveFolder_.empty() ? DefaultSaveFolder() : saveFolder_).c_str());
  gtk_file_chooser_set_current_name(
      chooser, (FileNameFor(PageTitle()) + ".mht").c_str());
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, "网页，单一文件(*.mht)");
  gtk_file_filter_add_pattern(filter, "*.mht");
  gtk_file_filter_add_pattern(filter, "*.mhtml");
  gtk_file_chooser_add_filter(chooser, filter);
  // The dialog runs on the main loop; an answer after the engine is gone saves nothing.
  auto* call = new DialogCall{alive_, this};
  g_signal_connect_data(
      dialog, "response",
      G_CALLBACK(+[](GtkDialog* d, int response, DialogCall* c) {
        if (response == GTK_RESPONSE_ACCEPT && !c->alive.expired()) {
          char* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(d));
          if (path) c->engine->SaveTo(path);
          g_free(path);
        }
        gtk_widget_destroy(GTK_WIDGET(d));
      }),
      call, [](gpointer c, GClosure*) { delete static_cast<DialogCall*>(c); }, GConnectFlags(0));
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_widget_show(dialog);
}

void WebKitEngine::SaveToFolder(const std::string& folder) {
  g_mkdir_with_parents(folder.c_str(), 0755);
  std::string base = FileNameFor(PageTitle());
  // Never over an existing file: "name.mht", "name (2).mht", ...
  std::string path = std::string(folder) + "/" + base + ".mht";
  for (int i = 2; g_file_test(path.c_str(), G_FILE_TEST_EXISTS) && i < 10000; ++i)
    path = folder + "/" + base + " (" + std::to_string(i) + ").mht";
  SaveTo(path);
}

void WebKitEngine::PageSetup() {
  auto* call = new DialogCall{alive_, this};
  gtk_print_run_page_setup_dialog_async(
      ParentWindow(), pageSetup_, printSettings_,
      [](GtkPageSetup* setup, gpointer data) {
        std::unique_ptr<DialogCall> c(static_cast<DialogCall*>(data));
        if (c->alive.expired() || !setup) return;
        // Kept for this page's printing.
        g_object_ref(setup);
        g_clear_object(&c->engine->pageSetup_);
        c->engine->pageSetup_ = setup;
      },
      call);
}

void WebKitEngine::Print() {
  WebKitPrintOperation* op = webkit_print_operation_new(view_);
  if (pageSetup_) webkit_print_operation_set_page_setup(op, pageSetup_);
  if (printSettings_) webkit_print_operation_set_print_settings(op, printSettings_);
  std::weak_ptr<bool> alive = alive_;
  // Runs the print dialog until the user closes it; printing goes on afterwards.
  WebKitPrintOperationResponse response = webkit_print_operation_run_dialog(op, ParentWindow());
  if (!alive.expired() && response == WEBKIT_PRINT_OPERATION_RESPONSE_PRINT) {
    GtkPrintSettings* used = webkit_print_operation_get_print_settings(op);
    if (used) g_object_ref(used);
    g_clear_object(&printSettings_);
    printSettings_ = used;
  }
  if (response == WEBKIT_PRINT_OPERATION_RESPONSE_PRINT)
    g_signal_connect(op, "finished", G_CALLBACK(g_object_unref), nullptr);
  else
    g_object_unref(op);
}

void WebKitEngine::ShowProperties() {
  const char* uri = webkit_web_view_get_uri(view_);
  if (!uri) return;
  std::string title = PageTitle();
  std::string type, size;
  if (WebKitWebResource* res = webkit_web_view_get_main_resource(view_)) {
    if (WebKitURIResponse* r = webkit_web_resource_get_response(res)) {
      if (const char* mime = webkit_uri_response_get_mime_type(r)) type = mime;
      if (guint64 n = webkit_uri_response_get_content_length(r)) size = std::to_string(n) + " 字节";
    }
  }
  std::string text = "标题: " + title + "\n地址: " + uri +
                     "\n类型: " + type + (size.empty() ? "" : "\n大小: " + size);
  GtkWidget* dialog = gtk_message_dialog_new(ParentWindow(), GTK_DIALOG_DESTROY_WITH_PARENT,
                                             GTK_MESSAGE_INFO, GTK_BUTTONS_NONE, "%s",
                                             text.c_str());
  gtk_dialog_add_button(GTK_DIALOG(dialog), "关闭", GTK_RESPONSE_CLOSE);
  gtk_window_set_title(GTK_WINDOW(dialog), "属性");
  g_signal_connect(dialog, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
  gtk_widget_show(dialog);
}

namespace {
struct CharsetAsk {
  std::weak_ptr<bool> alive;
  WebKitWebView* view;
  std::string charset, uri, mime;
};
}  // namespace

void WebKitEngine::SetCharset(const std::string& charset) {
  // WebKit's own override (webkit_web_view_set_custom_charset) stays with the view for
  // every later page; the page's bytes loaded again with their charset given as the
  // server's go for this document only (the server's word outranks the page's own, as the
  // user's choice must). An empty charset: the page decodes itself again.
  WebKitWebResource* main = webkit_web_view_get_main_resource(view_);
  const char* uri = webkit_web_view_get_uri(view_);
  if (charset.empty() || !main || !uri) {
    webkit_web_view_reload(view_);
    return;
  }
  std::string mime = "text/html";
  if (WebKitURIResponse* r = webkit_web_resource_get_response(main))
    if (const char* m = webkit_uri_response_get_mime_type(r); m && *m) mime = m;
  webkit_web_resource_get_data(
      main, cancellable_,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<CharsetAsk> ask(static_cast<CharsetAsk*>(data));
        gsize size = 0;
        guchar* bytes = webkit_web_resource_get_data_finish(WEBKIT_WEB_RESOURCE(source), result,
                                                            &size, nullptr);
        if (bytes && !ask->alive.expired()) {
          GBytes* page = g_bytes_new_take(bytes, size);
          bytes = nullptr;
          webkit_web_view_load_bytes(ask->view, page, ask->mime.c_str(), ask->charset.c_str(),
                                     ask->uri.c_str());
          g_bytes_unref(page);
        }
        g_free(bytes);
      },
      new CharsetAsk{alive_, view_, charset, uri, mime});
}

}  // namespace zel
