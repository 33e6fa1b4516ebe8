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
  fail: function (why) { Test.post(false, why); }
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
