// Loads the page's broken images again.
(function () {
  try {
  var images = document.images;
  for (var i = 0; i < images.length; i++) {
    var img = images[i];
    if (!img.complete || img.naturalWidth === 0) {
      var src = img.src;
      img.src = "";
      img.src = src;
    }
  }
  } catch (e) {}
})();
