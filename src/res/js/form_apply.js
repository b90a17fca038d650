// Applies a fill plan to the elements form_fields.js lists. The plan is "<length>:<text>"
// fields: the element whose form is submitted afterwards (-1: none), then per element its
// place in the list, its kind letter and its value (the text, "1"/"0" for a check box, "1"
// to check a radio button, the index of a select). An element whose kind is no longer the
// one planned is left alone. Returns the number of elements changed.
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
    function changed(el) {
      var view = el.ownerDocument.defaultView;
      var Ev = view ? view.Event : Event;
      el.dispatchEvent(new Ev("input", { bubbles: true }));
      el.dispatchEvent(new Ev("change", { bubbles: true }));
    }
    var done = 0;
    for (var i = 1; i + 2 < fields.length; i += 3) {
      var el = elements[parseInt(fields[i], 10)], kind = fields[i + 1], value = fields[i + 2];
      if (!el || kindOf(el) !== kind) continue;
      if (kind === "t" || kind === "a") el.value = value;
      else if (kind === "s") el.selectedIndex = parseInt(value, 10);
      else if (kind === "c") el.checked = value !== "0";
      else if (kind === "r") el.checked = true;
      changed(el);
      done++;
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
