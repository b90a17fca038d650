// Find and highlight in the page. Called with the keyword, whether case matters, whether
// only whole words count, the match to select (-1: none) and what to do: "find" counts and
// selects, "mark" wraps every match in a highlight, "unmark" removes the highlights that
// this keyword set (another keyword's marks stay). Returns the number of matches.
(function (keyword, matchCase, matchWhole, target, mode) {
  var root = document.body || document.documentElement;
  if (!root || !keyword) return 0;
  if (mode === "unmark") {
    var marks = root.querySelectorAll("span.zel-highlight"), removed = 0;
    for (var m = 0; m < marks.length; m++) {
      var span = marks[m], parent = span.parentNode;
      if (span.getAttribute("data-zel-keyword") !== keyword) continue;
      while (span.firstChild) parent.insertBefore(span.firstChild, span);
      parent.removeChild(span);
      parent.normalize();
      removed++;
    }
    return removed;
  }
  var nodes = [], text = "";
  var walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT, {
    acceptNode: function (n) {
      var p = n.parentNode && n.parentNode.nodeName;
      return p === "SCRIPT" || p === "STYLE" || p === "NOSCRIPT" ? NodeFilter.FILTER_REJECT
                                                                   : NodeFilter.FILTER_ACCEPT;
    }
  });
  for (var n = walker.nextNode(); n; n = walker.nextNode()) {
    nodes.push({ node: n, start: text.length });
    text += n.nodeValue;
  }
  var hay = matchCase ? text : text.toLowerCase();
  var needle = matchCase ? keyword : keyword.toLowerCase();
  function word(c) { return /[A-Za-z0-9_]/.test(c || ""); }
  var found = [];
  for (var i = hay.indexOf(needle); i >= 0; i = hay.indexOf(needle, i + needle.length)) {
    if (matchWhole && (word(text.charAt(i - 1)) || word(text.charAt(i + needle.length))))
      continue;
    found.push(i);
  }
  function at(offset) {
    for (var k = nodes.length - 1; k >= 0; k--)
      if (nodes[k].start <= offset) return { node: nodes[k].node, offset: offset - nodes[k].start };
    return null;
  }
  function range(start) {
    var a = at(start), b = at(start + needle.length - 1);
    if (!a || !b) return null;
    var r = document.createRange();
    r.setStart(a.node, a.offset);
    r.setEnd(b.node, b.offset + 1);
    return r;
  }
  if (mode === "mark") {
    for (var h = found.length - 1; h >= 0; h--) {
      var r = range(found[h]);
      if (!r) continue;
      var mark = document.createElement("span");
      mark.className = "zel-highlight";
      mark.setAttribute("data-zel-keyword", keyword);
      mark.style.backgroundColor = "yellow";
      mark.style.color = "red";
      try {
        r.surroundContents(mark);
      } catch (e) {
        mark.appendChild(r.extractContents());
        r.insertNode(mark);
      }
    }
    return found.length;
  }
  if (target >= 0 && target < found.length) {
    var t = range(found[target]);
    if (t) {
      // The match is drawn as an active selection even while the focus stays in the
      // browser's keyword box (an unfocused page would draw it pale grey).
      if (!document.getElementById("zel-find-style")) {
        var style = document.createElement("style");
        style.id = "zel-find-style";
        style.textContent = "html.zel-finding ::selection, html.zel-finding::selection " +
                            "{ background-color: Highlight !important; color: HighlightText !important; }";
        (document.head || document.documentElement).appendChild(style);
      }
      document.documentElement.classList.add("zel-finding");
      var sel = window.getSelection();
      sel.removeAllRanges();
      sel.addRange(t);
      var box = t.getBoundingClientRect();
      if (box.top < 0 || box.bottom > window.innerHeight)
        window.scrollBy(0, box.top - window.innerHeight / 3);
    }
  }
  return found.length;
})
