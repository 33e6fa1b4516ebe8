// The show's page as a visitor without a sound device opens it (Firefox with none): the
// gate stands until a real click (the runner's); the browser never starts its
// AudioContext, so within a few seconds the show starts on the host clock, silently,
// and the page says so; frames are presented and the music clock moves with the wall
// clock; a real Escape ends it and the page shows the end line.
var clickedAt = 0, first = null;
var watch = setInterval(function () {
  var gate = document.getElementById('fenk-gate');
  if (gate && getComputedStyle(gate).display != 'none') {
    clearInterval(watch);
    clickedAt = performance.now();
    Test.ask({ click: '#fenk-gate' });
  }
}, 100);
function notice() { return document.getElementById('fenk-message').textContent; }
// The clock is measured from frame 10 on: the loading before the first frames holds the
// page's one thread, and the silent device mixes what it owes only after.
Test.onFrame = function (n) {
  if (n == 0) first = { at: performance.now() };
  if (n != 10) return;
  var from = { at: performance.now(), passes: Module._fenk_web_audiopasses() };
  setTimeout(function () {
    var seconds = (performance.now() - from.at) / 1000;
    var played = (Module._fenk_web_audiopasses() - from.passes) * 2048 / 44100;
    Test.clock = { wall: seconds, music: played, frames: Test.frames };
    if (played < seconds * 0.8 || played > seconds * 1.2 || Test.frames < 13)
      return Test.fail({ why: 'the silent clock does not keep the wall clock\'s pace', clock: Test.clock });
    Test.ask({ key: 'Escape' });
  }, 3000);
};
Test.onEnded = function (code) {
  var ended = document.getElementById('fenk-ended');
  var ok = clickedAt > 0 && first && first.at - clickedAt < 10000 && code == 0 &&
    getComputedStyle(ended).display != 'none' && notice().indexOf('the browser did not start sound') >= 0;
  Test.post(ok, { code: code, notice: notice(), clock: Test.clock, clickToFirstFrame: first && first.at - clickedAt,
                  end: ended.textContent });
};
