// Shared by the cases: the verdict, the show's printed lines, the end and the frames.
var Test = {
  lines: [],
  frames: 0,
  sent: false,
  post: function (ok, detail) {
    if (Test.sent) return;
    Test.sent = true;
    fetch('/result', { method: 'POST', body: JSON.stringify({ ok: ok, detail: detail, lines: Test.lines.slice(-20) }) });
  },
  fail: function (why) { Test.post(false, why); },
  // A key event as the page's window gets it (the host reads keyCode); a script's
  // events are not trusted, which the host does not ask.
  key: function (type, code) {
    var event = new KeyboardEvent(type, { bubbles: true, cancelable: true });
    Object.defineProperty(event, 'keyCode', { get: function () { return code; } });
    Object.defineProperty(event, 'which', { get: function () { return code; } });
    window.dispatchEvent(event);
  },
  // Asks the runner for what only a user gives (firefox_runner.py: {click: selector}
  // or {key: name}).
  ask: function (action) { fetch('/action', { method: 'POST', body: JSON.stringify(action) }); },
  // The last printed line that matches, as the match, or null.
  printed: function (pattern) {
    for (var i = Test.lines.length - 1; i >= 0; i--) {
      var m = pattern.exec(Test.lines[i]);
      if (m) return m;
    }
    return null;
  }
};
(function () {
  var print = Module.print;
  Module.print = function (text) { Test.lines.push(text); if (print) print(text); };
  var ended = Module.fenkEnded;
  Module.fenkEnded = function (code) {
    Test.endedAt = Test.frames;
    Test.code = code;
    if (ended) ended(code);
    if (Test.onEnded) Test.onEnded(code);
  };
  Module.fenkOnFrame = function (n) { Test.frames = n + 1; if (Test.onFrame) Test.onFrame(n); };
  var abort = Module.onAbort;
  Module.onAbort = function (what) { if (abort) abort(what); Test.fail('aborted: ' + what); };
  window.addEventListener('error', function (e) { Test.fail('page error: ' + e.message); });
})();
