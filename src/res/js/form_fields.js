// The page's form fields in document order: the top document first, then the documents of
// its frames that the page may read (same origin), each followed by its own frames.
// Called with no argument it reports every field as "<length>:<text>" fields: kind (t text-like
// input, a text area, c check box, r radio button, s select), name, value, state (checked:
// 1/0; select: selected index) and 1 when the field is in a form. Called with an applier it
// hands the applier the same list of elements instead and returns its answer.
(function (apply) {
  var textTypes = { text: 1, password: 1, email: 1, search: 1, tel: 1, url: 1, number: 1 };
  function kindOf(el) {
    var tag = String(el.localName || "").toLowerCase();
    if (tag === "textarea") return "a";
    if (tag === "select") return "s";
    if (tag !== "input") return "";
    var type = String(el.type || "text").toLowerCase();
    if (type === "checkbox") return "c";
    if (type === "radio") return "r";
    return textTypes[type] ? "t" : "";
  }
  var elements = [];
  function walk(win, depth) {
    var doc = null;
    try {
      doc = win.document;
    } catch (e) {
      return;  // another origin's frame
    }
    if (!doc || depth > 16) return;
    var all = doc.querySelectorAll("input, textarea, select");
    for (var i = 0; i < all.length; i++)
      if (kindOf(all[i])) elements.push(all[i]);
    var frames = 0;
    try {
      frames = win.frames.length;
    } catch (e) {}
    for (var f = 0; f < frames; f++) walk(win.frames[f], depth + 1);
  }
  walk(window, 0);
  if (apply) return apply(elements, kindOf);
  var out = [];
  function field(s) {
    s = String(s);
    out.push(s.length + ":" + s);
  }
  for (var k = 0; k < elements.length; k++) {
    var el = elements[k], kind = kindOf(el);
    field(kind);
    field(el.name || "");
    field(kind === "t" || kind === "a" ? el.value : "");
    field(kind === "s" ? el.selectedIndex : el.checked ? 1 : 0);
    field(el.form ? 1 : 0);
  }
  return out.join("");
})
