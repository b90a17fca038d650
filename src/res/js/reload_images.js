// Loads the page's broken images again.
(function () {
  window.addEventListener("error", function (e) { e.preventDefault(); return true; }, true);
  var images = document.images;
  for (var i = 0; i < images.length; i++) {
    var img = images[i];
    if (!img.complete || img.naturalWidth === 0) {
      var src = img.src;
      img.src = "";
      img.src = src;
    }
  }
})();
