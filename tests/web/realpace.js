// The show at the pace Chromium's software WebGL manages, on the wall clock with Web
// Audio pulling the music: the first frame drawn after 10, 20 and 30 s of music is read
// as drawn, with its step and position.
var marks = [10, 20, 30], taken = [];
Test.onFrame = function (n) {
  var position = Module._show_position();
  if (taken.length == marks.length || position < marks[taken.length] * 44100) return;
  var steps = Module._show_steps();
  var gl = Module.canvas.getContext('webgl2');
  var w = Module.canvas.width, h = Module.canvas.height;
  var pixels = new Uint8Array(w * h * 4);
  gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
  taken.push({ frame: n, steps: steps, position: position });
  var sent = fetch('/frame/' + steps, { method: 'POST', body: pixels, headers: { 'X-Width': w, 'X-Height': h } });
  if (taken.length == marks.length)
    sent.then(function () { Test.post(true, { frames: taken }); }, function (e) { Test.fail(String(e)); });
};
Test.onEnded = function () { Test.fail('the show ended before 30 s of music'); };
