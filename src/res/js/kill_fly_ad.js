// Hides floating advertisements: a layer, a Flash object or an embed that moves itself
// (its left or top changes) is hidden and taken out of the page at its first move.
// Its own errors are silent; the page's errors are left to the page.
(function () {
  try {
  // The search pages of this provider are left alone.
  var exempt = ".baidu.com";
  var host = String(location.hostname || "").toLowerCase();
  if (("." + host).slice(-exempt.length) === exempt) return;

  function hide(el) {
    try {
      el.style.visibility = "hidden";
      if (el.parentNode) el.parentNode.removeChild(el);
    } catch (e) {}
  }
  function moves(before, after) {
    return before.left !== after.left || before.top !== after.top;
  }
  function watch(el) {
    try {
      if (el.__zelWatched) return;
      el.__zelWatched = true;
      var last = { left: el.style.left, top: el.style.top };
      var observer = new MutationObserver(function (records) {
        for (var i = 0; i < records.length; i++) {
          var name = String(records[i].attributeName || "").toLowerCase();
          var now = { left: el.style.left, top: el.style.top };
          if (name.indexOf("left") >= 0 || name.indexOf("top") >= 0 ||
              name.indexOf("move") >= 0 || (name === "style" && moves(last, now))) {
            observer.disconnect();
            hide(el);
            return;
          }
          last = now;
        }
      });
      observer.observe(el, { attributes: true });
    } catch (e) {}
  }
  function floating(el) {
    var tag = el.tagName;
    var s = el.style;
    if (s.position === "absolute" && s.display !== "none") return true;
    if (tag === "SPAN" && s.left !== "" && s.left !== "auto") return true;
    if (tag === "EMBED" && String(el.src || "").toLowerCase().indexOf(".swf") >= 0) return true;
    if (tag === "OBJECT" &&
        String(el.getAttribute("classid") || "").toLowerCase() ===
            "clsid:d27cdb6e-ae6d-11cf-96b8-444553540000") return true;
    return false;
  }
  var tags = ["div", "span", "img", "object", "embed"];
  if (document.layers) tags.push("layer");
  for (var t = 0; t < tags.length; t++) {
    var all = document.getElementsByTagName(tags[t]);
    for (var i = 0; i < all.length; i++) {
      try {
        if (floating(all[i])) watch(all[i]);
      } catch (e) {}
    }
  }
  } catch (e) {}
})();
