// Without a user gesture the browser keeps the sound suspended: the page shows the start
// gate and the show stays behind it (no frame presented, so no music clock standing
// still unseen). A trusted click or key would lift it; a script cannot give one.
var gateSince = 0;
function gateShown() {
  var gate = document.getElementById('fenk-gate');
  return gate && getComputedStyle(gate).display != 'none';
}
var watch = setInterval(function () {
  if (!gateShown()) return;
  if (!gateSince) gateSince = Date.now();
  if (Date.now() - gateSince < 1500) return;
  clearInterval(watch);
  var state = Module.fenkAudioContext ? Module.fenkAudioContext.state : 'none';
  Test.post(Test.frames == 0 && state == 'suspended', { frames: Test.frames, audio: state });
}, 100);
Test.onFrame = function (n) { Test.fail('frame ' + n + ' presented behind the start gate'); };
