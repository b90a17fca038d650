// Applies a fill plan to the elements form_fields.js lists. The plan is "<length>:<text>"
// fields: the element whose form is submitted afterwards (-1: none), then per element its
// place in the list, its kind letter and its value (the text, "1"/"0" for a check box, "1"
// to check a radio button, the index of a select). An element whose kind is no longer the
// one planned is left alone. Returns the number of elements the plan filled.
(function (plan) {
  return function (elements, kindOf) {
    var fields = [], at = 0;
    while (at < plan.length) {
      var colon = plan.indexOf(":", at);
      if (colon < 0) break;
      var len = parseInt(plan.substring(at, colon), 10);
      if (!(len >= 0)) break;
      fields.push(plan.substr(colon + 1, len));
      at = colon + 1 + len;
    }
    // Every field is set first and only then told of its change, and only a field whose
    // value really changed: a page's change handler (a menu that navigates on change) sees
    // neither a value it already had nor a half-filled form.
    var touched = [];
    var done = 0;
    for (var i = 1; i + 2 < fields.length; i += 3) {
      var el = elements[parseInt(fields[i], 10)], kind = fields[i + 1], value = fields[i + 2];
      if (!el || kindOf(el) !== kind) continue;
      var before;
      if (kind === "t" || kind === "a") {
        before = el.value;
        if (before !== value) el.value = value;
        if (el.value !== before) touched.push(el);
      } else if (kind === "s") {
        before = el.selectedIndex;
        var index = parseInt(value, 10);
        if (before !== index) el.selectedIndex = index;
        if (el.selectedIndex !== before) touched.push(el);
      } else if (kind === "c" || kind === "r") {
        before = el.checked;
        var on = kind === "r" || value !== "0";
        if (before !== on) el.checked = on;
        if (el.checked !== before) touched.push(el);
      }
      done++;
    }
    for (var k = 0; k < touched.length; k++) {
      var view = touched[k].ownerDocument.defaultView;
      var Ev = view ? view.Event : Event;
      touched[k].dispatchEvent(new Ev("input", { bubbles: true }));
      touched[k].dispatchEvent(new Ev("change", { bubbles: true }));
    }
    var target = elements[parseInt(fields[0], 10)];
    var form = target && target.form;
    if (form) {
      var view = form.ownerDocument.defaultView;
      // The prototype's submit: a field named "submit" hides the form's own.
      var submit = view && view.HTMLFormElement ? view.HTMLFormElement.prototype.submit : null;
      if (submit) submit.call(form);
      else form.submit();
    }
    return done;
  };
})
