
window.addEventListener("error", function () {
  var root = document.documentElement;
  root.setAttribute("data-script-errors", String((Number(root.getAttribute("data-script-errors")) || 0) + 1));
});
