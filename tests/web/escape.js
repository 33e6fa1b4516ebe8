// Escape ends the show as a window's Escape does: coremain returns and the page shows
// its end line.
Test.onFrame = function (n) {
  if (n == 20) Test.key('keydown', 27);
  if (n == 24) Test.key('keyup', 27);
  if (n == 200) Test.fail('still running 180 frames after Escape');
};
Test.onEnded = function (code) {
  var ended = document.getElementById('fenk-ended');
  var shown = getComputedStyle(ended).display != 'none' && ended.textContent.indexOf('exit code 0') >= 0;
  Test.post(Test.endedAt >= 21 && Test.endedAt < 200 && shown, { code: code, endedAt: Test.endedAt, end: ended.textContent });
};
