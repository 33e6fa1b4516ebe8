// Web Audio pulls the mixer at the real pace: over four seconds of wall time the sound's
// clock (2048 frames a mix pass, 44 100 a second) moves within 5 % of it.
var start = null;
Test.onFrame = function (n) {
  if (n == 10) {
    var context = Module.fenkAudioContext;
    if (!context || context.state != 'running') return Test.fail('no running AudioContext');
    if (!Module.fenkAudioNode) return Test.fail('the driver opened no node');
    start = { wall: performance.now(), passes: Module._fenk_web_audiopasses() };
    setTimeout(function () {
      var seconds = (performance.now() - start.wall) / 1000;
      var played = (Module._fenk_web_audiopasses() - start.passes) * 2048 / 44100;
      var ratio = played / seconds;
      Test.post(ratio > 0.95 && ratio < 1.05, { wall: seconds, sound: played, ratio: ratio });
    }, 4000);
  }
};
