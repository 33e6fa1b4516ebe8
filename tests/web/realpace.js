// The show at the pace Chromium's software WebGL manages, on the wall clock with Web
// Audio pulling the music. The first frame drawn after 10, 20 and 30 s of music is read
// with its step and position, through a pixel buffer fetched once the GPU is done, so
// reading it never holds the page's thread up; from the first frame to 30 s of music
// no sound buffer may run dry.
var marks = [10, 20, 30], taken = 0, dryAtStart = null, read = [];
Test.onFrame = function (n) {
  var position = Module._show_position();
  if (dryAtStart === null) dryAtStart = Module._fenk_web_audiodry();
  if (taken < marks.length && position >= marks[taken] * 44100) {
    taken++;
    readLater(n, Module._show_steps(), position);
  }
};
function readLater(n, steps, position) {
  var gl = Module.canvas.getContext('webgl2');
  var w = Module.canvas.width, h = Module.canvas.height;
  var buffer = gl.createBuffer();
  gl.bindBuffer(gl.PIXEL_PACK_BUFFER, buffer);
  gl.bufferData(gl.PIXEL_PACK_BUFFER, w * h * 4, gl.STREAM_READ);
  gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, 0);
  gl.bindBuffer(gl.PIXEL_PACK_BUFFER, null);
  var sync = gl.fenceSync(gl.SYNC_GPU_COMMANDS_COMPLETE, 0);
  gl.flush();
  var dry = Module._fenk_web_audiodry() - dryAtStart;
  (function poll() {
    if (gl.getSyncParameter(sync, gl.SYNC_STATUS) != gl.SIGNALED) return setTimeout(poll, 10);
    gl.deleteSync(sync);
    var pixels = new Uint8Array(w * h * 4);
    gl.bindBuffer(gl.PIXEL_PACK_BUFFER, buffer);
    gl.getBufferSubData(gl.PIXEL_PACK_BUFFER, 0, pixels);
    gl.bindBuffer(gl.PIXEL_PACK_BUFFER, null);
    gl.deleteBuffer(buffer);
    fetch('/frame/' + steps, { method: 'POST', body: pixels, headers: { 'X-Width': w, 'X-Height': h } })
      .then(function () {
        read.push({ frame: n, steps: steps, position: position, dry: dry });
        if (read.length == marks.length) Test.post(true, { frames: read, dry: dry });
      }, function (e) { Test.fail(String(e)); });
  })();
}
Test.onEnded = function () { Test.fail('the show ended before 30 s of music'); };
