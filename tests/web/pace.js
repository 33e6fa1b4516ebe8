// For bench/web/show_fps.py: the show on the virtual clock at 30 frames a second, frames
// before ?from= undrawn, then ?count= frames drawn and shown; posts their frames a second.
Module.fenkFrameRate = 30;
var query = new URLSearchParams(location.search);
var from = Number(query.get('from')), count = Number(query.get('count'));
var start = 0;
Test.onFrame = function (n) {
  if (n == from) start = performance.now();
  if (n == from + count) Test.post(true, { fps: count * 1000 / (performance.now() - start) });
};
Module.fenkDrawFrom = from;
Test.onEnded = function () { Test.fail('the show ended before frame ' + (from + count)); };
