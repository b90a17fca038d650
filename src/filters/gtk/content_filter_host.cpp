#include "filters/gtk/content_filter_host.h"

#include <unistd.h>

#include "base/files.h"
#include "filters/webext_folder.h"
#include "platform/install_layout.h"

namespace zel {

namespace {

struct BlockedWatch {
  std::function<void(u16)> onBlocked;
};

gboolean OnViewMessage(WebKitWebView*, WebKitUserMessage* message, gpointer data) {
  if (g_strcmp0(webkit_user_message_get_name(message), kContentBlockedMessage) != 0)
    return FALSE;  // someone else's message
  auto* watch = static_cast<BlockedWatch*>(data);
  if (auto url = DecodeBlockedAddress(webkit_user_message_get_parameters(message)))
    watch->onBlocked(std::move(*url));
  return TRUE;
}

void FreeWatch(gpointer data, GClosure*) { delete static_cast<BlockedWatch*>(data); }

}  // namespace

ContentFilterHost::ContentFilterHost(WebKitWebContext* context, const FilterLists& lists,
                                     bool hookActive)
    : context_(WEBKIT_WEB_CONTEXT(g_object_ref(context))) {
  const char* overrideDir = g_getenv("ZEL_WEBEXT_DIR");
  const std::string exeDir = ExecutableFolder();
  folder_ = FindWebExtensionFolder(
      {overrideDir ? overrideDir : "", exeDir, InstalledWebExtFolder(exeDir)});
  SetState(ContentFilterStateOf(lists, hookActive));
  if (!folder_.empty())
    webkit_web_context_set_web_extensions_directory(context_, folder_.c_str());
  webkit_web_context_set_web_extensions_initialization_user_data(context_, encoded_);
  // Every new web process starts from the state of that moment, not the first one.
  initHandler_ = g_signal_connect(context_, "initialize-web-extensions",
                                  G_CALLBACK(OnInitializeWebExtensions), this);
}

ContentFilterHost::~ContentFilterHost() {
  g_signal_handler_disconnect(context_, initHandler_);
  g_variant_unref(encoded_);
  g_object_unref(context_);
}

void ContentFilterHost::SetState(ContentFilterState state) {
  state_ = std::move(state);
  GVariant* encoded = g_variant_ref_sink(EncodeContentFilterState(state_));
  if (encoded_) g_variant_unref(encoded_);
  encoded_ = encoded;
}

void ContentFilterHost::OnInitializeWebExtensions(WebKitWebContext* context, gpointer self) {
  auto* host = static_cast<ContentFilterHost*>(self);
  webkit_web_context_set_web_extensions_initialization_user_data(context, host->encoded_);
}

void ContentFilterHost::Update(const FilterLists& lists, bool hookActive) {
  SetState(ContentFilterStateOf(lists, hookActive));
  webkit_web_context_set_web_extensions_initialization_user_data(context_, encoded_);
  // The message takes the (already sunk) state with a reference of its own; the context
  // takes the floating message.
  webkit_web_context_send_message_to_all_extensions(
      context_, webkit_user_message_new(kFilterUpdateMessage, encoded_));
  // The pages' processes drop what they keep in memory from under the old lists, so the
  // next load of a page asks for its resources again (an address added to the list is not
  // answered from memory). The clear reaches the web processes after the update.
  webkit_website_data_manager_clear(webkit_web_context_get_website_data_manager(context_),
                                    WEBKIT_WEBSITE_DATA_MEMORY_CACHE, 0, nullptr, nullptr,
                                    nullptr);
}

gulong ContentFilterHost::WatchView(WebKitWebView* view, std::function<void(u16 url)> onBlocked) {
  return g_signal_connect_data(view, "user-message-received", G_CALLBACK(OnViewMessage),
                               new BlockedWatch{std::move(onBlocked)}, FreeWatch, GConnectFlags(0));
}

}  // namespace zel
