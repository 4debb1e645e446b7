
(function () {
  "use strict";
  var NS = "http://www.w3.org/2000/svg";
  var data = JSON.parse(document.getElementById("route-data").textContent);
  var svg = document.getElementById("route");
  var tip = document.getElementById("tip");
  var rangeText = document.getElementById("range");
  var view = [data.first, data.last];
  var minimumSpan = 250;

  function x(m) { return data.left + (m - view[0]) / (view[1] - view[0]) * data.width; }
  function r1(v) { return Math.round(v * 10) / 10; }
  function all(selector) { return Array.prototype.slice.call(svg.querySelectorAll(selector)); }
  function num(el, name) { return Number(el.getAttribute(name)); }

  // The marks, read from the page the first time the view changes: the tool
  // drew the whole route already, so loading the page touches none of them.
  // Circles and rectangles move by their own coordinate, the rarer path
  // glyphs by their translation; mountain stretches stretch.
  var marks = null, spans, labels;
  function prepare() {
    if (marks) return;
    marks = all("#marks [data-metre]").map(function (el) {
      var k = { el: el, m: num(el, "data-metre"), end: null, at: null, offset: 0, move: null, y: 0 };
      if (el.hasAttribute("data-end")) {
        k.end = num(el, "data-end");
      } else if (el.tagName === "circle") {
        k.at = el.cx.baseVal;
      } else if (el.tagName === "rect") {
        k.at = el.x.baseVal;
        k.offset = -el.width.baseVal.value / 2;
      } else {
        k.move = el.transform.baseVal.getItem(0);
        k.y = k.move.matrix.f;
      }
      return k;
    });
    spans = all("rect[data-x0]").map(function (el) {
      return { el: el, a: num(el, "data-x0"), b: num(el, "data-x1"), min: num(el, "data-min") || 1 };
    });
    // Lanes of labels: their rows (none: each label keeps its own height)
    // and the width of a character.
    labels = all("g[data-rows]").map(function (g) {
      var rows = g.getAttribute("data-rows");
      return {
        rows: rows ? rows.split(",").map(Number) : null, char: num(g, "data-char"),
        texts: Array.prototype.slice.call(g.querySelectorAll("text")).map(function (el) {
          return { el: el, m: num(el, "data-x0"), chars: num(el, "data-chars") };
        })
      };
    });
  }
  var planMarkShapes = [["signal", -1.5, -1.5, "h3v3h-3z"], ["board", -2, -2, "h4v4h-4z"],
                        ["station", -4, 0, "a4 4 0 1 0 8 0a4 4 0 1 0-8 0z"]];

  // Runs narrower than a pixel share a column, drawn as their lowest and
  // highest value: a long route's path keeps a few points per column.
  function stepPoints(runs) {
    var out = [], open = false, c0 = 0, c1 = 0, lo = 0, hi = 0, last = 0;
    function close() {
      if (!open) return;
      out.push(c0, lo);
      if (hi !== lo) out.push(c0, hi);
      out.push(c1, last);
      open = false;
    }
    for (var i = 0; i < runs.length; i += 3) {
      var from = Math.max(runs[i], view[0]), to = Math.min(runs[i + 1], view[1]), v = runs[i + 2];
      if (to <= from) continue;
      var x0 = x(from), x1 = x(to);
      if (x1 - x0 >= 1) { close(); out.push(x0, v, x1, v); continue; }
      if (!open) { open = true; c0 = x0; lo = hi = v; }
      lo = Math.min(lo, v); hi = Math.max(hi, v); last = v; c1 = x1;
      if (c1 - c0 >= 1) close();
    }
    close();
    return out;
  }

  function pathOf(points, toY) {
    var d = [];
    for (var i = 0; i < points.length; i += 2) d.push((i ? "L" : "M") + r1(points[i]) + " " + r1(toY(points[i + 1])));
    return d.join("");
  }

  function bandY(band, low, high) {
    return function (v) { return band[1] - (v - low) / (high - low) * (band[1] - band[0]); };
  }
  var speedY = bandY(data.speedBand, 0, data.speedBand[2]);
  var gradientY = bandY(data.gradientBand, -data.gradientBand[2], data.gradientBand[2]);
  var heightY = bandY(data.gradientBand, data.gradientBand[3], data.gradientBand[4]);
  var adhesionY = bandY(data.adhesionBand, 0, data.adhesionBand[2]);

  // Heights add up the gradient runs: metre, height pairs at each run's ends.
  var heights = (function () {
    var out = [], h = 0, g = data.gradient;
    for (var i = 0; i < g.length; i += 3) {
      if (!out.length || out[out.length - 2] !== g[i]) out.push(g[i], h);
      h += g[i + 2] / 1000 * (g[i + 1] - g[i]);
      out.push(g[i + 1], h);
    }
    return out;
  })();

  function heightPoints() {
    var h = heights, out = [], column = null, keep = [];
    function flush() {
      if (!keep.length) return;
      var lo = keep[0], hi = keep[0];
      keep.forEach(function (k) { if (h[k + 1] < h[lo + 1]) lo = k; if (h[k + 1] > h[hi + 1]) hi = k; });
      [keep[0], lo, hi, keep[keep.length - 1]].sort(function (a, b) { return a - b; })
        .filter(function (k, i, list) { return i === 0 || list[i - 1] !== k; })
        .forEach(function (k) { out.push(x(h[k]), h[k + 1]); });
      keep = [];
    }
    for (var i = 0; i < h.length; i += 2) {
      if (h[i] < view[0] && (i + 2 >= h.length || h[i + 2] < view[0])) continue;
      if (h[i] > view[1] && i > 0 && h[i - 2] > view[1]) break;
      var c = Math.floor(x(h[i]));
      if (c !== column) { flush(); column = c; }
      keep.push(i);
    }
    flush();
    return out;
  }

  // The fastest run's speed: metre, km/h pairs, those in view.
  function fastestPoints() {
    var f = data.fastest || [], out = [];
    for (var i = 0; i < f.length; i += 2) {
      if (f[i] >= view[0] && f[i] <= view[1]) out.push(x(f[i]), f[i + 1]);
    }
    return out;
  }

  function redrawSeries() {
    var fastest = document.getElementById("fastest-speed");
    if (fastest) fastest.setAttribute("d", pathOf(fastestPoints(), speedY));
    document.getElementById("speed").setAttribute("d", pathOf(stepPoints(data.speed), speedY));
    document.getElementById("adhesion").setAttribute("d", pathOf(stepPoints(data.adhesion), adhesionY));
    var g = stepPoints(data.gradient), d = pathOf(g, gradientY);
    if (g.length) d += "L" + r1(g[g.length - 2]) + " " + r1(gradientY(0)) + "L" + r1(g[0]) + " " + r1(gradientY(0)) + "Z";
    document.getElementById("gradient").setAttribute("d", d);
    document.getElementById("height").setAttribute("d", pathOf(heightPoints(), heightY));
  }

  function redrawTicks() {
    var group = document.getElementById("ticks");
    while (group.firstChild) group.removeChild(group.firstChild);
    var steps = [50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000, 1000000];
    var span = view[1] - view[0], step = steps[steps.length - 1];
    for (var s = 0; s < steps.length; s++) if (steps[s] / span * data.width >= 90) { step = steps[s]; break; }
    for (var m = Math.ceil(view[0] / step) * step; m <= view[1]; m += step) {
      var line = document.createElementNS(NS, "line");
      line.setAttribute("class", "grid");
      line.setAttribute("x1", r1(x(m))); line.setAttribute("x2", r1(x(m)));
      line.setAttribute("y1", data.axis[0] + 4); line.setAttribute("y2", data.axis[1]);
      var text = document.createElementNS(NS, "text");
      text.setAttribute("class", "tick");
      text.setAttribute("x", r1(x(m))); text.setAttribute("y", data.axis[0]);
      text.textContent = String(Math.round(m) / 1000);
      group.appendChild(line); group.appendChild(text);
    }
  }

  function redrawMarks() {
    marks.forEach(function (k) {
      if (k.at) k.at.value = r1(x(k.m) + k.offset);
      else if (k.move) k.move.setTranslate(r1(x(k.m)), k.y);
      else {
        k.el.setAttribute("x", r1(x(k.m)));
        k.el.setAttribute("width", r1(Math.max(1, x(k.end) - x(k.m))));
      }
    });
    spans.forEach(function (k) {
      k.el.setAttribute("x", r1(x(k.a)));
      k.el.setAttribute("width", r1(Math.max(k.min, x(k.b) - x(k.a))));
    });
    labels.forEach(function (lane) {
      var rowEnd = (lane.rows || [0]).map(function () { return -Infinity; });
      lane.texts.forEach(function (k) {
        var half = lane.char / 2 * k.chars, row = -1, at = x(k.m);
        if (at >= data.left && at <= data.left + data.width) {
          at = Math.min(Math.max(at, data.left + half + 6), Math.max(data.left + half + 6, data.left + data.width - half - 6));
          for (var r = 0; r < rowEnd.length; r++) if (at - half >= rowEnd[r] + 4) { row = r; rowEnd[r] = at + half; break; }
        }
        k.el.setAttribute("x", r1(at));
        if (lane.rows) k.el.setAttribute("y", lane.rows[row < 0 ? 0 : row]);
        k.el.setAttribute("visibility", row < 0 ? "hidden" : "visible");
      });
    });
  }

  // The plan of the stretch on show, turned so that it runs from left to right.
  function planAt(p, m) {
    var lo = 0, hi = p.length / 3 - 1;
    if (m <= p[0]) return [p[1], p[2]];
    if (m >= p[hi * 3]) return [p[hi * 3 + 1], p[hi * 3 + 2]];
    while (hi - lo > 1) { var mid = (lo + hi) >> 1; if (p[mid * 3] <= m) lo = mid; else hi = mid; }
    var t = (m - p[lo * 3]) / (p[hi * 3] - p[lo * 3]);
    return [p[lo * 3 + 1] + t * (p[hi * 3 + 1] - p[lo * 3 + 1]), p[lo * 3 + 2] + t * (p[hi * 3 + 2] - p[lo * 3 + 2])];
  }

  function redrawPlan() {
    var p = data.plan;
    if (!p || p.length < 6) return;
    var pts = [planAt(p, view[0])];
    for (var i = 0; i < p.length; i += 3) if (p[i] > view[0] && p[i] < view[1]) pts.push([p[i + 1], p[i + 2]]);
    pts.push(planAt(p, view[1]));
    var a = pts[0], b = pts[pts.length - 1], dx = b[0] - a[0], dy = b[1] - a[1], chord = Math.hypot(dx, dy);
    var cos = chord > 1e-9 ? dx / chord : 1, sin = chord > 1e-9 ? dy / chord : 0;
    function turn(q) { var u = q[0] - a[0], w = q[1] - a[1]; return [u * cos + w * sin, -u * sin + w * cos]; }
    var uLo = Infinity, uHi = -Infinity, wLo = Infinity, wHi = -Infinity;
    var turned = pts.map(function (q) {
      var t = turn(q);
      uLo = Math.min(uLo, t[0]); uHi = Math.max(uHi, t[0]); wLo = Math.min(wLo, t[1]); wHi = Math.max(wHi, t[1]);
      return t;
    });
    var margin = 14, boxW = data.width - 2 * margin, boxH = data.planBand[1] - data.planBand[0] - 2 * margin;
    var scale = Math.min(boxW / Math.max(uHi - uLo, 1e-9), boxH / Math.max(wHi - wLo, 1e-9));
    var ox = data.left + margin + (boxW - (uHi - uLo) * scale) / 2 - uLo * scale;
    var oy = data.planBand[0] + margin + (boxH - (wHi - wLo) * scale) / 2 + wHi * scale;
    function screen(t) { return [ox + t[0] * scale, oy - t[1] * scale]; }
    var d = [], lx = Infinity, ly = Infinity;
    turned.forEach(function (t, k) {
      var s = screen(t);
      if (k > 0 && k < turned.length - 1 && Math.hypot(s[0] - lx, s[1] - ly) < 0.7) return;
      d.push((d.length ? "L" : "M") + r1(s[0]) + " " + r1(s[1]));
      lx = s[0]; ly = s[1];
    });
    document.getElementById("plan-line").setAttribute("d", d.join(""));
    planMarkShapes.forEach(function (shape) {
      var list = data.planMarks[shape[0]], out = [];
      for (var i = 0; i < list.length; i += 3) {
        if (list[i] < view[0] || list[i] > view[1]) continue;
        var s = screen(turn([list[i + 1], list[i + 2]]));
        out.push("M" + r1(s[0] + shape[1]) + " " + r1(s[1] + shape[2]) + shape[3]);
      }
      document.getElementById("pm-" + shape[0]).setAttribute("d", out.join(""));
    });
  }

  function showRange() {
    rangeText.textContent = (view[0] / 1000).toFixed(3) + " to " + (view[1] / 1000).toFixed(3) + " km";
  }

  function redraw() {
    prepare();
    redrawTicks();
    redrawSeries();
    redrawMarks();
    redrawPlan();
    showRange();
  }

  var pending = false;
  function schedule() {
    if (pending) return;
    pending = true;
    requestAnimationFrame(function () { pending = false; redraw(); });
  }

  function setView(a, b) {
    var full = data.last - data.first, span = Math.min(Math.max(b - a, minimumSpan), full);
    a = Math.min(Math.max(a, data.first), data.last - span);
    view = [a, a + span];
    schedule();
  }
  function zoom(factor, around) {
    var at = around === undefined ? (view[0] + view[1]) / 2 : around;
    setView(at - (at - view[0]) * factor, at + (view[1] - at) * factor);
  }
  function pan(share) { var span = view[1] - view[0]; setView(view[0] + share * span, view[1] + share * span); }

  function svgX(clientX, clientY) {
    var point = svg.createSVGPoint();
    point.x = clientX; point.y = clientY;
    return point.matrixTransform(svg.getScreenCTM().inverse()).x;
  }
  function metreAt(clientX, clientY) {
    return view[0] + (svgX(clientX, clientY) - data.left) / data.width * (view[1] - view[0]);
  }

  svg.addEventListener("wheel", function (e) {
    e.preventDefault();
    zoom(e.deltaY > 0 ? 1.25 : 0.8, metreAt(e.clientX, e.clientY));
  }, { passive: false });

  var drag = null;
  svg.addEventListener("pointerdown", function (e) {
    if (e.button !== 0) return;
    drag = { x: svgX(e.clientX, e.clientY), view: view.slice() };
    svg.setPointerCapture(e.pointerId);
  });
  svg.addEventListener("pointermove", function (e) {
    if (!drag) return;
    var shift = (svgX(e.clientX, e.clientY) - drag.x) / data.width * (drag.view[1] - drag.view[0]);
    setView(drag.view[0] - shift, drag.view[1] - shift);
  });
  function endDrag() { drag = null; }
  svg.addEventListener("pointerup", endDrag);
  svg.addEventListener("pointercancel", endDrag);

  document.getElementById("zoom-in").addEventListener("click", function () { zoom(0.5); });
  document.getElementById("zoom-out").addEventListener("click", function () { zoom(2); });
  document.getElementById("pan-left").addEventListener("click", function () { pan(-0.5); });
  document.getElementById("pan-right").addEventListener("click", function () { pan(0.5); });
  document.getElementById("zoom-all").addEventListener("click", function () { setView(data.first, data.last); });
  document.addEventListener("keydown", function (e) {
    if (e.key === "+" || e.key === "=") zoom(0.5);
    else if (e.key === "-") zoom(2);
    else if (e.key === "ArrowLeft") pan(-0.25);
    else if (e.key === "ArrowRight") pan(0.25);
  });

  // Details of the mark under the pointer, from its <title>, as text.
  var details = new WeakMap();
  svg.addEventListener("mouseover", function (e) {
    var mark = e.target.closest ? e.target.closest("[data-kind]") : null;
    if (!mark) { tip.hidden = true; return; }
    if (!details.has(mark)) {
      var title = mark.querySelector("title");
      details.set(mark, title ? title.textContent : "");
      if (title) title.parentNode.removeChild(title);
    }
    tip.textContent = details.get(mark);
    tip.hidden = false;
  });
  svg.addEventListener("mousemove", function (e) {
    if (tip.hidden) return;
    tip.style.left = Math.min(e.clientX + 14, window.innerWidth - tip.offsetWidth - 4) + "px";
    tip.style.top = (e.clientY + 16) + "px";
  });
  svg.addEventListener("mouseleave", function () { tip.hidden = true; });

  // The page as written shows the whole route; the script redraws only when the view changes.
  showRange();
  document.body.setAttribute("data-ready", "yes");
})();
