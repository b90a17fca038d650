// A page that could not be shown: its web process ended, its certificate was refused, or its
// load failed.
#include <cstdio>
#include <string>

#include "view/gtk/webkit_engine.h"

namespace zel {

namespace {
const char kBlank[] = "about:blank";
std::string Str(const char* s) { return s ? s : ""; }

// Our own page in place of one that cannot be shown: a heading, what happened (paragraphs
// already in HTML), and a button that loads the address again. The button is a link, so it
// works with scripts off; a link to the page's own address takes its place in the history.
// The link of a certificate error page that goes on to the page.
constexpr char kGoOnPrefix[] = "zel-go-on:";

std::string NoticePage(const std::string& title, const std::string& paragraphs,
                       const std::string& uri, const char* buttonId, const char* buttonText,
                       const std::string& more = {}) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
         "</title><style>body{font:14px sans-serif;margin:60px auto;padding:0 16px;max-width:640px;color:#333}"
         "h1{font-size:20px}p.addr{color:#666;word-break:break-all}"
         "a.button{display:inline-block;font-size:14px;padding:6px 18px;color:#222;"
         "text-decoration:none;border:1px solid #aaa;border-radius:4px;background:#f4f4f4}"
         "</style></head><body><h1>" + title + "</h1>" + paragraphs +
         "<p><a class=\"button\" id=\"" + buttonId + "\" href=\"" + HtmlEscaped(uri) + "\">" +
         buttonText + "</a>" + more + "</p></body></html>";
}

// The address as shown on those pages: a very long one is cut.
std::string ShownAddress(const std::string& uri) {
  return HtmlEscaped(uri.size() > 2048 ? uri.substr(0, 2048) + "…" : uri);
}

// For a tab whose web process is gone: what happened, the address, a fresh start.
std::string StoppedPage(const std::string& uri, WebKitWebProcessTerminationReason why) {
  const char* cause = why == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT
                          ? "这个网页用掉了太多内存，已被停止。"
                          : "显示这个网页的进程意外结束了。";
  return NoticePage("网页已停止响应",
                    std::string("<p>") + cause + "</p><p class=\"addr\">" + ShownAddress(uri) +
                        "</p>",
                    uri, "reload", "重新载入");
}

// Why a load failed, in words: the kind of failure, then what the network said.
std::string FailureReason(const GError* error, GTlsCertificateFlags tls, bool offline) {
  if (offline) return "脱机：浏览器处于脱机状态，网页无法从网络载入。";
  if (tls || error->domain == G_TLS_ERROR) {
    std::string what;
    auto add = [&](GTlsCertificateFlags flag, const char* text) {
      if (!(tls & flag)) return;
      if (!what.empty()) what += "；";
      what += text;
    };
    add(G_TLS_CERTIFICATE_UNKNOWN_CA, "证书的颁发者不受信任");
    add(G_TLS_CERTIFICATE_BAD_IDENTITY, "证书不属于这个网站");
    add(G_TLS_CERTIFICATE_NOT_ACTIVATED, "证书尚未生效");
    add(G_TLS_CERTIFICATE_EXPIRED, "证书已过期");
    add(G_TLS_CERTIFICATE_REVOKED, "证书已被吊销");
    add(G_TLS_CERTIFICATE_INSECURE, "证书的加密算法不安全");
    add(G_TLS_CERTIFICATE_GENERIC_ERROR, "证书无效");
    if (what.empty()) what = "无法建立安全连接";
    return "证书问题：" + what + "。";
  }
  if (g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_CANNOT_USE_RESTRICTED_PORT))
    return "端口被阻止：为了安全，浏览器不连接这个端口。";
  if (error->domain == G_RESOLVER_ERROR) return "无法解析主机：找不到这个网站的服务器。";
  if (error->domain == G_IO_ERROR) {
    switch (error->code) {
      case G_IO_ERROR_CONNECTION_REFUSED: return "连接被拒绝：服务器没有接受连接。";
      case G_IO_ERROR_TIMED_OUT: return "连接超时：服务器很久没有回应。";
      case G_IO_ERROR_NETWORK_UNREACHABLE: return "脱机：没有可用的网络连接。";
      case G_IO_ERROR_HOST_UNREACHABLE: return "无法连接到服务器：网络上找不到这台主机。";
      case G_IO_ERROR_PROXY_FAILED:
      case G_IO_ERROR_PROXY_NOT_ALLOWED:
      case G_IO_ERROR_PROXY_AUTH_FAILED:
      case G_IO_ERROR_PROXY_NEED_AUTH: return "代理服务器出错：无法通过代理服务器连接。";
      default: break;
    }
  }
  if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_UNKNOWN_PROTOCOL))
    return "无法识别的地址类型。";
  if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST))
    return "文件不存在。";
  return std::string("网页载入失败：") + (error->message ? error->message : "未知错误") + "。";
}

