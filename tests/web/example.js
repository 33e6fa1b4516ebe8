// An example in its page on the virtual clock: 60 frames, then Escape ends it. The page
// shows every line the example printed (and, with ?expect=, that text), the end line
// with exit code 0, and nothing of the GL emulation's chatter; the runtime
// never aborted.
Module.fenkFrameRate = 30;
var expected = new URLSearchParams(location.search).get('expect');
Test.onFrame = function (n) {
  if (n == 60) Test.key('keydown', 27);
  if (n == 62) Test.key('keyup', 27);
  if (n == 200) Test.fail('still running 140 frames after Escape');
};
Test.onEnded = function (code) {
  var shown = document.getElementById('fenk-output').textContent;
  var page = shown + document.getElementById('fenk-message').textContent;
  var missing = Test.lines.filter(function (line) { return shown.indexOf(line) < 0; });
  var ok = code == 0 && Test.lines.length > 0 && missing.length == 0 &&
    shown.indexOf('ended: exit code 0') >= 0 && (!expected || shown.indexOf(expected) >= 0) &&
    page.indexOf('emscripten GL') < 0 && page.indexOf('TODO: gl') < 0;
  Test.post(ok, { code: code, frames: Test.frames, printed: Test.lines.length, missing: missing.slice(0, 5),
                  expected: expected, tail: shown.slice(-300) });
};
