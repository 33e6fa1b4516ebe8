// For bench/show/live_pace.py: the show at the pace the browser draws it (wall clock,
// Web Audio); from ?from= s of music on, for ?seconds= s of music, the frames drawn, the
// steps of the show's pace they ran and the sound buffers that ran dry.
var query = new URLSearchParams(location.search);
var from = Number(query.get('from') || 10) * 44100, span = Number(query.get('seconds') || 10) * 44100;
var first = null;
Test.onFrame = function (n) {
  var position = Module._show_position();
  var at = { frame: n, steps: Module._show_steps(), wall: performance.now(), dry: Module._fenk_web_audiodry() };
  if (!first && position >= from) first = at;
  if (first && position >= from + span) {
    var seconds = (at.wall - first.wall) / 1000, frames = at.frame - first.frame, steps = at.steps - first.steps;
    Test.post(true, { fps: frames / seconds, stepsPerFrame: steps / frames, undrawnPerSecond: (steps - frames) / seconds,
                      dry: at.dry - first.dry });
  }
};
Test.onEnded = function () { Test.fail('the show ended early'); };
