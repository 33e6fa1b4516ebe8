// docs/start.md's program in its page, on the virtual clock at 60 frames a second: the
// square stands on the canvas; the right arrow held over frames 11 to 40 moves it 60
// canvas pixels (120 in the 640 x 360 picture); Escape ends it and the page shows the
// end line.
Module.fenkFrameRate = 60;
var at = {};
// The left edge of the yellow square on the picture's middle row.
function squareLeft() {
  var gl = Module.canvas.getContext('webgl2');
  var w = Module.canvas.width, h = Module.canvas.height;
  var row = new Uint8Array(w * 4);
  gl.readPixels(0, h / 2, w, 1, gl.RGBA, gl.UNSIGNED_BYTE, row);
  for (var x = 0; x < w; x++)
    if (row[x * 4] > 200 && row[x * 4 + 1] > 150 && row[x * 4 + 2] < 60) return x;
  return -1;
}
Test.onFrame = function (n) {
  if (n == 10) { at.before = squareLeft(); Test.key('keydown', 39); }
  if (n == 40) Test.key('keyup', 39);
  if (n == 50) { at.after = squareLeft(); Test.key('keydown', 27); }
  if (n == 52) Test.key('keyup', 27);
  if (n == 200) Test.fail('still running 150 frames after Escape');
};
Test.onEnded = function (code) {
  var shown = document.getElementById('fenk-output').textContent;
  Test.post(code == 0 && at.before >= 0 && at.after - at.before == 120 && shown.indexOf('ended: exit code 0') >= 0,
            { code: code, square: at, end: shown.slice(-120) });
};
