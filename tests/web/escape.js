// Escape ends the show as a window's Escape does: coremain returns and the page is told.
function key(type, code) {
  var event = new KeyboardEvent(type, { key: 'Escape', code: 'Escape', bubbles: true, cancelable: true });
  Object.defineProperty(event, 'keyCode', { get: function () { return code; } });
  Object.defineProperty(event, 'which', { get: function () { return code; } });
  window.dispatchEvent(event);
}
Test.onFrame = function (n) {
  if (n == 20) key('keydown', 27);
  if (n == 24) key('keyup', 27);
  if (n == 200) Test.fail('still running 180 frames after Escape');
};
Test.onEnded = function (code) {
  var shown = getComputedStyle(document.getElementById('ended')).display != 'none';
  Test.post(Test.endedAt >= 21 && Test.endedAt < 200 && shown, { code: code, endedAt: Test.endedAt, endShown: shown });
};