// For a failed load: the address and the reason. A page whose certificate was refused can
// be gone on to, for this run of the browser only.
std::string FailedPage(const std::string& uri, const std::string& reason, bool canGoOn) {
  std::string goOn;
  if (canGoOn)
    goOn = std::string(" <a class=\"button\" id=\"go-on\" href=\"") +
           HtmlEscaped(kGoOnPrefix + uri) + "\">仍然访问此网站（仅限本次运行）</a>";
  return NoticePage("无法显示网页",
                    "<p class=\"addr\" id=\"address\">" + ShownAddress(uri) +
                        "</p><p id=\"reason\">" + HtmlEscaped(reason) + "</p>",
                    uri, "retry", "重试", goOn);
}

}  // namespace

void WebKitEngine::OnWebProcessTerminated(WebKitWebView* view,
                                          WebKitWebProcessTerminationReason why,
                                          WebKitEngine* self) {
  // (A closing tab has disconnected first: this is never the end of a closed page.)
  std::string uri = Str(webkit_web_view_get_uri(view));
  if (uri.empty() && self->failedUri_) uri = *self->failedUri_;
  std::fprintf(stderr, "zel: the web process of %s ended (reason %d)\n", uri.c_str(), int(why));
  self->loading_ = false;
  self->DropComplete();
  self->stoppedUri_ = uri;
  webkit_web_view_load_alternate_html(view, StoppedPage(uri, why).c_str(),
                                      uri.empty() ? "about:blank" : uri.c_str(), nullptr);
}

gboolean WebKitEngine::OnTlsFailed(WebKitWebView*, const char*, GTlsCertificate* certificate,
                                   GTlsCertificateFlags errors, WebKitEngine* self) {
  // Not handled: load-failed follows, and its error page says what was wrong.
  self->tlsErrors_ = errors;
  g_set_object(&self->tlsCertificate_, certificate);
  return FALSE;
}

bool WebKitEngine::GoOnDespiteCertificate(const std::string& uri) {
  if (uri != kGoOnPrefix + goOnUri_ || !tlsCertificate_) return false;
  std::string page = std::move(goOnUri_);
  goOnUri_.clear();
  GUri* parsed = g_uri_parse(page.c_str(), G_URI_FLAGS_NONE, nullptr);
  if (parsed && g_uri_get_host(parsed)) {
    webkit_web_context_allow_tls_certificate_for_host(webkit_web_view_get_context(view_),
                                                      tlsCertificate_, g_uri_get_host(parsed));
  }
  if (parsed) g_uri_unref(parsed);
  g_clear_object(&tlsCertificate_);
  webkit_web_view_load_uri(view_, page.c_str());
  return true;
}

gboolean WebKitEngine::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, const char* uri,
                                    GError* error, WebKitEngine* self) {
  if (self->postHelper_) return FALSE;
  self->failedUri_ = Str(uri);
  // Loads that were stopped, replaced or handed to a download or a plug-in end quietly;
  // every other failure shows our error page in place of the page.
  self->errorPageFollows_ =
      !g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) &&
      !g_error_matches(error, WEBKIT_POLICY_ERROR,
                       WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) &&
      !g_error_matches(error, WEBKIT_PLUGIN_ERROR, WEBKIT_PLUGIN_ERROR_WILL_HANDLE_LOAD) &&
      !g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER);
  if (!self->errorPageFollows_) return FALSE;
  bool offline = self->offline_ && *self->offline_;
  std::string reason = FailureReason(error, self->tlsErrors_, offline);
  if (self->tlsErrors_ && self->tlsCertificate_ && !offline) {
    self->goOnUri_ = *self->failedUri_;
    std::string shown = self->goOnUri_;
    webkit_web_view_load_alternate_html(self->view_, FailedPage(shown, reason, true).c_str(),
                                        shown.c_str(), nullptr);
    return TRUE;
  }
  self->ShowFailedPage(*self->failedUri_, reason);
  return TRUE;
}

void WebKitEngine::ShowFailedPage(const std::string& uri, const std::string& reason) {
  std::string shown = uri.empty() ? kBlank : uri;
  webkit_web_view_load_alternate_html(view_, FailedPage(shown, reason, false).c_str(),
                                      shown.c_str(), nullptr);
}

}  // namespace zel
