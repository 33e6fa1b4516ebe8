// The show at the browser's own pace, its sound pulled by Web Audio: from the first
// frame to 30 s of music no buffer of the sound runs dry (where one did, the music
// positions are posted).
var atStart = null, last = 0, where = [];
Test.onFrame = function (n) {
  var dry = Module._fenk_web_audiodry(), position = Module._show_position();
  if (atStart === null) last = atStart = dry;
  if (dry != last) where.push({ seconds: position / 44100, buffers: dry - last });
  last = dry;
  if (position >= 30 * 44100) Test.post(dry == atStart, { dry: dry - atStart, frames: n, where: where });
};
Test.onEnded = function () { Test.fail('the show ended before 30 s of music'); };
