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
WebKitWebExtension* gExtension = nullptr;

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

// Which browsing context a click or a form navigates, seen from inside the page (the
// browser's navigation decision does not say which frame it is for). Runs in a script world
// of its own in every frame, so the page's scripts neither see nor fake it; it tells the
// view of navigations that stay inside a frame of the page.
constexpr char kFrameNavigationWatch[] = R"JS((function (report) {
  function inFrames(win, name) {
    for (var i = 0; i < win.frames.length; i++) {
      var f = win.frames[i];
      try { if (f.name === name) return f; } catch (e) {}
      try { var r = inFrames(f, name); if (r) return r; } catch (e) {}
    }
    return null;
  }
  function namedFrameOf(doc, name) {
    try {
      var els = doc.querySelectorAll('iframe, frame');
      for (var i = 0; i < els.length; i++)
        if (els[i].name === name || els[i].getAttribute('name') === name) return true;
    } catch (e) {}
    return false;
  }
  // True when a target names a frame of the page rather than the tab or a new window.
  function frameTarget(target) {
    var base = document.querySelector('base[target]');
    var t = target || (base ? base.getAttribute('target') : '') || '';
    var lower = t.toLowerCase();
    if (lower === '_blank' || lower === '_top') return false;
    if (lower === '' || lower === '_self') return window !== window.top;
    if (lower === '_parent') return window.parent !== window.top;
    try { if (window.top.name === t) return false; } catch (e) {}
    if (namedFrameOf(document, t)) return true;
    try { if (namedFrameOf(window.top.document, t)) return true; } catch (e) {}
    return inFrames(window.top, t) !== null;
  }
  window.addEventListener('click', function (e) {
    if (e.defaultPrevented || e.button !== 0 || e.ctrlKey || e.shiftKey || e.metaKey) return;
    var el = e.target;
    while (el && !(el.tagName && (el.tagName === 'A' || el.tagName === 'AREA') && el.href))
      el = el.parentNode;
    if (!el || !/^https?:|^file:|^about:/i.test(el.href)) return;
    if (frameTarget(el.getAttribute('target'))) report(String(el.href), false);
  }, false);
  window.addEventListener('submit', function (e) {
    if (e.defaultPrevented) return;
    var f = e.target;
    if (!f || (f.method || '').toLowerCase() === 'post') return;
    var action = String(f.action || location.href).split('#')[0].split('?')[0];
    if (frameTarget(f.getAttribute('target'))) report(action, true);
  }, false);
}))JS";

void ReportFrameNavigation(const char* uri, gboolean form, gpointer pageId) {
  WebKitWebPage* page =
      gExtension ? webkit_web_extension_get_page(gExtension, GPOINTER_TO_UINT(pageId)) : nullptr;
  if (!page || !uri) return;
  webkit_web_page_send_message_to_view(
      page,
      webkit_user_message_new(zel::kFrameNavigationMessage, g_variant_new("(sb)", uri, form)),
      nullptr, nullptr, nullptr);
}

void OnWindowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame,
                           gpointer) {
  JSCContext* context = webkit_frame_get_js_context_for_script_world(frame, world);
  if (!context) return;
  JSCValue* report = jsc_value_new_function(
      context, nullptr, G_CALLBACK(ReportFrameNavigation),
      GUINT_TO_POINTER(guint(webkit_web_page_get_id(page))), nullptr, G_TYPE_NONE, 2,
      G_TYPE_STRING, G_TYPE_BOOLEAN);
  JSCValue* watch = jsc_context_evaluate(context, kFrameNavigationWatch, -1);
  if (watch && jsc_value_is_function(watch)) {
    JSCValue* result = jsc_value_function_call(watch, JSC_TYPE_VALUE, report, G_TYPE_NONE);
    g_clear_object(&result);
  }
  g_clear_object(&watch);
  g_clear_object(&report);
  g_object_unref(context);
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
  // The frame watch lives in a world of its own, made once per process.
  gExtension = extension;
  WebKitScriptWorld* world = webkit_script_world_new_with_name("zel-frames");
  g_signal_connect(world, "window-object-cleared", G_CALLBACK(OnWindowObjectCleared), nullptr);
}
