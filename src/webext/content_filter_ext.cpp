// The content filter's request hook, loaded by WebKit into every web process of the
// browser's context. Each request of each page passes through OnSendRequest: an http or
// https request on the content block list (and not on the allow list) is rewritten to the
// blank GIF, so the server never sees it and the page gets a complete 1x1 image, and the
// page reports the lower-cased address to its view.
//
// The lists and the switch arrive as the initialization data of the process and later in
// "zel-filter-update" messages (filters/filter_message.h). Everything runs on the web
// process's main thread.
#include <webkit2/webkit-web-extension.h>

#include "filters/blank_image.h"
#include "filters/content_request_filter.h"
#include "filters/filter_message.h"

namespace {

// One per web process, alive as long as the process.
zel::ContentRequestFilter gFilter;

void ApplyState(GVariant* value) {
  if (auto state = zel::DecodeContentFilterState(value)) gFilter.Apply(*state);
}

gboolean OnSendRequest(WebKitWebPage* page, WebKitURIRequest* request,
                       WebKitURIResponse* /*redirectedResponse*/, gpointer) {
  const char* uri = webkit_uri_request_get_uri(request);
  if (!uri) return FALSE;
  std::optional<zel::u16> blocked = gFilter.Check(uri);
  if (!blocked) return FALSE;
  webkit_uri_request_set_uri(request, zel::kBlankGifDataUri);
  WebKitUserMessage* report =
      webkit_user_message_new(zel::kContentBlockedMessage, zel::EncodeBlockedAddress(*blocked));
  webkit_web_page_send_message_to_view(page, report, nullptr, nullptr, nullptr);
  // FALSE lets the rewritten request go on; TRUE would cancel it.
  return FALSE;
}

// A script error of the page: the view shows it in the status bar instead of a dialog.
void OnConsoleMessage(WebKitWebPage* page, WebKitConsoleMessage* message, gpointer) {
  if (webkit_console_message_get_source(message) != WEBKIT_CONSOLE_MESSAGE_SOURCE_JAVASCRIPT ||
      webkit_console_message_get_level(message) != WEBKIT_CONSOLE_MESSAGE_LEVEL_ERROR)
    return;
  webkit_web_page_send_message_to_view(
      page, webkit_user_message_new(zel::kScriptErrorMessage, nullptr), nullptr, nullptr, nullptr);
}

void OnPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer) {
  g_signal_connect(page, "send-request", G_CALLBACK(OnSendRequest), nullptr);
  if (g_signal_lookup("console-message-sent", WEBKIT_TYPE_WEB_PAGE))
    g_signal_connect(page, "console-message-sent", G_CALLBACK(OnConsoleMessage), nullptr);
}

gboolean OnExtensionMessage(WebKitWebExtension*, WebKitUserMessage* message, gpointer) {
  if (g_strcmp0(webkit_user_message_get_name(message), zel::kFilterUpdateMessage) != 0)
    return FALSE;
  ApplyState(webkit_user_message_get_parameters(message));
  return TRUE;
}

}  // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize_with_user_data(
    WebKitWebExtension* extension, const GVariant* userData) {
  ApplyState(const_cast<GVariant*>(userData));
  g_signal_connect(extension, "page-created", G_CALLBACK(OnPageCreated), nullptr);
  g_signal_connect(extension, "user-message-received", G_CALLBACK(OnExtensionMessage), nullptr);
}
