// The show on the virtual clock at 30 frames a second, as the headless capture runs it
// with --fps 30 --rate 30: the frames named in ?frames= are read from the canvas as
// drawn and posted (bottom row first) for the runner to compare.
Module.fenkFrameRate = 30;
Module.fenkDrawFrom = Number(new URLSearchParams(location.search).get("from") || 0);
var wanted = (new URLSearchParams(location.search).get('frames') || '').split(',').map(Number);
var last = Math.max.apply(null, wanted);
Test.onFrame = function (n) {
  if (wanted.indexOf(n) < 0) return;
  var gl = Module.canvas.getContext('webgl2');
  var w = Module.canvas.width, h = Module.canvas.height;
  var pixels = new Uint8Array(w * h * 4);
  gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
  var sent = fetch('/frame/' + n, { method: 'POST', body: pixels, headers: { 'X-Width': w, 'X-Height': h } });
  if (n == last) sent.then(function () { Test.post(true, { frames: wanted }); }, function (e) { Test.fail(String(e)); });
};
Test.onEnded = function () { Test.fail('the show ended before frame ' + last); };
